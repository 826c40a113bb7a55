// Tells the running registry monitor that the rule files changed.
#pragma once
#include <windows.h>

const char kMonitorWindowTitle[] = "Veltrane Registry Monitor Ex";
const WPARAM kMonitorRulesChangedCommand = 6005;
const UINT kMonitorTimeoutMs = 30000;

// 2 when no monitor window exists, 1 when the command was not delivered or
// not answered in time, otherwise the monitor's answer.
int NotifyRegistryMonitor();

// Replaces the time-out (tests); 0 restores kMonitorTimeoutMs.
void SetMonitorTimeoutForTest(UINT timeoutMs);
