// Checks a settings blob's header against its size: what Import refuses
// (errors) and what it accepts although Export never writes it (warnings:
// parts out of order, apart, overlapping, inside the header, bytes of no
// part).  Portable: no windows.h.
#pragma once
#include <cstdint>

#include "core/settings_blob.h"
#include "inspector/finding.h"

extern const char kBlobAreaName[];  // "blob"
// "RegUser.ini", "QRegUser.rdb", "QRegEx.ini": the file of each part.
extern const char* const kBlobPartFiles[kPartCount];

struct BlobSummary {
    bool headerComplete = false;  // the blob holds all 24 header bytes
    BlobLayout header{};          // the six values as stored (when complete)
    bool importable = false;      // Import takes the blob (ParseBlobHeader)
};

BlobSummary CheckSettingsBlob(const uint8_t* blob, uint64_t size, FindingList& findings);
