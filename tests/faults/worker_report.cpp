#include "tests/faults/worker_report.h"

#include <cstdio>

namespace {
WorkerReport* g_report = nullptr;
}  // namespace

WorkerReport::WorkerReport(const std::wstring& path) {
    m_hFile = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    // No error boxes and no debugger: a crash must end the worker at once.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    g_report = this;
    m_previous = ::SetUnhandledExceptionFilter(OnUnhandledException);
}

WorkerReport::~WorkerReport() {
    ::SetUnhandledExceptionFilter(m_previous);
    g_report = nullptr;
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
}

void WorkerReport::Begin(uint32_t iteration) {
    m_current = iteration;
    if (iteration == m_crashAt) *static_cast<volatile int*>(nullptr) = 1;
}

void WorkerReport::Done(uint32_t iteration, const std::string& details) {
    Line("done " + std::to_string(iteration) + (details.empty() ? "" : " " + details));
}

void WorkerReport::Line(const std::string& line) {
    if (m_hFile == INVALID_HANDLE_VALUE) return;
    const std::string withEnd = line + "\n";
    DWORD written = 0;
    ::WriteFile(m_hFile, withEnd.data(), static_cast<DWORD>(withEnd.size()), &written, nullptr);
}

LONG WINAPI WorkerReport::OnUnhandledException(EXCEPTION_POINTERS* info) {
    if (g_report && g_report->m_hFile != INVALID_HANDLE_VALUE) {
        // No heap here: the crash may have left it broken.
        char line[96];
        const unsigned code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
        const void* where = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionAddress : nullptr;
        int n = std::snprintf(line, sizeof line, "crash %u 0x%08X at %p\n", g_report->m_current, code, where);
        DWORD written = 0;
        if (n > 0) ::WriteFile(g_report->m_hFile, line, static_cast<DWORD>(n), &written, nullptr);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}
