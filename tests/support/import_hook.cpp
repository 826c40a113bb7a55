#include "tests/support/import_hook.h"

#include <cstring>

namespace testing_support {

namespace {

template <typename T>
T* At(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

void Store(void** slot, void* value) {
    DWORD old = 0;
    if (!::VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) return;
    *slot = value;
    ::VirtualProtect(slot, sizeof(void*), old, &old);
}

}  // namespace

void** FindImport(HMODULE module, const char* library, const char* name) {
    if (!module) return nullptr;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = At<const IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return nullptr;
    for (auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress); entry->Name; ++entry) {
        if (_stricmp(At<const char>(module, entry->Name), library) != 0 || !entry->OriginalFirstThunk) continue;
        auto* names = At<IMAGE_THUNK_DATA>(module, entry->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(module, entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = At<const IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

ImportRedirect::ImportRedirect(HMODULE module, const char* name, void* replacement)
    : ImportRedirect(module, "kernel32.dll", name, replacement) {}

ImportRedirect::ImportRedirect(HMODULE module, const char* library, const char* name, void* replacement) {
    void** slot = FindImport(module, library, name);
    if (!slot) return;
    original_ = *slot;
    Store(slot, replacement);
    if (*slot == replacement) slot_ = slot;
}

ImportRedirect::~ImportRedirect() {
    if (slot_) Store(slot_, original_);
}

}  // namespace testing_support
