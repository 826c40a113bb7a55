// "dump" and "pack": the build tool's source format, both ways.
#include <windows.h>

#include <cwchar>

#include "inspector/command_line.h"
#include "inspector/commands.h"
#include "inspector/rule_file.h"
#include "inspector/usage_error.h"
#include "rdbtool/database_files.h"
#include "rdbtool/dump.h"
#include "rdbtool/file_bytes.h"
#include "rdbtool/source_parser.h"
#include "rdbtool/text_codec.h"

namespace {

// Why a file that does not dump is no rule database, in the user's terms.
std::string NotADatabase(const std::wstring& path) {
    const RuleFile file = ReadRuleFile(path, false);
    if (file.kind == FileKind::kSettingsBlob)
        return "a settings blob, not a rule database; 'VtPsInspect blob split' gives its QRegUser.rdb";
    if (!file.unreadableStream.empty())
        return "a damaged rule database: its \"" + file.unreadableStream + "\" stream cannot be read";
    if (!file.detail.empty()) return file.detail;
    return "not a rule database";
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Located(const std::wstring& file, int line, const char* kind, const std::string& text) {
    std::string where = PathText(file);
    if (line > 0) where += ":" + std::to_string(line);
    return where + ": " + kind + ": " + text + "\n";
}

}  // namespace

int RunDump(const std::vector<std::wstring>& args) {
    const CommandArgs a = ParseCommandArgs(args, 0, {{L"--codepage", true}});
    if (a.help) return ShowHelp(L"dump");
    if (!a.error.empty()) return UsageError(L"dump", a.error);
    if (a.operands.empty()) return UsageError(L"dump", "dump needs a FILE");
    if (a.operands.size() > 2) return UsageError(L"dump", "dump takes a FILE and at most an OUTPUT");
    uint32_t codePage = 0;
    if (const std::wstring* value = a.Value(L"--codepage")) {
        wchar_t* end = nullptr;
        const unsigned long n = std::wcstoul(value->c_str(), &end, 10);
        if (value->empty() || *end != L'\0' || n == 0 || n > 0xFFFF || !IsAnsiCodePage(static_cast<uint32_t>(n)))
            return UsageError(L"dump", "--codepage needs the number of an ANSI code page, not \"" +
                                           WideToUtf8(*value) + "\"");
        codePage = static_cast<uint32_t>(n);
    }
    const std::wstring& file = a.operands[0];
    if (!IsFile(file)) return FileError(file, ::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES
                                                  ? "cannot find the file"
                                                  : "a folder, not a file",
                                        kExitCannotUse);
    DumpResult result;
    std::string error;
    if (!DumpDatabaseFile(file, codePage, result, error)) return FileError(file, NotADatabase(file), kExitCannotUse);
    for (const std::string& warning : result.warnings) Err(Located(file, 0, "warning", warning));
    if (a.operands.size() == 1) {
        Out(result.text);
    } else if (!WriteFileBytes(a.operands[1], result.text)) {
        return FileError(a.operands[1], "cannot write the file", kExitCannotUse);
    }
    return kExitDone;
}

int RunPack(const std::vector<std::wstring>& args) {
    const CommandArgs a = ParseCommandArgs(args, 0, {});
    if (a.help) return ShowHelp(L"pack");
    if (!a.error.empty()) return UsageError(L"pack", a.error);
    if (a.operands.size() != 2) return UsageError(L"pack", "pack needs a SOURCE and an OUTPUT");
    const std::wstring& sourcePath = a.operands[0];
    const std::wstring& output = a.operands[1];
    std::string text;
    if (!IsFile(sourcePath) || !ReadFileBytes(sourcePath, text))
        return FileError(sourcePath, IsFile(sourcePath) ? "cannot read the source file" : "cannot find the source file",
                         kExitCannotUse);
    RdbSource source;
    std::vector<SourceMessage> warnings;
    SourceMessage problem;
    const bool parsed = ParseSource(text, source, warnings, problem);
    for (const SourceMessage& warning : warnings) Err(Located(sourcePath, warning.line, "warning", warning.text));
    if (!parsed) {
        Err(Located(sourcePath, problem.line, "error", problem.text));
        return kExitProblems;
    }
    std::string writeError;
    if (!WriteDatabaseFile(output, source, writeError)) return FileError(output, writeError, kExitCannotUse);
    return kExitDone;
}
