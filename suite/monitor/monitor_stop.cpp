#include "suite/monitor/monitor_stop.h"

#include "rules/monitor_notify.h"

bool StopRunningMonitor(DWORD waitMs) {
    HWND window = ::FindWindowA(nullptr, kMonitorWindowTitle);
    if (!window) return false;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    HANDLE process = processId ? ::OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr;
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (process) {
        ::WaitForSingleObject(process, waitMs);
        ::CloseHandle(process);
    }
    return true;
}
