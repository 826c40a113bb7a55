// The field layout of the "RegDefine" records, for explaining why a record
// is not as the writer encodes it: which text lacks its terminator, which
// field the record's end cuts, what the padding holds.  The values
// themselves are read with the core's parse functions.  Portable.
#pragma once
#include <cstdint>
#include <string>

#include "inspector/finding.h"

enum class FieldKind { kInt32, kText, kWideText };

struct FieldLayout {
    const char* name;
    FieldKind kind;
    uint32_t limit;  // texts: field size in code units, terminator included
};

struct RecordLayout {
    const FieldLayout* fields;
    uint32_t count;
};

extern const RecordLayout kCategoryLayout;
extern const RecordLayout kItemLayout;

// Walks the fields of a record of `length` bytes (tag included) that starts
// at `recordOffset` of the stream, and reports what keeps it from being the
// writer's encoding: a field cut by the record's end (error), a text longer
// than its field (warning), more padding than the content needs or padding
// that is not zero (warnings).  `what` names the record in the sentences.
// Returns the number of findings added.
size_t ExplainRecord(const uint8_t* record, uint32_t length, const RecordLayout& layout, const std::string& what,
                     const std::string& stream, uint64_t recordOffset, FindingList& findings);
