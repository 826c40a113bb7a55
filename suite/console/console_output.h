// Line output of the headless mode: to a console as text, to a file or pipe
// as UTF-8.
#pragma once
#include <string>

void PrintLine(const std::wstring& line);       // standard output
void PrintErrorLine(const std::wstring& line);  // standard error
void PrintText(const std::wstring& text);       // standard output, as is
