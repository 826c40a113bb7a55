// The page inside a console window: creation, reuse, show/hide, and the
// window outliving the page object.
#include <gtest/gtest.h>

#include "lang/resource.h"
#include "tests/support/console_window.h"
#include "tests/support/plugin_library.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

int ChildCount(HWND parent) {
    int count = 0;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) ++count;
    return count;
}

class PageLifetime : public ::testing::Test {
protected:
    void SetUp() override {
        library_.reset(new PluginLibrary(SuiteDir()));
        ASSERT_NE(library_->Module(), nullptr);
        plugin_ = library_->CreatePlugin();
        ASSERT_NE(plugin_, nullptr);
        console_ = MakeConsoleWindow();
        ASSERT_NE(console_, nullptr);
    }
    void TearDown() override {
        if (plugin_) plugin_->Release();
        if (console_ && ::IsWindow(console_)) ::DestroyWindow(console_);
        PumpMessages();
        library_.reset();
    }

    std::unique_ptr<PluginLibrary> library_;
    IProductOption* plugin_ = nullptr;
    HWND console_ = nullptr;
};

TEST_F(PageLifetime, SecondCreatePageMovesTheSameWindow) {
    RECT first = {10, 20, 310, 220};
    plugin_->CreatePage(console_, &first);
    ASSERT_EQ(ChildCount(console_), 1);
    HWND page = ::GetWindow(console_, GW_CHILD);
    EXPECT_EQ(::GetWindowLongW(page, GWL_STYLE) & WS_CHILD, WS_CHILD);
    EXPECT_TRUE(::IsWindowVisible(page));
    // The page holds the two editor buttons.
    EXPECT_NE(::GetDlgItem(page, IDC_EXPERT_RULES), nullptr);
    EXPECT_NE(::GetDlgItem(page, IDC_EDIT_USER_RULES), nullptr);

    RECT second = {30, 40, 230, 140};
    // Visible already, so ShowWindow answers nonzero.
    EXPECT_NE(plugin_->CreatePage(console_, &second), 0);
    EXPECT_EQ(ChildCount(console_), 1);
    EXPECT_EQ(::GetWindow(console_, GW_CHILD), page);
    RECT placed;
    ::GetWindowRect(page, &placed);
    ::MapWindowPoints(nullptr, console_, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 30);
    EXPECT_EQ(placed.top, 40);
    EXPECT_EQ(placed.right - placed.left, 200);
    EXPECT_EQ(placed.bottom - placed.top, 100);

    plugin_->HidePage();
    EXPECT_FALSE(::IsWindowVisible(page));
    plugin_->ShowPage();
    EXPECT_TRUE(::IsWindowVisible(page));
}

TEST_F(PageLifetime, DestroyedConsoleWindowMeansANewPageNextTime) {
    RECT rect = {0, 0, 200, 100};
    plugin_->CreatePage(console_, &rect);
    ASSERT_EQ(ChildCount(console_), 1);
    ::DestroyWindow(console_);
    console_ = MakeConsoleWindow();
    plugin_->ShowPage();  // no window: nothing happens
    EXPECT_EQ(ChildCount(console_), 0);
    plugin_->CreatePage(console_, &rect);
    EXPECT_EQ(ChildCount(console_), 1);
}

TEST_F(PageLifetime, PageWindowOutlivesThePluginSafely) {
    RECT rect = {0, 0, 200, 100};
    plugin_->CreatePage(console_, &rect);
    HWND page = ::GetWindow(console_, GW_CHILD);
    ASSERT_NE(page, nullptr);
    plugin_->Release();  // deletes the page object; its window stays
    plugin_ = nullptr;
    ASSERT_TRUE(::IsWindow(page));
    // Nothing holds the module any more: the console may unload it.
    EXPECT_EQ(library_->CanUnloadNow(), S_OK);
    library_.reset();
    EXPECT_EQ(::GetModuleHandleW(L"VtPestrolSet.dll"), nullptr);
    // Messages to the orphaned page go to plain dialog handling.
    ::SendMessageW(page, WM_SIZE, 0, MAKELPARAM(100, 50));
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_EXPERT_RULES, BN_CLICKED), 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_EDIT_USER_RULES, BN_CLICKED), 0);
    ::DestroyWindow(console_);
    console_ = nullptr;
    PumpMessages();
    EXPECT_FALSE(::IsWindow(page));
}

}  // namespace
