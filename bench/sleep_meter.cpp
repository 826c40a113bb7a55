#include "sleep_meter.h"

#include <cstring>

#include "stopwatch.h"

namespace {

typedef VOID(WINAPI* SleepFn)(DWORD);

SleepFn g_realSleep = nullptr;
int g_calls = 0;
double g_ms = 0;

VOID WINAPI CountingSleep(DWORD ms) {
    Stopwatch watch;
    g_realSleep(ms);
    g_ms += watch.Milliseconds();
    ++g_calls;
}

template <typename T>
T* At(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

// The import table entry through which `module` calls kernel32's Sleep.
void** FindSleepImport(HMODULE module) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = At<const IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return nullptr;
    for (auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress); entry->Name; ++entry) {
        if (_stricmp(At<const char>(module, entry->Name), "kernel32.dll") != 0 || !entry->OriginalFirstThunk) continue;
        auto* names = At<IMAGE_THUNK_DATA>(module, entry->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(module, entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = At<const IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "Sleep") == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void Store(void** slot, void* value) {
    DWORD old = 0;
    if (!::VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) return;
    *slot = value;
    ::VirtualProtect(slot, sizeof(void*), old, &old);
}

}  // namespace

SleepMeter::SleepMeter() {
    void** slot = FindSleepImport(::GetModuleHandleW(nullptr));
    if (!slot) return;
    original_ = *slot;
    g_realSleep = reinterpret_cast<SleepFn>(original_);
    Store(slot, reinterpret_cast<void*>(&CountingSleep));
    if (*slot == reinterpret_cast<void*>(&CountingSleep)) slot_ = slot;
    Reset();
}

SleepMeter::~SleepMeter() {
    if (slot_) Store(slot_, original_);
}

void SleepMeter::Reset() {
    g_calls = 0;
    g_ms = 0;
}

int SleepMeter::Calls() const { return g_calls; }

double SleepMeter::Milliseconds() const { return g_ms; }
