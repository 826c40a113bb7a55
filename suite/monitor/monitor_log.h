// The monitor's event log: one line per event, prefixed with the local time,
// appended to a file or written to standard output as UTF-8.
#pragma once
#include <windows.h>

#include <string>

class MonitorLog {
public:
    MonitorLog() = default;
    ~MonitorLog();
    MonitorLog(const MonitorLog&) = delete;
    MonitorLog& operator=(const MonitorLog&) = delete;

    // Appends to `path` (created when missing); an empty path means standard
    // output.  False when the file cannot be opened.
    bool Open(const std::wstring& path);
    // Writes "YYYY-MM-DD HH:MM:SS.mmm text" and returns that line.
    std::wstring Write(const std::wstring& text);

private:
    HANDLE m_hOut = nullptr;
    bool m_bOwned = false;
};

// The local time as "YYYY-MM-DD HH:MM:SS.mmm".
std::wstring Timestamp(const SYSTEMTIME& time);
