#include "win/settings_files.h"

#include <cwchar>
#include <string>

#include "win/platform.h"

SettingsFileSet g_settingsFiles;

const wchar_t kRegUserIniName[] = L"RegUser.ini";
const wchar_t kUserDatabaseName[] = L"QRegUser.rdb";
const wchar_t kExpertIniName[] = L"QRegEx.ini";

namespace {

const int kCsidlAppData = 26;

// The per-user settings folder with a trailing backslash, or empty.
std::wstring SettingsFolder() {
    ShGetFolderPathWFn getFolderPath = CurrentPlatform().LookupShGetFolderPath();
    if (getFolderPath) {
        wchar_t appData[kPathChars] = {};
        // A query that is present but fails gives no folder: guessing one
        // could scatter the user's settings.
        if (FAILED(getFolderPath(nullptr, kCsidlAppData, nullptr, 0, appData))) return std::wstring();
        appData[kPathChars - 1] = 0;
        std::wstring vendor = std::wstring(appData) + L"\\Veltrane";
        std::wstring folder = vendor + L"\\Pestrol\\";
        // The vendor folder is created too, so that the settings never vanish
        // into a folder that does not exist.
        ::CreateDirectoryW(vendor.c_str(), nullptr);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        return folder;
    }
    // Without the shell's query the settings live in the suite's data folder.
    const std::wstring folder = SuiteDataFolder();
    if (!folder.empty()) ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

void BuildSettingsPath(const wchar_t* name, wchar_t* buffer, UINT bufferChars, bool real) {
    if (!name || !buffer || bufferChars == 0) return;
    buffer[0] = 0;
    std::wstring fileName = real ? std::wstring(name) : std::wstring(L"temp") + name;
    std::wstring folder = SettingsFolder();
    if (folder.empty()) return;
    std::wstring path = folder + fileName;
    if (path.size() >= bufferChars) return;
    wmemcpy(buffer, path.c_str(), path.size() + 1);
}

void BuildSettingsFileSet(SettingsFileSet& set) {
    BuildSettingsPath(kUserDatabaseName, set.userDatabase, kPathChars, true);
    BuildSettingsPath(kUserDatabaseName, set.userDatabaseWork, kPathChars, false);
    BuildSettingsPath(kExpertIniName, set.expertIni, kPathChars, true);
    BuildSettingsPath(kExpertIniName, set.expertIniWork, kPathChars, false);
    BuildSettingsPath(kRegUserIniName, set.regUserIni, kPathChars, true);
    BuildSettingsPath(kRegUserIniName, set.regUserIniWork, kPathChars, false);
}
