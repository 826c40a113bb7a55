// Settings paths through the platform seam, and Apply's gate.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialogs/modified_flag.h"
#include "win/platform.h"
#include "win/settings_files.h"
#include "plugin/settings_transfer.h"
#include "rules/rule_store.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

// A shell folder query that answers a chosen folder, or fails.
std::wstring g_appData;
HRESULT g_answer = S_OK;

HRESULT WINAPI FakeGetFolderPath(HWND, int folder, HANDLE, DWORD, LPWSTR path) {
    if (folder != 26) return E_INVALIDARG;
    if (FAILED(g_answer)) {
        wcscpy(path, L"garbage that must not be used");
        return g_answer;
    }
    wcsncpy(path, g_appData.c_str(), MAX_PATH);
    path[MAX_PATH - 1] = 0;
    return S_OK;
}

class FakeShellPlatform : public Platform {
public:
    ShGetFolderPathWFn LookupShGetFolderPath() override { return FakeGetFolderPath; }
};

class SettingsPaths : public ::testing::Test {
protected:
    void SetUp() override {
        g_appData = scratch_.Path();
        g_answer = S_OK;
        SetPlatformForTest(&platform_);
    }
    void TearDown() override { SetPlatformForTest(nullptr); }

    ScratchDir scratch_{L"appdata"};
    FakeShellPlatform platform_;
};

TEST_F(SettingsPaths, RealFileAndWorkingCopyLieInTheVendorFolder) {
    wchar_t real[260], work[260];
    BuildSettingsPath(L"QRegUser.rdb", real, 260, true);
    BuildSettingsPath(L"QRegUser.rdb", work, 260, false);
    EXPECT_EQ(std::wstring(real), scratch_.Path() + L"\\Veltrane\\Pestrol\\QRegUser.rdb");
    EXPECT_EQ(std::wstring(work), scratch_.Path() + L"\\Veltrane\\Pestrol\\tempQRegUser.rdb");
    // Both levels are created, so files can be written there at once.
    EXPECT_TRUE(FileExists(scratch_.Path() + L"\\Veltrane\\Pestrol"))
        << ::testing::PrintToString(scratch_.Path() + L"\\Veltrane\\Pestrol");
    // A second build gives the same path; the existing folder is no problem.
    wchar_t again[260];
    BuildSettingsPath(L"QRegUser.rdb", again, 260, true);
    EXPECT_EQ(std::wstring(again), std::wstring(real));
    // The set that Load builds with one query of the folder names the same
    // six files, each real file and its working copy in its place.
    SettingsFileSet set;
    BuildSettingsFileSet(set);
    const struct {
        const wchar_t* name;
        const wchar_t* real;
        const wchar_t* work;
    } files[] = {{L"QRegUser.rdb", set.userDatabase, set.userDatabaseWork},
                 {L"QRegEx.ini", set.expertIni, set.expertIniWork},
                 {L"RegUser.ini", set.regUserIni, set.regUserIniWork}};
    for (const auto& file : files) {
        BuildSettingsPath(file.name, real, 260, true);
        BuildSettingsPath(file.name, work, 260, false);
        EXPECT_EQ(std::wstring(file.real), std::wstring(real));
        EXPECT_EQ(std::wstring(file.work), std::wstring(work));
    }
}

TEST_F(SettingsPaths, NullArgumentsDoNothing) {
    wchar_t buffer[260];
    wcscpy(buffer, L"untouched");
    BuildSettingsPath(nullptr, buffer, 260, true);
    EXPECT_STREQ(buffer, L"untouched");
    BuildSettingsPath(L"RegUser.ini", nullptr, 260, true);  // must not crash
}

TEST_F(SettingsPaths, AFailingShellQueryGivesNoPath) {
    g_answer = E_FAIL;
    wchar_t buffer[260];
    wcscpy(buffer, L"old");
    BuildSettingsPath(L"RegUser.ini", buffer, 260, true);
    EXPECT_STREQ(buffer, L"");
}

TEST_F(SettingsPaths, APathTooLongForTheBufferIsNotCut) {
    // A folder of 250 characters: the full path cannot fit 260.
    std::wstring deep = scratch_.Path() + L"\\";
    while (deep.size() < 250) deep += L'd';
    ::CreateDirectoryW(deep.c_str(), nullptr);
    g_appData = deep;
    struct {
        wchar_t path[260];
        wchar_t canary[8];
    } guarded;
    wmemset(guarded.canary, L'#', 8);
    BuildSettingsPath(L"tempRegUser.ini", guarded.path, 260, false);
    EXPECT_STREQ(guarded.path, L"");
    for (wchar_t c : guarded.canary) EXPECT_EQ(c, L'#');

    // The rule store's ANSI fields stay empty rather than cut, too.
    BuildRuleStorePaths();
    EXPECT_STREQ(g_ruleStore.userDatabasePath, "");
    EXPECT_STREQ(g_ruleStore.userIniPath, "");
}

TEST_F(SettingsPaths, RuleStoreFieldsAreTheAnsiPaths) {
    BuildRuleStorePaths();
    const std::string folder = Narrow(scratch_.Path()) + "\\Veltrane\\Pestrol\\";
    EXPECT_EQ(std::string(g_ruleStore.userDatabasePath), folder + "tempQRegUser.rdb");
    EXPECT_EQ(std::string(g_ruleStore.expertIniPath), folder + "tempQRegEx.ini");
    EXPECT_EQ(std::string(g_ruleStore.specialLibraryPath), folder + "QRegSpecial.rdb");
    EXPECT_EQ(std::string(g_ruleStore.userIniPath), folder + "RegUser.ini");
}

TEST_F(SettingsPaths, ApplyCopiesAndSignalsOnlyOnceAnEditorWasConfirmed) {
    while (ATOM atom = ::GlobalFindAtomA(kUpdateAtomName)) ::GlobalDeleteAtom(atom);
    BuildSettingsFileSet(g_settingsFiles);
    const std::wstring folder = scratch_.Path() + L"\\Veltrane\\Pestrol\\";
    for (const wchar_t* name : {L"RegUser.ini", L"QRegUser.rdb", L"QRegEx.ini"}) {
        WriteBytes(folder + name, "real");
        WriteBytes(folder + L"temp" + name, "work");
    }
    g_bModified = false;
    ApplyWorkingCopies();
    EXPECT_EQ(ReadBytes(folder + L"QRegEx.ini"), "real");
    EXPECT_EQ(::GlobalFindAtomA(kUpdateAtomName), 0);

    g_bModified = true;
    ApplyWorkingCopies();
    for (const wchar_t* name : {L"RegUser.ini", L"QRegUser.rdb", L"QRegEx.ini"})
        EXPECT_EQ(ReadBytes(folder + name), "work") << Narrow(name);
    EXPECT_NE(::GlobalFindAtomA(kUpdateAtomName), 0);

    // The flag stays set: a later Apply copies again.
    WriteBytes(folder + L"tempRegUser.ini", "work 2");
    ApplyWorkingCopies();
    EXPECT_EQ(ReadBytes(folder + L"RegUser.ini"), "work 2");
    g_bModified = false;
    while (ATOM atom = ::GlobalFindAtomA(kUpdateAtomName)) ::GlobalDeleteAtom(atom);
}

}  // namespace
