// Packed files read back through the plug-in's own readers, and dumps that
// pack to the very same stream bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/root_names.h"
#include "rules/rule_database.h"
#include "rules/rule_entry_list.h"
#include "rules/rule_storage.h"
#include "tool_test_support.h"
#include "rdbtool/dump.h"
#include "rdbtool/max_set.h"
#include "rdbtool/pack.h"

using namespace testing_support;
using tool_testing::Pack;
using tool_testing::Parse;
using tool_testing::SourceTree;
using tool_testing::Streams;

namespace {

class PackDump : public ::testing::Test {
protected:
    ScratchDir folder_{L"rdbtool"};
    std::wstring File(const wchar_t* name) const { return folder_.File(name); }

    // Dumps the file, packs the dump and compares the streams of both.
    void ExpectDumpRepacksIdentically(const std::wstring& path, RdbKind kind, uint32_t codePage = 0) {
        DumpResult dump;
        std::string error;
        ASSERT_TRUE(DumpDatabaseFile(path, codePage, dump, error)) << error;
        EXPECT_TRUE(dump.canonical);
        EXPECT_TRUE(dump.warnings.empty()) << ::testing::PrintToString(dump.warnings);
        const std::wstring again = path + L".again";
        Pack(dump.text, again);
        EXPECT_EQ(Streams(again, kind), Streams(path, kind)) << dump.text;
    }
};

struct CategoriesRead {
    std::vector<RuleCategory> categories = std::vector<RuleCategory>(kMaxCategories);
    uint32_t count = 0;
    ~CategoriesRead() { ClearItems(categories.data(), count); }
};

std::vector<std::string> KeyPaths(const RuleCategory& category) {
    std::vector<std::string> paths;
    for (const RuleItem* item = category.items; item; item = item->next) paths.emplace_back(item->keyPath);
    return paths;
}

TEST_F(PackDump, PackedCategoriesReadBackThroughThePluginReader) {
    Pack("kind categories\ncodepage 936\n"
         "category 5 \"浏览器\"\n  description \"主页\"\n  action 2\n  mode 0x200\n  option4 1\n  admin-only 1\n"
         "  item HKCU \"Software\\A\" \"甲\"\n  item HKCR \".exe\" \"乙\"\n  item HKLM \"Software\\C\" \"C\" flags 10\n"
         "category 800 \"Mine\"\n",
         File(L"c.rdb"));
    CategoriesRead read;
    read.count = ReadCategories(File(L"c.rdb").c_str(), read.categories.data(), kMaxCategories);
    ASSERT_EQ(read.count, 2u);
    const RuleCategory& c = read.categories[0];
    EXPECT_EQ(c.id, 5);
    EXPECT_STREQ(c.wideName, L"\x6D4F\x89C8\x5668");
    EXPECT_STREQ(c.name, "\xE4\xAF\xC0\xC0\xC6\xF7");  // GBK, whatever this machine's code page
    EXPECT_STREQ(c.wideDescription, L"\x4E3B\x9875");
    EXPECT_EQ(c.action, 2);
    EXPECT_EQ(c.mode, 0x200);
    EXPECT_EQ(c.option4, 1);
    EXPECT_EQ(c.adminOnly, 1);
    // The reader puts each item in front: the list runs against the source.
    EXPECT_EQ(KeyPaths(c), (std::vector<std::string>{"Software\\C", ".exe", "Software\\A"}));
    EXPECT_EQ(c.items->flags, 10u);
    EXPECT_EQ(c.items->next->flags, 1u);
    EXPECT_EQ(c.items->next->root, kHkeyClassesRoot);
    EXPECT_STREQ(c.items->next->next->name, "\xBC\xD7");
    EXPECT_EQ(read.categories[1].id, 800);
    EXPECT_EQ(read.categories[1].items, nullptr);
}

TEST_F(PackDump, PackedLibraryReadsBackThroughThePluginReader) {
    Pack("kind library\ncodepage 1252\n"
         "rule \"Browser\" \"Start page\" \"HKCU\\Software\\Main\" \"about:blank\" 2\n"
         "rule \"Files\" \"Programs\" \"HKCR\\exefile\" \"\\*.exe\" -1\n"
         "rule \"Caf\xC3\xA9\" \"\" \"HKLM\\X\" \"v\"\n",
         File(L"l.rdb"));
    RuleEntryList list(ReadRuleLibrary(File(L"l.rdb").c_str()));
    std::vector<const RuleEntry*> entries;
    for (const RuleEntry* e = list.get(); e; e = e->next) entries.push_back(e);
    ASSERT_EQ(entries.size(), 3u);
    // Reverse of the record order; value patterns expanded by the reader.
    EXPECT_STREQ(entries[0]->category, "Caf\xE9");
    EXPECT_EQ(entries[0]->number, 0);
    EXPECT_STREQ(entries[1]->keyPath, "HKCR\\exefile");
    EXPECT_STREQ(entries[1]->valuePattern, "*");
    EXPECT_EQ(entries[1]->number, -1);
    EXPECT_STREQ(entries[2]->category, "Browser");
    EXPECT_STREQ(entries[2]->displayName, "Start page");
    EXPECT_STREQ(entries[2]->valuePattern, "about:blank");
    EXPECT_EQ(entries[2]->number, 2);

    // REGINFO counts the records and the REGLIB bytes, closing NUL included.
    auto streams = Streams(File(L"l.rdb"), RdbKind::kLibrary);
    ASSERT_EQ(streams.size(), 2u);
    ASSERT_EQ(streams[0].size(), 8u);
    uint32_t count, size;
    std::memcpy(&count, &streams[0][0], 4);
    std::memcpy(&size, &streams[0][4], 4);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(size, streams[1].size());
    EXPECT_EQ(streams[1].back(), 0);
    const std::string expected("Browser\0Start page\0HKCU\\Software\\Main\0about:blank\0" "2\0\n", 53);
    EXPECT_EQ(std::string(streams[1].begin(), streams[1].begin() + expected.size()), expected);
}

TEST_F(PackDump, SampleDatabasesDumpAndRepackToTheSameStreams) {
    const struct {
        const wchar_t* name;
        RdbKind kind;
    } samples[] = {{L"QRegEx0409", RdbKind::kCategories}, {L"QRegEx0804", RdbKind::kCategories},
                   {L"RegLib", RdbKind::kLibrary}};
    for (const auto& sample : samples) {
        const std::wstring packed = File(sample.name) + L".rdb";
        std::vector<SourceMessage> warnings;
        SourceMessage error;
        ASSERT_TRUE(PackSourceFile(SourceTree() + L"\\data\\" + sample.name + L".rdbsrc", packed, warnings, error))
            << error.line << ": " << error.text;
        EXPECT_TRUE(warnings.empty()) << ::testing::PrintToString(warnings);
        ExpectDumpRepacksIdentically(packed, sample.kind);
    }
    // The dump of the Chinese library says so, and reads as Chinese.
    DumpResult dump;
    std::string error;
    ASSERT_TRUE(DumpDatabaseFile(File(L"QRegEx0804.rdb"), 0, dump, error)) << error;
    EXPECT_EQ(dump.codePage, 936u);
    EXPECT_NE(dump.text.find("category 1 \"\xE5\x90\xAF\xE5\x8A\xA8\xE9\xA1\xB9\""), std::string::npos);
}

// A database that no source of ours would give: narrow texts that are not
// the wide ones, unpaired surrogates, an unknown root, a cleared dot bit,
// control characters and the format's own quote and escape characters.
TEST_F(PackDump, OddDatabasesWrittenByThePluginAlsoRepackIdentically) {
    std::vector<RuleCategory> categories(3);
    for (RuleCategory& c : categories) std::memset(&c, 0, sizeof c);
    categories[0].id = 99;
    std::strcpy(categories[0].name, "narrow \x81\xFF differs");
    std::wcscpy(categories[0].wideName, L"wide `\"\t\xD800 \x4E2D");
    std::strcpy(categories[0].description, "only narrow");
    std::wcscpy(categories[0].wideExtraText, L"only wide");
    categories[0].mode = -1;
    categories[0].option3 = 7;
    categories[1].id = 800;
    categories[2].id = -5;
    std::wcscpy(categories[2].wideName, L"\x542F");
    std::strcpy(categories[2].name, "\xC6\xF4");
    RuleItem items[3];
    std::memset(items, 0, sizeof items);
    items[0].root = 0x80000004;
    std::strcpy(items[0].keyPath, ".dot\x01");
    items[0].flags = 0;
    items[1].root = kHkeyUsers;
    std::strcpy(items[1].keyPath, "S-1-5-18\\Key");
    std::strcpy(items[1].name, "n\xE9");
    std::wcscpy(items[1].wideName, L"other");
    items[1].flags = 0xFFFFFFFF;
    items[2].root = kHkeyCurrentUser;
    std::strcpy(items[2].keyPath, "x");
    for (const RuleItem& item : items) PrependItem(&categories[0], &item);
    PrependItem(&categories[2], &items[2]);
    ASSERT_EQ(WriteCategories(File(L"odd.rdb").c_str(), categories.data(), 3), 1);
    ClearItems(categories.data(), 3);
    ExpectDumpRepacksIdentically(File(L"odd.rdb"), RdbKind::kCategories);
    ExpectDumpRepacksIdentically(File(L"odd.rdb"), RdbKind::kCategories, 1252);

    Pack("kind library\ncodepage 936\nseparator 0\n"
         "rule \"\xE5\x90\xAF\" \"`x81\" \"HKEY_USERS\\.DEFAULT\" \"`t`\"``\" 2147483647\n",
         File(L"oddlib.rdb"));
    ExpectDumpRepacksIdentically(File(L"oddlib.rdb"), RdbKind::kLibrary);
}

TEST_F(PackDump, DumpWarnsWhenAFileIsNotInTheWrittenForm) {
    // REGINFO promises more records than there are: readers stop at the NUL.
    {
        RuleStorage storage;
        ASSERT_TRUE(storage.OpenFile(File(L"short.rdb").c_str(), false));
        auto info = storage.OpenStream("REGINFO");
        uint32_t values[2] = {5, 16};
        info->Write(values, 8);
        info.reset();
        auto lib = storage.OpenStream("REGLIB");
        lib->Write("a\0b\0HKLM\\c\0d\0" "1\0\n\0\0\0", 16);
    }
    DumpResult dump;
    std::string error;
    ASSERT_TRUE(DumpDatabaseFile(File(L"short.rdb"), 0, dump, error)) << error;
    EXPECT_FALSE(dump.canonical);
    ASSERT_EQ(dump.warnings.size(), 1u);
    EXPECT_NE(dump.text.find("rule \"a\" \"b\" \"HKLM\\c\" \"d\" 1"), std::string::npos);

    EXPECT_FALSE(DumpDatabaseFile(File(L"missing.rdb"), 0, dump, error));
    WriteBytes(File(L"plain.txt"), "not a compound file");
    EXPECT_FALSE(DumpDatabaseFile(File(L"plain.txt"), 0, dump, error));
    EXPECT_NE(error.find("not a rule database"), std::string::npos);
}

TEST_F(PackDump, AFailedPackLeavesTheOutputAsItWas) {
    WriteBytes(File(L"src.txt"), "kind categories\ncodepage 1252\ncategory 1 \"a\"\n  item HKXX \"k\" \"n\"\n");
    WriteBytes(File(L"out.rdb"), "previous");
    std::vector<SourceMessage> warnings;
    SourceMessage error;
    EXPECT_FALSE(PackSourceFile(File(L"src.txt"), File(L"out.rdb"), warnings, error));
    EXPECT_EQ(error.line, 4);
    EXPECT_EQ(ReadBytes(File(L"out.rdb")), "previous");
    EXPECT_FALSE(FileExists(File(L"out.rdb.partial"))) << ::testing::PrintToString(File(L"out.rdb.partial"));

    // A packed file replaces a database of the other kind whole: no stream
    // of the old one survives in it.
    Pack("kind library\ncodepage 1252\nrule \"a\" \"b\" \"HKLM\\c\" \"d\"\n", File(L"kind.rdb"));
    Pack("kind categories\ncodepage 1252\ncategory 1 \"a\"\n", File(L"kind.rdb"));
    std::vector<std::vector<uint8_t>> streams;
    EXPECT_FALSE(ReadWholeStreams(File(L"kind.rdb"), DatabaseStreamNames(RdbKind::kLibrary), streams));
    EXPECT_TRUE(ReadWholeStreams(File(L"kind.rdb"), DatabaseStreamNames(RdbKind::kCategories), streams));

    // When the new file cannot be made, the output stays as it was.
    ::CreateDirectoryW(File(L"out.rdb.partial").c_str(), nullptr);
    WriteBytes(File(L"ok.txt"), "kind categories\ncodepage 1252\ncategory 1 \"a\"\n");
    EXPECT_FALSE(PackSourceFile(File(L"ok.txt"), File(L"out.rdb"), warnings, error));
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(ReadBytes(File(L"out.rdb")), "previous");
}

TEST_F(PackDump, MaxSetHasItsShapeAndRepacksIdentically) {
    MaxSetShape shape;
    shape.categories = 12;
    shape.itemsPerCategory = 5;
    shape.libraryRecords = 30;
    shape.iniRules = 25;
    shape.userItems = 250;
    std::string error;
    ASSERT_TRUE(GenerateMaxSet(folder_.Path(), folder_.Path(), shape, error)) << error;

    CategoriesRead library;
    library.count = ReadCategories(File(kMaxSetLibraryName).c_str(), library.categories.data(), kMaxCategories);
    ASSERT_EQ(library.count, 12u);
    EXPECT_EQ(KeyPaths(library.categories[11]).size(), 5u);
    RuleEntryList rules(ReadRuleLibrary(File(L"RegLib.rdb").c_str()));
    EXPECT_EQ(CountRuleEntries(rules.get()), 30u);

    // User items: 100 per category, joining library categories but the
    // last; every tenth at a library location.
    CategoriesRead user;
    user.count = ReadCategories(File(L"QRegUser.rdb").c_str(), user.categories.data(), kMaxCategories);
    ASSERT_EQ(user.count, 3u);
    EXPECT_EQ(user.categories[0].id, 1);
    EXPECT_EQ(user.categories[1].id, 2);
    EXPECT_EQ(user.categories[2].id, 800);
    uint32_t items = 0, repeats = 0;
    for (uint32_t c = 0; c < user.count; ++c)
        for (const RuleItem* item = user.categories[c].items; item; item = item->next, ++items) {
            EXPECT_EQ(item->flags, 2u);
            for (uint32_t l = 0; l < library.count; ++l)
                for (const RuleItem* shipped = library.categories[l].items; shipped; shipped = shipped->next)
                    repeats += shipped->root == item->root && _stricmp(shipped->keyPath, item->keyPath) == 0;
        }
    EXPECT_EQ(items, 250u);
    EXPECT_EQ(repeats, 25u);

    const std::string ini = ReadBytes(File(L"RegUser.ini"));
    EXPECT_EQ(ini.find("[Rules00000]\r\nname=Rule group 0\r\nHKLM\\Software\\HandRules\\Key00000\\Value=data0,0\r\n"),
              0u);
    EXPECT_NE(ini.find("HKEY_CURRENT_USER\\Software\\HandRules\\Key00023\\Value="), std::string::npos);
    EXPECT_NE(ReadBytes(File(L"QRegEx.ini")).find("[12]\r\nMode="), std::string::npos);

    ExpectDumpRepacksIdentically(File(kMaxSetLibraryName), RdbKind::kCategories);
    ExpectDumpRepacksIdentically(File(L"QRegUser.rdb"), RdbKind::kCategories);
    ExpectDumpRepacksIdentically(File(L"RegLib.rdb"), RdbKind::kLibrary);
}

}  // namespace
