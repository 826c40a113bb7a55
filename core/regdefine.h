// The "RegDefine" stream of category databases: a format number, then per
// category a length-prefixed category record (tag 0x55), its item records
// (tag 0x66) and a terminating item record.  All integers little-endian.
#pragma once
#include <cstdint>
#include "byte_stream.h"
#include "rule_records.h"

const int32_t kRegDefineFormat = 256;
const uint8_t kCategoryTag = 0x55;
const uint8_t kItemTag = 0x66;
const uint32_t kMaxRecordLength = 4096;     // a reader accepts no longer record
const uint32_t kCategoryBufferSize = 3312;  // writer's buffer for one category record
const uint32_t kItemBufferSize = 1056;      // writer's buffer for one item record
const uint32_t kTerminatorLength = 16;      // 13 content bytes rounded up

// Content length rounded up to the next multiple of 16 (multiples unchanged).
uint32_t RecordLength(uint32_t contentLength);

// Encode a record into a zeroed buffer of the writer's size; returns L.
uint32_t EncodeCategoryRecord(const RuleCategory& category, uint8_t (&buffer)[kCategoryBufferSize]);
uint32_t EncodeItemRecord(const RuleItem& item, uint8_t (&buffer)[kItemBufferSize]);

// Parse one record of length L (tag included).  Fields are parsed only within
// the L bytes; a text without terminator is cut at the record's end and at its
// field's limit.  The record is cleared first; the category's item list is
// left empty.  Returns false when L is 0 or the tag is wrong.
bool ParseCategoryRecord(const uint8_t* record, uint32_t length, RuleCategory& category);
bool ParseItemRecord(const uint8_t* record, uint32_t length, RuleItem& item);

// Reads a whole "RegDefine" stream into the caller's zeroed array of
// capacity categories.  Returns the number of categories read completely;
// 0 when the format number is above 256.  Items end up in the reverse of
// their stream order.
uint32_t ReadRegDefine(ByteSource& source, RuleCategory* categories, uint32_t capacity);

// Writes the format number and count categories with their items and
// terminators.  Individual write results are not examined.
void WriteRegDefine(ByteSink& sink, const RuleCategory* categories, uint32_t count);
