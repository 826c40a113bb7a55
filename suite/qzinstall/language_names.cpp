#include "suite/qzinstall/language_names.h"

#include "core/ascii_case.h"

namespace {

constexpr unsigned long kMaxLanguageId = 0xFFFF;

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    c = AsciiLower(c);
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<unsigned short> ParseLanguageId(std::wstring_view text) {
    text = Trim(text);
    unsigned base = 10;
    if (text.size() >= 2 && text[0] == L'0' && AsciiLower(text[1]) == L'x') {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    unsigned long value = 0;
    for (wchar_t c : text) {
        int digit = HexValue(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) return std::nullopt;
        value = value * base + static_cast<unsigned>(digit);
        if (value > kMaxLanguageId) return std::nullopt;  // also stops overflow
    }
    return static_cast<unsigned short>(value);
}

bool IsLanguageFileName(std::wstring_view fileName) {
    constexpr std::wstring_view kPrefix = L"VtPesTrol";
    constexpr std::wstring_view kSuffix = L".lng";
    constexpr size_t kDigits = 4;
    if (fileName.size() != kPrefix.size() + kDigits + kSuffix.size()) return false;
    if (!EqualIgnoringAsciiCase(fileName.substr(0, kPrefix.size()), kPrefix)) return false;
    for (size_t i = 0; i < kDigits; ++i) {
        if (HexValue(fileName[kPrefix.size() + i]) < 0) return false;
    }
    return EqualIgnoringAsciiCase(fileName.substr(kPrefix.size() + kDigits), kSuffix);
}
