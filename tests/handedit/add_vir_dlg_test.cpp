// The add-entry dialog, on its own and opened from the hand-edit dialog,
// created from the real language modules; entries are read back from disk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/root_names.h"
#include "dialogs/add_vir_dlg.h"
#include "dialogs/hand_edit_dlg.h"
#include "lang/hand_edit_ids.h"
#include "rules/rule_store.h"
#include "tests/handedit/handedit_support.h"
#include "tests/support/keyboard_input.h"
#include "tests/support/modal_script.h"
#include "tests/support/test_files.h"

using namespace handedit_test;
using namespace testing_support;

namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<std::vector<std::wstring>>;

struct Entry {
    std::wstring section;
    std::wstring name;
    std::wstring subKey;
    std::wstring value;
    int preset = -1;          // combo index; -1 leaves it unselected
    const wchar_t* custom = nullptr;  // switches to custom mode with this base
};

void Fill(HWND dialog, const Entry& entry) {
    if (entry.custom) {
        ::SendDlgItemMessageW(dialog, IDC_ADD_ENTRY_CUSTOM_MODE, BM_CLICK, 0, 0);
        SetControlText(dialog, IDC_ADD_ENTRY_CUSTOM_PATH, entry.custom);
    }
    if (entry.preset >= 0) ::SendDlgItemMessageW(dialog, IDC_ADD_ENTRY_PRESET_LIST, CB_SETCURSEL, entry.preset, 0);
    SetControlText(dialog, IDC_ADD_ENTRY_SECTION, entry.section);
    SetControlText(dialog, IDC_ADD_ENTRY_NAME, entry.name);
    SetControlText(dialog, IDC_ADD_ENTRY_SUB_KEY, entry.subKey);
    SetControlText(dialog, IDC_ADD_ENTRY_VALUE, entry.value);
}

struct Refusal {
    std::wstring text;
    std::wstring caption;
    int focusId = 0;
    std::pair<int, int> selection;  // of the focused control
    int textLength = 0;             // of the focused control
};

class AddEntryTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ASSERT_TRUE(language_.Loaded());
    }

    // Fills and confirms; true when the dialog closed without a message.
    bool Add(const Entry& entry) {
        ModalScript script;
        PostedCalls posted;
        bool stayedOpen = false;
        script.Then([&](HWND dialog) {
            Fill(dialog, entry);
            ClickButton(dialog, IDC_ADD_ENTRY_CONFIRM);
            // Only runs when the dialog did not close: close it then.
            posted.Post([&stayedOpen, dialog] {
                stayedOpen = ::IsWindow(dialog) != FALSE;
                if (stayedOpen) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            });
        });
        CAddVirDlg add;
        EXPECT_EQ(add.DoModal(nullptr), 1);
        return !stayedOpen && script.UnexpectedWindows() == 0;
    }

    // Fills and confirms, expecting one message box; answers it, notes where
    // the focus went, and cancels the dialog.
    Refusal Refuse(const Entry& entry) {
        ModalScript script;
        PostedCalls posted;
        Refusal refusal;
        HWND add = nullptr;
        script
            .Then([&](HWND dialog) {
                add = dialog;
                Fill(dialog, entry);
                ClickButton(dialog, IDC_ADD_ENTRY_CONFIRM);
            })
            .Then([&](HWND box) {
                refusal.text = ModalScript::MessageBoxText(box);
                refusal.caption = ModalScript::WindowText(box);
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                posted.Post([&] {
                    HWND focus = ::GetFocus();
                    refusal.focusId = ::GetDlgCtrlID(focus);
                    refusal.selection = EditSelection(focus);
                    refusal.textLength = ::GetWindowTextLengthW(focus);
                    ::PostMessageW(add, WM_COMMAND, IDCANCEL, 0);
                });
            });
        CAddVirDlg dialog;
        EXPECT_EQ(dialog.DoModal(nullptr), 1);
        EXPECT_EQ(script.PendingSteps(), 0u);
        EXPECT_EQ(script.UnexpectedWindows(), 0);
        EXPECT_FALSE(WorkingRuleFileExists()) << "a refused entry must not be written";
        return refusal;
    }

    void ExpectRefusal(const Entry& entry, UINT messageId, int focusId) {
        const Refusal refusal = Refuse(entry);
        EXPECT_FALSE(Text(messageId).empty()) << messageId;
        EXPECT_EQ(refusal.text, Text(messageId));
        EXPECT_EQ(refusal.caption, Text(IDS_RULE_MESSAGE_CAPTION));
        EXPECT_EQ(refusal.focusId, focusId) << "message " << messageId;
        // An edit box named by a message has its whole text selected.
        if (focusId != IDC_ADD_ENTRY_PRESET_LIST) {
            EXPECT_EQ(refusal.selection, std::make_pair(0, refusal.textLength)) << "message " << messageId;
        }
    }

    LanguageModule language_{L"0409"};
};

class AddEntryLanguage : public DialogTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(AddEntryLanguage, OpensInPresetModeWithTheTenPresetsAndSwitchesModes) {
    LanguageModule language(GetParam());
    ASSERT_TRUE(language.Loaded());
    ModalScript script;
    CAddVirDlg add;
    script.Then([&](HWND dialog) {
        HWND combo = ::GetDlgItem(dialog, IDC_ADD_ENTRY_PRESET_LIST);
        HWND custom = ::GetDlgItem(dialog, IDC_ADD_ENTRY_CUSTOM_PATH);
        EXPECT_TRUE(IsChecked(dialog, IDC_ADD_ENTRY_PRESET_MODE));
        EXPECT_FALSE(IsChecked(dialog, IDC_ADD_ENTRY_CUSTOM_MODE));
        EXPECT_TRUE(::IsWindowEnabled(combo));
        EXPECT_FALSE(::IsWindowEnabled(custom));
        EXPECT_EQ(::GetWindowLongW(combo, GWL_STYLE) & (CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST);
        EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
        ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 10);
        for (int k = 0; k < 10; ++k) {
            wchar_t name[256] = {};
            ::SendMessageW(combo, CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(name));
            EXPECT_FALSE(Text(IDS_PRESET_0_NAME + 2 * k).empty()) << k;
            EXPECT_EQ(std::wstring(name), Text(IDS_PRESET_0_NAME + 2 * k)) << k;
            const std::wstring path = add.m_strPresetPaths[k];
            EXPECT_EQ(path, Text(IDS_PRESET_0_PATH + 2 * k)) << k;
            // Every preset names a key under a registry root.
            const std::string root = Narrow(path.substr(0, path.find(L'\\')));
            EXPECT_NE(RootFromLongName(root.c_str()), 0u) << k;
        }

        ::SendDlgItemMessageW(dialog, IDC_ADD_ENTRY_CUSTOM_MODE, BM_CLICK, 0, 0);
        EXPECT_TRUE(IsChecked(dialog, IDC_ADD_ENTRY_CUSTOM_MODE));
        EXPECT_FALSE(IsChecked(dialog, IDC_ADD_ENTRY_PRESET_MODE));
        EXPECT_FALSE(::IsWindowEnabled(combo));
        EXPECT_TRUE(::IsWindowEnabled(custom));
        ::SendDlgItemMessageW(dialog, IDC_ADD_ENTRY_PRESET_MODE, BM_CLICK, 0, 0);
        EXPECT_TRUE(IsChecked(dialog, IDC_ADD_ENTRY_PRESET_MODE));
        EXPECT_TRUE(::IsWindowEnabled(combo));
        EXPECT_FALSE(::IsWindowEnabled(custom));
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);  // the close box cancels
    });
    EXPECT_EQ(add.DoModal(nullptr), 1);
    EXPECT_EQ(script.UnexpectedWindows(), 0);
    EXPECT_FALSE(WorkingRuleFileExists());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, AddEntryLanguage, ::testing::Values(L"0409", L"0804"));

TEST_F(AddEntryTest, APresetBaseIsJoinedWithTheSubKey) {
    ASSERT_TRUE(Add({L"S", L"N", L"A\\B", L"v", 0}));
    EXPECT_EQ(RuleFileSectionLines("S"), (Lines{"name=N", "HKEY_LOCAL_MACHINE\\Software\\A\\B=v"}));
}

TEST_F(AddEntryTest, ABaseEndingInASeparatorGetsNoSecondOne) {
    Entry backslash{L"S", L"N", L"A", L"1"};
    backslash.custom = L"HKEY_LOCAL_MACHINE\\Software\\";
    ASSERT_TRUE(Add(backslash));
    Entry slash{L"T", L"N", L"B", L"2"};
    slash.custom = L"HKEY_CURRENT_USER\\Software/";
    ASSERT_TRUE(Add(slash));
    EXPECT_EQ(RuleFileSectionLines("S"), (Lines{"name=N", "HKEY_LOCAL_MACHINE\\Software\\A=1"}));
    EXPECT_EQ(RuleFileSectionLines("T"), (Lines{"name=N", "HKEY_CURRENT_USER\\Software/B=2"}));
}

TEST_F(AddEntryTest, EmptyDisplayNameAndValueAreWrittenEmpty) {
    ASSERT_TRUE(Add({L"S", L"", L"K", L"", 1}));
    EXPECT_EQ(RuleFileSectionLines("S"), (Lines{"name=", "HKEY_CURRENT_USER\\Software\\K="}));
}

TEST_F(AddEntryTest, RefusesMissingFieldsInCheckOrder) {
    // Base key first: without a preset nothing else is looked at.
    ExpectRefusal({L"", L"N", L"", L"v"}, IDS_ADD_ENTRY_NO_PRESET, IDC_ADD_ENTRY_PRESET_LIST);
    Entry noCustomPath{L"", L"N", L"K", L"v"};
    noCustomPath.custom = L"";
    ExpectRefusal(noCustomPath, IDS_ADD_ENTRY_PATH_EMPTY, IDC_ADD_ENTRY_CUSTOM_PATH);
    ExpectRefusal({L"", L"N", L"K", L"v", 0}, IDS_ADD_ENTRY_SECTION_EMPTY, IDC_ADD_ENTRY_SECTION);
    ExpectRefusal({L"S", L"N", L"", L"v", 0}, IDS_ADD_ENTRY_SUB_KEY_EMPTY, IDC_ADD_ENTRY_SUB_KEY);
}

TEST_F(AddEntryTest, TextLimits) {
    const std::wstring t259(259, L'x'), t260(260, L'x'), t261(261, L'x');
    ExpectRefusal({t260, L"N", L"K", L"v", 0}, IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_SECTION);
    ExpectRefusal({L"S", t260, L"K", L"v", 0}, IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_NAME);
    ExpectRefusal({L"S", L"N", t260, L"v", 0}, IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_SUB_KEY);
    ExpectRefusal({L"S", L"N", L"K", t261, 0}, IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_VALUE);
    Entry longBase{L"S", L"N", L"K", L"v"};
    const std::wstring base = L"HKEY_CURRENT_USER\\" + std::wstring(260 - 18, L'b');
    longBase.custom = base.c_str();
    ExpectRefusal(longBase, IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_CUSTOM_PATH);

    // The value may fill all 260 characters, the other fields 259.
    ASSERT_TRUE(Add({t259, t259, L"K", t260, 0}));
    const Lines lines = RuleFileSectionLines(Narrow(t259));
    EXPECT_EQ(lines, (Lines{"name=" + Narrow(t259), "HKEY_LOCAL_MACHINE\\Software\\K=" + Narrow(t260)}));
}

TEST_F(AddEntryTest, ACustomBaseMustBeAValidKeyPath) {
    Entry entry{L"S", L"N", L"K", L"v"};
    entry.custom = L"HKEY_LOCAL_MACHINE";
    ExpectRefusal(entry, IDS_KEY_PATH_INVALID, IDC_ADD_ENTRY_CUSTOM_PATH);
    entry.custom = L"HKLM\\Software";
    ExpectRefusal(entry, IDS_KEY_PATH_INVALID, IDC_ADD_ENTRY_CUSTOM_PATH);
    entry.custom = L"HKEY_LOCAL_MACHINE\\NoSuchKey\\X";
    ExpectRefusal(entry, IDS_KEY_PATH_INVALID, IDC_ADD_ENTRY_CUSTOM_PATH);

    // A key right under the root is not looked up.
    entry.custom = L"HKEY_LOCAL_MACHINE\\NoSuchKey";
    ASSERT_TRUE(Add(entry));
    EXPECT_EQ(RuleFileSectionLines("S"), (Lines{"name=N", "HKEY_LOCAL_MACHINE\\NoSuchKey\\K=v"}));
}

// Texts that would break the lines of RegUser.ini: a section ended early
// or read as another section or a comment, a key ended at "=", a line split.
class AddEntryLineSafety : public AddEntryTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(AddEntryLineSafety, TextsThatWouldBreakTheRuleFileAreRefusedAtTheirField) {
    LanguageModule language(GetParam());
    ASSERT_TRUE(language.Loaded());
    for (const wchar_t* section : {L"a]b", L";a", L"[a", L"a\r\nb"})
        ExpectRefusal({section, L"N", L"K", L"v", 0}, IDS_ADD_ENTRY_SECTION_BAD, IDC_ADD_ENTRY_SECTION);
    ExpectRefusal({L"S", L"N\nM", L"K", L"v", 0}, IDS_ADD_ENTRY_LINE_BREAK, IDC_ADD_ENTRY_NAME);
    ExpectRefusal({L"S", L"N", L"A=B", L"v", 0}, IDS_ADD_ENTRY_KEY_BAD, IDC_ADD_ENTRY_SUB_KEY);
    ExpectRefusal({L"S", L"N", L"K", L"v\r\n[x]", 0}, IDS_ADD_ENTRY_LINE_BREAK, IDC_ADD_ENTRY_VALUE);
    Entry custom{L"S", L"N", L"K", L"v"};
    custom.custom = L"HKEY_CURRENT_USER\\A=B";
    ExpectRefusal(custom, IDS_ADD_ENTRY_KEY_BAD, IDC_ADD_ENTRY_CUSTOM_PATH);
    // What the file takes as it is: "=" in the value and the display name,
    // "[" and ";" inside a section name.
    ASSERT_TRUE(Add({L"a[b;c", L"x=y", L"K", L"v=w", 0}));
    EXPECT_EQ(RuleFileSectionLines("a[b;c"), (Lines{"name=x=y", "HKEY_LOCAL_MACHINE\\Software\\K=v=w"}));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, AddEntryLineSafety, ::testing::Values(L"0409", L"0804"));

TEST_P(AddEntryLanguage, TabReachesEveryFieldInOrderAndTypingStopsAtTheLimits) {
    LanguageModule language(GetParam());
    ASSERT_TRUE(language.Loaded());
    std::wstring repeated;
    std::vector<int> walk;
    std::vector<int> customWalk;
    size_t sectionChars = 0, valueChars = 0;
    ModalScript script;
    script.Then([&](HWND dialog) {
        RunWhenShown(dialog, [&, dialog] {
            repeated = RepeatedAccessKeys(dialog);
            ::SetFocus(::GetDlgItem(dialog, IDC_ADD_ENTRY_SECTION));
            walk = TabWalk(dialog, 8);
            // The tab stop follows the checked radio button.
            ::SendDlgItemMessageW(dialog, IDC_ADD_ENTRY_CUSTOM_MODE, BM_CLICK, 0, 0);
            ::SetFocus(::GetDlgItem(dialog, IDC_ADD_ENTRY_SECTION));
            customWalk = TabWalk(dialog, 8);
            TypeText(::GetDlgItem(dialog, IDC_ADD_ENTRY_SECTION), std::wstring(270, L's'));
            TypeText(::GetDlgItem(dialog, IDC_ADD_ENTRY_VALUE), std::wstring(270, L'v'));
            sectionChars = ControlText(dialog, IDC_ADD_ENTRY_SECTION).size();
            valueChars = ControlText(dialog, IDC_ADD_ENTRY_VALUE).size();
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    });
    CAddVirDlg add;
    EXPECT_EQ(add.DoModal(nullptr), 1);
    EXPECT_EQ(repeated, L"");
    // The path box is disabled in preset mode, so Tab passes it by.
    EXPECT_EQ(walk, (std::vector<int>{IDC_ADD_ENTRY_NAME, IDC_ADD_ENTRY_PRESET_MODE, IDC_ADD_ENTRY_PRESET_LIST, IDC_ADD_ENTRY_SUB_KEY, IDC_ADD_ENTRY_VALUE, IDC_ADD_ENTRY_CONFIRM, IDCANCEL,
                                      IDC_ADD_ENTRY_SECTION}));
    EXPECT_EQ(customWalk, (std::vector<int>{IDC_ADD_ENTRY_NAME, IDC_ADD_ENTRY_CUSTOM_MODE, IDC_ADD_ENTRY_CUSTOM_PATH, IDC_ADD_ENTRY_SUB_KEY, IDC_ADD_ENTRY_VALUE, IDC_ADD_ENTRY_CONFIRM, IDCANCEL,
                                            IDC_ADD_ENTRY_SECTION}));
    EXPECT_EQ(sectionChars, 259u);
    EXPECT_EQ(valueChars, 260u);
}

TEST_F(AddEntryTest, WithoutAWritableRuleFileTheEntryIsRefusedAndGetsNoRow) {
    // The real rule file could not be read whole at the last load (busy, or
    // beyond the limits): its working copy is shown but not written.
    // (Without a settings folder the entry is refused the same way.)
    WriteWorkingRuleFile("[old]\r\nHKCU\\K=v\r\n");
    const std::string before = ReadBytes(WorkingRuleFile());
    g_ruleStore.unreadableFiles = kUnreadableUserIni;
    ModalScript script;
    PostedCalls posted;
    HWND handEdit = nullptr, add = nullptr;
    std::wstring message;
    int rowsAfter = -1;
    script
        .Then([&](HWND dialog) {
            handEdit = dialog;
            ClickButton(dialog, IDC_HAND_EDIT_ADD);
        })
        .Then([&](HWND dialog) {
            add = dialog;
            Fill(dialog, {L"S", L"N", L"A", L"v", 0});
            ClickButton(dialog, IDC_ADD_ENTRY_CONFIRM);
        })
        .Then([&](HWND box) {
            message = ModalScript::MessageBoxText(box);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            posted.Post([&] {
                ::PostMessageW(add, WM_COMMAND, IDCANCEL, 0);
                posted.Post([&] {
                    rowsAfter =
                        static_cast<int>(::SendDlgItemMessageW(handEdit, IDC_HAND_EDIT_LIST, LVM_GETITEMCOUNT, 0, 0));
                    ::PostMessageW(handEdit, WM_CLOSE, 0, 0);
                });
            });
        });
    CHandEditDlg dialog;
    dialog.DoModal(nullptr);
    g_ruleStore.unreadableFiles = 0;
    EXPECT_EQ(script.PendingSteps(), 0u);
    EXPECT_EQ(script.UnexpectedWindows(), 0);
    EXPECT_FALSE(Text(IDS_ADD_ENTRY_CANNOT_WRITE).empty());
    EXPECT_EQ(message, Text(IDS_ADD_ENTRY_CANNOT_WRITE));
    EXPECT_EQ(rowsAfter, 1) << "only the file's one rule may be listed, no row for an entry that was not written";
    EXPECT_EQ(ReadBytes(WorkingRuleFile()), before);
}

TEST_F(AddEntryTest, CancelWritesNothing) {
    ModalScript script;
    script.Then([](HWND dialog) {
        Fill(dialog, {L"S", L"N", L"K", L"v", 0});
        ClickButton(dialog, IDCANCEL);
    });
    CAddVirDlg add;
    EXPECT_EQ(add.DoModal(nullptr), 1);
    EXPECT_FALSE(WorkingRuleFileExists());
}

// Adds entries from a running hand-edit dialog and returns its rows after
// the last one (with no entries: the rows as the dialog opened).
Rows AddFromHandEdit(const std::vector<Entry>& entries) {
    ModalScript script;
    PostedCalls posted;
    HWND handEdit = nullptr;
    Rows rows;
    script.Then([&](HWND dialog) {
        handEdit = dialog;
        if (!entries.empty()) {
            ClickButton(dialog, IDC_HAND_EDIT_ADD);
            return;
        }
        rows = ListRows(::GetDlgItem(dialog, IDC_HAND_EDIT_LIST), 4);
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool last = i + 1 == entries.size();
        script.Then([&, i, last](HWND add) {
            Fill(add, entries[i]);
            ClickButton(add, IDC_ADD_ENTRY_CONFIRM);
            posted.Post([&, last] {
                if (last) {
                    rows = ListRows(::GetDlgItem(handEdit, IDC_HAND_EDIT_LIST), 4);
                    ::PostMessageW(handEdit, WM_CLOSE, 0, 0);
                } else {
                    ClickButton(handEdit, IDC_HAND_EDIT_ADD);
                }
            });
        });
    }
    CHandEditDlg dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), 0);
    EXPECT_EQ(script.PendingSteps(), 0u);
    EXPECT_EQ(script.UnexpectedWindows(), 0);
    return rows;
}

Rows ReopenedRows() { return AddFromHandEdit({}); }

TEST_F(AddEntryTest, TheNewRowShowsWhatWasTypedAndTheReopenedListWhatWasRead) {
    WriteWorkingRuleFile("[old]\r\nHKCU\\K=v\r\n");
    const Rows added = AddFromHandEdit({{L"S", L"N", L"A", L"abc,5", 0}});
    EXPECT_EQ(added, (Rows{{L"old", L"old", L"HKCU\\K", L"v"},
                           {L"S", L"N", L"HKEY_LOCAL_MACHINE\\Software\\A", L"abc,5"}}));
    EXPECT_EQ(ReopenedRows(), (Rows{{L"S", L"N", L"HKLM\\Software\\A", L"abc"},
                                    {L"old", L"old", L"HKCU\\K", L"v"}}));
}

TEST_F(AddEntryTest, ASecondEntryInASectionReplacesItsDisplayName) {
    const Rows added = AddFromHandEdit({{L"S", L"First", L"A", L"1", 1}, {L"S", L"Second", L"B", L"2", 1}});
    EXPECT_EQ(added.size(), 2u);
    EXPECT_EQ(RuleFileSections(), (Lines{"S"}));
    EXPECT_EQ(RuleFileSectionLines("S"),
              (Lines{"name=Second", "HKEY_CURRENT_USER\\Software\\A=1", "HKEY_CURRENT_USER\\Software\\B=2"}));
}

TEST_F(AddEntryTest, TheSkinStylesEveryControlInOrder) {
    RecordingSkin skin;
    ASSERT_TRUE(skin.Installed());
    ModalScript script;
    script.Then([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    CAddVirDlg add;
    add.DoModal(nullptr);
    EXPECT_EQ(RecordingSkin::Calls(), (std::vector<std::pair<int, int>>{{0, 0},
                                                                        {4, IDC_ADD_ENTRY_CONFIRM},
                                                                        {4, IDCANCEL},
                                                                        {5, IDC_ADD_ENTRY_SECTION},
                                                                        {5, IDC_ADD_ENTRY_NAME},
                                                                        {5, IDC_ADD_ENTRY_CUSTOM_PATH},
                                                                        {5, IDC_ADD_ENTRY_SUB_KEY},
                                                                        {5, IDC_ADD_ENTRY_VALUE},
                                                                        {3, IDC_ADD_ENTRY_PRESET_MODE},
                                                                        {3, IDC_ADD_ENTRY_CUSTOM_MODE},
                                                                        {6, IDC_ADD_ENTRY_PRESET_LIST}}));
}

// Section names in the ANSI code page: a Chinese name survives the round
// trip, and a long one is still deleted from the file.  Meaningful only
// under a double-byte code page.
TEST_F(AddEntryTest, Cp936SectionNamesRoundTripAndDelete) {
    if (::GetACP() != 936) GTEST_SKIP() << "needs code page 936";
    const std::wstring shortName = L"用户规则";
    const std::wstring longName(40, L'节');  // 80 bytes: the list shows it cut
    AddFromHandEdit({{shortName, L"名称", L"A", L"v", 0}, {longName, L"", L"B", L"w", 0}});
    Rows rows = ReopenedRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][0], shortName);
    EXPECT_EQ(rows[1][1], L"名称");
    EXPECT_EQ(rows[0][0].substr(0, 31), longName.substr(0, 31));

    ModalScript script;
    script.Then([](HWND dialog) {
        HWND list = ::GetDlgItem(dialog, IDC_HAND_EDIT_LIST);
        SelectListRow(list, 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HAND_EDIT_DELETE, BN_CLICKED), 0);
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    CHandEditDlg dialog;
    dialog.DoModal(nullptr);
    EXPECT_EQ(RuleFileSections(), (Lines{Narrow(shortName)}));
}

}  // namespace
