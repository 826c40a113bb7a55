// Edit boxes whose text ends up in fixed ANSI fields of records: typing is
// limited to what the field holds, and a field named by a message gets the
// focus with its text selected, ready to be typed over.
#pragma once
#include <windows.h>

#include <string>

// Bytes the text takes in the system code page, without a terminator.
int AnsiByteCount(const std::wstring& text);

// Lets the user type at most maxChars characters into the edit box.
void LimitFieldChars(HWND edit, int maxChars);

// Run on EN_CHANGE.  When the text of a writable edit box takes more than
// maxBytes in the system code page (double-byte characters count two), the
// characters just typed or pasted, those before the caret, are taken back
// until it fits, and the caret stays after what was kept: the box stops
// taking characters the way a character limit does.  True when it cut.
bool CapFieldAnsiBytes(HWND edit, int maxBytes);

// Gives the control the focus as the dialog manager does (the default
// button follows) and selects the whole text of an edit box.
void FocusField(HWND dialog, int id);

// A message about one field: the string textId in a box captioned with the
// string captionId, then the focus back on the field with its text selected
// (no field when fieldId is 0).
void ShowFieldMessage(HWND dialog, UINT textId, UINT captionId, int fieldId);
