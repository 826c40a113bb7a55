// What a module asks of the profile functions and of ReadFile while the
// meter lives, through its import table.  Files above a size, and calls past
// a budget, can be answered as empty instead, so that code that reads
// without bounds fails a test quickly rather than running for minutes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "tests/support/import_hook.h"

namespace testing_support {

struct ProfileMeterOptions {
    uint64_t refuseFilesAbove = UINT64_MAX;  // such files read as empty
    uint64_t callBudget = UINT64_MAX;        // later profile calls answer empty
};

class ProfileMeter {
public:
    explicit ProfileMeter(HMODULE module, ProfileMeterOptions options = ProfileMeterOptions());
    ~ProfileMeter();
    ProfileMeter(const ProfileMeter&) = delete;
    ProfileMeter& operator=(const ProfileMeter&) = delete;

    // False when the module imports none of the functions metered.
    bool Installed() const;

    uint64_t SectionReads() const;  // GetPrivateProfileSection
    uint64_t ListReads() const;     // GetPrivateProfileString without a key: name lists
    uint64_t ValueReads() const;    // GetPrivateProfileString/Int with a key
    uint64_t Calls() const { return SectionReads() + ListReads() + ValueReads(); }
    // The largest file handed to a profile function, in bytes.
    uint64_t LargestFile() const;
    // Bytes the module read with ReadFile.
    uint64_t BytesRead() const;

private:
    std::unique_ptr<ImportRedirect> redirects_[6];
};

}  // namespace testing_support
