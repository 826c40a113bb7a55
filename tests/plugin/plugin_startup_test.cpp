// Start-up of the real module from copies of the suite folder: the language
// module chosen by the installer-information library, and what happens when
// the sibling libraries are missing.
#include <gtest/gtest.h>

#include <string>

#include "lang/resource.h"
#include "tests/support/plugin_library.h"
#include "tests/support/file_assertions.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

std::wstring TitleOf(IProductOption* plugin) {
    WCHAR buffer[256] = {};
    DWORD bytes = 0;
    plugin->GetTitle(buffer, &bytes);
    return std::wstring(buffer, bytes / 2);
}

std::wstring StringFromModule(const std::wstring& path, UINT id) {
    HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    wchar_t text[256] = {};
    if (module) {
        ::LoadStringW(module, id, text, 256);
        ::FreeLibrary(module);
    }
    return text;
}

HWND MakeParent() {
    return ::CreateWindowExW(0, L"STATIC", L"console", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

class PluginStartup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyTree(SuiteDir(), suite_.Path()))
            << ::testing::PrintToString(SuiteDir()) << ", error " << ::GetLastError();
    }

    // Runs body with a plug-in object from the copied suite, then unloads.
    template <typename Body>
    void WithPlugin(Body body) {
        PluginLibrary library(suite_.Path());
        ASSERT_NE(library.Module(), nullptr);
        IProductOption* plugin = library.CreatePlugin();
        ASSERT_NE(plugin, nullptr);
        body(plugin);
        plugin->Release();
    }

    ScratchDir suite_{L"suite"};
};

TEST_F(PluginStartup, DefaultLanguageIsSimplifiedChinese) {
    std::wstring expected = StringFromModule(suite_.File(L"AntiVirus\\lang\\VtPesTrol0804.lng"), IDS_PAGE_TITLE);
    ASSERT_FALSE(expected.empty());
    WithPlugin([&](IProductOption* plugin) { EXPECT_EQ(TitleOf(plugin), expected); });
}

TEST_F(PluginStartup, LanguageFromTheInstallerLibrary) {
    ASSERT_TRUE(Written(suite_.File(L"QZInstall.ini"), "[Suite]\r\nLanguageId=0x0409\r\n"));
    std::wstring english = StringFromModule(suite_.File(L"AntiVirus\\lang\\VtPesTrol0409.lng"), IDS_PAGE_TITLE);
    std::wstring chinese = StringFromModule(suite_.File(L"AntiVirus\\lang\\VtPesTrol0804.lng"), IDS_PAGE_TITLE);
    ASSERT_FALSE(english.empty());
    ASSERT_NE(english, chinese);
    WithPlugin([&](IProductOption* plugin) { EXPECT_EQ(TitleOf(plugin), english); });
}

TEST_F(PluginStartup, MissingLanguageModuleMeansNoTitleAndNoPage) {
    ::DeleteFileW(suite_.File(L"AntiVirus\\lang\\VtPesTrol0804.lng").c_str());
    WithPlugin([&](IProductOption* plugin) {
        WCHAR buffer[8];
        DWORD bytes = 99;
        EXPECT_EQ(plugin->GetTitle(buffer, &bytes), 1);
        EXPECT_EQ(bytes, 0u);
        HWND parent = MakeParent();
        RECT rect = {0, 0, 100, 100};
        EXPECT_EQ(plugin->CreatePage(parent, &rect), 0);
        EXPECT_EQ(::GetWindow(parent, GW_CHILD), nullptr);
        ::DestroyWindow(parent);
    });
}

TEST_F(PluginStartup, MissingInstallerLibraryFallsBackQuietly) {
    ASSERT_TRUE(::DeleteFileW(suite_.File(L"QZInstall.dll").c_str())) << "error " << ::GetLastError();
    WithPlugin([&](IProductOption* plugin) {
        DWORD bytes = 99;
        WCHAR buffer[8];
        plugin->GetTitle(buffer, &bytes);
        EXPECT_EQ(bytes, 0u);
        // The settings still work: Export answers with at least the header.
        DWORD size = 0;
        EXPECT_EQ(plugin->Export(nullptr, &size), 0);
        EXPECT_GE(size, 24u);
    });
}

TEST_F(PluginStartup, MissingSkinLibraryStillMakesThePage) {
    ASSERT_TRUE(::DeleteFileW(suite_.File(L"Glimra\\Glimra.dll").c_str())) << "error " << ::GetLastError();
    WithPlugin([&](IProductOption* plugin) {
        HWND parent = MakeParent();
        RECT rect = {0, 0, 300, 200};
        plugin->CreatePage(parent, &rect);
        HWND page = ::GetWindow(parent, GW_CHILD);
        EXPECT_NE(page, nullptr);
        EXPECT_NE(::GetDlgItem(page, IDC_EXPERT_RULES), nullptr);
        ::DestroyWindow(parent);
    });
}

TEST_F(PluginStartup, SkinLibraryIsLoadedFromTheSuite) {
    WithPlugin([&](IProductOption*) {
        HMODULE skin = ::GetModuleHandleW(L"Glimra.dll");
        ASSERT_NE(skin, nullptr);
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(skin, path, MAX_PATH);
        EXPECT_EQ(_wcsicmp(path, suite_.File(L"Glimra\\Glimra.dll").c_str()), 0) << Narrow(path);
    });
    // Unloading the plug-in frees the skin library again.
    EXPECT_EQ(::GetModuleHandleW(L"Glimra.dll"), nullptr);
}

}  // namespace
