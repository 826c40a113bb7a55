#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/reglib.h"
#include "test_support.h"

namespace {

// Records of five texts each, each record followed by a separator byte.
std::string Records(const std::vector<std::vector<std::string>>& records)
{
    std::string data;
    for (const auto& record : records) {
        for (const std::string& text : record) {
            data += text;
            data += '\0';
        }
        data += '\x7F';
    }
    return data;
}

EntryPtr Parse(const std::string& data, uint32_t count)
{
    // An exact-size heap copy: reading past it is caught by the sanitizer.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[data.size()]);
    std::memcpy(exact.get(), data.data(), data.size());
    return EntryPtr(ParseRegLib(exact.get(), static_cast<uint32_t>(data.size()), count));
}

std::vector<std::string> Categories(const RuleEntry* list)
{
    std::vector<std::string> names;
    for (; list != nullptr; list = list->next)
        names.push_back(list->category);
    return names;
}

const std::vector<std::vector<std::string>> kThree = {
    {"C1", "Display 1", "HKLM\\Software\\One", "%system%\\one.exe", "1"},
    {"C2", "", "HKCU\\Two", "*.two", " -2x"},
    {"C3", "Display 3", "HKEY_LOCAL_MACHINE\\Three", "three", ""},
};

}  // namespace

TEST(RegInfo, UsableOnlyWithCountAndFittingSize)
{
    EXPECT_TRUE(RegInfoUsable({3, 100}, 100));
    EXPECT_TRUE(RegInfoUsable({1, 1}, 5000));
    EXPECT_FALSE(RegInfoUsable({0, 100}, 100));
    EXPECT_FALSE(RegInfoUsable({3, 0}, 100));
    EXPECT_FALSE(RegInfoUsable({3, 101}, 100));
    EXPECT_FALSE(RegInfoUsable({3, 0xFFFFFFFFu}, 0));
}

TEST(RegLib, RecordsComeOutReversedWithTheirFields)
{
    std::string data = Records(kThree) + '\0';
    EntryPtr list = Parse(data, 3);
    ASSERT_EQ(3u, CountRuleEntries(list.get()));
    EXPECT_EQ(std::vector<std::string>({"C3", "C2", "C1"}), Categories(list.get()));

    const RuleEntry* third = list.get();
    EXPECT_STREQ("Display 3", third->displayName);
    EXPECT_STREQ("HKEY_LOCAL_MACHINE\\Three", third->keyPath);  // taken as stored
    EXPECT_EQ(0, third->number);
    const RuleEntry* second = third->next;
    EXPECT_STREQ("", second->displayName);
    EXPECT_STREQ("*.two", second->valuePattern);  // expansion is the caller's
    EXPECT_EQ(-2, second->number);
    const RuleEntry* first = second->next;
    EXPECT_STREQ("HKLM\\Software\\One", first->keyPath);
    EXPECT_STREQ("%system%\\one.exe", first->valuePattern);
    EXPECT_EQ(1, first->number);
}

TEST(RegLib, CountLimitsRecords)
{
    std::string data = Records(kThree) + '\0';
    EXPECT_EQ(std::vector<std::string>({"C2", "C1"}), Categories(Parse(data, 2).get()));
    EXPECT_EQ(0u, CountRuleEntries(Parse(data, 0).get()));
}

TEST(RegLib, NulWhereARecordBeginsEndsTheWalk)
{
    std::string data = Records({kThree[0]}) + '\0' + Records({kThree[1]});
    EXPECT_EQ(std::vector<std::string>({"C1"}), Categories(Parse(data, 10).get()));
    EXPECT_EQ(nullptr, Parse(std::string(8, '\0'), 3));
}

TEST(RegLib, CountLargerThanRecordsStopsAtBufferEnd)
{
    // No closing NUL: the walk ends with the buffer after the last separator.
    std::string data = Records(kThree);
    EXPECT_EQ(3u, CountRuleEntries(Parse(data, 100).get()));
    // Without its separator byte the last record still ends cleanly.
    data.pop_back();
    EXPECT_EQ(3u, CountRuleEntries(Parse(data, 100).get()));
}

TEST(RegLib, TextRunningToBufferEndIsDropped)
{
    std::string data = Records({kThree[0]});
    // A second record whose fifth text has no terminator within the buffer.
    data += std::string("C2\0D\0HKCU\\X\0v\0", 14) + "12";
    EntryPtr list = Parse(data, 5);
    EXPECT_EQ(std::vector<std::string>({"C1"}), Categories(list.get()));
    // Cut within the first text of a record.
    EXPECT_EQ(nullptr, Parse("abc", 1));
    EXPECT_EQ(nullptr, ParseRegLib(nullptr, 10, 1));
}

TEST(RegLib, LongTextsAreCut)
{
    std::string data = Records({{std::string(100, 'c'), std::string(70, 'd'), std::string(1100, 'k'),
                                 std::string(2000, 'v'), "99999999999"}});
    EntryPtr list = Parse(data, 1);
    ASSERT_TRUE(list);
    EXPECT_EQ(std::string(63, 'c'), list->category);
    EXPECT_EQ(std::string(63, 'd'), list->displayName);
    EXPECT_EQ(std::string(1023, 'k'), list->keyPath);
    EXPECT_EQ(std::string(1023, 'v'), list->valuePattern);
    EXPECT_EQ(INT32_MAX, list->number);
}
