#include "suite/console/command_line.h"

namespace {

bool TakesFile(ActionKind kind) {
    return kind == ActionKind::Export || kind == ActionKind::Import || kind == ActionKind::WalkThrough;
}

bool ActionFor(const std::wstring& arg, ActionKind& kind) {
    if (arg == L"--export") kind = ActionKind::Export;
    else if (arg == L"--import") kind = ActionKind::Import;
    else if (arg == L"--apply") kind = ActionKind::Apply;
    else if (arg == L"--title") kind = ActionKind::Title;
    else if (arg == L"--load") kind = ActionKind::Load;
    else if (arg == L"--walk-through") kind = ActionKind::WalkThrough;
    else return false;
    return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLine result;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        ActionKind kind;
        if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
            result.help = true;
        } else if (arg == L"--plugin") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                result.error = L"--plugin needs the path of the plug-in library";
                return result;
            }
            result.pluginPath = args[++i];
        } else if (ActionFor(arg, kind)) {
            Action action{kind, std::wstring()};
            if (TakesFile(kind)) {
                // An option in place of the file name is a forgotten file name.
                if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].compare(0, 2, L"--") == 0) {
                    result.error = arg + L" needs a file name";
                    return result;
                }
                action.file = args[++i];
            }
            result.actions.push_back(action);
            // It loads and closes the plug-in itself, more than once.
            if (result.actions.size() > 1 && (kind == ActionKind::WalkThrough ||
                                              result.actions.front().kind == ActionKind::WalkThrough)) {
                result.error = L"--walk-through runs alone";
                return result;
            }
        } else {
            result.error = L"unknown argument '" + arg + L"' (try --help)";
            return result;
        }
    }
    return result;
}

std::wstring UsageText() {
    return L"Usage: VtOptions [--plugin DLL] [ACTION...]\n"
           L"\n"
           L"Without an action the options window opens.  Actions run in the order\n"
           L"given, without a window, one output line each; the first failure stops\n"
           L"the run with a message on standard error and exit code 1.\n"
           L"\n"
           L"  --title         print the page title\n"
           L"  --load          load the settings into the working copies\n"
           L"  --apply         apply confirmed edits to the settings files\n"
           L"  --export FILE   write the settings block to FILE\n"
           L"  --import FILE   replace the settings with the block in FILE\n"
           L"  --walk-through FILE\n"
           L"                  from a fresh profile (your settings folder put aside\n"
           L"                  and back at the end): load, add a category and an\n"
           L"                  item in the expert editor, confirm, apply, export to\n"
           L"                  FILE, import into a fresh profile, load; runs alone\n"
           L"  --plugin DLL    use this plug-in library instead of the one beside\n"
           L"                  the console\n"
           L"  --help          show this text\n"
           L"\n"
           L"Exit codes: 0 success, 1 an action failed, 2 bad arguments.\n";
}
