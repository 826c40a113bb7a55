// The two templates as laid out on screen, as created and as the dialogs lay
// themselves out when sized: no control covers another or leaves the client
// area, and (with the English texts, whose font the test machine has) no text
// is cut.
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
        // The dialog's own sizing rules, at its template size and at a larger
        // one, keep the controls apart and inside too.
        RECT frame = {};
        ::GetWindowRect(dialog, &frame);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        for (SIZE size : {SIZE{width + 1, height}, SIZE{width, height}, SIZE{width + 200, height + 150}}) {
            ::SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
            SCOPED_TRACE("window " + std::to_string(size.cx) + "x" + std::to_string(size.cy));
            ExpectControlsApart(dialog);
        }
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
