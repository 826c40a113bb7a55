#include "rdbtool/console_text.h"

#include <windows.h>

#include <algorithm>

#include "rdbtool/text_codec.h"

namespace {

void Write(DWORD which, const std::string& utf8) {
    HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || utf8.empty()) return;
    DWORD mode = 0, done = 0;
    std::wstring wide;
    if (::GetConsoleMode(handle, &mode) && Utf8ToWide(utf8, wide)) {
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
        return;
    }
    // Large output (a dump) goes out in pieces: a pipe may take less at once.
    size_t sent = 0;
    while (sent < utf8.size()) {
        const DWORD n = static_cast<DWORD>(std::min<size_t>(utf8.size() - sent, 1u << 20));
        if (!::WriteFile(handle, utf8.data() + sent, n, &done, nullptr) || done == 0) return;
        sent += done;
    }
}

}  // namespace

void Out(const std::string& utf8) { Write(STD_OUTPUT_HANDLE, utf8); }
void Err(const std::string& utf8) { Write(STD_ERROR_HANDLE, utf8); }
std::string PathText(const std::wstring& path) { return WideToUtf8(path); }
