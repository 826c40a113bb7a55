#include "suite/console/console_output.h"

#include <windows.h>

#include <string>

#include "win/ansi_text.h"

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
    const std::string utf8 = ToUtf8(text);
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

void PrintLine(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line + L"\n"); }
void PrintErrorLine(const std::wstring& line) { Write(STD_ERROR_HANDLE, L"VtOptions: " + line + L"\n"); }
void PrintText(const std::wstring& text) { Write(STD_OUTPUT_HANDLE, text); }
