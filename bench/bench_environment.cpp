#include "bench_environment.h"

#include "plugin/install_info.h"
#include "plugin/resource_module.h"
#include "rules/rule_store.h"
#include "tests/support/plugin_library.h"

using namespace testing_support;

namespace {
void NoRetryWait(DWORD) {}
}  // namespace

BenchEnvironment::BenchEnvironment() : settings_(testing_support::SettingsFolder()), saved_(settings_ + L".bench-saved") {
    const std::wstring suite = suite_.Path();
    if (!::CopyFileW((SuiteDir() + L"\\QZInstall.dll").c_str(), suite_.File(L"QZInstall.dll").c_str(), FALSE)) {
        problem_ = "QZInstall.dll is missing from the suite folder: build the project first";
        return;
    }
    WriteBytes(suite_.File(L"QZInstall.ini"), "[Suite]\r\nLanguageId=0x0409\r\n");
    ::CreateDirectoryW(suite_.File(L"AntiVirus").c_str(), nullptr);
    ::CreateDirectoryW(DataFolder().c_str(), nullptr);
    InstallModule()->Load((suite + L"\\QZInstall.dll").c_str());
    language_.reset(::LoadLibraryW((SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol0409.lng").c_str()));
    SetResourceModule(language_.get());
    // A full library is never empty: no retry wait to measure.
    SetLibraryRetryWaitForTest(NoRetryWait);

    // The user's own settings are put aside whole, not mixed with the bench's.
    if (FileExists(saved_)) {
        problem_ = "an earlier run left the user's settings in " + Narrow(saved_) + "; move them back first";
        return;
    }
    if (FileExists(settings_)) {
        if (!::MoveFileExW(settings_.c_str(), saved_.c_str(), 0)) {
            problem_ = "cannot put the user's settings folder aside";
            return;
        }
        settingsMoved_ = true;
    }
    ::CreateDirectoryW(settings_.c_str(), nullptr);
}

BenchEnvironment::~BenchEnvironment() {
    ReleaseRuleStore();
    SetResourceModule(nullptr);
    DeleteInstallModule();
    if (problem_.empty() || settingsMoved_) {
        RemoveTree(settings_);
        if (settingsMoved_) ::MoveFileExW(saved_.c_str(), settings_.c_str(), 0);
    }
}

bool BenchEnvironment::Ready(std::string& problem) const {
    problem = problem_;
    if (problem.empty() && !language_) problem = "the English language module is missing from the suite folder";
    return problem.empty();
}

std::wstring BenchEnvironment::DataFolder() const { return suite_.File(L"AntiVirus\\Data"); }

std::wstring BenchEnvironment::SettingsFolder() const { return settings_; }
