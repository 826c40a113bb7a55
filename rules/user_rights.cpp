#include "rules/user_rights.h"

#include <windows.h>

#include <string>

#include "core/root_names.h"
#include "win/platform.h"
#include "win/raii.h"
#include "win/ansi_text.h"

namespace {
const size_t kMaxKeyPathChars = 1000;
}  // namespace

bool IsUserAdmin() {
    if (IsWin9xPlatform()) return true;
    return CurrentPlatform().TokenHasAdministrators();
}

bool IsValidKeyPath(const wchar_t* keyPath) {
    const std::string path = ToAnsi(keyPath);
    if (path.size() > kMaxKeyPathChars) return false;

    const size_t rootEnd = path.find('\\');
    if (rootEnd == std::string::npos) return false;
    const uint32_t root = RootFromLongName(path.substr(0, rootEnd).c_str());
    if (root == 0) return false;

    // A key right under the root is accepted without looking at the registry.
    const size_t firstLevelEnd = path.find('\\', rootEnd + 1);
    if (firstLevelEnd == std::string::npos) return true;

    // Only the first level is opened: the user must be able to write there.
    const std::string firstLevel = path.substr(rootEnd + 1, firstLevelEnd - rootEnd - 1);
    UniqueRegKey key;
    HKEY rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root));
    return ::RegOpenKeyExA(rootKey, firstLevel.c_str(), 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS;
}
