#include "suite/monitor/monitor_options.h"

#include <cwchar>

namespace {

// A whole decimal number up to `limit`; false for anything else.
bool ParseCount(const std::wstring& text, unsigned long limit, unsigned long& value) {
    if (text.empty() || text.size() > 10) return false;
    for (wchar_t c : text)
        if (c < L'0' || c > L'9') return false;
    value = std::wcstoul(text.c_str(), nullptr, 10);
    return value <= limit;
}

}  // namespace

MonitorOptions ParseMonitorOptions(const std::vector<std::wstring>& args) {
    MonitorOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
            options.help = true;
        } else if (arg == L"--stop") {
            options.stop = true;
        } else if (arg == L"--keep-atom") {
            options.keepAtom = true;
        } else if (arg == L"--stall") {
            unsigned long ms = 0;
            // Longer than the sender's 30 s time-out is pointless but allowed up to ten minutes.
            if (!hasValue || !ParseCount(args[i + 1], 600000, ms)) {
                options.error = L"--stall needs a number of milliseconds (0 to 600000)";
                return options;
            }
            options.stallMs = ms;
            ++i;
        } else if (arg == L"--exit-after") {
            unsigned long n = 0;
            if (!hasValue || !ParseCount(args[i + 1], 1000000, n) || n == 0) {
                options.error = L"--exit-after needs a number of commands (1 or more)";
                return options;
            }
            options.exitAfter = n;
            ++i;
        } else if (arg == L"--log") {
            if (!hasValue || args[i + 1].empty() || args[i + 1].compare(0, 2, L"--") == 0) {
                options.error = L"--log needs a file name";
                return options;
            }
            options.logFile = args[++i];
        } else {
            options.error = L"unknown argument '" + arg + L"' (try --help)";
            return options;
        }
    }
    return options;
}

std::wstring MonitorUsage() {
    return L"Usage: VtMonitor [--log FILE] [--stall MS] [--exit-after N] [--keep-atom]\n"
           L"       VtMonitor --stop\n"
           L"\n"
           L"Stands in for the registry monitor: a window titled\n"
           L"\"Veltrane Registry Monitor Ex\" that answers command 6005 with 0 and\n"
           L"logs it, and logs each appearance of the global atom VtPstl_NsUpdate\n"
           L"(looked for every 250 ms).  Each event is one timestamped line, shown\n"
           L"in the window and written to standard output or the log file.\n"
           L"\n"
           L"  --log FILE      append the lines to FILE instead of standard output\n"
           L"  --stall MS      sleep MS milliseconds before answering a command,\n"
           L"                  as a busy monitor would\n"
           L"  --exit-after N  close after answering N commands\n"
           L"  --keep-atom     leave the atom in place; by default it is deleted once\n"
           L"                  logged, so that the next Apply shows up again\n"
           L"  --stop          ask the running monitor to close and wait for it\n"
           L"  --help          show this text\n"
           L"\n"
           L"Exit codes: 0 success, 1 --stop found no monitor, 2 bad arguments,\n"
           L"3 the window could not be created.\n";
}
