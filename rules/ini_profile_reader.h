// The rules of an INI rule file as the profile functions read it, with one
// call per section instead of one per key.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/rule_entry.h"

// Exactly the rules that one GetPrivateProfileString call per key gives
// (key list, "name" value and value of each key, in their buffers) for the
// first maxSections sections of the file that `files` make up in order (the
// pieces of ini_snapshot.h, or one whole file), of which only the last
// maxRules are kept; the list runs in the reverse of the file's order.
// Each section is read once whole; where that text leaves the per-key
// answer in doubt (quotes, blanks around names, names a case-blind match
// may confuse, text the code page does not keep), that key or section is
// asked key by key.  wholeSections, when given, receives the section of
// each entry in list order.
//
// False, with no rules, when two pieces hold sections a lookup in the whole
// file could confuse, or a name the code page does not keep: only the
// whole file answers for those.
bool ReadRulesThroughProfileFunctions(const std::vector<std::string>& files, size_t maxSections, size_t maxRules,
                                      std::vector<std::string>* wholeSections, RuleEntry*& rules);
