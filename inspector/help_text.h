// The help of the program and of each command.
#pragma once
#include <string>

// The overview: every command in one line each, and the exit statuses.
extern const char kOverviewHelp[];
// The help of "dump", "pack", "verify" or "blob"; null for another name.
const char* CommandHelp(const std::wstring& command);
