#include "tests/monitor/monitor_process.h"

#include "rules/monitor_notify.h"

using namespace testing_support;

namespace {

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindOwnedMonitor(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char title[64] = {};
    ::GetWindowTextA(window, title, sizeof title);
    if (owner == search->processId && std::string(title) == kMonitorWindowTitle) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring MonitorExe() { return SuiteDir() + L"\\VtMonitor.exe"; }

MonitorProcess::MonitorProcess(const std::wstring& arguments, bool noLog) {
    std::wstring all = arguments;
    if (!noLog) all += L" --log \"" + scratch_.File(L"monitor.log") + L"\"";
    process_.Start(Quoted(MonitorExe()) + L" " + all, scratch_.File(L"stdout.txt"));
}

MonitorProcess::~MonitorProcess() {
    if (!process_.Started() || process_.WaitForExit(0)) return;
    WindowSearch search = {process_.Id(), nullptr};
    ::EnumWindows(FindOwnedMonitor, reinterpret_cast<LPARAM>(&search));
    if (search.found) ::PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (!process_.WaitForExit(5000)) process_.Terminate(99);
}

bool MonitorProcess::WaitForWindow(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    do {
        WindowSearch search = {process_.Id(), nullptr};
        ::EnumWindows(FindOwnedMonitor, reinterpret_cast<LPARAM>(&search));
        if (search.found) return true;
        if (!process_.Started() || process_.WaitForExit(50)) return false;
    } while (::GetTickCount() - start < timeoutMs);
    return false;
}

std::vector<std::string> MonitorProcess::LogLines() const {
    std::vector<std::string> lines;
    const std::string text = ReadBytes(scratch_.File(L"monitor.log"));
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(text.substr(begin, end - begin));
    return lines;
}

bool MonitorProcess::WaitForLine(const std::string& text, DWORD timeoutMs, size_t count) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        size_t found = 0;
        for (const std::string& line : LogLines())
            if (line.find(text) != std::string::npos) ++found;
        if (found >= count) return true;
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(50);
    }
}

DWORD MonitorProcess::WaitForExit(DWORD timeoutMs) {
    return process_.WaitForExit(timeoutMs) ? process_.ExitCode() : STILL_ACTIVE;
}

std::string MonitorProcess::Output() const { return ReadBytes(scratch_.File(L"stdout.txt")); }

DWORD RunMonitorCommand(const std::wstring& arguments, std::string& output) {
    ScratchDir scratch(L"monitor-cmd");
    const ProgramRun run = RunProgram(Quoted(MonitorExe()) + L" " + arguments, scratch.Path(), 20000, true);
    output = run.out;
    return run.started ? run.status : STILL_ACTIVE;
}
