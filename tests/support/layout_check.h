// Property checks of a dialog as a user sees it, for any template, language
// and screen scale: the window on the screen, every shown control inside the
// client area and apart from the others, and every text whole in its control.
// Each fault found adds a failure that names `what`.
#pragma once
#include <windows.h>

#include <string>

namespace testing_support {

// Every shown control lies inside the dialog's client area, and no two
// overlap, except that a group box may wholly hold others.
void ExpectControlsApart(HWND dialog, const std::string& what = std::string());

// The text of every shown static and button fits its control: wrapped texts
// by their height, one-line captions beside the control's own margins (the
// mnemonic marker takes no room).  Needs a font with the text's glyphs.
void ExpectTextsFit(HWND dialog, const std::string& what = std::string());

// Both of the above.
void ExpectControlsFit(HWND dialog, const std::string& what = std::string());

// Both, and a top-level dialog wholly on the work area.
void ExpectDialogFits(HWND dialog, const std::string& what);

// The process's DPI, as the dialogs scale their layouts by it.
int ScreenDpi();

// The text a control shows: mnemonic markers dropped ("&&" stays one "&").
std::wstring ShownText(HWND control);

}  // namespace testing_support
