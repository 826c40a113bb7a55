// VtMonitor.exe from the suite folder, started as its own process with its
// log in a scratch folder; closed (or, failing that, terminated) at the end.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/test_files.h"

class MonitorProcess {
public:
    // Starts the monitor with `arguments` and, unless noLog, "--log <scratch>\monitor.log".
    explicit MonitorProcess(const std::wstring& arguments, bool noLog = false);
    ~MonitorProcess();
    MonitorProcess(const MonitorProcess&) = delete;
    MonitorProcess& operator=(const MonitorProcess&) = delete;

    bool Started() const { return process_.Started(); }
    // Waits until this process shows the monitor window.
    bool WaitForWindow(DWORD timeoutMs);
    // Waits until the log holds a line containing `text`, `count` times.
    bool WaitForLine(const std::string& text, DWORD timeoutMs, size_t count = 1);
    std::vector<std::string> LogLines() const;
    // Exit code once ended within timeoutMs, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs);
    // What the monitor wrote to its standard output.
    std::string Output() const;

private:
    testing_support::ScratchDir scratch_{L"monitor"};
    testing_support::ChildProcess process_;
};

// Runs VtMonitor.exe with `arguments` to its end; returns its exit code and
// stores its standard output and error in `output`.
DWORD RunMonitorCommand(const std::wstring& arguments, std::string& output);

std::wstring MonitorExe();
