// Keys as a user presses them, for the dialog tests: key messages to the
// control that has the focus, Tab through the dialog manager as a modal loop
// hands it over, characters typed into edit boxes, and the pop-up menu that
// a key opens.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// The key-down of `key` sent to `control`, as the focused control gets it
// (a list view answers it with LVN_KEYDOWN to its parent).  No key-up
// follows: when the key opens a menu, the menu's loop takes the release.
void SendKeyDown(HWND control, UINT key);
// Tab as the dialog's message loop handles it (IsDialogMessage with the
// key-down for the focused control); answers the id of the control that
// has the focus afterwards.
int PressTab(HWND dialog);
// The ids the focus visits on `count` presses of Tab.
std::vector<int> TabWalk(HWND dialog, int count);
// Gives `edit` the focus and types `text` into it, one WM_CHAR a character.
void TypeText(HWND edit, const std::wstring& text);
// The start and end of an edit box's selection.
std::pair<int, int> EditSelection(HWND edit);

// The access keys of the dialog's controls (the letter after a single "&"),
// upper-cased, that more than one control uses.
std::wstring RepeatedAccessKeys(HWND dialog);

// While it lives, every pop-up menu that shows on this thread is closed
// without a choice; the first one's items (command ids, 0 for a separator)
// and frame (screen coordinates) are kept, and all are counted.
class PopupMenuWatch {
public:
    PopupMenuWatch();
    ~PopupMenuWatch();
    PopupMenuWatch(const PopupMenuWatch&) = delete;
    PopupMenuWatch& operator=(const PopupMenuWatch&) = delete;

    std::vector<UINT> ids;
    RECT frame = {};
    int shown = 0;

private:
    UINT_PTR timer_ = 0;
};
// Where a menu for a list row opens from the keyboard: the bottom left of
// the row's label, in screen coordinates.
POINT RowMenuPoint(HWND list, int row);
// Whether the row is selected and has the focus rectangle, and lies wholly
// inside the list's client area.
bool RowSelectedFocusedAndVisible(HWND list, int row);

}  // namespace testing_support
