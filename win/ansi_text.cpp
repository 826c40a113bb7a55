#include "win/ansi_text.h"

#include <windows.h>

namespace {

// ANSI code pages and UTF-8 keep ASCII as it is, and so does a conversion
// with no flag that changes characters: the editors convert tens of
// thousands of such texts when they fill their lists.
bool AsciiWidensAsItIs(std::string_view text, unsigned codePage, unsigned long flags) {
    if ((codePage != CP_ACP && codePage != CP_UTF8) || (flags & ~static_cast<unsigned long>(MB_ERR_INVALID_CHARS)))
        return false;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

bool BytesToWide(std::string_view text, unsigned codePage, unsigned long flags, std::wstring& wide) {
    wide.clear();
    if (text.empty()) return true;
    if (AsciiWidensAsItIs(text, codePage, flags)) {
        wide.assign(text.begin(), text.end());
        return true;
    }
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) return false;
    wide.resize(static_cast<size_t>(needed));
    return ::MultiByteToWideChar(codePage, flags, text.data(), length, &wide[0], needed) == needed;
}

bool WideToBytes(std::wstring_view text, unsigned codePage, unsigned long flags, std::string& bytes,
                    bool* usedDefault) {
    bytes.clear();
    if (usedDefault) *usedDefault = false;
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    // UTF-7 and UTF-8 take no default-character argument.
    BOOL defaulted = FALSE;
    BOOL* defaultedArg = usedDefault && codePage != CP_UTF7 && codePage != CP_UTF8 ? &defaulted : nullptr;
    const int needed = ::WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, defaultedArg);
    if (needed <= 0) return false;
    bytes.resize(static_cast<size_t>(needed));
    const bool whole =
        ::WideCharToMultiByte(codePage, flags, text.data(), length, &bytes[0], needed, nullptr, defaultedArg) == needed;
    if (usedDefault) *usedDefault = defaulted != FALSE;
    return whole;
}

std::string ToAnsi(const wchar_t* text) {
    std::string out;
    if (!text || !WideToBytes(text, CP_ACP, 0, out)) out.clear();
    return out;
}

std::wstring ToWide(const char* text) {
    std::wstring out;
    if (!text || !BytesToWide(text, CP_ACP, 0, out)) out.clear();
    return out;
}

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    if (!WideToBytes(text, CP_UTF8, 0, out)) out.clear();
    return out;
}

std::wstring FromUtf8(std::string_view text) {
    std::wstring out;
    if (!BytesToWide(text, CP_UTF8, 0, out)) out.clear();
    return out;
}
