#include "tests/support/allocation_faults.h"

#include <cstddef>

namespace testing_support {

namespace {

typedef void*(__cdecl* MallocFn)(size_t);
typedef void*(__cdecl* CallocFn)(size_t, size_t);
typedef void*(__cdecl* ReallocFn)(void*, size_t);

MallocFn g_malloc = nullptr;
CallocFn g_calloc = nullptr;
ReallocFn g_realloc = nullptr;
bool g_armed = false;
bool g_refused = false;

// True for the one allocation to refuse.
bool Refuse() {
    if (!g_armed) return false;
    g_armed = false;
    g_refused = true;
    return true;
}

void* __cdecl FailingMalloc(size_t size) { return Refuse() ? nullptr : g_malloc(size); }
void* __cdecl FailingCalloc(size_t count, size_t size) { return Refuse() ? nullptr : g_calloc(count, size); }
// A refused reallocation leaves the block as it was, as realloc does.
void* __cdecl FailingRealloc(void* block, size_t size) { return Refuse() ? nullptr : g_realloc(block, size); }

const char kRuntime[] = "msvcrt.dll";

}  // namespace

AllocationFaults::AllocationFaults(HMODULE module) {
    g_armed = false;
    redirects_[0].reset(new ImportRedirect(module, kRuntime, "malloc", reinterpret_cast<void*>(&FailingMalloc)));
    g_malloc = reinterpret_cast<MallocFn>(redirects_[0]->Original());
    redirects_[1].reset(new ImportRedirect(module, kRuntime, "calloc", reinterpret_cast<void*>(&FailingCalloc)));
    g_calloc = reinterpret_cast<CallocFn>(redirects_[1]->Original());
    redirects_[2].reset(new ImportRedirect(module, kRuntime, "realloc", reinterpret_cast<void*>(&FailingRealloc)));
    g_realloc = reinterpret_cast<ReallocFn>(redirects_[2]->Original());
}

AllocationFaults::~AllocationFaults() { g_armed = false; }

bool AllocationFaults::Installed() const {
    for (const auto& redirect : redirects_)
        if (!redirect->Installed()) return false;
    return true;
}

bool AllocationFaults::Refused() const { return g_refused; }

AllocationFaults::Armed::Armed(AllocationFaults&) {
    g_refused = false;
    g_armed = true;
}

AllocationFaults::Armed::~Armed() { g_armed = false; }

}  // namespace testing_support
