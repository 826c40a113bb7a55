// Load, Export, Import, Apply and SaveRuleStore when the user's
// application-data folder is so long that the settings paths do not fit
// their fixed buffers: a path that does not fit is no path at all, nothing
// is written past a buffer, no file lands anywhere else, nothing crashes.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/settings_blob.h"
#include "plugin/com_module.h"
#include "dialogs/modified_flag.h"
#include "win/install_info.h"
#include "win/platform.h"
#include "plugin/plugin_object.h"
#include "win/resource_module.h"
#include "win/ansi_field.h"
#include "win/settings_files.h"
#include "plugin/settings_transfer.h"
#include "rules/rule_store.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

const size_t kBufferChars = 260;
const size_t kFieldBytes = 300;
const wchar_t kSettingsTail[] = L"\\Veltrane\\Pestrol\\";  // 18 characters
const wchar_t* const kNames[] = {L"RegUser.ini", L"QRegUser.rdb", L"QRegEx.ini"};

std::wstring g_appData;

HRESULT WINAPI LongFolderQuery(HWND, int folder, HANDLE, DWORD, LPWSTR path) {
    if (folder != 26 || g_appData.size() >= MAX_PATH) return E_FAIL;
    wmemcpy(path, g_appData.c_str(), g_appData.size() + 1);
    return S_OK;
}

class LongFolderPlatform : public Platform {
public:
    ShGetFolderPathWFn LookupShGetFolderPath() override { return LongFolderQuery; }
};

// A buffer whose last element is followed by a page that faults on any
// access: a write past the end crashes the test instead of passing unseen.
template <typename T>
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t count) : m_count(count) {
        const size_t bytes = count * sizeof(T);
        const size_t pages = (bytes + 4095) / 4096;
        m_base = static_cast<char*>(::VirtualAlloc(nullptr, (pages + 1) * 4096, MEM_COMMIT | MEM_RESERVE,
                                                   PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(m_base + pages * 4096, 4096, PAGE_NOACCESS, &old);
        m_data = reinterpret_cast<T*>(m_base + pages * 4096 - bytes);
    }
    ~GuardedBuffer() { ::VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    T* Data() { return m_data; }
    size_t Count() const { return m_count; }

private:
    size_t m_count;
    char* m_base = nullptr;
    T* m_data = nullptr;
};

// Every file below `root`, as paths relative to it.
void ListFiles(const std::wstring& root, const std::wstring& relative, std::set<std::wstring>& files) {
    WIN32_FIND_DATAW data;
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = relative.empty() ? name : relative + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(root, child, files);
        else
            files.insert(child);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

std::set<std::wstring> FilesBelow(const std::wstring& root) {
    std::set<std::wstring> files;
    ListFiles(root, L"", files);
    return files;
}

std::string Blob(const std::string& ini, const std::string& rdb, const std::string& ex) {
    std::string blob(24, '\0');
    uint32_t offsets[6];
    offsets[0] = 24;
    offsets[1] = offsets[2] = 24 + static_cast<uint32_t>(ini.size());
    offsets[3] = offsets[4] = offsets[1] + static_cast<uint32_t>(rdb.size());
    offsets[5] = offsets[3] + static_cast<uint32_t>(ex.size());
    std::memcpy(&blob[0], offsets, sizeof offsets);
    return blob + ini + rdb + ex;
}

bool FieldTerminated(const char* field) { return ::memchr(field, 0, kFieldBytes) != nullptr; }

class LongAppDataFolder : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The installer-information stand-in finds the shipped libraries.
        InstallModule()->Load((SuiteDir() + L"\\QZInstall.dll").c_str());
        s_language = ::LoadLibraryW((SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol0409.lng").c_str());
        SetResourceModule(s_language);
        SetLibraryRetryWaitForTest([](DWORD) {});
    }
    static void TearDownTestSuite() {
        ReleaseRuleStore();
        DeleteInstallModule();
        SetResourceModule(nullptr);
        if (s_language) ::FreeLibrary(s_language);
        SetLibraryRetryWaitForTest(nullptr);
    }

    void SetUp() override {
        ::GetCurrentDirectoryW(MAX_PATH, m_savedCwd);
        ::CreateDirectoryW(m_cwd.c_str(), nullptr);
        ::SetCurrentDirectoryW(m_cwd.c_str());
        SetPlatformForTest(&m_platform);
        g_bModified = false;
    }
    void TearDown() override {
        // Nothing may land in the current folder, whatever the test did.
        EXPECT_TRUE(FilesBelow(m_cwd).empty()) << ::testing::PrintToString(FilesBelow(m_cwd));
        ::SetCurrentDirectoryW(m_savedCwd);
        SetPlatformForTest(nullptr);
        g_bModified = false;
        std::memset(&g_settingsFiles, 0, sizeof g_settingsFiles);
        while (ATOM atom = ::GlobalFindAtomA(kUpdateAtomName)) ::GlobalDeleteAtom(atom);
    }

    // An application-data folder of exactly `chars` characters, made of
    // `unit` repeated below the scratch folder; created with its settings folder.
    std::wstring MakeAppData(size_t chars, wchar_t unit = L'd') {
        std::wstring folder = m_scratch.Path() + L"\\";
        while (folder.size() < chars) folder += unit;
        folder.resize(chars);
        EXPECT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << "folder of " << chars << " characters";
        g_appData = folder;
        return folder;
    }

    // A plug-in object as the class object makes it.
    IProductOption* NewPlugin() {
        auto* object = new CVtPsSetPlugin();
        ModuleLock();
        IProductOption* plugin = nullptr;
        object->QueryInterface(IID_IProductOption, reinterpret_cast<void**>(&plugin));
        return plugin;
    }

    static HMODULE s_language;
    ScratchDir m_scratch{L"longpath"};
    std::wstring m_cwd = m_scratch.Path() + L"\\cwd";
    wchar_t m_savedCwd[MAX_PATH] = {};
    LongFolderPlatform m_platform;
};
HMODULE LongAppDataFolder::s_language = nullptr;

TEST_F(LongAppDataFolder, PathBuilderNeverWritesPastItsBufferAroundTheLimit) {
    // The longest name, tempQRegUser.rdb, fits exactly at a folder of 225
    // characters (225 + 18 + 16 = 259); one more character and it cannot.
    for (size_t chars : {224u, 225u, 226u, 240u, 259u}) {
        SCOPED_TRACE(chars);
        std::wstring appData = m_scratch.Path() + L"\\limit" + std::to_wstring(chars);
        while (appData.size() < chars) appData += L'x';
        g_appData = appData;
        ::CreateDirectoryW(g_appData.c_str(), nullptr);
        for (const wchar_t* name : kNames)
            for (bool real : {true, false}) {
                GuardedBuffer<wchar_t> buffer(kBufferChars);
                BuildSettingsPath(name, buffer.Data(), kBufferChars, real);
                const std::wstring expected = g_appData + kSettingsTail + (real ? L"" : L"temp") + name;
                if (expected.size() < kBufferChars)
                    EXPECT_EQ(std::wstring(buffer.Data()), expected);
                else
                    EXPECT_STREQ(buffer.Data(), L"");
            }
        GuardedBuffer<char> field(kFieldBytes);
        wchar_t path[kBufferChars];
        BuildSettingsPath(L"tempQRegUser.rdb", path, kBufferChars, true);
        WideToAnsiField(path, field.Data(), kFieldBytes);
        EXPECT_EQ(std::string(field.Data()), Narrow(path));
    }
}

TEST_F(LongAppDataFolder, NoPathFitsSoEveryOperationDoesNothingAndSaysSo) {
    const std::wstring appData = MakeAppData(kBufferChars - std::wcslen(kSettingsTail) - 8);
    BuildRuleStorePaths();
    for (const char* field : {g_ruleStore.userDatabasePath, g_ruleStore.expertIniPath, g_ruleStore.specialLibraryPath,
                              g_ruleStore.userIniPath})
        EXPECT_STREQ(field, "");

    IProductOption* plugin = NewPlugin();
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->Load(), 0);
    for (const wchar_t* path : {g_settingsFiles.regUserIni, g_settingsFiles.regUserIniWork,
                                g_settingsFiles.userDatabase, g_settingsFiles.userDatabaseWork,
                                g_settingsFiles.expertIni, g_settingsFiles.expertIniWork})
        EXPECT_STREQ(path, L"");
    // The shipped library still loads: the store has its categories and the user category.
    EXPECT_GE(g_ruleStore.count, 2u);

    // No file can be opened: an export of three empty parts.
    DWORD size = 0;
    EXPECT_EQ(plugin->Export(nullptr, &size), 0);
    ASSERT_EQ(size, 24u);
    std::vector<BYTE> blob(size);
    EXPECT_EQ(plugin->Export(blob.data(), &size), 1);
    uint32_t header[6];
    std::memcpy(header, blob.data(), sizeof header);
    for (uint32_t offset : header) EXPECT_EQ(offset, 24u);

    // A good blob has nowhere to go: Import says so and writes nothing.
    const std::string good = Blob("[Browser]\r\n", "not a database", "[1]\r\nMode=1\r\n");
    EXPECT_EQ(plugin->Import(reinterpret_cast<const BYTE*>(good.data()), static_cast<DWORD>(good.size())), 0);
    SaveRuleStore();
    g_bModified = true;
    plugin->Apply();
    plugin->Release();

    EXPECT_TRUE(FilesBelow(appData).empty()) << "a file was written below the long folder";
}

TEST_F(LongAppDataFolder, PathsThatJustFitWorkInFull) {
    // tempQRegUser.rdb, the longest path, is 259 characters.
    const std::wstring appData = MakeAppData(kBufferChars - 1 - std::wcslen(kSettingsTail) - 16);
    const std::wstring folder = appData + kSettingsTail;
    BuildRuleStorePaths();
    EXPECT_EQ(std::string(g_ruleStore.userDatabasePath), Narrow(folder + L"tempQRegUser.rdb"));
    EXPECT_EQ(std::strlen(g_ruleStore.userDatabasePath), 259u);

    IProductOption* plugin = NewPlugin();
    ASSERT_NE(plugin, nullptr);
    const std::string blob = Blob("[Browser]\r\nHKCU\\Software\\X=v,1\r\n", "", "[800]\r\nMode=3\r\nAction=1\r\n");
    EXPECT_EQ(plugin->Import(reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size())), 1);
    EXPECT_EQ(ReadBytes(folder + L"RegUser.ini"), "[Browser]\r\nHKCU\\Software\\X=v,1\r\n");
    EXPECT_EQ(ReadBytes(folder + L"tempQRegEx.ini"), "[800]\r\nMode=3\r\nAction=1\r\n");

    DWORD size = 0;
    plugin->Export(nullptr, &size);
    std::vector<BYTE> exported(size);
    ASSERT_EQ(plugin->Export(exported.data(), &size), 1);
    EXPECT_EQ(std::string(exported.begin(), exported.end()), blob);

    // The store's 259-byte ANSI paths work: saving writes both working copies.
    ::DeleteFileW((folder + L"tempQRegUser.rdb").c_str());
    SaveRuleStore();
    EXPECT_EQ(::StgIsStorageFile((folder + L"tempQRegUser.rdb").c_str()), S_OK);
    EXPECT_NE(ReadBytes(folder + L"tempQRegEx.ini").find("[99]"), std::string::npos);
    plugin->Release();
    const std::set<std::wstring> expected = {
        L"Veltrane\\Pestrol\\RegUser.ini", L"Veltrane\\Pestrol\\tempRegUser.ini",
        L"Veltrane\\Pestrol\\QRegUser.rdb", L"Veltrane\\Pestrol\\tempQRegUser.rdb",
        L"Veltrane\\Pestrol\\QRegEx.ini",  L"Veltrane\\Pestrol\\tempQRegEx.ini"};
    EXPECT_EQ(FilesBelow(appData), expected);
}

TEST_F(LongAppDataFolder, OneCharacterTooLongLosesOnlyTheLongestPath) {
    // tempQRegUser.rdb would be 260 characters; every other path fits.
    const std::wstring appData = MakeAppData(kBufferChars - std::wcslen(kSettingsTail) - 16);
    const std::wstring folder = appData + kSettingsTail;
    BuildRuleStorePaths();
    EXPECT_STREQ(g_ruleStore.userDatabasePath, "");
    EXPECT_EQ(std::string(g_ruleStore.expertIniPath), Narrow(folder + L"tempQRegEx.ini"));

    IProductOption* plugin = NewPlugin();
    ASSERT_NE(plugin, nullptr);
    const std::string blob = Blob("[A]\r\n", "database bytes", "[99]\r\nMode=1\r\n");
    EXPECT_EQ(plugin->Import(reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size())), 1);
    EXPECT_STREQ(g_settingsFiles.userDatabaseWork, L"");
    EXPECT_EQ(ReadBytes(folder + L"QRegUser.rdb"), "database bytes");

    // The working copy of the user database has no path: neither saving
    // nor applying touches it or anything with a cut name.
    ::DeleteFileW((folder + L"QRegEx.ini").c_str());
    SaveRuleStore();
    g_bModified = true;
    plugin->Apply();
    plugin->Release();
    EXPECT_TRUE(FileExists(folder + L"QRegEx.ini")) << "Apply copies the pairs that have both paths";
    const std::set<std::wstring> expected = {
        L"Veltrane\\Pestrol\\RegUser.ini", L"Veltrane\\Pestrol\\tempRegUser.ini",
        L"Veltrane\\Pestrol\\QRegUser.rdb", L"Veltrane\\Pestrol\\QRegEx.ini", L"Veltrane\\Pestrol\\tempQRegEx.ini"};
    EXPECT_EQ(FilesBelow(appData), expected);
}

TEST_F(LongAppDataFolder, WidePathsThatFitButWhoseAnsiFormDoesNotLeaveTheStoreWithoutPaths) {
    if (::GetACP() != 936) GTEST_SKIP() << "needs a double-byte code page (run under LC_ALL=zh_CN.UTF-8)";
    // 150 Chinese characters: about 200 wide characters in all, over 300 bytes in code page 936.
    const std::wstring appData = MakeAppData(m_scratch.Path().size() + 1 + 150, L'\x4E2D');
    const std::wstring folder = appData + kSettingsTail;
    ASSERT_LT((folder + L"tempQRegUser.rdb").size(), kBufferChars);
    ASSERT_GT(Narrow(folder + L"QRegEx.ini").size(), kFieldBytes);

    BuildRuleStorePaths();
    for (const char* field : {g_ruleStore.userDatabasePath, g_ruleStore.expertIniPath, g_ruleStore.specialLibraryPath,
                              g_ruleStore.userIniPath}) {
        EXPECT_TRUE(FieldTerminated(field));
        EXPECT_STREQ(field, "");
    }

    IProductOption* plugin = NewPlugin();
    ASSERT_NE(plugin, nullptr);
    const std::string blob = Blob("[A]\r\n", "", "[1]\r\nMode=5\r\n");
    EXPECT_EQ(plugin->Import(reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size())), 1);
    // The wide paths work: the real files and their working copies are there.
    EXPECT_EQ(ReadBytes(folder + L"tempQRegEx.ini"), "[1]\r\nMode=5\r\n");
    // The store's ANSI paths do not: saving writes nothing.
    SaveRuleStore();
    EXPECT_EQ(ReadBytes(folder + L"tempQRegEx.ini"), "[1]\r\nMode=5\r\n");
    EXPECT_TRUE(FileExists(folder + L"tempQRegUser.rdb")) << ::testing::PrintToString(folder + L"tempQRegUser.rdb");
    EXPECT_EQ(ReadBytes(folder + L"tempQRegUser.rdb"), "") << "the working copy of the empty part stays as Load made it";
    plugin->Release();
    EXPECT_TRUE(FilesBelow(m_cwd).empty()) << ::testing::PrintToString(FilesBelow(m_cwd));
}

}  // namespace
