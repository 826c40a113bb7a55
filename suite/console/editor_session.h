// The expert rule editor as the walk-through uses it: opened with the
// page's button, driven from its own modal loop, and read through its lists.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "suite/console/dialog_script.h"

// Presses the page's expert-editor button and runs `work` on the editor from
// its modal loop; `work` ends the editor itself, or fails through the
// script, which then closes it.  Returns when the editor has closed: false,
// with the reason, when it did not open or `work` failed.
bool WithExpertEditor(HWND page, const std::function<void(HWND editor, DialogScript& script)>& work,
                      std::wstring& error);

// Report-view list rows as the user sees them.
int RowCount(HWND list);
std::wstring CellText(HWND list, int row, int column);
int SelectedRow(HWND list);
// The first row whose first column reads `text`, or -1.
int FindRow(HWND list, const std::wstring& text);
// A key pressed and let go in the list (VK_HOME, VK_DOWN, VK_END, ...).
void PressKey(HWND list, UINT key);

// A control's text as the user reads it, without the mnemonic's '&'.
std::wstring Label(HWND dialog, int id);
