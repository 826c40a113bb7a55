// Reader of INI rule files (the user rule file and its working copy).
#pragma once
#include "core/rule_entry.h"

// Every rule of every section; the list runs in the reverse of the file's
// order (sections, and keys within a section).  Null when the file is
// missing, empty or holds no valid rule.  The caller owns the list
// (FreeRuleEntries, or RuleEntryList).
RuleEntry* ReadIniRuleFile(const char* path);
