// Reading and writing rule database files: "RegDefine" category databases
// and "REGINFO"/"REGLIB" rule libraries.  Paths are ANSI as the rule store
// keeps them; the wide forms serve tools.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/rule_entry.h"
#include "core/rule_records.h"
#include "rules/rule_stream.h"

// Reads the "RegDefine" stream into the caller's zeroed array; returns the
// number of categories read completely (0 when the file or stream does not
// open).  Each category's items end up in the reverse of their stream order.
uint32_t ReadCategories(const char* path, RuleCategory* categories, uint32_t capacity);
uint32_t ReadCategories(const wchar_t* path, RuleCategory* categories, uint32_t capacity);

// How reading a category database went.
enum class DatabaseRead {
    kRead,         // read, up to any damage
    kMissing,      // no such file
    kNotDatabase,  // a file, but no category database: nothing in it to keep
    kUnreadable,   // there, but could not be read now (busy, denied)
    kOverLimit,    // beyond the bounds of a user database; nothing was built
};
// The reading of a "RegDefine" stream that both read functions do, over the
// streams that `open` gives (each call opens the stream anew, from its start).
// `bounded` checks the user database limits before anything is built.
using RuleStreamOpener = std::function<std::unique_ptr<RuleStream>()>;
uint32_t ReadCategoryStream(const RuleStreamOpener& open, RuleCategory* categories, uint32_t capacity, bool bounded,
                            DatabaseRead& outcome);

// Whether a user database held in memory (a part of an imported profile)
// is within the user database limits.  Bytes that are no category database
// are: there is nothing in them to bound.
bool UserDatabaseBytesWithinLimits(const uint8_t* data, size_t size);

// ReadCategories for a database from the user's folder or an imported
// profile: the user database limits are checked before anything is built.
uint32_t ReadUserCategories(const char* path, RuleCategory* categories, uint32_t capacity, DatabaseRead& outcome);
uint32_t ReadUserCategories(const wchar_t* path, RuleCategory* categories, uint32_t capacity, DatabaseRead& outcome);

// Writes count categories with their items as the "RegDefine" stream,
// creating the file when missing and cutting off any longer earlier content.
// Returns 1 when the stream was opened, 0 otherwise.
int WriteCategories(const char* path, const RuleCategory* categories, uint32_t count);
int WriteCategories(const wchar_t* path, const RuleCategory* categories, uint32_t count);

// The rules of a rule library, in the reverse of their "REGLIB" order, value
// patterns expanded; null when there are none or the file is unusable.
RuleEntry* ReadRuleLibrary(const char* path);
RuleEntry* ReadRuleLibrary(const wchar_t* path);
