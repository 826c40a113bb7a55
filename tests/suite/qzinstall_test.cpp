// QZInstall.dll as the plug-in uses it: by ordinal, from a copy in a scratch
// suite folder so that each case controls QZInstall.ini and the files beside it.
#include "win/qzinstall_abi.h"
#include "win/raii.h"
#include "tests/suite/suite_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const int kUnusedOrdinals[] = {2, 3, 4, 8, 9, 10, 11, 13, 14, 16, 17, 18, 19};

class InstallerLibrary {
public:
    explicit InstallerLibrary(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}
    bool loaded() const { return static_cast<bool>(module_); }
    FARPROC Ordinal(int ordinal) const {
        return GetProcAddress(module_.get(), reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal)));
    }
    // Answers as the plug-in reads them: the text, or nothing on FALSE.
    std::wstring InstallPath(const wchar_t* name, UINT count = MAX_PATH, BOOL* ok = nullptr) const {
        wchar_t buffer[MAX_PATH] = L"junk";
        BOOL result = reinterpret_cast<QzGetInstallPathFn>(Ordinal(1))(buffer, count, name);
        if (ok) *ok = result;
        return result ? buffer : L"<failed:" + std::wstring(buffer) + L">";
    }
    std::wstring ComponentFile(const wchar_t* key, const wchar_t* fileName) const {
        wchar_t buffer[MAX_PATH] = L"junk";
        BOOL result = reinterpret_cast<QzGetComponentFileFn>(Ordinal(5))(buffer, MAX_PATH, key, fileName, 0);
        return result ? buffer : L"<failed:" + std::wstring(buffer) + L">";
    }
    std::wstring DataFolder(const wchar_t* product, const wchar_t* subFolder) const {
        wchar_t buffer[MAX_PATH] = L"junk";
        BOOL result = reinterpret_cast<QzGetDataFolderFn>(Ordinal(6))(buffer, MAX_PATH, product, subFolder);
        return result ? buffer : L"<failed:" + std::wstring(buffer) + L">";
    }
    LANGID LanguageId() const { return reinterpret_cast<QzGetLanguageIdFn>(Ordinal(15))(); }

private:
    UniqueModule module_;
};

// A scratch suite: <temp>\suite\QZInstall.dll and whatever a case adds.
class QzInstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyInto(SuiteDir() + L"\\QZInstall.dll", Root() + L"\\QZInstall.dll"))
            << ::testing::PrintToString(SuiteDir() + L"\\QZInstall.dll") << ", error " << ::GetLastError();
    }
    std::wstring Root() const { return temp_.File(L"suite"); }
    std::wstring Ini() const { return Root() + L"\\QZInstall.ini"; }
    void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value.c_str(), Ini().c_str()))
            << "error " << ::GetLastError();
    }
    InstallerLibrary Library() const { return InstallerLibrary(Root() + L"\\QZInstall.dll"); }

    ScratchDir temp_{L"suite"};
};

TEST_F(QzInstallTest, WithoutIniEverythingLiesUnderTheLibrarysFolder) {
    InstallerLibrary qz = Library();
    ASSERT_TRUE(qz.loaded());
    EXPECT_EQ(qz.InstallPath(L"AntiVirus"), Root() + L"\\AntiVirus");
    EXPECT_EQ(qz.InstallPath(L"Glimra"), Root() + L"\\Glimra");
    // The plug-in appends the language file name straight to this answer.
    EXPECT_EQ(qz.InstallPath(L"AntiVirus\\lang\\"), Root() + L"\\AntiVirus\\lang\\");
    EXPECT_EQ(qz.DataFolder(L"AntiVirus", L"Data\\"), Root() + L"\\AntiVirus\\Data\\");
    EXPECT_EQ(qz.LanguageId(), 0x0804);
}

TEST_F(QzInstallTest, ComponentFilesAreFoundOnlyWhenTheyExist) {
    InstallerLibrary qz = Library();
    ASSERT_TRUE(qz.loaded());
    const std::wstring skin = Root() + L"\\Glimra\\Glimra.dll";
    const std::wstring english = Root() + L"\\AntiVirus\\lang\\VtPesTrol0409.lng";

    EXPECT_EQ(qz.ComponentFile(nullptr, L"Glimra.dll"), L"<failed:>");
    EXPECT_EQ(qz.ComponentFile(L"pestrol0409", L"VtPesTrol0409.lng"), L"<failed:>");

    ASSERT_TRUE(WriteBytes(skin, "MZ")) << ::testing::PrintToString(skin) << ", error " << ::GetLastError();
    ASSERT_TRUE(WriteBytes(english, "MZ")) << ::testing::PrintToString(english) << ", error " << ::GetLastError();
    EXPECT_EQ(qz.ComponentFile(nullptr, L"Glimra.dll"), skin);
    EXPECT_EQ(qz.ComponentFile(L"pestrol0409", L"VtPesTrol0409.lng"), english);
    EXPECT_EQ(qz.ComponentFile(L"pestrol0804", L"VtPesTrol0804.lng"), L"<failed:>");
    // Files the library knows nothing about, and no file at all.
    ASSERT_TRUE(WriteBytes(Root() + L"\\Other.dll", "MZ"))
        << ::testing::PrintToString(Root() + L"\\Other.dll") << ", error " << ::GetLastError();
    EXPECT_EQ(qz.ComponentFile(nullptr, L"Other.dll"), L"<failed:>");
    EXPECT_EQ(qz.ComponentFile(nullptr, L""), L"<failed:>");
    EXPECT_EQ(qz.ComponentFile(nullptr, nullptr), L"<failed:>");
}

TEST_F(QzInstallTest, LanguageIdIsReadAsHexWithPrefixOrDecimal) {
    InstallerLibrary qz = Library();
    ASSERT_TRUE(qz.loaded());
    const struct {
        const wchar_t* text;
        LANGID expected;
    } cases[] = {
        {L"0x0409", 0x0409}, {L"0X0411", 0x0411}, {L"1033", 0x0409}, {L"2052", 0x0804},
        {L" 0x0407 ", 0x0407},
        // Not a language: the default stands.
        {L"0", 0x0804}, {L"0x", 0x0804}, {L"0x10000", 0x0804}, {L"65536", 0x0804},
        {L"0409h", 0x0804}, {L"english", 0x0804}, {L"-1033", 0x0804},
    };
    for (const auto& c : cases) {
        Set(L"Suite", L"LanguageId", c.text);
        EXPECT_EQ(qz.LanguageId(), c.expected) << "LanguageId=" << testing::PrintToString(std::wstring(c.text));
    }
}

TEST_F(QzInstallTest, IniPlacesTheRootAndEachPart) {
    const std::wstring elsewhere = temp_.File(L"elsewhere");
    Set(L"Suite", L"Root", elsewhere + L"\\");
    InstallerLibrary qz = Library();
    ASSERT_TRUE(qz.loaded());
    EXPECT_EQ(qz.InstallPath(L"Glimra"), elsewhere + L"\\Glimra");
    EXPECT_EQ(qz.DataFolder(L"AntiVirus", L"Data\\"), elsewhere + L"\\AntiVirus\\Data\\");

    // A part placed on its own; its sub-folders follow it.
    const std::wstring av = temp_.File(L"av");
    Set(L"InstallPath", L"AntiVirus", av);
    EXPECT_EQ(qz.InstallPath(L"AntiVirus"), av);
    EXPECT_EQ(qz.InstallPath(L"AntiVirus\\lang\\"), av + L"\\lang\\");
    // An entry for the exact name wins, and gets the trailing backslash the name asks for.
    const std::wstring languages = temp_.File(L"languages");
    Set(L"InstallPath", L"AntiVirus\\lang\\", languages);
    EXPECT_EQ(qz.InstallPath(L"AntiVirus\\lang\\"), languages + L"\\");

    const std::wstring data = temp_.File(L"userdata");
    Set(L"DataFolder", L"AntiVirus", data);
    EXPECT_EQ(qz.DataFolder(L"AntiVirus", L"Data\\"), data + L"\\Data\\");
    EXPECT_EQ(qz.DataFolder(L"Firewall", L"Logs"), elsewhere + L"\\Firewall\\Logs");
}

TEST_F(QzInstallTest, RelativeIniPathsStartAtTheLibrarysFolder) {
    Set(L"Suite", L"Root", L"..\\shared");
    InstallerLibrary qz = Library();
    ASSERT_TRUE(qz.loaded());
    EXPECT_EQ(qz.InstallPath(L"Glimra"), temp_.File(L"shared\\Glimra"));
}

TEST_F(QzInstallTest, ComponentFileEntriesAreLookedUpByKeyOrFileName) {
    const std::wstring custom = temp_.File(L"custom\\english.lng");
    const std::wstring skin = temp_.File(L"skins\\Glimra.dll");
    Set(L"ComponentFile", L"pestrol0409", custom);
    Set(L"ComponentFile", L"Glimra.dll", skin);
    Set(L"ComponentFile", L"pestrol0804", temp_.File(L"missing.lng"));
    InstallerLibrary qz = Library();
    ASSERT_TRUE(qz.loaded());

    EXPECT_EQ(qz.ComponentFile(L"pestrol0409", L"VtPesTrol0409.lng"), L"<failed:>");
    ASSERT_TRUE(WriteBytes(custom, "MZ")) << ::testing::PrintToString(custom) << ", error " << ::GetLastError();
    ASSERT_TRUE(WriteBytes(skin, "MZ")) << ::testing::PrintToString(skin) << ", error " << ::GetLastError();
    EXPECT_EQ(qz.ComponentFile(L"pestrol0409", L"VtPesTrol0409.lng"), custom);
    EXPECT_EQ(qz.ComponentFile(nullptr, L"Glimra.dll"), skin);
    // A configured file that is missing is not replaced by the default place.
    ASSERT_TRUE(WriteBytes(Root() + L"\\AntiVirus\\lang\\VtPesTrol0804.lng", "MZ"))
        << ::testing::PrintToString(Root() + L"\\AntiVirus\\lang\\VtPesTrol0804.lng") << ", error " << ::GetLastError();
    EXPECT_EQ(qz.ComponentFile(L"pestrol0804", L"VtPesTrol0804.lng"), L"<failed:>");
}

TEST_F(QzInstallTest, PathsAreWrittenOnlyWhenTheyFitWithTheirTerminator) {
    InstallerLibrary qz = Library();
    ASSERT_TRUE(qz.loaded());
    const std::wstring expected = Root() + L"\\AntiVirus";
    const UINT exact = static_cast<UINT>(expected.size() + 1);
    BOOL ok = FALSE;
    EXPECT_EQ(qz.InstallPath(L"AntiVirus", exact, &ok), expected);
    EXPECT_TRUE(ok);
    // One short: failure, and no cut path left behind.
    EXPECT_EQ(qz.InstallPath(L"AntiVirus", exact - 1, &ok), L"<failed:>");
    EXPECT_FALSE(ok);

    auto getInstallPath = reinterpret_cast<QzGetInstallPathFn>(qz.Ordinal(1));
    wchar_t untouched[4] = L"abc";
    EXPECT_FALSE(getInstallPath(untouched, 0, L"AntiVirus"));
    EXPECT_STREQ(untouched, L"abc");
    EXPECT_FALSE(getInstallPath(nullptr, MAX_PATH, L"AntiVirus"));
    EXPECT_FALSE(getInstallPath(untouched, 4, nullptr));

    wchar_t small[8];
    EXPECT_FALSE(reinterpret_cast<QzGetDataFolderFn>(qz.Ordinal(6))(small, 8, L"AntiVirus", L"Data\\"));
    EXPECT_STREQ(small, L"");
    ASSERT_TRUE(WriteBytes(Root() + L"\\Glimra\\Glimra.dll", "MZ"))
        << ::testing::PrintToString(Root() + L"\\Glimra\\Glimra.dll") << ", error " << ::GetLastError();
    EXPECT_FALSE(reinterpret_cast<QzGetComponentFileFn>(qz.Ordinal(5))(small, 8, nullptr, L"Glimra.dll", 0));
    EXPECT_STREQ(small, L"");
}

TEST_F(QzInstallTest, OnlyOrdinalsAreExportedAndTheUnusedOnesFail) {
    InstallerLibrary qz = Library();
    ASSERT_TRUE(qz.loaded());
    for (int ordinal : kUnusedOrdinals) {
        FARPROC entry = qz.Ordinal(ordinal);
        ASSERT_NE(entry, nullptr) << "ordinal " << ordinal;
        EXPECT_FALSE(reinterpret_cast<QzUnusedFn>(entry)()) << "ordinal " << ordinal;
    }
    EXPECT_EQ(qz.Ordinal(7), nullptr);
    EXPECT_EQ(qz.Ordinal(12), nullptr);
    EXPECT_EQ(qz.Ordinal(20), nullptr);
}

// The library in the build's own suite folder finds the modules laid out there.
TEST(QzInstallSuiteLayout, FindsTheBuiltLanguageModulesAndSkin) {
    InstallerLibrary qz(SuiteDir() + L"\\QZInstall.dll");
    ASSERT_TRUE(qz.loaded());
    EXPECT_EQ(qz.ComponentFile(L"pestrol0409", L"VtPesTrol0409.lng"), SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol0409.lng");
    EXPECT_EQ(qz.ComponentFile(L"pestrol0804", L"VtPesTrol0804.lng"), SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol0804.lng");
    EXPECT_EQ(qz.ComponentFile(nullptr, L"Glimra.dll"), SuiteDir() + L"\\Glimra\\Glimra.dll");
    EXPECT_EQ(qz.DataFolder(L"AntiVirus", L"Data\\"), SuiteDir() + L"\\AntiVirus\\Data\\");
}

}  // namespace
