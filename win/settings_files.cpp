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

namespace {

// `folder` and the file's name, in place of the working copy ("temp" before
// the name) unless `real`; empty when the folder is or the path does not fit.
void ComposeSettingsPath(const std::wstring& folder, const wchar_t* name, wchar_t* buffer, UINT bufferChars,
                         bool real) {
    buffer[0] = 0;
    if (folder.empty()) return;
    const std::wstring path = folder + (real ? L"" : L"temp") + name;
    if (path.size() >= bufferChars) return;
    wmemcpy(buffer, path.c_str(), path.size() + 1);
}

}  // namespace

void BuildSettingsPath(const wchar_t* name, wchar_t* buffer, UINT bufferChars, bool real) {
    if (!name || !buffer || bufferChars == 0) return;
    ComposeSettingsPath(SettingsFolder(), name, buffer, bufferChars, real);
}

void BuildSettingsFileSet(SettingsFileSet& set) {
    // One query of the folder for all six paths: each costs a shell call
    // and two folder creations, and Load builds the set every time.
    const std::wstring folder = SettingsFolder();
    ComposeSettingsPath(folder, kUserDatabaseName, set.userDatabase, kPathChars, true);
    ComposeSettingsPath(folder, kUserDatabaseName, set.userDatabaseWork, kPathChars, false);
    ComposeSettingsPath(folder, kExpertIniName, set.expertIni, kPathChars, true);
    ComposeSettingsPath(folder, kExpertIniName, set.expertIniWork, kPathChars, false);
    ComposeSettingsPath(folder, kRegUserIniName, set.regUserIni, kPathChars, true);
    ComposeSettingsPath(folder, kRegUserIniName, set.regUserIniWork, kPathChars, false);
}
