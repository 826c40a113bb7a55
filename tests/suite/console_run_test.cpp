// VtOptions.exe without a window, run as a separate process the way scripts
// run it, against the fake plug-in (which logs every call it gets).
#include "tests/suite/suite_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring ConsolePath() { return SuiteDir() + L"\\VtOptions.exe"; }
std::wstring FakePluginPath() { return WinePathFromUnix(VTPS_FAKE_PLUGIN_UNIX); }

class ConsoleRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = temp_.File(L"calls.log");
        SetEnvironmentVariableW(L"VTPS_FAKE_PLUGIN_LOG", log_.c_str());
    }
    void TearDown() override { SetEnvironmentVariableW(L"VTPS_FAKE_PLUGIN_LOG", nullptr); }

    Outcome Run(const std::wstring& arguments, const std::wstring& program = ConsolePath()) {
        return RunProgram(program, arguments, temp_);
    }
    std::wstring WithFake(const std::wstring& actions) { return L"--plugin \"" + FakePluginPath() + L"\" " + actions; }
    std::string Calls() { return ReadBytes(log_); }

    ScratchDir temp_{L"suite"};
    std::wstring log_;
};

TEST_F(ConsoleRunTest, HelpDescribesEveryActionAndSucceeds) {
    Outcome run = Run(L"--help");
    EXPECT_EQ(run.status, 0u);
    for (const char* option :
         {"--export FILE", "--import FILE", "--apply", "--title", "--load", "--walk-through FILE", "--plugin"}) {
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(run.err, "");
}

TEST_F(ConsoleRunTest, BadArgumentsAreUsageErrors) {
    Outcome unknown = Run(L"--title --frobnicate");
    EXPECT_EQ(unknown.status, 2u);
    EXPECT_NE(unknown.err.find("unknown argument '--frobnicate'"), std::string::npos) << unknown.err;
    EXPECT_EQ(unknown.out, "");

    Outcome noFile = Run(L"--export");
    EXPECT_EQ(noFile.status, 2u);
    EXPECT_NE(noFile.err.find("--export needs a file name"), std::string::npos) << noFile.err;
    // An option where the file name belongs is taken for a forgotten name.
    Outcome optionAsFile = Run(L"--import --apply");
    EXPECT_EQ(optionAsFile.status, 2u);
    EXPECT_NE(optionAsFile.err.find("--import needs a file name"), std::string::npos) << optionAsFile.err;
    // The walk-through loads and closes the plug-in itself: nothing may run beside it.
    Outcome walkAndMore = Run(L"--load --walk-through x.bin");
    EXPECT_EQ(walkAndMore.status, 2u);
    EXPECT_NE(walkAndMore.err.find("--walk-through runs alone"), std::string::npos) << walkAndMore.err;
    EXPECT_EQ(Calls(), "");  // nothing was loaded
}

TEST_F(ConsoleRunTest, MissingPluginFailsWithItsPath) {
    const std::wstring missing = temp_.File(L"nowhere\\VtPestrolSet.dll");
    Outcome run = Run(L"--plugin \"" + missing + L"\" --title");
    EXPECT_EQ(run.status, 1u);
    EXPECT_NE(run.err.find("cannot load the plug-in " + Narrow(missing)), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

TEST_F(ConsoleRunTest, LibrariesThatAreNotThePluginAreRefused) {
    Outcome noEntry = Run(L"--plugin \"" + SuiteDir() + L"\\Glimra\\Glimra.dll\" --title");
    EXPECT_EQ(noEntry.status, 1u);
    EXPECT_NE(noEntry.err.find("has no DllGetClassObject"), std::string::npos) << noEntry.err;

    // A COM server that serves other classes.
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    Outcome otherServer = Run(L"--plugin \"" + std::wstring(system) + L"\\ole32.dll\" --title");
    EXPECT_EQ(otherServer.status, 1u);
    EXPECT_NE(otherServer.err.find("class object is unavailable (0x80040111)"), std::string::npos) << otherServer.err;
}

TEST_F(ConsoleRunTest, ActionsRunInTheOrderGivenAndThePluginIsReleasedBeforeItIsFreed) {
    const std::wstring block = temp_.File(L"settings.dat");
    Outcome run = Run(WithFake(L"--title --load --export \"" + block + L"\" --import \"" + block + L"\" --apply"));
    ASSERT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(run.out, "title: Fake Page\n"
                       "loaded\n"
                       "exported 32 bytes to " + Narrow(block) + "\n"
                       "imported 32 bytes from " + Narrow(block) + "\n"
                       "applied\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadBytes(block).size(), 32u);
    EXPECT_EQ(Calls(), "com ready\n"
                       "GetTitle\n"
                       "Load\n"
                       "Export size\n"
                       "Export block\n"
                       "Import 32 same\n"
                       "Apply\n"
                       "destroyed\n"
                       "freed, live objects 0\n");
}

TEST_F(ConsoleRunTest, UnreadableImportFileStopsTheRun) {
    const std::wstring missing = temp_.File(L"missing.dat");
    Outcome run = Run(WithFake(L"--load --import \"" + missing + L"\" --apply"));
    EXPECT_EQ(run.status, 1u);
    EXPECT_EQ(run.out, "loaded\n");
    EXPECT_NE(run.err.find("cannot read " + Narrow(missing) + " (error 2)"), std::string::npos) << run.err;
    EXPECT_EQ(Calls().find("Apply"), std::string::npos);
    EXPECT_NE(Calls().find("freed, live objects 0"), std::string::npos);
}

TEST_F(ConsoleRunTest, ImportThePluginRejectsIsAFailure) {
    const std::wstring empty = temp_.File(L"empty.dat");
    const std::wstring shortBlock = temp_.File(L"short.dat");
    ASSERT_TRUE(WriteBytes(empty, "")) << ::testing::PrintToString(empty) << ", error " << ::GetLastError();
    ASSERT_TRUE(WriteBytes(shortBlock, "not a block"))
        << ::testing::PrintToString(shortBlock) << ", error " << ::GetLastError();
    for (const std::wstring& file : {empty, shortBlock}) {
        Outcome run = Run(WithFake(L"--import \"" + file + L"\""));
        EXPECT_EQ(run.status, 1u);
        EXPECT_NE(run.err.find("import rejected: " + Narrow(file)), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_NE(Calls().find("Import 11 different"), std::string::npos) << Calls();
}

TEST_F(ConsoleRunTest, ExportToAFolderThatDoesNotExistFails) {
    const std::wstring target = temp_.File(L"no\\such\\folder\\settings.dat");
    Outcome run = Run(WithFake(L"--export \"" + target + L"\""));
    EXPECT_EQ(run.status, 1u);
    EXPECT_NE(run.err.find("cannot write " + Narrow(target)), std::string::npos) << run.err;
}

TEST_F(ConsoleRunTest, ThePluginIsLoadedFromTheConsolesOwnFolder) {
    const std::wstring console = temp_.File(L"suite\\VtOptions.exe");
    ASSERT_TRUE(CopyInto(ConsolePath(), console))
        << ::testing::PrintToString(ConsolePath()) << ", error " << ::GetLastError();
    Outcome alone = Run(L"--title", console);
    EXPECT_EQ(alone.status, 1u);
    EXPECT_NE(alone.err.find(Narrow(temp_.File(L"suite\\VtPestrolSet.dll"))), std::string::npos) << alone.err;

    ASSERT_TRUE(CopyInto(FakePluginPath(), temp_.File(L"suite\\VtPestrolSet.dll")))
        << ::testing::PrintToString(FakePluginPath()) << ", error " << ::GetLastError();
    Outcome beside = Run(L"--title", console);
    EXPECT_EQ(beside.status, 0u) << beside.err;
    EXPECT_EQ(beside.out, "title: Fake Page\n");
}

}  // namespace
