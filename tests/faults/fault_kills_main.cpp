// FaultKills: processes killed while they replace the user's settings files.
// One worker loops Import of two large blobs; another confirms the expert
// editor and then loops writing two large working-copy sets and applying
// them.  The parent kills each worker at a random moment and then looks at
// the real files: each must be wholly one of the versions written (never
// torn, never missing), and after the next Load no staging file may remain.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/settings_blob.h"
#include "lang/resource.h"
#include "win/raii.h"
#include "tests/support/child_process.h"
#include "tests/support/modal_script.h"
#include "tests/support/plugin_library.h"
#include "tests/support/test_files.h"
#include "tests/faults/fault_args.h"
#include "tests/faults/fault_random.h"
#include "tests/faults/large_settings.h"
#include "tests/faults/realistic_settings.h"
#include "tests/faults/settings_sandbox.h"
#include "tests/faults/worker_report.h"

using namespace testing_support;

namespace {

const uint64_t kDefaultSeed = 0x4B111ED5u;
const int kExitViolation = 1;
const int kExitSetup = 2;
const DWORD kReadyTimeoutMs = 120000;
const char kVersions[] = {'0', 'A', 'B'};  // the original, then the two written in turns

std::wstring VersionFolder(const std::wstring& root, char version) {
    return root + L"\\version" + static_cast<wchar_t>(version);
}

// ---- worker ---------------------------------------------------------------

std::vector<BYTE> BlobOf(const std::wstring& folder) {
    std::string parts[kPartCount];
    uint32_t sizes[kPartCount];
    for (uint32_t i = 0; i < kPartCount; ++i) {
        parts[i] = ReadBytes(folder + L"\\" + kSettingsFileNames[i]);
        sizes[i] = static_cast<uint32_t>(parts[i].size());
    }
    BlobLayout layout;
    if (!MakeBlobLayout(sizes, layout)) return {};
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    std::vector<BYTE> blob(header, header + kBlobHeaderSize);
    for (const std::string& part : parts) blob.insert(blob.end(), part.begin(), part.end());
    return blob;
}

// Opens the page in a window of this process and confirms the expert
// editor, as a user does, so that Apply has something to apply.
bool ConfirmExpertEditor(IProductOption& plugin, HWND console) {
    RECT place = {0, 0, 400, 300};
    plugin.CreatePage(console, &place);  // answers whether the page was visible before
    HWND page = ::GetWindow(console, GW_CHILD);
    if (!page) return false;
    ModalScript script;
    script.Then([](HWND editor) { ::PostMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_EXPERT_DONE, BN_CLICKED), 0); });
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_EXPERT_RULES, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_EXPERT_RULES)));
    return script.PendingSteps() == 0 && script.UnexpectedWindows() == 0;
}

int RunWorker(FaultArgs& args) {
    WorkerReport report(args.Text(L"--results"));
    if (!report.Ok()) return kExitSetup;
    const std::wstring versions = args.Text(L"--versions");
    const bool apply = args.Text(L"--worker") == L"apply";
    UniqueHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, args.Text(L"--ready").c_str()));

    PluginLibrary library(SuiteDir());
    IProductOption* plugin = library.CreatePlugin();
    if (!plugin || !ready) {
        report.Line("error the plug-in or the ready event is missing");
        return kExitSetup;
    }
    std::vector<BYTE> blobs[2] = {BlobOf(VersionFolder(versions, 'A')), BlobOf(VersionFolder(versions, 'B'))};
    HWND console = ::CreateWindowExW(0, L"STATIC", L"console", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr,
                                     nullptr, nullptr);
    if (apply && !ConfirmExpertEditor(*plugin, console)) {
        report.Line("error the expert editor could not be confirmed");
        return kExitSetup;
    }
    const std::wstring settings = SettingsFolder();
    ::SetEvent(ready.get());
    for (uint32_t round = 0;; ++round) {
        const char version = round % 2 ? 'B' : 'A';
        if (apply) {
            for (const wchar_t* name : kSettingsFileNames)
                ::CopyFileW((VersionFolder(versions, version) + L"\\" + name).c_str(),
                            (settings + L"\\temp" + name).c_str(), FALSE);
        }
        report.Line("begin " + std::to_string(round));
        if (apply)
            plugin->Apply();
        else
            plugin->Import(blobs[round % 2].data(), static_cast<DWORD>(blobs[round % 2].size()));
        report.Line("end " + std::to_string(round));
    }
}

// ---- parent ---------------------------------------------------------------

struct PhaseFigures {
    uint32_t kills = 0, duringWrite = 0, torn = 0, missing = 0, leftovers = 0, failedStarts = 0;
    uint32_t seen[3] = {};  // real files found as the original, version A, version B
};

// A kill that came between "begin" and its "end" hit an operation.
bool KilledDuringOperation(const std::string& results) {
    const size_t begin = results.rfind("begin ");
    return begin != std::string::npos && results.find("end ", begin) == std::string::npos;
}

uint32_t CountLeftovers(const std::wstring& folder) {
    uint32_t count = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = found.cFileName;
        if (name.find(L".stage") != std::wstring::npos || name.find(L".undo") != std::wstring::npos) ++count;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return count;
}

void JudgeRealFiles(const std::wstring& settings, const std::wstring& versions, PhaseFigures& figures,
                    std::vector<std::string>& notes) {
    for (const wchar_t* name : kSettingsFileNames) {
        const std::wstring path = settings + L"\\" + name;
        if (!FileExists(path)) {
            ++figures.missing;
            notes.push_back(Narrow(name) + " missing");
            continue;
        }
        const std::string now = ReadBytes(path);
        bool known = false;
        for (int v = 0; v < 3 && !known; ++v) {
            if (now != ReadBytes(VersionFolder(versions, kVersions[v]) + L"\\" + name)) continue;
            known = true;
            ++figures.seen[v];
        }
        if (!known) {
            ++figures.torn;
            notes.push_back(Narrow(name) + " torn (" + std::to_string(now.size()) + " bytes)");
        }
    }
}

PhaseFigures RunPhase(const wchar_t* kind, uint32_t kills, uint32_t maxDelayMs, uint64_t seed,
                      const std::wstring& versions, const std::wstring& scratch, IProductOption& loader) {
    PhaseFigures figures;
    const std::wstring settings = SettingsFolder();
    std::vector<std::string> notes;
    for (uint32_t k = 0; k < kills; ++k) {
        // Each phase starts from the original files.
        if (k == 0)
            for (const wchar_t* name : kSettingsFileNames)
                ::CopyFileW((VersionFolder(versions, '0') + L"\\" + name).c_str(), (settings + L"\\" + name).c_str(),
                            FALSE);
        const std::wstring results = scratch + L"\\" + kind + std::to_wstring(k) + L".txt";
        const std::wstring readyName = L"FaultKills-ready-" + std::to_wstring(::GetCurrentProcessId());
        UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        std::wstring commandLine = L"\"" + ProgramPath() + L"\" --worker " + kind + L" --versions \"" + versions +
                                   L"\" --results \"" + results + L"\" --ready " + readyName;
        testing_support::ChildProcess worker;
        if (!worker.Start(commandLine)) {
            ++figures.failedStarts;
            continue;
        }
        const HANDLE waitFor[2] = {ready.get(), worker.Handle()};
        if (::WaitForMultipleObjects(2, waitFor, FALSE, kReadyTimeoutMs) != WAIT_OBJECT_0) {
            ++figures.failedStarts;
            notes.push_back("worker " + std::to_string(k) + " never got ready: " + ReadBytes(results));
            worker.Terminate(1);
            continue;
        }
        FaultRandom random(seed, k);
        ::Sleep(random.Below(maxDelayMs + 1));
        worker.Terminate(0xDEAD);
        ++figures.kills;
        if (KilledDuringOperation(ReadBytes(results))) ++figures.duringWrite;

        JudgeRealFiles(settings, versions, figures, notes);
        // The next Load clears away what the killed run left.
        loader.Load();
        const uint32_t left = CountLeftovers(settings);
        figures.leftovers += left;
        if (left) notes.push_back(std::to_string(left) + " staging files after Load, kill " + std::to_string(k));
    }
    for (size_t i = 0; i < notes.size() && i < 10; ++i) std::printf("  %ls: %s\n", kind, notes[i].c_str());
    return figures;
}

int RunParent(FaultArgs& args) {
    const uint32_t kills = static_cast<uint32_t>(args.Number(L"--kills", 200));
    const uint32_t kilobytes = static_cast<uint32_t>(args.Number(L"--kb", 1024));
    const uint32_t maxDelayMs = static_cast<uint32_t>(args.Number(L"--max-delay-ms", 1500));
    const uint64_t seed = args.Number(L"--seed", kDefaultSeed);
    if (!args.Error().empty()) {
        std::fprintf(stderr, "FaultKills: %ls\n", args.Error().c_str());
        return kExitSetup;
    }
    std::printf("FaultKills: %u kills during Import and %u during Apply, parts of about %u KB, kills within %u ms of "
                "the worker's start, seed 0x%llX\n",
                kills, kills, kilobytes, maxDelayMs, static_cast<unsigned long long>(seed));
    std::fflush(stdout);

    ScratchDir scratch(L"fault-kills");
    SettingsSandbox sandbox;
    bool prepared = sandbox.Ready();
    for (char version : kVersions) {
        const std::wstring folder = VersionFolder(scratch.Path(), version);
        prepared = prepared && ::CreateDirectoryW(folder.c_str(), nullptr);
        prepared = prepared && (version == '0' ? WriteRealisticSettings(folder)
                                               : WriteLargeSettings(folder, version, kilobytes));
    }
    PluginLibrary library(SuiteDir());
    IProductOption* loader = library.CreatePlugin();
    if (!prepared || !loader) {
        std::fprintf(stderr, "FaultKills: the settings versions or the plug-in could not be prepared\n");
        if (loader) loader->Release();
        return kExitSetup;
    }

    const DWORD started = ::GetTickCount();
    const PhaseFigures import = RunPhase(L"import", kills, maxDelayMs, seed, scratch.Path(), scratch.Path(), *loader);
    const PhaseFigures apply = RunPhase(L"apply", kills, maxDelayMs, seed + 1, scratch.Path(), scratch.Path(), *loader);
    loader->Release();

    std::printf("\n%-7s %6s %12s %6s %8s %22s %28s\n", "worker", "kills", "during write", "torn", "missing",
                "staging left after Load", "real files: original / A / B");
    for (const auto& row : {std::make_pair("Import", &import), std::make_pair("Apply", &apply)}) {
        const PhaseFigures& f = *row.second;
        std::printf("%-7s %6u %12u %6u %8u %22u %18u / %u / %u\n", row.first, f.kills, f.duringWrite, f.torn,
                    f.missing, f.leftovers, f.seen[0], f.seen[1], f.seen[2]);
    }
    std::printf("workers that did not start %u, %.1f s\n", import.failedStarts + apply.failedStarts,
                (::GetTickCount() - started) / 1000.0);
    const bool violated = import.torn || import.missing || import.leftovers || apply.torn || apply.missing ||
                          apply.leftovers || import.failedStarts || apply.failedStarts || import.kills < kills ||
                          apply.kills < kills;
    std::printf("%s\n", violated ? "FAILED" : "passed");
    return violated ? kExitViolation : 0;
}

}  // namespace

int main() {
    return RunFaultProgram("FaultKills", "FaultKills [--kills N] [--kb K] [--max-delay-ms M] [--seed S]", RunWorker,
                           RunParent);
}
