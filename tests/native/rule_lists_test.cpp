#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/rule_entry.h"
#include "core/rule_records.h"

namespace {

RuleItem Named(const char* name)
{
    RuleItem item{};
    item.root = 0x80000001u;
    std::strcpy(item.name, name);
    return item;
}

std::string Names(const RuleCategory& category)
{
    std::string names;
    for (const RuleItem* item = category.items; item != nullptr; item = item->next)
        names += item->name;
    return names;
}

}  // namespace

TEST(RuleItems, PrependCopiesIntoANewFrontNode)
{
    RuleCategory category{};
    RuleItem a = Named("a");
    a.next = &a;  // the source's link must not leak into the list
    ASSERT_TRUE(PrependItem(&category, &a));
    ASSERT_NE(&a, category.items);
    EXPECT_EQ(nullptr, category.items->next);
    const RuleItem b = Named("b");
    ASSERT_TRUE(PrependItem(&category, &b));
    EXPECT_EQ("ba", Names(category));
    std::strcpy(a.name, "changed");
    EXPECT_EQ("ba", Names(category));
    EmptyCategoryItems(&category);
    EXPECT_EQ(nullptr, category.items);
    EXPECT_FALSE(PrependItem(nullptr, &b));
    EXPECT_FALSE(PrependItem(&category, nullptr));
}

TEST(RuleItems, AddGoesToFirstCategoryWithTheId)
{
    RuleCategory categories[3] = {};
    categories[0].id = 5;
    categories[1].id = 7;
    categories[2].id = 7;
    const RuleItem x = Named("x");
    EXPECT_EQ(1, AddItemToCategory(categories, 3, 7, &x));
    EXPECT_EQ("", Names(categories[0]));
    EXPECT_EQ("x", Names(categories[1]));
    EXPECT_EQ("", Names(categories[2]));
    // Only the first count categories are searched.
    EXPECT_EQ(0, AddItemToCategory(categories, 1, 7, &x));
    EXPECT_EQ(0, AddItemToCategory(categories, 3, 8, &x));
    EXPECT_EQ("x", Names(categories[1]));
    ClearItems(categories, 3);
    EXPECT_EQ(nullptr, categories[1].items);
    EXPECT_EQ(7, categories[1].id);
}

TEST(RuleEntries, CountAndFreeAWholeList)
{
    RuleEntry* list = nullptr;
    for (int k = 0; k < 3; ++k) {
        RuleEntry* entry = AllocRuleEntry();
        ASSERT_NE(nullptr, entry);
        EXPECT_EQ(nullptr, entry->keyPath);
        EXPECT_EQ(0, entry->category[0]);
        entry->keyPath = static_cast<char*>(std::malloc(8));
        std::strcpy(entry->keyPath, "HKLM\\x");
        entry->next = list;
        list = entry;
    }
    EXPECT_EQ(3u, CountRuleEntries(list));
    EXPECT_EQ(0u, CountRuleEntries(nullptr));
    FreeRuleEntries(list);  // the leak checker fails the run if anything stays
    FreeRuleEntries(nullptr);
}

TEST(RuleEntries, CopyCutKeepsTheTerminator)
{
    char field[5];
    CopyCut(field, sizeof field, "abcdefgh");
    EXPECT_STREQ("abcd", field);
    CopyCut(field, sizeof field, "ab");
    EXPECT_STREQ("ab", field);
    CopyCut(field, sizeof field, nullptr);
    EXPECT_STREQ("", field);
    CopyCut(field, 1, "xyz");
    EXPECT_EQ('\0', field[0]);
}
