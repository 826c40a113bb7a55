// The "REGINFO"/"REGLIB" streams of flat rule libraries.  "REGINFO" holds the
// record count and the byte size of "REGLIB"; each "REGLIB" record is five
// NUL-terminated texts (category, display name, key path, value pattern,
// number) and one separator byte.
#pragma once
#include <cstdint>
#include "rule_entry.h"

struct RegInfo {
    uint32_t count;
    uint32_t size;
};

// Whether the REGINFO values can be used with a "REGLIB" stream of the given
// real size: both nonzero and the size no larger than the stream.
bool RegInfoUsable(const RegInfo& info, uint64_t regLibStreamSize);

// Parses "REGLIB" data of `size` bytes into a list of at most `count`
// entries, in the reverse of the record order.  The walk never leaves the
// buffer; it stops at a NUL where a record would begin.  Value patterns are NOT
// expanded here (the caller applies ExpandValuePattern).  Null for no entries.
RuleEntry* ParseRegLib(const uint8_t* data, uint32_t size, uint32_t count);
