#include "rules/ini_rule_entry.h"

#include <cstring>

#include "core/ascii_case.h"
#include "core/root_names.h"
#include "core/rule_text.h"
#include "rules/rule_entry_list.h"
#include "rules/value_pattern.h"

bool IsDisplayNameKey(std::string_view key) { return EqualIgnoringAsciiCase(key, kDisplayNameKey); }

bool IsRuleKey(std::string_view key) {
    const size_t backslash = key.find('\\');
    // Root names are short: a longer first part names none.
    char root[64];
    if (backslash == std::string_view::npos || backslash >= sizeof root) return false;
    std::memcpy(root, key.data(), backslash);
    root[backslash] = '\0';
    return RootFromLongName(root) != 0 || RootFromShortName(root) != 0;
}

RuleEntry* MakeExpandedRule(const char* section, const char* displayName, const char* key, const char* value,
                            const ValuePatternExpander& expander) {
    RuleEntryList entry(MakeRuleEntry(section, displayName, key, value));
    if (!entry) return nullptr;
    entry->valuePattern = expander.Expand(entry->valuePattern);
    if (!entry->valuePattern) return nullptr;  // out of memory: the rule is dropped
    return entry.release();
}
