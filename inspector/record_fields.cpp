#include "inspector/record_fields.h"

#include "core/little_endian.h"
#include "core/regdefine.h"
#include "core/rule_records.h"

namespace {

// Field sizes in code units, terminator included, as the records hold them.
constexpr uint32_t kWide = sizeof(utf16_t);

const FieldLayout kCategoryFields[] = {
    {"id", FieldKind::kInt32, 0},
    {"name", FieldKind::kText, sizeof(RuleCategory::name)},
    {"description", FieldKind::kText, sizeof(RuleCategory::description)},
    {"extra text", FieldKind::kText, sizeof(RuleCategory::extraText)},
    {"action", FieldKind::kInt32, 0},
    {"mode", FieldKind::kInt32, 0},
    {"option3", FieldKind::kInt32, 0},
    {"option4", FieldKind::kInt32, 0},
    {"admin-only", FieldKind::kInt32, 0},
    {"wide name", FieldKind::kWideText, sizeof(RuleCategory::wideName) / kWide},
    {"wide description", FieldKind::kWideText, sizeof(RuleCategory::wideDescription) / kWide},
    {"wide extra text", FieldKind::kWideText, sizeof(RuleCategory::wideExtraText) / kWide},
};

const FieldLayout kItemFields[] = {
    {"root", FieldKind::kInt32, 0},
    {"key path", FieldKind::kText, sizeof(RuleItem::keyPath)},
    {"name", FieldKind::kText, sizeof(RuleItem::name)},
    {"flags", FieldKind::kInt32, 0},
    {"wide name", FieldKind::kWideText, sizeof(RuleItem::wideName) / kWide},
};

}  // namespace

const RecordLayout kCategoryLayout = {kCategoryFields, sizeof kCategoryFields / sizeof kCategoryFields[0]};
const RecordLayout kItemLayout = {kItemFields, sizeof kItemFields / sizeof kItemFields[0]};

size_t ExplainRecord(const uint8_t* record, uint32_t length, const RecordLayout& layout, const std::string& what,
                     const std::string& stream, uint64_t recordOffset, FindingList& findings) {
    const size_t before = findings.All().size();
    const std::string bytes = std::to_string(length);
    uint32_t pos = 1;  // after the tag
    for (uint32_t f = 0; f < layout.count; ++f) {
        const FieldLayout& field = layout.fields[f];
        const uint64_t at = recordOffset + pos;
        if (field.kind == FieldKind::kInt32) {
            if (length - pos < 4) {
                findings.Error(stream, at,
                               what + ": the record's " + bytes + " bytes end inside its " + field.name +
                                   " field; the plug-in reads it and every field after it as 0 or empty");
                return findings.All().size() - before;
            }
            pos += 4;
            continue;
        }
        const uint32_t unit = field.kind == FieldKind::kText ? 1 : 2;
        uint32_t units = 0;
        bool terminated = false;
        while (length - pos >= unit) {
            const uint32_t value = unit == 1 ? record[pos] : GetLe16(record + pos);
            pos += unit;
            if (value == 0) {
                terminated = true;
                break;
            }
            ++units;
        }
        if (!terminated) {
            findings.Error(stream, at,
                           what + ": the " + field.name + " has no terminating NUL within the record's " + bytes +
                               " bytes; the plug-in cuts it at the record's end and reads the fields after it as 0 "
                               "or empty");
            return findings.All().size() - before;
        }
        if (units >= field.limit)
            findings.Warning(stream, at,
                             what + ": the " + field.name + " is " + std::to_string(units) +
                                 (unit == 1 ? " bytes" : " code units") + " long; the plug-in keeps the first " +
                                 std::to_string(field.limit - 1));
    }
    const uint32_t content = pos;
    const uint32_t needed = RecordLength(content);
    if (length > needed)
        findings.Warning(stream, recordOffset - 4,
                         what + ": the record is " + bytes + " bytes long where its " + std::to_string(content) +
                             " bytes of content need " + std::to_string(needed));
    for (uint32_t i = content; i < length; ++i) {
        if (record[i] != 0) {
            findings.Warning(stream, recordOffset + i, what + ": the padding after the record's content is not zero");
            break;
        }
    }
    return findings.All().size() - before;
}
