#include "tests/support/layout_check.h"

#include <gtest/gtest.h>

#include <ostream>
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

std::vector<Control> VisibleControls(HWND dialog) {
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

bool IsGroupBox(const Control& control) {
    return IsClass(control, L"Button") && (control.style & BS_TYPEMASK) == BS_GROUPBOX;
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

std::wstring TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

void ExpectControlsApart(HWND dialog) {
    RECT client = {};
    ::GetClientRect(dialog, &client);
    const std::vector<Control> controls = VisibleControls(dialog);
    for (const Control& control : controls)
        EXPECT_TRUE(Contains(client, control.rect))
            << "control " << control.id << " at " << Show(control.rect) << " leaves the client area " << Show(client);
    for (size_t a = 0; a < controls.size(); ++a) {
        for (size_t b = a + 1; b < controls.size(); ++b) {
            const Control& first = controls[a];
            const Control& second = controls[b];
            if (!Overlap(first.rect, second.rect)) continue;
            if (IsGroupBox(first) || IsGroupBox(second)) {
                const Control& box = IsGroupBox(first) ? first : second;
                const Control& other = IsGroupBox(first) ? second : first;
                EXPECT_TRUE(Contains(box.rect, other.rect)) << "control " << other.id << " at " << Show(other.rect)
                                                            << " straddles group box " << box.id << " at "
                                                            << Show(box.rect);
                continue;
            }
            ADD_FAILURE() << "controls " << first.id << " at " << Show(first.rect) << " and " << second.id << " at "
                          << Show(second.rect) << " overlap";
        }
    }
}

void ExpectTextsFit(HWND dialog) {
    for (const Control& control : VisibleControls(dialog)) {
        const bool isStatic = IsClass(control, L"Static");
        if (!isStatic && !IsClass(control, L"Button")) continue;
        std::wstring text = TextOf(control.window);
        // The mnemonic marker takes no room.
        for (size_t at = text.find(L'&'); at != std::wstring::npos; at = text.find(L'&', at + 1)) text.erase(at, 1);
        if (text.empty()) continue;
        const int width = control.rect.right - control.rect.left;
        const int height = control.rect.bottom - control.rect.top;

        HDC dc = ::GetDC(control.window);
        HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control.window, WM_GETFONT, 0, 0));
        HGDIOBJ previous = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
        RECT wrapped = {0, 0, width, 0};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &wrapped, DT_CALCRECT | DT_WORDBREAK);
        SIZE line = {};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &line);
        ::SelectObject(dc, previous);
        ::ReleaseDC(control.window, dc);

        if (isStatic) {
            EXPECT_LE(wrapped.bottom, height) << "text of control " << control.id << " cut off: "
                                              << ::testing::PrintToString(text);
            continue;
        }
        // Room for the check mark or the button's edges.
        const LONG type = control.style & BS_TYPEMASK;
        const int chrome = IsGroupBox(control) ? 16 : (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) ? 8 : 18;
        EXPECT_LE(line.cx + chrome, width) << "caption of control " << control.id << " cut off: "
                                           << ::testing::PrintToString(text);
    }
}

void ExpectControlsFit(HWND dialog) {
    ExpectControlsApart(dialog);
    ExpectTextsFit(dialog);
}

}  // namespace testing_support
