// Message boxes and pop-up menus whose texts and items come from the
// resource module (the language module).
#pragma once
#include <windows.h>

// MessageBoxW with string `textId` as the text; a null caption gives the
// system's default title.  Answers what MessageBoxW answers.
int ResourceMessageBox(HWND owner, UINT textId, const wchar_t* caption, UINT type);

// Loads menu `menuId`, tracks its submenu `subMenuIndex` at the cursor
// (left-aligned, left button) for `owner`, then destroys the menu.  False
// when the menu or the submenu is missing, so nothing was shown.
bool TrackResourceMenu(HWND owner, UINT menuId, int subMenuIndex);
// The same at a given point in screen coordinates (a menu opened from the
// keyboard opens at the row it is for, not at the mouse).
bool TrackResourceMenuAt(HWND owner, UINT menuId, int subMenuIndex, POINT at);
