// What one run of ShotHost is asked to show, read from its command line.
#pragma once
#include <string>
#include <vector>

enum class ShotTarget { kConsole, kExpert, kClassAdd, kItemAdd, kHandEdit, kAddEntry };

struct ShotRequest {
    ShotTarget target = ShotTarget::kExpert;
    // Where the shown window's screen rectangle is written; empty: nowhere.
    std::wstring reportPath;
    // Close the window this many seconds after it was reported; 0: keep it
    // until the report file is deleted (or the process is ended).
    unsigned seconds = 0;
    // Copied over the user rule file before the settings are loaded.
    std::wstring userRulesPath;
    // Set when the command line cannot be used; says why.
    std::wstring error;
};

// Arguments without the program name:
//   <console|expert|class-add|item-add|hand-edit|add-entry>
//   [--report FILE] [--seconds N] [--user-rules FILE]
ShotRequest ParseShotRequest(const std::vector<std::wstring>& arguments);
const wchar_t* ShotUsage();
