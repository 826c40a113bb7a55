#include "rules/profile_list.h"

#include <windows.h>

namespace {

const DWORD kFirstListSize = 10;
// Far beyond any list of a file the rule readers hand to the profile functions.
const DWORD kLargestListSize = 0x10000000;

DWORD GetList(const char* path, const char* section, char* buffer, DWORD size) {
    return ::GetPrivateProfileStringA(section, nullptr, "", buffer, size, path);
}
DWORD GetList(const wchar_t* path, const wchar_t* section, wchar_t* buffer, DWORD size) {
    return ::GetPrivateProfileStringW(section, nullptr, L"", buffer, size, path);
}

template <typename Char>
std::vector<Char> ReadList(const Char* path, const Char* section) {
    std::vector<Char> list;
    // The size doubles: a long list costs a few reads, not one per kilobyte.
    for (DWORD size = kFirstListSize;; size *= 2) {
        // One character more than the API is told about, so the list always
        // ends with a second NUL even when the API cut it.
        list.assign(size + 1, 0);
        DWORD length = GetList(path, section, list.data(), size);
        // The API answers size - 2 when the list did not fit; under a
        // double-byte code page a cut list can come back one byte longer.
        if (length + 2 < size || size >= kLargestListSize) break;
    }
    return list;
}

}  // namespace

std::vector<char> ReadProfileList(const char* path, const char* section) { return ReadList(path, section); }

std::vector<wchar_t> ReadProfileList(const wchar_t* path, const wchar_t* section) { return ReadList(path, section); }
