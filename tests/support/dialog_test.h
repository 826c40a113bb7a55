// The base fixture of the dialog tests, and the platform behind it whose
// application-data folder is private to the test process: programs that use
// the prefix's real folder at the same time never share settings files with
// the dialogs under test.
#pragma once
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/rules/fake_platform.h"

namespace testing_support {

// A FakePlatform whose application-data folder is a per-process folder
// under the temp folder, emptied when the platform is made and removed when
// it goes.
class PrivateAppDataPlatform : public FakePlatform {
public:
    PrivateAppDataPlatform();
    ~PrivateAppDataPlatform() override;
    ShGetFolderPathWFn LookupShGetFolderPath() override;
    static std::wstring AppDataFolder();
    // <private app data>\Veltrane\Pestrol
    static std::wstring SettingsFolder();
};

// Common controls, an empty private settings folder with the settings file
// set and the rule store's paths built into it, no cached profile file, the
// rule store released and g_bModified clear around every test.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A file of the private settings folder.
    static std::wstring SettingsFile(const wchar_t* name);

    PrivateAppDataPlatform platform_;
};

}  // namespace testing_support
