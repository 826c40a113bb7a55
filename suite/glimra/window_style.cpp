#include "suite/glimra/window_style.h"

#include "suite/glimra/shared_font.h"

#include <commctrl.h>

namespace {

bool HasClass(HWND window, const wchar_t* className) {
    wchar_t actual[64];
    if (!IsWindow(window) || GetClassNameW(window, actual, 64) == 0) return false;
    return lstrcmpiW(actual, className) == 0;
}

// A button that draws itself as a button face or a box: not a group frame
// and not owner-drawn, whose look BS_FLAT would not change.
bool IsFlattenableButton(HWND window) {
    if (!HasClass(window, WC_BUTTONW)) return false;
    LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return type != BS_GROUPBOX && type != BS_OWNERDRAW;
}

void GiveSkinFont(HWND window) {
    if (HFONT font = SkinFont()) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

BOOL CALLBACK GiveSkinFontToChild(HWND child, LPARAM) {
    GiveSkinFont(child);
    return TRUE;
}

void FlattenButton(HWND window) {
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | BS_FLAT);
    InvalidateRect(window, nullptr, TRUE);
}

// Style bits outside the frame take effect only after the frame is recomputed.
void RefreshFrame(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL StyleButton(HWND window) {
    if (!IsFlattenableButton(window)) return FALSE;
    GiveSkinFont(window);
    FlattenButton(window);
    return TRUE;
}

}  // namespace

BOOL WindowStyle::StyleDialog(HWND window) {
    if (!IsWindow(window)) return FALSE;
    GiveSkinFont(window);
    EnumChildWindows(window, GiveSkinFontToChild, 0);
    return TRUE;
}

BOOL WindowStyle::StyleCheckBox(HWND window) { return StyleButton(window); }
BOOL WindowStyle::StyleCheckButton(HWND window) { return StyleButton(window); }
BOOL WindowStyle::StylePushButton(HWND window) { return StyleButton(window); }

BOOL WindowStyle::StyleEdit(HWND window) {
    if (!HasClass(window, WC_EDITW)) return FALSE;
    GiveSkinFont(window);
    // The sunken client edge becomes a thin line.
    LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    if (exStyle & WS_EX_CLIENTEDGE) {
        SetWindowLongW(window, GWL_EXSTYLE, exStyle & ~WS_EX_CLIENTEDGE);
        SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_BORDER);
        RefreshFrame(window);
    }
    return TRUE;
}

BOOL WindowStyle::StyleComboBox(HWND window) {
    if (!HasClass(window, WC_COMBOBOXW)) return FALSE;
    GiveSkinFont(window);
    return TRUE;
}

BOOL WindowStyle::StyleListView(HWND window) {
    if (!HasClass(window, WC_LISTVIEWW)) return FALSE;
    GiveSkinFont(window);
    // Only these bits: the dialog's own extended styles stay as they are.
    const DWORD added = LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER;
    SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, added, added);
    return TRUE;
}

// Not used by the settings dialogs: windows keep their look.
BOOL WindowStyle::StyleStatic(HWND) { return FALSE; }
BOOL WindowStyle::StyleGroupBox(HWND) { return FALSE; }
BOOL WindowStyle::StyleListBox(HWND) { return FALSE; }
BOOL WindowStyle::StyleScrollBar(HWND) { return FALSE; }
BOOL WindowStyle::StyleTab(HWND) { return FALSE; }
BOOL WindowStyle::StyleTree(HWND) { return FALSE; }
BOOL WindowStyle::StyleProgress(HWND) { return FALSE; }
BOOL WindowStyle::StyleSlider(HWND) { return FALSE; }
BOOL WindowStyle::StyleSpin(HWND) { return FALSE; }
BOOL WindowStyle::StyleHeader(HWND) { return FALSE; }
BOOL WindowStyle::StyleToolbar(HWND) { return FALSE; }
BOOL WindowStyle::StyleStatusBar(HWND) { return FALSE; }
BOOL WindowStyle::StyleRichEdit(HWND) { return FALSE; }
BOOL WindowStyle::StyleHyperlink(HWND) { return FALSE; }
BOOL WindowStyle::StyleFrame(HWND) { return FALSE; }

IWindowStyle* SkinWindowStyle() {
    static WindowStyle style;
    return &style;
}
