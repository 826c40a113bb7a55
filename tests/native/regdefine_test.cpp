#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/byte_stream.h"
#include "core/regdefine.h"
#include "core/root_names.h"
#include "test_support.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void SetWide(utf16_t* field, const std::string& text)
{
    Utf16String wide = Wide(text);
    std::copy(wide.begin(), wide.end(), field);
    field[wide.size()] = 0;
}

RuleCategory MakeCategory(int32_t id, const std::string& name)
{
    RuleCategory category{};
    category.id = id;
    std::strcpy(category.name, name.c_str());
    std::strcpy(category.description, ("Description of " + name).c_str());
    std::strcpy(category.extraText, "extra");
    category.action = 1;
    category.mode = 6;
    category.option3 = -3;
    category.option4 = 1;
    category.adminOnly = 1;
    SetWide(category.wideName, "W" + name);
    SetWide(category.wideDescription, "wide description");
    SetWide(category.wideExtraText, "");
    return category;
}

RuleItem MakeItem(uint32_t root, const std::string& keyPath, const std::string& name, uint32_t flags)
{
    RuleItem item{};
    item.root = root;
    std::strcpy(item.keyPath, keyPath.c_str());
    std::strcpy(item.name, name.c_str());
    item.flags = flags;
    SetWide(item.wideName, "W" + name);
    return item;
}

void PutU32(Bytes& bytes, uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * b)));
}

void Append(Bytes& bytes, const Bytes& more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
}

Bytes EncodedCategory(const RuleCategory& category)
{
    uint8_t buffer[kCategoryBufferSize];
    uint32_t length = EncodeCategoryRecord(category, buffer);
    Bytes bytes;
    PutU32(bytes, length);
    bytes.insert(bytes.end(), buffer, buffer + length);
    return bytes;
}

Bytes EncodedItem(const RuleItem& item)
{
    uint8_t buffer[kItemBufferSize];
    uint32_t length = EncodeItemRecord(item, buffer);
    Bytes bytes;
    PutU32(bytes, length);
    bytes.insert(bytes.end(), buffer, buffer + length);
    return bytes;
}

Bytes Terminator()
{
    return EncodedItem(RuleItem{});
}

Bytes Format(uint32_t format)
{
    Bytes bytes;
    PutU32(bytes, format);
    return bytes;
}

// A zeroed category array that frees its items when it goes.
class CategoryArray {
public:
    explicit CategoryArray(uint32_t capacity) : capacity_(capacity), items_(new RuleCategory[capacity]()) {}
    ~CategoryArray() { ClearItems(items_.get(), capacity_); }
    RuleCategory* get() { return items_.get(); }
    RuleCategory& operator[](uint32_t k) { return items_[k]; }
    uint32_t capacity() const { return capacity_; }

private:
    uint32_t capacity_;
    std::unique_ptr<RuleCategory[]> items_;
};

uint32_t Read(const Bytes& stream, CategoryArray& categories)
{
    MemorySource source(stream.data(), stream.size());
    return ReadRegDefine(source, categories.get(), categories.capacity());
}

std::vector<std::string> ItemNames(const RuleCategory& category)
{
    std::vector<std::string> names;
    for (const RuleItem* item = category.items; item != nullptr; item = item->next)
        names.push_back(item->name);
    return names;
}

bool AllZero(const RuleCategory& category)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&category);
    for (size_t k = 0; k < sizeof category; ++k)
        if (bytes[k] != 0)
            return false;
    return true;
}

}  // namespace

TEST(RegDefineRecords, LengthRoundsUpTo16)
{
    EXPECT_EQ(16u, RecordLength(16));
    EXPECT_EQ(32u, RecordLength(17));
    EXPECT_EQ(32u, RecordLength(32));
    EXPECT_EQ(16u, RecordLength(13));
    EXPECT_EQ(16u, RecordLength(1));
    EXPECT_EQ(0u, RecordLength(0));
}

TEST(RegDefineRecords, TerminatorIs16Bytes)
{
    uint8_t buffer[kItemBufferSize];
    std::memset(buffer, 0xCC, sizeof buffer);
    ASSERT_EQ(16u, EncodeItemRecord(RuleItem{}, buffer));
    EXPECT_EQ(0x66, buffer[0]);
    for (int k = 1; k < 16; ++k)
        EXPECT_EQ(0, buffer[k]) << k;
}

TEST(RegDefineRecords, CategoryRecordLayout)
{
    RuleCategory category{};
    category.id = 0x01020304;
    std::strcpy(category.name, "N");
    std::strcpy(category.description, "De");
    category.action = 2;
    category.mode = -1;
    category.adminOnly = 7;
    SetWide(category.wideName, "W");
    uint8_t buffer[kCategoryBufferSize];
    // 1 + 4 + "N\0" + "De\0" + "\0" + 20 + "W\0" (4) + 2 + 2 = 39 -> 48
    ASSERT_EQ(48u, EncodeCategoryRecord(category, buffer));
    const Bytes expected = {0x55, 4, 3, 2, 1, 'N', 0, 'D', 'e', 0, 0,
                            2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0,
                            'W', 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(expected, Bytes(buffer, buffer + expected.size()));
    for (size_t k = expected.size(); k < 48; ++k)
        EXPECT_EQ(0, buffer[k]) << k;
}

TEST(RegDefineRecords, ItemRecordLayout)
{
    RuleItem item = MakeItem(kHkeyLocalMachine, "Soft", "Nm", 0x0A);
    uint8_t buffer[kItemBufferSize];
    // 1 + 4 + "Soft\0" + "Nm\0" + 4 + "WNm\0" (8) = 25 -> 32
    ASSERT_EQ(32u, EncodeItemRecord(item, buffer));
    const Bytes expected = {0x66, 2, 0, 0, 0x80, 'S', 'o', 'f', 't', 0, 'N', 'm', 0,
                            0x0A, 0, 0, 0, 'W', 0, 'N', 0, 'm', 0, 0, 0};
    EXPECT_EQ(expected, Bytes(buffer, buffer + expected.size()));
}

TEST(RegDefineRecords, FullFieldsWithoutTerminatorEncodeCut)
{
    RuleCategory category{};
    std::memset(category.name, 'n', sizeof category.name);
    std::memset(category.description, 'd', sizeof category.description);
    std::memset(category.extraText, 'e', sizeof category.extraText);
    for (utf16_t& unit : category.wideName)
        unit = static_cast<utf16_t>('w');
    for (utf16_t& unit : category.wideDescription)
        unit = static_cast<utf16_t>(0x4E2D);
    uint8_t buffer[kCategoryBufferSize];
    uint32_t length = EncodeCategoryRecord(category, buffer);
    // Every text at its limit: 1 + 4 + 64 + 512 + 512 + 20 + 128 + 1024 + 2 = 2267.
    ASSERT_EQ(RecordLength(2267), length);
    EXPECT_EQ(0, buffer[5 + 63]);
    const size_t wideNameAt = 5 + 64 + 512 + 512 + 20;
    EXPECT_EQ('w', buffer[wideNameAt + 2 * 62]);
    EXPECT_EQ(0, buffer[wideNameAt + 2 * 63]);
    EXPECT_EQ(0, buffer[wideNameAt + 2 * 63 + 1]);
    EXPECT_EQ(0x2D, buffer[wideNameAt + 2 * 64]);
    RuleCategory parsed;
    ASSERT_TRUE(ParseCategoryRecord(buffer, length, parsed));
    EXPECT_EQ(std::string(63, 'n'), parsed.name);
    EXPECT_EQ(std::string(511, 'd'), parsed.description);
    EXPECT_EQ(std::string(511, 'e'), parsed.extraText);
    EXPECT_EQ(std::string(63, 'w'), Narrow(parsed.wideName));
    EXPECT_EQ(0x4E2D, parsed.wideDescription[510]);
    EXPECT_EQ(0, parsed.wideDescription[511]);
}

TEST(RegDefineStream, EmptyCategoryIsRecordAndTerminator)
{
    RuleCategory category = MakeCategory(800, "Mine");
    MemorySink sink;
    WriteRegDefine(sink, &category, 1);
    Bytes expected = Format(256);
    Append(expected, EncodedCategory(category));
    Append(expected, Terminator());
    EXPECT_EQ(expected, sink.Bytes());
    EXPECT_EQ(4u + 4 + RecordLength(1 + 4 + 5 + 20 + 6 + 20 + 12 + 34 + 2) + 4 + 16, sink.Bytes().size());
}

TEST(RegDefineStream, NoCategoriesIsFormatOnly)
{
    MemorySink sink;
    WriteRegDefine(sink, nullptr, 0);
    EXPECT_EQ(Format(256), sink.Bytes());
    CategoryArray categories(4);
    EXPECT_EQ(0u, Read(sink.Bytes(), categories));
}

TEST(RegDefineStream, RoundTripReversesItems)
{
    RuleCategory written[2] = {MakeCategory(1, "First"), MakeCategory(900, "Second")};
    // List order A, B, C: prepend in reverse.
    const RuleItem c = MakeItem(kHkeyCurrentUser, "Software\\C", "C", 2);
    const RuleItem b = MakeItem(kHkeyLocalMachine, ".b", "B", 1 | 8);
    const RuleItem a = MakeItem(kHkeyClassesRoot, "A", "A", 0x80000000u);
    ASSERT_TRUE(PrependItem(&written[0], &c));
    ASSERT_TRUE(PrependItem(&written[0], &b));
    ASSERT_TRUE(PrependItem(&written[0], &a));
    ASSERT_EQ(std::vector<std::string>({"A", "B", "C"}), ItemNames(written[0]));

    MemorySink sink;
    WriteRegDefine(sink, written, 2);
    CategoryArray read(10);
    ASSERT_EQ(2u, Read(sink.Bytes(), read));
    EXPECT_EQ(std::vector<std::string>({"C", "B", "A"}), ItemNames(read[0]));
    EXPECT_TRUE(ItemNames(read[1]).empty()) << ::testing::PrintToString(ItemNames(read[1]));
    EXPECT_TRUE(AllZero(read[2]));

    for (int k = 0; k < 2; ++k) {
        const RuleCategory& in = written[k];
        const RuleCategory& out = read[k];
        EXPECT_EQ(in.id, out.id);
        EXPECT_STREQ(in.name, out.name);
        EXPECT_STREQ(in.description, out.description);
        EXPECT_STREQ(in.extraText, out.extraText);
        EXPECT_EQ(in.action, out.action);
        EXPECT_EQ(in.mode, out.mode);
        EXPECT_EQ(in.option3, out.option3);
        EXPECT_EQ(in.option4, out.option4);
        EXPECT_EQ(in.adminOnly, out.adminOnly);
        EXPECT_EQ(Narrow(in.wideName), Narrow(out.wideName));
        EXPECT_EQ(Narrow(in.wideDescription), Narrow(out.wideDescription));
        EXPECT_EQ(0, out.wideExtraText[0]);
    }
    const RuleItem* first = read[0].items;
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(kHkeyCurrentUser, first->root);
    EXPECT_STREQ("Software\\C", first->keyPath);
    EXPECT_EQ(2u, first->flags);
    EXPECT_EQ("WC", Narrow(first->wideName));
    EXPECT_EQ(0x80000000u, first->next->next->flags);
    ClearItems(written, 2);
}

TEST(RegDefineStream, CapacityLimitsCategoriesRead)
{
    RuleCategory written[3] = {MakeCategory(1, "a"), MakeCategory(2, "b"), MakeCategory(3, "c")};
    const RuleItem item = MakeItem(kHkeyUsers, "x", "x", 0);
    PrependItem(&written[2], &item);
    MemorySink sink;
    WriteRegDefine(sink, written, 3);
    ClearItems(written, 3);

    CategoryArray two(2);
    EXPECT_EQ(2u, Read(sink.Bytes(), two));
    EXPECT_EQ(2, two[1].id);
    CategoryArray none(0);
    EXPECT_EQ(0u, Read(sink.Bytes(), none));
}

TEST(RegDefineStream, FormatIsReadSigned)
{
    RuleCategory category = MakeCategory(5, "x");
    Bytes body = EncodedCategory(category);
    Append(body, Terminator());

    for (uint32_t format : {257u, 0x7FFFFFFFu}) {
        Bytes stream = Format(format);
        Append(stream, body);
        CategoryArray categories(2);
        EXPECT_EQ(0u, Read(stream, categories)) << format;
    }
    // Older formats and values negative as signed numbers are read.
    for (uint32_t format : {256u, 0u, 1u, 0x80000000u, 0xFFFFFFFFu}) {
        Bytes stream = Format(format);
        Append(stream, body);
        CategoryArray categories(2);
        EXPECT_EQ(1u, Read(stream, categories)) << format;
    }
}

TEST(RegDefineStream, TooShortStreamsReadNothing)
{
    CategoryArray categories(2);
    EXPECT_EQ(0u, Read(Bytes(), categories));
    EXPECT_EQ(0u, Read(Bytes{0x00, 0x01}, categories));
    Bytes lengthOnly = Format(256);
    lengthOnly.push_back(0x10);
    EXPECT_EQ(0u, Read(lengthOnly, categories));
    EXPECT_TRUE(AllZero(categories[0]));
}

TEST(RegDefineStream, TruncationInsideItemsKeepsTheCategory)
{
    RuleCategory written[2] = {MakeCategory(1, "a"), MakeCategory(2, "b")};
    const RuleItem first = MakeItem(kHkeyCurrentUser, "k1", "one", 2);
    const RuleItem second = MakeItem(kHkeyCurrentUser, "k2", "two", 2);
    PrependItem(&written[0], &second);
    PrependItem(&written[0], &first);
    MemorySink sink;
    WriteRegDefine(sink, written, 2);
    ClearItems(written, 2);
    const Bytes& full = sink.Bytes();

    // Cut in the middle of the second item record: the first item survives
    // and the category counts, since whatever ends its items ends them.
    size_t secondItemAt = 4 + EncodedCategory(MakeCategory(1, "a")).size() + EncodedItem(first).size();
    CategoryArray categories(4);
    EXPECT_EQ(1u, Read(Bytes(full.begin(), full.begin() + secondItemAt + 10), categories));
    EXPECT_EQ(std::vector<std::string>({"one"}), ItemNames(categories[0]));

    // Cut in the middle of the second category record: it is not counted.
    size_t secondCategoryAt = secondItemAt + EncodedItem(second).size() + 20;
    CategoryArray cutCategory(4);
    EXPECT_EQ(1u, Read(Bytes(full.begin(), full.begin() + secondCategoryAt + 8), cutCategory));
    EXPECT_TRUE(AllZero(cutCategory[1]));

    // Missing the last terminator: still complete.
    CategoryArray noTerminator(4);
    EXPECT_EQ(2u, Read(Bytes(full.begin(), full.end() - 20), noTerminator));
}

TEST(RegDefineStream, OverlongOrEmptyRecordStops)
{
    Bytes stream = Format(256);
    PutU32(stream, 4097);
    stream.resize(stream.size() + 4097, 0x55);
    CategoryArray categories(2);
    EXPECT_EQ(0u, Read(stream, categories));

    // A record of exactly 4096 bytes is accepted.
    Bytes maximal = Format(256);
    PutU32(maximal, 4096);
    maximal.push_back(0x55);
    maximal.resize(maximal.size() + 4095, 0);
    Append(maximal, Terminator());
    CategoryArray accepted(2);
    EXPECT_EQ(1u, Read(maximal, accepted));

    // A zero length has no tag to match.
    Bytes empty = Format(256);
    PutU32(empty, 0);
    Append(empty, EncodedCategory(MakeCategory(1, "a")));
    CategoryArray none(2);
    EXPECT_EQ(0u, Read(empty, none));
}

TEST(RegDefineStream, EmptyRecordNeverReusesAnEarlierTag)
{
    // The record buffer still starts with the category tag when an empty
    // record follows; it ends the items, and the next empty one the reading.
    Bytes stream = Format(256);
    Append(stream, EncodedCategory(MakeCategory(1, "a")));
    PutU32(stream, 0);
    PutU32(stream, 0);
    Append(stream, EncodedCategory(MakeCategory(2, "b")));
    Append(stream, Terminator());
    CategoryArray categories(4);
    EXPECT_EQ(1u, Read(stream, categories));
    EXPECT_EQ(1, categories[0].id);
    EXPECT_TRUE(AllZero(categories[1]));
}

TEST(RegDefineStream, OverlongItemEndsItemsOnly)
{
    Bytes stream = Format(256);
    Append(stream, EncodedCategory(MakeCategory(1, "a")));
    Append(stream, EncodedItem(MakeItem(kHkeyCurrentUser, "k", "kept", 0)));
    PutU32(stream, 5000);
    CategoryArray categories(2);
    EXPECT_EQ(1u, Read(stream, categories));
    EXPECT_EQ(std::vector<std::string>({"kept"}), ItemNames(categories[0]));
}

TEST(RegDefineStream, WrongTagAmongItemsIsConsumed)
{
    // A category record where an item belongs ends the items and is used up,
    // so the item record after it is then met where a category should be.
    Bytes stream = Format(256);
    Append(stream, EncodedCategory(MakeCategory(1, "a")));
    Append(stream, EncodedItem(MakeItem(kHkeyCurrentUser, "k", "A", 0)));
    Append(stream, EncodedCategory(MakeCategory(2, "b")));
    Append(stream, EncodedItem(MakeItem(kHkeyCurrentUser, "k", "B", 0)));
    Append(stream, Terminator());
    CategoryArray categories(4);
    EXPECT_EQ(1u, Read(stream, categories));
    EXPECT_EQ(std::vector<std::string>({"A"}), ItemNames(categories[0]));
    EXPECT_TRUE(AllZero(categories[1]));
}

TEST(RegDefineStream, RootZeroEndsItemsWhateverElseItHolds)
{
    Bytes stream = Format(256);
    Append(stream, EncodedCategory(MakeCategory(1, "a")));
    Append(stream, EncodedItem(MakeItem(0, "not", "terminator", 2)));
    Append(stream, EncodedCategory(MakeCategory(2, "b")));
    Append(stream, Terminator());
    CategoryArray categories(4);
    EXPECT_EQ(2u, Read(stream, categories));
    EXPECT_EQ(nullptr, categories[0].items);
    EXPECT_EQ(2, categories[1].id);
}

TEST(RegDefineParse, TextsWithoutTerminatorEndAtTheRecord)
{
    // L = 16: tag, id, then 11 bytes of text without a NUL.  The bytes that
    // follow in the stream (the next length) must not become text.
    Bytes stream = Format(256);
    PutU32(stream, 16);
    stream.push_back(0x55);
    PutU32(stream, 7);
    stream.insert(stream.end(), 11, 'a');
    Append(stream, Terminator());
    CategoryArray categories(2);
    ASSERT_EQ(1u, Read(stream, categories));
    EXPECT_EQ(7, categories[0].id);
    EXPECT_EQ(std::string(11, 'a'), categories[0].name);
    EXPECT_STREQ("", categories[0].description);
    EXPECT_EQ(0, categories[0].action);
    EXPECT_EQ(0, categories[0].wideName[0]);
}

TEST(RegDefineParse, OverlongTextsAreCutAndTheNextFieldFollowsTheirEnd)
{
    Bytes record = {0x66};
    PutU32(record, kHkeyCurrentUser);
    record.insert(record.end(), 300, 'k');
    record.push_back(0);
    record.insert(record.end(), 3, 'n');
    record.push_back(0);
    PutU32(record, 0x1234);
    for (int k = 0; k < 300; ++k) {
        record.push_back('w');
        record.push_back(0);
    }
    record.push_back(0);
    record.push_back(0);
    RuleItem item;
    ASSERT_TRUE(ParseItemRecord(record.data(), static_cast<uint32_t>(record.size()), item));
    EXPECT_EQ(kHkeyCurrentUser, item.root);
    EXPECT_EQ(std::string(255, 'k'), item.keyPath);
    EXPECT_STREQ("nnn", item.name);
    EXPECT_EQ(0x1234u, item.flags);
    EXPECT_EQ(std::string(255, 'w'), Narrow(item.wideName));
    EXPECT_EQ(nullptr, item.next);
}

TEST(RegDefineParse, FieldsCutShortByTheRecordEnd)
{
    // The flags and the wide name lie past L: they read as zero and empty.
    Bytes record = {0x66, 1, 0, 0, 0x80, 'k', 0, 'n', 0, 0xFF, 0xFF, 0xFF, 0xFF, 'w', 0};
    RuleItem item;
    ASSERT_TRUE(ParseItemRecord(record.data(), 11, item));
    EXPECT_EQ(0x80000001u, item.root);
    EXPECT_STREQ("k", item.keyPath);
    EXPECT_STREQ("n", item.name);
    EXPECT_EQ(0u, item.flags);
    EXPECT_EQ(0, item.wideName[0]);

    // A wide text ending on an odd byte keeps the whole units only.
    ASSERT_TRUE(ParseItemRecord(record.data(), 14, item));
    EXPECT_EQ(0xFFFFFFFFu, item.flags);
    EXPECT_EQ(0, item.wideName[0]);
    ASSERT_TRUE(ParseItemRecord(record.data(), 15, item));
    EXPECT_EQ("w", Narrow(item.wideName));

    // A record of just its tag parses to an empty record.
    ASSERT_TRUE(ParseItemRecord(record.data(), 1, item));
    EXPECT_EQ(0u, item.root);
    EXPECT_FALSE(ParseItemRecord(record.data(), 0, item));
    EXPECT_FALSE(ParseCategoryRecord(record.data(), 15, *std::make_unique<RuleCategory>()));
}
