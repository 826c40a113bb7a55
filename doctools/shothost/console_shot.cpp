#include "doctools/shothost/console_shot.h"

#include <windows.h>

#include <vector>

#include "win/raii.h"
#include "doctools/shothost/settings_setup.h"
#include "doctools/shothost/window_report.h"

namespace {

constexpr wchar_t kConsoleProgram[] = L"VtOptions.exe";
constexpr wchar_t kConsoleWindowClass[] = L"VtOptionsWindow";
constexpr DWORD kPollMs = 200;
constexpr DWORD kStartLimitMs = 60000;
// Once visible, the page inside is created and painted within this time.
constexpr DWORD kSettleMs = 1000;
constexpr DWORD kCloseLimitMs = 10000;

using UniqueHandle = UniqueResource<HANDLE, HandleTraits>;

int Fail(const ShotRequest& request, const std::wstring& why) {
    WriteReportFile(request.reportPath, FormatErrorReport(why));
    return 1;
}

std::wstring ProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            size_t slash = path.find_last_of(L"\\/");
            return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
        }
        if (buffer.size() >= 32768) return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchConsoleWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (owner == search->processId && lstrcmpW(className, kConsoleWindowClass) == 0 && ::IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindConsoleWindow(DWORD processId) {
    WindowSearch search = {processId, nullptr};
    ::EnumWindows(&MatchConsoleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

int RunConsoleShot(const ShotRequest& request) {
    std::wstring error;
    if (!InstallUserRules(request.userRulesPath, error)) return Fail(request, error);

    const std::wstring folder = ProgramFolder();
    const std::wstring program = folder + kConsoleProgram;
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &started))
        return Fail(request, L"cannot start " + program);
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);

    HWND window = nullptr;
    for (DWORD waited = 0; !window; waited += kPollMs) {
        if (waited >= kStartLimitMs) {
            ::TerminateProcess(process.get(), 1);
            return Fail(request, L"the console window did not show");
        }
        if (::WaitForSingleObject(process.get(), kPollMs) == WAIT_OBJECT_0)
            return Fail(request, L"the console ended before its window showed");
        window = FindConsoleWindow(started.dwProcessId);
    }
    ::Sleep(kSettleMs);
    RECT rect;
    if (!::GetWindowRect(window, &rect)) return Fail(request, L"the console window went away");
    WriteReportFile(request.reportPath, FormatWindowReport(rect));

    // Closed when the script has taken the report, or after the time asked for.
    const DWORD limitMs = request.seconds * 1000u;
    for (DWORD waited = 0; request.seconds == 0 || waited < limitMs; waited += kPollMs) {
        if (::WaitForSingleObject(process.get(), kPollMs) == WAIT_OBJECT_0) return 0;
        if (ReportTakenAway(request.reportPath)) break;
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.get(), kCloseLimitMs) == WAIT_TIMEOUT) ::TerminateProcess(process.get(), 1);
    return 0;
}
