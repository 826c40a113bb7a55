// Reader of INI rule files (the user rule file and its working copy).
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "core/rule_entry.h"

// Every rule of every section; the list runs in the reverse of the file's
// order (sections, and keys within a section).  Null when the file is
// missing, empty or holds no valid rule.  The caller owns the list
// (FreeRuleEntries, or RuleEntryList).
RuleEntry* ReadIniRuleFile(const char* path);

// A profile file read whole in one go instead of through one profile call
// per value (each call reopens the file).  Only files in the plain form are
// taken, whose reading by the profile functions is beyond doubt: lines
// "[section]", "key=value" or empty, no blanks around names or values, no
// quoted values, no duplicate sections or keys (ASCII case folded), names in
// ASCII, text valid in the system code page, no byte-order mark.  For any
// other file the caller uses the profile functions, which know every form.
struct PlainIniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // key, value, in file order
};
enum class PlainIniRead {
    kMissing,  // no such file: every profile lookup gives its default
    kPlain,    // sections holds the whole file
    kOther,    // not read here; ask the profile functions
};
PlainIniRead ReadPlainIniFile(const char* path, std::vector<PlainIniSection>& sections);
// The value of key (ASCII case folded) in the section, or null.
const std::string* FindPlainIniValue(const PlainIniSection& section, const char* key);
