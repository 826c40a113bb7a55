// Whole streams of a rule database file, deciphered, read through the same
// storage and stream classes the plug-in uses.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Reads each named stream whole, in order, through one opening of the file
// (read-only).  False when the file or any of the streams does not open or
// cannot be read.
bool ReadWholeStreams(const std::wstring& path, const std::vector<const char*>& names,
                      std::vector<std::vector<uint8_t>>& streams);
