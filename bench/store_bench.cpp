// StoreBench: how long the plug-in's Load (working copies + rule store
// merge) and SaveRuleStore take on the max-scale rule set, against the
// floor of merely reading and deciphering the same files as often as Load
// reads them, and how the times grow when every input doubles.
//
//   StoreBench [--runs N] [--tiny]
//
// Targets: Load within 2x the floor; doubling the inputs at most 2.2x the
// time; each met only when every round is within it.  --tiny measures a
// small set, only to show that the program works.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_environment.h"
#include "bench_options.h"
#include "core/byte_stream.h"
#include "machine_note.h"
#include "paired_runs.h"
#include "core/regdefine.h"
#include "core/settings_blob.h"
#include "dialogs/modified_flag.h"
#include "win/raii.h"
#include "win/settings_files.h"
#include "plugin/settings_transfer.h"
#include "rules/ini_rules.h"
#include "rules/rule_database.h"
#include "rules/rule_store.h"
#include "stopwatch.h"
#include "store_fingerprint.h"
#include "rdbtool/file_bytes.h"
#include "rdbtool/max_set.h"
#include "rdbtool/stream_bytes.h"

namespace {

const double kLoadToFloorTarget = 2.0;
const double kDoublingTarget = 2.2;
// Staging each file and renaming it over the real one may cost Apply and
// Import at most this much more than writing the real files in place did.
const double kStagedWriteTarget = 1.5;

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
    // One value per measured round, in round order.
    std::vector<double> floorRuns, loadRuns, saveRuns;
    // Writing fresh memory as large as the store's item nodes, in the same
    // round: what no way of reading can save while every item keeps its
    // fixed-size node.
    std::vector<double> nodeMemoryRuns;
    // Apply and Import as they write now (staged, all or none) and as they
    // wrote before (in place), one right after the other in each round.
    std::vector<double> applyRuns, applyInPlaceRuns, importRuns, importInPlaceRuns;
    uint32_t categories = 0, items = 0;
    uint64_t storePrint = 0, savedPrint = 0;
    std::vector<Phase> phases;  // where a load and a save spend their time
};

// Memory never used by this process before, written once and given back.
void WriteFreshMemory(size_t bytes) {
    if (bytes == 0) return;
    void* block = ::VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block) return;
    std::memset(block, 0x5A, bytes);
    ::VirtualFree(block, 0, MEM_RELEASE);
}

std::string Ansi(const std::wstring& path) { return testing_support::Narrow(path); }

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The settings blob of the real files, as Export lays it out.
std::vector<BYTE> BlobOfRealFiles() {
    const wchar_t* files[kPartCount] = {g_settingsFiles.regUserIni, g_settingsFiles.userDatabase,
                                        g_settingsFiles.expertIni};
    std::string parts[kPartCount];
    uint32_t sizes[kPartCount];
    for (uint32_t i = 0; i < kPartCount; ++i) {
        ReadFileBytes(files[i], parts[i]);
        sizes[i] = static_cast<uint32_t>(parts[i].size());
    }
    BlobLayout layout;
    MakeBlobLayout(sizes, layout);
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    std::vector<BYTE> blob(header, header + kBlobHeaderSize);
    for (const std::string& part : parts) blob.insert(blob.end(), part.begin(), part.end());
    return blob;
}

// What an edit in the expert editor does to the store and its working
// copies: a user item added to a category and its mode changed, then saved.
void EditStore() {
    if (g_ruleStore.count == 0) return;
    RuleCategory& category = g_ruleStore.categories[0];
    RuleItem item;
    std::memset(&item, 0, sizeof item);
    item.root = 0x80000001u;
    std::snprintf(item.keyPath, sizeof item.keyPath, "Software\\Bench\\Edit%lu", ::GetTickCount());
    item.flags = kItemFlagUser;
    PrependItem(&category, &item);
    category.mode ^= 1;
    SaveRuleStore();
}

// Apply and Import, each way, this many times in every round.
const int kWritePairs = 5;
// Tries of the floor, Load and SaveRuleStore in a round.
const int kLoadTries = 3;

// How Apply and Import wrote the real files before they were staged: each
// real file rewritten in place, where a kill left it torn.
void ApplyInPlace() {
    ::CopyFileW(g_settingsFiles.userDatabaseWork, g_settingsFiles.userDatabase, FALSE);
    ::CopyFileW(g_settingsFiles.expertIniWork, g_settingsFiles.expertIni, FALSE);
    ::CopyFileW(g_settingsFiles.regUserIniWork, g_settingsFiles.regUserIni, FALSE);
}

// With the checks Import makes today whichever way it writes, so that the
// two differ in the writing alone.
void ImportInPlace(const std::vector<BYTE>& blob) {
    BlobLayout layout;
    if (!ParseBlobHeader(blob.data(), blob.size(), layout)) return;
    if (!UserDatabaseBytesWithinLimits(blob.data() + layout.start[kPartQRegUserRdb],
                                       layout.end[kPartQRegUserRdb] - layout.start[kPartQRegUserRdb]))
        return;
    const wchar_t* files[kPartCount] = {g_settingsFiles.regUserIni, g_settingsFiles.userDatabase,
                                        g_settingsFiles.expertIni};
    for (const wchar_t* file : files) ::DeleteFileW(file);
    for (uint32_t i = 0; i < kPartCount; ++i) {
        UniqueFile file(::CreateFileW(files[i], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD wrote = 0;
        if (file)
            ::WriteFile(file.get(), blob.data() + layout.start[i], layout.end[i] - layout.start[i], &wrote, nullptr);
    }
}

class StoreBench {
public:
    explicit StoreBench(const BenchEnvironment& environment) : env_(environment) {}

    bool Generate(const MaxSetShape& shape, const std::wstring& folder, RuleSet& set) const;
    // One round on the set: the floor, the item memory, Load, SaveRuleStore,
    // one right after the other, then Apply and Import each way; their times
    // are kept when `record` is set.
    bool Run(RuleSet& set, bool record) const;
    // The set's real settings files put back as they were before the edit.
    bool RestoreRealFiles(const RuleSet& set) const {
        bool ok = true;
        for (const wchar_t* name : kSettingsFiles)
            ok = ::CopyFileW((set.settings + L"\\" + name).c_str(), Settings(name).c_str(), FALSE) && ok;
        return ok;
    }
    // The parts of a load and a save, each timed alone on the loaded set.
    void Profile(RuleSet& set) const;

private:
    std::wstring Data(const wchar_t* name) const { return env_.DataFolder() + L"\\" + name; }
    std::wstring Settings(const wchar_t* name) const { return env_.SettingsFolder() + L"\\" + name; }
    // The working copy that Load makes of a settings file.
    std::wstring Work(const wchar_t* name) const { return env_.SettingsFolder() + L"\\temp" + name; }

    // The set's files where Load finds them, and the working copies as Load
    // leaves them, so that the floor reads the same bytes as Load does.
    bool Install(const RuleSet& set) const {
        bool ok = true;
        for (const wchar_t* name : kDataFiles)
            ok = ::CopyFileW((set.data + L"\\" + name).c_str(), Data(name).c_str(), FALSE) && ok;
        for (const wchar_t* name : kSettingsFiles) {
            const std::wstring source = set.settings + L"\\" + name;
            ok = ::CopyFileW(source.c_str(), Settings(name).c_str(), FALSE) && ok;
            ok = ::CopyFileW(source.c_str(), Work(name).c_str(), FALSE) && ok;
        }
        return ok;
    }

    // Every file that Load reads, as often as Load reads it and in its
    // order, read whole and its streams deciphered, nothing more: the three
    // real settings files (Load copies them to their working copies), the
    // shipped library, RegLib.rdb, the working copy of RegUser.ini, then the
    // real QRegUser.rdb (merged) and QRegEx.ini (the options) once more.
    // Empty, or the file that could not be read.
    std::wstring ReadFloor() const {
        std::vector<std::vector<uint8_t>> streams;
        std::string bytes;
        for (const wchar_t* name : {L"QRegUser.rdb", L"QRegEx.ini", L"RegUser.ini"})
            if (!ReadFileBytes(Settings(name), bytes)) return Settings(name);
        if (!ReadWholeStreams(Data(kMaxSetLibraryName), {"RegDefine"}, streams)) return Data(kMaxSetLibraryName);
        if (!ReadWholeStreams(Data(L"RegLib.rdb"), {"REGINFO", "REGLIB"}, streams)) return Data(L"RegLib.rdb");
        if (!ReadFileBytes(Work(L"RegUser.ini"), bytes)) return Work(L"RegUser.ini");
        if (!ReadWholeStreams(Settings(L"QRegUser.rdb"), {"RegDefine"}, streams)) return Settings(L"QRegUser.rdb");
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

bool StoreBench::Run(RuleSet& set, bool record) const {
    if (!Install(set)) {
        std::fprintf(stderr, "StoreBench: cannot put the rule set in place\n");
        return false;
    }
    // Read once untimed, so that the floor and Load both find every file
    // read since it was written.  Then the floor, the item memory, Load and
    // SaveRuleStore, one right after the other, kLoadTries times: the round
    // keeps the median of each, as one pause of the machine can be as long
    // as a third of a load.
    std::wstring unread = ReadFloor();
    std::vector<double> floors, nodeMemories, loads, saves;
    for (int attempt = 0; attempt < kLoadTries && unread.empty(); ++attempt) {
        floors.push_back(TimeMs([&] { unread = ReadFloor(); }));
        // The store's item count is known from the untimed round on.
        nodeMemories.push_back(
            TimeMs([&] { WriteFreshMemory(static_cast<size_t>(set.items) * sizeof(RuleItem)); }));
        // Load frees the store it replaces; that goes untimed, and every
        // Load starts from none, as the first does.
        ReleaseRuleStore();
        loads.push_back(TimeMs([] { LoadSettings(); }));
        set.storePrint = StoreFingerprint();
        set.categories = g_ruleStore.count;
        set.items = 0;
        for (uint32_t c = 0; c < g_ruleStore.count; ++c)
            for (const RuleItem* item = g_ruleStore.categories[c].items; item; item = item->next) ++set.items;
        saves.push_back(TimeMs([] { SaveRuleStore(); }));
        set.savedPrint = SavedFilesFingerprint(g_settingsFiles.userDatabaseWork, g_settingsFiles.expertIniWork);
    }
    if (!unread.empty()) {
        std::fprintf(stderr, "StoreBench: cannot read %s back\n", Ansi(unread).c_str());
        return false;
    }
    const double floorMs = SpreadOf(floors).median, nodeMemoryMs = SpreadOf(nodeMemories).median;
    const double loadMs = SpreadOf(loads).median, saveMs = SpreadOf(saves).median;
    // An edit in the expert editor (a user item added, a category's mode
    // changed) goes to the real files, the old way and the new, each time
    // from the real files as they were; then the real files come back as a
    // blob, the old way and the new.
    EditStore();
    g_bModified = true;
    // They take a few milliseconds, where one stray pause of the machine
    // weighs as much: each pair goes kWritePairs times in a round, and the
    // round keeps the median of each.
    std::vector<double> applyInPlace, apply, importInPlace, import;
    for (int pair = 0; pair < kWritePairs; ++pair) {
        if (!RestoreRealFiles(set)) return false;
        applyInPlace.push_back(TimeMs([] { ApplyInPlace(); }));
        if (!RestoreRealFiles(set)) return false;
        apply.push_back(TimeMs([] { ApplyWorkingCopies(); }));
    }
    const std::vector<BYTE> blob = BlobOfRealFiles();
    for (int pair = 0; pair < kWritePairs; ++pair) {
        importInPlace.push_back(TimeMs([&] { ImportInPlace(blob); }));
        import.push_back(TimeMs([&] { ImportSettings(blob.data(), static_cast<DWORD>(blob.size())); }));
    }
    const double applyInPlaceMs = SpreadOf(applyInPlace).median;
    const double applyMs = SpreadOf(apply).median;
    const double importInPlaceMs = SpreadOf(importInPlace).median;
    const double importMs = SpreadOf(import).median;
    if (record) {
        set.floorRuns.push_back(floorMs);
        set.nodeMemoryRuns.push_back(nodeMemoryMs);
        set.loadRuns.push_back(loadMs);
        set.saveRuns.push_back(saveMs);
        set.applyRuns.push_back(applyMs);
        set.applyInPlaceRuns.push_back(applyInPlaceMs);
        set.importRuns.push_back(importMs);
        set.importInPlaceRuns.push_back(importInPlaceMs);
    }
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

void PrintTarget(const char* name, const PairedRuns& runs, double target) {
    std::printf("  %-40s largest round %5.2fx  %s\n", name, runs.Ratio().max, VerdictText(runs, target).c_str());
}

void PrintResults(const RuleSet& base, const RuleSet& doubled) {
    PrintShape("Max scale", base);
    PrintShape("Doubled  ", doubled);
    const PairedRuns baseLoad(base.loadRuns, base.floorRuns), doubledLoad(doubled.loadRuns, doubled.floorRuns);
    const PairedRuns loadGrowth(doubled.loadRuns, base.loadRuns), saveGrowth(doubled.saveRuns, base.saveRuns);
    const int rounds = baseLoad.Rounds();
    std::printf("\n%d interleaved round%s after one untimed, each: both sets, %d tries of floor, item memory, Load,\n"
                "SaveRuleStore, the medians kept; over the rounds:\n",
                rounds, rounds == 1 ? "" : "s", kLoadTries);
    std::printf("Median (least-largest, width)  max scale                        doubled\n");
    const struct {
        const char* name;
        const std::vector<double> RuleSet::*runs;
    } rows[] = {{"floor (same reads)", &RuleSet::floorRuns},
                {"item nodes' memory, fresh", &RuleSet::nodeMemoryRuns},
                {"Load (copies + merge)", &RuleSet::loadRuns},
                {"SaveRuleStore", &RuleSet::saveRuns},
                {"Apply, files written in place", &RuleSet::applyInPlaceRuns},
                {"Apply, staged, all or none", &RuleSet::applyRuns},
                {"Import, files written in place", &RuleSet::importInPlaceRuns},
                {"Import, staged, all or none", &RuleSet::importRuns}};
    for (const auto& row : rows)
        std::printf("  %-28s %-32s %s\n", row.name, FormatTimes(SpreadOf(base.*row.runs)).c_str(),
                    FormatTimes(SpreadOf(doubled.*row.runs)).c_str());
    std::printf("Ratios per round, median (least-largest)\n");
    std::printf("  %-40s %s\n", "Load / floor, max scale", FormatRatios(baseLoad.Ratio()).c_str());
    std::printf("  %-40s %s\n", "Load / floor, doubled", FormatRatios(doubledLoad.Ratio()).c_str());
    // The least that Load could take with its item nodes as they are: the
    // floor's reads plus the nodes' memory, nothing parsed or merged.
    std::vector<double> leastLoad;
    for (size_t i = 0; i < base.floorRuns.size() && i < base.nodeMemoryRuns.size(); ++i)
        leastLoad.push_back(base.floorRuns[i] + base.nodeMemoryRuns[i]);
    const PairedRuns least(leastLoad, base.floorRuns);
    std::printf("  %-40s %s\n", "(floor + item memory) / floor, max scale", FormatRatios(least.Ratio()).c_str());
    std::printf("  %-40s %s\n", "Load, doubled / max scale", FormatRatios(loadGrowth.Ratio()).c_str());
    std::printf("  %-40s %s\n", "SaveRuleStore, doubled / max scale", FormatRatios(saveGrowth.Ratio()).c_str());
    const PairedRuns apply(base.applyRuns, base.applyInPlaceRuns), import(base.importRuns, base.importInPlaceRuns);
    std::printf("  %-40s %s\n", "Apply, staged / in place, max scale", FormatRatios(apply.Ratio()).c_str());
    std::printf("  %-40s %s\n", "Import, staged / in place, max scale", FormatRatios(import.Ratio()).c_str());

    std::printf("\nWhere the time goes (each part alone, one run)  max scale     doubled\n");
    for (size_t i = 0; i < base.phases.size() && i < doubled.phases.size(); ++i)
        std::printf("  %-44s %9.1f ms %9.1f ms\n", base.phases[i].name, base.phases[i].ms, doubled.phases[i].ms);

    char name[64];
    std::printf("\nTargets (met only when every round is within)\n");
    std::snprintf(name, sizeof name, "Load within %.1fx the floor:", kLoadToFloorTarget);
    PrintTarget(name, baseLoad, kLoadToFloorTarget);
    std::snprintf(name, sizeof name, "doubling: Load at most %.1fx:", kDoublingTarget);
    PrintTarget(name, loadGrowth, kDoublingTarget);
    std::snprintf(name, sizeof name, "doubling: SaveRuleStore at most %.1fx:", kDoublingTarget);
    PrintTarget(name, saveGrowth, kDoublingTarget);
    std::snprintf(name, sizeof name, "Apply staged at most %.1fx in place:", kStagedWriteTarget);
    PrintTarget(name, apply, kStagedWriteTarget);
    std::snprintf(name, sizeof name, "Import staged at most %.1fx in place:", kStagedWriteTarget);
    PrintTarget(name, import, kStagedWriteTarget);
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, "StoreBench", options)) return 2;
    const int runs = options.runs;
    std::printf("Machine: %s; load average %s\n", MachineLine().c_str(), LoadAverage().c_str());

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
    // during the runs falls on both alike; the first round only warms up.
    for (int run = 0; run <= runs; ++run)
        if (!bench.Run(base, run > 0) || !bench.Run(doubled, run > 0)) return 1;
    bench.Profile(base);
    bench.Profile(doubled);
    PrintResults(base, doubled);
    std::printf("\nLoad average at the end: %s\n", LoadAverage().c_str());
    std::fflush(stdout);
    return 0;
}
