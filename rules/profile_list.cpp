#include "rules/profile_list.h"

#include <windows.h>

namespace {
const DWORD kFirstListSize = 10;
// Far beyond any list of a file the rule readers hand to the profile functions.
const DWORD kLargestListSize = 0x10000000;
}  // namespace

std::vector<char> ReadProfileList(const char* path, const char* section) {
    std::vector<char> list;
    // The size doubles: a long list costs a few reads, not one per kilobyte.
    for (DWORD size = kFirstListSize;; size *= 2) {
        // One byte more than the API is told about, so the list always ends
        // with a second NUL even when the API cut it.
        list.assign(size + 1, '\0');
        DWORD length = ::GetPrivateProfileStringA(section, nullptr, "", list.data(), size, path);
        // The API answers size - 2 when the list did not fit; under a
        // double-byte code page a cut list can come back one byte longer.
        if (length + 2 < size || size >= kLargestListSize) break;
    }
    return list;
}
