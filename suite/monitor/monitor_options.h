// The monitor stand-in's command line.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct MonitorOptions {
    bool help = false;
    bool stop = false;          // ask a running monitor to close, then exit
    bool keepAtom = false;      // leave the update atom in place after logging it
    DWORD stallMs = 0;          // sleep this long in the command handler
    unsigned exitAfter = 0;     // close after this many commands; 0: never
    std::wstring logFile;       // empty: standard output
    std::wstring error;         // set when the arguments make no sense
};

// `args` without the program name.
MonitorOptions ParseMonitorOptions(const std::vector<std::wstring>& args);

std::wstring MonitorUsage();
