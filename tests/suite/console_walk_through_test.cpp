// The console's walk-through as scripts/run.sh runs it without a display:
// the real plug-in from the suite folder and the monitor stand-in beside it.
// It must go through, find the added category after importing into a fresh
// profile, have announced its changes to the monitor, and give the user's
// own settings folder back as it was.
#include "tests/monitor/monitor_process.h"
#include "tests/support/plugin_library.h"
#include "tests/suite/suite_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The output line that starts with `start`, or empty.
std::string LineStarting(const std::string& text, const std::string& start) {
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        if (text.compare(begin, start.size(), start) == 0) return text.substr(begin, end - begin);
        begin = end + 1;
    }
    return std::string();
}

TEST(ConsoleWalkThrough, FindsTheAddedCategoryAfterImportIntoAFreshProfileAndGivesTheUsersFolderBack) {
    const std::wstring settings = testing_support::SettingsFolder();
    const std::wstring own = settings + L"\\walk-through-test.txt";
    ASSERT_TRUE(WriteBytes(own, "the user's own")) << ::testing::PrintToString(own) << ", error " << ::GetLastError();
    MonitorProcess monitor(L"");
    ASSERT_TRUE(monitor.WaitForWindow(10000));
    ScratchDir temp{L"suite"};
    const std::wstring blob = temp.File(L"export.bin");

    Outcome run = RunProgram(SuiteDir() + L"\\VtOptions.exe", L"--walk-through \"" + blob + L"\"", temp);
    EXPECT_EQ(run.status, 0u) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    const std::string loaded = LineStarting(run.out, "9. ");
    EXPECT_NE(loaded.find("\"Walk-through\", lists 1 item: HKEY_CURRENT_USER\\Software\\Veltrane\\Walk-through"),
              std::string::npos)
        << run.out;
    // Not the empty blob of a profile without settings: a header and its parts.
    EXPECT_GT(ReadBytes(blob).size(), 24u);
    EXPECT_TRUE(monitor.WaitForLine("command 6005", 5000)) << run.out;
    EXPECT_TRUE(monitor.WaitForLine("update atom VtPstl_NsUpdate appeared", 5000));

    EXPECT_EQ(ReadBytes(own), "the user's own");
    EXPECT_FALSE(FileExists(settings + L".walk-through-saved\\walk-through-test.txt"))
        << ::testing::PrintToString(settings + L".walk-through-saved\\walk-through-test.txt");
    DeleteFileW(own.c_str());
}

}  // namespace
