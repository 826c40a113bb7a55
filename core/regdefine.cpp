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

void ReadItems(ByteSource& source, RuleCategory& category, uint8_t (&buffer)[kMaxRecordLength])
{
    uint32_t length = 0;
    while (ReadRecord(source, buffer, kItemTag, length)) {
        RuleItem item;
        ParseItemRecord(buffer, length, item);
        if (item.root == 0)
            return;  // the terminating record
        // Each item goes to the front, so the list ends in reverse stream order.
        AddItemToCategory(&category, 1, category.id, &item);
    }
}

}  // namespace

uint32_t ReadRegDefine(ByteSource& source, RuleCategory* categories, uint32_t capacity)
{
    uint32_t rawFormat = 0;  // a stream too short for the number reads as format 0
    ReadU32(source, rawFormat);
    if (static_cast<int32_t>(rawFormat) > kRegDefineFormat)
        return 0;
    if (categories == nullptr)
        return 0;

    static_assert(kMaxRecordLength == 4096, "record buffer holds the longest accepted record");
    uint8_t buffer[kMaxRecordLength];
    uint32_t i = 0;
    while (i < capacity) {
        uint32_t length = 0;
        if (!ReadRecord(source, buffer, kCategoryTag, length))
            break;
        ParseCategoryRecord(buffer, length, categories[i]);
        ReadItems(source, categories[i], buffer);
        ++i;  // counted whatever ended its items
    }
    return i;
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
