#include "inspector/regdefine_check.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/byte_stream.h"
#include "core/little_endian.h"
#include "core/regdefine.h"
#include "core/root_names.h"
#include "core/rule_records.h"
#include "inspector/record_fields.h"

const char kRegDefineStreamName[] = "RegDefine";

namespace {

const uint32_t kLengthSize = 4;

bool AllZero(const uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

bool IsTableRoot(uint32_t root) { return ShortNameFromRoot(root)[0] != '\0'; }

// The record as the writer would encode what the reader parses from it.
template <size_t N, typename Record>
bool IsWriterEncoding(const uint8_t* record, uint32_t length, const Record& parsed,
                      uint32_t (*encode)(const Record&, uint8_t (&)[N])) {
    uint8_t buffer[N];
    const uint32_t encoded = encode(parsed, buffer);
    return encoded == length && std::memcmp(buffer, record, length) == 0;
}

class RegDefineWalk {
public:
    RegDefineWalk(const uint8_t* data, size_t size, const RegDefineCheckOptions& options, FindingList& findings)
        : data_(data), size_(size), options_(options), findings_(findings) {}

    RegDefineSummary Run();

private:
    void Error(uint64_t at, const std::string& text) { findings_.Error(kRegDefineStreamName, at, text); }
    void Warning(uint64_t at, const std::string& text) { findings_.Warning(kRegDefineStreamName, at, text); }

    bool CheckFormat();
    // One length-prefixed record at pos_; false when the walk cannot go on.
    bool Record();
    void Category(uint64_t at, const uint8_t* record, uint32_t length);
    void Item(uint64_t at, const uint8_t* record, uint32_t length);
    // Explains a record that is not as the writer encodes it.
    void ExplainEncoding(const uint8_t* record, uint32_t length, const RecordLayout& layout, const std::string& what,
                         uint64_t at);
    std::string CategoryName() const {
        return "category #" + std::to_string(summary_.categories) + " (id " + std::to_string(categoryId_) + ")";
    }
    std::string ItemName() const { return "item #" + std::to_string(itemNo_) + " of " + CategoryName(); }
    void ReadAsThePluginDoes();

    const uint8_t* data_;
    size_t size_;
    RegDefineCheckOptions options_;
    FindingList& findings_;
    RegDefineSummary summary_;
    size_t pos_ = 0;
    bool inCategory_ = false;   // items or the terminator come next
    bool orphanItems_ = false;  // items that follow no category record
    int32_t categoryId_ = 0;
    uint32_t itemNo_ = 0;
    std::unordered_map<int32_t, uint32_t> firstWithId_;
};

bool RegDefineWalk::CheckFormat() {
    if (size_ < kLengthSize) {
        Error(0, size_ == 0 ? "the stream is empty: it has no format number, so the plug-in reads no category"
                            : "the stream is " + std::to_string(size_) +
                                  " bytes long, too short for the 4-byte format number; the plug-in reads no category");
        return false;
    }
    const int32_t format = static_cast<int32_t>(GetLe32(data_));
    if (format > kRegDefineFormat)
        Error(0, "format number " + std::to_string(format) + " is above " + std::to_string(kRegDefineFormat) +
                     ": the plug-in reads no category from this stream");
    else if (format != kRegDefineFormat)
        Error(0, "format number " + std::to_string(format) + " is not " + std::to_string(kRegDefineFormat) +
                     " (the plug-in still reads the stream)");
    pos_ = kLengthSize;
    return true;
}

bool RegDefineWalk::Record() {
    const uint64_t at = pos_;
    const size_t left = size_ - pos_;
    if (AllZero(data_ + pos_, left)) {
        if (inCategory_ && !orphanItems_)
            Error(at, "the terminating item record of " + CategoryName() + " is missing");
        Error(at, std::to_string(left) + " zero bytes follow the last record");
        return false;
    }
    if (left < kLengthSize) {
        Error(at, std::to_string(left) + " bytes follow the last record, too few for a record length");
        return false;
    }
    const uint32_t length = GetLe32(data_ + pos_);
    const size_t after = left - kLengthSize;
    if (length > kMaxRecordLength) {
        Error(at, "record length " + std::to_string(length) + " is over the " + std::to_string(kMaxRecordLength) +
                      "-byte limit (the plug-in's reader stops here)" +
                      (length > after ? "; it also runs past the end of the stream" : ""));
        if (length > after) return false;
    } else if (length > after) {
        Error(at, "record length " + std::to_string(length) + " runs past the end of the stream, " +
                      std::to_string(after) + " bytes after the length (the plug-in's reader stops here)");
        return false;
    }
    if (length == 0) {
        Error(at, "record length 0: an empty record has no tag (the plug-in's reader stops here)");
        pos_ += kLengthSize;
        return true;
    }
    if (length % 16 != 0)
        Error(at, "record length " + std::to_string(length) + " is not a multiple of 16");
    const uint8_t* record = data_ + pos_ + kLengthSize;
    if (record[0] == kCategoryTag)
        Category(at, record, length);
    else if (record[0] == kItemTag)
        Item(at, record, length);
    else
        Error(at + kLengthSize, "record tag " + Hex(record[0]) + " is neither a category's " + Hex(kCategoryTag) +
                                    " nor an item's " + Hex(kItemTag) + " (the plug-in's reader stops here)");
    pos_ += kLengthSize + length;
    return true;
}

void RegDefineWalk::Category(uint64_t at, const uint8_t* record, uint32_t length) {
    if (inCategory_ && !orphanItems_)
        Error(at, "the terminating item record of " + CategoryName() +
                      " is missing: a category record follows its items (the plug-in's reader takes it as the end of "
                      "the items and stops at the record after it)");
    RuleCategory category;
    ParseCategoryRecord(record, length, category);
    ++summary_.categories;
    categoryId_ = category.id;
    inCategory_ = true;
    orphanItems_ = false;
    itemNo_ = 0;
    const std::string what = CategoryName();
    if (!IsWriterEncoding<kCategoryBufferSize>(record, length, category, &EncodeCategoryRecord))
        ExplainEncoding(record, length, kCategoryLayout, what, at);
    const auto first = firstWithId_.emplace(category.id, summary_.categories);
    if (!first.second)
        Warning(at, what + ": category #" + std::to_string(first.first->second) +
                        " has the same id; the load merges user items into the first of them");
    if (summary_.categories == kMaxCategories + 1)
        Warning(at, what + " and any after it are beyond the " + std::to_string(kMaxCategories) +
                        " categories the plug-in reads");
    if (options_.userDatabase && summary_.categories == 1 && category.wideName[0] == 0)
        Error(at, what + ": the first category of a user database has an empty wide name; the plug-in deletes such "
                         "a file when it loads it");
}

void RegDefineWalk::Item(uint64_t at, const uint8_t* record, uint32_t length) {
    if (!inCategory_) {
        Error(at, std::string("an item record stands where a category record should begin (") +
                      (summary_.categories == 0 ? "at the start of the stream" : "after " + CategoryName() + "'s end") +
                      "; the plug-in's reader stops here)");
        inCategory_ = true;
        orphanItems_ = true;
    }
    RuleItem item;
    ParseItemRecord(record, length, item);
    const bool asWritten = IsWriterEncoding<kItemBufferSize>(record, length, item, &EncodeItemRecord);
    if (item.root == 0) {
        const std::string what = orphanItems_ ? "a terminating item record" : "the terminator of " + CategoryName();
        if (!asWritten) ExplainEncoding(record, length, kItemLayout, what, at);
        if (item.keyPath[0] || item.name[0] || item.flags || item.wideName[0])
            Warning(at, what + " carries texts or flags, which the plug-in ignores");
        inCategory_ = false;
        orphanItems_ = false;
        return;
    }
    ++itemNo_;
    ++summary_.items;
    // Names are made only for a sentence: a sound item costs no string.
    auto what = [&] { return orphanItems_ ? std::string("an item without a category") : ItemName(); };
    if (!asWritten) ExplainEncoding(record, length, kItemLayout, what(), at);
    if (!IsTableRoot(item.root))
        Warning(at + kLengthSize + 1, what() + ": root " + Hex(item.root) + " is not one of the registry roots");
}

void RegDefineWalk::ExplainEncoding(const uint8_t* record, uint32_t length, const RecordLayout& layout,
                                    const std::string& what, uint64_t at) {
    const size_t explained = ExplainRecord(record, length, layout, what, kRegDefineStreamName, at + kLengthSize, findings_);
    // A length off the 16-byte grid is reported already.
    if (explained == 0 && length % 16 == 0)
        Warning(at, what + ": the record is not as the writer encodes the values read from it");
}

// The plug-in's own reader, with the capacity of its store, tells how much
// of a damaged or overfull stream it takes.
void RegDefineWalk::ReadAsThePluginDoes() {
    std::vector<RuleCategory> categories(kMaxCategories);  // value-initialised: zeroed
    MemorySource source(data_, size_);
    summary_.categoriesRead = ReadRegDefine(source, categories.data(), kMaxCategories);
    summary_.itemsRead = 0;
    for (uint32_t c = 0; c < summary_.categoriesRead; ++c)
        for (const RuleItem* item = categories[c].items; item; item = item->next) ++summary_.itemsRead;
    ClearItems(categories.data(), summary_.categoriesRead);
}

RegDefineSummary RegDefineWalk::Run() {
    const size_t errorsBefore = findings_.Errors();
    if (CheckFormat()) {
        while (pos_ < size_ && Record()) {
        }
        if (pos_ >= size_ && inCategory_ && !orphanItems_)
            Error(size_, "the stream ends inside " + CategoryName() + ": its terminating item record is missing");
    }
    // Beyond these bounds the plug-in builds nothing from a user database,
    // and neither does this check: a node per item is what makes such a
    // file dangerous.
    const RegDefineCounts counts = CountRegDefine(data_, size_);
    const bool overLimit = size_ > kMaxUserDatabaseStreamBytes || !WithinUserDatabaseLimits(counts);
    if (options_.userDatabase && overLimit) {
        Error(0, "beyond the limits of a user database: " + CountOf(counts.categories, "category", "categories") +
                     ", " + CountOf(counts.items, "item", "items") + ", " + std::to_string(counts.largestCategory) +
                     " in the largest category, " + CountOf(size_, "byte", "bytes") + " (at most " +
                     std::to_string(kMaxUserDatabaseCategories) + ", " + std::to_string(kMaxUserDatabaseItems) + ", " +
                     std::to_string(kMaxItemsPerUserCategory) + " and " + std::to_string(kMaxUserDatabaseStreamBytes) +
                     "): the plug-in reads nothing from it, and Import refuses a profile that holds it");
        summary_.categoriesRead = 0;
        summary_.itemsRead = 0;
        return summary_;
    }
    // A stream without errors is read whole up to the capacity, so the
    // reader need not run (it makes a node per item, which for a stream of
    // far more items than any store holds this check does not risk either).
    if (findings_.Errors() == errorsBefore && summary_.categories <= kMaxCategories) {
        summary_.categoriesRead = summary_.categories;
        summary_.itemsRead = summary_.items;
    } else if (counts.items > kMaxUserDatabaseItems) {
        summary_.categoriesRead = summary_.categories < kMaxCategories ? summary_.categories : kMaxCategories;
        summary_.itemsRead = summary_.items;
    } else {
        ReadAsThePluginDoes();
    }
    return summary_;
}

}  // namespace

RegDefineSummary CheckRegDefine(const uint8_t* data, size_t size, const RegDefineCheckOptions& options,
                                FindingList& findings) {
    if (data == nullptr) size = 0;
    return RegDefineWalk(data, size, options, findings).Run();
}
