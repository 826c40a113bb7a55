// "dump": a database file back into source text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct DumpResult {
    std::string text;                   // the source
    uint32_t codePage = 0;              // of its narrow texts
    bool canonical = false;             // packing the text gives the same stream bytes
    std::vector<std::string> warnings;
};

// codePage 0: category databases get the code page that fits their texts
// best, rule libraries 1252.  False with a message when the file is not a
// rule database.
bool DumpDatabaseFile(const std::wstring& path, uint32_t codePage, DumpResult& result, std::string& error);
