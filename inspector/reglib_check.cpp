#include "inspector/reglib_check.h"

#include <cstring>
#include <string>

#include "core/little_endian.h"
#include "core/reglib.h"
#include "core/rule_entry.h"
#include "core/rule_records.h"
#include "core/rule_text.h"

const char kRegInfoStreamName[] = "REGINFO";
const char kRegLibStreamName[] = "REGLIB";

namespace {

const size_t kRegInfoSize = 8;  // record count, data size
const char* const kTextNames[] = {"category", "display name", "key path", "value pattern", "number"};
const size_t kTextCount = sizeof kTextNames / sizeof kTextNames[0];
// The longest texts the reader keeps: the entry's fixed fields, its heap strings.
const size_t kNameLimit = sizeof(RuleEntry::category) - 1;
const size_t kHeapTextLimit = static_cast<size_t>(kRuleTextMax);

struct Text {
    size_t offset;
    size_t length;
};

class RuleLibraryWalk {
public:
    RuleLibraryWalk(const uint8_t* lib, size_t size, FindingList& findings) : lib_(lib), size_(size), findings_(findings) {}

    // Walks every record of the stream; returns how many are complete.
    uint32_t Run();

private:
    void Error(uint64_t at, const std::string& text) { findings_.Error(kRegLibStreamName, at, text); }
    void Warning(uint64_t at, const std::string& text) { findings_.Warning(kRegLibStreamName, at, text); }
    void CheckTexts(uint32_t number, const Text (&texts)[kTextCount]);
    std::string Bytes(const Text& text) const {
        return std::string(reinterpret_cast<const char*>(lib_ + text.offset), text.length);
    }

    const uint8_t* lib_;
    size_t size_;
    FindingList& findings_;
};

uint32_t RuleLibraryWalk::Run() {
    uint32_t records = 0;
    size_t cursor = 0;
    while (cursor < size_ && lib_[cursor] != 0) {
        const std::string record = "record #" + std::to_string(records + 1);
        Text texts[kTextCount];
        for (size_t t = 0; t < kTextCount; ++t) {
            const void* nul = cursor < size_ ? std::memchr(lib_ + cursor, 0, size_ - cursor) : nullptr;
            if (nul == nullptr) {
                Error(cursor, record + " ends inside its " + kTextNames[t] +
                                  ": no terminating NUL before the end of the stream (the plug-in drops the record)");
                return records;
            }
            const size_t end = static_cast<size_t>(static_cast<const uint8_t*>(nul) - lib_);
            texts[t] = Text{cursor, end - cursor};
            cursor = end + 1;
        }
        ++records;
        CheckTexts(records, texts);
        if (cursor >= size_) {
            Error(cursor, record + " has no separator byte after its number, and the data no closing NUL");
            return records;
        }
        ++cursor;  // the separator, whatever its value
    }
    if (cursor >= size_) {
        Warning(cursor, "the data has no closing NUL after the last record (the plug-in stops at the record count)");
    } else if (size_ - cursor > 1) {
        Error(cursor + 1, std::to_string(size_ - cursor - 1) + " bytes follow the closing NUL of the data");
    }
    return records;
}

void RuleLibraryWalk::CheckTexts(uint32_t number, const Text (&texts)[kTextCount]) {
    const std::string record = "record #" + std::to_string(number);
    for (size_t t : {size_t{0}, size_t{1}})
        if (texts[t].length > kNameLimit)
            Warning(texts[t].offset, record + ": the " + kTextNames[t] + " is " + std::to_string(texts[t].length) +
                                         " bytes long; the plug-in keeps the first " + std::to_string(kNameLimit));
    for (size_t t : {size_t{2}, size_t{3}})
        if (texts[t].length > kHeapTextLimit)
            Warning(texts[t].offset, record + ": the " + kTextNames[t] + " is " + std::to_string(texts[t].length) +
                                         " bytes long; the plug-in keeps the first " + std::to_string(kHeapTextLimit));
    const std::string keyPath = Bytes(texts[2]);
    uint32_t root = 0;
    const char* rest = nullptr;
    if (!SplitShortKeyPath(keyPath.c_str(), &root, &rest))
        Warning(texts[2].offset, record + ": the key path " + QuotedBytes(keyPath.data(), keyPath.size()) +
                                     " does not begin with a short root name (HKLM\\...); the plug-in makes no item "
                                     "of it");
    const std::string numberText = Bytes(texts[4]);
    const int32_t value = ParseLeadingInt(numberText.c_str());
    if (numberText != std::to_string(value))
        Warning(texts[4].offset, record + ": the number " + QuotedBytes(numberText.data(), numberText.size()) +
                                     " is not a plain decimal number; the plug-in reads it as " +
                                     std::to_string(value));
}

// What the plug-in's reader makes of the streams: the same checks of the
// REGINFO values and the same parse, over the first `size` bytes.
uint32_t RecordsReadByPlugin(const RegInfo& info, bool infoComplete, const uint8_t* lib, size_t libSize) {
    if (!infoComplete || !RegInfoUsable(info, libSize)) return 0;
    RuleEntry* list = ParseRegLib(lib, info.size, info.count);
    const uint32_t n = CountRuleEntries(list);
    FreeRuleEntries(list);
    return n;
}

}  // namespace

RuleLibrarySummary CheckRuleLibrary(const uint8_t* info, size_t infoSize, const uint8_t* lib, size_t libSize,
                                    FindingList& findings) {
    if (info == nullptr) infoSize = 0;
    if (lib == nullptr) libSize = 0;
    RuleLibrarySummary summary;
    FindingList regLib;
    summary.records = RuleLibraryWalk(lib, libSize, regLib).Run();

    RegInfo values{0, 0};
    const bool complete = infoSize >= kRegInfoSize;
    if (!complete) {
        findings.Error(kRegInfoStreamName, 0,
                       "the stream is " + std::to_string(infoSize) +
                           " bytes long, too short for the record count and the data size; the plug-in reads no rule");
    } else {
        values = RegInfo{GetLe32(info), GetLe32(info + 4)};
        const std::string count = std::to_string(values.count), records = std::to_string(summary.records);
        if (values.count != summary.records) {
            std::string effect;
            if (values.count == 0)
                effect = "the plug-in reads no rule";
            else if (values.count < summary.records)
                effect = "the plug-in reads at most the first " + count;
            else
                effect = "the plug-in stops where the records end";
            findings.Error(kRegInfoStreamName, 0,
                           "record count " + count + " disagrees with the " + records + " records in REGLIB; " +
                               effect);
        }
        if (values.size != libSize) {
            const std::string size = std::to_string(values.size), real = std::to_string(libSize);
            std::string effect;
            if (values.size == 0 || values.size > libSize)
                effect = "the plug-in reads no rule";
            else
                effect = "the plug-in reads only the first " + size + " bytes";
            findings.Error(kRegInfoStreamName, 4,
                           "data size " + size + " disagrees with the REGLIB stream's " + real + " bytes; " + effect);
        }
        if (infoSize > kRegInfoSize)
            findings.Error(kRegInfoStreamName, kRegInfoSize,
                           std::to_string(infoSize - kRegInfoSize) + " bytes follow the record count and the data size");
    }
    findings.Append(regLib);  // after REGINFO's, in stream order
    summary.recordsRead = RecordsReadByPlugin(values, complete, lib, libSize);
    return summary;
}
