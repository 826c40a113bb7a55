// "pack": a source file into a database file.
#pragma once
#include <string>
#include <vector>

#include "rdbtool/source_parser.h"

// Reads and parses the source and writes the database.  False with an error
// (line 0 when it is not about a line of the source).
bool PackSourceFile(const std::wstring& sourcePath, const std::wstring& outputPath,
                    std::vector<SourceMessage>& warnings, SourceMessage& error);
