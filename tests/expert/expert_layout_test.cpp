// The editor's own layout on WM_SIZE: list sizes and button positions follow
// the outer window size.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/expert_dlg.h"
#include "dialogs/framework/screen_scale.h"
#include "lang/resource.h"
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

// "(x,y) WxH": one figure to compare, printed whole when it differs.
std::string Place(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ") " + std::to_string(Width(r)) + "x" +
           std::to_string(Height(r));
}

// The position changes a window is asked to make.
int g_positionChanges = 0;
WNDPROC g_staticProc = nullptr;
LRESULT CALLBACK CountPositionChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGING) ++g_positionChanges;
    return ::CallWindowProcW(g_staticProc, window, message, wParam, lParam);
}

// The layouts skip a control that is in place already (each move is a round
// trip to the window server under Wine), and must still move every other
// one: in the parent's client coordinates, either coordinate, either size.
TEST(LayoutSteps, AControlIsMovedOrSizedOnlyWhenItIsNotThereAlready) {
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 10, 20, 50, 30, parent, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    g_staticProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountPositionChanges)));
    g_positionChanges = 0;
    auto placeOf = [&] {
        RECT rect = ScreenRect(child);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        return Place(rect);
    };
    MoveChild(child, 10, 20);
    SizeChild(child, 50, 30);
    EXPECT_EQ(g_positionChanges, 0) << "a control in place was moved";
    const struct {
        bool move;
        int a, b;
        const char* place;
    } steps[] = {{true, 15, 20, "(15,20) 50x30"}, {true, 15, 25, "(15,25) 50x30"},
                 {false, 60, 30, "(15,25) 60x30"}, {false, 60, 35, "(15,25) 60x35"}};
    int changes = 0;
    for (const auto& step : steps) {
        step.move ? MoveChild(child, step.a, step.b) : SizeChild(child, step.a, step.b);
        EXPECT_EQ(placeOf(), step.place);
        EXPECT_EQ(g_positionChanges, ++changes) << step.place;
    }
    ::DestroyWindow(parent);
}

class ExpertLayout : public EditorTest, public ::testing::WithParamInterface<Language> {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        SelectLanguage(GetParam());
        FillStore({Category(1, L"Startup programs"), Category(800, L"Mine")});
        window_ = ShowModeless(dialog_, script_);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (window_) ::DestroyWindow(window_);
        EditorTest::TearDown();
    }
    void Resize(int width, int height) {
        ::SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }

    ModalScript script_;
    CExpertDlg dialog_;
    HWND window_ = nullptr;
};

TEST_P(ExpertLayout, ListsAndButtonsFollowTheWindowSize) {
    // The controls the layout measures get known sizes first, so the figures
    // below hold for either template: lists at y = 20, the category list 300
    // wide at x = 5, buttons 75 x 23.
    ::SetWindowPos(::GetDlgItem(window_, IDC_EXPERT_CATEGORY_LIST), nullptr, 5, 20, 300, 100, SWP_NOZORDER);
    ::SetWindowPos(::GetDlgItem(window_, IDC_EXPERT_ITEM_LIST), nullptr, 310, 20, 100, 100, SWP_NOZORDER);
    for (int id : {IDC_EXPERT_EDIT_CATEGORY, IDC_EXPERT_ADD_CATEGORY, IDC_EXPERT_DELETE_CATEGORY, IDC_EXPERT_ADD_ITEM,
                   IDC_EXPERT_DELETE_ITEM, IDC_EXPERT_DONE})
        ::SetWindowPos(::GetDlgItem(window_, id), nullptr, 0, 0, 75, 23, SWP_NOMOVE | SWP_NOZORDER);

    Resize(900, 640);
    const RECT dialog = ScreenRect(window_);
    ASSERT_EQ(Width(dialog), 900);
    ASSERT_EQ(Height(dialog), 640);

    // Lists 640 - 110 high, the item list taking the width the category
    // list leaves less 20; buttons 50 above the bottom edge of the frame.
    EXPECT_EQ(Place(ClientRect(window_, IDC_EXPERT_CATEGORY_LIST)), "(5,20) 300x530");
    EXPECT_EQ(Place(ClientRect(window_, IDC_EXPERT_ITEM_LIST)), "(310,20) 580x530");
    EXPECT_EQ(Place(ClientRect(window_, IDC_EXPERT_DONE)), "(800,567) 75x23");
    EXPECT_EQ(Place(ClientRect(window_, IDC_EXPERT_EDIT_CATEGORY)), "(5,567) 75x23");
    EXPECT_EQ(Place(ClientRect(window_, IDC_EXPERT_ADD_CATEGORY)), "(85,567) 75x23");
    EXPECT_EQ(Place(ClientRect(window_, IDC_EXPERT_DELETE_CATEGORY)), "(165,567) 75x23");
    // The item buttons start where the category list ends on screen,
    // counted from the frame's outer edge (4 px of frame at 96 DPI).
    EXPECT_EQ(Place(ClientRect(window_, IDC_EXPERT_ADD_ITEM)), "(309,567) 75x23");
    EXPECT_EQ(Place(ClientRect(window_, IDC_EXPERT_DELETE_ITEM)), "(389,567) 75x23");
}

TEST_P(ExpertLayout, LaidOutAtItsOwnSizeNothingOverlapsInEitherMode) {
    const RECT dialog = ScreenRect(window_);
    Resize(Width(dialog) + 1, Height(dialog));
    Resize(Width(dialog), Height(dialog));
    ExpectControlsFit(window_);
    SendNotify(window_, IDC_EXPERT_ITEM_LIST, NM_SETFOCUS);
    ExpectControlsFit(window_);
    // The lists end above the button row.
    EXPECT_LT(ClientRect(window_, IDC_EXPERT_CATEGORY_LIST).bottom, ClientRect(window_, IDC_EXPERT_EDIT_CATEGORY).top);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ExpertLayout, ::testing::Values(kEnglish, kChinese),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return info.param == kEnglish ? "English" : "Chinese";
                         });

}  // namespace
