// Owner of a RuleEntry list: frees every node and its two heap strings.
#pragma once
#include <memory>
#include "core/rule_entry.h"

struct RuleEntryListDeleter {
    void operator()(RuleEntry* list) const { FreeRuleEntries(list); }
};
using RuleEntryList = std::unique_ptr<RuleEntry, RuleEntryListDeleter>;
