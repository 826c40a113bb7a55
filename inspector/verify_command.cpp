// "verify": the findings, one a line, then the verdict.
#include "inspector/command_line.h"
#include "inspector/commands.h"
#include "inspector/usage_error.h"
#include "inspector/verify.h"

int RunVerify(const std::vector<std::wstring>& args) {
    const CommandArgs a = ParseCommandArgs(args, 0, {{L"--as-blob", false}, {L"--strict", false}});
    if (a.help) return ShowHelp(L"verify");
    if (!a.error.empty()) return UsageError(L"verify", a.error);
    if (a.operands.size() != 1) return UsageError(L"verify", "verify needs exactly one FILE");
    const std::wstring& path = a.operands[0];
    VerifyOptions options;
    options.asBlob = a.Has(L"--as-blob");
    const VerifyReport report = VerifyFile(path, options);
    if (!report.verified) return FileError(path, report.problem, kExitCannotUse);

    std::string text = PathText(path) + ": " + KindName(report.kind) + ", " + report.contents + "\n";
    for (const Finding& finding : report.findings.All()) text += FormatFinding(finding) + "\n";
    const size_t errors = report.findings.Errors(), warnings = report.findings.Warnings();
    std::string tally;
    if (errors == 0 && warnings == 0)
        tally = "sound";
    else if (errors == 0)
        tally = "sound, " + CountOf(warnings, "warning", "warnings");
    else
        tally = CountOf(errors, "error", "errors") + ", " + CountOf(warnings, "warning", "warnings");
    text += "result: " + tally + "; " + report.pluginView + "\n";
    Out(text);
    const bool failed = errors != 0 || (a.Has(L"--strict") && warnings != 0);
    return failed ? kExitProblems : kExitDone;
}
