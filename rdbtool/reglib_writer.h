// The writer of rule libraries ("REGINFO"/"REGLIB").  It lives with the
// build tool: the plug-in only ever reads such files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/reglib.h"
#include "rdbtool/rdb_model.h"

// The "REGLIB" data: per rule the five NUL-terminated texts (the number as
// "%d") and the separator byte; then one NUL where the next record would
// begin, so that readers which ignore the count stop there too.
std::vector<uint8_t> EncodeRegLib(const RuleLibrary& library);
// The "REGINFO" values for that data: the rule count and the data's size.
RegInfo RegInfoFor(const RuleLibrary& library, const std::vector<uint8_t>& regLib);
// The 8 bytes of the "REGINFO" stream, little-endian.
std::vector<uint8_t> EncodeRegInfo(const RegInfo& info);

// Writes both streams into the file (created when missing), cutting off any
// longer earlier content.  False when the file, a stream or a write fails.
bool WriteRuleLibrary(const std::wstring& path, const RuleLibrary& library);
