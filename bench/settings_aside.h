// The prefix's per-user settings folder, put aside whole while a benchmark
// uses the folder and given back afterwards; the benchmark's own files go
// with it.
#pragma once
#include <string>

class SettingsAside {
public:
    SettingsAside();
    ~SettingsAside();
    SettingsAside(const SettingsAside&) = delete;
    SettingsAside& operator=(const SettingsAside&) = delete;

    // Empty when the folder is ready for the benchmark, else why not.
    const std::string& Problem() const { return problem_; }
    const std::wstring& Folder() const { return settings_; }

private:
    std::wstring settings_;
    std::wstring saved_;  // the user's own settings folder while the bench runs
    bool moved_ = false;
    std::string problem_;
};
