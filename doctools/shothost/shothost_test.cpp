// ShotHost's command line, its report file and its dialog watch.  The watch
// is run over a message box: a modal dialog of this thread like the
// plug-in's, which needs no template.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/test_files.h"
#include "doctools/shothost/dialog_watch.h"
#include "doctools/shothost/shot_request.h"
#include "doctools/shothost/window_report.h"

namespace {

using testing_support::ReadBytes;
using testing_support::ScratchDir;

TEST(ShotRequestTest, ReadsTheWindowAndEveryOption) {
    ShotRequest request = ParseShotRequest(
        {L"--report", L"C:\\r.txt", L"hand-edit", L"--seconds", L"12", L"--user-rules", L"Z:\\x\\RegUser.ini"});
    EXPECT_TRUE(request.error.empty()) << std::string(request.error.begin(), request.error.end());
    EXPECT_EQ(ShotTarget::kHandEdit, request.target);
    EXPECT_EQ(L"C:\\r.txt", request.reportPath);
    EXPECT_EQ(12u, request.seconds);
    EXPECT_EQ(L"Z:\\x\\RegUser.ini", request.userRulesPath);

    EXPECT_EQ(ShotTarget::kConsole, ParseShotRequest({L"console"}).target);
    EXPECT_EQ(ShotTarget::kClassAdd, ParseShotRequest({L"class-add"}).target);
    EXPECT_EQ(ShotTarget::kItemAdd, ParseShotRequest({L"item-add"}).target);
    EXPECT_EQ(ShotTarget::kAddEntry, ParseShotRequest({L"add-entry"}).target);
    EXPECT_EQ(0u, ParseShotRequest({L"expert"}).seconds);
}

TEST(ShotRequestTest, RefusesWhatItCannotShow) {
    EXPECT_FALSE(ParseShotRequest({}).error.empty());
    EXPECT_FALSE(ParseShotRequest({L"options"}).error.empty());
    EXPECT_FALSE(ParseShotRequest({L"expert", L"console"}).error.empty());
    EXPECT_FALSE(ParseShotRequest({L"expert", L"--seconds"}).error.empty());
    EXPECT_FALSE(ParseShotRequest({L"expert", L"--seconds", L"-1"}).error.empty());
    EXPECT_FALSE(ParseShotRequest({L"expert", L"--seconds", L"5s"}).error.empty());
    EXPECT_FALSE(ParseShotRequest({L"expert", L"--seconds", L"99999"}).error.empty());
    EXPECT_FALSE(ParseShotRequest({L"expert", L"--colour", L"red"}).error.empty());
    // The script finds out through the report file, so its path survives.
    ShotRequest failed = ParseShotRequest({L"--report", L"C:\\r.txt", L"nothing"});
    EXPECT_FALSE(failed.error.empty());
    EXPECT_EQ(L"C:\\r.txt", failed.reportPath);
}

TEST(WindowReportTest, LinesTheScriptReads) {
    RECT rect = {-4, 10, 316, 250};
    EXPECT_EQ("-4 10 320 240\n", FormatWindowReport(rect));
    EXPECT_EQ("error no ?? here\n", FormatErrorReport(L"no \x7a97\x53e3 here"));
}

TEST(WindowReportTest, ReplacesTheFileWhole) {
    ScratchDir dir(L"shothost");
    const std::wstring path = dir.File(L"report.txt");
    ASSERT_TRUE(WriteReportFile(path, "first line that is long\n"));
    ASSERT_TRUE(WriteReportFile(path, "1 2 3 4\n"));
    EXPECT_EQ("1 2 3 4\n", ReadBytes(path));
    EXPECT_FALSE(testing_support::FileExists(path + L".part"));
    EXPECT_TRUE(WriteReportFile(L"", "ignored\n"));
    EXPECT_FALSE(WriteReportFile(dir.File(L"no such folder\\report.txt"), "1 2 3 4\n"));
}

// The box's rectangle, read by a thread timer of this thread while it shows.
RECT g_seenBox;
void CALLBACK RecordActiveRect(HWND, UINT, UINT_PTR, DWORD) {
    HWND active = ::GetActiveWindow();
    if (active && ::IsWindowVisible(active)) ::GetWindowRect(active, &g_seenBox);
}

TEST(DialogWatchTest, ReportsTheShownDialogAndClosesItAfterTheTime) {
    ScratchDir dir(L"shothost");
    const std::wstring path = dir.File(L"report.txt");
    g_seenBox = RECT{};
    UINT_PTR recorder = ::SetTimer(nullptr, 0, 100, &RecordActiveRect);
    DWORD started = ::GetTickCount();
    int answer = 0;
    {
        DialogWatch watch(path, 1);
        ASSERT_TRUE(watch.Started());
        // Ends only through the watch's WM_CLOSE (or never: the test's time-out).
        answer = ::MessageBoxW(nullptr, L"shot", L"ShotHost test", MB_OK);
        EXPECT_TRUE(watch.Reported());
    }
    ::KillTimer(nullptr, recorder);
    EXPECT_NE(0, answer);
    EXPECT_GE(::GetTickCount() - started, 1000u);
    ASSERT_NE(g_seenBox.right, g_seenBox.left);
    EXPECT_EQ(FormatWindowReport(g_seenBox), ReadBytes(path));
}

// Deletes the report file as soon as it is there, as the script does once it
// has captured the window.
std::wstring g_reportToTake;
void CALLBACK TakeReport(HWND, UINT, UINT_PTR, DWORD) {
    if (testing_support::FileExists(g_reportToTake)) ::DeleteFileW(g_reportToTake.c_str());
}

TEST(DialogWatchTest, ClosesTheDialogOnceTheReportIsTaken) {
    ScratchDir dir(L"shothost");
    g_reportToTake = dir.File(L"report.txt");
    UINT_PTR taker = ::SetTimer(nullptr, 0, 100, &TakeReport);
    int answer = 0;
    {
        DialogWatch watch(g_reportToTake, 0);
        ASSERT_TRUE(watch.Started());
        answer = ::MessageBoxW(nullptr, L"shot", L"ShotHost test", MB_OK);
        EXPECT_TRUE(watch.Reported());
    }
    ::KillTimer(nullptr, taker);
    EXPECT_NE(0, answer);
    EXPECT_FALSE(testing_support::FileExists(g_reportToTake));
}

TEST(DialogWatchTest, OneWatchAtATime) {
    DialogWatch first(L"", 1);
    DialogWatch second(L"", 1);
    EXPECT_TRUE(first.Started());
    EXPECT_FALSE(second.Started());
}

}  // namespace
