#include "settings_aside.h"

#include <windows.h>

#include "tests/support/plugin_library.h"
#include "tests/support/test_files.h"

using namespace testing_support;

SettingsAside::SettingsAside() : settings_(testing_support::SettingsFolder()), saved_(settings_ + L".bench-saved") {
    if (FileExists(saved_)) {
        problem_ = "an earlier run left the user's settings in " + Narrow(saved_) + "; move them back first";
        return;
    }
    if (FileExists(settings_)) {
        if (!::MoveFileExW(settings_.c_str(), saved_.c_str(), 0)) {
            problem_ = "cannot put the user's settings folder aside";
            return;
        }
        moved_ = true;
    }
    // Every level: a fresh prefix has no vendor folder yet.
    for (size_t slash = settings_.find(L'\\', 3); slash != std::wstring::npos; slash = settings_.find(L'\\', slash + 1))
        ::CreateDirectoryW(settings_.substr(0, slash).c_str(), nullptr);
    ::CreateDirectoryW(settings_.c_str(), nullptr);
}

SettingsAside::~SettingsAside() {
    if (!problem_.empty() && !moved_) return;
    RemoveTree(settings_);
    if (moved_) ::MoveFileExW(saved_.c_str(), settings_.c_str(), 0);
}
