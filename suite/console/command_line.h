// The console's command line: no action opens the options window; any
// action runs without a window, in the order given.  The walk-through runs
// alone.
#pragma once
#include <string>
#include <vector>

enum class ActionKind { Export, Import, Apply, Title, Load, WalkThrough };

struct Action {
    ActionKind kind;
    std::wstring file;  // Export, Import and WalkThrough (where it exports) only
};

struct CommandLine {
    bool help = false;
    std::wstring pluginPath;  // empty: VtPestrolSet.dll beside the console
    std::vector<Action> actions;
    std::wstring error;  // set when the arguments make no sense
};

// `args` without the program name.
CommandLine ParseCommandLine(const std::vector<std::wstring>& args);

std::wstring UsageText();
