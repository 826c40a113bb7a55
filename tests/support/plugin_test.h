// The fixture of the tests that drive the real DLL as the console does: the
// library loaded from the suite folder, one plug-in object, and no settings
// folder before or after each test.
#pragma once
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/plugin_library.h"
#include "tests/support/test_files.h"

namespace testing_support {

class PluginTest : public ::testing::Test {
protected:
    // With loadFirst, SetUp also runs Load, which makes the settings folder.
    explicit PluginTest(bool loadFirst = true) : loadFirst_(loadFirst) {}

    void SetUp() override {
        RemoveTree(SettingsFolder());
        library_.reset(new PluginLibrary(SuiteDir()));
        ASSERT_NE(library_->Module(), nullptr);
        plugin_ = library_->CreatePlugin();
        ASSERT_NE(plugin_, nullptr);
        if (loadFirst_) plugin_->Load();
    }
    void TearDown() override {
        if (plugin_) plugin_->Release();
        plugin_ = nullptr;
        library_.reset();
        RemoveTree(SettingsFolder());
    }

    // A real settings file of the settings folder.
    static std::wstring Real(const wchar_t* name) { return SettingsFolder() + L"\\" + name; }

    std::unique_ptr<PluginLibrary> library_;
    IProductOption* plugin_ = nullptr;

private:
    bool loadFirst_;
};

}  // namespace testing_support
