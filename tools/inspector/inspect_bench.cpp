// InspectBench: how long the inspector takes to dump and to verify the
// max-scale shipped library (998 categories x 50 items), against the
// plug-in's Load of the max-scale rule set (working copies + merge, as
// StoreBench measures it) and against the part of that Load which reads the
// library (ReadCategories into the store's 1000 places).
//
//   InspectBench [--runs N] [--tiny]
//
// Targets: dump + verify under twice the time of Load, and under twice the
// time ReadCategories takes to read the same file.  --tiny measures a
// small set, only to show that the program works.  Like StoreBench, it puts
// the prefix's per-user settings folder aside while it runs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_options.h"
#include "bench/bench_environment.h"
#include "bench/stopwatch.h"
#include "core/rule_records.h"
#include "plugin/settings_transfer.h"
#include "rules/rule_database.h"
#include "rules/rule_store.h"
#include "tools/inspector/regdefine_check.h"
#include "tools/inspector/rule_file.h"
#include "tools/inspector/verify.h"
#include "tools/rdbtool/canonical_dump.h"
#include "tools/rdbtool/database_files.h"
#include "tools/rdbtool/dump.h"
#include "tools/rdbtool/file_bytes.h"
#include "tools/rdbtool/max_set.h"

namespace {

const double kTarget = 2.0;

struct Runs {
    std::vector<double> load, libraryRead, dump, verify;
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

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, "InspectBench", options)) return 2;
    const int runs = options.runs;
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
        // The four take turns, so that a change of the machine's load falls on all alike.
        for (int run = 0; run < runs; ++run) {
            measured.load.push_back(TimeMs([] { LoadSettings(); }));
            ReleaseRuleStore();
            measured.libraryRead.push_back(TimeMs([&] {
                std::memset(store.data(), 0, store.size() * sizeof(RuleCategory));
                read = ReadCategories(library.c_str(), store.data(), kMaxCategories);
            }));
            ClearItems(store.data(), read);
            measured.dump.push_back(TimeMs([&] { dumped = Dump(library, output) && dumped; }));
            measured.verify.push_back(TimeMs([&] { sound = Verify(library) && sound; }));
        }
        if (read != shape.categories || !dumped || !sound) {
            std::fprintf(stderr, "InspectBench: the library did not read, dump and verify as expected\n");
            return 1;
        }
        const double load = Median(measured.load), libraryRead = Median(measured.libraryRead);
        const double dump = Median(measured.dump), verify = Median(measured.verify), both = dump + verify;
        std::printf("Shipped library: %u categories x %u items, %llu bytes; dump: %llu bytes of source\n",
                    shape.categories, shape.itemsPerCategory,
                    static_cast<unsigned long long>(testing_support::ReadBytes(library).size()),
                    static_cast<unsigned long long>(testing_support::ReadBytes(output).size()));
        std::printf("\nMedian of %d interleaved run%s                       time    / Load   / library read\n", runs,
                    runs == 1 ? "" : "s");
        const struct {
            const char* name;
            double ms;
        } rows[] = {{"Load (copies + merge of the whole set)", load},
                    {"  of which reading the library (ReadCategories)", libraryRead},
                    {"VtPsInspect dump FILE OUTPUT", dump},
                    {"VtPsInspect verify FILE", verify},
                    {"dump + verify", both}};
        for (const auto& row : rows)
            std::printf("  %-48s %7.1f ms %7.2fx %7.2fx\n", row.name, row.ms, Ratio(row.ms, load),
                        Ratio(row.ms, libraryRead));
        PrintPhases(library, output);
        // "\xC3\x97" is the multiplication sign in UTF-8.
        std::printf("\nTargets\n");
        const struct {
            const char* name;
            double ratio;
        } targets[] = {{"dump + verify / Load of the whole set:", Ratio(both, load)},
                       {"dump + verify / ReadCategories of the same file:", Ratio(both, libraryRead)}};
        for (const auto& target : targets)
            std::printf("  %-48s %5.2f\xC3\x97 (target < %.0f\xC3\x97)  %s\n", target.name, target.ratio, kTarget,
                        target.ratio < kTarget ? "met" : "MISSED");
        std::fflush(stdout);
        status = 0;
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return status;
}
