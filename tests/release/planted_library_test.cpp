// Libraries planted where the plug-in must never look: the current folder,
// the root of the current drive, and the folder regsvr32 runs in.  Each
// planted library leaves "<file>.loaded" beside itself when it is loaded.
#include <gtest/gtest.h>

#include <string>

#include "win/library_path.h"
#include "tests/com/com_test_support.h"
#include "tests/support/plugin_library.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

// Drive P: is mapped for the run to a folder of the build tree (the
// planted_drive test fixture); the tests make its root the current folder,
// so a plant there is both in the current folder and at the drive's root.
const std::wstring kDrive = L"P:\\";
const wchar_t* const kPlantNames[] = {L"QZInstall.dll", L"Glimra.dll"};

std::wstring LoadedModulePath(const wchar_t* name) {
    HMODULE module = ::GetModuleHandleW(name);
    if (!module) return L"<not loaded>";
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

class PlantedLibraries : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FileExists(kDrive)) << "drive P: is not mapped: run through ctest (fixture planted_drive)";
        const std::wstring plant = FromUnixPath(VTPS_PLANTED_LIBRARY_UNIX);
        for (const wchar_t* name : kPlantNames)
            ASSERT_TRUE(::CopyFileW(plant.c_str(), (kDrive + name).c_str(), FALSE)) << Narrow(name);
        ASSERT_EQ(LoadedPlants(), "");
        ASSERT_TRUE(CopyTree(SuiteDir(), suite_.Path()))
            << ::testing::PrintToString(SuiteDir()) << ", error " << ::GetLastError();
        ::GetCurrentDirectoryW(MAX_PATH, savedCurrent_);
        ASSERT_TRUE(::SetCurrentDirectoryW(kDrive.c_str())) << "error " << ::GetLastError();
    }
    void TearDown() override {
        ::SetCurrentDirectoryW(savedCurrent_);
        for (const wchar_t* name : kPlantNames) {
            ::DeleteFileW((kDrive + name).c_str());
            ::DeleteFileW((kDrive + name + L".loaded").c_str());
        }
        RemoveTree(kDrive + L"Data");
    }

    // The planted libraries that were loaded, by name; empty when none was.
    static std::string LoadedPlants() {
        std::string loaded;
        for (const wchar_t* name : kPlantNames)
            if (FileExists(kDrive + name + L".loaded")) loaded += (loaded.empty() ? "" : " ") + Narrow(name);
        return loaded;
    }

    ScratchDir suite_{L"planted-suite"};
    wchar_t savedCurrent_[MAX_PATH] = {};
};

TEST_F(PlantedLibraries, OnlyFullPathsAreLoaded) {
    for (const wchar_t* path : {L"Glimra.dll", L"\\Glimra.dll", L"P:Glimra.dll", L".\\Glimra.dll", L""})
        EXPECT_EQ(LoadLibraryByFullPath(path), nullptr) << Narrow(path);
    EXPECT_EQ(LoadedPlants(), "");
    // The mark works: the plant loaded by its full path leaves it.
    HMODULE plant = LoadLibraryByFullPath(kDrive + L"Glimra.dll");
    ASSERT_NE(plant, nullptr);
    ::FreeLibrary(plant);
    EXPECT_EQ(LoadedPlants(), "Glimra.dll");
}

TEST_F(PlantedLibraries, PluginWithoutItsInstallerLibraryLoadsNoPlant) {
    // The installer library missing: the old bare-name search went on to the
    // current folder, and the skin library was looked for as \Glimra.dll.
    ASSERT_TRUE(::DeleteFileW(suite_.File(L"QZInstall.dll").c_str())) << "error " << ::GetLastError();
    {
        PluginLibrary plugin(suite_.Path());
        ASSERT_NE(plugin.Module(), nullptr);
        EXPECT_EQ(Narrow(LoadedModulePath(L"QZInstall.dll")), "<not loaded>");
        EXPECT_EQ(Narrow(LoadedModulePath(L"Glimra.dll")), "<not loaded>");
        // Nor are the shipped rule libraries looked for at the drive's root,
        // and no folder is made there.
        IProductOption* option = plugin.CreatePlugin();
        ASSERT_NE(option, nullptr);
        EXPECT_EQ(option->Load(), 0);
        option->Release();
        EXPECT_FALSE(FileExists(kDrive + L"Data")) << "a folder was created at the root of the current drive";
    }
    EXPECT_EQ(LoadedPlants(), "");
}

TEST_F(PlantedLibraries, GenuineLibrariesBesideThePluginAreLoaded) {
    {
        PluginLibrary plugin(suite_.Path());
        ASSERT_NE(plugin.Module(), nullptr);
        EXPECT_STRCASEEQ(Narrow(LoadedModulePath(L"QZInstall.dll")).c_str(),
                         Narrow(suite_.File(L"QZInstall.dll")).c_str());
        EXPECT_STRCASEEQ(Narrow(LoadedModulePath(L"Glimra.dll")).c_str(),
                         Narrow(suite_.File(L"Glimra\\Glimra.dll")).c_str());
    }
    EXPECT_EQ(LoadedPlants(), "");
}

TEST_F(PlantedLibraries, Regsvr32InAPlantedFolderLoadsNoPlant) {
    ASSERT_TRUE(::DeleteFileW(suite_.File(L"QZInstall.dll").c_str())) << "error " << ::GetLastError();
    RemoveRegistration();
    const std::wstring dll = L"\"" + suite_.File(L"VtPestrolSet.dll") + L"\"";
    EXPECT_EQ(RunRegsvr32(L"/s " + dll, kDrive.c_str()), 0u);
    EXPECT_EQ(LoadedPlants(), "");
    EXPECT_EQ(RunRegsvr32(L"/s /u " + dll, kDrive.c_str()), 0u);
    RemoveRegistration();
}

}  // namespace
