// Reader of INI rule files (the user rule file and its working copy).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/rule_entry.h"
#include "rules/plain_ini.h"
#include "rules/rule_store.h"

// How much of a rule file is read.  The store takes at most kMaxIniRules
// (10001) INI rules.  The add-entry dialog writes per rule at most a section
// line and a name line of 259 characters each, a key of two 259-character
// parts and a value of 260: some 1.3 KB in a single-byte code page, so
// 10001 rules in sections of their own stay below 16 MiB.  A file may hold
// sections without rules (left by hand edits), but not more than one per
// rule in a file of the user's: twice the rules is room enough.  Beyond
// either limit the file is read as if it ended there (at its last whole
// line within the bytes).
const uint64_t kMaxIniFileBytes = 16u << 20;
const size_t kMaxIniSections = 2 * kMaxIniRules;

struct IniReadLimits {
    uint64_t bytes = kMaxIniFileBytes;
    size_t sections = kMaxIniSections;
    size_t rules = kMaxIniRules;  // the last ones of the file are kept
    // Sections per piece of the copy the profile functions read (0: one
    // piece); each read of a section searches its piece from the start.
    size_t sectionsPerPiece = 1024;
};

// The rules of the file within the limits, the last kMaxIniRules of them;
// the list runs in the reverse of the file's order (sections, and keys
// within a section).  Null when the file is missing, unreadable, empty or
// holds no valid rule.  The caller owns the list (FreeRuleEntries, or
// RuleEntryList).  Files in the plain form (plain_ini.h) are read in one
// go; others through the profile functions, one call per section, from a
// private copy of the bytes within the limits (ini_snapshot.h).
RuleEntry* ReadIniRuleFile(const char* path);
// The same within other limits; wholeSections, when given, receives the
// section name of each entry as the file has it (entries keep at most 63
// characters), in list order.
RuleEntry* ReadIniRuleFile(const char* path, const IniReadLimits& limits, std::vector<std::string>* wholeSections);
