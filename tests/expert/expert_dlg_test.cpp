// The expert rule editor over a rule store in memory: what it shows, the
// category and item commands with their messages, rights and saves, and how
// it ends.  The editor runs modeless here (its handlers are the same) so the
// test can inspect it between commands; its nested dialogs and message boxes
// are answered by a ModalScript.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <memory>

#include "core/root_names.h"
#include "dialogs/expert_dlg.h"
#include "dialogs/modified_flag.h"
#include "lang/resource.h"
#include "win/ansi_field.h"
#include "win/settings_files.h"
#include "plugin/settings_transfer.h"
#include "rules/rule_database.h"
#include "rules/rule_store.h"
#include "tests/expert/expert_test_support.h"
#include "tests/support/test_files.h"

using namespace expert_test;
using namespace testing_support;

namespace {

const int kCategoryButtons[] = {IDC_EXPERT_EDIT_CATEGORY, IDC_EXPERT_ADD_CATEGORY, IDC_EXPERT_DELETE_CATEGORY};
const int kItemButtons[] = {IDC_EXPERT_ADD_ITEM, IDC_EXPERT_DELETE_ITEM};

// The add-category dialog: names the new category, then OK.
ModalScript::Step NameCategory(const std::wstring& name, int radio = IDC_CLASSADD_ACTION_ASK) {
    return [name, radio](HWND dialog) {
        SetControlText(dialog, IDC_CLASSADD_NAME, name);
        for (int id : {IDC_CLASSADD_ACTION_ASK, IDC_CLASSADD_ACTION_BLOCK, IDC_CLASSADD_ACTION_ALLOW})
            SetChecked(dialog, id, id == radio);
        ClickButton(dialog, IDOK);
    };
}

// The add-item dialog: root entry, key path, name, then OK.
ModalScript::Step DescribeItem(int rootEntry, const std::wstring& keyPath, const std::wstring& name) {
    return [rootEntry, keyPath, name](HWND dialog) {
        ::SendDlgItemMessageW(dialog, IDC_ITEMADD_ROOT, CB_SETCURSEL, static_cast<WPARAM>(rootEntry), 0);
        SetControlText(dialog, IDC_ITEMADD_KEY_PATH, keyPath);
        SetControlText(dialog, IDC_ITEMADD_NAME, name);
        ClickButton(dialog, IDOK);
    };
}

ModalScript::Step Press(int id) {
    return [id](HWND dialog) { ClickButton(dialog, id); };
}

int SelectedRow(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// Root entries of the add-item dialog for an administrator.
const int kHkcuEntry = 1, kHklmEntry = 2;

class ExpertTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        FillStore({Category(1, L"Startup programs", 0, 2), Category(2, L"Browser settings", 2, 0x200, 1),
                   Category(99, L"User Rules", 1, 2), Category(800, L"My programs", 0, 0x101)},
                  {{Item(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Run", 0),
                    Item(kHkeyCurrentUser, "Software\\Run2", "Run2", 2)},
                   {Item(kHkeyClassesRoot, ".htm", "htm", 0)},
                   {},
                   {Item(kHkeyCurrentUser, "Software\\Mine", "Mine", 2)}});
    }
    void TearDown() override {
        if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
        dialog_.reset();
        script_.reset();
        EditorTest::TearDown();
    }

    // Opens the editor modeless over the store.
    HWND Open() {
        script_.reset(new ModalScript);
        dialog_.reset(new CExpertDlg);
        window_ = ShowModeless(*dialog_, *script_);
        EXPECT_NE(window_, nullptr);
        EXPECT_EQ(script_->PendingSteps(), 0u);
        categories_ = ::GetDlgItem(window_, IDC_EXPERT_CATEGORY_LIST);
        items_ = ::GetDlgItem(window_, IDC_EXPERT_ITEM_LIST);
        return window_;
    }

    LRESULT Command(int id) {
        return ::SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(::GetDlgItem(window_, id)));
    }
    void Select(int row) { SelectListRow(categories_, row); }
    void SelectItem(int row) { SelectListRow(items_, row); }
    // As a click into the item list does: the list takes the focus.
    void ItemMode() {
        ::SetFocus(items_);
        EXPECT_EQ(::GetFocus(), items_);
    }

    bool Shown(int id) const { return HasVisibleStyle(::GetDlgItem(window_, id)); }
    bool Enabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(window_, id)) != FALSE; }
    bool InCategoryMode() const {
        for (int id : kCategoryButtons)
            if (!Shown(id)) return false;
        for (int id : kItemButtons)
            if (Shown(id)) return false;
        return ControlText(window_, IDC_EXPERT_HINT) == Text(IDS_EXPERT_HINT_CATEGORIES);
    }
    bool InItemMode() const {
        for (int id : kCategoryButtons)
            if (Shown(id)) return false;
        for (int id : kItemButtons)
            if (!Shown(id)) return false;
        return ControlText(window_, IDC_EXPERT_HINT) == Text(IDS_EXPERT_HINT_ITEMS);
    }

    std::vector<std::vector<std::wstring>> CategoryRows() const { return ListRows(categories_, 2); }
    std::vector<std::vector<std::wstring>> ItemRows() const { return ListRows(items_, 2); }
    bool Saved() const { return FileExists(SettingsFile(L"tempQRegUser.rdb")); }

    std::unique_ptr<ModalScript> script_;
    std::unique_ptr<CExpertDlg> dialog_;
    HWND window_ = nullptr;
    HWND categories_ = nullptr;
    HWND items_ = nullptr;
};

class ExpertLanguages : public ExpertTest, public ::testing::WithParamInterface<Language> {};

TEST_P(ExpertLanguages, OpensWithTheStoreInOrderAndTheFirstCategoryShown) {
    SelectLanguage(GetParam());
    Open();
    EXPECT_EQ(ModalScript::WindowText(window_), GetParam() == kEnglish ? L"Expert Rules" : L"专家规则");
    EXPECT_EQ(ColumnHeader(categories_, 0), Text(IDS_CATEGORY_COLUMN_NAME));
    EXPECT_EQ(ColumnHeader(categories_, 1), Text(IDS_CATEGORY_COLUMN_ACTION));
    EXPECT_EQ(ColumnHeader(items_, 0), Text(IDS_ITEM_COLUMN_ROOT));
    EXPECT_EQ(ColumnHeader(items_, 1), Text(IDS_ITEM_COLUMN_KEY_PATH));
    EXPECT_EQ(CategoryRows(), (std::vector<std::vector<std::wstring>>{{L"Startup programs", Text(IDS_ACTION_ASK)},
                                                                      {L"Browser settings", Text(IDS_ACTION_BLOCK)},
                                                                      {L"User Rules", Text(IDS_ACTION_ALLOW)},
                                                                      {L"My programs", Text(IDS_ACTION_ASK)}}));
    for (int row = 0; row < 4; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        ::SendMessageW(categories_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.lParam, row);
    }
    // No row selected: the items of category 0, in list order.
    EXPECT_EQ(dialog_->m_nCurCategory, 0);
    EXPECT_EQ(ItemRows(), (std::vector<std::vector<std::wstring>>{
                              {L"HKEY_LOCAL_MACHINE", L"Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
                              {L"HKEY_CURRENT_USER", L"Software\\Run2"}}));
    EXPECT_TRUE(InCategoryMode());
    EXPECT_FALSE(Enabled(IDC_EXPERT_DELETE_CATEGORY)) << "a shipped category cannot be deleted";
    EXPECT_TRUE(Enabled(IDC_EXPERT_EDIT_CATEGORY));
    // The row images come from the hosting program's bitmaps.
    auto images = [](HWND list, int which) {
        return ::ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, which, 0)));
    };
    EXPECT_EQ(images(categories_, LVSIL_SMALL), 1);
    EXPECT_EQ(images(items_, LVSIL_STATE), 1);
    ExpectControlsFit(window_);
    ItemMode();
    ExpectControlsFit(window_);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ExpertLanguages, ::testing::Values(kEnglish, kChinese),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return info.param == kEnglish ? "English" : "Chinese";
                         });

TEST_F(ExpertTest, SelectingACategoryShowsItsItemsAndWhetherItMayBeDeleted) {
    Open();
    Select(3);
    EXPECT_EQ(dialog_->m_nCurCategory, 3);
    EXPECT_EQ(ItemRows(), (std::vector<std::vector<std::wstring>>{{L"HKEY_CURRENT_USER", L"Software\\Mine"}}));
    EXPECT_TRUE(Enabled(IDC_EXPERT_DELETE_CATEGORY));
    Select(2);
    EXPECT_EQ(dialog_->m_nCurCategory, 2);
    EXPECT_TRUE(ItemRows().empty()) << ::testing::PrintToString(ItemRows());
    EXPECT_FALSE(Enabled(IDC_EXPERT_DELETE_CATEGORY));
    EXPECT_TRUE(InCategoryMode());
}

TEST_F(ExpertTest, TheItemListSwitchesToItemButtonsAndTheCategoryListBack) {
    Open();
    ItemMode();
    EXPECT_TRUE(InItemMode());
    EXPECT_TRUE(Enabled(IDC_EXPERT_DELETE_ITEM)) << "rows exist, selected or not";
    ::SetFocus(categories_);
    EXPECT_TRUE(InCategoryMode());
    // An empty category: the delete button has nothing to delete.
    Select(2);
    ItemMode();
    EXPECT_TRUE(InItemMode());
    EXPECT_FALSE(Enabled(IDC_EXPERT_DELETE_ITEM));
}

TEST_F(ExpertTest, NewCategoriesGetIdsFrom800AndAFreedIdIsReused) {
    FillStore({Category(1, L"Startup programs"), Category(99, L"User Rules", 2, 2)});
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    Open();
    script_->Then(NameCategory(L"First")).Then(NameCategory(L"Second"));
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 1);
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 1);
    ASSERT_EQ(g_ruleStore.count, 4u);
    EXPECT_EQ(g_ruleStore.categories[2].id, 800);
    EXPECT_EQ(g_ruleStore.categories[3].id, 801);
    EXPECT_EQ(CategoryRows().back(), (std::vector<std::wstring>{L"Second", Text(IDS_ACTION_ASK)}));
    // The new row is selected, so its (empty) items are shown.
    EXPECT_EQ(SelectedRow(categories_), 3);
    EXPECT_EQ(dialog_->m_nCurCategory, 3);
    EXPECT_TRUE(Enabled(IDC_EXPERT_DELETE_CATEGORY));

    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_CATEGORY);
    ASSERT_EQ(script_->MessageTexts().size(), 1u);
    EXPECT_EQ(script_->MessageTexts()[0], Text(IDS_EXPERT_ASK_DELETE_CATEGORY));
    EXPECT_EQ(script_->MessageCaptions()[0], L"NOTICE");
    ASSERT_EQ(g_ruleStore.count, 3u);
    EXPECT_EQ(ListRowCount(categories_), 3);

    script_->Then(NameCategory(L"Third"));
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 1);
    EXPECT_EQ(g_ruleStore.categories[3].id, 801);
    EXPECT_EQ(monitor.Commands(), 4);
    EXPECT_EQ(script_->UnexpectedWindows(), 0);
}

TEST_F(ExpertTest, ANameThatDiffersOnlyInLetterCaseIsRefused) {
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    Open();
    script_->Then(NameCategory(L"STARTUP Programs")).AnswerMessageBox(IDOK);
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 0);
    ASSERT_EQ(script_->MessageTexts().size(), 1u);
    EXPECT_EQ(script_->MessageTexts()[0], Text(IDS_EXPERT_NAME_EXISTS));
    EXPECT_EQ(g_ruleStore.count, 4u);
    EXPECT_EQ(ListRowCount(categories_), 4);
    RuleCategory zero = {};
    EXPECT_EQ(std::memcmp(&g_ruleStore.categories[4], &zero, sizeof(zero)), 0) << "the record is cleared again";
    EXPECT_FALSE(Saved());
    EXPECT_EQ(monitor.Commands(), 0);
}

TEST_F(ExpertTest, CancellingTheNewCategoryNeitherAddsNorSavesNorNotifies) {
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    Open();
    script_->Then(Press(IDCANCEL));
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 0);
    EXPECT_EQ(g_ruleStore.count, 4u);
    EXPECT_EQ(ListRowCount(categories_), 4);
    EXPECT_FALSE(Saved());
    EXPECT_EQ(monitor.Commands(), 0);
}

TEST_F(ExpertTest, With999CategoriesNoDialogOpens) {
    std::vector<RuleCategory> many;
    for (int i = 0; i < 999; ++i) many.push_back(Category(800 + i, L"Category " + std::to_wstring(i)));
    FillStore(many);
    Open();
    EXPECT_EQ(ListRowCount(categories_), 999);
    script_->AnswerMessageBox(IDOK);
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 0);
    ASSERT_EQ(script_->MessageTexts().size(), 1u);
    EXPECT_EQ(script_->MessageTexts()[0], Text(IDS_EXPERT_NO_MORE_CATEGORIES));
    EXPECT_EQ(script_->UnexpectedWindows(), 0) << "the add-category dialog must not open";
    EXPECT_EQ(g_ruleStore.count, 999u);
}

TEST_F(ExpertTest, At998CategoriesTheLastFreeRecordIsStillUsed) {
    std::vector<RuleCategory> many;
    for (int i = 0; i < 998; ++i) many.push_back(Category(800 + i, L"Category " + std::to_wstring(i)));
    FillStore(many);
    Open();
    script_->Then(NameCategory(L"Last one"));
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 1);
    EXPECT_EQ(g_ruleStore.count, 999u);
    EXPECT_EQ(g_ruleStore.categories[998].id, 800 + 998);
}

TEST_F(ExpertTest, AShippedCategoryCannotBeDeleted) {
    Open();
    Select(1);
    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_CATEGORY);  // as the context menu would send it
    ASSERT_EQ(script_->MessageTexts().size(), 1u);
    EXPECT_EQ(script_->MessageTexts()[0], Text(IDS_EXPERT_CANNOT_DELETE));
    EXPECT_EQ(g_ruleStore.count, 4u);
    EXPECT_FALSE(Saved());
}

TEST_F(ExpertTest, DeletingACategoryAsksAndMovesTheLaterOnesUp) {
    FillStore({Category(1, L"Startup programs"), Category(800, L"A"), Category(801, L"B", 2)},
              {{}, {Item(kHkeyCurrentUser, "Software\\A", "a")}, {Item(kHkeyCurrentUser, "Software\\B", "b")}});
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    Open();
    Select(1);
    script_->AnswerMessageBox(IDCANCEL);
    Command(IDC_EXPERT_DELETE_CATEGORY);
    EXPECT_EQ(g_ruleStore.count, 3u);
    EXPECT_EQ(monitor.Commands(), 0);

    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_CATEGORY);
    ASSERT_EQ(g_ruleStore.count, 2u);
    EXPECT_EQ(g_ruleStore.categories[1].id, 801);
    EXPECT_EQ(StoreKeyPaths(1), (std::vector<std::string>{"Software\\B"}));
    RuleCategory zero = {};
    EXPECT_EQ(std::memcmp(&g_ruleStore.categories[2], &zero, sizeof(zero)), 0) << "no stale copy of B";
    EXPECT_EQ(CategoryRows(), (std::vector<std::vector<std::wstring>>{{L"Startup programs", Text(IDS_ACTION_ASK)},
                                                                      {L"B", Text(IDS_ACTION_BLOCK)}}));
    EXPECT_TRUE(Saved());
    EXPECT_EQ(monitor.Commands(), 1);
    EXPECT_TRUE(InCategoryMode());
}

TEST_F(ExpertTest, AProtectedCategoryIsEditedOnlyByAnAdministrator) {
    platform_.tokenIsAdmin = false;
    Open();
    Select(1);
    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_EDIT_CATEGORY);
    ASSERT_EQ(script_->MessageTexts().size(), 1u);
    EXPECT_EQ(script_->MessageTexts()[0], Text(IDS_EXPERT_NEED_ADMIN));
    EXPECT_EQ(script_->UnexpectedWindows(), 0) << "the add-category dialog must not open";

    platform_.tokenIsAdmin = true;
    script_->Then(Press(IDCANCEL));
    Command(IDC_EXPERT_EDIT_CATEGORY);
    EXPECT_EQ(script_->PendingSteps(), 0u);
    EXPECT_FALSE(Saved());
}

TEST_F(ExpertTest, EditingChangesTheActionShownAndSaves) {
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    Open();
    Select(0);
    // A double click edits too.
    script_->Then([](HWND dialog) {
        SetChecked(dialog, IDC_CLASSADD_ACTION_ASK, false);
        SetChecked(dialog, IDC_CLASSADD_ACTION_ALLOW, true);
        ClickButton(dialog, IDOK);
    });
    SendNotify(window_, IDC_EXPERT_CATEGORY_LIST, NM_DBLCLK);
    EXPECT_EQ(g_ruleStore.categories[0].action, 1);
    EXPECT_EQ(CategoryRows()[0], (std::vector<std::wstring>{L"Startup programs", Text(IDS_ACTION_ALLOW)}));
    EXPECT_EQ(::GetPrivateProfileIntA("1", "Action", -1, g_ruleStore.expertIniPath), 1);
    EXPECT_EQ(monitor.Commands(), 1);
}

TEST_F(ExpertTest, EditingAfterADeletionUpdatesTheEditedRow) {
    FillStore({Category(1, L"Startup programs"), Category(800, L"A"), Category(801, L"B"), Category(802, L"C")});
    Open();
    Select(1);
    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_CATEGORY);
    ASSERT_EQ(g_ruleStore.count, 3u);
    // B now sits in row 1; its row must show B's new action, and C's row
    // must keep its own.
    Select(1);
    script_->Then([](HWND dialog) {
        SetChecked(dialog, IDC_CLASSADD_ACTION_ASK, false);
        SetChecked(dialog, IDC_CLASSADD_ACTION_BLOCK, true);
        ClickButton(dialog, IDOK);
    });
    Command(IDC_EXPERT_EDIT_CATEGORY);
    EXPECT_EQ(g_ruleStore.categories[1].action, 2);
    EXPECT_EQ(CategoryRows(), (std::vector<std::vector<std::wstring>>{{L"Startup programs", Text(IDS_ACTION_ASK)},
                                                                      {L"B", Text(IDS_ACTION_BLOCK)},
                                                                      {L"C", Text(IDS_ACTION_ASK)}}));
}

TEST_F(ExpertTest, AddedItemsGetUserFlagsAndKeepTheRowOrder) {
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    Open();
    Select(3);
    ItemMode();
    script_->Then(DescribeItem(kHkcuEntry, L".txt", L"Text files"));
    Command(IDC_EXPERT_ADD_ITEM);
    script_->Then(DescribeItem(kHkcuEntry, L"Software\\X", L"X"));
    Command(IDC_EXPERT_ADD_ITEM);
    EXPECT_EQ(ItemRows(), (std::vector<std::vector<std::wstring>>{{L"HKEY_CURRENT_USER", L"Software\\Mine"},
                                                                   {L"HKEY_CURRENT_USER", L".txt"},
                                                                   {L"HKEY_CURRENT_USER", L"Software\\X"}}));
    EXPECT_EQ(StoreKeyPaths(3), (std::vector<std::string>{"Software\\Mine", ".txt", "Software\\X"}));
    const RuleItem* dotted = g_ruleStore.categories[3].items->next;
    EXPECT_EQ(dotted->flags, 3u);
    EXPECT_EQ(dotted->root, kHkeyCurrentUser);
    EXPECT_STREQ(dotted->name, "Text files");
    EXPECT_EQ(std::wstring(dotted->wideName), L"Text files");
    EXPECT_EQ(dotted->next->flags, 2u);
    EXPECT_EQ(::GetFocus(), items_);
    // Only the add-item dialog notifies; the editor's own save does not.
    EXPECT_EQ(monitor.Commands(), 2);
    EXPECT_EQ(script_->UnexpectedWindows(), 0);
}

TEST_F(ExpertTest, ADuplicateItemInAnyLetterCaseIsRefusedAndSelected) {
    Open();
    Select(3);
    script_->Then(DescribeItem(kHkcuEntry, L"SOFTWARE\\mine", L"again")).AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_ADD_ITEM);
    ASSERT_EQ(script_->MessageTexts().size(), 1u);
    EXPECT_EQ(script_->MessageTexts()[0], Text(IDS_EXPERT_ITEM_EXISTS));
    EXPECT_EQ(ListRowCount(items_), 1);
    EXPECT_EQ(SelectedRow(items_), 0);
    EXPECT_EQ(StoreKeyPaths(3).size(), 1u);

    // The same path under another root is another item.
    script_->Then(DescribeItem(kHklmEntry, L"Software\\Mine", L"machine"));
    Command(IDC_EXPERT_ADD_ITEM);
    EXPECT_EQ(ListRowCount(items_), 2);
}

TEST_F(ExpertTest, DeletingAMachineWideItemNeedsAnAdministrator) {
    platform_.tokenIsAdmin = false;
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    Open();
    ItemMode();
    SelectItem(0);  // HKEY_LOCAL_MACHINE
    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_ITEM);
    ASSERT_EQ(script_->MessageTexts().size(), 1u);
    EXPECT_EQ(script_->MessageTexts()[0], Text(IDS_EXPERT_NEED_ADMIN));
    EXPECT_EQ(ListRowCount(items_), 2);

    // The user's own root: asked, and cancelled.
    SelectItem(1);
    script_->AnswerMessageBox(IDCANCEL);
    Command(IDC_EXPERT_DELETE_ITEM);
    ASSERT_EQ(script_->MessageTexts().size(), 2u);
    EXPECT_EQ(script_->MessageTexts()[1], Text(IDS_EXPERT_ASK_DELETE_ITEM));
    EXPECT_EQ(script_->MessageCaptions()[1], Text(IDS_RULE_MESSAGE_CAPTION));
    EXPECT_EQ(ListRowCount(items_), 2);
    EXPECT_EQ(monitor.Commands(), 0);

    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_ITEM);
    EXPECT_EQ(ItemRows(), (std::vector<std::vector<std::wstring>>{
                              {L"HKEY_LOCAL_MACHINE", L"Software\\Microsoft\\Windows\\CurrentVersion\\Run"}}));
    EXPECT_EQ(StoreKeyPaths(0), (std::vector<std::string>{"Software\\Microsoft\\Windows\\CurrentVersion\\Run"}));
    EXPECT_TRUE(Saved());
    EXPECT_EQ(monitor.Commands(), 1);
}

TEST_F(ExpertTest, OnThe9xPlatformEverybodyMayDeleteMachineWideItems) {
    platform_.tokenIsAdmin = false;
    platform_.version = 0xC0000A04;
    Open();
    ItemMode();
    SelectItem(0);
    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_ITEM);
    ASSERT_EQ(script_->MessageTexts().size(), 1u);
    EXPECT_EQ(script_->MessageTexts()[0], Text(IDS_EXPERT_ASK_DELETE_ITEM));
    EXPECT_EQ(ListRowCount(items_), 1);
}

TEST_F(ExpertTest, DeleteWithoutASelectedItemDoesNothing) {
    platform_.tokenIsAdmin = false;
    Open();
    ItemMode();
    Command(IDC_EXPERT_DELETE_ITEM);
    EXPECT_EQ(script_->UnexpectedWindows(), 0);
    EXPECT_EQ(ListRowCount(items_), 2);
    EXPECT_FALSE(Saved());
}

TEST_F(ExpertTest, ContextMenusNeedASelectedRow) {
    Open();
    EXPECT_EQ(SendNotify(window_, IDC_EXPERT_CATEGORY_LIST, NM_RCLICK), 0);
    EXPECT_EQ(SendNotify(window_, IDC_EXPERT_ITEM_LIST, NM_RCLICK), 0);
    EXPECT_EQ(::FindWindowW(L"#32768", nullptr) ? ::IsWindowVisible(::FindWindowW(L"#32768", nullptr)) : FALSE, FALSE);

    Select(0);
    {
        PopupMenuWatch categoryMenu;
        EXPECT_EQ(SendNotify(window_, IDC_EXPERT_CATEGORY_LIST, NM_RCLICK), 1);
        EXPECT_EQ(categoryMenu.ids, (std::vector<UINT>{IDC_EXPERT_EDIT_CATEGORY, IDC_EXPERT_ADD_CATEGORY, 0, IDC_EXPERT_DELETE_CATEGORY}));
    }
    SelectItem(1);
    PopupMenuWatch itemMenu;
    EXPECT_EQ(SendNotify(window_, IDC_EXPERT_ITEM_LIST, NM_RCLICK), 1);
    EXPECT_EQ(itemMenu.ids, (std::vector<UINT>{IDC_EXPERT_ADD_ITEM, IDC_EXPERT_DELETE_ITEM}));
}

TEST_F(ExpertTest, CommandsWithAnotherNotificationCodeAreIgnored) {
    Open();
    Select(3);
    SendCommand(window_, IDC_EXPERT_DELETE_CATEGORY, 1);
    SendCommand(window_, IDC_EXPERT_DONE, 1);
    EXPECT_EQ(script_->UnexpectedWindows(), 0);
    EXPECT_EQ(g_ruleStore.count, 4u);
    EXPECT_FALSE(g_bModified);
    EXPECT_TRUE(::IsWindowVisible(window_));
}

TEST_F(ExpertTest, StylesItsControlsThroughTheSkinInOrder) {
    RecordingSkin style;
    ASSERT_TRUE(style.Installed());
    Open();
    const std::vector<RecordingSkin::Call> expected = {{0, 0},
                                                       {21, IDC_EXPERT_CATEGORY_LIST},
                                                       {21, IDC_EXPERT_ITEM_LIST},
                                                       {4, IDC_EXPERT_EDIT_CATEGORY},
                                                       {4, IDC_EXPERT_ADD_CATEGORY},
                                                       {4, IDC_EXPERT_DELETE_CATEGORY},
                                                       {4, IDC_EXPERT_ADD_ITEM},
                                                       {4, IDC_EXPERT_DELETE_ITEM},
                                                       {4, IDOK},
                                                       {4, IDCANCEL},
                                                       {4, IDC_EXPERT_DONE}};
    EXPECT_EQ(style.Calls(), expected);
}

// ---------------------------------------------------------------------------
// The keyboard: context menus, the Delete key and Tab, in both languages.

class ExpertKeys : public ExpertTest, public ::testing::WithParamInterface<Language> {};

TEST_P(ExpertKeys, KeyboardContextMenusOpenUnderTheirRowAndNeedASelection) {
    SelectLanguage(GetParam());
    Open();
    {
        PopupMenuWatch watch;
        ::SetFocus(categories_);
        // Shift+F10 as the list passes it up, then the Applications key.
        ::SendMessageW(categories_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(categories_), -1);
        SendKeyDown(categories_, VK_APPS);
        EXPECT_EQ(watch.shown, 0) << "no row selected, no menu";
    }
    Select(3);
    {
        PopupMenuWatch watch;
        ::SendMessageW(categories_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(categories_), -1);
        EXPECT_EQ(watch.shown, 1);
        EXPECT_EQ(watch.ids, (std::vector<UINT>{IDC_EXPERT_EDIT_CATEGORY, IDC_EXPERT_ADD_CATEGORY, 0, IDC_EXPERT_DELETE_CATEGORY}));
        const POINT under = RowMenuPoint(categories_, 3);
        EXPECT_EQ(watch.frame.left, under.x);
        EXPECT_EQ(watch.frame.top, under.y);
    }
    ItemMode();
    SelectItem(0);  // the one key of category 3
    PopupMenuWatch watch;
    SendKeyDown(items_, VK_APPS);
    EXPECT_EQ(watch.shown, 1);
    EXPECT_EQ(watch.ids, (std::vector<UINT>{IDC_EXPERT_ADD_ITEM, IDC_EXPERT_DELETE_ITEM}));
    const POINT under = RowMenuPoint(items_, 0);
    EXPECT_EQ(watch.frame.left, under.x);
    EXPECT_EQ(watch.frame.top, under.y);
}

TEST_P(ExpertKeys, TheDeleteKeyAsksAndRefusesAsTheDeleteButtonsDo) {
    SelectLanguage(GetParam());
    Open();
    Select(1);  // shipped
    script_->AnswerMessageBox(IDOK);
    SendKeyDown(categories_, VK_DELETE);
    Select(3);
    script_->AnswerMessageBox(IDCANCEL).AnswerMessageBox(IDOK);
    SendKeyDown(categories_, VK_DELETE);
    EXPECT_EQ(g_ruleStore.count, 4u) << "cancelled";
    SendKeyDown(categories_, VK_DELETE);
    EXPECT_EQ(g_ruleStore.count, 3u);

    Select(0);
    ItemMode();
    SelectItem(1);
    script_->AnswerMessageBox(IDOK);
    SendKeyDown(items_, VK_DELETE);
    EXPECT_EQ(StoreKeyPaths(0), (std::vector<std::string>{"Software\\Microsoft\\Windows\\CurrentVersion\\Run"}));
    EXPECT_EQ(script_->MessageTexts(), (std::vector<std::wstring>{Text(IDS_EXPERT_CANNOT_DELETE), Text(IDS_EXPERT_ASK_DELETE_CATEGORY), Text(IDS_EXPERT_ASK_DELETE_CATEGORY), Text(IDS_EXPERT_ASK_DELETE_ITEM)}));
    EXPECT_EQ(script_->UnexpectedWindows(), 0);
}

TEST_P(ExpertKeys, TabReachesEachListsButtonsInTurnAndAccessKeysAreUnique) {
    SelectLanguage(GetParam());
    Open();
    EXPECT_EQ(RepeatedAccessKeys(window_), L"");
    Select(3);  // a user's category: all three category buttons work
    ::SetFocus(categories_);
    EXPECT_EQ(TabWalk(window_, 3), (std::vector<int>{IDC_EXPERT_EDIT_CATEGORY, IDC_EXPERT_ADD_CATEGORY, IDC_EXPERT_DELETE_CATEGORY}));
    EXPECT_TRUE(InCategoryMode());
    EXPECT_EQ(TabWalk(window_, 5), (std::vector<int>{IDC_EXPERT_ITEM_LIST, IDC_EXPERT_ADD_ITEM, IDC_EXPERT_DELETE_ITEM, IDC_EXPERT_DONE, IDC_EXPERT_CATEGORY_LIST}));
    EXPECT_TRUE(InCategoryMode());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ExpertKeys, ::testing::Values(kEnglish, kChinese),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return info.param == kEnglish ? "English" : "Chinese";
                         });

TEST_F(ExpertTest, AddsDeletesAndRefusedDuplicatesLeaveTheirRowSelectedAndInView) {
    // Forty categories of the user's: more than the list shows at once.
    std::vector<RuleCategory> many = {Category(1, L"Startup programs")};
    for (int i = 0; i < 40; ++i) many.push_back(Category(800 + i, L"C" + std::to_wstring(i)));
    FillStore(many);
    Open();
    script_->Then(NameCategory(L"New"));
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 1);
    EXPECT_TRUE(RowSelectedFocusedAndVisible(categories_, 41));
    // Deleted from its button: the row that moves up is shown, with the focus.
    Select(1);
    ::SetFocus(::GetDlgItem(window_, IDC_EXPERT_DELETE_CATEGORY));
    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_CATEGORY);
    EXPECT_EQ(ListCell(categories_, 1, 0), L"C1");
    EXPECT_TRUE(RowSelectedFocusedAndVisible(categories_, 1));
    EXPECT_EQ(dialog_->m_nCurCategory, 1);
    EXPECT_EQ(::GetFocus(), categories_);

    // The last of the user's categories goes: a shipped one is shown next,
    // whose Delete button is disabled, so the focus must not stay on it.
    ::DestroyWindow(window_);
    dialog_.reset();
    script_.reset();  // before Open makes the next one: one script hooks the thread at a time
    std::vector<RuleItem> items;
    for (int i = 0; i < 30; ++i) items.push_back(Item(kHkeyCurrentUser, ("Software\\K" + std::to_string(i)).c_str(), "k"));
    FillStore({Category(1, L"Startup programs"), Category(800, L"Mine")}, {items});
    Open();
    Select(1);
    ::SetFocus(::GetDlgItem(window_, IDC_EXPERT_DELETE_CATEGORY));
    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_CATEGORY);
    EXPECT_TRUE(RowSelectedFocusedAndVisible(categories_, 0));
    EXPECT_FALSE(Enabled(IDC_EXPERT_DELETE_CATEGORY));
    EXPECT_EQ(::GetFocus(), categories_);

    ItemMode();
    script_->Then(DescribeItem(kHkcuEntry, L"Software\\New", L"new"));
    Command(IDC_EXPERT_ADD_ITEM);
    EXPECT_TRUE(RowSelectedFocusedAndVisible(items_, 30));
    EXPECT_EQ(::GetFocus(), items_);
    script_->Then(DescribeItem(kHkcuEntry, L"Software\\K0", L"again")).AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_ADD_ITEM);
    EXPECT_TRUE(RowSelectedFocusedAndVisible(items_, 0)) << "the existing row, scrolled back to";
    SelectItem(30);
    ::SetFocus(::GetDlgItem(window_, IDC_EXPERT_DELETE_ITEM));
    script_->AnswerMessageBox(IDOK);
    Command(IDC_EXPERT_DELETE_ITEM);
    EXPECT_TRUE(RowSelectedFocusedAndVisible(items_, 29)) << "the new last row";
    EXPECT_EQ(script_->UnexpectedWindows(), 0);
}

// Names that agree in the 62 bytes their ANSI copies keep are still two
// names; the whole name decides.
TEST_F(ExpertTest, Cp936NamesThatShareTheirCutAnsiCopyAreNotDuplicates) {
    if (::GetACP() != 936) GTEST_SKIP() << "needs code page 936";
    RuleCategory existing = Category(800, std::wstring(31, L'\u8282') + L"\u7532");
    WideToAnsiCut(existing.wideName, existing.name, sizeof(existing.name));
    FillStore({Category(1, L"Startup programs"), existing});
    Open();
    const std::wstring shorter(31, L'\u8282');
    script_->Then(NameCategory(shorter));
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 1);
    EXPECT_EQ(g_ruleStore.count, 3u);
    EXPECT_EQ(CategoryRows().back()[0], shorter);
    // The same whole name again is a duplicate.
    script_->Then(NameCategory(shorter)).AnswerMessageBox(IDOK);
    EXPECT_EQ(Command(IDC_EXPERT_ADD_CATEGORY), 0);
    EXPECT_EQ(script_->MessageTexts(), (std::vector<std::wstring>{Text(IDS_EXPERT_NAME_EXISTS)}));
    EXPECT_EQ(script_->UnexpectedWindows(), 0);
}

// ---------------------------------------------------------------------------
// Ending the editor (modal, as the main page runs it) and what Apply does
// afterwards.

class ExpertEndTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        FillStore({Category(1, L"Startup programs"), Category(99, L"User Rules", 2, 2)});
    }
    // Runs the editor modally: adds a category, then ends it with `end`.
    INT_PTR RunAndEnd(std::function<void(HWND)> end) {
        ModalScript script;
        HWND editor = nullptr;
        script.Then([&](HWND window) {
            editor = window;
            RunWhenShown(window, [&] {
                SendCommand(editor, IDC_EXPERT_ADD_CATEGORY);
                end(editor);
            });
        });
        script.Then(NameCategory(L"Mine"));
        CExpertDlg dialog;
        INT_PTR result = dialog.DoModal(nullptr);
        EXPECT_EQ(script.PendingSteps(), 0u);
        EXPECT_EQ(script.UnexpectedWindows(), 0);
        return result;
    }
    std::string Real() const { return ReadBytes(SettingsFile(L"QRegUser.rdb")); }
    std::string Working() const { return ReadBytes(SettingsFile(L"tempQRegUser.rdb")); }
};

TEST_F(ExpertEndTest, TheCloseBoxKeepsTheChangesInTheWorkingCopyOnly) {
    EXPECT_EQ(RunAndEnd([](HWND editor) { ::PostMessageW(editor, WM_CLOSE, 0, 0); }), 0);
    EXPECT_FALSE(g_bModified);
    EXPECT_FALSE(Working().empty());
    ApplyWorkingCopies();
    EXPECT_TRUE(Real().empty()) << "nothing is copied back without a confirmed editor";
}

TEST_F(ExpertEndTest, ConfirmingMarksTheSettingsSoApplyCopiesThemBack) {
    EXPECT_EQ(RunAndEnd([](HWND editor) { ClickButton(editor, IDC_EXPERT_DONE); }), 0);
    EXPECT_TRUE(g_bModified);
    ApplyWorkingCopies();
    EXPECT_FALSE(Real().empty());
    EXPECT_EQ(Real(), Working());
}

TEST_F(ExpertEndTest, TheWorkingCopiesHoldTheUsersPartOfTheStore) {
    FillStore({Category(1, L"Startup programs", 0, 2), Category(99, L"User Rules", 2, 2)},
              {{Item(kHkeyLocalMachine, "Software\\Shipped", "shipped", 0),
                Item(kHkeyCurrentUser, "Software\\Own", "own", 2)}});
    RunAndEnd([](HWND editor) { ClickButton(editor, IDC_EXPERT_DONE); });
    std::unique_ptr<RuleCategory[]> read(new RuleCategory[kMaxCategories]());
    const uint32_t count = ReadCategories(g_ruleStore.userDatabasePath, read.get(), kMaxCategories);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(read[0].id, 1) << "a shipped category with a user item, with that item only";
    ASSERT_NE(read[0].items, nullptr);
    EXPECT_STREQ(read[0].items->keyPath, "Software\\Own");
    EXPECT_EQ(read[0].items->next, nullptr);
    EXPECT_EQ(read[1].id, 800) << "the new category, written although empty";
    EXPECT_STREQ(read[1].name, "Mine");
    EXPECT_EQ(read[1].mode, 2);
    ClearItems(read.get(), count);
    EXPECT_EQ(::GetPrivateProfileIntA("800", "Mode", -1, g_ruleStore.expertIniPath), 2);
    EXPECT_EQ(::GetPrivateProfileIntA("800", "Action", -1, g_ruleStore.expertIniPath), 0);
    EXPECT_EQ(::GetPrivateProfileIntA("99", "Action", -1, g_ruleStore.expertIniPath), 2);
}

}  // namespace
