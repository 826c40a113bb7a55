#include "suite/console/console_output.h"

#include <windows.h>

#include <string>

namespace {

void Write(DWORD which, const std::wstring& text) {
    HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

void PrintLine(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line + L"\n"); }
void PrintErrorLine(const std::wstring& line) { Write(STD_ERROR_HANDLE, L"VtOptions: " + line + L"\n"); }
void PrintText(const std::wstring& text) { Write(STD_OUTPUT_HANDLE, text); }
