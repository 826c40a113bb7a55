// The "RegDefine" stream of category databases: a format number, then per
// category a length-prefixed category record (tag 0x55), its item records
// (tag 0x66) and a terminating item record.  All integers little-endian.
#pragma once
#include <cstddef>
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

// What a whole "RegDefine" stream holds, walked as the reader walks it but
// without building anything.
struct RegDefineCounts {
    uint32_t categories = 0;
    uint64_t items = 0;
    uint64_t largestCategory = 0;  // items of the category that has most
};
RegDefineCounts CountRegDefine(ByteSource& source);
RegDefineCounts CountRegDefine(const uint8_t* data, size_t size);

// Bounds of a category database that comes from the user's folder or from an
// imported profile, checked before anything is built from it.  A full store
// holds some 70,000 items, the largest category about 20,000 (the user
// category with 10,000 library rules and 10,001 hand-written ones), and never
// more than 1000 categories; a user database holds only the user's share of
// that.  Beyond these bounds a database is no user's but a danger to a
// 32-bit host: each item becomes a node of about 1 KB.
const uint32_t kMaxUserDatabaseCategories = 1000;
const uint64_t kMaxUserDatabaseItems = 100000;
const uint64_t kMaxItemsPerUserCategory = 30000;
// The largest "RegDefine" stream read: 100,000 items of the longest record
// would need some 100 MB, real ones (about 150 bytes) some 15 MB.
const uint64_t kMaxUserDatabaseStreamBytes = 64u * 1024u * 1024u;
bool WithinUserDatabaseLimits(const RegDefineCounts& counts);

// Writes the format number and count categories with their items and
// terminators.  Individual write results are not examined.
void WriteRegDefine(ByteSink& sink, const RuleCategory* categories, uint32_t count);
