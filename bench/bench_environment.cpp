#include "bench_environment.h"

#include "win/install_info.h"
#include "win/resource_module.h"
#include "rules/rule_store.h"
#include "tests/support/plugin_library.h"

using namespace testing_support;

namespace {
void NoRetryWait(DWORD) {}
}  // namespace

BenchEnvironment::BenchEnvironment() : problem_(settings_.Problem()) {
    if (!problem_.empty()) return;
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
}

BenchEnvironment::~BenchEnvironment() {
    ReleaseRuleStore();
    SetResourceModule(nullptr);
    DeleteInstallModule();
}

bool BenchEnvironment::Ready(std::string& problem) const {
    problem = problem_;
    if (problem.empty() && !language_) problem = "the English language module is missing from the suite folder";
    return problem.empty();
}

std::wstring BenchEnvironment::DataFolder() const { return suite_.File(L"AntiVirus\\Data"); }

std::wstring BenchEnvironment::SettingsFolder() const { return settings_.Folder(); }
