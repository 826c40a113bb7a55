// "dump" then "pack" gives back the same streams, byte for byte: for the
// shipped samples and for a database that the plug-in's own writer made.
#include <gtest/gtest.h>

#include <cstring>

#include "core/root_names.h"
#include "rules/rule_database.h"
#include "tests/inspector/inspector_process.h"

using namespace inspector_testing;
using testing_support::ScratchDir;

namespace {

class DumpPack : public ::testing::Test {
protected:
    // Dumps `database` (with the extra arguments), packs the dump and
    // compares the two files' streams.
    void ExpectRoundTrip(const std::wstring& database, const std::wstring& extra = L"") {
        const std::wstring source = folder_.File(L"dump.rdbsrc"), packed = folder_.File(L"packed.rdb");
        ::DeleteFileW(packed.c_str());
        const InspectRun dump = RunInspect(L"dump " + Quoted(database) + L" " + Quoted(source) + extra, folder_);
        ASSERT_EQ(dump.status, 0u) << dump.err;
        EXPECT_EQ(dump.err, "") << "a file as written dumps without warnings";
        const InspectRun pack = RunInspect(L"pack " + Quoted(source) + L" " + Quoted(packed), folder_);
        ASSERT_EQ(pack.status, 0u) << pack.err;
        const std::vector<std::vector<uint8_t>> original = DatabaseStreams(database);
        ASSERT_FALSE(original.empty());
        EXPECT_TRUE(DatabaseStreams(packed) == original) << testing_support::Narrow(database) << Narrow(extra);
    }
    static std::string Narrow(const std::wstring& text) { return testing_support::Narrow(text); }

    ScratchDir folder_{L"inspect-dump"};
};

TEST_F(DumpPack, ShippedSamples) {
    for (const wchar_t* name : {L"QRegEx0409.rdb", L"QRegEx0804.rdb", L"RegLib.rdb"}) {
        SCOPED_TRACE(Narrow(name));
        ExpectRoundTrip(testing_support::SuiteDir() + L"\\AntiVirus\\Data\\" + name);
    }
}

// Texts the code page cannot hold, narrow forms that differ from the wide
// ones, dot paths, odd flags and roots, empty texts, an empty category.
TEST_F(DumpPack, ADatabaseWrittenByThePlugIn) {
    RuleCategory categories[3];
    std::memset(categories, 0, sizeof categories);
    RuleCategory& chinese = categories[0];
    chinese.id = 7;
    const wchar_t wideName[] = L"\x542F\x52A8\x9879";  // not in code page 1252
    std::memcpy(chinese.wideName, wideName, sizeof wideName);
    std::strcpy(chinese.name, "\xC6\xF4\xB6\xAF\xCF\xEE");  // the same in code page 936
    std::wcscpy(chinese.wideDescription, L"Tab\there, \"quoted\" and `ticked`");
    std::strcpy(chinese.description, "Tab\there, \"quoted\" and `ticked`");
    chinese.action = 2;
    chinese.mode = -1;
    chinese.adminOnly = 1;
    RuleCategory& odd = categories[1];
    odd.id = 800;
    std::strcpy(odd.name, "Odd\xE9");  // a narrow form of its own
    std::wcscpy(odd.wideName, L"Odd");
    std::strcpy(odd.extraText, "extra");
    std::wcscpy(odd.wideExtraText, L"extra");
    RuleItem item;
    const struct {
        uint32_t root;
        const char* keyPath;
        uint32_t flags;
    } items[] = {{kHkeyClassesRoot, ".exe", 1}, {0x80000004, "Software\\Unknown root", 0},
                 {kHkeyCurrentUser, "Software\\Flags", 0x2 | 0x8 | 0x100}};
    for (const auto& wanted : items) {
        std::memset(&item, 0, sizeof item);
        item.root = wanted.root;
        std::strcpy(item.keyPath, wanted.keyPath);
        std::strcpy(item.name, "item");
        std::wcscpy(item.wideName, L"item");
        item.flags = wanted.flags;
        PrependItem(&chinese, &item);
    }
    categories[2].id = -5;  // every text empty, no items
    const std::wstring database = folder_.File(L"written.rdb");
    ASSERT_EQ(WriteCategories(database.c_str(), categories, 3), 1);
    ClearItems(categories, 3);

    ExpectRoundTrip(database);
    ExpectRoundTrip(database, L" --codepage 936");
    ExpectRoundTrip(database, L" --codepage 1251");  // neither text fits there: byte escapes
}

}  // namespace
