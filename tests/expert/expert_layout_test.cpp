// The editor's own layout on WM_SIZE: list sizes and button positions follow
// the outer window size.
#include <gtest/gtest.h>

#include "dialogs/expert_dlg.h"
#include "rules/rule_store.h"
#include "tests/expert/expert_test_support.h"

using namespace expert_test;
using namespace testing_support;

namespace {

RECT ScreenRect(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

// A control's window rectangle in the dialog's client coordinates.
RECT ClientRect(HWND dialog, int id) {
    RECT rect = ScreenRect(::GetDlgItem(dialog, id));
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

class ExpertLayout : public DialogTest, public ::testing::WithParamInterface<Language> {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        SelectLanguage(GetParam());
        FillStore({Category(1, L"Startup programs"), Category(800, L"Mine")});
        window_ = ShowModeless(dialog_, script_);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (window_) ::DestroyWindow(window_);
        DialogTest::TearDown();
    }
    void Resize(int width, int height) {
        ::SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }

    ModalScript script_;
    CExpertDlg dialog_;
    HWND window_ = nullptr;
};

TEST_P(ExpertLayout, ListsAndButtonsFollowTheWindowSize) {
    const int listWidth = Width(ScreenRect(::GetDlgItem(window_, 1015)));
    const int buttonHeight = Height(ScreenRect(::GetDlgItem(window_, 1019)));
    const int doneHeight = Height(ScreenRect(::GetDlgItem(window_, 1072)));
    const int editWidth = Width(ScreenRect(::GetDlgItem(window_, 1019)));
    const int addWidth = Width(ScreenRect(::GetDlgItem(window_, 1020)));
    const int addItemWidth = Width(ScreenRect(::GetDlgItem(window_, 1055)));

    Resize(900, 640);
    const RECT dialog = ScreenRect(window_);
    ASSERT_EQ(Width(dialog), 900);
    ASSERT_EQ(Height(dialog), 640);

    const RECT categories = ClientRect(window_, 1015);
    EXPECT_EQ(Width(categories), listWidth);
    EXPECT_EQ(Height(categories), 640 - 110);
    const RECT items = ClientRect(window_, 1016);
    EXPECT_EQ(Width(items), 900 - listWidth - 20);
    EXPECT_EQ(Height(items), 640 - 110);

    const RECT done = ClientRect(window_, 1072);
    EXPECT_EQ(done.left, 900 - 100);
    EXPECT_EQ(done.top, 640 - doneHeight - 50);

    const int row = 640 - buttonHeight - 50;
    const int expectedX[][2] = {{1019, 5},
                                {1020, editWidth + 10},
                                {1053, editWidth + addWidth + 15},
                                {1055, static_cast<int>(ScreenRect(::GetDlgItem(window_, 1015)).right - dialog.left)},
                                {1056, static_cast<int>(ScreenRect(::GetDlgItem(window_, 1015)).right - dialog.left) +
                                           addItemWidth + 5}};
    for (const auto& expected : expectedX) {
        SCOPED_TRACE(expected[0]);
        const RECT button = ClientRect(window_, expected[0]);
        EXPECT_EQ(button.left, expected[1]);
        EXPECT_EQ(button.top, row);
    }
    // The item buttons start under the item list.
    EXPECT_GE(ClientRect(window_, 1055).left, categories.right);
}

TEST_P(ExpertLayout, LaidOutAtItsOwnSizeNothingOverlapsInEitherMode) {
    const RECT dialog = ScreenRect(window_);
    Resize(Width(dialog) + 1, Height(dialog));
    Resize(Width(dialog), Height(dialog));
    ExpectControlsFit(window_);
    SendNotify(window_, 1016, NM_SETFOCUS);
    ExpectControlsFit(window_);
    // The lists end above the button row.
    EXPECT_LT(ClientRect(window_, 1015).bottom, ClientRect(window_, 1019).top);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ExpertLayout, ::testing::Values(kEnglish, kChinese),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return info.param == kEnglish ? "English" : "Chinese";
                         });

}  // namespace
