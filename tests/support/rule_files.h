// User rule files of a known shape, for tests and benchmarks: numbered
// sections of `perSection` rules each, every section with a display name,
// every rule line as hand-written files have them (both spellings of a
// root, a value with a number).  Rule r is in section r / perSection.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace testing_support {

std::string RuleSectionName(size_t section);  // "Rules00042"
std::string RuleKeyPath(size_t rule);         // as the reader makes it, short root
std::string RuleValuePattern(size_t rule);
int RuleNumber(size_t rule);

// The lines of rules [first, end), with the section lines where sections start.
std::string RuleFileText(size_t first, size_t end, size_t perSection);

// Writes `head` and then whole rules until the file holds at least
// `bytes`; answers the number of rules, 0 when the file cannot be written.
size_t WriteRuleFile(const std::wstring& path, const std::string& head, uint64_t bytes, size_t perSection);

}  // namespace testing_support
