#include "suite/qzinstall/language_names.h"

namespace {

constexpr unsigned long kMaxLanguageId = 0xFFFF;

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

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

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

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
    if (!EqualsIgnoringCase(fileName.substr(0, kPrefix.size()), kPrefix)) return false;
    for (size_t i = 0; i < kDigits; ++i) {
        if (HexValue(fileName[kPrefix.size() + i]) < 0) return false;
    }
    return EqualsIgnoringCase(fileName.substr(kPrefix.size() + kDigits), kSuffix);
}
