#include "suite/monitor/monitor_log.h"

#include <cwchar>

#include "win/ansi_text.h"

MonitorLog::~MonitorLog() {
    if (m_bOwned && m_hOut != INVALID_HANDLE_VALUE) ::CloseHandle(m_hOut);
}

bool MonitorLog::Open(const std::wstring& path) {
    if (path.empty()) {
        m_hOut = ::GetStdHandle(STD_OUTPUT_HANDLE);
        m_bOwned = false;
        return true;
    }
    // Readers may look at the log while the monitor runs.
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    m_hOut = file;
    m_bOwned = true;
    return true;
}

std::wstring MonitorLog::Write(const std::wstring& text) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::wstring line = Timestamp(now) + L" " + text;
    if (m_hOut && m_hOut != INVALID_HANDLE_VALUE) {
        const std::string utf8 = ToUtf8(line + L"\n");
        if (!utf8.empty()) {
            DWORD written = 0;
            // One write per line, so a reader never sees half a line.
            ::WriteFile(m_hOut, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        }
    }
    return line;
}

std::wstring Timestamp(const SYSTEMTIME& time) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute, time.wSecond, time.wMilliseconds);
    return text;
}
