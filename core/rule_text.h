// Turning INI keys and values into rules, and the value-pattern expansion.
#pragma once
#include <cstddef>
#include <cstdint>
#include "rule_entry.h"

// Builds one entry from a section name, a display name, an INI key and an
// INI value; null when the key has no backslash or its root is unknown.  The
// key path gets the short root name; valuePattern is not yet expanded.
RuleEntry* MakeRuleEntry(const char* section, const char* displayName, const char* key, const char* value);

// The C runtime's atoi rules on text (leading blanks, sign, digits).
int32_t ParseLeadingInt(const char* text);

// Copies source to output (outputSize bytes, terminator kept) with the first
// occurrence of pattern, found case-insensitively, replaced.  The output keeps
// the source's letters.  Returns the output's length.
size_t ReplaceFirstNoCase(const char* source, const char* pattern, const char* replacement,
                          char* output, size_t outputSize);

// Takes ownership of a malloc'd text and returns a new malloc'd text: "*"
// when it contains an asterisk, else the first "%system%" replaced by
// systemDirectory.  At most 1023 characters.
char* ExpandValuePatternWith(char* text, const char* systemDirectory);

// Splits "SHORT\rest" into a root and the rest (short names only).
bool SplitShortKeyPath(const char* keyPath, uint32_t* root, const char** rest);
