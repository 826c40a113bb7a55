// Dispatch of the command line to the commands, and help.
#include <string>

#include "inspector/commands.h"
#include "rdbtool/console_text.h"
#include "inspector/exit_status.h"
#include "inspector/help_text.h"
#include "rdbtool/text_codec.h"

namespace {

bool IsHelpWord(const std::wstring& word) { return word == L"--help" || word == L"-h" || word == L"/?"; }

int Help(const std::vector<std::wstring>& args) {
    if (args.size() < 2) {
        Out(kOverviewHelp);
        return kExitDone;
    }
    const char* help = CommandHelp(args[1]);
    if (help == nullptr || args.size() > 2) {
        Err("VtPsInspect: no help for \"" + WideToUtf8(args[1]) + (args.size() > 2 ? " ...\"" : "\"") +
            "; the commands are dump, pack, verify and blob\n");
        return kExitUsage;
    }
    Out(help);
    return kExitDone;
}

}  // namespace

int RunInspector(const std::vector<std::wstring>& args) {
    if (args.empty()) {
        Err(std::string("VtPsInspect: no command given\n\n") + kOverviewHelp);
        return kExitUsage;
    }
    const std::wstring& command = args[0];
    const std::vector<std::wstring> rest(args.begin() + 1, args.end());
    if (IsHelpWord(command) || command == L"help") return Help(args);
    if (command == L"dump") return RunDump(rest);
    if (command == L"pack") return RunPack(rest);
    if (command == L"verify") return RunVerify(rest);
    if (command == L"blob") return RunBlob(rest);
    Err("VtPsInspect: unknown command \"" + WideToUtf8(command) + "\"\n\n" + kOverviewHelp);
    return kExitUsage;
}
