#include "rdbtool/file_bytes.h"

#include <windows.h>

#include <algorithm>

#include "win/raii.h"

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char chunk[65536];
    DWORD got = 0;
    for (;;) {
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return false;
        if (got == 0) return true;
        bytes.append(chunk, got);
    }
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD n = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(file.get(), bytes.data() + done, n, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}
