// The RdbTool program itself: exit statuses and the messages a build log
// shows.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/child_process.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

using ToolRun = ProgramRun;

class RdbToolProgram : public ::testing::Test {
protected:
    ScratchDir folder_{L"rdbtool-cli"};
    std::wstring File(const wchar_t* name) const { return folder_.File(name); }

    ToolRun Run(const std::wstring& arguments) {
        ToolRun run = RunProgram(L"\"" + FromUnixPath(VTPS_RDBTOOL_UNIX) + L"\" " + arguments, folder_.Path(), 120000);
        if (!run.started) ADD_FAILURE() << "RdbTool does not start: " << run.startError;
        return run;
    }
    std::wstring Quoted(const wchar_t* name) const { return L"\"" + File(name) + L"\""; }
};

TEST_F(RdbToolProgram, HelpAndBadCommandLines) {
    ToolRun help = Run(L"--help");
    EXPECT_EQ(help.status, 0u);
    EXPECT_NE(help.out.find("RdbTool pack SOURCE OUTPUT"), std::string::npos);

    for (const wchar_t* bad : {L"", L"pack only-one", L"frobnicate", L"dump", L"dump a b c"}) {
        ToolRun run = Run(bad);
        EXPECT_EQ(run.status, 2u) << Narrow(bad);
        EXPECT_NE(run.err.find("Usage"), std::string::npos) << Narrow(bad);
    }
}

TEST_F(RdbToolProgram, BadSourcesFailWithFileAndLine) {
    WriteBytes(File(L"bad.rdbsrc"), "kind categories\ncodepage 1252\n\ncategory 1 \"a\n");
    ToolRun run = Run(L"pack " + Quoted(L"bad.rdbsrc") + L" " + Quoted(L"bad.rdb"));
    EXPECT_EQ(run.status, 1u);
    EXPECT_NE(run.err.find("bad.rdbsrc:4: error: missing closing quote"), std::string::npos) << run.err;
    EXPECT_FALSE(FileExists(File(L"bad.rdb"))) << ::testing::PrintToString(File(L"bad.rdb"));

    ToolRun missing = Run(L"pack " + Quoted(L"none.rdbsrc") + L" " + Quoted(L"none.rdb"));
    EXPECT_EQ(missing.status, 1u);
    EXPECT_NE(missing.err.find("cannot read the source file"), std::string::npos) << missing.err;
}

TEST_F(RdbToolProgram, PackWarnsThenDumpWritesTheSource) {
    WriteBytes(File(L"lib.rdbsrc"), "kind library\ncodepage 1252\nrule \"c\" \"d\" \"HKEY_USERS\\x\" \"v\" 3\n");
    ToolRun pack = Run(L"pack " + Quoted(L"lib.rdbsrc") + L" " + Quoted(L"lib.rdb"));
    EXPECT_EQ(pack.status, 0u);
    EXPECT_NE(pack.err.find("lib.rdbsrc:3: warning:"), std::string::npos) << pack.err;

    ToolRun toStdout = Run(L"dump " + Quoted(L"lib.rdb"));
    EXPECT_EQ(toStdout.status, 0u);
    EXPECT_NE(toStdout.out.find("rule \"c\" \"d\" \"HKEY_USERS\\x\" \"v\" 3\n"), std::string::npos) << toStdout.out;

    ToolRun toFile = Run(L"dump " + Quoted(L"lib.rdb") + L" " + Quoted(L"lib.txt") + L" --codepage 936");
    EXPECT_EQ(toFile.status, 0u);
    EXPECT_NE(ReadBytes(File(L"lib.txt")).find("codepage 936\n"), std::string::npos);

    ToolRun notDatabase = Run(L"dump " + Quoted(L"lib.rdbsrc"));
    EXPECT_EQ(notDatabase.status, 1u);
    EXPECT_NE(notDatabase.err.find("error: not a rule database"), std::string::npos) << notDatabase.err;
}

}  // namespace
