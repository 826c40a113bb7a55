// Property checks of a dialog as laid out on screen, for any template and
// language: what a user would see as broken, whatever the exact figures.
#pragma once
#include <windows.h>

namespace testing_support {

// Every visible control lies inside the dialog's client area, and no two
// visible controls overlap, except that a group box may wholly hold others.
void ExpectControlsApart(HWND dialog);

// The text of every visible static fits its box when wrapped, and every
// visible button's caption fits on one line beside its check mark or edges.
// Needs a font with the text's glyphs.
void ExpectTextsFit(HWND dialog);

// Both of the above.
void ExpectControlsFit(HWND dialog);

}  // namespace testing_support
