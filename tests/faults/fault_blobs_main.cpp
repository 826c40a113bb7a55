// FaultBlobs: damaged settings blobs through the real plug-in's Import.
// Every blob comes from a real Export of realistic settings files, damaged
// in one of several ways; Import must never crash, and whenever it refuses a
// blob the three settings files must be exactly as they were.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/support/plugin_library.h"
#include "tests/support/test_files.h"
#include "tests/faults/blob_mutation.h"
#include "tests/faults/database_mutation.h"
#include "tests/faults/fault_args.h"
#include "tests/faults/guarded_bytes.h"
#include "tests/faults/realistic_settings.h"
#include "tests/faults/settings_sandbox.h"
#include "tests/faults/worker_batches.h"
#include "tests/faults/worker_report.h"

using namespace testing_support;

namespace {

const uint64_t kDefaultSeed = 0x5EEDB10Bu;
const int kExitViolation = 1;
const int kExitSetup = 2;

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// ---- worker ---------------------------------------------------------------

struct FileState {
    bool exists;
    std::string bytes;
};

FileState StateOf(const std::wstring& path) { return {FileExists(path), ReadBytes(path)}; }

void RestorePristine(const std::wstring& pristine, const std::wstring& settings) {
    for (const wchar_t* name : kSettingsFileNames)
        ::CopyFileW((pristine + L"\\" + name).c_str(), (settings + L"\\" + name).c_str(), FALSE);
    ::DeleteFileW((settings + L"\\QRegUser.rdb.discarded").c_str());
}

// What Import did, judged from the files afterwards.
std::string Verdict(LONG result, const std::vector<uint8_t>& blob, const std::wstring& pristine,
                    const std::wstring& settings) {
    const BlobHeader header = ReadBlobHeader(blob);
    if (result == 0) {
        for (const wchar_t* name : kSettingsFileNames) {
            const FileState now = StateOf(settings + L"\\" + name);
            if (!now.exists || now.bytes != ReadBytes(pristine + L"\\" + name)) return "rejected changed";
        }
        return header.wellFormed && !blob.empty() ? "rejected identical well-formed" : "rejected identical";
    }
    if (result != 1) return "result-" + std::to_string(result);
    if (!header.wellFormed) return "accepted malformed";
    for (int part = 0; part < 3; ++part) {
        const std::string expected(blob.begin() + header.start[part], blob.begin() + header.end[part]);
        const std::wstring path = settings + L"\\" + kSettingsFileNames[part];
        if (ReadBytes(path) == expected && FileExists(path)) continue;
        // A user database whose first category has no name is moved aside by the load.
        if (part == 1 && !FileExists(path) && ReadBytes(path + L".discarded") == expected) continue;
        return "accepted written-wrong";
    }
    return "accepted written";
}

int RunWorker(FaultArgs& args) {
    WorkerReport report(args.Text(L"--results"));
    if (!report.Ok()) return kExitSetup;
    if (args.Has(L"--crash-at")) report.CrashAt(static_cast<uint32_t>(args.Number(L"--crash-at", 0)));
    const uint32_t from = static_cast<uint32_t>(args.Number(L"--worker", 0));
    const uint32_t to = static_cast<uint32_t>(args.Number(L"--to", from));
    const uint64_t seed = args.Number(L"--seed", kDefaultSeed);
    const std::wstring pristine = args.Text(L"--pristine");
    const std::wstring settings = SettingsFolder();

    PluginLibrary library(SuiteDir());
    IProductOption* plugin = library.CreatePlugin();
    if (!plugin) {
        report.Line("error the plug-in could not be created from " + Narrow(SuiteDir()));
        return kExitSetup;
    }
    RestorePristine(pristine, settings);
    DWORD size = 0;
    plugin->Export(nullptr, &size);
    std::vector<uint8_t> base(size);
    if (size < 24 || plugin->Export(base.data(), &size) != 1 || size != base.size()) {
        report.Line("error Export gave no blob");
        plugin->Release();
        return kExitSetup;
    }
    // A user database beyond the limits, for the blobs that carry one.
    ScratchDir scratch(L"fault-blobs-worker");
    std::vector<uint8_t> overLimit;
    const std::wstring overLimitPath = scratch.File(L"QRegUser.rdb");
    if (::CopyFileW((pristine + L"\\QRegUser.rdb").c_str(), overLimitPath.c_str(), FALSE) &&
        MakeOverLimitDatabase(overLimitPath)) {
        const std::string bytes = ReadBytes(overLimitPath);
        overLimit.assign(bytes.begin(), bytes.end());
    }
    const BlobHeader header = ReadBlobHeader(base);
    report.Line("base " + std::to_string(base.size()) + " " + std::to_string(header.end[0] - header.start[0]) + " " +
                std::to_string(header.end[1] - header.start[1]) + " " +
                std::to_string(header.end[2] - header.start[2]));

    for (uint32_t i = from; i < to; ++i) {
        report.Begin(i);
        RestorePristine(pristine, settings);
        FaultRandom random(seed, i);
        std::string kind;
        const std::vector<uint8_t> blob = MutateBlob(base, random, kind, overLimit.empty() ? nullptr : &overLimit);
        GuardedBytes guarded(blob);
        if (!guarded.Ok()) {
            report.Line("error no memory for blob " + std::to_string(i));
            continue;
        }
        const LONG result = plugin->Import(guarded.Data(), guarded.Size());
        report.Done(i, kind + " " + Verdict(result, blob, pristine, settings));
    }
    plugin->Release();
    return 0;
}

// ---- parent ---------------------------------------------------------------

struct KindFigures {
    uint32_t blobs = 0, accepted = 0, rejected = 0, identical = 0;
};

int RunParent(FaultArgs& args) {
    const uint32_t count = static_cast<uint32_t>(args.Number(L"--count", 1000));
    const uint64_t seed = args.Number(L"--seed", kDefaultSeed);
    const uint32_t batch = static_cast<uint32_t>(args.Number(L"--batch", 100));
    if (!args.Error().empty()) {
        std::fprintf(stderr, "FaultBlobs: %s\n", Narrow(args.Error()).c_str());
        return kExitSetup;
    }
    std::printf("FaultBlobs: %u damaged settings blobs through the plug-in's Import, seed %s\n", count,
                Hex(seed).c_str());
    std::fflush(stdout);

    ScratchDir scratch(L"fault-blobs");
    const std::wstring pristine = scratch.File(L"pristine");
    ::CreateDirectoryW(pristine.c_str(), nullptr);
    SettingsSandbox sandbox;
    if (!sandbox.Ready() || !WriteRealisticSettings(pristine)) {
        std::fprintf(stderr, "FaultBlobs: the settings folder or the realistic settings could not be prepared\n");
        return kExitSetup;
    }

    BatchPlan plan;
    plan.workerArguments = L"--seed " + std::to_wstring(seed) + L" --pristine \"" + pristine + L"\"";
    if (args.Has(L"--crash-at")) plan.workerArguments += L" --crash-at " + args.Text(L"--crash-at");
    plan.scratchFolder = scratch.Path();
    plan.count = count;
    plan.batch = batch;
    plan.perIterationMs = 5000;
    const DWORD started = ::GetTickCount();
    const BatchRun run = RunInWorkers(plan);
    const DWORD elapsed = ::GetTickCount() - started;

    std::string base;
    bool baseDiffers = false;
    for (const std::string& line : run.lines) {
        if (line.compare(0, 5, "base ") == 0) {
            if (!base.empty() && base != line) baseDiffers = true;
            base = line;
        }
        if (line.compare(0, 6, "error ") == 0) std::printf("  worker: %s\n", line.c_str());
    }
    unsigned size = 0, s1 = 0, s2 = 0, s3 = 0;
    if (std::sscanf(base.c_str(), "base %u %u %u %u", &size, &s1, &s2, &s3) == 4)
        std::printf("base blob: %u bytes (RegUser.ini %u, QRegUser.rdb %u, QRegEx.ini %u)\n", size, s1, s2, s3);

    std::map<std::string, KindFigures> byKind;
    uint32_t accepted = 0, rejected = 0, identical = 0, rejectedChanged = 0, acceptedMalformed = 0, writtenWrong = 0,
             oddResults = 0, rejectedWellFormed = 0, finished = 0;
    const std::vector<std::string> details = DoneDetails(run, count);
    for (const std::string& d : details) {
        if (d.empty()) continue;
        ++finished;
        const std::string kind = d.substr(0, d.find(' '));
        KindFigures& k = byKind[kind];
        ++k.blobs;
        if (d.find(" rejected ") != std::string::npos) {
            ++rejected;
            ++k.rejected;
            if (d.find(" identical") != std::string::npos) {
                ++identical;
                ++k.identical;
            } else {
                ++rejectedChanged;
            }
            if (d.find("well-formed") != std::string::npos) ++rejectedWellFormed;
        } else if (d.find(" accepted ") != std::string::npos) {
            ++accepted;
            ++k.accepted;
            if (d.find("malformed") != std::string::npos) ++acceptedMalformed;
            if (d.find("written-wrong") != std::string::npos) ++writtenWrong;
        } else {
            ++oddResults;
        }
    }

    std::printf("\n%-18s %7s %9s %9s %22s\n", "damage", "blobs", "accepted", "rejected", "identical after reject");
    for (const std::string& kind : BlobMutationKinds()) {
        const KindFigures& k = byKind[kind];
        std::printf("%-18s %7u %9u %9u %22u\n", kind.c_str(), k.blobs, k.accepted, k.rejected, k.identical);
    }
    std::printf("%-18s %7u %9u %9u %22u\n", "all", finished, accepted, rejected, identical);
    std::printf("\ncrashes %zu, hangs %zu, worker processes %u, %.1f s\n", run.crashes.size(), run.hangs.size(),
                run.workers, elapsed / 1000.0);
    std::printf("rejected but files changed %u, accepted although malformed %u, accepted but written wrong %u, "
                "other results %u\n",
                rejectedChanged, acceptedMalformed, writtenWrong, oddResults);
    std::printf("well-formed blobs rejected %u (not a fault: only a wrong header must be refused)\n",
                rejectedWellFormed);
    for (const WorkerIncident& c : run.crashes) std::printf("  crash in blob %u: %s\n", c.iteration, c.what.c_str());
    for (const WorkerIncident& h : run.hangs) std::printf("  hang in blob %u: %s\n", h.iteration, h.what.c_str());

    const bool violated = run.startFailed || baseDiffers || base.empty() || !run.crashes.empty() ||
                          !run.hangs.empty() || rejectedChanged || acceptedMalformed || writtenWrong || oddResults ||
                          finished + run.crashes.size() + run.hangs.size() < count;
    std::printf("%s\n", violated ? "FAILED" : "passed");
    return violated ? kExitViolation : 0;
}

}  // namespace

int main() { return RunFaultProgram("FaultBlobs", "FaultBlobs [--count N] [--seed S] [--batch B] [--crash-at I]", RunWorker, RunParent); }
