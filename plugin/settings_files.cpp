#include "plugin/settings_files.h"

#include <cwchar>
#include <string>

#include "plugin/platform.h"
#include "rules/rule_store.h"

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

namespace {
void BuildRuleFileWorkPath(wchar_t* buffer, UINT bufferChars, uint32_t withheld) {
    BuildSettingsPath(kRegUserIniName, buffer, bufferChars, false);
    if (buffer && bufferChars && (withheld & kUnreadableUserIni)) buffer[0] = 0;
}
}  // namespace

void BuildReadableRuleFilePath(wchar_t* buffer, UINT bufferChars) {
    BuildRuleFileWorkPath(buffer, bufferChars, g_ruleStore.staleFiles);
}

void BuildEditableRuleFilePath(wchar_t* buffer, UINT bufferChars) {
    BuildRuleFileWorkPath(buffer, bufferChars, g_ruleStore.unreadableFiles);
}

void BuildSettingsFileSet(SettingsFileSet& set) {
    BuildSettingsPath(kUserDatabaseName, set.userDatabase, kPathChars, true);
    BuildSettingsPath(kUserDatabaseName, set.userDatabaseWork, kPathChars, false);
    BuildSettingsPath(kExpertIniName, set.expertIni, kPathChars, true);
    BuildSettingsPath(kExpertIniName, set.expertIniWork, kPathChars, false);
    BuildSettingsPath(kRegUserIniName, set.regUserIni, kPathChars, true);
    BuildSettingsPath(kRegUserIniName, set.regUserIniWork, kPathChars, false);
}

void WideToAnsiField(const wchar_t* text, char* field, int fieldSize) {
    field[0] = 0;
    int written = ::WideCharToMultiByte(CP_ACP, 0, text, -1, field, fieldSize, nullptr, nullptr);
    if (written <= 0) field[0] = 0;
    field[fieldSize - 1] = 0;
}

void BuildRuleStorePaths() {
    struct Field {
        const wchar_t* name;
        bool real;
        char* target;
    };
    const Field fields[] = {
        {kUserDatabaseName, false, g_ruleStore.userDatabasePath},
        {kExpertIniName, false, g_ruleStore.expertIniPath},
        {L"QRegSpecial.rdb", true, g_ruleStore.specialLibraryPath},
        {kRegUserIniName, true, g_ruleStore.userIniPath},
    };
    for (const Field& f : fields) {
        wchar_t path[kPathChars];
        BuildSettingsPath(f.name, path, kPathChars, f.real);
        WideToAnsiField(path, f.target, kStorePathSize);
    }
}

namespace {
// The store's paths are built when the module is loaded, before start-up.
struct RuleStorePathsAtLoad {
    RuleStorePathsAtLoad() { BuildRuleStorePaths(); }
} g_ruleStorePathsAtLoad;
}  // namespace
