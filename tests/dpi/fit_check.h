// What a user sees of a dialog at the screen's scale: the window on the
// screen, every shown control inside the client area and apart from the
// others, and every text whole in its control.
#pragma once
#include <windows.h>

#include <string>

namespace dpi_test {

// The process's DPI, as the dialogs scale their layouts by it.
int ScreenDpi();

// Adds a failure, naming `what`, for each fault found.
void ExpectDialogFits(HWND dialog, const std::string& what);

// The text a control shows: mnemonic markers dropped ("&&" stays one "&").
std::wstring ShownText(HWND control);

}  // namespace dpi_test
