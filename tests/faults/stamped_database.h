// Category databases that describe themselves: who wrote them in which
// round, how many categories and items they hold, and a checksum of each
// category.  A reader can tell a whole database from a torn or mixed one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/rule_records.h"

struct DatabaseStamp {
    uint32_t writer = 0;
    uint32_t round = 0;
    uint32_t categories = 0;  // 1 .. 999
};

// The categories of the stamped database, items included; the caller frees
// the items with ClearItems.
std::vector<RuleCategory> BuildStampedDatabase(const DatabaseStamp& stamp);

// Whether the n categories read form one whole stamped database; its stamp,
// or a description of what is wrong.
bool VerifyStampedDatabase(const RuleCategory* categories, uint32_t n, DatabaseStamp& stamp, std::string& problem);
