// Where the benchmark runs: a scratch suite with the installer-information
// stand-in and the English language module, and the per-user settings folder
// emptied for the run and given back afterwards.
#pragma once
#include <windows.h>

#include <string>

#include "win/raii.h"
#include "settings_aside.h"
#include "tests/support/test_files.h"

class BenchEnvironment {
public:
    BenchEnvironment();
    ~BenchEnvironment();
    BenchEnvironment(const BenchEnvironment&) = delete;
    BenchEnvironment& operator=(const BenchEnvironment&) = delete;

    // False with a message when the suite or the settings folder could not
    // be prepared; nothing may then be measured.
    bool Ready(std::string& problem) const;

    std::wstring DataFolder() const;      // where the store looks for the shipped libraries
    std::wstring SettingsFolder() const;  // the real settings files and their working copies

private:
    testing_support::ScratchDir suite_{L"store-bench"};
    UniqueModule language_;
    SettingsAside settings_;
    std::string problem_;
};
