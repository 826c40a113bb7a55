// The sample databases that the build packed into the suite folder, loaded
// by the rule store as the plug-in's Load does, in both languages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lang/resource.h"
#include "win/install_info.h"
#include "win/raii.h"
#include "win/resource_module.h"
#include "win/settings_files.h"
#include "rules/rule_store.h"
#include "tests/support/plugin_library.h"
#include "tool_test_support.h"
#include "rdbtool/file_bytes.h"

using namespace testing_support;
using tool_testing::Parse;
using tool_testing::SourceTree;

namespace {

void NoWait(DWORD) {}

// The parsed source of a sample.
void ReadSample(const wchar_t* name, RdbSource& source) {
    std::string text;
    ASSERT_TRUE(ReadFileBytes(SourceTree() + L"\\data\\" + name + L".rdbsrc", text))
        << ::testing::PrintToString(SourceTree() + L"\\data\\" + name + L".rdbsrc") << ", error " << ::GetLastError();
    Parse(text, source);
}

std::vector<const RuleItem*> Items(const RuleCategory& category) {
    std::vector<const RuleItem*> items;
    for (const RuleItem* item = category.items; item; item = item->next) items.push_back(item);
    return items;
}

class SampleData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A scratch suite with the installer-information stand-in and the
        // built data folder, so the store finds the samples where it looks.
        suite_ = new ScratchDir(L"sample-suite");
        ::CopyFileW((SuiteDir() + L"\\QZInstall.dll").c_str(), suite_->File(L"QZInstall.dll").c_str(), FALSE);
        ::CreateDirectoryW(suite_->File(L"AntiVirus").c_str(), nullptr);
        CopyTree(SuiteDir() + L"\\AntiVirus\\Data", suite_->File(L"AntiVirus\\Data"));
        InstallModule()->Load(suite_->File(L"QZInstall.dll").c_str());
        SetLibraryRetryWaitForTest(NoWait);
    }
    static void TearDownTestSuite() {
        ReleaseRuleStore();
        SetResourceModule(nullptr);
        DeleteInstallModule();
        delete suite_;
    }
    void SetUp() override {
        RemoveTree(SettingsFolder());
        BuildSettingsFileSet(g_settingsFiles);
    }
    void TearDown() override {
        SetResourceModule(nullptr);
        RemoveTree(SettingsFolder());
    }

    // Loads the store for the language with its language module.
    uint32_t Load(WORD language) {
        wchar_t module[64];
        _snwprintf(module, 63, L"\\AntiVirus\\lang\\VtPesTrol%04X.lng", language);
        module[63] = 0;
        language_.reset(::LoadLibraryW((SuiteDir() + module).c_str()));
        SetResourceModule(language_.get());
        return MergeRuleLibraries(language, g_settingsFiles.userDatabase, g_settingsFiles.expertIni);
    }

    // The shipped categories of the store match the sample source: same
    // order and texts, items in reverse (the reader puts each in front).
    void ExpectStoreHoldsSource(const RdbSource& source) {
        const uint32_t n = source.database.Count();
        ASSERT_EQ(g_ruleStore.count, n + 1);
        for (uint32_t c = 0; c < n; ++c) {
            const RuleCategory& want = source.database.Categories()[c];
            const RuleCategory& got = g_ruleStore.categories[c];
            EXPECT_EQ(got.id, want.id);
            EXPECT_STREQ(got.wideName, want.wideName);
            EXPECT_STREQ(got.name, want.name);
            EXPECT_STREQ(got.wideDescription, want.wideDescription);
            EXPECT_EQ(got.action, want.action);
            EXPECT_EQ(got.mode, want.mode);
            EXPECT_EQ(got.adminOnly, want.adminOnly);
            std::vector<const RuleItem*> wantItems = Items(want), gotItems = Items(got);
            ASSERT_EQ(gotItems.size(), wantItems.size()) << got.id;
            for (size_t i = 0; i < wantItems.size(); ++i) {
                const RuleItem& w = *wantItems[wantItems.size() - 1 - i];
                EXPECT_EQ(gotItems[i]->root, w.root);
                EXPECT_STREQ(gotItems[i]->keyPath, w.keyPath);
                EXPECT_STREQ(gotItems[i]->wideName, w.wideName);
                EXPECT_EQ(gotItems[i]->flags, w.flags);
            }
        }
    }

    static ScratchDir* suite_;
    UniqueModule language_;
};
ScratchDir* SampleData::suite_ = nullptr;

TEST_F(SampleData, SourcesDescribeARealisticProtectionSet) {
    RdbSource english, chinese, library;
    ReadSample(L"QRegEx0409", english);
    ReadSample(L"QRegEx0804", chinese);
    ReadSample(L"RegLib", library);
    EXPECT_EQ(english.codePage, 1252u);
    EXPECT_EQ(chinese.codePage, 936u);
    ASSERT_GE(english.database.Count(), 10u);
    ASSERT_LE(english.database.Count(), 14u);
    ASSERT_EQ(chinese.database.Count(), english.database.Count());
    for (uint32_t c = 0; c < english.database.Count(); ++c) {
        const RuleCategory& e = english.database.Categories()[c];
        const RuleCategory& z = chinese.database.Categories()[c];
        EXPECT_EQ(e.id, static_cast<int32_t>(c + 1));
        // The same rules, translated texts.
        EXPECT_EQ(z.id, e.id);
        EXPECT_EQ(z.action, e.action);
        EXPECT_EQ(z.mode, e.mode);
        EXPECT_EQ(z.adminOnly, e.adminOnly);
        EXPECT_STRNE(z.wideName, e.wideName);
        EXPECT_NE(e.wideDescription[0], 0) << e.id;
        std::vector<const RuleItem*> ei = Items(e), zi = Items(z);
        EXPECT_GE(ei.size(), 3u);
        EXPECT_LE(ei.size(), 10u);
        ASSERT_EQ(zi.size(), ei.size()) << e.id;
        for (size_t i = 0; i < ei.size(); ++i) {
            EXPECT_EQ(zi[i]->root, ei[i]->root);
            EXPECT_STREQ(zi[i]->keyPath, ei[i]->keyPath);
            EXPECT_EQ(zi[i]->flags, ei[i]->flags);
        }
    }
    EXPECT_GE(library.library.rules.size(), 20u);
    EXPECT_LE(library.library.rules.size(), 40u);
}

TEST_F(SampleData, EnglishLibraryLoadsWithTheUserCategoryAfterIt) {
    RdbSource english, library;
    ReadSample(L"QRegEx0409", english);
    ReadSample(L"RegLib", library);
    WriteBytes(SettingsFolder() + L"\\tempRegUser.ini", "[Mine]\r\nname=Mine\r\nHKCU\\Software\\Mine\\Value=1\r\n");

    ASSERT_EQ(Load(0x0409), english.database.Count() + 1);
    ExpectStoreHoldsSource(english);
    const RuleCategory& user = g_ruleStore.categories[english.database.Count()];
    EXPECT_EQ(user.id, 99);
    EXPECT_STREQ(user.wideName, LoadResourceString(IDS_USER_CATEGORY_NAME).c_str());
    // The user's INI rule, then every library rule in record order.
    std::vector<const RuleItem*> items = Items(user);
    ASSERT_EQ(items.size(), library.library.rules.size() + 1);
    EXPECT_STREQ(items[0]->keyPath, "Software\\Mine\\Value");
    for (size_t r = 0; r < library.library.rules.size(); ++r) {
        const std::string& keyPath = library.library.rules[r].keyPath;
        EXPECT_EQ(keyPath.substr(keyPath.find('\\') + 1), items[r + 1]->keyPath);
        EXPECT_EQ(library.library.rules[r].category, items[r + 1]->name);
        EXPECT_EQ(items[r + 1]->flags, 8u);
    }
}

TEST_F(SampleData, ChineseLibraryLoadsWithTextsInCodePage936) {
    RdbSource chinese;
    ReadSample(L"QRegEx0804", chinese);
    ASSERT_EQ(Load(0x0804), chinese.database.Count() + 1);
    ExpectStoreHoldsSource(chinese);
    // A Chinese system reads the narrow names as the wide ones.
    for (uint32_t c = 0; c < chinese.database.Count(); ++c) {
        const RuleCategory& got = g_ruleStore.categories[c];
        wchar_t wide[64] = {};
        ASSERT_GT(::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, got.name, -1, wide, 64), 0);
        EXPECT_STREQ(wide, got.wideName);
        for (const RuleItem* item = got.items; item; item = item->next) {
            wchar_t itemName[256] = {};
            ASSERT_GT(::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, item->name, -1, itemName, 256), 0);
            EXPECT_STREQ(itemName, item->wideName);
        }
    }
    EXPECT_EQ(g_ruleStore.categories[chinese.database.Count()].id, 99);
}

}  // namespace
