// Help for every command, and clear messages with the documented exit
// statuses for bad command lines, missing files and files of the wrong kind.
#include <gtest/gtest.h>
#include <objbase.h>

#include "win/raii.h"
#include "tests/inspector/crafted_streams.h"
#include "tests/inspector/inspector_process.h"
#include "tests/support/file_assertions.h"

using namespace inspector_testing;
using testing_support::Narrow;

namespace {

const DWORD kProblems = 1, kCannotUse = 2, kUsage = 3;

class CommandLine : public ::testing::Test {
protected:
    InspectRun Run(const std::wstring& arguments) { return RunInspect(arguments, folder_); }
    std::wstring File(const wchar_t* name) const { return folder_.File(name); }

    void ExpectFailure(const std::wstring& arguments, DWORD status, const std::string& message) {
        const InspectRun run = Run(arguments);
        EXPECT_EQ(run.status, status) << Narrow(arguments) << "\n" << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << Narrow(arguments) << "\n" << run.err;
    }

    testing_support::ScratchDir folder_{L"inspect-cli"};
};

TEST_F(CommandLine, HelpForEveryCommand) {
    const InspectRun overview = Run(L"--help");
    EXPECT_EQ(overview.status, 0u);
    for (const char* line : {"VtPsInspect dump FILE", "VtPsInspect pack SOURCE OUTPUT", "VtPsInspect verify FILE",
                             "VtPsInspect blob info FILE", "VtPsInspect blob join", "Exit status:"})
        EXPECT_NE(overview.out.find(line), std::string::npos) << line;
    EXPECT_EQ(Run(L"help").out, overview.out);

    const struct {
        const wchar_t* command;
        const char* usage;
    } commands[] = {{L"dump", "Usage: VtPsInspect dump FILE [OUTPUT] [--codepage N]"},
                    {L"pack", "Usage: VtPsInspect pack SOURCE OUTPUT"},
                    {L"verify", "Usage: VtPsInspect verify FILE [--as-blob] [--strict]"},
                    {L"blob", "Usage: VtPsInspect blob info FILE"}};
    for (const auto& c : commands) {
        const std::wstring name = c.command;
        for (const std::wstring& asked : {L"help " + name, name + L" --help", name + L" -h x y z"}) {
            const InspectRun run = Run(asked);
            EXPECT_EQ(run.status, 0u) << Narrow(asked);
            EXPECT_EQ(run.out.find(c.usage), 0u) << Narrow(asked) << "\n" << run.out;
        }
    }
}

TEST_F(CommandLine, BadCommandLines) {
    const struct {
        const wchar_t* arguments;
        const char* message;
    } cases[] = {
        {L"", "no command given"},
        {L"frobnicate", "unknown command \"frobnicate\""},
        {L"help frobnicate", "no help for \"frobnicate\""},
        {L"dump", "dump needs a FILE"},
        {L"dump a b c", "dump takes a FILE and at most an OUTPUT"},
        {L"dump a --codepage", "--codepage needs a value"},
        {L"dump a --codepage 0", "--codepage needs the number of an ANSI code page, not \"0\""},
        {L"dump a --codepage 65001", "not \"65001\""},
        {L"dump a --codepage 37", "not \"37\""},  // EBCDIC: the source's ASCII would not pack back
        {L"pack only-one", "pack needs a SOURCE and an OUTPUT"},
        {L"verify", "verify needs exactly one FILE"},
        {L"verify a --fast", "unknown option --fast"},
        {L"blob", "blob needs info, split or join"},
        {L"blob info", "blob info needs exactly one FILE"},
        {L"blob split a", "blob split needs a FILE and an OUTDIR"},
        {L"blob join a b c", "blob join needs REGUSER, QREGUSER, QREGEX and OUT"},
        {L"blob shred a", "unknown blob action \"shred\""},
    };
    for (const auto& c : cases) ExpectFailure(c.arguments, kUsage, c.message);
}

TEST_F(CommandLine, MissingFilesAndWrongKinds) {
    const std::wstring missing = Quoted(File(L"missing.rdb"));
    ExpectFailure(L"dump " + missing, kCannotUse, "missing.rdb: error: cannot find the file");
    ExpectFailure(L"verify " + missing, kCannotUse, "missing.rdb: error: cannot find the file");
    ExpectFailure(L"blob info " + missing, kCannotUse, "missing.rdb: error: cannot find the file");
    ExpectFailure(L"pack " + missing + L" " + Quoted(File(L"out.rdb")), kCannotUse, "cannot find the source file");
    ExpectFailure(L"blob join " + missing + L" " + missing + L" " + missing + L" " + Quoted(File(L"b.bin")),
                  kCannotUse, "cannot find the file for the RegUser.ini part");
    ExpectFailure(L"verify " + Quoted(folder_.Path()), kCannotUse, "a folder, not a file");

    const std::wstring text = File(L"notes.txt");
    ASSERT_TRUE(testing_support::Written(text, "[Browser]\r\nname=Start page\r\n"));
    ExpectFailure(L"verify " + Quoted(text), kCannotUse, "not a rule database (no compound file) or settings blob");
    ExpectFailure(L"dump " + Quoted(text), kCannotUse, "notes.txt: error: not a rule database");
    // Told it is a blob, the same file gets a blob's findings.
    const InspectRun asBlob = Run(L"verify --as-blob " + Quoted(text));
    EXPECT_EQ(asBlob.status, kProblems);
    EXPECT_NE(asBlob.out.find("blob @0x4: error: the RegUser.ini part ends at"), std::string::npos) << asBlob.out;

    const std::wstring blob = File(L"empty.bin");
    ASSERT_TRUE(testing_support::Written(
        blob, std::string("\x18\0\0\0\x18\0\0\0\x18\0\0\0\x18\0\0\0\x18\0\0\0\x18\0\0\0", 24)));
    ExpectFailure(L"dump " + Quoted(blob), kCannotUse, "a settings blob, not a rule database");

    const std::wstring library = File(L"RegLib.rdb");
    ASSERT_TRUE(WriteRuleStreams(library, {{"REGINFO", RegInfo(0, 1)}, {"REGLIB", {0}}}));
    ExpectFailure(L"blob info " + Quoted(library), kCannotUse, "a rule library, not a settings blob");

    // A compound file without the rule databases' storage, and one with half a library.
    const std::wstring other = File(L"other.cfb");
    {
        ComPtr<IStorage> root;
        ASSERT_EQ(::StgCreateDocfile(other.c_str(), STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
                                     root.put()),
                  S_OK);
    }
    ExpectFailure(L"verify " + Quoted(other), kCannotUse, "\"OLE_ROOT\" storage does not open");
    const std::wstring half = File(L"half.rdb");
    ASSERT_TRUE(WriteRuleStreams(half, {{"REGINFO", RegInfo(0, 1)}}));
    ExpectFailure(L"verify " + Quoted(half), kCannotUse, "this file has only \"REGINFO\"");
}

}  // namespace
