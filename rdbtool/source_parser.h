// Reading a source (the line format described in FORMAT.md) into the
// database it describes.
#pragma once
#include <string>
#include <vector>

#include "rdbtool/rdb_model.h"

struct SourceMessage {
    int line = 0;  // 1-based; 0 when the message concerns the whole source
    std::string text;
};

// Parses UTF-8 text (a leading byte-order mark is skipped).  False with the
// first error; warnings note what is accepted but probably not meant.
bool ParseSource(const std::string& text, RdbSource& source, std::vector<SourceMessage>& warnings,
                 SourceMessage& error);
