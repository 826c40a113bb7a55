// The add-category dialog over one record: what it shows, what OK writes,
// and the input it refuses.
#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/class_add_dlg.h"
#include "lang/resource.h"
#include "tests/expert/expert_test_support.h"
#include "tests/support/test_files.h"

using namespace expert_test;
using namespace testing_support;

namespace {

const int kRadios[] = {IDC_CLASSADD_ACTION_ASK, IDC_CLASSADD_ACTION_BLOCK, IDC_CLASSADD_ACTION_ALLOW};

// What the dialog showed when it opened.
struct Shown {
    std::wstring caption, name, description;
    bool nameReadOnly = false, descriptionReadOnly = false;
    bool modeBox200 = false, modeBox101 = false, modeBox002 = false, adminOnlyBox = false;
    bool adminOnlyEnabled = false;
    int radio = -1;
};

Shown ReadShown(HWND dialog) {
    Shown shown;
    shown.caption = ModalScript::WindowText(dialog);
    shown.name = ControlText(dialog, IDC_CLASSADD_NAME);
    shown.description = ControlText(dialog, IDC_CLASSADD_DESCRIPTION);
    shown.nameReadOnly = (::GetWindowLongW(::GetDlgItem(dialog, IDC_CLASSADD_NAME), GWL_STYLE) & ES_READONLY) != 0;
    shown.descriptionReadOnly =
        (::GetWindowLongW(::GetDlgItem(dialog, IDC_CLASSADD_DESCRIPTION), GWL_STYLE) & ES_READONLY) != 0;
    shown.modeBox200 = IsChecked(dialog, IDC_CLASSADD_MODE_200);
    shown.modeBox101 = IsChecked(dialog, IDC_CLASSADD_MODE_101);
    shown.modeBox002 = IsChecked(dialog, IDC_CLASSADD_MODE_002);
    shown.adminOnlyBox = IsChecked(dialog, IDC_CLASSADD_ADMIN_ONLY);
    shown.adminOnlyEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_CLASSADD_ADMIN_ONLY)) != FALSE;
    for (int i = 0; i < 3; ++i)
        if (IsChecked(dialog, kRadios[i])) shown.radio = i;
    return shown;
}

class ClassAddTest : public EditorTest {
protected:
    // Opens the dialog on `record`, lets `drive` act on it, and answers
    // DoModal's result.
    INT_PTR Run(RuleCategory& record, ModalScript::Step drive) {
        ModalScript script;
        script.Then(std::move(drive));
        CClassAdd dialog;
        INT_PTR result = dialog.RunOn(&record);
        EXPECT_EQ(script.PendingSteps(), 0u);
        EXPECT_EQ(script.UnexpectedWindows(), 0);
        return result;
    }
};

class ClassAddLanguages : public ClassAddTest, public ::testing::WithParamInterface<Language> {};

TEST_P(ClassAddLanguages, NewRecordOpensWritableWithTheUsualOptionForAnyUser) {
    SelectLanguage(GetParam());
    platform_.tokenIsAdmin = false;
    RuleCategory record = {};
    Shown shown;
    EXPECT_EQ(Run(record, [&](HWND dialog) {
                  shown = ReadShown(dialog);
                  ExpectControlsFit(dialog);
                  ClickButton(dialog, IDCANCEL);
              }),
              0);
    EXPECT_EQ(shown.caption, GetParam() == kEnglish ? L"Rule Category" : L"规则类别");
    EXPECT_EQ(shown.name, L"");
    EXPECT_EQ(shown.description, L"");
    EXPECT_FALSE(shown.nameReadOnly);
    EXPECT_FALSE(shown.descriptionReadOnly);
    EXPECT_FALSE(shown.modeBox200);
    EXPECT_FALSE(shown.modeBox101);
    EXPECT_TRUE(shown.modeBox002);
    EXPECT_EQ(shown.radio, 0);
    EXPECT_FALSE(shown.adminOnlyBox);
    // Protection is an administrator's decision.
    EXPECT_FALSE(shown.adminOnlyEnabled);
}

TEST_P(ClassAddLanguages, ExistingCategoryShowsItsTextsReadOnly) {
    SelectLanguage(GetParam());
    RuleCategory record = Category(800, L"Browser start page", 2, 0x200, 1);
    const wchar_t description[] = L"Keys that choose the start page.";
    std::memcpy(record.wideDescription, description, sizeof(description));
    Shown shown;
    Run(record, [&](HWND dialog) {
        shown = ReadShown(dialog);
        ExpectControlsFit(dialog);
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(shown.name, L"Browser start page");
    EXPECT_EQ(shown.description, description);
    EXPECT_TRUE(shown.nameReadOnly);
    EXPECT_TRUE(shown.descriptionReadOnly);
    EXPECT_TRUE(shown.modeBox200);
    EXPECT_FALSE(shown.modeBox002);  // some option was set, so none is added
    EXPECT_EQ(shown.radio, 1);
    EXPECT_TRUE(shown.adminOnlyBox);
    EXPECT_TRUE(shown.adminOnlyEnabled);
}

TEST_P(ClassAddLanguages, TabReachesEveryControlAndTypingStopsAtTheLimits) {
    SelectLanguage(GetParam());
    RuleCategory record = {};
    std::vector<int> walk;
    std::wstring repeated;
    size_t nameChars = 0, descriptionChars = 0;
    Run(record, [&](HWND dialog) {
        RunWhenShown(dialog, [&, dialog] {
            repeated = RepeatedAccessKeys(dialog);
            ::SetFocus(::GetDlgItem(dialog, IDC_CLASSADD_NAME));
            walk = TabWalk(dialog, 9);
            TypeText(::GetDlgItem(dialog, IDC_CLASSADD_NAME), std::wstring(70, L'n'));
            TypeText(::GetDlgItem(dialog, IDC_CLASSADD_DESCRIPTION), std::wstring(510, L'd'));
            nameChars = ControlText(dialog, IDC_CLASSADD_NAME).size();
            descriptionChars = ControlText(dialog, IDC_CLASSADD_DESCRIPTION).size();
            ClickButton(dialog, IDCANCEL);
        });
    });
    EXPECT_EQ(repeated, L"");
    // Top to bottom, left column before right; the chosen action radio
    // stands for its group.
    EXPECT_EQ(walk, (std::vector<int>{IDC_CLASSADD_DESCRIPTION, IDC_CLASSADD_MODE_002, IDC_CLASSADD_MODE_101, IDC_CLASSADD_MODE_200, IDC_CLASSADD_ACTION_ASK, IDC_CLASSADD_ADMIN_ONLY, IDOK, IDCANCEL, IDC_CLASSADD_NAME}));
    EXPECT_EQ(nameChars, 60u);
    EXPECT_EQ(descriptionChars, 500u);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ClassAddLanguages, ::testing::Values(kEnglish, kChinese),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return info.param == kEnglish ? "English" : "Chinese";
                         });

TEST_F(ClassAddTest, ModeBitsRoundTripThroughTheThreeBoxes) {
    struct Case {
        int32_t mode;
        bool modeBox200, modeBox101, modeBox002;
        int32_t stored;
    };
    const Case cases[] = {
        {255, false, true, true, 0x103},  // bits outside the three options are dropped
        {0x001, false, true, false, 0x101},
        {0x100, false, true, false, 0x101},
        {0, false, false, true, 0x002},
        {0x200, true, false, false, 0x200},
        {0x303, true, true, true, 0x303},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        RuleCategory record = Category(800, L"Mine", 0, c.mode);
        Shown shown;
        ASSERT_EQ(Run(record, [&](HWND dialog) {
                      shown = ReadShown(dialog);
                      ClickButton(dialog, IDOK);
                  }),
                  1);
        EXPECT_EQ(shown.modeBox200, c.modeBox200);
        EXPECT_EQ(shown.modeBox101, c.modeBox101);
        EXPECT_EQ(shown.modeBox002, c.modeBox002);
        EXPECT_EQ(record.mode, c.stored);
    }
}

TEST_F(ClassAddTest, ActionsMapToTheRadiosInTheOrderZeroTwoOne) {
    const int32_t actionOfRadio[] = {0, 2, 1};
    for (int32_t action : {0, 1, 2, 7}) {
        SCOPED_TRACE(action);
        RuleCategory record = Category(800, L"Mine", action);
        Shown shown;
        Run(record, [&](HWND dialog) {
            shown = ReadShown(dialog);
            ClickButton(dialog, IDCANCEL);
        });
        EXPECT_EQ(shown.radio, action == 0 ? 0 : action == 2 ? 1 : 2);
    }
    for (int radio = 0; radio < 3; ++radio) {
        SCOPED_TRACE(radio);
        RuleCategory record = Category(800, L"Mine", 0);
        ASSERT_EQ(Run(record, [&](HWND dialog) {
                      for (int i = 0; i < 3; ++i) SetChecked(dialog, kRadios[i], i == radio);
                      ClickButton(dialog, IDOK);
                  }),
                  1);
        EXPECT_EQ(record.action, actionOfRadio[radio]);
    }
    // No radio checked at all counts as the first.
    RuleCategory record = Category(800, L"Mine", 1);
    ASSERT_EQ(Run(record, [&](HWND dialog) {
                  for (int radio : kRadios) SetChecked(dialog, radio, false);
                  ClickButton(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(record.action, 0);
}

TEST_F(ClassAddTest, OkWritesTheNewCategoryAndLeavesIdAndItemsAlone) {
    RuleCategory record = {};
    RuleItem item = Item(0x80000001u, "Software\\X", "x");
    PrependItem(&record, &item);
    RuleItem* items = record.items;
    record.id = 0;
    ASSERT_EQ(Run(record, [](HWND dialog) {
                  SetControlText(dialog, IDC_CLASSADD_NAME, L"Office add-ins");
                  SetControlText(dialog, IDC_CLASSADD_DESCRIPTION, L"Where add-ins register.");
                  SetChecked(dialog, IDC_CLASSADD_MODE_200, true);
                  SetChecked(dialog, IDC_CLASSADD_ADMIN_ONLY, true);
                  SetChecked(dialog, IDC_CLASSADD_ACTION_ASK, false);
                  SetChecked(dialog, IDC_CLASSADD_ACTION_ALLOW, true);
                  ClickButton(dialog, IDOK);
              }),
              1);
    EXPECT_STREQ(record.name, "Office add-ins");
    EXPECT_EQ(std::wstring(record.wideName), L"Office add-ins");
    EXPECT_STREQ(record.description, "Where add-ins register.");
    EXPECT_EQ(std::wstring(record.wideDescription), L"Where add-ins register.");
    EXPECT_EQ(record.mode, 0x202);
    EXPECT_EQ(record.action, 1);
    EXPECT_EQ(record.adminOnly, 1);
    EXPECT_EQ(record.id, 0);
    EXPECT_EQ(record.items, items);
    EmptyCategoryItems(&record);
}

TEST_F(ClassAddTest, AnAdministratorCanLiftTheProtection) {
    RuleCategory record = Category(800, L"Guarded", 0, 2, 1);
    ASSERT_EQ(Run(record, [](HWND dialog) {
                  SetChecked(dialog, IDC_CLASSADD_ADMIN_ONLY, false);
                  ClickButton(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(record.adminOnly, 0);
}

TEST_F(ClassAddTest, CancelAndCloseLeaveTheRecordAsItWas) {
    RuleCategory record = Category(800, L"Mine", 2, 0x200);
    const RuleCategory before = record;
    EXPECT_EQ(Run(record, [](HWND dialog) {
                  SetChecked(dialog, IDC_CLASSADD_MODE_002, true);
                  ClickButton(dialog, IDCANCEL);
              }),
              0);
    EXPECT_EQ(Run(record, [](HWND dialog) {
                  SetChecked(dialog, IDC_CLASSADD_MODE_101, true);
                  ::PostMessageW(dialog, WM_CLOSE, 0, 0);
              }),
              0);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof(record)), 0);
}

TEST_F(ClassAddTest, EmptyNameOrNoOptionIsRefusedWithAMessageAndTheDialogStaysOpen) {
    struct Case {
        const wchar_t* name;
        bool anyOption;
        UINT message;
    };
    for (const Case& c : {Case{L"", true, IDS_CLASSADD_NAME_EMPTY}, Case{L"Mine", false, IDS_CLASSADD_NO_OPTION},
                          Case{L"", false, IDS_CLASSADD_NAME_EMPTY}}) {
        SCOPED_TRACE(c.message);
        RuleCategory record = {};
        HWND dialog = nullptr;
        BoxLog log;
        ModalScript script;
        int focusAfter = 0;
        script
            .Then([&](HWND window) {
                dialog = window;
                SetControlText(window, IDC_CLASSADD_NAME, c.name);
                for (int box : {IDC_CLASSADD_MODE_200, IDC_CLASSADD_MODE_101, IDC_CLASSADD_MODE_002})
                    SetChecked(window, box, c.anyOption && box == IDC_CLASSADD_MODE_101);
                ClickButton(window, IDOK);
            })
            .Then([&](HWND box) {
                log.texts.push_back(ModalScript::MessageBoxText(box));
                log.captions.push_back(ModalScript::WindowText(box));
                ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                // Once the box has gone: where the user goes on typing.
                RunWhenShown(dialog, [&] {
                    focusAfter = ::GetDlgCtrlID(::GetFocus());
                    ClickButton(dialog, IDCANCEL);
                });
            });
        CClassAdd classAdd;
        // 0 comes from the cancel pressed after the message.
        EXPECT_EQ(classAdd.RunOn(&record), 0);
        EXPECT_EQ(script.PendingSteps(), 0u);
        ASSERT_EQ(log.texts.size(), 1u);
        EXPECT_EQ(log.texts[0], Text(c.message));
        // The empty name, or the first of the option boxes.
        EXPECT_EQ(focusAfter, c.message == IDS_CLASSADD_NAME_EMPTY ? IDC_CLASSADD_NAME : IDC_CLASSADD_MODE_002);
        // The system's own title: the message has no caption of its own.
        EXPECT_NE(log.captions[0], Text(IDS_RULE_MESSAGE_CAPTION));
        RuleCategory zero = {};
        EXPECT_EQ(std::memcmp(&record, &zero, sizeof(record)), 0);
    }
}

// Under a double-byte code page the ANSI fields (63 and 511 bytes) fill
// before the character limits: typing stops there, and a character typed
// into a full name is taken back with the caret where it was.
TEST_F(ClassAddTest, Cp936TypingStopsAtTheBytesTheRecordHolds) {
    if (::GetACP() != 936) GTEST_SKIP() << "needs code page 936";
    const wchar_t kHan = L'\u8282';
    RuleCategory record = {};
    std::wstring name, nameAfterInsert, nameAfterAscii;
    std::pair<int, int> caret;
    size_t descriptionChars = 0;
    EXPECT_EQ(Run(record, [&](HWND dialog) {
                  HWND nameBox = ::GetDlgItem(dialog, IDC_CLASSADD_NAME);
                  TypeText(nameBox, std::wstring(40, kHan));
                  name = ControlText(dialog, IDC_CLASSADD_NAME);
                  ::SendMessageW(nameBox, EM_SETSEL, 5, 5);
                  TypeText(nameBox, L"\u7532");
                  nameAfterInsert = ControlText(dialog, IDC_CLASSADD_NAME);
                  caret = EditSelection(nameBox);
                  TypeText(nameBox, L"a");
                  nameAfterAscii = ControlText(dialog, IDC_CLASSADD_NAME);
                  TypeText(::GetDlgItem(dialog, IDC_CLASSADD_DESCRIPTION), std::wstring(300, kHan));
                  descriptionChars = ControlText(dialog, IDC_CLASSADD_DESCRIPTION).size();
                  ClickButton(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(name, std::wstring(31, kHan)) << "62 bytes; one more would need 64";
    EXPECT_EQ(nameAfterInsert, name);
    EXPECT_EQ(caret, std::make_pair(5, 5));
    EXPECT_EQ(nameAfterAscii, std::wstring(5, kHan) + L"a" + std::wstring(26, kHan)) << "63 bytes fit";
    EXPECT_EQ(descriptionChars, 255u);
    // Nothing had to be cut on the way into the record.
    EXPECT_EQ(std::strlen(record.name), 63u);
    EXPECT_EQ(std::wstring(record.wideName), nameAfterAscii);
    EXPECT_EQ(std::strlen(record.description), 510u);
}

TEST_F(ClassAddTest, OverlongTextsOnlyMoveTheFocus) {
    struct Case {
        int id;
        size_t limit;
    };
    for (const Case& c : {Case{IDC_CLASSADD_NAME, 60}, Case{IDC_CLASSADD_DESCRIPTION, 500}}) {
        SCOPED_TRACE(c.id);
        RuleCategory record = {};
        HWND focusAfterLong = nullptr, expected = nullptr;
        bool stillOpen = false;
        ModalScript script;
        script.Then([&](HWND dialog) {
            expected = ::GetDlgItem(dialog, c.id);
            RunWhenShown(dialog, [&, dialog] {
                SetControlText(dialog, IDC_CLASSADD_NAME, L"Name");
                SetControlText(dialog, c.id, std::wstring(c.limit + 1, L'n'));
                ::SetFocus(::GetDlgItem(dialog, IDOK));
                SendCommand(dialog, IDOK);
                focusAfterLong = ::GetFocus();
                stillOpen = ::IsWindowVisible(dialog) != FALSE;
                // At the limit the text passes.
                SetControlText(dialog, c.id, std::wstring(c.limit, L'n'));
                ClickButton(dialog, IDOK);
            });
        });
        CClassAdd classAdd;
        EXPECT_EQ(classAdd.RunOn(&record), 1);
        EXPECT_EQ(script.UnexpectedWindows(), 0) << "no message box for a long text";
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(focusAfterLong, expected);
        if (c.id == IDC_CLASSADD_NAME) {
            EXPECT_EQ(std::wstring(record.wideName).size(), 60u);
            EXPECT_EQ(std::strlen(record.name), 60u);
        } else {
            EXPECT_EQ(std::wstring(record.wideDescription).size(), 500u);
            EXPECT_EQ(std::strlen(record.description), 500u);
        }
    }
}

TEST_F(ClassAddTest, StylesItsControlsThroughTheSkinInOrder) {
    RecordingSkin style;
    ASSERT_TRUE(style.Installed());
    RuleCategory record = {};
    Run(record, [](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    const std::vector<RecordingSkin::Call> expected = {
        {0, 0},
        {5, IDC_CLASSADD_NAME},
        {5, IDC_CLASSADD_DESCRIPTION},
        {4, IDOK},
        {4, IDCANCEL},
        {3, IDC_CLASSADD_ACTION_ASK},
        {3, IDC_CLASSADD_ACTION_BLOCK},
        {3, IDC_CLASSADD_ACTION_ALLOW},
        {2, IDC_CLASSADD_MODE_200},
        {2, IDC_CLASSADD_MODE_101},
        {2, IDC_CLASSADD_MODE_002},
        {2, IDC_CLASSADD_ADMIN_ONLY},
    };
    EXPECT_EQ(style.Calls(), expected);
}

}  // namespace
