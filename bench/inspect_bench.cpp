// InspectBench: how long the inspector takes to dump and to verify the
// max-scale shipped library (998 categories x 50 items), against the
// plug-in's Load of the max-scale rule set (working copies + merge, as
// StoreBench measures it) and against the part of that Load which reads the
// library (ReadCategories into the store's 1000 places).
//
//   InspectBench [--runs N] [--tiny]
//
// Targets: dump + verify within twice the time of Load, and within twice the
// time ReadCategories takes to read the same file, in every round (all four
// are timed one after the other in each round).  --tiny measures a small
// set, only to show that the program works.  Like StoreBench, it puts the
// prefix's per-user settings folder aside while it runs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_environment.h"
#include "bench/bench_options.h"
#include "bench/machine_note.h"
#include "bench/paired_runs.h"
#include "bench/stopwatch.h"
#include "core/rule_records.h"
#include "plugin/settings_transfer.h"
#include "rules/rule_database.h"
#include "rules/rule_store.h"
#include "inspector/regdefine_check.h"
#include "inspector/rule_file.h"
#include "inspector/verify.h"
#include "rdbtool/canonical_dump.h"
#include "rdbtool/database_files.h"
#include "rdbtool/dump.h"
#include "rdbtool/file_bytes.h"
#include "rdbtool/max_set.h"

namespace {

const double kTarget = 2.0;

// One value per measured round, in round order.
struct Runs {
    std::vector<double> load, libraryRead, dump, verify, both;
};

// What "VtPsInspect dump FILE OUTPUT" does.
bool Dump(const std::wstring& file, const std::wstring& output) {
    DumpResult result;
    std::string error;
    return DumpDatabaseFile(file, 0, result, error) && WriteFileBytes(output, result.text);
}

// What "VtPsInspect verify FILE" does, short of the console.
bool Verify(const std::wstring& file) {
    const VerifyReport report = VerifyFile(file, VerifyOptions());
    std::string text = report.contents + "\n";
    for (const Finding& finding : report.findings.All()) text += FormatFinding(finding) + "\n";
    return report.verified && report.findings.Errors() == 0;
}

void Phase(const char* name, double ms) { std::printf("  %-46s %9.1f ms\n", name, ms); }

void PrintPhases(const std::wstring& file, const std::wstring& output) {
    std::printf("\nWhere the inspector's time goes (one run each)\n");
    std::string error;
    RdbKind kind = RdbKind::kCategories;
    std::vector<std::vector<uint8_t>> streams;
    Phase("dump: read the stream (ReadDatabaseStreams)",
          TimeMs([&] { ReadDatabaseStreams(file, kind, streams, error); }));
    std::string text;
    uint32_t codePage = 0;
    bool quick = false;
    Phase("dump: from the stream (DumpCanonicalRegDefine)", TimeMs([&] {
              quick = kind == RdbKind::kCategories && DumpCanonicalRegDefine(streams[0], 0, text, codePage);
          }));
    if (!quick) std::printf("  (the file did not take the quick way)\n");
    Phase("dump: write the output (WriteFileBytes)", TimeMs([&] { WriteFileBytes(output, text); }));
    RuleStreams ruleStreams;
    Phase("verify: read the streams (ReadRuleStreams)", TimeMs([&] { ReadRuleStreams(file, ruleStreams, error); }));
    FindingList findings;
    Phase("verify: check the records (CheckRegDefine)", TimeMs([&] {
              CheckRegDefine(ruleStreams.regDefine.data(), ruleStreams.regDefine.size(), RegDefineCheckOptions(),
                             findings);
          }));
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, "InspectBench", options)) return 2;
    const int runs = options.runs;
    std::printf("Machine: %s; load average %s\n", MachineLine().c_str(), LoadAverage().c_str());
    const HRESULT com = ::CoInitialize(nullptr);
    int status = 1;
    {
        BenchEnvironment environment;
        std::string problem;
        if (!environment.Ready(problem)) {
            std::fprintf(stderr, "InspectBench: %s\n", problem.c_str());
            return 1;
        }
        const MaxSetShape shape = options.Shape();
        if (!GenerateMaxSet(environment.DataFolder(), environment.SettingsFolder(), shape, problem)) {
            std::fprintf(stderr, "InspectBench: cannot write the rule set: %s\n", problem.c_str());
            return 1;
        }
        const std::wstring library = environment.DataFolder() + L"\\" + kMaxSetLibraryName;
        testing_support::ScratchDir scratch(L"inspect-bench");
        const std::wstring output = scratch.File(L"dump.rdbsrc");

        Runs measured;
        std::vector<RuleCategory> store(kMaxCategories);
        uint32_t read = 0;
        bool dumped = true, sound = true;
        // The four take turns, so that a change of the machine's load falls
        // on all alike; the first round only warms up.
        for (int run = 0; run <= runs; ++run) {
            const double load = TimeMs([] { LoadSettings(); });
            ReleaseRuleStore();
            const double libraryRead = TimeMs([&] {
                std::memset(store.data(), 0, store.size() * sizeof(RuleCategory));
                read = ReadCategories(library.c_str(), store.data(), kMaxCategories);
            });
            ClearItems(store.data(), read);
            const double dump = TimeMs([&] { dumped = Dump(library, output) && dumped; });
            const double verify = TimeMs([&] { sound = Verify(library) && sound; });
            if (run == 0) continue;
            measured.load.push_back(load);
            measured.libraryRead.push_back(libraryRead);
            measured.dump.push_back(dump);
            measured.verify.push_back(verify);
            measured.both.push_back(dump + verify);
        }
        if (read != shape.categories || !dumped || !sound) {
            std::fprintf(stderr, "InspectBench: the library did not read, dump and verify as expected\n");
            return 1;
        }
        std::printf("Shipped library: %u categories x %u items, %llu bytes; dump: %llu bytes of source\n",
                    shape.categories, shape.itemsPerCategory,
                    static_cast<unsigned long long>(testing_support::ReadBytes(library).size()),
                    static_cast<unsigned long long>(testing_support::ReadBytes(output).size()));
        std::printf("\n%d interleaved round%s after one untimed; median (least-largest, width)\n", runs,
                    runs == 1 ? "" : "s");
        const struct {
            const char* name;
            const std::vector<double>& ms;
        } rows[] = {{"Load (copies + merge of the whole set)", measured.load},
                    {"  of which reading the library (ReadCategories)", measured.libraryRead},
                    {"VtPsInspect dump FILE OUTPUT", measured.dump},
                    {"VtPsInspect verify FILE", measured.verify},
                    {"dump + verify", measured.both}};
        for (const auto& row : rows)
            std::printf("  %-48s %s\n", row.name, FormatTimes(SpreadOf(row.ms)).c_str());
        PrintPhases(library, output);
        std::printf("\nTargets, ratios per round: median (least-largest); met only when every round is within\n");
        const struct {
            const char* name;
            PairedRuns runs;
        } targets[] = {{"dump + verify / Load of the whole set:", PairedRuns(measured.both, measured.load)},
                       {"dump + verify / ReadCategories of the same file:",
                        PairedRuns(measured.both, measured.libraryRead)}};
        for (const auto& target : targets)
            std::printf("  %-48s %s  target %.0fx: %s\n", target.name, FormatRatios(target.runs.Ratio()).c_str(),
                        kTarget, VerdictText(target.runs, kTarget).c_str());
        std::printf("\nLoad average at the end: %s\n", LoadAverage().c_str());
        std::fflush(stdout);
        status = 0;
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return status;
}
