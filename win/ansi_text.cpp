#include "win/ansi_text.h"

#include <windows.h>

std::string ToAnsi(const wchar_t* text) {
    if (!text || !*text) return std::string();
    int needed = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 1) return std::string();
    std::string out(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], needed, nullptr, nullptr);
    out.resize(static_cast<size_t>(needed) - 1);  // drop the terminator the API wrote
    return out;
}

std::wstring ToWide(const char* text) {
    if (!text || !*text) return std::wstring();
    int needed = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (needed <= 1) return std::wstring();
    std::wstring out(static_cast<size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], needed);
    out.resize(static_cast<size_t>(needed) - 1);
    return out;
}
