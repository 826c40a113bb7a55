// The program's output: UTF-16 to a console window, UTF-8 bytes to a file
// or pipe, so that redirected output keeps every character.
#pragma once
#include <string>

void Out(const std::string& utf8);
void Err(const std::string& utf8);
// A path for messages, as UTF-8.
std::string PathText(const std::wstring& path);
