// StoreBench: how long the plug-in's Load (working copies + rule store
// merge) and SaveRuleStore take on the max-scale rule set, against the
// floor of merely reading and deciphering the same bytes, and how the times
// grow when every input doubles.
//
//   StoreBench [--runs N] [--tiny]
//
// Targets: Load within 3x the floor; doubling the inputs at most 2.3x the
// time.  --tiny measures a small set, only to show that the program works.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_options.h"
#include "bench_environment.h"
#include "core/byte_stream.h"
#include "core/regdefine.h"
#include "plugin/settings_files.h"
#include "plugin/settings_transfer.h"
#include "rules/ini_rules.h"
#include "rules/rule_database.h"
#include "rules/rule_store.h"
#include "stopwatch.h"
#include "store_fingerprint.h"
#include "tools/rdbtool/file_bytes.h"
#include "tools/rdbtool/max_set.h"
#include "tools/rdbtool/stream_bytes.h"

namespace {

const double kLoadToFloorTarget = 3.0;
const double kDoublingTarget = 2.3;

const wchar_t* const kDataFiles[] = {kMaxSetLibraryName, L"RegLib.rdb"};
const wchar_t* const kSettingsFiles[] = {L"QRegUser.rdb", L"RegUser.ini", L"QRegEx.ini"};

struct Phase {
    const char* name;
    double ms;
};

// One rule set as generated, kept aside and put in place before each run,
// with what was measured on it.
struct RuleSet {
    MaxSetShape shape;
    std::wstring data, settings;  // folders holding the set's files
    uint64_t inputBytes = 0;
    std::vector<double> floorRuns, loadRuns, saveRuns;
    uint32_t categories = 0, items = 0;
    uint64_t storePrint = 0, savedPrint = 0;
    std::vector<Phase> phases;  // where a load and a save spend their time

    double FloorMs() const { return Median(floorRuns); }
    double LoadMs() const { return Median(loadRuns); }
    double SaveMs() const { return Median(saveRuns); }
};

std::string Ansi(const std::wstring& path) { return testing_support::Narrow(path); }

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class StoreBench {
public:
    explicit StoreBench(const BenchEnvironment& environment) : env_(environment) {}

    bool Generate(const MaxSetShape& shape, const std::wstring& folder, RuleSet& set) const;
    // One run on the set: the floor, Load, SaveRuleStore.
    bool Run(RuleSet& set) const;
    // The parts of a load and a save, each timed alone on the loaded set.
    void Profile(RuleSet& set) const;

private:
    std::wstring Data(const wchar_t* name) const { return env_.DataFolder() + L"\\" + name; }
    std::wstring Settings(const wchar_t* name) const { return env_.SettingsFolder() + L"\\" + name; }

    bool Install(const RuleSet& set) const {
        bool ok = true;
        for (const wchar_t* name : kDataFiles)
            ok = ::CopyFileW((set.data + L"\\" + name).c_str(), Data(name).c_str(), FALSE) && ok;
        for (const wchar_t* name : kSettingsFiles)
            ok = ::CopyFileW((set.settings + L"\\" + name).c_str(), Settings(name).c_str(), FALSE) && ok;
        return ok;
    }

    // The same bytes that a load reads, read whole and deciphered, nothing
    // more.  Empty, or the file that could not be read.
    std::wstring ReadFloor() const {
        std::vector<std::vector<uint8_t>> streams;
        std::string bytes;
        if (!ReadWholeStreams(Data(kMaxSetLibraryName), {"RegDefine"}, streams)) return Data(kMaxSetLibraryName);
        if (!ReadWholeStreams(Data(L"RegLib.rdb"), {"REGINFO", "REGLIB"}, streams)) return Data(L"RegLib.rdb");
        if (!ReadWholeStreams(Settings(L"QRegUser.rdb"), {"RegDefine"}, streams)) return Settings(L"QRegUser.rdb");
        if (!ReadFileBytes(Settings(L"RegUser.ini"), bytes)) return Settings(L"RegUser.ini");
        if (!ReadFileBytes(Settings(L"QRegEx.ini"), bytes)) return Settings(L"QRegEx.ini");
        return std::wstring();
    }

    const BenchEnvironment& env_;
};

bool StoreBench::Generate(const MaxSetShape& shape, const std::wstring& folder, RuleSet& set) const {
    set = RuleSet();
    set.shape = shape;
    set.data = folder + L"\\data";
    set.settings = folder + L"\\settings";
    for (const std::wstring& f : {folder, set.data, set.settings}) ::CreateDirectoryW(f.c_str(), nullptr);
    std::string error;
    if (!GenerateMaxSet(set.data, set.settings, shape, error)) {
        std::fprintf(stderr, "StoreBench: cannot write the rule set: %s\n", error.c_str());
        return false;
    }
    for (const wchar_t* name : kDataFiles) set.inputBytes += FileSize(set.data + L"\\" + name);
    for (const wchar_t* name : kSettingsFiles) set.inputBytes += FileSize(set.settings + L"\\" + name);
    return true;
}

bool StoreBench::Run(RuleSet& set) const {
    if (!Install(set)) {
        std::fprintf(stderr, "StoreBench: cannot put the rule set in place\n");
        return false;
    }
    std::wstring unread;
    set.floorRuns.push_back(TimeMs([&] { unread = ReadFloor(); }));
    if (!unread.empty()) {
        std::fprintf(stderr, "StoreBench: cannot read %s back\n", Ansi(unread).c_str());
        return false;
    }
    set.loadRuns.push_back(TimeMs([] { LoadSettings(); }));
    set.storePrint = StoreFingerprint();
    set.categories = g_ruleStore.count;
    set.items = 0;
    for (uint32_t c = 0; c < g_ruleStore.count; ++c)
        for (const RuleItem* item = g_ruleStore.categories[c].items; item; item = item->next) ++set.items;
    set.saveRuns.push_back(TimeMs([] { SaveRuleStore(); }));
    set.savedPrint = SavedFilesFingerprint(g_settingsFiles.userDatabaseWork, g_settingsFiles.expertIniWork);
    return true;
}

void StoreBench::Profile(RuleSet& set) const {
    Install(set);
    LoadSettings();
    std::vector<Phase>& phases = set.phases;
    std::vector<RuleCategory> scratch(kMaxCategories);
    phases.push_back({"read shipped library (ReadCategories)", TimeMs([&] {
                          uint32_t n = ReadCategories(g_ruleStore.libraryPath, scratch.data(), kMaxCategories);
                          ClearItems(scratch.data(), n);
                      })});
    // The same library from memory: what parsing the records and making
    // the item nodes costs without the storage reads.
    std::vector<std::vector<uint8_t>> streams;
    ReadWholeStreams(Data(kMaxSetLibraryName), {"RegDefine"}, streams);
    phases.push_back({"  of which parse + nodes (ReadRegDefine)", TimeMs([&] {
                          std::fill(scratch.begin(), scratch.end(), RuleCategory());
                          MemorySource source(streams[0].data(), streams[0].size());
                          uint32_t n = ReadRegDefine(source, scratch.data(), kMaxCategories);
                          ClearItems(scratch.data(), n);
                      })});
    phases.push_back({"read RegLib.rdb (ReadRuleLibrary)", TimeMs([&] {
                          FreeRuleEntries(ReadRuleLibrary(g_ruleStore.regLibPath));
                      })});
    const std::string userIni = Ansi(g_settingsFiles.regUserIniWork);
    phases.push_back({"read user INI rules (ReadIniRuleFile)", TimeMs([&] {
                          FreeRuleEntries(ReadIniRuleFile(userIni.c_str()));
                      })});
    const std::string userDatabase = Ansi(g_settingsFiles.userDatabase);
    phases.push_back({"read user database (ReadCategories)", TimeMs([&] {
                          std::fill(scratch.begin(), scratch.end(), RuleCategory());
                          uint32_t n = ReadCategories(userDatabase.c_str(), scratch.data(), kMaxCategories);
                          ClearItems(scratch.data(), n);
                      })});
    // On the loaded store every user item is already there: this is the
    // duplicate check over the whole store.
    phases.push_back({"merge user database (MergeUserDatabase)",
                      TimeMs([&] { MergeUserDatabase(userDatabase.c_str()); })});
    const std::string expertIni = Ansi(g_settingsFiles.expertIni);
    phases.push_back({"read Mode/Action (ReadModeAction)", TimeMs([&] { ReadModeAction(expertIni.c_str()); })});
    phases.push_back({"write Mode/Action (WriteModeAction)",
                      TimeMs([&] { WriteModeAction(g_ruleStore.expertIniPath); })});
    // SaveRuleStore without its option file: the user database's writing.
    char expertIniPath[sizeof g_ruleStore.expertIniPath];
    std::memcpy(expertIniPath, g_ruleStore.expertIniPath, sizeof expertIniPath);
    g_ruleStore.expertIniPath[0] = '\0';
    phases.push_back({"write user database (SaveRuleStore part)", TimeMs([] { SaveRuleStore(); })});
    std::memcpy(g_ruleStore.expertIniPath, expertIniPath, sizeof expertIniPath);
    phases.push_back({"copy the three settings files", TimeMs([] {
                          ::CopyFileW(g_settingsFiles.userDatabase, g_settingsFiles.userDatabaseWork, FALSE);
                          ::CopyFileW(g_settingsFiles.expertIni, g_settingsFiles.expertIniWork, FALSE);
                          ::CopyFileW(g_settingsFiles.regUserIni, g_settingsFiles.regUserIniWork, FALSE);
                      })});
    phases.push_back({"free the store (ReleaseRuleStore)", TimeMs([] { ReleaseRuleStore(); })});
}

void PrintShape(const char* title, const RuleSet& set) {
    const MaxSetShape& s = set.shape;
    std::printf("%s: %u categories x %u items, %u library rules, %u INI rules, %u user items (%.1f MB of files)\n",
                title, s.categories, s.itemsPerCategory, s.libraryRecords, s.iniRules, s.userItems,
                static_cast<double>(set.inputBytes) / (1024.0 * 1024.0));
    std::printf("  store after Load: %u categories, %u items; fingerprints: store %s, saved files %s\n",
                set.categories, set.items, Hex64(set.storePrint).c_str(), Hex64(set.savedPrint).c_str());
}

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

void PrintResults(const RuleSet& base, const RuleSet& doubled, int runs) {
    PrintShape("Max scale", base);
    PrintShape("Doubled  ", doubled);
    std::printf("\nMedian of %d interleaved run%s    max scale     doubled    growth\n", runs, runs == 1 ? "" : "s");
    const struct {
        const char* name;
        double (RuleSet::*time)() const;
    } rows[] = {{"floor (read + decipher)", &RuleSet::FloorMs},
                {"Load (copies + merge)", &RuleSet::LoadMs},
                {"SaveRuleStore", &RuleSet::SaveMs}};
    for (const auto& row : rows) {
        const double a = (base.*row.time)(), b = (doubled.*row.time)();
        std::printf("  %-30s %9.1f ms %9.1f ms %8.2fx\n", row.name, a, b, Ratio(b, a));
    }
    const double baseRatio = Ratio(base.LoadMs(), base.FloorMs());
    std::printf("  %-30s %11.2fx %11.2fx\n", "Load / floor", baseRatio, Ratio(doubled.LoadMs(), doubled.FloorMs()));
    std::printf("  %-30s %11.2fx %11.2fx\n", "SaveRuleStore / floor", Ratio(base.SaveMs(), base.FloorMs()),
                Ratio(doubled.SaveMs(), doubled.FloorMs()));

    std::printf("\nWhere the time goes (each part alone, one run)  max scale     doubled\n");
    for (size_t i = 0; i < base.phases.size() && i < doubled.phases.size(); ++i)
        std::printf("  %-44s %9.1f ms %9.1f ms\n", base.phases[i].name, base.phases[i].ms, doubled.phases[i].ms);

    const double loadGrowth = Ratio(doubled.LoadMs(), base.LoadMs());
    const double saveGrowth = Ratio(doubled.SaveMs(), base.SaveMs());
    std::printf("\nTargets\n");
    std::printf("  Load within %.0fx the floor:             %5.2fx  %s\n", kLoadToFloorTarget, baseRatio,
                Verdict(baseRatio <= kLoadToFloorTarget));
    std::printf("  doubling: Load at most %.1fx:            %5.2fx  %s\n", kDoublingTarget, loadGrowth,
                Verdict(loadGrowth <= kDoublingTarget));
    std::printf("  doubling: SaveRuleStore at most %.1fx:   %5.2fx  %s\n", kDoublingTarget, saveGrowth,
                Verdict(saveGrowth <= kDoublingTarget));
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, "StoreBench", options)) return 2;
    const int runs = options.runs;

    BenchEnvironment environment;
    std::string problem;
    if (!environment.Ready(problem)) {
        std::fprintf(stderr, "StoreBench: %s\n", problem.c_str());
        return 1;
    }
    StoreBench bench(environment);
    testing_support::ScratchDir sets(L"store-bench-sets");
    const MaxSetShape shape = options.Shape();
    RuleSet base, doubled;
    if (!bench.Generate(shape, sets.File(L"max"), base) ||
        !bench.Generate(DoubledShape(shape), sets.File(L"doubled"), doubled))
        return 1;
    // The two sizes take turns, so that a change in the machine's load
    // during the runs falls on both alike.
    for (int run = 0; run < runs; ++run)
        if (!bench.Run(base) || !bench.Run(doubled)) return 1;
    bench.Profile(base);
    bench.Profile(doubled);
    PrintResults(base, doubled, runs);
    std::fflush(stdout);
    return 0;
}
