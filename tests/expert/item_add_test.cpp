// The add-item dialog: the roots it offers for the user's rights, the input
// it refuses, and what an accepted OK leaves behind (fields, a saved store
// and one monitor notification).
#include <gtest/gtest.h>

#include "dialogs/item_add_dlg.h"
#include "lang/resource.h"
#include "tests/expert/expert_test_support.h"
#include "tests/support/test_files.h"

using namespace expert_test;
using namespace testing_support;

namespace {

const std::vector<std::wstring> kAllNtRoots = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE",
                                               L"HKEY_USERS", L"HKEY_CURRENT_CONFIG"};

class ItemAddTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        FillStore({Category(99, L"User Rules", 2, 2)});
    }

    // Opens the dialog modally, lets `drive` act on it, answers DoModal.
    INT_PTR Run(CItemAdd& dialog, ModalScript::Step drive) {
        ModalScript script;
        script.Then(std::move(drive));
        INT_PTR result = dialog.DoModal(nullptr);
        EXPECT_EQ(script.UnexpectedWindows(), 0);
        return result;
    }

    bool Saved() const { return FileExists(SettingsFile(L"tempQRegUser.rdb")); }
};

struct Roots {
    std::vector<std::wstring> entries;
    std::wstring selected;
};

Roots ReadRoots(HWND dialog) {
    HWND combo = ::GetDlgItem(dialog, IDC_ITEMADD_ROOT);
    return {ComboEntries(combo), ControlText(dialog, IDC_ITEMADD_ROOT)};
}

class ItemAddLanguages : public ItemAddTest, public ::testing::WithParamInterface<Language> {};

TEST_P(ItemAddLanguages, AnAdministratorGetsFiveRootsWithTheFirstChosen) {
    SelectLanguage(GetParam());
    Roots roots;
    std::wstring caption;
    CItemAdd dialog;
    EXPECT_EQ(Run(dialog, [&](HWND window) {
                  roots = ReadRoots(window);
                  caption = ModalScript::WindowText(window);
                  EXPECT_EQ(ControlText(window, IDC_ITEMADD_KEY_PATH), L"");
                  EXPECT_EQ(ControlText(window, IDC_ITEMADD_NAME), L"");
                  ExpectControlsFit(window);
                  ClickButton(window, IDCANCEL);
              }),
              0);
    EXPECT_EQ(caption, GetParam() == kEnglish ? L"Add Registry Key" : L"添加注册表键");
    EXPECT_EQ(roots.entries, kAllNtRoots);
    EXPECT_EQ(roots.selected, L"HKEY_CLASSES_ROOT");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ItemAddLanguages, ::testing::Values(kEnglish, kChinese),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return info.param == kEnglish ? "English" : "Chinese";
                         });

TEST_P(ItemAddLanguages, TabReachesEveryControlAndTypingStopsAtTheLimit) {
    SelectLanguage(GetParam());
    CItemAdd dialog;
    std::vector<int> walk;
    std::wstring repeated;
    size_t pathChars = 0, nameChars = 0;
    Run(dialog, [&](HWND window) {
        RunWhenShown(window, [&, window] {
            repeated = RepeatedAccessKeys(window);
            ::SetFocus(::GetDlgItem(window, IDC_ITEMADD_ROOT));
            walk = TabWalk(window, 5);
            TypeText(::GetDlgItem(window, IDC_ITEMADD_KEY_PATH), std::wstring(260, L'k'));
            TypeText(::GetDlgItem(window, IDC_ITEMADD_NAME), std::wstring(260, L'n'));
            pathChars = ControlText(window, IDC_ITEMADD_KEY_PATH).size();
            nameChars = ControlText(window, IDC_ITEMADD_NAME).size();
            ClickButton(window, IDCANCEL);
        });
    });
    EXPECT_EQ(repeated, L"");
    EXPECT_EQ(walk, (std::vector<int>{IDC_ITEMADD_KEY_PATH, IDC_ITEMADD_NAME, IDOK, IDCANCEL, IDC_ITEMADD_ROOT}));
    EXPECT_EQ(pathChars, 250u);
    EXPECT_EQ(nameChars, 250u);
}

TEST_F(ItemAddTest, OtherUsersAreNotOfferedTheMachineWideRoots) {
    platform_.tokenIsAdmin = false;
    Roots roots;
    CItemAdd dialog;
    Run(dialog, [&](HWND window) {
        roots = ReadRoots(window);
        ClickButton(window, IDCANCEL);
    });
    EXPECT_EQ(roots.entries, (std::vector<std::wstring>{L"HKEY_CURRENT_USER", L"HKEY_USERS", L"HKEY_CURRENT_CONFIG"}));
    EXPECT_EQ(roots.selected, L"HKEY_CURRENT_USER");
}

TEST_F(ItemAddTest, OnThe9xPlatformEverybodyGetsSixRoots) {
    platform_.tokenIsAdmin = false;
    platform_.version = 0xC0000A04;  // high bit set: Windows 98
    Roots roots;
    CItemAdd dialog;
    Run(dialog, [&](HWND window) {
        roots = ReadRoots(window);
        ClickButton(window, IDCANCEL);
    });
    std::vector<std::wstring> expected = kAllNtRoots;
    expected.push_back(L"HKEY_DYN_DATA");
    EXPECT_EQ(roots.entries, expected);
    EXPECT_EQ(roots.selected, L"HKEY_CLASSES_ROOT");
}

TEST_F(ItemAddTest, AcceptedInputIsHandedBackAfterSavingAndNotifying) {
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    CItemAdd dialog;
    ASSERT_EQ(Run(dialog, [](HWND window) {
                  ::SendDlgItemMessageW(window, IDC_ITEMADD_ROOT, CB_SETCURSEL, 1, 0);
                  // One level below the root is accepted without a registry look-up.
                  SetControlText(window, IDC_ITEMADD_KEY_PATH, L"NoSuchKeyAtAll");
                  SetControlText(window, IDC_ITEMADD_NAME, L"Mine");
                  ClickButton(window, IDOK);
              }),
              1);
    EXPECT_EQ(dialog.m_strRootName, L"HKEY_CURRENT_USER");
    EXPECT_EQ(dialog.m_dwRoot, 0x80000001u);
    EXPECT_EQ(dialog.m_strKeyPath, L"NoSuchKeyAtAll");
    EXPECT_EQ(dialog.m_strName, L"Mine");
    EXPECT_TRUE(Saved());
    EXPECT_EQ(monitor.Commands(), 1);
}

TEST_F(ItemAddTest, DeeperPathsNeedTheirFirstKeyOpenable) {
    CItemAdd dialog;
    ASSERT_EQ(Run(dialog, [](HWND window) {
                  ::SendDlgItemMessageW(window, IDC_ITEMADD_ROOT, CB_SETCURSEL, 2, 0);
                  SetControlText(window, IDC_ITEMADD_KEY_PATH, L"Software\\Vendor\\Program");
                  SetControlText(window, IDC_ITEMADD_NAME, L"Program");
                  ClickButton(window, IDOK);
              }),
              1);
    EXPECT_EQ(dialog.m_strRootName, L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(dialog.m_dwRoot, 0x80000002u);
}

TEST_F(ItemAddTest, CancelAndCloseNeitherSaveNorNotify) {
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    for (int how = 0; how < 2; ++how) {
        CItemAdd dialog;
        EXPECT_EQ(Run(dialog, [how](HWND window) {
                      SetControlText(window, IDC_ITEMADD_KEY_PATH, L"Software");
                      SetControlText(window, IDC_ITEMADD_NAME, L"Mine");
                      if (how == 0)
                          ClickButton(window, IDCANCEL);
                      else
                          ::PostMessageW(window, WM_CLOSE, 0, 0);
                  }),
                  0);
    }
    EXPECT_FALSE(Saved());
    EXPECT_EQ(monitor.Commands(), 0);
}

// Refused input: the dialog stays open with a message (the rule caption) or,
// for an overlong text, only a beep; the focus is checked afterwards.
class ItemAddRefusal : public ItemAddTest {
protected:
    struct Outcome {
        BoxLog boxes;
        int focusId = 0;  // the focused control of the dialog, 0 for none
        std::pair<int, int> selection;  // of the focused control
        bool open = false;
    };

    Outcome Press(const std::wstring& keyPath, const std::wstring& name, int focusedId) {
        Outcome outcome;
        ModalScript script;
        CItemAdd dialog;
        HWND window = ShowModeless(dialog, script);
        EXPECT_EQ(script.PendingSteps(), 0u);
        script.Then([&outcome](HWND box) {
            outcome.boxes.texts.push_back(ModalScript::MessageBoxText(box));
            outcome.boxes.captions.push_back(ModalScript::WindowText(box));
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        ::SendDlgItemMessageW(window, IDC_ITEMADD_ROOT, CB_SETCURSEL, 1, 0);  // HKEY_CURRENT_USER
        SetControlText(window, IDC_ITEMADD_KEY_PATH, keyPath);
        SetControlText(window, IDC_ITEMADD_NAME, name);
        ::SetFocus(::GetDlgItem(window, focusedId));
        SendCommand(window, IDOK);
        HWND focus = ::GetFocus();
        outcome.focusId = ::GetParent(focus) == window ? ::GetDlgCtrlID(focus) : 0;
        outcome.selection = EditSelection(focus);
        outcome.open = ::IsWindowVisible(window) != FALSE;
        ::DestroyWindow(window);
        return outcome;
    }
};

TEST_F(ItemAddRefusal, EmptyTextsAreNamedAndTheirFieldFocused) {
    Outcome noPath = Press(L"", L"Mine", IDC_ITEMADD_NAME);
    ASSERT_EQ(noPath.boxes.texts.size(), 1u);
    EXPECT_EQ(noPath.boxes.texts[0], Text(IDS_ITEMADD_KEY_PATH_EMPTY));
    EXPECT_EQ(noPath.boxes.captions[0], Text(IDS_RULE_MESSAGE_CAPTION));
    EXPECT_TRUE(noPath.open);
    EXPECT_EQ(noPath.focusId, IDC_ITEMADD_KEY_PATH);

    Outcome noName = Press(L"Software", L"", IDC_ITEMADD_KEY_PATH);
    ASSERT_EQ(noName.boxes.texts.size(), 1u);
    EXPECT_EQ(noName.boxes.texts[0], Text(IDS_ITEMADD_NAME_EMPTY));
    EXPECT_EQ(noName.boxes.captions[0], Text(IDS_RULE_MESSAGE_CAPTION));
    EXPECT_TRUE(noName.open);
    EXPECT_EQ(noName.focusId, IDC_ITEMADD_NAME);
    EXPECT_FALSE(Saved());
}

TEST_F(ItemAddRefusal, AKeyPathUnderAMissingFirstKeyIsRefusedAndFocused) {
    FakeMonitor monitor;
    ASSERT_TRUE(monitor.Created());
    Outcome outcome = Press(L"NoSuchKey\\Sub", L"Mine", IDC_ITEMADD_NAME);
    ASSERT_EQ(outcome.boxes.texts.size(), 1u);
    EXPECT_EQ(outcome.boxes.texts[0], Text(IDS_KEY_PATH_INVALID));
    EXPECT_EQ(outcome.boxes.captions[0], Text(IDS_RULE_MESSAGE_CAPTION));
    EXPECT_TRUE(outcome.open);
    EXPECT_EQ(outcome.focusId, IDC_ITEMADD_KEY_PATH);
    EXPECT_EQ(outcome.selection, std::make_pair(0, 13)) << "the whole path, ready to be typed over";
    EXPECT_FALSE(Saved());
    EXPECT_EQ(monitor.Commands(), 0);
}

TEST_F(ItemAddRefusal, OverlongTextsOnlyBeepAndMoveTheFocus) {
    Outcome longPath = Press(std::wstring(251, L'k'), L"Mine", IDOK);
    EXPECT_TRUE(longPath.boxes.texts.empty()) << ::testing::PrintToString(longPath.boxes.texts);
    EXPECT_TRUE(longPath.open);
    EXPECT_EQ(longPath.focusId, IDC_ITEMADD_KEY_PATH);

    Outcome longName = Press(L"Software", std::wstring(251, L'n'), IDOK);
    EXPECT_TRUE(longName.boxes.texts.empty()) << ::testing::PrintToString(longName.boxes.texts);
    EXPECT_TRUE(longName.open);
    EXPECT_EQ(longName.focusId, IDC_ITEMADD_NAME);
    EXPECT_FALSE(Saved());
}

TEST_F(ItemAddTest, TextsOfExactlyTheLimitPass) {
    CItemAdd dialog;
    ASSERT_EQ(Run(dialog, [](HWND window) {
                  ::SendDlgItemMessageW(window, IDC_ITEMADD_ROOT, CB_SETCURSEL, 1, 0);
                  SetControlText(window, IDC_ITEMADD_KEY_PATH, std::wstring(250, L'k'));
                  SetControlText(window, IDC_ITEMADD_NAME, std::wstring(250, L'n'));
                  ClickButton(window, IDOK);
              }),
              1);
    EXPECT_EQ(dialog.m_strKeyPath.size(), 250u);
    EXPECT_EQ(dialog.m_strName.size(), 250u);
}

TEST_F(ItemAddTest, StylesItsControlsThroughTheSkinInOrder) {
    RecordingSkin style;
    ASSERT_TRUE(style.Installed());
    CItemAdd dialog;
    Run(dialog, [](HWND window) { ClickButton(window, IDCANCEL); });
    const std::vector<RecordingSkin::Call> expected = {{0, 0},
                                                       {4, IDOK},
                                                       {4, IDCANCEL},
                                                       {6, IDC_ITEMADD_ROOT},
                                                       {5, IDC_ITEMADD_KEY_PATH},
                                                       {5, IDC_ITEMADD_NAME}};
    EXPECT_EQ(style.Calls(), expected);
}

}  // namespace
