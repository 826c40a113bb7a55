// Codecs of the category record (tag 0x55) and the item record (tag 0x66).
#include <cstring>

#include "little_endian.h"
#include "regdefine.h"

namespace {

constexpr uint32_t RoundUp16(uint32_t contentLength)
{
    return (contentLength + 15u) & ~15u;
}

// Largest contents: every text at its field's limit with its terminator.
constexpr uint32_t kMaxCategoryContent = 1 + 4 + 64 + 512 + 512 + 5 * 4 + 2 * (64 + 512 + 512);
constexpr uint32_t kMaxItemContent = 1 + 4 + 256 + 256 + 4 + 2 * 256;
constexpr uint32_t kTerminatorContent = 1 + 4 + 1 + 1 + 4 + 2;
static_assert(kMaxCategoryContent == 3289 && RoundUp16(kMaxCategoryContent) <= kCategoryBufferSize,
              "a full category record fits the writer's buffer");
static_assert(kMaxItemContent == 1033 && RoundUp16(kMaxItemContent) <= kItemBufferSize,
              "a full item record fits the writer's buffer");
static_assert(RoundUp16(kTerminatorContent) == kTerminatorLength, "terminator record is 16 bytes");
static_assert(kCategoryBufferSize <= kMaxRecordLength && kItemBufferSize <= kMaxRecordLength,
              "every record written is one a reader accepts");

class RecordWriter {
public:
    explicit RecordWriter(uint8_t* buffer) : buffer_(buffer) {}

    void Byte(uint8_t value) { buffer_[pos_++] = value; }
    void U32(uint32_t value)
    {
        PutLe32(buffer_ + pos_, value);
        pos_ += 4;
    }
    // Writes at most fieldSize - 1 characters, so a field that lost its
    // terminator in memory still encodes within the record's bounds.
    void Text(const char* field, size_t fieldSize)
    {
        size_t n = 0;
        while (n + 1 < fieldSize && field[n] != '\0')
            buffer_[pos_++] = static_cast<uint8_t>(field[n++]);
        buffer_[pos_++] = 0;
    }
    void WideText(const utf16_t* field, size_t fieldUnits)
    {
        size_t n = 0;
        while (n + 1 < fieldUnits && field[n] != 0) {
            PutLe16(buffer_ + pos_, static_cast<uint16_t>(field[n++]));
            pos_ += 2;
        }
        PutLe16(buffer_ + pos_, 0);
        pos_ += 2;
    }
    uint32_t Length() const { return RoundUp16(pos_); }

private:
    uint8_t* buffer_;
    uint32_t pos_ = 0;
};

// Reads fields strictly within [0, end): a missing integer reads as 0, a
// text without terminator ends at the record's end.
class RecordReader {
public:
    RecordReader(const uint8_t* record, uint32_t end) : record_(record), end_(end) {}

    uint32_t U32()
    {
        if (end_ - pos_ < 4) {
            pos_ = end_;
            return 0;
        }
        uint32_t value = GetLe32(record_ + pos_);
        pos_ += 4;
        return value;
    }
    // Copies up to fieldSize - 1 characters; the rest of an overlong text is
    // skipped so that the next field starts after its terminator.
    void Text(char* field, size_t fieldSize)
    {
        size_t n = 0;
        while (pos_ < end_) {
            uint8_t c = record_[pos_++];
            if (c == 0)
                break;
            if (n + 1 < fieldSize)
                field[n++] = static_cast<char>(c);
        }
        field[n] = '\0';
    }
    void WideText(utf16_t* field, size_t fieldUnits)
    {
        size_t n = 0;
        while (end_ - pos_ >= 2) {
            uint16_t unit = GetLe16(record_ + pos_);
            pos_ += 2;
            if (unit == 0)
                break;
            if (n + 1 < fieldUnits)
                field[n++] = static_cast<utf16_t>(unit);
        }
        if (end_ - pos_ < 2)
            pos_ = end_;  // a lone trailing byte is no code unit
        field[n] = 0;
    }

private:
    const uint8_t* record_;
    uint32_t end_;
    uint32_t pos_ = 1;  // after the tag
};

}  // namespace

uint32_t RecordLength(uint32_t contentLength)
{
    if (contentLength > UINT32_MAX - 15u)
        return UINT32_MAX & ~15u;  // unreachable for real records; avoids wrapping to 0
    return RoundUp16(contentLength);
}

uint32_t EncodeCategoryRecord(const RuleCategory& category, uint8_t (&buffer)[kCategoryBufferSize])
{
    std::memset(buffer, 0, sizeof buffer);
    RecordWriter writer(buffer);
    writer.Byte(kCategoryTag);
    writer.U32(static_cast<uint32_t>(category.id));
    writer.Text(category.name, sizeof category.name);
    writer.Text(category.description, sizeof category.description);
    writer.Text(category.extraText, sizeof category.extraText);
    writer.U32(static_cast<uint32_t>(category.action));
    writer.U32(static_cast<uint32_t>(category.mode));
    writer.U32(static_cast<uint32_t>(category.option3));
    writer.U32(static_cast<uint32_t>(category.option4));
    writer.U32(static_cast<uint32_t>(category.adminOnly));
    writer.WideText(category.wideName, 64);
    writer.WideText(category.wideDescription, 512);
    writer.WideText(category.wideExtraText, 512);
    return writer.Length();
}

uint32_t EncodeItemRecord(const RuleItem& item, uint8_t (&buffer)[kItemBufferSize])
{
    std::memset(buffer, 0, sizeof buffer);
    RecordWriter writer(buffer);
    writer.Byte(kItemTag);
    writer.U32(item.root);
    writer.Text(item.keyPath, sizeof item.keyPath);
    writer.Text(item.name, sizeof item.name);
    writer.U32(item.flags);
    writer.WideText(item.wideName, 256);
    return writer.Length();
}

bool ParseCategoryRecord(const uint8_t* record, uint32_t length, RuleCategory& category)
{
    if (record == nullptr || length == 0 || record[0] != kCategoryTag)
        return false;
    std::memset(&category, 0, sizeof category);
    RecordReader reader(record, length);
    category.id = static_cast<int32_t>(reader.U32());
    reader.Text(category.name, sizeof category.name);
    reader.Text(category.description, sizeof category.description);
    reader.Text(category.extraText, sizeof category.extraText);
    category.action = static_cast<int32_t>(reader.U32());
    category.mode = static_cast<int32_t>(reader.U32());
    category.option3 = static_cast<int32_t>(reader.U32());
    category.option4 = static_cast<int32_t>(reader.U32());
    category.adminOnly = static_cast<int32_t>(reader.U32());
    reader.WideText(category.wideName, 64);
    reader.WideText(category.wideDescription, 512);
    reader.WideText(category.wideExtraText, 512);
    return true;
}

bool ParseItemRecord(const uint8_t* record, uint32_t length, RuleItem& item)
{
    if (record == nullptr || length == 0 || record[0] != kItemTag)
        return false;
    std::memset(&item, 0, sizeof item);
    RecordReader reader(record, length);
    item.root = reader.U32();
    reader.Text(item.keyPath, sizeof item.keyPath);
    reader.Text(item.name, sizeof item.name);
    item.flags = reader.U32();
    reader.WideText(item.wideName, 256);
    return true;
}
