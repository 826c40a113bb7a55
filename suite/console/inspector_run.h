// Runs the settings inspector that ships beside the console (VtPsInspect.exe,
// by its full path in the suite folder) and keeps what it printed.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct InspectorRun {
    bool started = false;
    DWORD exitCode = 0;
    std::wstring error;               // when it did not start or did not end
    std::vector<std::wstring> lines;  // standard output and error, line by line
};

// `arguments` as on its command line, e.g. L"blob info \"C:\\x.bin\"".
InspectorRun RunInspector(const std::wstring& arguments);

// Quotes a path for a command line.
std::wstring Quoted(const std::wstring& path);
