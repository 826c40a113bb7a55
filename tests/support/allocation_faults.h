// Makes a module's next heap allocation fail: its imports of the C
// runtime's malloc, calloc and realloc (which its operator new calls) answer
// null once, so a throwing new throws std::bad_alloc as it would with the
// memory gone.  Only one: throwing the exception takes memory of its own.
// The module itself is not changed.
#pragma once
#include <windows.h>

#include <memory>

#include "tests/support/import_hook.h"

namespace testing_support {

class AllocationFaults {
public:
    explicit AllocationFaults(HMODULE module);
    ~AllocationFaults();
    AllocationFaults(const AllocationFaults&) = delete;
    AllocationFaults& operator=(const AllocationFaults&) = delete;

    bool Installed() const;
    // Whether the last Armed saw its allocation refused.
    bool Refused() const;

    // While an Armed lives, the module's next allocation fails.
    class Armed {
    public:
        explicit Armed(AllocationFaults& faults);
        ~Armed();
        Armed(const Armed&) = delete;
        Armed& operator=(const Armed&) = delete;
    };

private:
    std::unique_ptr<ImportRedirect> redirects_[3];
};

}  // namespace testing_support
