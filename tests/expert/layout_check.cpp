#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/expert/expert_test_support.h"

namespace expert_test {

namespace {

struct Control {
    HWND window;
    int id;
    RECT rect;  // dialog client coordinates
    std::wstring className;
    LONG style;
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

bool IsGroupBox(const Control& control) {
    return _wcsicmp(control.className.c_str(), L"Button") == 0 && (control.style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Width the text needs in the control's font, without the mnemonic marker.
int TextWidth(HWND window, std::wstring text) {
    for (size_t at = text.find(L'&'); at != std::wstring::npos; at = text.find(L'&', at + 1)) text.erase(at, 1);
    HDC dc = ::GetDC(window);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return size.cx;
}

}  // namespace

void ExpectControlsFit(HWND dialog) {
    RECT client = {};
    ::GetClientRect(dialog, &client);
    std::vector<Control> controls;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!(::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
        Control control = {child, ::GetDlgCtrlID(child), {}, ClassOf(child), ::GetWindowLongW(child, GWL_STYLE)};
        ::GetWindowRect(child, &control.rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&control.rect), 2);
        controls.push_back(control);
    }
    for (const Control& control : controls) {
        EXPECT_TRUE(Contains(client, control.rect)) << "control " << control.id << " leaves the dialog";
        const bool isButton = _wcsicmp(control.className.c_str(), L"Button") == 0;
        const bool isStatic = _wcsicmp(control.className.c_str(), L"Static") == 0;
        if (!isButton && !isStatic) continue;
        wchar_t text[512] = {};
        ::GetWindowTextW(control.window, text, 512);
        const LONG type = control.style & BS_TYPEMASK;
        // Check boxes and radios draw their box before the text.
        const int box = (isButton && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && !IsGroupBox(control)) ? 16 : 0;
        const int width = control.rect.right - control.rect.left;
        // Statics wrap; a single text line is what the check can judge.
        const int lines = isStatic ? std::max<int>(1, (control.rect.bottom - control.rect.top) / 12) : 1;
        EXPECT_LE(TextWidth(control.window, text) + box, width * lines)
            << "text of control " << control.id << " is cut off";
    }
    for (size_t a = 0; a < controls.size(); ++a) {
        for (size_t b = a + 1; b < controls.size(); ++b) {
            if (IsGroupBox(controls[a]) || IsGroupBox(controls[b])) {
                const Control& box = IsGroupBox(controls[a]) ? controls[a] : controls[b];
                const Control& other = IsGroupBox(controls[a]) ? controls[b] : controls[a];
                if (Overlap(box.rect, other.rect)) {
                    EXPECT_TRUE(Contains(box.rect, other.rect))
                        << "control " << other.id << " straddles a group box";
                }
                continue;
            }
            EXPECT_FALSE(Overlap(controls[a].rect, controls[b].rect))
                << "controls " << controls[a].id << " and " << controls[b].id << " overlap";
        }
    }
}

}  // namespace expert_test
