// LockContention: two processes take turns at one user database through the
// plug-in's own storage code, each round writing a database of its own and
// reading whatever is there.  Every database written describes itself, so
// each read can be checked for being one whole database.  The rule
// database lock is what keeps the two apart; the figures show how often an
// operation had to wait for the other process, compared with the same
// rounds run by one process alone.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "win/raii.h"
#include "rules/rule_database.h"
#include "tests/support/child_process.h"
#include "tests/support/test_files.h"
#include "tests/faults/fault_args.h"
#include "tests/faults/fault_random.h"
#include "tests/faults/stamped_database.h"
#include "tests/faults/worker_report.h"

using namespace testing_support;

namespace {

const uint64_t kDefaultSeed = 0x10CC0DE5u;
const int kExitViolation = 1;
const int kExitSetup = 2;
const DWORD kReadyWaitMs = 60000;
const size_t kMaxProblemsShown = 5;

// Microseconds since an arbitrary start.
uint64_t NowMicroseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart) * 1000000u / static_cast<uint64_t>(frequency.QuadPart);
}

// What one write or one read gave.
enum class ReadOutcome { Own, Other, Failed, Invalid };

struct Op {
    bool write;
    bool ok;
    uint64_t micros;
};

// One round: a stamped database written, then whatever is there read back.
struct RoundResult {
    Op write, read;
    ReadOutcome outcome;
    std::string problem;
};

RoundResult RunRound(const std::wstring& path, uint32_t writer, uint32_t round, uint64_t seed) {
    RoundResult result = {};
    FaultRandom random(seed, writer * 1000003ull + round);
    DatabaseStamp stamp;
    stamp.writer = writer;
    stamp.round = round;
    stamp.categories = random.Between(1, 12);
    std::vector<RuleCategory> database = BuildStampedDatabase(stamp);
    uint64_t start = NowMicroseconds();
    const bool wrote = WriteCategories(path.c_str(), database.data(), stamp.categories) == 1;
    result.write = {true, wrote, NowMicroseconds() - start};
    ClearItems(database.data(), stamp.categories);

    std::vector<RuleCategory> read(kMaxCategories);
    std::memset(read.data(), 0, read.size() * sizeof(RuleCategory));
    start = NowMicroseconds();
    const uint32_t n = ReadCategories(path.c_str(), read.data(), kMaxCategories);
    result.read = {false, n != 0, NowMicroseconds() - start};
    DatabaseStamp seen;
    if (n == 0)
        result.outcome = ReadOutcome::Failed;
    else if (!VerifyStampedDatabase(read.data(), n, seen, result.problem))
        result.outcome = ReadOutcome::Invalid;
    else
        result.outcome = seen.writer == writer ? ReadOutcome::Own : ReadOutcome::Other;
    ClearItems(read.data(), n);
    return result;
}

// ---- worker ---------------------------------------------------------------

int RunWorker(FaultArgs& args) {
    WorkerReport report(args.Text(L"--results"));
    if (!report.Ok()) return kExitSetup;
    const uint32_t writer = static_cast<uint32_t>(args.Number(L"--worker", 0));
    const uint32_t rounds = static_cast<uint32_t>(args.Number(L"--rounds", 500));
    const uint64_t seed = args.Number(L"--seed", kDefaultSeed);
    const std::wstring path = args.Text(L"--path");
    const std::wstring sync = args.Text(L"--sync");

    UniqueHandle ready(::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, (sync + L"-ready").c_str()));
    UniqueHandle go(::OpenEventW(SYNCHRONIZE, FALSE, (sync + L"-go").c_str()));
    if (!ready || !go) {
        report.Line("error the start signals are missing");
        return kExitSetup;
    }
    ::ReleaseSemaphore(ready.get(), 1, nullptr);
    ::WaitForSingleObject(go.get(), kReadyWaitMs);

    uint32_t invalid = 0;
    for (uint32_t round = 0; round < rounds; ++round) {
        report.Begin(round);
        const RoundResult r = RunRound(path, writer, round, seed);
        const char* outcome = r.outcome == ReadOutcome::Own      ? "own"
                              : r.outcome == ReadOutcome::Other  ? "other"
                              : r.outcome == ReadOutcome::Failed ? "failed"
                                                                 : "invalid";
        report.Done(round, std::string(r.write.ok ? "wrote " : "write-failed ") + std::to_string(r.write.micros) +
                               " " + outcome + " " + std::to_string(r.read.micros));
        if (r.outcome == ReadOutcome::Invalid && ++invalid <= kMaxProblemsShown)
            report.Line("invalid worker " + std::to_string(writer) + " round " + std::to_string(round) + ": " +
                        r.problem);
    }
    return 0;
}
// ---- parent ---------------------------------------------------------------

// Durations of one kind of operation, in microseconds.
struct Durations {
    std::vector<uint64_t> micros;
    uint64_t Quantile(double q) const {
        if (micros.empty()) return 0;
        std::vector<uint64_t> sorted = micros;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<size_t>(q * (sorted.size() - 1))];
    }
};

struct Figures {
    uint32_t writes = 0, writeFailed = 0, reads = 0, own = 0, other = 0, readFailed = 0, invalid = 0;
    Durations write, read;
};

// The same rounds by one process alone: how long an operation takes when
// nobody else holds the file.  The first rounds warm up and are not counted.
void Calibrate(const std::wstring& path, uint32_t rounds, uint64_t seed, Figures& solo) {
    const uint32_t warmUp = 10;
    for (uint32_t round = 0; round < rounds + warmUp; ++round) {
        const RoundResult r = RunRound(path, 0, round, seed);
        if (round < warmUp) continue;
        solo.write.micros.push_back(r.write.micros);
        solo.read.micros.push_back(r.read.micros);
    }
}

// Operations slower than 95 % of the solo ones (so about 5 % would be
// counted even without contention), and their time beyond the solo median.
struct Waits {
    uint32_t count = 0;
    uint64_t extraMicros = 0;
};
Waits WaitsOf(const Durations& contended, const Durations& solo) {
    Waits waits;
    const uint64_t threshold = solo.Quantile(0.95), median = solo.Quantile(0.5);
    for (uint64_t us : contended.micros)
        if (us > threshold) {
            ++waits.count;
            waits.extraMicros += us - median;
        }
    return waits;
}

bool ReadWorkerResults(const std::wstring& path, Figures& figures, std::vector<std::string>& notes) {
    const std::string text = ReadBytes(path);
    bool any = false;
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
        const std::string line = text.substr(begin, end - begin);
        char wrote[16] = {}, outcome[16] = {};
        unsigned long long writeUs = 0, readUs = 0;
        if (std::sscanf(line.c_str(), "done %*u %15s %llu %15s %llu", wrote, &writeUs, outcome, &readUs) != 4) {
            notes.push_back(line);
            continue;
        }
        any = true;
        ++figures.writes;
        ++figures.reads;
        if (std::string(wrote) != "wrote") ++figures.writeFailed;
        const std::string o = outcome;
        if (o == "own") ++figures.own;
        else if (o == "other") ++figures.other;
        else if (o == "failed") ++figures.readFailed;
        else ++figures.invalid;
        figures.write.micros.push_back(writeUs);
        figures.read.micros.push_back(readUs);
    }
    return any;
}

void PrintDurations(const char* what, const Durations& d) {
    std::printf("  %-28s median %6.2f ms, 95%% %6.2f ms, slowest %7.2f ms\n", what, d.Quantile(0.5) / 1000.0,
                d.Quantile(0.95) / 1000.0, d.Quantile(1.0) / 1000.0);
}

int RunParent(FaultArgs& args) {
    const uint32_t rounds = static_cast<uint32_t>(args.Number(L"--rounds", 500));
    const uint64_t seed = args.Number(L"--seed", kDefaultSeed);
    if (!args.Error().empty()) {
        std::fprintf(stderr, "LockContention: %s\n", Narrow(args.Error()).c_str());
        return kExitSetup;
    }
    std::printf("LockContention: 2 processes x %u rounds of write + read on one user database, seed 0x%llX\n",
                rounds, static_cast<unsigned long long>(seed));
    std::fflush(stdout);

    ScratchDir scratch(L"lock-contention");
    Figures solo;
    Calibrate(scratch.File(L"solo.rdb"), rounds < 100 ? rounds : 100, seed, solo);

    const std::wstring path = scratch.File(L"QRegUser.rdb");
    const std::wstring sync = L"VtpsLockContention-" + std::to_wstring(::GetCurrentProcessId());
    UniqueHandle ready(::CreateSemaphoreW(nullptr, 0, 2, (sync + L"-ready").c_str()));
    UniqueHandle go(::CreateEventW(nullptr, TRUE, FALSE, (sync + L"-go").c_str()));
    if (!ready || !go) return kExitSetup;

    testing_support::ChildProcess processes[2];
    std::wstring results[2];
    for (uint32_t w = 0; w < 2; ++w) {
        results[w] = scratch.File((L"worker-" + std::to_wstring(w) + L".txt").c_str());
        std::wstring commandLine = L"\"" + ProgramPath() + L"\" --worker " + std::to_wstring(w) + L" --rounds " +
                                   std::to_wstring(rounds) + L" --seed " + std::to_wstring(seed) + L" --path \"" +
                                   path + L"\" --sync " + sync + L" --results \"" + results[w] + L"\"";
        if (!processes[w].Start(commandLine)) {
            std::fprintf(stderr, "LockContention: a worker could not be started\n");
            return kExitSetup;
        }
    }
    // Both start together, so they contend from the first round on.
    for (int w = 0; w < 2; ++w) ::WaitForSingleObject(ready.get(), kReadyWaitMs);
    const DWORD started = ::GetTickCount();
    ::SetEvent(go.get());

    bool violated = false;
    const DWORD budgetMs = 120000 + rounds * 2000;
    for (uint32_t w = 0; w < 2; ++w) {
        if (!processes[w].WaitForExit(budgetMs)) {
            processes[w].Terminate(0xDEAD);
            std::printf("worker %u: hang (no end within %lu ms)\n", w, static_cast<unsigned long>(budgetMs));
            violated = true;
        }
    }
    const DWORD elapsed = ::GetTickCount() - started;

    Figures all;
    std::printf("\n");
    for (uint32_t w = 0; w < 2; ++w) {
        Figures f;
        std::vector<std::string> notes;
        const bool any = ReadWorkerResults(results[w], f, notes);
        for (const std::string& note : notes) std::printf("  worker %u: %s\n", w, note.c_str());
        const DWORD code = processes[w].ExitCode();
        if (code != 0 || !any || f.reads != rounds) {
            std::printf("worker %u: ended with exit code 0x%08lX after %u of %u rounds\n", w,
                        static_cast<unsigned long>(code), f.reads, rounds);
            violated = true;
        }
        std::printf("worker %u: writes %u (failed to open %u); reads %u: whole databases %u (own %u, the other's "
                    "%u), failed to open %u, invalid %u\n",
                    w, f.writes, f.writeFailed, f.reads, f.own + f.other, f.own, f.other, f.readFailed, f.invalid);
        all.writes += f.writes;
        all.writeFailed += f.writeFailed;
        all.reads += f.reads;
        all.own += f.own;
        all.other += f.other;
        all.readFailed += f.readFailed;
        all.invalid += f.invalid;
        all.write.micros.insert(all.write.micros.end(), f.write.micros.begin(), f.write.micros.end());
        all.read.micros.insert(all.read.micros.end(), f.read.micros.begin(), f.read.micros.end());
    }

    const Waits writeWaits = WaitsOf(all.write, solo.write), readWaits = WaitsOf(all.read, solo.read);
    std::printf("\ntimes (one process alone, then both together):\n");
    PrintDurations("write, alone", solo.write);
    PrintDurations("write, contended", all.write);
    PrintDurations("read, alone", solo.read);
    PrintDurations("read, contended", all.read);
    std::printf("waits (slower than 95%% of solo operations): %u of %u writes, %.1f ms in all; %u of %u reads, %.1f ms "
                "in all\n",
                writeWaits.count, all.writes, writeWaits.extraMicros / 1000.0, readWaits.count, all.reads,
                readWaits.extraMicros / 1000.0);
    std::printf("\n%.1f s; whole databases read %u of %u, invalid reads %u, reads failed to open %u, writes failed "
                "to open %u\n",
                elapsed / 1000.0, all.own + all.other, all.reads, all.invalid, all.readFailed, all.writeFailed);
    if (all.readFailed || all.writeFailed)
        std::printf("a failed open means both processes got past the file's lock at the same time, and the\n"
                    "compound file, opened for exclusive use, refused the second: a read then finds no\n"
                    "database and a write is lost\n");
    violated = violated || all.invalid != 0 || all.readFailed != 0 || all.writeFailed != 0;
    std::printf("%s\n", violated ? "FAILED" : "passed");
    return violated ? kExitViolation : 0;
}

}  // namespace

int main() { return RunFaultProgram("LockContention", "LockContention [--rounds N] [--seed S]", RunWorker, RunParent); }
