// FaultDatabases: damaged rule databases under the real plug-in's Load.
// Each round puts one damaged database in the place of the shipped
// per-language library, RegLib.rdb or the user database, and has the
// plug-in load.  Load must never crash or hang, and it must never write the
// shipped files, whatever they hold.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/support/plugin_library.h"
#include "tests/support/test_files.h"
#include "tests/faults/database_mutation.h"
#include "tests/faults/fault_args.h"
#include "tests/faults/realistic_settings.h"
#include "tests/faults/settings_sandbox.h"
#include "tests/faults/worker_batches.h"
#include "tests/faults/worker_report.h"

using namespace testing_support;

namespace {

const uint64_t kDefaultSeed = 0xDA7AB05Eu;
const int kExitViolation = 1;
const int kExitSetup = 2;
// The library is loaded in English, so the shipped file is QRegEx0409.rdb.
const wchar_t kLibraryName[] = L"QRegEx0409.rdb";
// A Load that waited for the retry of an empty library.
const DWORD kRetryShowsAfterMs = 3500;

struct Target {
    const char* name;
    DatabaseLayout layout;
};
const Target kTargets[] = {{"library", DatabaseLayout::Categories},
                           {"reglib", DatabaseLayout::RuleLibrary},
                           {"userdb", DatabaseLayout::Categories}};

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// Where each file lies in this run.
struct Places {
    std::wstring pristine;  // good copies of all five files
    std::wstring data;      // the scratch suite's data folder
    std::wstring settings;  // the per-user settings folder

    std::wstring TargetPath(int target) const {
        if (target == 0) return data + L"\\" + kLibraryName;
        if (target == 1) return data + L"\\RegLib.rdb";
        return settings + L"\\QRegUser.rdb";
    }
};

// A file, or a folder that a damage put in its place, replaced by a good copy.
void Restore(const std::wstring& from, const std::wstring& to) {
    const DWORD attributes = ::GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) RemoveTree(to);
    ::CopyFileW(from.c_str(), to.c_str(), FALSE);
}

void RestoreAll(const Places& places) {
    Restore(places.pristine + L"\\" + kLibraryName, places.TargetPath(0));
    Restore(places.pristine + L"\\RegLib.rdb", places.TargetPath(1));
    for (const wchar_t* name : kSettingsFileNames)
        Restore(places.pristine + L"\\" + name, places.settings + L"\\" + name);
    ::DeleteFileW((places.settings + L"\\QRegUser.rdb.discarded").c_str());
}

// ---- worker ---------------------------------------------------------------

int RunWorker(FaultArgs& args) {
    WorkerReport report(args.Text(L"--results"));
    if (!report.Ok()) return kExitSetup;
    if (args.Has(L"--crash-at")) report.CrashAt(static_cast<uint32_t>(args.Number(L"--crash-at", 0)));
    const uint32_t from = static_cast<uint32_t>(args.Number(L"--worker", 0));
    const uint32_t to = static_cast<uint32_t>(args.Number(L"--to", from));
    const uint64_t seed = args.Number(L"--seed", kDefaultSeed);
    const std::wstring suite = args.Text(L"--suite");
    Places places{args.Text(L"--pristine"), suite + L"\\AntiVirus\\Data", SettingsFolder()};

    PluginLibrary library(suite);
    IProductOption* plugin = library.CreatePlugin();
    if (!plugin) {
        report.Line("error the plug-in could not be created from " + Narrow(suite));
        return kExitSetup;
    }
    for (uint32_t i = from; i < to; ++i) {
        report.Begin(i);
        RestoreAll(places);
        FaultRandom random(seed, i);
        const int target = static_cast<int>(random.Below(3));
        const std::string kind = MutateDatabase(places.TargetPath(target), kTargets[target].layout, random);
        const std::string shippedBefore[2] = {ReadBytes(places.TargetPath(0)), ReadBytes(places.TargetPath(1))};

        const DWORD start = ::GetTickCount();
        plugin->Load();
        const DWORD ms = ::GetTickCount() - start;

        std::string outcome = "ok";
        if (ReadBytes(places.TargetPath(0)) != shippedBefore[0] || ReadBytes(places.TargetPath(1)) != shippedBefore[1])
            outcome = "shipped-file-written";
        else if (FileExists(places.settings + L"\\QRegUser.rdb.discarded"))
            outcome = "user-database-discarded";
        report.Done(i, std::string(kTargets[target].name) + " " + kind + " " + std::to_string(ms) + " " + outcome);
    }
    plugin->Release();
    return 0;
}

// ---- parent ---------------------------------------------------------------

bool PrepareSuite(const std::wstring& suite, const std::wstring& pristine) {
    if (!CopyTree(SuiteDir(), suite)) return false;
    if (!WriteBytes(suite + L"\\QZInstall.ini", "[Suite]\r\nLanguageId=0x0409\r\n")) return false;
    const std::wstring data = suite + L"\\AntiVirus\\Data\\";
    return ::CopyFileW((data + kLibraryName).c_str(), (pristine + L"\\" + kLibraryName).c_str(), FALSE) &&
           ::CopyFileW((data + L"RegLib.rdb").c_str(), (pristine + L"\\RegLib.rdb").c_str(), FALSE) &&
           WriteRealisticSettings(pristine);
}

int RunParent(FaultArgs& args) {
    const uint32_t count = static_cast<uint32_t>(args.Number(L"--count", 500));
    const uint64_t seed = args.Number(L"--seed", kDefaultSeed);
    const uint32_t batch = static_cast<uint32_t>(args.Number(L"--batch", 50));
    if (!args.Error().empty()) {
        std::fprintf(stderr, "FaultDatabases: %s\n", Narrow(args.Error()).c_str());
        return kExitSetup;
    }
    std::printf("FaultDatabases: %u damaged rule databases under the plug-in's Load, seed %s\n", count,
                Hex(seed).c_str());
    std::fflush(stdout);

    ScratchDir scratch(L"fault-databases");
    const std::wstring suite = scratch.File(L"suite");
    const std::wstring pristine = scratch.File(L"pristine");
    ::CreateDirectoryW(pristine.c_str(), nullptr);
    SettingsSandbox sandbox;
    if (!sandbox.Ready() || !PrepareSuite(suite, pristine)) {
        std::fprintf(stderr, "FaultDatabases: the scratch suite or the settings folder could not be prepared\n");
        return kExitSetup;
    }

    BatchPlan plan;
    plan.workerArguments = L"--seed " + std::to_wstring(seed) + L" --suite \"" + suite + L"\" --pristine \"" +
                           pristine + L"\"";
    if (args.Has(L"--crash-at")) plan.workerArguments += L" --crash-at " + args.Text(L"--crash-at");
    plan.scratchFolder = scratch.Path();
    plan.count = count;
    plan.batch = batch;
    plan.perIterationMs = 20000;  // a Load may wait 4 s for the library's retry
    const DWORD started = ::GetTickCount();
    const BatchRun run = RunInWorkers(plan);
    const DWORD elapsed = ::GetTickCount() - started;
    for (const std::string& line : run.lines)
        if (line.compare(0, 6, "error ") == 0) std::printf("  worker: %s\n", line.c_str());

    // counts[target][kind]
    std::map<std::string, std::map<std::string, uint32_t>> counts;
    uint32_t finished = 0, written = 0, discarded = 0, retried = 0, failedDamage = 0;
    std::vector<DWORD> times;
    for (const std::string& d : DoneDetails(run, count)) {
        if (d.empty()) continue;
        char target[32] = {}, kind[64] = {}, outcome[64] = {};
        unsigned long ms = 0;
        if (std::sscanf(d.c_str(), "%31s %63s %lu %63s", target, kind, &ms, outcome) != 4) continue;
        ++finished;
        std::string kindName = kind;
        if (kindName.size() > 7 && kindName.compare(kindName.size() - 7, 7, "-failed") == 0) {
            ++failedDamage;
            kindName = "(not done)";
        }
        ++counts[kindName][target];
        times.push_back(ms);
        if (ms >= kRetryShowsAfterMs) ++retried;
        if (std::string(outcome) == "shipped-file-written") ++written;
        if (std::string(outcome) == "user-database-discarded") ++discarded;
    }

    std::printf("\n%-20s %8s %8s %8s\n", "damage", "library", "reglib", "userdb");
    std::vector<std::string> kinds = DatabaseMutationKinds();
    kinds.push_back("(not done)");
    for (const std::string& kind : kinds) {
        auto& row = counts[kind];
        std::printf("%-20s %8u %8u %8u\n", kind.c_str(), row["library"], row["reglib"], row["userdb"]);
    }
    std::sort(times.begin(), times.end());
    const DWORD median = times.empty() ? 0 : times[times.size() / 2];
    const DWORD slowest = times.empty() ? 0 : times.back();
    std::printf("\nloads %u, crashes %zu, hangs %zu, worker processes %u, %.1f s\n", finished, run.crashes.size(),
                run.hangs.size(), run.workers, elapsed / 1000.0);
    std::printf("load time: median %lu ms, slowest %lu ms; loads that waited for the library retry %u\n",
                static_cast<unsigned long>(median), static_cast<unsigned long>(slowest), retried);
    std::printf("user databases moved aside as discarded %u; shipped files written by Load %u; damages not done %u\n",
                discarded, written, failedDamage);
    for (const WorkerIncident& c : run.crashes) std::printf("  crash in round %u: %s\n", c.iteration, c.what.c_str());
    for (const WorkerIncident& h : run.hangs) std::printf("  hang in round %u: %s\n", h.iteration, h.what.c_str());

    const bool violated = run.startFailed || !run.crashes.empty() || !run.hangs.empty() || written ||
                          finished + run.crashes.size() + run.hangs.size() < count;
    std::printf("%s\n", violated ? "FAILED" : "passed");
    return violated ? kExitViolation : 0;
}

}  // namespace

int main() { return RunFaultProgram("FaultDatabases", "FaultDatabases [--count N] [--seed S] [--batch B] [--crash-at I]", RunWorker, RunParent); }
