// The two templates as laid out on screen: no control covers another, and
// (with the English texts, whose font the test machine has) no text is cut.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/add_vir_dlg.h"
#include "dialogs/hand_edit_dlg.h"
#include "tests/handedit/handedit_support.h"
#include "tests/support/layout_check.h"
#include "tests/support/modal_script.h"

using namespace handedit_test;
using namespace testing_support;

namespace {

template <class Dialog>
void CheckLayout(bool textsToo) {
    ModalScript script;
    script.Then([textsToo](HWND dialog) {
        ExpectControlsApart(dialog);
        if (textsToo) ExpectTextsFit(dialog);
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    Dialog dialog;
    dialog.DoModal(nullptr);
    EXPECT_EQ(script.PendingSteps(), 0u);
}

class DialogLayout : public DialogTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(DialogLayout, ControlsStayApartAndInsideTheDialog) {
    LanguageModule language(GetParam());
    ASSERT_TRUE(language.Loaded());
    const bool english = std::wstring(GetParam()) == L"0409";
    CheckLayout<CHandEditDlg>(english);
    CheckLayout<CAddVirDlg>(english);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DialogLayout, ::testing::Values(L"0409", L"0804"));

}  // namespace
