// The six dialogs at the scale of the prefix this program runs in (one CTest
// entry per DPI), in both languages: at their first size and, for the two
// that can be resized, at their smallest, nothing overlaps, leaves the
// dialog or the screen, or is cut.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "dialogs/add_vir_dlg.h"
#include "dialogs/class_add_dlg.h"
#include "dialogs/expert_dlg.h"
#include "dialogs/hand_edit_dlg.h"
#include "dialogs/item_add_dlg.h"
#include "dialogs/pestrol_set_dlg.h"
#include "rules/rule_store.h"
#include "tests/support/layout_check.h"
#include "tests/support/dialog_test.h"
#include "tests/support/test_files.h"
#include "win/resource_module.h"

using namespace testing_support;

namespace {

// Layouts checked by this process: one per dialog, size and language.
int g_layoutsChecked = 0;
int g_dialogsChecked = 0;

void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

std::string SizeText(HWND window) {
    RECT r = {};
    ::GetWindowRect(window, &r);
    return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

void NotifyFocus(HWND dialog, int id) {
    NMHDR header = {::GetDlgItem(dialog, id), static_cast<UINT_PTR>(id), static_cast<UINT>(NM_SETFOCUS)};
    ::SendMessageW(dialog, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&header));
    PumpMessages();
}

class ScaledLayout : public testing_support::DialogTest, public ::testing::WithParamInterface<const wchar_t*> {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        // The prefix must give this program the scale its CTest entry names.
        if (const char* expected = std::getenv("VTPS_EXPECT_DPI")) {
            ASSERT_EQ(ScreenDpi(), std::atoi(expected));
        }
        const std::wstring path = testing_support::SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol" + GetParam() + L".lng";
        language_ = ::LoadLibraryW(path.c_str());
        ASSERT_NE(language_, nullptr);
        SetResourceModule(language_);
        prefix_ = std::to_string(ScreenDpi()) + " DPI, " + (std::wstring(GetParam()) == L"0409" ? "0409" : "0804");
    }
    void TearDown() override {
        SetResourceModule(nullptr);
        if (language_) ::FreeLibrary(language_);
        DialogTest::TearDown();
    }

    // Opens the dialog modeless, as a user first sees it.
    template <class Dialog>
    HWND Open(Dialog& dialog, HWND parent = nullptr) {
        HWND window = dialog.Create(parent);
        if (window) ::ShowWindow(window, SW_SHOW);
        PumpMessages();
        return window;
    }

    void Check(HWND window, const std::string& what) {
        ExpectDialogFits(window, prefix_ + ", " + what);
        ++g_layoutsChecked;
    }

    // Drags the dialog as small as it goes; answers the size reached, which
    // must be below the first size (both, when the first size was clamped to
    // the screen and is already the smallest).
    void ShrinkToSmallest(HWND window, const std::string& what) {
        const std::string first = SizeText(window);
        ::SetWindowPos(window, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages();
        RECT shrunk = {};
        ::GetWindowRect(window, &shrunk);
        EXPECT_GT(shrunk.right - shrunk.left, 1) << what << " has no smallest size";
        std::printf("%s: %s first %s, smallest %s\n", prefix_.c_str(), what.c_str(), first.c_str(),
                    SizeText(window).c_str());
    }

    HMODULE language_ = nullptr;
    std::string prefix_;
};

TEST_P(ScaledLayout, FixedSizeDialogsFit) {
    {
        HWND console = ::CreateWindowExW(0, L"STATIC", L"console", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 700, nullptr,
                                         nullptr, nullptr, nullptr);
        CPestrolSetDlg page;
        HWND window = Open(page, console);
        ASSERT_NE(window, nullptr);
        Check(window, "settings page");
        ::DestroyWindow(console);
    }
    {
        RuleCategory record = {};
        CClassAdd dialog;
        dialog.m_pCategory = &record;
        HWND window = Open(dialog);
        ASSERT_NE(window, nullptr);
        Check(window, "add-category dialog");
        ::DestroyWindow(window);
    }
    {
        CItemAdd dialog;
        HWND window = Open(dialog);
        ASSERT_NE(window, nullptr);
        Check(window, "add-item dialog");
        ::DestroyWindow(window);
    }
    {
        CAddVirDlg dialog;
        HWND window = Open(dialog);
        ASSERT_NE(window, nullptr);
        Check(window, "add-entry dialog");
        ::DestroyWindow(window);
    }
    g_dialogsChecked += 4;
}

TEST_P(ScaledLayout, ExpertEditorFitsAtFirstAndSmallestSize) {
    ReleaseRuleStore();
    g_ruleStore.categories = static_cast<RuleCategory*>(std::calloc(kMaxCategories, sizeof(RuleCategory)));
    g_ruleStore.categories[0].id = 800;
    ::lstrcpyW(g_ruleStore.categories[0].wideName, L"Startup");
    g_ruleStore.count = 1;

    CExpertDlg dialog;
    HWND window = Open(dialog);
    ASSERT_NE(window, nullptr);
    // Each button set in turn: the category set shows first, the item set
    // once the item list has the focus.
    auto checkBothSets = [&](const std::string& size) {
        NotifyFocus(window, IDC_EXPERT_CATEGORY_LIST);
        ASSERT_TRUE(::IsWindowVisible(::GetDlgItem(window, IDC_EXPERT_ADD_CATEGORY)));
        Check(window, "expert editor, categories, " + size);
        NotifyFocus(window, IDC_EXPERT_ITEM_LIST);
        ASSERT_TRUE(::IsWindowVisible(::GetDlgItem(window, IDC_EXPERT_ADD_ITEM)));
        ExpectDialogFits(window, prefix_ + ", expert editor, items, " + size);
    };
    checkBothSets("first size");
    ShrinkToSmallest(window, "expert editor");
    checkBothSets("smallest size");
    ::DestroyWindow(window);
    g_dialogsChecked += 1;
}

TEST_P(ScaledLayout, HandEditDialogFitsAtFirstAndSmallestSize) {
    CHandEditDlg dialog;
    HWND window = Open(dialog);
    ASSERT_NE(window, nullptr);
    Check(window, "hand-edit dialog, first size");
    ShrinkToSmallest(window, "hand-edit dialog");
    Check(window, "hand-edit dialog, smallest size");
    ::DestroyWindow(window);
    g_dialogsChecked += 1;
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ScaledLayout, ::testing::Values(L"0409", L"0804"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             return std::wstring(info.param) == L"0409" ? "English" : "Chinese";
                         });

// The figures of the run.
class Figures : public ::testing::Environment {
public:
    void TearDown() override {
        std::printf("checked at %d DPI: %d layouts (dialogs x sizes x languages) of %d dialog openings\n", ScreenDpi(),
                    g_layoutsChecked, g_dialogsChecked);
    }
};
const auto* const g_figures = ::testing::AddGlobalTestEnvironment(new Figures);

}  // namespace
