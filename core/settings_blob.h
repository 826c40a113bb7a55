// The settings blob that Export writes and Import reads: six little-endian
// 32-bit offsets (start and exclusive end of each file's part, counted from
// the blob's start), then the three files' bytes.
#pragma once
#include <cstdint>

const uint32_t kBlobHeaderSize = 24;
// Part order in the header and in the blob.
enum BlobPart : uint32_t { kPartRegUserIni = 0, kPartQRegUserRdb = 1, kPartQRegExIni = 2, kPartCount = 3 };

struct BlobLayout {
    uint32_t start[kPartCount];
    uint32_t end[kPartCount];
};

// Layout for parts of the given sizes, back to back after the header;
// false when the total would not fit in 32 bits.
bool MakeBlobLayout(const uint32_t (&sizes)[kPartCount], BlobLayout& layout);
uint32_t BlobTotalSize(const BlobLayout& layout);  // end of the last part
void WriteBlobHeader(const BlobLayout& layout, uint8_t (&header)[kBlobHeaderSize]);
// Reads the header and checks it against the blob's size: size at least 24,
// every start at or before its end, every end within size.  Parts may be
// stored in any order and may overlap.
bool ParseBlobHeader(const uint8_t* blob, uint64_t size, BlobLayout& layout);
