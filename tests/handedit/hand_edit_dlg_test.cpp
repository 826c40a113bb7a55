// The hand-edit dialog, created from the real language modules over a real
// working copy of the user rule file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/hand_edit_dlg.h"
#include "lang/resource.h"
#include "tests/handedit/handedit_support.h"
#include "tests/support/keyboard_input.h"
#include "tests/support/modal_script.h"

using namespace handedit_test;
using namespace testing_support;

namespace {

using Rows = std::vector<std::vector<std::wstring>>;

const char kSampleFile[] =
    "[a]\r\nname=A\r\nHKCU\\K1=v1\r\nHKCU\\K2=v2\r\n"
    "[b]\r\nname=B\r\nHKCU\\K3=v3,7\r\n";

HWND ListOf(HWND dialog) { return ::GetDlgItem(dialog, IDC_HAND_EDIT_LIST); }
Rows RowsOf(HWND dialog) { return ListRows(ListOf(dialog), 4); }

LRESULT SendRightClick(HWND dialog) {
    NMHDR header = {};
    header.hwndFrom = ListOf(dialog);
    header.idFrom = IDC_HAND_EDIT_LIST;
    header.code = NM_RCLICK;
    return ::SendMessageW(dialog, WM_NOTIFY, IDC_HAND_EDIT_LIST, reinterpret_cast<LPARAM>(&header));
}

LRESULT SendDelete(HWND dialog) {
    return ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HAND_EDIT_DELETE, BN_CLICKED), 0);
}

RECT ClientRectOf(HWND dialog, int id) {
    RECT rect = {};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Opens the dialog, runs `step` on it as its first window, and expects it
// closed with the close box.
void RunHandEdit(const std::function<void(HWND)>& step) {
    ModalScript script;
    script.Then(step);
    CHandEditDlg dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), 0);
    EXPECT_EQ(script.PendingSteps(), 0u);
    EXPECT_EQ(script.UnexpectedWindows(), 0);
}

// Lets `inspect` look at the dialog, then closes it.
void WithHandEdit(const std::function<void(HWND)>& inspect) {
    RunHandEdit([&](HWND dialog) {
        inspect(dialog);
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
}

// The same once the dialog is on screen, where the focus can move.
void WithShownHandEdit(const std::function<void(HWND)>& inspect) {
    RunHandEdit([&](HWND dialog) {
        RunWhenShown(dialog, [&inspect, dialog] {
            inspect(dialog);
            ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        });
    });
}

Rows ListedRows() {
    Rows rows;
    WithHandEdit([&](HWND dialog) { rows = RowsOf(dialog); });
    return rows;
}

class HandEditLanguage : public DialogTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(HandEditLanguage, ListsTheSampleFileNewestFirstUnderTranslatedHeaders) {
    LanguageModule language(GetParam());
    ASSERT_TRUE(language.Loaded());
    WriteWorkingRuleFile(kSampleFile);

    WithHandEdit([](HWND dialog) {
        HWND list = ListOf(dialog);
        EXPECT_EQ(RowsOf(dialog), (Rows{{L"b", L"B", L"HKCU\\K3", L"v3"},
                                        {L"a", L"A", L"HKCU\\K2", L"v2"},
                                        {L"a", L"A", L"HKCU\\K1", L"v1"}}));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_HAND_EDIT_DELETE)));
        EXPECT_EQ(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_FULLROWSELECT);

        RECT client = {};
        ::GetClientRect(list, &client);
        const UINT headers[] = {IDS_HAND_EDIT_COLUMN_SECTION, IDS_HAND_EDIT_COLUMN_NAME, IDS_HAND_EDIT_COLUMN_KEY_PATH,
                                IDS_HAND_EDIT_COLUMN_VALUE};
        const int percents[] = {15, 20, 35, 30};
        for (int i = 0; i < 4; ++i) {
            wchar_t text[128] = {};
            LVCOLUMNW column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.pszText = text;
            column.cchTextMax = 128;
            ASSERT_TRUE(::SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column))) << i;
            EXPECT_FALSE(Text(headers[i]).empty()) << i;
            EXPECT_EQ(std::wstring(text), Text(headers[i])) << i;
            EXPECT_EQ(column.cx, client.right * percents[i] / 100) << i;
            if (i > 0) {
                EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER) << i;
            }
        }
        EXPECT_FALSE(::SendMessageW(list, LVM_GETCOLUMNW, 4, 0));
        // The rows are listed as read: the template must not sort them.
        EXPECT_EQ(::GetWindowLongW(list, GWL_STYLE) & (LVS_SORTASCENDING | LVS_SORTDESCENDING), 0);
    });
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, HandEditLanguage, ::testing::Values(L"0409", L"0804"));

// The keyboard: Tab, Shift+F10 and the Applications key, the Delete key.
class HandEditKeys : public DialogTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(HandEditKeys, TabMenusAndTheDeleteKeyWorkFromTheKeyboard) {
    LanguageModule language(GetParam());
    ASSERT_TRUE(language.Loaded());
    WriteWorkingRuleFile(kSampleFile);
    std::wstring repeated;
    std::vector<int> walk;
    int menusWithoutSelection = -1, shiftF10Menus = -1, appsKeyMenus = -1;
    std::vector<UINT> ids;
    POINT menuAt = {}, under = {};
    Rows rowsAfterDelete;
    bool nextRowSelected = false;
    WithShownHandEdit([&](HWND dialog) {
        {
            HWND list = ListOf(dialog);
            repeated = RepeatedAccessKeys(dialog);
            ::SetFocus(list);
            walk = TabWalk(dialog, 4);
            {
                PopupMenuWatch watch;
                ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
                SendKeyDown(list, VK_APPS);
                menusWithoutSelection = watch.shown;
            }
            SelectListRow(list, 1);
            {
                PopupMenuWatch watch;
                ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
                shiftF10Menus = watch.shown;
                ids = watch.ids;
                menuAt = {watch.frame.left, watch.frame.top};
                under = RowMenuPoint(list, 1);
            }
            {
                PopupMenuWatch watch;
                SendKeyDown(list, VK_APPS);
                appsKeyMenus = watch.shown;
            }
            SendKeyDown(list, VK_DELETE);  // a / HKCU\K2: the whole section [a]
            rowsAfterDelete = RowsOf(dialog);
            nextRowSelected = RowSelectedFocusedAndVisible(list, 0);
        }
    });
    EXPECT_EQ(repeated, L"");
    EXPECT_EQ(walk, (std::vector<int>{IDC_HAND_EDIT_ADD, IDC_HAND_EDIT_DELETE, IDC_HAND_EDIT_CONFIRM, IDC_HAND_EDIT_LIST}));
    EXPECT_EQ(menusWithoutSelection, 0);
    EXPECT_EQ(shiftF10Menus, 1);
    EXPECT_EQ(ids, (std::vector<UINT>{IDC_HAND_EDIT_ADD, IDC_HAND_EDIT_DELETE, 0, IDC_HAND_EDIT_CONFIRM}));
    EXPECT_EQ(menuAt.x, under.x);
    EXPECT_EQ(menuAt.y, under.y);
    EXPECT_EQ(appsKeyMenus, 1);
    EXPECT_EQ(rowsAfterDelete, (Rows{{L"b", L"B", L"HKCU\\K3", L"v3"}}));
    EXPECT_TRUE(nextRowSelected);
    EXPECT_EQ(RuleFileSections(), (std::vector<std::string>{"b"}));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, HandEditKeys, ::testing::Values(L"0409", L"0804"));

class HandEditTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ASSERT_TRUE(language_.Loaded());
    }
    LanguageModule language_{L"0409"};
};

TEST_F(HandEditTest, MissingFileShowsAnEmptyListWithDeleteDisabled) {
    WithHandEdit([](HWND dialog) {
        EXPECT_EQ(ListRowCount(ListOf(dialog)), 0);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_HAND_EDIT_DELETE)));
    });
}

TEST_F(HandEditTest, DeleteRemovesTheWholeSectionAndEveryRowOfIt) {
    WriteWorkingRuleFile(kSampleFile);
    WithHandEdit([](HWND dialog) {
        // Nothing selected: nothing happens.
        EXPECT_EQ(SendDelete(dialog), 0);
        EXPECT_EQ(ListRowCount(ListOf(dialog)), 3);

        SelectListRow(ListOf(dialog), 1);  // a / HKCU\K2
        EXPECT_EQ(SendDelete(dialog), 1);
        EXPECT_EQ(RowsOf(dialog), (Rows{{L"b", L"B", L"HKCU\\K3", L"v3"}}));
        EXPECT_EQ(RuleFileSections(), (std::vector<std::string>{"b"}));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_HAND_EDIT_DELETE)));
    });
    EXPECT_EQ(ListedRows(), (Rows{{L"b", L"B", L"HKCU\\K3", L"v3"}}));
}

TEST_F(HandEditTest, DeleteRemovesEverySpellingOfTheSectionAndTheListShowsWhatTheFileHolds) {
    // The profile functions take [a] and [A] for one section.
    WriteWorkingRuleFile("[a]\r\nHKCU\\K1=1\r\n[A]\r\nHKCU\\K2=2\r\n[b]\r\nHKCU\\K3=3\r\n");
    WithHandEdit([](HWND dialog) {
        ASSERT_EQ(ListRowCount(ListOf(dialog)), 3);
        SelectListRow(ListOf(dialog), 2);  // a / HKCU\K1
        EXPECT_EQ(SendDelete(dialog), 1);
        EXPECT_EQ(RuleFileSections(), (std::vector<std::string>{"b"}));
        EXPECT_EQ(RowsOf(dialog), (Rows{{L"b", L"b", L"HKCU\\K3", L"3"}}));
        // The row that took the deleted one's place is selected, so Delete
        // goes on working.
        EXPECT_EQ(::SendMessageW(ListOf(dialog), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    });
    EXPECT_EQ(ListedRows(), (Rows{{L"b", L"b", L"HKCU\\K3", L"3"}}));
}

TEST_F(HandEditTest, DeleteFindsSectionsWhoseNamesTheListShowsCut) {
    // Two names that agree in the 63 characters a rule keeps.
    const std::string shared(63, 'S');
    WriteWorkingRuleFile("[" + shared + "-first]\r\nHKCU\\One=1\r\n[" + shared + "-second]\r\nHKCU\\Two=2\r\n");
    WithHandEdit([&](HWND dialog) {
        const std::wstring cut(63, L'S');
        ASSERT_EQ(RowsOf(dialog), (Rows{{cut, cut, L"HKCU\\Two", L"2"}, {cut, cut, L"HKCU\\One", L"1"}}));
        SelectListRow(ListOf(dialog), 1);
        EXPECT_EQ(SendDelete(dialog), 1);
        EXPECT_EQ(RuleFileSections(), (std::vector<std::string>{shared + "-second"}));
        EXPECT_EQ(ListRowCount(ListOf(dialog)), 1);
        EXPECT_EQ(ListCell(ListOf(dialog), 0, 2), L"HKCU\\Two");
    });
    const Rows rows = ListedRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], L"HKCU\\Two");
}

TEST_F(HandEditTest, DeletingTheLastRowDisablesDeleteAndAddingEnablesIt) {
    WriteWorkingRuleFile("[only]\r\nHKCU\\K=v\r\n");
    ModalScript script;
    PostedCalls posted;
    HWND handEdit = nullptr;
    bool enabledAfterAdd = false;
    int rowsAfterAdd = -1;
    script
        .Then([&](HWND dialog) {
            handEdit = dialog;
            SelectListRow(ListOf(dialog), 0);
            EXPECT_EQ(SendDelete(dialog), 1);
            EXPECT_EQ(ListRowCount(ListOf(dialog)), 0);
            EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_HAND_EDIT_DELETE)));
            EXPECT_TRUE(RuleFileSections().empty()) << ::testing::PrintToString(RuleFileSections());
            ClickButton(dialog, IDC_HAND_EDIT_ADD);
        })
        .Then([&](HWND add) {
            ::SendDlgItemMessageW(add, IDC_ADD_ENTRY_PRESET_LIST, CB_SETCURSEL, 1, 0);
            SetControlText(add, IDC_ADD_ENTRY_SECTION, L"S");
            SetControlText(add, IDC_ADD_ENTRY_SUB_KEY, L"K");
            ClickButton(add, IDC_ADD_ENTRY_CONFIRM);
            posted.Post([&] {
                enabledAfterAdd = ::IsWindowEnabled(::GetDlgItem(handEdit, IDC_HAND_EDIT_DELETE)) != FALSE;
                rowsAfterAdd = ListRowCount(ListOf(handEdit));
                ::PostMessageW(handEdit, WM_CLOSE, 0, 0);
            });
        });
    CHandEditDlg dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), 0);
    EXPECT_TRUE(enabledAfterAdd);
    EXPECT_EQ(rowsAfterAdd, 1);
    EXPECT_EQ(script.UnexpectedWindows(), 0);
}

TEST_F(HandEditTest, AnAddedRowIsSelectedInViewAndDeletingTheLastRowLeavesTheFocusOnTheList) {
    // More rows than the list shows at once.
    std::string file;
    for (int i = 0; i < 40; ++i) file += "[s" + std::to_string(i) + "]\r\nHKCU\\K=v\r\n";
    WriteWorkingRuleFile(file);
    ModalScript script;
    PostedCalls posted;
    HWND handEdit = nullptr;
    bool addedRowShown = false;
    script
        .Then([&](HWND dialog) {
            handEdit = dialog;
            RunWhenShown(dialog, [&] { ClickButton(handEdit, IDC_HAND_EDIT_ADD); });
        })
        .Then([&](HWND add) {
            ::SendDlgItemMessageW(add, IDC_ADD_ENTRY_PRESET_LIST, CB_SETCURSEL, 1, 0);
            SetControlText(add, IDC_ADD_ENTRY_SECTION, L"new");
            SetControlText(add, IDC_ADD_ENTRY_SUB_KEY, L"K");
            ClickButton(add, IDC_ADD_ENTRY_CONFIRM);
            posted.Post([&] {
                addedRowShown = RowSelectedFocusedAndVisible(ListOf(handEdit), 40);
                ::PostMessageW(handEdit, WM_CLOSE, 0, 0);
            });
        });
    {
        CHandEditDlg dialog;
        dialog.DoModal(nullptr);
    }
    EXPECT_TRUE(addedRowShown);
    EXPECT_EQ(script.UnexpectedWindows(), 0);

    WriteWorkingRuleFile("[only]\r\nHKCU\\K=v\r\n");
    bool deleteEnabled = true;
    HWND focusAfter = nullptr, list = nullptr;
    WithShownHandEdit([&](HWND dialog) {
        {
            list = ListOf(dialog);
            SelectListRow(list, 0);
            // Deleted from the button, which has nothing left to delete.
            ::SetFocus(::GetDlgItem(dialog, IDC_HAND_EDIT_DELETE));
            SendDelete(dialog);
            deleteEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_HAND_EDIT_DELETE)) != FALSE;
            focusAfter = ::GetFocus();
        }
    });
    EXPECT_FALSE(deleteEnabled);
    EXPECT_EQ(focusAfter, list);
}

TEST_F(HandEditTest, OnlyTheConfirmButtonSetsTheModifiedFlagAndEscapeDoesNothing) {
    WriteWorkingRuleFile(kSampleFile);
    PostedCalls posted;
    bool openAfterEscape = false;
    {
        ModalScript script;
        script.Then([&](HWND dialog) {
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            ::SetFocus(ListOf(dialog));
            ::PostMessageW(ListOf(dialog), WM_KEYDOWN, VK_ESCAPE, 0);
            ::PostMessageW(ListOf(dialog), WM_KEYUP, VK_ESCAPE, 0);
            posted.Post([&, dialog] {
                openAfterEscape = ::IsWindow(dialog) != FALSE;
                ::PostMessageW(dialog, WM_CLOSE, 0, 0);
            });
        });
        CHandEditDlg dialog;
        EXPECT_EQ(dialog.DoModal(nullptr), 0);
    }
    EXPECT_TRUE(openAfterEscape);
    EXPECT_FALSE(g_bModified);

    {
        ModalScript script;
        script.Then([](HWND dialog) { ClickButton(dialog, IDC_HAND_EDIT_CONFIRM); });
        CHandEditDlg dialog;
        EXPECT_EQ(dialog.DoModal(nullptr), 0);
    }
    EXPECT_TRUE(g_bModified);
}

TEST_F(HandEditTest, ShowsAtMost10001RowsAndDeletesTheirWholeSections) {
    // 101 sections of 100 rules: 10100 entries.  The names agree in the 63
    // characters a row shows, so only the whole names tell the sections apart.
    const std::string shared(63, 's');
    std::string file;
    for (int s = 0; s < 101; ++s) {
        file += "[" + shared + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 100; ++k) file += "HKCU\\k" + std::to_string(k) + "=v\r\n";
    }
    WriteWorkingRuleFile(file);
    WithHandEdit([&](HWND dialog) {
        HWND list = ListOf(dialog);
        ASSERT_EQ(ListRowCount(list), 10001);
        EXPECT_EQ(ListCell(list, 0, 2), L"HKCU\\k99");
        // Row 10000 is the 10001st entry from the end of the file.
        EXPECT_EQ(ListCell(list, 10000, 2), L"HKCU\\k99");
        SelectListRow(list, 10000);
        EXPECT_EQ(SendDelete(dialog), 1);
        const std::vector<std::string> sections = RuleFileSections();
        ASSERT_EQ(sections.size(), 100u);
        EXPECT_EQ(sections.front(), shared + "1");
        EXPECT_EQ(ListRowCount(list), 10000);
    });
}

TEST_F(HandEditTest, ResizingLaysTheListAndButtonsOutFromTheWindowSize) {
    WithHandEdit([](HWND dialog) {
        for (int id : {IDC_HAND_EDIT_ADD, IDC_HAND_EDIT_DELETE, IDC_HAND_EDIT_CONFIRM})
            ::SetWindowPos(::GetDlgItem(dialog, id), nullptr, 0, 0, 75, 23, SWP_NOMOVE | SWP_NOZORDER);
        const RECT listBefore = ClientRectOf(dialog, IDC_HAND_EDIT_LIST);
        ::SetWindowPos(dialog, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
        RECT frame = {};
        ::GetWindowRect(dialog, &frame);
        ASSERT_EQ(frame.right - frame.left, 400);
        ASSERT_EQ(frame.bottom - frame.top, 300);

        const RECT list = ClientRectOf(dialog, IDC_HAND_EDIT_LIST);
        EXPECT_EQ(list.left, listBefore.left);
        EXPECT_EQ(list.top, listBefore.top);
        EXPECT_EQ(list.right - list.left, 372);
        EXPECT_EQ(list.bottom - list.top, 190);
        const int expectedX[] = {110, 205, 300};
        const int ids[] = {IDC_HAND_EDIT_ADD, IDC_HAND_EDIT_DELETE, IDC_HAND_EDIT_CONFIRM};
        for (int i = 0; i < 3; ++i) {
            const RECT button = ClientRectOf(dialog, ids[i]);
            EXPECT_EQ(button.left, expectedX[i]) << ids[i];
            EXPECT_EQ(button.top, 227) << ids[i];
            EXPECT_EQ(button.right - button.left, 75) << ids[i];
            EXPECT_EQ(button.bottom - button.top, 23) << ids[i];
        }
    });
}

TEST_F(HandEditTest, OnTheNineXPlatformTheListKeepsItsOwnFont) {
    // Whether the list shows the dialog's font.
    auto listHasDialogFont = [] {
        bool same = false;
        WithHandEdit([&](HWND dialog) {
            const LRESULT dialogFont = ::SendMessageW(dialog, WM_GETFONT, 0, 0);
            same = dialogFont != 0 && ::SendMessageW(ListOf(dialog), WM_GETFONT, 0, 0) == dialogFont;
        });
        return same;
    };
    EXPECT_TRUE(listHasDialogFont());
    platform_.version = 0x80000A04;
    EXPECT_FALSE(listHasDialogFont());
}

TEST_F(HandEditTest, TheSkinStylesTheDialogItsButtonsAndTheList) {
    RecordingSkin skin;
    ASSERT_TRUE(skin.Installed());
    WithHandEdit([](HWND) {});
    EXPECT_EQ(RecordingSkin::Calls(), (std::vector<std::pair<int, int>>{{0, 0},
                                                                        {4, IDC_HAND_EDIT_ADD},
                                                                        {4, IDC_HAND_EDIT_DELETE},
                                                                        {4, IDC_HAND_EDIT_CONFIRM},
                                                                        {21, IDC_HAND_EDIT_LIST}}));
}

TEST_F(HandEditTest, RightClickShowsTheContextMenuOnlyForASelectedRow) {
    WriteWorkingRuleFile(kSampleFile);
    PostedCalls posted;
    WithHandEdit([&](HWND dialog) {
        EXPECT_EQ(SendRightClick(dialog), 0);
        SelectListRow(ListOf(dialog), 0);
        // The menu's own loop runs this, which closes the menu again.
        posted.Post([] { ::EndMenu(); });
        EXPECT_EQ(SendRightClick(dialog), 1);
    });
}

TEST_F(HandEditTest, TheContextMenuOffersAddDeleteAndConfirm) {
    HMENU menu = ::LoadMenuW(ResourceModule(), MAKEINTRESOURCEW(IDR_RULE_LIST_MENUS));
    ASSERT_NE(menu, nullptr);
    HMENU popup = ::GetSubMenu(menu, CHandEditDlg::kListMenuIndex);
    ASSERT_NE(popup, nullptr);
    std::vector<UINT> ids;
    for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
        const UINT id = ::GetMenuItemID(popup, i);
        if (id != 0 && id != static_cast<UINT>(-1)) ids.push_back(id);
    }
    ::DestroyMenu(menu);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<UINT>{IDC_HAND_EDIT_ADD, IDC_HAND_EDIT_DELETE, IDC_HAND_EDIT_CONFIRM}));
}

}  // namespace
