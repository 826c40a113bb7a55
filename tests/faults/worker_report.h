// The worker side of a batched fault run: one line per finished iteration
// in a results file the parent reads, written at once so that a crash loses
// nothing; a crash is recorded with the iteration it happened in.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class WorkerReport {
public:
    // Opens the results file (appending) and makes this object the process's
    // crash recorder.
    explicit WorkerReport(const std::wstring& path);
    ~WorkerReport();
    WorkerReport(const WorkerReport&) = delete;
    WorkerReport& operator=(const WorkerReport&) = delete;

    bool Ok() const { return m_hFile != INVALID_HANDLE_VALUE; }
    // The iteration now running (named in a crash line).
    void Begin(uint32_t iteration);
    // Makes Begin(iteration) fault, to show that a run counts and survives a
    // crash (--crash-at).
    void CrashAt(uint32_t iteration) { m_crashAt = iteration; }
    // "done <iteration> <details>"
    void Done(uint32_t iteration, const std::string& details);
    // Any other line, as is.
    void Line(const std::string& line);

private:
    static LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info);

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    volatile uint32_t m_current = 0;
    uint32_t m_crashAt = UINT32_MAX;
    LPTOP_LEVEL_EXCEPTION_FILTER m_previous = nullptr;
};
