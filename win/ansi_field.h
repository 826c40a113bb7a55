// Converting UTF-16 text into fixed ANSI fields of records, cut to fit
// without splitting a double-byte character.
#pragma once
#include <windows.h>

// Converts to the system code page and cuts to fieldSize - 1 bytes at a
// character boundary; the field is always terminated.
void WideToAnsiCut(const wchar_t* text, char* field, int fieldSize);
// Copies UTF-16 text into a fixed field of fieldChars, cut and terminated.
void WideCopyCut(const wchar_t* text, wchar_t* field, int fieldChars);
// ANSI text to UTF-16 into a fixed field, cut and terminated.
void AnsiToWideCut(const char* text, wchar_t* field, int fieldChars);
// Converts to the system code page into a fixed field; empty when the text
// does not fit whole (a cut path could name another file).
void WideToAnsiField(const wchar_t* text, char* field, int fieldSize);
