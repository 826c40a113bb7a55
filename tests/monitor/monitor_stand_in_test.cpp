// VtMonitor.exe as the plug-in meets it: a separate process whose window
// answers the rules-changed command and whose log shows each notification
// and each appearance of the update atom.
#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <string>

#include "rules/monitor_notify.h"
#include "tests/monitor/monitor_process.h"

namespace {

const char kAtom[] = "VtPstl_NsUpdate";
const DWORD kStartMs = 15000;
const DWORD kLineMs = 5000;

void RemoveUpdateAtom() {
    for (int guard = 0; guard < 1000; ++guard) {
        ATOM atom = ::GlobalFindAtomA(kAtom);
        if (!atom) return;
        ::GlobalDeleteAtom(atom);
    }
}

class MonitorStandIn : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveUpdateAtom();
        SetMonitorTimeoutForTest(0);
    }
    void TearDown() override {
        RemoveUpdateAtom();
        SetMonitorTimeoutForTest(0);
    }
};

// Sum of the reference counts in the "(n reference(s) deleted)" lines.
unsigned DeletedReferences(const std::vector<std::string>& lines) {
    static const std::regex deleted(R"(update atom VtPstl_NsUpdate appeared \((\d+) reference\(s\) deleted\))");
    unsigned sum = 0;
    for (const std::string& line : lines) {
        std::smatch match;
        if (std::regex_search(line, match, deleted)) sum += static_cast<unsigned>(std::stoul(match[1].str()));
    }
    return sum;
}

TEST_F(MonitorStandIn, AnswersTheNotificationAndLogsEachOneWithATimestamp) {
    MonitorProcess monitor(L"");
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitForWindow(kStartMs));

    EXPECT_EQ(NotifyRegistryMonitor(), 0);
    EXPECT_TRUE(monitor.WaitForLine("command 6005 (rules changed) #1, answered 0", kLineMs));
    EXPECT_EQ(NotifyRegistryMonitor(), 0);
    EXPECT_TRUE(monitor.WaitForLine("command 6005 (rules changed) #2, answered 0", kLineMs));

    // Another command id is answered too, but not counted as a notification.
    HWND window = ::FindWindowA(nullptr, kMonitorWindowTitle);
    ASSERT_NE(window, nullptr);
    DWORD_PTR answer = 99;
    ASSERT_NE(::SendMessageTimeoutW(window, WM_COMMAND, 1234, 0, SMTO_NORMAL, 5000, &answer), 0);
    EXPECT_EQ(answer, 0u);
    EXPECT_TRUE(monitor.WaitForLine("command 1234 ignored", kLineMs));

    const std::regex stamped(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \S.*$)");
    const std::vector<std::string> lines = monitor.LogLines();
    ASSERT_GE(lines.size(), 4u);  // started, two notifications, the other command
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, stamped)) << line;
    EXPECT_NE(lines.front().find("monitor started"), std::string::npos);
}

TEST_F(MonitorStandIn, EachAppearanceOfTheUpdateAtomIsLoggedAndTheAtomRemoved) {
    MonitorProcess monitor(L"");
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitForWindow(kStartMs));

    ASSERT_NE(::GlobalAddAtomA(kAtom), 0);
    ASSERT_TRUE(monitor.WaitForLine("update atom VtPstl_NsUpdate appeared", kLineMs));
    EXPECT_EQ(::GlobalFindAtomA(kAtom), 0) << "the monitor deletes the atom it logged";

    // Two Applies in quick succession add two references; together they are
    // all deleted, whether one poll or two saw them.
    ASSERT_NE(::GlobalAddAtomA(kAtom), 0);
    ASSERT_NE(::GlobalAddAtomA(kAtom), 0);
    const DWORD start = ::GetTickCount();
    while (DeletedReferences(monitor.LogLines()) < 3 && ::GetTickCount() - start < kLineMs) ::Sleep(50);
    EXPECT_EQ(DeletedReferences(monitor.LogLines()), 3u);
    EXPECT_EQ(::GlobalFindAtomA(kAtom), 0);
}

TEST_F(MonitorStandIn, KeepAtomLogsTheAppearanceOnceAndLeavesTheAtom) {
    MonitorProcess monitor(L"--keep-atom");
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitForWindow(kStartMs));

    ASSERT_NE(::GlobalAddAtomA(kAtom), 0);
    ASSERT_TRUE(monitor.WaitForLine("appeared (kept)", kLineMs));
    ::Sleep(600);  // a few more polls see the same atom
    EXPECT_NE(::GlobalFindAtomA(kAtom), 0);
    EXPECT_FALSE(monitor.WaitForLine("appeared (kept)", 0, 2));

    // Gone and back: a new appearance.
    RemoveUpdateAtom();
    ::Sleep(600);
    ASSERT_NE(::GlobalAddAtomA(kAtom), 0);
    EXPECT_TRUE(monitor.WaitForLine("appeared (kept)", kLineMs, 2));
}

TEST_F(MonitorStandIn, AStallingMonitorMakesTheNotificationTimeOut) {
    MonitorProcess monitor(L"--stall 2000");
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitForWindow(kStartMs));

    SetMonitorTimeoutForTest(300);
    EXPECT_EQ(NotifyRegistryMonitor(), 1);
    // The command still arrived and was logged.
    EXPECT_TRUE(monitor.WaitForLine("#1, answered 0 after stalling 2000 ms", kLineMs));
}

TEST_F(MonitorStandIn, ExitAfterClosesOnceTheCommandsWereAnswered) {
    MonitorProcess monitor(L"--exit-after 2");
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitForWindow(kStartMs));

    EXPECT_EQ(NotifyRegistryMonitor(), 0);
    EXPECT_EQ(monitor.WaitForExit(500), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(NotifyRegistryMonitor(), 0);
    EXPECT_EQ(monitor.WaitForExit(kLineMs), 0u);
    EXPECT_TRUE(monitor.WaitForLine("monitor stopped after 2 command(s)", 0));
    EXPECT_EQ(NotifyRegistryMonitor(), 2) << "no monitor window is left";
}

TEST_F(MonitorStandIn, WithoutALogFileTheLinesGoToStandardOutput) {
    MonitorProcess monitor(L"--exit-after 1", /*noLog=*/true);
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitForWindow(kStartMs));
    EXPECT_EQ(NotifyRegistryMonitor(), 0);
    ASSERT_EQ(monitor.WaitForExit(kLineMs), 0u);
    const std::string output = monitor.Output();
    EXPECT_NE(output.find("command 6005 (rules changed) #1, answered 0"), std::string::npos) << output;
}

TEST_F(MonitorStandIn, StopClosesTheRunningMonitor) {
    std::string output;
    EXPECT_EQ(RunMonitorCommand(L"--stop", output), 1u) << "nothing to stop";

    MonitorProcess monitor(L"");
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitForWindow(kStartMs));
    EXPECT_EQ(RunMonitorCommand(L"--stop", output), 0u);
    EXPECT_EQ(monitor.WaitForExit(kLineMs), 0u);
    EXPECT_TRUE(monitor.WaitForLine("monitor stopped after 0 command(s)", 0));
}

TEST_F(MonitorStandIn, HelpAndBadArgumentsNeverOpenAWindow) {
    std::string output;
    EXPECT_EQ(RunMonitorCommand(L"--help", output), 0u);
    EXPECT_NE(output.find("--exit-after N"), std::string::npos) << output;

    for (const wchar_t* bad : {L"--stall", L"--stall soon", L"--exit-after 0", L"--log", L"--frobnicate"}) {
        EXPECT_EQ(RunMonitorCommand(bad, output), 2u) << testing_support::Narrow(bad);
        EXPECT_NE(output.find("VtMonitor: "), std::string::npos) << output;
    }
    EXPECT_EQ(::FindWindowA(nullptr, kMonitorWindowTitle), nullptr);
}

}  // namespace
