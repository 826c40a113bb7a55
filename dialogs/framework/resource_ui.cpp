#include "dialogs/framework/resource_ui.h"

#include <string>

#include "win/raii.h"
#include "win/resource_module.h"

int ResourceMessageBox(HWND owner, UINT textId, const wchar_t* caption, UINT type) {
    const std::wstring text = LoadResourceString(textId);
    return ::MessageBoxW(owner, text.c_str(), caption, type);
}

bool TrackResourceMenu(HWND owner, UINT menuId, int subMenuIndex) {
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    return TrackResourceMenuAt(owner, menuId, subMenuIndex, cursor);
}

bool TrackResourceMenuAt(HWND owner, UINT menuId, int subMenuIndex, POINT at) {
    UniqueMenu menu(::LoadMenuW(ResourceModule(), MAKEINTRESOURCEW(menuId)));
    if (!menu) return false;
    HMENU popup = ::GetSubMenu(menu.get(), subMenuIndex);
    if (!popup) return false;
    ::TrackPopupMenu(popup, 0, at.x, at.y, 0, owner, nullptr);
    return true;
}
