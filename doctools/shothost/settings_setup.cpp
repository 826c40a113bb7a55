#include "doctools/shothost/settings_setup.h"

#include <windows.h>

#include "win/settings_files.h"

bool InstallUserRules(const std::wstring& rulesPath, std::wstring& error) {
    if (rulesPath.empty()) return true;
    wchar_t target[kPathChars] = {};
    BuildSettingsPath(kRegUserIniName, target, kPathChars, true);
    if (!target[0]) {
        error = L"the settings folder cannot be determined";
        return false;
    }
    if (!::CopyFileW(rulesPath.c_str(), target, FALSE)) {
        error = L"cannot copy " + rulesPath + L" to " + target;
        return false;
    }
    return true;
}
