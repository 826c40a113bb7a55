#include "tests/support/dialog_test.h"

#include <commctrl.h>

#include "dialogs/modified_flag.h"
#include "rules/rule_store.h"
#include "tests/support/test_files.h"
#include "win/settings_files.h"

namespace testing_support {

namespace {

HRESULT WINAPI PrivateFolderPath(HWND, int, HANDLE, DWORD, LPWSTR path) {
    const std::wstring folder = PrivateAppDataPlatform::AppDataFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::lstrcpynW(path, folder.c_str(), MAX_PATH);
    return S_OK;
}

// The profile functions cache the last INI file; a file deleted under the
// cache would come back with the last test's contents.
void ForgetCachedProfile() { ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, nullptr); }

}  // namespace

PrivateAppDataPlatform::PrivateAppDataPlatform() {
    ForgetCachedProfile();
    RemoveTree(AppDataFolder());
    ::CreateDirectoryW(AppDataFolder().c_str(), nullptr);
}

PrivateAppDataPlatform::~PrivateAppDataPlatform() {
    ForgetCachedProfile();
    RemoveTree(AppDataFolder());
}

ShGetFolderPathWFn PrivateAppDataPlatform::LookupShGetFolderPath() { return PrivateFolderPath; }

std::wstring PrivateAppDataPlatform::AppDataFolder() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"vtps-dialogs-appdata-" + std::to_wstring(::GetCurrentProcessId());
}

std::wstring PrivateAppDataPlatform::SettingsFolder() { return AppDataFolder() + L"\\Veltrane\\Pestrol"; }

void DialogTest::SetUp() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    BuildSettingsFileSet(g_settingsFiles);
    BuildRuleStorePaths();
    // Never a user's real settings.
    ASSERT_EQ(std::wstring(g_settingsFiles.regUserIniWork).rfind(PrivateAppDataPlatform::SettingsFolder(), 0), 0u)
        << Narrow(g_settingsFiles.regUserIniWork);
    g_bModified = false;
}

void DialogTest::TearDown() {
    ReleaseRuleStore();
    g_bModified = false;
}

std::wstring DialogTest::SettingsFile(const wchar_t* name) {
    return PrivateAppDataPlatform::SettingsFolder() + L"\\" + name;
}

}  // namespace testing_support
