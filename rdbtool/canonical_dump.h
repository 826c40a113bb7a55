// The quick way to dump a category database: straight from the stream,
// record by record, without building the database in memory first.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes the source of a deciphered "RegDefine" stream that is exactly what
// packing would write again.  codePage 0 takes 1252, and only when every
// narrow text is the 1252 form of its wide text (the code page a guess would
// then choose).  False when the stream or its texts are not like that: the
// general path, which also reports non-canonical files, then does the work.
bool DumpCanonicalRegDefine(const std::vector<uint8_t>& stream, uint32_t codePage, std::string& text,
                            uint32_t& usedCodePage);
