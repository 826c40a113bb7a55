// VtOptions: the suite's options console, hosting the settings plug-in.
#include "suite/console/command_line.h"
#include "suite/console/console_output.h"
#include "suite/console/gui_run.h"
#include "suite/console/headless_run.h"

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    constexpr int kBadArguments = 2;
    CommandLine commandLine = ParseCommandLine(std::vector<std::wstring>(argv + 1, argv + argc));
    if (!commandLine.error.empty()) {
        PrintErrorLine(commandLine.error);
        return kBadArguments;
    }
    if (commandLine.help) {
        PrintText(UsageText());
        return 0;
    }
    if (!commandLine.actions.empty()) return RunHeadless(commandLine);
    return RunOptionsGui(commandLine.pluginPath);
}
