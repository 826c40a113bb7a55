// IniLoadBench: how long the plug-in's Load takes, and how much memory it
// peaks at, for user rule files nobody writes by hand: large, not in the
// plain form, or with many sections.  Each file is loaded in a process of
// its own through the real VtPestrolSet.dll of a suite folder, right after
// the file was written (as after an Import).
//
//   IniLoadBench [--suite DIR] [--runs N] [--timeout SECONDS] [--case N] [--tiny]
//
// Each file is loaded --runs times (default 3), each time written anew; the
// median time and the largest peaks are shown.  --suite takes the plug-in
// from another suite folder (for a figure of an older build); a Load that
// outlives --timeout is ended, with the memory it had peaked at by then;
// --case runs only the Nth file (from 1); --tiny writes small files, only to
// show that the program works.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "paired_runs.h"
#include "settings_aside.h"
#include "stopwatch.h"
#include "tests/support/plugin_library.h"
#include "tests/support/rule_files.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

const char kChildFlag[] = "--child";

struct Case {
    const char* name;
    const char* head;
    uint64_t bytes;
    size_t perSection;  // 0: sections without rules
};

double Megabytes(uint64_t bytes) { return static_cast<double>(bytes) / (1 << 20); }

// Sections without a rule, behind a comment line: as many as fit.
bool WriteEmptySections(const std::wstring& path, uint64_t bytes) {
    std::string text = "; no rules\r\n";
    char line[32];
    for (unsigned s = 0; text.size() < bytes; ++s) {
        std::snprintf(line, sizeof line, "[Empty%07u]\r\n", s);
        text += line;
    }
    return WriteBytes(path, text);
}

bool WriteCase(const Case& c, const std::wstring& settings) {
    const std::wstring path = settings + L"\\RegUser.ini";
    ::DeleteFileW((settings + L"\\tempRegUser.ini").c_str());
    if (c.perSection == 0) return WriteEmptySections(path, c.bytes);
    return WriteRuleFile(path, c.head, c.bytes, c.perSection) > 0;
}

// The child: one Load through the plug-in, its time and memory written to
// the result file.
int RunChild(const std::wstring& suite, const std::wstring& resultFile) {
    PluginLibrary library(suite);
    IProductOption* plugin = library.Module() ? library.CreatePlugin() : nullptr;
    if (!plugin) {
        WriteBytes(resultFile, "FAILED cannot load the plug-in from " + Narrow(suite));
        return 1;
    }
    PROCESS_MEMORY_COUNTERS before = {}, after = {};
    before.cb = after.cb = sizeof before;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof before);
    const double ms = TimeMs([&] { plugin->Load(); });
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &after, sizeof after);
    plugin->Release();
    char result[160];
    std::snprintf(result, sizeof result, "RESULT %.1f %llu %llu %llu %llu", ms,
                  static_cast<unsigned long long>(before.WorkingSetSize),
                  static_cast<unsigned long long>(after.PeakWorkingSetSize),
                  static_cast<unsigned long long>(before.PagefileUsage),
                  static_cast<unsigned long long>(after.PeakPagefileUsage));
    WriteBytes(resultFile, result);
    return 0;
}

// Runs this program as a child on `suite`; what it wrote to the result
// file, or "" after the timeout (the child is ended then, its peaks so far
// in `peaks`).
std::string RunChildProcess(const std::wstring& suite, DWORD timeoutMs, bool& timedOut,
                            PROCESS_MEMORY_COUNTERS& peaks) {
    timedOut = false;
    ScratchDir scratch(L"ini-load-bench");
    const std::wstring resultFile = scratch.File(L"result.txt");
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --child \"" + suite + L"\" \"" + resultFile + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return "";
    if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
        timedOut = true;
        peaks.cb = sizeof peaks;
        ::GetProcessMemoryInfo(process.hProcess, &peaks, sizeof peaks);
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, INFINITE);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return ReadBytes(resultFile);
}

}  // namespace

int main(int argc, char** argv) {
    std::wstring suite = SuiteDir();
    DWORD timeoutSeconds = 900;
    bool tiny = false;
    size_t only = 0;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kChildFlag) == 0 && i + 2 < argc) return RunChild(Widen(argv[i + 1]), Widen(argv[i + 2]));
        if (std::strcmp(argv[i], "--suite") == 0 && i + 1 < argc) {
            suite = Widen(argv[++i]);
        } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            timeoutSeconds = static_cast<DWORD>(std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--case") == 0 && i + 1 < argc) {
            only = static_cast<size_t>(std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--tiny") == 0) {
            tiny = true;
        } else {
            std::fprintf(stderr, "Usage: IniLoadBench [--suite DIR] [--runs N] [--timeout SECONDS] [--case N] [--tiny]\n");
            return 2;
        }
    }

    const uint64_t mb = tiny ? (20u << 10) : (1u << 20);  // --tiny: 20 KB for each megabyte
    const Case cases[] = {
        {"byte-order mark, 10 rules a section", "\xEF\xBB\xBF", 2 * mb, 10},
        {"comment line, 1 rule a section", "; edited by hand\r\n", 2 * mb, 1},
        {"comment line, sections without rules", "", 2 * mb, 0},
        {"plain, 10 rules a section", "", 100 * mb, 10},
        {"byte-order mark, 10 rules a section", "\xEF\xBB\xBF", 100 * mb, 10},
    };

    SettingsAside settings;
    if (!settings.Problem().empty()) {
        std::fprintf(stderr, "IniLoadBench: %s\n", settings.Problem().c_str());
        return 1;
    }
    std::printf("Load of a freshly written RegUser.ini through %s\\VtPestrolSet.dll\n", Narrow(suite).c_str());
    std::printf("memory: peak during the run, in brackets its growth over the value before Load\n\n");
    std::printf("%-40s %9s %10s %24s %24s\n", "file", "size", "Load", "peak working set", "peak private bytes");
    int failures = 0;
    size_t number = 0;
    for (const Case& c : cases) {
        ++number;
        if (only && number != only) continue;
        std::vector<double> times;
        uint64_t size = 0, baseWs = 0, peakWs = 0, basePf = 0, peakPf = 0;
        std::string problem;
        for (int run = 0; run < runs && problem.empty(); ++run) {
            if (!WriteCase(c, settings.Folder())) {
                problem = "cannot write the file";
                break;
            }
            WIN32_FILE_ATTRIBUTE_DATA data = {};
            ::GetFileAttributesExW((settings.Folder() + L"\\RegUser.ini").c_str(), GetFileExInfoStandard, &data);
            size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            bool timedOut = false;
            PROCESS_MEMORY_COUNTERS peaks = {};
            const std::string output = RunChildProcess(suite, timeoutSeconds * 1000, timedOut, peaks);
            double ms = 0;
            unsigned long long runBaseWs = 0, runPeakWs = 0, runBasePf = 0, runPeakPf = 0;
            const size_t at = output.find("RESULT ");
            char text[160];
            if (timedOut) {
                std::snprintf(text, sizeof text, "did not finish in %u s; peaks by then %.1f MB, %.1f MB",
                              static_cast<unsigned>(timeoutSeconds), Megabytes(peaks.PeakWorkingSetSize),
                              Megabytes(peaks.PeakPagefileUsage));
                problem = text;
            } else if (at == std::string::npos ||
                       std::sscanf(output.c_str() + at, "RESULT %lf %llu %llu %llu %llu", &ms, &runBaseWs, &runPeakWs,
                                   &runBasePf, &runPeakPf) != 5) {
                problem = "the child failed: " + output;
                ++failures;
            } else {
                times.push_back(ms);
                // The largest growth of the runs, with its run's values.
                if (runPeakWs - runBaseWs >= peakWs - baseWs) {
                    baseWs = runBaseWs;
                    peakWs = runPeakWs;
                }
                if (runPeakPf - runBasePf >= peakPf - basePf) {
                    basePf = runBasePf;
                    peakPf = runPeakPf;
                }
            }
        }
        if (!problem.empty())
            std::printf("%-40s %7.1f MB  %s\n", c.name, Megabytes(size), problem.c_str());
        else
            std::printf("%-40s %7.1f MB %8.0f ms %9.1f MB (+%7.1f MB) %9.1f MB (+%7.1f MB)\n", c.name, Megabytes(size),
                        SpreadOf(times).median, Megabytes(peakWs), Megabytes(peakWs - baseWs), Megabytes(peakPf),
                        Megabytes(peakPf - basePf));
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}
