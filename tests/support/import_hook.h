// Points one import of a module at another function while the redirect
// lives: lets a test or a benchmark count or fail what a module asks of the
// system without changing the module.
#pragma once
#include <windows.h>

namespace testing_support {

// The import table entry through which `module` calls `name` of the
// library `library` (e.g. "kernel32.dll"), or null when it imports no such
// function.
void** FindImport(HMODULE module, const char* library, const char* name);

class ImportRedirect {
public:
    // A kernel32 import.
    ImportRedirect(HMODULE module, const char* name, void* replacement);
    ImportRedirect(HMODULE module, const char* library, const char* name, void* replacement);
    ~ImportRedirect();
    ImportRedirect(const ImportRedirect&) = delete;
    ImportRedirect& operator=(const ImportRedirect&) = delete;

    bool Installed() const { return slot_ != nullptr; }
    // The function the module called before.
    void* Original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace testing_support
