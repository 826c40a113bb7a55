// MergeRuleLibraries and SaveRuleStore over real rule files: a scratch suite
// with the installer-information stand-in, the English language module as
// resource module, and the per-user settings folder of the test prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/root_names.h"
#include "lang/resource.h"
#include "win/install_info.h"
#include "win/resource_module.h"
#include "win/settings_files.h"
#include "rules/rule_database.h"
#include "rules/rule_storage.h"
#include "rules/rule_store.h"
#include "rules/rule_stream.h"
#include "tests/support/plugin_library.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

std::vector<DWORD> g_waits;
void RecordWait(DWORD ms) { g_waits.push_back(ms); }

RuleCategory Category(int32_t id, const char* name) {
    RuleCategory c = {};
    c.id = id;
    std::strcpy(c.name, name);
    for (int i = 0; name[i]; ++i) c.wideName[i] = static_cast<wchar_t>(name[i]);
    c.action = 1;
    c.mode = 2;
    return c;
}

RuleItem Item(uint32_t root, const char* keyPath, const char* name, uint32_t flags) {
    RuleItem item = {};
    item.root = root;
    std::strcpy(item.keyPath, keyPath);
    std::strcpy(item.name, name);
    for (int i = 0; name[i]; ++i) item.wideName[i] = static_cast<wchar_t>(name[i]);
    item.flags = flags;
    return item;
}

// A rule library: REGINFO and REGLIB through the enciphered streams.
void WriteLibrary(const std::wstring& path, const std::vector<std::vector<std::string>>& records) {
    std::string data;
    for (const auto& r : records) {
        for (const std::string& text : r) data += text + '\0';
        data += '\n';
    }
    RuleStorage storage;
    ASSERT_TRUE(storage.OpenFile(path.c_str(), false));
    {
        auto info = storage.OpenStream("REGINFO");
        ASSERT_NE(info, nullptr);
        uint32_t count = static_cast<uint32_t>(records.size()), size = static_cast<uint32_t>(data.size());
        info->Write(&count, 4);
        info->Write(&size, 4);
    }
    auto lib = storage.OpenStream("REGLIB");
    ASSERT_NE(lib, nullptr);
    lib->Write(data.data(), static_cast<uint32_t>(data.size()));
    lib.reset();
    storage.Close();
}

// A category database of categories with the given items (list order).
void WriteDatabase(const std::wstring& path, std::vector<RuleCategory> categories,
                   const std::vector<std::vector<RuleItem>>& items) {
    for (size_t c = 0; c < categories.size(); ++c)
        for (auto it = items[c].rbegin(); it != items[c].rend(); ++it) PrependItem(&categories[c], &*it);
    ASSERT_EQ(WriteCategories(path.c_str(), categories.data(), static_cast<uint32_t>(categories.size())), 1);
    ClearItems(categories.data(), static_cast<uint32_t>(categories.size()));
}

std::vector<std::string> KeyPaths(const RuleCategory& category) {
    std::vector<std::string> paths;
    for (const RuleItem* item = category.items; item; item = item->next) paths.emplace_back(item->keyPath);
    return paths;
}

const RuleCategory* FindCategory(int32_t id) {
    for (uint32_t c = 0; c < g_ruleStore.count; ++c)
        if (g_ruleStore.categories[c].id == id) return &g_ruleStore.categories[c];
    return nullptr;
}

class RuleStoreMerge : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The installer-information stand-in answers from the scratch suite.
        suite_ = new ScratchDir(L"store-suite");
        ::CopyFileW((SuiteDir() + L"\\QZInstall.dll").c_str(), suite_->File(L"QZInstall.dll").c_str(), FALSE);
        ::CreateDirectoryW(suite_->File(L"AntiVirus").c_str(), nullptr);
        ::CreateDirectoryW(suite_->File(L"AntiVirus\\Data").c_str(), nullptr);
        InstallModule()->Load(suite_->File(L"QZInstall.dll").c_str());
        language_ = ::LoadLibraryW((SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol0409.lng").c_str());
        SetResourceModule(language_);
        SetLibraryRetryWaitForTest(RecordWait);
    }
    static void TearDownTestSuite() {
        ReleaseRuleStore();
        DeleteInstallModule();
        delete suite_;
    }
    void SetUp() override {
        RemoveTree(SettingsFolder());
        BuildSettingsFileSet(g_settingsFiles);
        for (const wchar_t* f : {L"QRegEx0409.rdb", L"RegLib.rdb"}) ::DeleteFileW(Data(f).c_str());
        g_waits.clear();
    }
    void TearDown() override { RemoveTree(SettingsFolder()); }

    static std::wstring Data(const wchar_t* name) { return suite_->File(L"AntiVirus\\Data\\") + name; }
    static std::wstring Settings(const wchar_t* name) { return SettingsFolder() + L"\\" + name; }

    uint32_t Merge() {
        return MergeRuleLibraries(0x0409, g_settingsFiles.userDatabase, g_settingsFiles.expertIni);
    }

    static ScratchDir* suite_;
    static HMODULE language_;
};
ScratchDir* RuleStoreMerge::suite_ = nullptr;
HMODULE RuleStoreMerge::language_ = nullptr;

TEST_F(RuleStoreMerge, LibraryPathsFollowTheLanguageInTheDataFolder) {
    BuildLibraryPath(0x0409);
    EXPECT_EQ(std::string(g_ruleStore.libraryPath), Narrow(Data(L"QRegEx0409.rdb")));
    EXPECT_EQ(std::string(g_ruleStore.regLibPath), Narrow(Data(L"RegLib.rdb")));
    BuildLibraryPath(0x0804);
    EXPECT_EQ(std::string(g_ruleStore.libraryPath), Narrow(Data(L"QRegEx0804.rdb")));
}

TEST_F(RuleStoreMerge, UserCategoryFollowsTheLibraryWithIniRulesThenLibraryRules) {
    WriteDatabase(Data(L"QRegEx0409.rdb"), {Category(1, "Startup"), Category(2, "Browser")},
                  {{Item(kHkeyLocalMachine, "Software\\Run", "run", 2 | 8)}, {}});
    WriteLibrary(Data(L"RegLib.rdb"), {{"LibA", "a", "HKLM\\Lib\\First", "v", "1"},
                                       {"LibB", "b", "HKCU\\Lib\\Second", "v", "2"},
                                       {"LibC", "c", "HKEY_LOCAL_MACHINE\\Long\\Root", "v", "3"}});
    WriteBytes(Settings(L"tempRegUser.ini"),
               "[s1]\r\nname=One\r\nHKCU\\Ini\\K1=x\r\nHKLM\\Ini\\K2=y\r\n[s2]\r\nHKEY_USERS\\Ini\\K3=z\r\n");

    ASSERT_EQ(Merge(), 3u);
    EXPECT_EQ(g_waits.size(), 0u);
    const RuleCategory& user = g_ruleStore.categories[2];
    EXPECT_EQ(user.id, 99);
    EXPECT_EQ(std::wstring(user.wideName), LoadResourceString(IDS_USER_CATEGORY_NAME));
    EXPECT_FALSE(std::wstring(user.wideName).empty());
    EXPECT_EQ(std::string(user.name), Narrow(LoadResourceString(IDS_USER_CATEGORY_NAME)));
    EXPECT_EQ(std::wstring(user.wideDescription), LoadResourceString(IDS_USER_CATEGORY_DESCRIPTION));
    EXPECT_EQ(std::wstring(user.wideExtraText), LoadResourceString(IDS_USER_CATEGORY_EXTRA));
    EXPECT_EQ(user.action, 2);
    EXPECT_EQ(user.mode, 2);
    EXPECT_EQ(user.option4, 1);
    // INI rules in file order, then every library record in stream order
    // (the long root name gives no item).
    EXPECT_EQ(KeyPaths(user), (std::vector<std::string>{"Ini\\K1", "Ini\\K2", "Ini\\K3", "Lib\\First", "Lib\\Second"}));
    std::vector<uint32_t> roots;
    for (const RuleItem* item = user.items; item; item = item->next) {
        roots.push_back(item->root);
        EXPECT_EQ(item->flags, 8u);
    }
    EXPECT_EQ(roots, (std::vector<uint32_t>{kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers, kHkeyLocalMachine,
                                            kHkeyCurrentUser}));
    // The item's name is the rule's category (the INI section).
    EXPECT_STREQ(user.items->name, "s1");
    // Shipped items lose the user bit.
    EXPECT_EQ(g_ruleStore.categories[0].items->flags, 8u);
}

TEST_F(RuleStoreMerge, UserRulesSurviveAMissingShippedLibrary) {
    WriteBytes(Settings(L"tempRegUser.ini"), "[s]\r\nHKCU\\Mine=1\r\n");
    ASSERT_EQ(Merge(), 1u);
    // One retry, after the fixed wait.
    EXPECT_EQ(g_waits, std::vector<DWORD>({4000}));
    EXPECT_EQ(g_ruleStore.categories[0].id, 99);
    EXPECT_EQ(KeyPaths(g_ruleStore.categories[0]), std::vector<std::string>({"Mine"}));
}

TEST_F(RuleStoreMerge, UserDatabaseJoinsAndExtendsTheStoreWithoutDuplicates) {
    WriteDatabase(Data(L"QRegEx0409.rdb"), {Category(1, "Startup")},
                  {{Item(kHkeyLocalMachine, "Software\\Run", "run", 0)}});
    WriteDatabase(Settings(L"QRegUser.rdb"), {Category(1, "Startup"), Category(800, "Mine"), Category(801, "Empty")},
                  {{Item(kHkeyCurrentUser, "Software\\Added", "added", 2), Item(kHkeyLocalMachine, "SOFTWARE\\RUN", "dup", 2)},
                   {Item(kHkeyCurrentUser, "Software\\Mine", "mine", 0)},
                   {}});
    ASSERT_EQ(Merge(), 4u);
    const RuleCategory* startup = FindCategory(1);
    ASSERT_NE(startup, nullptr);
    // The duplicate (letter case aside) is dropped; the new one is in front.
    EXPECT_EQ(KeyPaths(*startup), (std::vector<std::string>{"Software\\Added", "Software\\Run"}));
    EXPECT_EQ(startup->items->flags & 2, 2u);
    EXPECT_EQ(g_ruleStore.categories[1].id, 99);
    EXPECT_EQ(g_ruleStore.categories[2].id, 800);
    EXPECT_EQ(g_ruleStore.categories[3].id, 801);
    EXPECT_EQ(g_ruleStore.categories[2].items->flags & 2, 2u);

    SaveRuleStore();
    std::vector<RuleCategory> saved(kMaxCategories);
    const uint32_t n = ReadCategories(g_ruleStore.userDatabasePath, saved.data(), kMaxCategories);
    ASSERT_EQ(n, 3u);  // library category with its user item, 800, and the empty 801
    EXPECT_EQ(saved[0].id, 1);
    EXPECT_EQ(KeyPaths(saved[0]), std::vector<std::string>({"Software\\Added"}));
    EXPECT_EQ(saved[1].id, 800);
    EXPECT_EQ(saved[2].id, 801);
    EXPECT_EQ(saved[2].items, nullptr);
    ClearItems(saved.data(), n);
}

TEST_F(RuleStoreMerge, ModeAndActionComeFromTheRealFileAndGoToTheWorkingCopy) {
    WriteDatabase(Data(L"QRegEx0409.rdb"), {Category(1, "A"), Category(2, "B")}, {{}, {}});
    WriteBytes(Settings(L"QRegEx.ini"), "[1]\r\nMode=7\r\nAction=0\r\n[2]\r\nMode=-1\r\nAction=-1\r\n[55]\r\nMode=9\r\n");
    WriteBytes(Settings(L"tempQRegEx.ini"), "");
    ASSERT_EQ(Merge(), 3u);
    EXPECT_EQ(FindCategory(1)->mode, 7);
    EXPECT_EQ(FindCategory(1)->action, 0);
    // -1 reads as absent: the loaded values stay.
    EXPECT_EQ(FindCategory(2)->mode, 2);
    EXPECT_EQ(FindCategory(2)->action, 1);

    SaveRuleStore();
    const std::string work = Narrow(Settings(L"tempQRegEx.ini"));
    EXPECT_EQ(::GetPrivateProfileIntA("1", "Mode", -5, work.c_str()), 7u);
    EXPECT_EQ(::GetPrivateProfileIntA("2", "Action", -5, work.c_str()), 1u);
    EXPECT_EQ(::GetPrivateProfileIntA("99", "Mode", -5, work.c_str()), 2u);
    // The real file is untouched by a save.
    EXPECT_EQ(ReadBytes(Settings(L"QRegEx.ini")).find("[99]"), std::string::npos);
}

TEST_F(RuleStoreMerge, ADiscardedUserDatabaseIsMovedAsideNotDeleted) {
    RuleCategory nameless = Category(800, "");
    WriteDatabase(Settings(L"QRegUser.rdb"), {nameless}, {{Item(kHkeyCurrentUser, "Software\\Lost", "x", 2)}});
    const std::string before = ReadBytes(Settings(L"QRegUser.rdb"));
    ASSERT_EQ(Merge(), 1u);
    EXPECT_FALSE(FileExists(Settings(L"QRegUser.rdb"))) << ::testing::PrintToString(Settings(L"QRegUser.rdb"));
    EXPECT_EQ(ReadBytes(Settings(L"QRegUser.rdb.discarded")), before);
}

TEST_F(RuleStoreMerge, AFullLibraryStillLeavesRoomForTheUserCategory) {
    std::vector<RuleCategory> many;
    for (int i = 0; i < 1000; ++i) many.push_back(Category(i + 1, "c"));
    WriteDatabase(Data(L"QRegEx0409.rdb"), many, std::vector<std::vector<RuleItem>>(1000));
    WriteDatabase(Settings(L"QRegUser.rdb"), {Category(900000, "Extra")}, {{}});
    ASSERT_EQ(Merge(), kMaxCategories);
    EXPECT_EQ(g_ruleStore.categories[kMaxCategories - 1].id, 99);
    EXPECT_EQ(FindCategory(900000), nullptr);  // dropped: no room
}

TEST_F(RuleStoreMerge, UserCategoriesBeyondTheStoresRoomAreKeptAtEverySave) {
    std::vector<RuleCategory> shipped;
    for (int i = 0; i < 985; ++i) shipped.push_back(Category(-1 - i, "shipped"));
    WriteDatabase(Data(L"QRegEx0409.rdb"), shipped, std::vector<std::vector<RuleItem>>(985));
    std::vector<RuleCategory> own;
    std::vector<std::vector<RuleItem>> ownItems;
    for (int i = 0; i < 20; ++i) {
        own.push_back(Category(2000 + i, "own"));
        const std::string key = "Software\\Own" + std::to_string(i);
        ownItems.push_back({Item(kHkeyCurrentUser, (key + "\\A").c_str(), "a", 2),
                            Item(kHkeyCurrentUser, (key + "\\B").c_str(), "b", 2)});
    }
    WriteDatabase(Settings(L"QRegUser.rdb"), own, ownItems);

    ASSERT_EQ(Merge(), kMaxCategories);  // 985 shipped, the user category, 14 of the user's
    EXPECT_EQ(g_ruleStore.categories[kMaxCategories - 1].id, 2013);
    // An edit saves the store: the six that did not fit are still in the file,
    // after the store's own, with their items in their order.  (The options
    // of 1000 categories are not what this is about: they are left out.)
    g_ruleStore.unreadableFiles |= kUnreadableExpertIni;
    SaveRuleStore();
    std::vector<RuleCategory> saved(kMaxCategories);
    const uint32_t n = ReadCategories(g_ruleStore.userDatabasePath, saved.data(), kMaxCategories);
    ASSERT_EQ(n, 20u);
    for (uint32_t i = 0; i < n; ++i) {
        EXPECT_EQ(saved[i].id, static_cast<int32_t>(2000 + i));
        const std::string key = "Software\\Own" + std::to_string(i);
        // Those shown were saved as the store saves any category; those aside
        // exactly as the file held them.
        const std::vector<std::string> expected =
            i < 14 ? std::vector<std::string>{key + "\\A", key + "\\B"} : std::vector<std::string>{key + "\\B", key + "\\A"};
        EXPECT_EQ(KeyPaths(saved[i]), expected) << "category " << i;
    }
    ClearItems(saved.data(), n);
}

TEST_F(RuleStoreMerge, AnEmptyUserDatabaseIsReplacedWhenTheStoreIsSaved) {
    // An imported profile without a user database leaves empty files.
    WriteBytes(Settings(L"QRegUser.rdb"), "");
    WriteBytes(Settings(L"tempQRegUser.rdb"), "");
    ASSERT_EQ(Merge(), 1u);
    g_ruleStore.categories[g_ruleStore.count++] = Category(800, "Added");
    SaveRuleStore();
    std::vector<RuleCategory> saved(kMaxCategories);
    ASSERT_EQ(ReadCategories(g_ruleStore.userDatabasePath, saved.data(), kMaxCategories), 1u);
    EXPECT_EQ(saved[0].id, 800);

    // A file with bytes that is no database stays the user's.
    WriteBytes(Settings(L"tempQRegUser.rdb"), "something else");
    SaveRuleStore();
    EXPECT_EQ(ReadBytes(Settings(L"tempQRegUser.rdb")), "something else");
}

}  // namespace
