// Checks the deciphered "REGINFO" and "REGLIB" streams of a rule library
// against each other and record by record.  Portable: no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

#include "inspector/finding.h"

extern const char kRegInfoStreamName[];  // "REGINFO"
extern const char kRegLibStreamName[];   // "REGLIB"

struct RuleLibrarySummary {
    uint32_t records = 0;      // complete records in the whole "REGLIB" stream
    uint32_t recordsRead = 0;  // what the plug-in's reader makes of them
};

RuleLibrarySummary CheckRuleLibrary(const uint8_t* info, size_t infoSize, const uint8_t* lib, size_t libSize,
                                    FindingList& findings);
