#include "settings_blob.h"

#include "little_endian.h"

bool MakeBlobLayout(const uint32_t (&sizes)[kPartCount], BlobLayout& layout)
{
    uint64_t offset = kBlobHeaderSize;
    BlobLayout made{};
    for (uint32_t part = 0; part < kPartCount; ++part) {
        made.start[part] = static_cast<uint32_t>(offset);
        offset += sizes[part];
        if (offset > UINT32_MAX)
            return false;
        made.end[part] = static_cast<uint32_t>(offset);
    }
    layout = made;
    return true;
}

uint32_t BlobTotalSize(const BlobLayout& layout)
{
    return layout.end[kPartCount - 1];
}

void WriteBlobHeader(const BlobLayout& layout, uint8_t (&header)[kBlobHeaderSize])
{
    for (uint32_t part = 0; part < kPartCount; ++part) {
        PutLe32(header + part * 8, layout.start[part]);
        PutLe32(header + part * 8 + 4, layout.end[part]);
    }
}

bool ParseBlobHeader(const uint8_t* blob, uint64_t size, BlobLayout& layout)
{
    if (blob == nullptr || size < kBlobHeaderSize)
        return false;
    BlobLayout read{};
    for (uint32_t part = 0; part < kPartCount; ++part) {
        read.start[part] = GetLe32(blob + part * 8);
        read.end[part] = GetLe32(blob + part * 8 + 4);
        if (read.start[part] > read.end[part] || read.end[part] > size)
            return false;
    }
    layout = read;
    return true;
}
