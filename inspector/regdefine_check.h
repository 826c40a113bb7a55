// Checks a deciphered "RegDefine" stream record by record and reports every
// problem with its offset.  Portable: no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

#include "inspector/finding.h"

extern const char kRegDefineStreamName[];  // "RegDefine"

struct RegDefineCheckOptions {
    // The file is a user database (QRegUser.rdb, its working copy, or the
    // part of a settings blob): the load deletes such a file when its first
    // category has an empty wide name.
    bool userDatabase = false;
};

struct RegDefineSummary {
    uint32_t categories = 0;    // category records in the stream
    uint64_t items = 0;         // item records, terminators not counted
    uint32_t categoriesRead = 0;  // what the plug-in's reader takes of them
    uint64_t itemsRead = 0;
};

RegDefineSummary CheckRegDefine(const uint8_t* data, size_t size, const RegDefineCheckOptions& options,
                                FindingList& findings);
