// The two templates as laid out on screen: no control covers another, and
// (with the English texts, whose font the test machine has) no text is cut.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/add_vir_dlg.h"
#include "dialogs/hand_edit_dlg.h"
#include "tests/handedit/handedit_support.h"
#include "tests/support/modal_script.h"

using namespace handedit_test;
using namespace testing_support;

namespace {

struct Control {
    HWND window;
    int id;
    std::wstring className;
    LONG style;
    RECT rect;  // dialog client coordinates
};

std::vector<Control> Controls(HWND dialog) {
    std::vector<Control> controls;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        Control c = {child, ::GetDlgCtrlID(child), L"", ::GetWindowLongW(child, GWL_STYLE), {}};
        wchar_t cls[64] = {};
        ::GetClassNameW(child, cls, 64);
        c.className = cls;
        ::GetWindowRect(child, &c.rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&c.rect), 2);
        controls.push_back(c);
    }
    return controls;
}

bool IsGroupBox(const Control& c) {
    return _wcsicmp(c.className.c_str(), L"Button") == 0 && (c.style & BS_TYPEMASK) == BS_GROUPBOX;
}

void ExpectNothingOverlaps(HWND dialog) {
    RECT client = {};
    ::GetClientRect(dialog, &client);
    const std::vector<Control> controls = Controls(dialog);
    for (size_t i = 0; i < controls.size(); ++i) {
        const RECT& a = controls[i].rect;
        EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= client.right && a.bottom <= client.bottom)
            << "control " << controls[i].id << " leaves the dialog";
        if (IsGroupBox(controls[i])) continue;  // it frames others
        for (size_t j = i + 1; j < controls.size(); ++j) {
            if (IsGroupBox(controls[j])) continue;
            RECT both = {};
            EXPECT_FALSE(::IntersectRect(&both, &a, &controls[j].rect))
                << "controls " << controls[i].id << " and " << controls[j].id << " overlap";
        }
    }
}

// Word-wrapped static texts must fit their box; button captions one line.
void ExpectEveryTextFits(HWND dialog) {
    for (const Control& c : Controls(dialog)) {
        const int length = ::GetWindowTextLengthW(c.window);
        if (length == 0) continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        ::GetWindowTextW(c.window, &text[0], length + 1);
        text.resize(static_cast<size_t>(length));
        const int width = c.rect.right - c.rect.left, height = c.rect.bottom - c.rect.top;

        HDC dc = ::GetDC(c.window);
        HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(c.window, WM_GETFONT, 0, 0)));
        RECT needed = {0, 0, width, 0};
        ::DrawTextW(dc, text.c_str(), length, &needed, DT_CALCRECT | DT_WORDBREAK);
        SIZE line = {};
        ::GetTextExtentPoint32W(dc, text.c_str(), length, &line);
        ::SelectObject(dc, previous);
        ::ReleaseDC(c.window, dc);

        if (_wcsicmp(c.className.c_str(), L"Static") == 0) {
            EXPECT_LE(needed.bottom, height) << "text cut: " << testing::PrintToString(text);
        } else {
            // Room for the check mark or the button's edges.
            const int chrome = IsGroupBox(c) ? 16 : ((c.style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON ? 8 : 18);
            EXPECT_LE(line.cx + chrome, width) << "caption cut: " << testing::PrintToString(text);
        }
    }
}

template <class Dialog>
void CheckLayout(bool textsToo) {
    ModalScript script;
    script.Then([textsToo](HWND dialog) {
        ExpectNothingOverlaps(dialog);
        if (textsToo) ExpectEveryTextFits(dialog);
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
