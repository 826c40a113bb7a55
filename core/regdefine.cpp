// Reader and writer of the whole "RegDefine" stream.
#include "regdefine.h"

#include <cstring>

#include "little_endian.h"

namespace {

bool ReadU32(ByteSource& source, uint32_t& value)
{
    uint8_t bytes[4];
    if (!source.Read(bytes, sizeof bytes))
        return false;
    value = GetLe32(bytes);
    return true;
}

void WriteU32(ByteSink& sink, uint32_t value)
{
    uint8_t bytes[4];
    PutLe32(bytes, value);
    sink.Write(bytes, sizeof bytes);
}

// Reads one length-prefixed record into buffer; false at the end of the
// stream, on an overlong length, or when the record lacks the expected tag.
// An empty record has no tag and counts as wrong.
bool ReadRecord(ByteSource& source, uint8_t (&buffer)[kMaxRecordLength], uint8_t tag, uint32_t& length)
{
    if (!ReadU32(source, length) || length > kMaxRecordLength)
        return false;
    if (!source.Read(buffer, length))
        return false;
    return length != 0 && buffer[0] == tag;
}

// The root of an item record as ParseItemRecord reads it; 0 marks the
// terminating record.
uint32_t ItemRoot(const uint8_t* record, uint32_t length)
{
    return length >= 5 ? GetLe32(record + 1) : 0;
}

// The reader's walk over a stream, shared by the reader and the counter:
// onCategory(index, record, length) for each category record, then
// onItem(index, record, length) for each of its item records before the
// terminator.  Returns the number of categories walked.
template <typename OnCategory, typename OnItem>
uint32_t WalkRegDefine(ByteSource& source, uint32_t capacity, OnCategory onCategory, OnItem onItem)
{
    uint32_t rawFormat = 0;  // a stream too short for the number reads as format 0
    ReadU32(source, rawFormat);
    if (static_cast<int32_t>(rawFormat) > kRegDefineFormat)
        return 0;

    static_assert(kMaxRecordLength == 4096, "record buffer holds the longest accepted record");
    uint8_t buffer[kMaxRecordLength];
    uint32_t i = 0;
    while (i < capacity) {
        uint32_t length = 0;
        if (!ReadRecord(source, buffer, kCategoryTag, length))
            break;
        onCategory(i, buffer, length);
        while (ReadRecord(source, buffer, kItemTag, length) && ItemRoot(buffer, length) != 0)
            onItem(i, buffer, length);
        ++i;  // counted whatever ended its items
    }
    return i;
}

}  // namespace

uint32_t ReadRegDefine(ByteSource& source, RuleCategory* categories, uint32_t capacity)
{
    if (categories == nullptr)
        capacity = 0;
    return WalkRegDefine(
        source, capacity,
        [categories](uint32_t i, const uint8_t* record, uint32_t length) {
            ParseCategoryRecord(record, length, categories[i]);
        },
        [categories](uint32_t i, const uint8_t* record, uint32_t length) {
            // Parsed straight into its node: a store of some 70,000 items
            // would otherwise copy each one through a record on the stack.
            RuleItem* node = AllocItemNode();
            if (node == nullptr)
                return;  // out of memory: the item is left out
            ParseItemRecord(record, length, *node);
            // Each item goes to the front, so the list ends in reverse stream order.
            LinkItemAtFront(&categories[i], node);
        });
}

RegDefineCounts CountRegDefine(ByteSource& source)
{
    RegDefineCounts counts;
    uint32_t inCategory = 0;
    counts.categories = WalkRegDefine(
        source, UINT32_MAX, [&inCategory](uint32_t, const uint8_t*, uint32_t) { inCategory = 0; },
        [&](uint32_t, const uint8_t*, uint32_t) {
            ++counts.items;
            if (++inCategory > counts.largestCategory)
                counts.largestCategory = inCategory;
        });
    return counts;
}

RegDefineCounts CountRegDefine(const uint8_t* data, size_t size)
{
    MemorySource source(data, size);
    return CountRegDefine(source);
}

bool WithinUserDatabaseLimits(const RegDefineCounts& counts)
{
    return counts.categories <= kMaxUserDatabaseCategories && counts.items <= kMaxUserDatabaseItems &&
           counts.largestCategory <= kMaxItemsPerUserCategory;
}

void WriteRegDefine(ByteSink& sink, const RuleCategory* categories, uint32_t count)
{
    WriteU32(sink, static_cast<uint32_t>(kRegDefineFormat));
    if (categories == nullptr)
        return;
    uint8_t categoryRecord[kCategoryBufferSize];
    uint8_t itemRecord[kItemBufferSize];
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = EncodeCategoryRecord(categories[i], categoryRecord);
        WriteU32(sink, length);
        sink.Write(categoryRecord, length);
        for (const RuleItem* item = categories[i].items; item != nullptr; item = item->next) {
            length = EncodeItemRecord(*item, itemRecord);
            WriteU32(sink, length);
            sink.Write(itemRecord, length);
        }
        RuleItem terminator;
        std::memset(&terminator, 0, sizeof terminator);
        length = EncodeItemRecord(terminator, itemRecord);
        WriteU32(sink, length);
        sink.Write(itemRecord, length);
    }
}
