#include "tests/support/keyboard_input.h"

#include <commctrl.h>

#include <cwctype>
#include <map>

namespace testing_support {

void SendKeyDown(HWND control, UINT key) {
    ::SendMessageW(control, WM_KEYDOWN, key, 1 | (::MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16));
}

int PressTab(HWND dialog) {
    MSG message = {};
    message.hwnd = ::GetFocus();
    message.message = WM_KEYDOWN;
    message.wParam = VK_TAB;
    message.lParam = 1 | (::MapVirtualKeyW(VK_TAB, MAPVK_VK_TO_VSC) << 16);
    ::IsDialogMessageW(dialog, &message);
    return ::GetDlgCtrlID(::GetFocus());
}

std::vector<int> TabWalk(HWND dialog, int count) {
    std::vector<int> ids;
    for (int i = 0; i < count; ++i) ids.push_back(PressTab(dialog));
    return ids;
}

void TypeText(HWND edit, const std::wstring& text) {
    ::SetFocus(edit);
    for (wchar_t c : text) ::SendMessageW(edit, WM_CHAR, c, 1);
}

std::pair<int, int> EditSelection(HWND edit) {
    DWORD start = 0, end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

std::wstring RepeatedAccessKeys(HWND dialog) {
    std::map<wchar_t, int> uses;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[512] = {};
        ::GetWindowTextW(child, text, 512);
        for (const wchar_t* p = text; *p; ++p) {
            if (*p != L'&') continue;
            if (p[1] == L'&') {
                ++p;  // "&&" is a plain ampersand
                continue;
            }
            if (p[1]) ++uses[static_cast<wchar_t>(std::towupper(p[1]))];
            break;
        }
    }
    std::wstring repeated;
    for (const auto& use : uses)
        if (use.second > 1) repeated += use.first;
    return repeated;
}

namespace {
PopupMenuWatch* g_watch = nullptr;
HWND g_lastPopup = nullptr;

void CALLBACK ClosePopupMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (!popup || !::IsWindowVisible(popup) || !g_watch || popup == g_lastPopup) return;
    g_lastPopup = popup;
    if (g_watch->shown++ == 0) {
        HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) g_watch->ids.push_back(::GetMenuItemID(menu, i));
        ::GetWindowRect(popup, &g_watch->frame);
    }
    ::EndMenu();
}
}  // namespace

PopupMenuWatch::PopupMenuWatch() {
    g_watch = this;
    g_lastPopup = nullptr;
    timer_ = ::SetTimer(nullptr, 0, 1, ClosePopupMenu);
}

PopupMenuWatch::~PopupMenuWatch() {
    ::KillTimer(nullptr, timer_);
    if (g_watch == this) g_watch = nullptr;
}

POINT RowMenuPoint(HWND list, int row) {
    RECT rect = {};
    rect.left = LVIR_LABEL;
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    POINT point = {rect.left, rect.bottom};
    ::ClientToScreen(list, &point);
    return point;
}

bool RowSelectedFocusedAndVisible(HWND list, int row) {
    const UINT state = static_cast<UINT>(
        ::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED | LVIS_FOCUSED));
    RECT rect = {};
    rect.left = LVIR_BOUNDS;
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    RECT client = {};
    ::GetClientRect(list, &client);
    return state == (LVIS_SELECTED | LVIS_FOCUSED) && rect.top >= client.top && rect.bottom <= client.bottom;
}

}  // namespace testing_support
