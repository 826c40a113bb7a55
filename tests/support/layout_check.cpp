#include "tests/support/layout_check.h"

#include <gtest/gtest.h>

#include "win/ansi_text.h"

#include <string>
#include <vector>

namespace testing_support {


namespace {

struct Control {
    HWND window;
    int id;
    std::wstring className;
    LONG style;
    RECT rect;  // dialog client coordinates
};

std::vector<Control> ShownControls(HWND dialog) {
    std::vector<Control> controls;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        if (!(style & WS_VISIBLE)) continue;
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        Control control = {child, ::GetDlgCtrlID(child), name, style, {}};
        ::GetWindowRect(child, &control.rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&control.rect), 2);
        controls.push_back(control);
    }
    return controls;
}

bool IsClass(const Control& control, const wchar_t* name) { return _wcsicmp(control.className.c_str(), name) == 0; }
LONG ButtonType(const Control& control) { return control.style & BS_TYPEMASK; }
bool IsGroupBox(const Control& control) { return IsClass(control, L"Button") && ButtonType(control) == BS_GROUPBOX; }
bool IsPushButton(const Control& control) {
    return IsClass(control, L"Button") && (ButtonType(control) == BS_PUSHBUTTON || ButtonType(control) == BS_DEFPUSHBUTTON);
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::string Show(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

int Scaled(int pixels) { return ::MulDiv(pixels, ScreenDpi(), 96); }

// Room a control keeps for itself beside its text, left and right together:
// a push button's edges, a check box's or radio button's mark and the gap
// after it, a group box's indent at both ends of its title.
int OwnMargins(const Control& control) {
    if (!IsClass(control, L"Button")) return 0;
    if (IsPushButton(control)) return 2 * (::GetSystemMetrics(SM_CXEDGE) + 1);
    if (IsGroupBox(control)) return Scaled(16);
    return ::GetSystemMetrics(SM_CXMENUCHECK) + 2 * ::GetSystemMetrics(SM_CXEDGE);
}

bool ShowsText(const Control& control) {
    if (IsClass(control, L"Static")) {
        const LONG type = control.style & SS_TYPEMASK;
        return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP ||
               type == SS_SIMPLE;
    }
    return IsClass(control, L"Button");
}

// Statics wrap unless told not to; buttons only when multi-line.
bool Wraps(const Control& control) {
    if (IsClass(control, L"Static")) {
        const LONG type = control.style & SS_TYPEMASK;
        return type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE;
    }
    return (control.style & BS_MULTILINE) != 0;
}

void ExpectTextWhole(const Control& control, const std::string& what) {
    // A static without prefix processing shows its '&' as it stands.
    const bool noPrefix = IsClass(control, L"Static") && (control.style & SS_NOPREFIX);
    const std::wstring text = noPrefix ? WindowText(control.window) : ShownText(control.window);
    if (text.empty()) return;
    RECT client = {};
    ::GetClientRect(control.window, &client);
    const int width = client.right - OwnMargins(control);

    HDC dc = ::GetDC(control.window);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control.window, WM_GETFONT, 0, 0));
    HGDIOBJ previous = ::SelectObject(dc, font ? font : ::GetStockObject(SYSTEM_FONT));
    SIZE line = {};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &line);
    RECT wrapped = {0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &wrapped,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control.window, dc);

    const std::string shown = ::testing::PrintToString(ToUtf8(text));
    if (Wraps(control)) {
        EXPECT_LE(wrapped.bottom, client.bottom)
            << what << ": text of control " << control.id << " needs more lines than it has: " << shown;
        EXPECT_LE(wrapped.right, width) << what << ": a word of control " << control.id << " is cut: " << shown;
    } else {
        EXPECT_LE(line.cx, width) << what << ": text of control " << control.id << " is cut: " << shown;
    }
}

}  // namespace

int ScreenDpi() {
    HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return dpi;
}

std::wstring ShownText(HWND control) {
    const std::wstring text = WindowText(control);
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}

void ExpectControlsApart(HWND dialog, const std::string& what) {
    RECT client = {};
    ::GetClientRect(dialog, &client);
    const std::vector<Control> controls = ShownControls(dialog);
    for (const Control& control : controls)
        EXPECT_TRUE(Contains(client, control.rect))
            << what << ": control " << control.id << " at " << Show(control.rect) << " leaves the client area "
            << Show(client);
    for (size_t a = 0; a < controls.size(); ++a) {
        for (size_t b = a + 1; b < controls.size(); ++b) {
            const Control& first = controls[a];
            const Control& second = controls[b];
            if (!Overlap(first.rect, second.rect)) continue;
            // A group box holds the controls inside it.
            if (IsGroupBox(first) != IsGroupBox(second)) {
                const Control& box = IsGroupBox(first) ? first : second;
                const Control& other = IsGroupBox(first) ? second : first;
                if (Contains(box.rect, other.rect)) continue;
            }
            ADD_FAILURE() << what << ": controls " << first.id << " at " << Show(first.rect) << " and " << second.id
                          << " at " << Show(second.rect) << " overlap";
        }
    }
}

void ExpectTextsFit(HWND dialog, const std::string& what) {
    for (const Control& control : ShownControls(dialog))
        if (ShowsText(control)) ExpectTextWhole(control, what);
}

void ExpectControlsFit(HWND dialog, const std::string& what) {
    ExpectControlsApart(dialog, what);
    ExpectTextsFit(dialog, what);
}

void ExpectDialogFits(HWND dialog, const std::string& what) {
    // A top-level dialog lies wholly on the work area (a page is placed and
    // sized by the window that holds it).
    if (!(::GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD)) {
        RECT frame = {}, work = {};
        ::GetWindowRect(dialog, &frame);
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_TRUE(Contains(work, frame)) << what << ": window " << Show(frame) << " leaves the work area "
                                           << Show(work);
    }
    ExpectControlsFit(dialog, what);
}

}  // namespace testing_support
