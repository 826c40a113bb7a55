// The console's window around a plug-in page, in this process with the fake
// plug-in: caption, page placement, resizing, the Apply and Close buttons.
#include "suite/console/com_apartment.h"
#include "suite/console/options_window.h"
#include "suite/console/plugin_host.h"
#include "tests/suite/suite_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring TextOf(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

RECT ClientOf(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return r;
}

RECT PlaceInParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

class OptionsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = temp_.File(L"calls.log");
        SetEnvironmentVariableW(L"VTPS_FAKE_PLUGIN_LOG", log_.c_str());
        std::wstring error;
        ASSERT_TRUE(host_.Open(WinePathFromUnix(VTPS_FAKE_PLUGIN_UNIX), error)) << testing::PrintToString(error);
    }
    void TearDown() override {
        host_.Close();
        SetEnvironmentVariableW(L"VTPS_FAKE_PLUGIN_LOG", nullptr);
        SetEnvironmentVariableW(L"VTPS_FAKE_NO_PAGE", nullptr);
    }
    void Click(OptionsWindow& window, int id) {
        SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window.Handle(), id)));
    }
    std::string Calls() { return ReadBytes(log_); }

    ComApartment apartment_;
    ScratchDir temp_{L"suite"};
    std::wstring log_;
    PluginHost host_;
};

TEST_F(OptionsWindowTest, CaptionIsThePageTitleWithTheSuiteName) {
    OptionsWindow window(*host_.Option(), GetModuleHandleW(nullptr), false);
    ASSERT_TRUE(window.Create(SW_SHOWNORMAL));
    EXPECT_EQ(TextOf(window.Handle()), L"Fake Page - Veltrane Options");
}

TEST_F(OptionsWindowTest, PageFillsTheFrameAndFollowsResizing) {
    OptionsWindow window(*host_.Option(), GetModuleHandleW(nullptr), false);
    ASSERT_TRUE(window.Create(SW_SHOWNORMAL));
    ASSERT_TRUE(window.HasPage());
    HWND page = GetWindow(window.Frame(), GW_CHILD);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(TextOf(page), L"fake page");
    const RECT frame = ClientOf(window.Frame());
    EXPECT_GT(frame.right, 0);
    EXPECT_GT(frame.bottom, 0);
    EXPECT_TRUE(SameRect(PlaceInParent(page), frame));
    EXPECT_NE(Calls().find("CreatePage 0,0," + std::to_string(frame.right) + "," + std::to_string(frame.bottom)),
              std::string::npos)
        << Calls();

    SetWindowPos(window.Handle(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    const RECT larger = ClientOf(window.Frame());
    EXPECT_GT(larger.right, frame.right);
    EXPECT_GT(larger.bottom, frame.bottom);
    EXPECT_TRUE(SameRect(PlaceInParent(page), larger));
    // Resizing moves the page; it does not ask the plug-in again (that would reload).
    EXPECT_EQ(Calls().find("CreatePage"), Calls().rfind("CreatePage"));
}

TEST_F(OptionsWindowTest, ButtonsSitBelowTheFrameWithoutOverlapping) {
    OptionsWindow window(*host_.Option(), GetModuleHandleW(nullptr), false);
    ASSERT_TRUE(window.Create(SW_SHOWNORMAL));
    const RECT frame = PlaceInParent(window.Frame());
    RECT previous = {};
    for (int id : {OptionsWindow::kApplyId, OptionsWindow::kExportId, OptionsWindow::kImportId, OptionsWindow::kCloseId}) {
        HWND button = GetDlgItem(window.Handle(), id);
        ASSERT_NE(button, nullptr) << id;
        RECT place = PlaceInParent(button);
        EXPECT_GE(place.top, frame.bottom) << id;
        EXPECT_LE(place.right, ClientOf(window.Handle()).right) << id;
        EXPECT_GE(place.left, previous.right) << id;
        previous = place;
    }
}

TEST_F(OptionsWindowTest, ApplyButtonAppliesThroughThePlugin) {
    OptionsWindow window(*host_.Option(), GetModuleHandleW(nullptr), false);
    ASSERT_TRUE(window.Create(SW_SHOWNORMAL));
    EXPECT_EQ(Calls().find("Apply"), std::string::npos);
    Click(window, OptionsWindow::kApplyId);
    EXPECT_NE(Calls().find("Apply"), std::string::npos);
    EXPECT_EQ(TextOf(GetDlgItem(window.Handle(), OptionsWindow::kStatusId)), L"Settings applied.");
}

TEST_F(OptionsWindowTest, CloseButtonDestroysTheWindowWithoutEndingTheThread) {
    OptionsWindow window(*host_.Option(), GetModuleHandleW(nullptr), false);
    ASSERT_TRUE(window.Create(SW_SHOWNORMAL));
    HWND handle = window.Handle();
    Click(window, OptionsWindow::kCloseId);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(window.Handle(), nullptr);
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(OptionsWindowTest, MissingPageLeavesANoticeInTheFrame) {
    SetEnvironmentVariableW(L"VTPS_FAKE_NO_PAGE", L"1");
    OptionsWindow window(*host_.Option(), GetModuleHandleW(nullptr), false);
    ASSERT_TRUE(window.Create(SW_SHOWNORMAL));
    EXPECT_FALSE(window.HasPage());
    HWND notice = GetWindow(window.Frame(), GW_CHILD);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(TextOf(notice), L"The settings page could not be created.");
}

}  // namespace
