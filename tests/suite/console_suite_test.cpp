// The console as shipped in the suite folder: its own resources, and the
// real plug-in started through the installer stand-in and a language module.
#include "win/raii.h"
#include "lang/expert_ids.h"
#include "tests/suite/suite_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

// The expert rule editor puts each into an image list of 4 x 30 images.
TEST(ConsoleResources, EditorBitmapsFitTheEditorsImageLists) {
    UniqueModule console(LoadLibraryExW((SuiteDir() + L"\\VtOptions.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(console);
    for (int id : {IDB_CATEGORY_LIST_IMAGES, IDB_ITEM_LIST_IMAGES}) {
        HRSRC found = FindResourceW(console.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
        ASSERT_NE(found, nullptr) << "bitmap " << id;
        ASSERT_GE(SizeofResource(console.get(), found), sizeof(BITMAPINFOHEADER));
        auto header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(console.get(), found)));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biWidth, 4) << "bitmap " << id;
        EXPECT_EQ(header->biHeight, 30) << "bitmap " << id;
        EXPECT_EQ(header->biBitCount, 24) << "bitmap " << id;
    }
}

// A copy of the suite folder, so that each case sets its own QZInstall.ini.
class SuiteCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* file : {L"VtOptions.exe", L"VtPestrolSet.dll", L"QZInstall.dll", L"Glimra\\Glimra.dll",
                                    L"AntiVirus\\lang\\VtPesTrol0409.lng", L"AntiVirus\\lang\\VtPesTrol0804.lng"}) {
            ASSERT_TRUE(CopyInto(SuiteDir() + L"\\" + file, Suite() + L"\\" + file)) << Narrow(file);
        }
    }
    std::wstring Suite() const { return temp_.File(L"suite"); }
    void SetLanguage(const wchar_t* id) {
        ASSERT_TRUE(WritePrivateProfileStringW(L"Suite", L"LanguageId", id, (Suite() + L"\\QZInstall.ini").c_str()))
            << "error " << ::GetLastError();
    }
    Outcome Title() { return RunProgram(Suite() + L"\\VtOptions.exe", L"--title", temp_); }

    ScratchDir temp_{L"suite"};
};

TEST_F(SuiteCopyTest, PluginTitleComesFromTheSuitesLanguage) {
    Outcome chinese = Title();  // no language configured
    EXPECT_EQ(chinese.status, 0u) << chinese.err;
    EXPECT_EQ(chinese.out, u8"title: 注册表防护\n");

    SetLanguage(L"1033");
    Outcome english = Title();
    EXPECT_EQ(english.status, 0u) << english.err;
    EXPECT_EQ(english.out, "title: Registry Protection\n");
}

TEST_F(SuiteCopyTest, LanguageWithoutAModuleLeavesTheTitleEmpty) {
    SetLanguage(L"0x0411");
    Outcome run = Title();
    EXPECT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(run.out, "title: \n");
}

}  // namespace
