// The main page's buttons: each click runs a fresh editor modally.
#include <gtest/gtest.h>

#include "dialogs/pestrol_set_dlg.h"
#include "lang/resource.h"
#include "win/resource_module.h"
#include "win/settings_files.h"
#include "tests/support/modal_script.h"
#include "tests/support/plugin_library.h"
#include "tests/support/file_assertions.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

class MainPage : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override {
        language_ = ::LoadLibraryW((SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol" + GetParam() + L".lng").c_str());
        ASSERT_NE(language_, nullptr);
        SetResourceModule(language_);
        RemoveTree(SettingsFolder());
        BuildSettingsFileSet(g_settingsFiles);
        parent_ = ::CreateWindowExW(0, L"STATIC", L"console", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                    nullptr, nullptr);
        ASSERT_NE(page_.Create(parent_), nullptr);
    }
    void TearDown() override {
        ::DestroyWindow(parent_);
        SetResourceModule(nullptr);
        RemoveTree(SettingsFolder());
    }

    HMODULE language_ = nullptr;
    HWND parent_ = nullptr;
    CPestrolSetDlg page_;
};

TEST_P(MainPage, HandEditButtonOpensAFreshDialogEachTime) {
    const std::wstring work = SettingsFolder() + L"\\tempRegUser.ini";
    ASSERT_TRUE(Written(work, "[a]\r\nname=A\r\nHKCU\\K1=1\r\n"));
    std::vector<int> rowsSeen;
    ModalScript script;
    auto readAndClose = [&](HWND dialog) {
        rowsSeen.push_back(ListRowCount(::GetDlgItem(dialog, IDC_HAND_EDIT_LIST)));
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    };
    script.Then(readAndClose);
    ::SendMessageW(page_.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_EDIT_USER_RULES, BN_CLICKED), 0);
    // An edit between the openings is seen by the second one.
    ASSERT_TRUE(Written(work, "[a]\r\nname=A\r\nHKCU\\K1=1\r\nHKCU\\K2=2\r\n"));
    script.Then(readAndClose);
    ::SendMessageW(page_.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_EDIT_USER_RULES, BN_CLICKED), 0);
    EXPECT_EQ(rowsSeen, std::vector<int>({1, 2}));
    EXPECT_EQ(script.UnexpectedWindows(), 0);
}

TEST_P(MainPage, ExpertButtonOpensTheEditor) {
    bool sawCategoryList = false;
    ModalScript script;
    script.Then([&](HWND dialog) {
        sawCategoryList = ::GetDlgItem(dialog, IDC_EXPERT_CATEGORY_LIST) != nullptr;
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    ::SendMessageW(page_.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_EXPERT_RULES, BN_CLICKED), 0);
    EXPECT_TRUE(sawCategoryList);
    EXPECT_EQ(script.PendingSteps(), 0u);
}

TEST_P(MainPage, OtherNotificationsOpenNothing) {
    ModalScript script;
    ::SendMessageW(page_.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_EXPERT_RULES, BN_DOUBLECLICKED), 0);
    ::SendMessageW(page_.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_EDIT_USER_RULES, BN_SETFOCUS), 0);
    EXPECT_EQ(script.UnexpectedWindows(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, MainPage, ::testing::Values(L"0409", L"0804"));

}  // namespace
