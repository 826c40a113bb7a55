// Deciphered streams built record by record, to be damaged at known
// offsets.  Records are encoded by the core's own encoders.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/little_endian.h"
#include "core/regdefine.h"
#include "core/root_names.h"
#include "core/rule_records.h"
#include "inspector/finding.h"

namespace inspector_testing {

class RegDefineBuilder {
public:
    explicit RegDefineBuilder(uint32_t format = 256) { U32(format); }

    // Each returns the offset of the record's length field.
    size_t Category(int32_t id, const char* name = "Category") {
        RuleCategory category;
        std::memset(&category, 0, sizeof category);
        category.id = id;
        std::strcpy(category.name, name);
        for (size_t i = 0; name[i]; ++i) category.wideName[i] = static_cast<utf16_t>(name[i]);
        uint8_t record[kCategoryBufferSize];
        return Record(record, EncodeCategoryRecord(category, record));
    }
    size_t Item(uint32_t root = kHkeyLocalMachine, const char* keyPath = "Software\\X", const char* name = "x") {
        RuleItem item;
        std::memset(&item, 0, sizeof item);
        item.root = root;
        std::strcpy(item.keyPath, keyPath);
        std::strcpy(item.name, name);
        uint8_t record[kItemBufferSize];
        return Record(record, EncodeItemRecord(item, record));
    }
    size_t Terminator() { return Item(0, "", ""); }
    // A record of the given length: `content` then zeros.
    size_t Raw(uint32_t length, const std::vector<uint8_t>& content) {
        std::vector<uint8_t> record(length, 0);
        std::memcpy(record.data(), content.data(), std::min<size_t>(content.size(), length));
        return Record(record.data(), length);
    }
    void Bytes(const std::vector<uint8_t>& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    void U32(uint32_t value) {
        uint8_t le[4];
        PutLe32(le, value);
        bytes_.insert(bytes_.end(), le, le + 4);
    }

    std::vector<uint8_t>& Stream() { return bytes_; }

private:
    size_t Record(const uint8_t* record, uint32_t length) {
        const size_t at = bytes_.size();
        U32(length);
        bytes_.insert(bytes_.end(), record, record + length);
        return at;
    }

    std::vector<uint8_t> bytes_;
};

// "REGLIB" data as a writer makes it: five texts, a separator per record,
// then the closing NUL.
inline std::string RegLibRecord(const std::string& category, const std::string& keyPath,
                                const std::string& number = "1") {
    return category + '\0' + "Display" + '\0' + keyPath + '\0' + "value" + '\0' + number + '\0' + '\n';
}

inline std::vector<uint8_t> RegInfo(uint32_t count, uint32_t size) {
    std::vector<uint8_t> info(8);
    PutLe32(&info[0], count);
    PutLe32(&info[4], size);
    return info;
}

inline std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// The first finding whose text contains `part`, or null.
inline const Finding* FindingWith(const FindingList& findings, const std::string& part) {
    for (const Finding& finding : findings.All())
        if (finding.text.find(part) != std::string::npos) return &finding;
    return nullptr;
}

inline std::string AllText(const FindingList& findings) {
    std::string text;
    for (const Finding& finding : findings.All()) text += FormatFinding(finding) + "\n";
    return text;
}

// A finding with `part` in its sentence, of that severity and place.
inline void ExpectFinding(const FindingList& findings, Severity severity, const char* where, uint64_t offset,
                          const std::string& part) {
    const Finding* finding = FindingWith(findings, part);
    ASSERT_NE(finding, nullptr) << "no finding with \"" << part << "\" in:\n" << AllText(findings);
    EXPECT_EQ(finding->severity, severity) << FormatFinding(*finding);
    EXPECT_EQ(finding->where, where) << FormatFinding(*finding);
    EXPECT_EQ(finding->offset, offset) << FormatFinding(*finding);
}

}  // namespace inspector_testing
