#include "rules/monitor_notify.h"

namespace {
UINT g_monitorTimeoutMs = kMonitorTimeoutMs;
}  // namespace

int NotifyRegistryMonitor() {
    HWND monitor = ::FindWindowA(nullptr, kMonitorWindowTitle);
    if (!monitor) return 2;
    DWORD_PTR answer = 0;
    // SMTO_NORMAL: our own windows keep receiving sent messages while we wait.
    if (!::SendMessageTimeoutW(monitor, WM_COMMAND, kMonitorRulesChangedCommand, 0, SMTO_NORMAL,
                               g_monitorTimeoutMs, &answer))
        return 1;
    return static_cast<int>(answer);
}

void SetMonitorTimeoutForTest(UINT timeoutMs) {
    g_monitorTimeoutMs = timeoutMs ? timeoutMs : kMonitorTimeoutMs;
}
