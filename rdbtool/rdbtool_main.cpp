// RdbTool: packs readable sources into rule database files, dumps database
// files back into sources, and writes the max-scale set for measurements.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win/raii.h"
#include "rdbtool/console_text.h"
#include "rdbtool/dump.h"
#include "rdbtool/file_bytes.h"
#include "rdbtool/max_set.h"
#include "rdbtool/pack.h"
#include "rdbtool/text_codec.h"

namespace {

const int kExitInput = 1;  // a bad source or database file, or a file that cannot be written
const int kExitUsage = 2;

const char kUsage[] =
    "Usage:\n"
    "  RdbTool pack SOURCE OUTPUT        pack a source (see FORMAT.md) into a rule database file\n"
    "  RdbTool dump FILE [OUTPUT] [--codepage N]\n"
    "                                    write a rule database file as source text (to OUTPUT or\n"
    "                                    standard output); N: code page of its narrow texts\n"
    "  RdbTool generate-max OUTDIR       write the max-scale set (QRegEx0409.rdb, RegLib.rdb,\n"
    "                                    QRegUser.rdb, RegUser.ini, QRegEx.ini) into OUTDIR\n"
    "  RdbTool --help                    show this text\n"
    "Exit status: 0 done, 1 bad input or output failure, 2 bad command line.\n";

std::string Utf8(const std::wstring& text) { return WideToUtf8(text); }

// "FILE:LINE: kind: text", as compilers write it, so editors can jump there.
std::string Located(const std::wstring& file, int line, const char* kind, const std::string& text) {
    std::string where = Utf8(file);
    if (line > 0) where += ":" + std::to_string(line);
    return where + ": " + kind + ": " + text + "\n";
}

int Pack(const std::wstring& source, const std::wstring& output) {
    std::vector<SourceMessage> warnings;
    SourceMessage error;
    const bool packed = PackSourceFile(source, output, warnings, error);
    for (const SourceMessage& warning : warnings) Err(Located(source, warning.line, "warning", warning.text));
    if (packed) return 0;
    Err(Located(error.line > 0 ? source : output, error.line, "error", error.text));
    return kExitInput;
}

int Dump(const std::vector<std::wstring>& args) {
    std::wstring file, output;
    uint32_t codePage = 0;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == L"--codepage" && i + 1 < args.size()) {
            codePage = static_cast<uint32_t>(std::wcstoul(args[++i].c_str(), nullptr, 10));
            if (codePage == 0) {
                Err("RdbTool: --codepage needs a code page number\n");
                return kExitUsage;
            }
        } else if (file.empty()) {
            file = args[i];
        } else if (output.empty()) {
            output = args[i];
        } else {
            Err(std::string("RdbTool: too many arguments for dump\n") + kUsage);
            return kExitUsage;
        }
    }
    if (file.empty()) {
        Err(std::string("RdbTool: dump needs a FILE\n") + kUsage);
        return kExitUsage;
    }
    DumpResult result;
    std::string error;
    if (!DumpDatabaseFile(file, codePage, result, error)) {
        Err(Located(file, 0, "error", error));
        return kExitInput;
    }
    for (const std::string& warning : result.warnings) Err(Located(file, 0, "warning", warning));
    if (output.empty()) {
        Out(result.text);
    } else if (!WriteFileBytes(output, result.text)) {
        Err(Located(output, 0, "error", "cannot write the file"));
        return kExitInput;
    }
    return 0;
}

int GenerateMax(const std::wstring& folder) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    std::string error;
    if (!GenerateMaxSet(folder, folder, MaxSetShape(), error)) {
        Err(Located(folder, 0, "error", error));
        return kExitInput;
    }
    return 0;
}

int Run(const std::vector<std::wstring>& args) {
    const std::wstring command = args.size() > 1 ? args[1] : L"";
    if (command == L"--help" || command == L"-h" || command == L"/?") {
        Out(kUsage);
        return 0;
    }
    if (command == L"pack" && args.size() == 4) return Pack(args[2], args[3]);
    if (command == L"dump") return Dump(args);
    if (command == L"generate-max" && args.size() == 3) return GenerateMax(args[2]);
    Err(std::string("RdbTool: ") + (command.empty() ? "no command given" : "bad command line") + "\n" + kUsage);
    return kExitUsage;
}

}  // namespace

int main() {
    int argc = 0;
    UniqueArgv argv(::CommandLineToArgvW(::GetCommandLineW(), &argc));
    if (!argv) return kExitUsage;
    std::vector<std::wstring> args(argv.get(), argv.get() + argc);
    // Compound files need COM on this thread.
    const HRESULT com = ::CoInitialize(nullptr);
    const int status = Run(args);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return status;
}
