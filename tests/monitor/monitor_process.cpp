#include "tests/monitor/monitor_process.h"

#include "rules/monitor_notify.h"

using namespace testing_support;

namespace {

// An inheritable handle to a new file, for a child's standard output.
UniqueFile InheritableOutput(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Starts the monitor with standard output and error going to `output`.
UniqueHandle Launch(const std::wstring& arguments, HANDLE output, DWORD* processId) {
    std::wstring commandLine = L"\"" + MonitorExe() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return UniqueHandle();
    ::CloseHandle(info.hThread);
    if (processId) *processId = info.dwProcessId;
    return UniqueHandle(info.hProcess);
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindOwnedMonitor(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char title[64] = {};
    ::GetWindowTextA(window, title, sizeof title);
    if (owner == search->processId && std::string(title) == kMonitorWindowTitle) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring MonitorExe() { return SuiteDir() + L"\\VtMonitor.exe"; }

MonitorProcess::MonitorProcess(const std::wstring& arguments, bool noLog) {
    std::wstring all = arguments;
    if (!noLog) all += L" --log \"" + scratch_.File(L"monitor.log") + L"\"";
    UniqueFile output = InheritableOutput(scratch_.File(L"stdout.txt"));
    process_ = Launch(all, output.get(), &processId_);
}

MonitorProcess::~MonitorProcess() {
    if (!process_ || ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return;
    WindowSearch search = {processId_, nullptr};
    ::EnumWindows(FindOwnedMonitor, reinterpret_cast<LPARAM>(&search));
    if (search.found) ::PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) ::TerminateProcess(process_.get(), 99);
    ::WaitForSingleObject(process_.get(), 5000);
}

bool MonitorProcess::WaitForWindow(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    do {
        WindowSearch search = {processId_, nullptr};
        ::EnumWindows(FindOwnedMonitor, reinterpret_cast<LPARAM>(&search));
        if (search.found) return true;
        if (::WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0) return false;
    } while (::GetTickCount() - start < timeoutMs);
    return false;
}

std::vector<std::string> MonitorProcess::LogLines() const {
    std::vector<std::string> lines;
    const std::string text = ReadBytes(scratch_.File(L"monitor.log"));
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(text.substr(begin, end - begin));
    return lines;
}

bool MonitorProcess::WaitForLine(const std::string& text, DWORD timeoutMs, size_t count) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        size_t found = 0;
        for (const std::string& line : LogLines())
            if (line.find(text) != std::string::npos) ++found;
        if (found >= count) return true;
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(50);
    }
}

DWORD MonitorProcess::WaitForExit(DWORD timeoutMs) {
    if (!process_ || ::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

std::string MonitorProcess::Output() const { return ReadBytes(scratch_.File(L"stdout.txt")); }

DWORD RunMonitorCommand(const std::wstring& arguments, std::string& output) {
    ScratchDir scratch(L"monitor-cmd");
    DWORD code = STILL_ACTIVE;
    {
        UniqueFile out = InheritableOutput(scratch.File(L"out.txt"));
        UniqueHandle process = Launch(arguments, out.get(), nullptr);
        if (!process) return code;
        if (::WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 99);
        ::GetExitCodeProcess(process.get(), &code);
    }
    output = ReadBytes(scratch.File(L"out.txt"));
    return code;
}
