#include "rdbtool/canonical_dump.h"

#include <cstring>

#include "core/little_endian.h"
#include "core/regdefine.h"
#include "rdbtool/source_printer.h"
#include "rdbtool/text_codec.h"

namespace {

const uint32_t kFirstGuess = 1252;  // what GuessCodePage tries first

// The stream's length-prefixed records, one after the other.
class RecordWalker {
public:
    RecordWalker(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return position_ == size_; }
    bool Format(uint32_t& value) { return Take(value); }
    // False at the end, on a record the readers would not accept, or on one
    // with another tag.
    bool Next(uint8_t tag, const uint8_t*& record, uint32_t& length) {
        return Take(record, length) && record[0] == tag;
    }
    // The next record, whatever its tag.
    bool Take(const uint8_t*& record, uint32_t& length) {
        if (!Take(length) || length == 0 || length > kMaxRecordLength || size_ - position_ < length) return false;
        record = data_ + position_;
        position_ += length;
        return true;
    }

private:
    bool Take(uint32_t& value) {
        if (size_ - position_ < 4) return false;
        value = GetLe32(data_ + position_);
        position_ += 4;
        return true;
    }
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

bool EncodesTo(const RuleCategory& category, const uint8_t* record, uint32_t length) {
    uint8_t buffer[kCategoryBufferSize];
    return EncodeCategoryRecord(category, buffer) == length && std::memcmp(buffer, record, length) == 0;
}

bool EncodesTo(const RuleItem& item, const uint8_t* record, uint32_t length) {
    uint8_t buffer[kItemBufferSize];
    return EncodeItemRecord(item, buffer) == length && std::memcmp(buffer, record, length) == 0;
}

}  // namespace

bool DumpCanonicalRegDefine(const std::vector<uint8_t>& stream, uint32_t codePage, std::string& text,
                            uint32_t& usedCodePage) {
    const bool guessing = codePage == 0;
    if (guessing) {
        codePage = kFirstGuess;
        if (!IsAnsiCodePage(codePage)) return false;
    }
    RecordWalker walker(stream.data(), stream.size());
    uint32_t format = 0;
    if (!walker.Format(format) || format != static_cast<uint32_t>(kRegDefineFormat)) return false;

    // The header names the count: a first walk over the lengths and tags
    // alone finds it, so that the source is written once, in place.
    uint32_t categories = 0;
    {
        RecordWalker counter = walker;
        const uint8_t* record = nullptr;
        uint32_t length = 0;
        while (!counter.AtEnd()) {
            if (!counter.Take(record, length)) return false;
            categories += record[0] == kCategoryTag;
        }
    }
    std::string body = CategoriesHeader(categories, codePage);
    body.reserve(stream.size());  // the source is shorter than the records
    uint32_t misses = 0;
    RuleCategory category;
    RuleItem item, terminator;
    std::memset(&terminator, 0, sizeof terminator);
    const uint8_t* record = nullptr;
    uint32_t length = 0;
    while (!walker.AtEnd()) {
        if (!walker.Next(kCategoryTag, record, length) || !ParseCategoryRecord(record, length, category) ||
            !EncodesTo(category, record, length))
            return false;
        misses += AppendCategoryHead(body, category, codePage);
        for (;;) {
            if (!walker.Next(kItemTag, record, length) || !ParseItemRecord(record, length, item)) return false;
            if (item.root == 0) {
                // The readers stop at the first item without a root: packing
                // writes it as the terminator, all zero.
                if (!EncodesTo(terminator, record, length)) return false;
                break;
            }
            if (!EncodesTo(item, record, length)) return false;
            misses += AppendItemLine(body, item, codePage);
        }
        if (guessing && misses != 0) return false;
    }
    text = std::move(body);
    usedCodePage = codePage;
    return true;
}
