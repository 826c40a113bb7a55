// Writing a database back as source text: the output of "dump", which packs
// to the same stream bytes again.
#pragma once
#include <cstdint>
#include <string>

#include "tools/rdbtool/rdb_model.h"

// The code page in which the most narrow texts are exactly the code-page
// form of their wide texts, among the common ANSI code pages (1252 first).
uint32_t GuessCodePage(const CategoryDatabase& database);

// The source of the database, with narrow texts read in source.codePage.
std::string PrintSource(const RdbSource& source);
