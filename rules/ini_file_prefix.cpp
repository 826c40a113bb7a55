#include "rules/ini_file_prefix.h"

#include <windows.h>

#include "win/raii.h"

size_t WholeLinesLength(std::string_view bytes) {
    const bool utf16le = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                         static_cast<unsigned char>(bytes[1]) == 0xFE;
    const bool utf16be = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
                         static_cast<unsigned char>(bytes[1]) == 0xFF;
    if (!utf16le && !utf16be) {
        const size_t last = bytes.rfind('\n');
        return last == std::string_view::npos ? 0 : last + 1;
    }
    // A line feed is one 16-bit unit; its bytes at any other place belong to
    // two different characters.
    for (size_t unit = (bytes.size() & ~static_cast<size_t>(1)); unit >= 4; unit -= 2) {
        const char first = bytes[unit - 2], second = bytes[unit - 1];
        if (utf16le ? (first == '\n' && second == 0) : (first == 0 && second == '\n')) return unit;
    }
    return 0;
}

FilePrefixRead ReadFilePrefix(const char* path, uint64_t limit, std::string& bytes, bool& cut) {
    bytes.clear();
    cut = false;
    UniqueFile file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? FilePrefixRead::kMissing
                                                                                 : FilePrefixRead::kFailed;
    }
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return FilePrefixRead::kFailed;
    const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
    cut = fileSize > limit;
    bytes.resize(static_cast<size_t>(cut ? limit : fileSize));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
            bytes.clear();
            return FilePrefixRead::kFailed;
        }
        if (got == 0) break;  // shorter than it was a moment ago
        done += got;
    }
    bytes.resize(done);
    if (cut) bytes.resize(WholeLinesLength(bytes));
    return FilePrefixRead::kRead;
}
