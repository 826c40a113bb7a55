// Start-up's lookups against the installer-information stand-in, configured
// through its QZInstall.ini in a scratch folder.
#include <gtest/gtest.h>

#include "win/dll_module.h"
#include "win/install_info.h"
#include "plugin/startup.h"
#include "tests/support/file_assertions.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

class StartupLookups : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            ::CopyFileW((SuiteDir() + L"\\QZInstall.dll").c_str(), scratch_.File(L"QZInstall.dll").c_str(), FALSE))
            << "error " << ::GetLastError();
    }
    void TearDown() override { DeleteInstallModule(); }

    // Loads the stand-in from the scratch folder with the given settings.
    void UseInstaller(const std::string& ini) {
        ASSERT_TRUE(Written(scratch_.File(L"QZInstall.ini"), ini));
        DeleteInstallModule();
        ASSERT_TRUE(InstallModule()->Load(scratch_.File(L"QZInstall.dll").c_str()));
    }

    ScratchDir scratch_{L"startup"};
};

TEST(StartupNames, LanguageModuleNamesUseFourUpperCaseHexDigits) {
    EXPECT_EQ(LanguageModuleFileName(0x0409), L"VtPesTrol0409.lng");
    EXPECT_EQ(LanguageModuleKey(0x0409), L"pestrol0409");
    EXPECT_EQ(LanguageModuleFileName(0x080a), L"VtPesTrol080A.lng");
    EXPECT_EQ(DebugLineText(L"LoadReDLLModule = 0"), L"\nVtPestrol: LoadReDLLModule = 0 \n");
}

TEST_F(StartupLookups, LanguageModuleFromTheInstallFolderWhenNoComponentIsRegistered) {
    UseInstaller("[Suite]\r\nLanguageId=0x0804\r\n[InstallPath]\r\nAntiVirus\\lang\\=C:\\Suite\\AntiVirus\\lang\\\r\n");
    EXPECT_EQ(LanguageModulePath(0x0804), L"C:\\Suite\\AntiVirus\\lang\\VtPesTrol0804.lng");
}

TEST_F(StartupLookups, RegisteredComponentWins) {
    const std::wstring registered = scratch_.File(L"English.lng");
    ASSERT_TRUE(Written(registered, "x"));
    UseInstaller("[ComponentFile]\r\npestrol0409=" + Narrow(registered) + "\r\n");
    EXPECT_EQ(LanguageModulePath(0x0409), registered);
}

TEST_F(StartupLookups, LanguageIdZeroMeansSimplifiedChinese) {
    UseInstaller("[Suite]\r\nLanguageId=0\r\n");
    EXPECT_EQ(GetLanguageId(), 0x0804);
    UseInstaller("[Suite]\r\nLanguageId=1033\r\n");
    EXPECT_EQ(GetLanguageId(), 0x0409);
}

TEST_F(StartupLookups, SkinLibraryFromTheInstallPathWhenNoComponentIsRegistered) {
    UseInstaller("[InstallPath]\r\nGlimra=C:\\Suite\\Glimra\r\n");
    Common::CGlimraModule skin;
    EXPECT_EQ(skin.GetPath(), L"C:\\Suite\\Glimra\\Glimra.dll");
}

TEST(StartupWithoutInstaller, EveryQueryGivesItsFailureValue) {
    DeleteInstallModule();
    // No QZInstall.dll beside this test program or in the system folder.
    EXPECT_EQ(GetLanguageId(), 0x0804);
    EXPECT_EQ(GetInstallPath(L"AntiVirus"), L"");
    wchar_t buffer[260] = L"x";
    EXPECT_FALSE(QueryDataFolder(buffer, 260, L"AntiVirus", L"Data\\"));
    EXPECT_EQ(LanguageModulePath(0x0804), L"");
    Common::CGlimraModule skin;
    EXPECT_EQ(skin.GetPath(), L"");
    EXPECT_FALSE(skin.Load(nullptr));
    EXPECT_EQ(skin.m_pfnGetWindowStyle, nullptr);
    DeleteInstallModule();
}

}  // namespace
