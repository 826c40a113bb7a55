// Conversions between UTF-16 and the system's ANSI code page, for the rule
// files whose paths and texts are ANSI.
#pragma once
#include <string>

std::string ToAnsi(const wchar_t* text);
std::wstring ToWide(const char* text);
