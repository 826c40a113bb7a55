#include "tests/faults/worker_batches.h"

#include <cstdio>
#include <cstdlib>

#include "tests/support/child_process.h"
#include "tests/support/test_files.h"
#include "tests/faults/fault_args.h"

namespace {

// "done 12 rest" -> 12 and "rest"; false for other lines.
bool ParseIndexed(const std::string& line, const char* word, uint32_t& index, std::string& rest) {
    const std::string prefix = std::string(word) + " ";
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    char* end = nullptr;
    unsigned long value = std::strtoul(line.c_str() + prefix.size(), &end, 10);
    if (end == line.c_str() + prefix.size()) return false;
    index = static_cast<uint32_t>(value);
    rest = (*end == ' ') ? std::string(end + 1) : std::string(end);
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(text.substr(begin, end - begin));
    return lines;
}

std::string Hex(DWORD code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

}  // namespace

BatchRun RunInWorkers(const BatchPlan& plan) {
    BatchRun run;
    const uint32_t batch = plan.batch ? plan.batch : 1;
    uint32_t next = 0;
    while (next < plan.count) {
        const uint32_t to = (plan.count - next > batch) ? next + batch : plan.count;
        const std::wstring results =
            plan.scratchFolder + L"\\worker-" + std::to_wstring(run.workers) + L".txt";
        ::DeleteFileW(results.c_str());
        std::wstring commandLine = L"\"" + ProgramPath() + L"\" " + plan.workerArguments + L" --worker " +
                                   std::to_wstring(next) + L" --to " + std::to_wstring(to) + L" --results \"" + results +
                                   L"\"";
        testing_support::ChildProcess worker;
        if (!worker.Start(commandLine)) {
            run.startFailed = true;
            return run;
        }
        ++run.workers;
        const DWORD timeoutMs = plan.baseTimeoutMs + plan.perIterationMs * (to - next);
        const bool hung = !worker.WaitForExit(timeoutMs);
        if (hung) worker.Terminate(0xDEAD);
        const DWORD exitCode = worker.ExitCode();

        std::vector<bool> done(to - next, false);
        std::string crashLine;
        for (const std::string& line : SplitLines(testing_support::ReadBytes(results))) {
            run.lines.push_back(line);
            uint32_t index = 0;
            std::string rest;
            if (ParseIndexed(line, "done", index, rest) && index >= next && index < to) done[index - next] = true;
            if (ParseIndexed(line, "crash", index, rest)) crashLine = rest;
        }
        uint32_t firstMissing = to;
        for (uint32_t i = next; i < to; ++i)
            if (!done[i - next]) {
                firstMissing = i;
                break;
            }
        if (firstMissing == to) {
            // Every iteration finished; a bad end is the unload's or the exit's.
            if (exitCode != 0) run.crashes.push_back({to - 1, "exit code " + Hex(exitCode) + " after its last iteration"});
            next = to;
            continue;
        }
        if (hung)
            run.hangs.push_back({firstMissing, "no end within " + std::to_string(timeoutMs) + " ms"});
        else
            run.crashes.push_back({firstMissing, crashLine.empty() ? "exit code " + Hex(exitCode) : "crash " + crashLine});
        next = firstMissing + 1;
    }
    return run;
}

std::vector<std::string> DoneDetails(const BatchRun& run, uint32_t count) {
    std::vector<std::string> details(count);
    for (const std::string& line : run.lines) {
        uint32_t index = 0;
        std::string rest;
        if (ParseIndexed(line, "done", index, rest) && index < count) details[index] = rest.empty() ? "-" : rest;
    }
    return details;
}
