// The parent side of a batched fault run: iterations [0, count) run in
// worker processes of this same program, `batch` at a time.  A worker that
// crashes or hangs costs only the iteration it was in; the next worker
// carries on after it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct WorkerIncident {
    uint32_t iteration;   // the iteration the worker was in
    std::string what;     // "crash 0xC0000005 at ...", "hang", "exit code 3 after its last iteration"
};

struct BatchRun {
    std::vector<std::string> lines;         // every line the workers reported, in order
    std::vector<WorkerIncident> crashes;    // workers that ended abnormally
    std::vector<WorkerIncident> hangs;      // workers that outlived their time
    uint32_t workers = 0;                   // worker processes started
    bool startFailed = false;               // a worker could not be started at all
};

struct BatchPlan {
    std::wstring workerArguments;  // passed to every worker, before "--worker FROM --to TO --results FILE"
    std::wstring scratchFolder;    // where the results files go
    uint32_t count = 0;
    uint32_t batch = 100;
    DWORD baseTimeoutMs = 60000;   // per worker ...
    DWORD perIterationMs = 10000;  // ... plus this per iteration of its batch
};

BatchRun RunInWorkers(const BatchPlan& plan);

// The "done" lines' details by iteration (empty when not done).
std::vector<std::string> DoneDetails(const BatchRun& run, uint32_t count);
