#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "rules/rule_database.h"
#include "rules/rule_entry_list.h"
#include "rules/rule_storage.h"
#include "tests/support/test_files.h"
#include "tests/support/compound_file_damage.h"

using testing_support::FileExists;
using testing_support::Narrow;
using testing_support::ScratchDir;

namespace {

struct LibraryRecord {
    std::string category, displayName, keyPath, valuePattern, number;
};

std::string Encode(const std::vector<LibraryRecord>& records) {
    std::string data;
    for (const LibraryRecord& r : records) {
        for (const std::string* text : {&r.category, &r.displayName, &r.keyPath, &r.valuePattern, &r.number}) {
            data += *text;
            data += '\0';
        }
        data += '\n';  // the separator byte, never looked at by the reader
    }
    return data;
}

// Rule libraries are written only by the build tool; this test writer puts
// REGINFO and REGLIB through the same enciphered streams that the reader uses.
void WriteLibrary(const std::wstring& path, uint32_t count, uint32_t size, const std::string& data) {
    RuleStorage storage;
    ASSERT_TRUE(storage.OpenFile(path.c_str(), false));
    {
        auto info = storage.OpenStream("REGINFO");
        ASSERT_NE(info, nullptr);
        ASSERT_TRUE(info->Write(&count, 4));
        ASSERT_TRUE(info->Write(&size, 4));
    }
    auto lib = storage.OpenStream("REGLIB");
    ASSERT_NE(lib, nullptr);
    ASSERT_TRUE(lib->Write(data.data(), static_cast<uint32_t>(data.size())));
}

struct EntryView {
    std::string category, displayName, keyPath, valuePattern;
    int number;
    bool operator==(const EntryView& o) const {
        return category == o.category && displayName == o.displayName && keyPath == o.keyPath &&
               valuePattern == o.valuePattern && number == o.number;
    }
};

std::vector<EntryView> ReadLibrary(const std::wstring& path) {
    RuleEntryList list(ReadRuleLibrary(path.c_str()));
    std::vector<EntryView> out;
    for (const RuleEntry* e = list.get(); e; e = e->next)
        out.push_back({e->category, e->displayName, e->keyPath, e->valuePattern, e->number});
    return out;
}

class RuleLibraryTest : public ::testing::Test {
protected:
    RuleLibraryTest() {
        m_platform.systemDirectory = "C:\\WIN\\SYS";
        m_records = {
            {"Startup", "Run keys", "HKLM\\Software\\Run", "%SYSTEM%\\a.exe", "3"},
            {"Browser", "", "HKCU\\Software\\Start Page", "\\*.exe", "-2"},
            {std::string(80, 'c'), "Shown", "HKCR\\.exe", "plain", "x"},
        };
        m_data = Encode(m_records);
    }
    std::wstring Path() const { return m_folder.File(L"RegLib.rdb"); }
    uint32_t Size() const { return static_cast<uint32_t>(m_data.size()); }

    ScratchDir m_folder{L"rules"};
    FakePlatform m_platform;
    std::vector<LibraryRecord> m_records;
    std::string m_data;
};

TEST_F(RuleLibraryTest, RecordsComeBackReversedWithValuePatternsExpanded) {
    WriteLibrary(Path(), 3, Size(), m_data + '\0');
    const std::vector<EntryView> expected = {
        {std::string(63, 'c'), "Shown", "HKCR\\.exe", "plain", 0},
        {"Browser", "", "HKCU\\Software\\Start Page", "*", -2},
        {"Startup", "Run keys", "HKLM\\Software\\Run", "C:\\WIN\\SYS\\a.exe", 3},
    };
    EXPECT_EQ(ReadLibrary(Path()), expected);
    // The ANSI path of the rule store reaches the same file.
    RuleEntryList viaAnsi(ReadRuleLibrary(Narrow(m_folder.File(L"RegLib.rdb")).c_str()));
    EXPECT_EQ(CountRuleEntries(viaAnsi.get()), 3u);
}

TEST_F(RuleLibraryTest, CountLimitsTheRecordsMade) {
    WriteLibrary(Path(), 2, Size(), m_data);
    auto entries = ReadLibrary(Path());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].category, "Browser");
    EXPECT_EQ(entries[1].category, "Startup");
}

TEST_F(RuleLibraryTest, LargerCountStopsAtTheTerminatingNul) {
    WriteLibrary(Path(), 50, Size() + 1, m_data + '\0');
    EXPECT_EQ(ReadLibrary(Path()).size(), 3u);
}

TEST_F(RuleLibraryTest, RecordCutShortIsNotMade) {
    // The data size ends inside the third record's key path.
    const uint32_t cut = static_cast<uint32_t>(m_data.find("HKCR"));
    WriteLibrary(Path(), 3, cut + 2, m_data);
    auto entries = ReadLibrary(Path());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].category, "Browser");
}

TEST_F(RuleLibraryTest, ZeroCountOrSizeGivesNone) {
    WriteLibrary(Path(), 0, Size(), m_data);
    EXPECT_EQ(ReadLibrary(Path()).size(), 0u);
    WriteLibrary(Path(), 3, 0, m_data);
    EXPECT_EQ(ReadLibrary(Path()).size(), 0u);
}

TEST_F(RuleLibraryTest, SizeBeyondTheRealStreamGivesNone) {
    WriteLibrary(Path(), 3, Size() + 1, m_data);
    EXPECT_EQ(ReadLibrary(Path()).size(), 0u);
    // Would wrap size + 1 to an empty buffer if it were trusted.
    WriteLibrary(Path(), 3, 0xFFFFFFFFu, m_data);
    EXPECT_EQ(ReadLibrary(Path()).size(), 0u);
}

TEST_F(RuleLibraryTest, ASizeOfFourGigabytesThatTheStreamClaimsTooGivesNone) {
    // A damaged directory entry makes the REGLIB stream claim 0xFFFFFFFF
    // bytes, so REGINFO's size of 0xFFFFFFFF passes the check against the
    // stream; on a 32-bit host size + 1 is 0.
    std::string big;
    while (big.size() < 8192) big += m_data;
    WriteLibrary(Path(), 100000, 0xFFFFFFFFu, big);
    ASSERT_TRUE(testing_support::SetRecordedStreamSize(Path(), L"REGLIB", 0xFFFFFFFFu));
    EXPECT_EQ(ReadLibrary(Path()).size(), 0u);
}

TEST_F(RuleLibraryTest, MissingFileOrStreamsGiveNone) {
    EXPECT_EQ(ReadLibrary(Path()).size(), 0u);
    EXPECT_FALSE(FileExists(Path())) << ::testing::PrintToString(Path());
    {
        RuleStorage storage;
        ASSERT_TRUE(storage.OpenFile(Path().c_str(), false));
    }
    EXPECT_EQ(ReadLibrary(Path()).size(), 0u);
    {
        RuleStorage storage;
        ASSERT_TRUE(storage.OpenFile(Path().c_str(), false));
        auto info = storage.OpenStream("REGINFO");
        uint32_t values[2] = {3, Size()};
        ASSERT_TRUE(info->Write(values, 8));
    }
    EXPECT_EQ(ReadLibrary(Path()).size(), 0u);  // no REGLIB stream
}

TEST_F(RuleLibraryTest, RegInfoValuesRunOnOneKeystream) {
    // Enciphered as one 8-byte write, read back as two 4-byte reads.
    {
        RuleStorage storage;
        ASSERT_TRUE(storage.OpenFile(Path().c_str(), false));
        auto info = storage.OpenStream("REGINFO");
        uint32_t values[2] = {1, Size()};
        ASSERT_TRUE(info->Write(values, 8));
        info.reset();
        auto lib = storage.OpenStream("REGLIB");
        ASSERT_TRUE(lib->Write(m_data.data(), Size()));
    }
    auto entries = ReadLibrary(Path());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].category, "Startup");
}

}  // namespace
