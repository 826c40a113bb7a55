// What both readers of INI rule files share: the read buffers of the
// per-key profile calls and the making of one rule.
#pragma once
#include <cstddef>
#include <string_view>

#include "core/rule_entry.h"
#include "rules/value_pattern.h"

// GetPrivateProfileString buffers: the display name and a rule's value are
// cut to one character less.
const size_t kDisplayNameChars = 60;
const size_t kValueChars = 260;
// The key holding a section's display name (any case); it is no rule.
const char kDisplayNameKey[] = "name";

bool IsDisplayNameKey(std::string_view key);
// Whether an INI key makes a rule: a known root name (long or short), a
// backslash and the rest of the path; the test MakeRuleEntry makes.
bool IsRuleKey(std::string_view key);
// One rule with its value expanded, or null (no rule, or out of memory).
RuleEntry* MakeExpandedRule(const char* section, const char* displayName, const char* key, const char* value,
                            const ValuePatternExpander& expander);
