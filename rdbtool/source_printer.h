// Writing a database back as source text: the output of "dump", which packs
// to the same stream bytes again.
#pragma once
#include <cstdint>
#include <string>

#include "rdbtool/rdb_model.h"

// The code page in which the most narrow texts are exactly the code-page
// form of their wide texts, among the common ANSI code pages (1252 first).
uint32_t GuessCodePage(const CategoryDatabase& database);

// The source of the database, with narrow texts read in source.codePage.
std::string PrintSource(const RdbSource& source);

// The pieces of a category database's source, for a printer that walks the
// stream itself.  Each piece returns how many of its narrow texts are not
// the code-page form of their wide texts (and so are written out).
std::string CategoriesHeader(uint32_t count, uint32_t codePage);
uint32_t AppendCategoryHead(std::string& out, const RuleCategory& category, uint32_t codePage);
uint32_t AppendItemLine(std::string& out, const RuleItem& item, uint32_t codePage);
