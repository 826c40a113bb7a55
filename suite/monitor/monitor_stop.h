// --stop: closes a running monitor stand-in the way a user would.
#pragma once
#include <windows.h>

// Posts WM_CLOSE to the window with the monitor's title and waits up to
// waitMs for its process to end.  False when no such window exists.
bool StopRunningMonitor(DWORD waitMs);
