// Points one kernel32 import of a module at another function while the
// redirect lives: lets a test or a benchmark count what a module asks of
// the system without changing the module.
#pragma once
#include <windows.h>

namespace testing_support {

// The import table entry through which `module` calls kernel32's `name`,
// or null when it imports no such function.
void** FindKernel32Import(HMODULE module, const char* name);

class ImportRedirect {
public:
    ImportRedirect(HMODULE module, const char* name, void* replacement);
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
