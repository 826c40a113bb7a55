// VtMonitor: stands in for the registry monitor of the protection component,
// so that the plug-in's notifications can be seen and tested.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win/ansi_text.h"
#include "win/raii.h"
#include "suite/monitor/monitor_log.h"
#include "suite/monitor/monitor_options.h"
#include "suite/monitor/monitor_stop.h"
#include "suite/monitor/monitor_window.h"

namespace {

const int kExitStopFoundNothing = 1;
const int kExitBadArguments = 2;
const int kExitNoWindow = 3;
const DWORD kStopWaitMs = 5000;

void WriteTo(DWORD which, const std::wstring& text) {
    HANDLE out = ::GetStdHandle(which);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    const std::string utf8 = ToUtf8(text);
    if (utf8.empty()) return;
    DWORD written = 0;
    ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> args;
    int argc = 0;
    UniqueArgv argv(::CommandLineToArgvW(::GetCommandLineW(), &argc));
    if (!argv) return args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv.get()[i]);
    return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const MonitorOptions options = ParseMonitorOptions(Arguments());
    if (!options.error.empty()) {
        WriteTo(STD_ERROR_HANDLE, L"VtMonitor: " + options.error + L"\n");
        return kExitBadArguments;
    }
    if (options.help) {
        WriteTo(STD_OUTPUT_HANDLE, MonitorUsage());
        return 0;
    }
    if (options.stop) return StopRunningMonitor(kStopWaitMs) ? 0 : kExitStopFoundNothing;

    MonitorLog log;
    if (!log.Open(options.logFile)) {
        WriteTo(STD_ERROR_HANDLE, L"VtMonitor: cannot open the log file " + options.logFile + L"\n");
        return kExitBadArguments;
    }
    MonitorWindow window(options, log);
    if (!window.Create(instance, show)) {
        WriteTo(STD_ERROR_HANDLE, L"VtMonitor: the monitor window could not be created\n");
        return kExitNoWindow;
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
