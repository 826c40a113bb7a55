// The inspector's commands.  Each takes the words after its name and
// returns the exit status (exit_status.h); output goes to the console.
#pragma once
#include <string>
#include <vector>

int RunDump(const std::vector<std::wstring>& args);
int RunPack(const std::vector<std::wstring>& args);
int RunVerify(const std::vector<std::wstring>& args);
int RunBlob(const std::vector<std::wstring>& args);

// The whole command line without the program name.
int RunInspector(const std::vector<std::wstring>& args);
