#include "inspector/blob_check.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/little_endian.h"

const char kBlobAreaName[] = "blob";
const char* const kBlobPartFiles[kPartCount] = {"RegUser.ini", "QRegUser.rdb", "QRegEx.ini"};

namespace {

uint64_t StartField(uint32_t part) { return part * 8; }
uint64_t EndField(uint32_t part) { return part * 8 + 4; }
std::string Part(uint32_t part) { return std::string("the ") + kBlobPartFiles[part] + " part"; }

// The blob's bytes after the header that no part covers: count and first.
std::pair<uint64_t, uint64_t> BytesOfNoPart(const BlobLayout& layout, uint64_t size) {
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    for (uint32_t p = 0; p < kPartCount; ++p)
        if (layout.start[p] < layout.end[p]) ranges.emplace_back(layout.start[p], layout.end[p]);
    std::sort(ranges.begin(), ranges.end());
    uint64_t uncovered = 0, first = 0, cursor = kBlobHeaderSize;
    auto gap = [&](uint64_t from, uint64_t to) {
        if (from >= to) return;
        if (uncovered == 0) first = from;
        uncovered += to - from;
    };
    for (const auto& range : ranges) {
        gap(cursor, range.first);
        cursor = std::max(cursor, range.second);
    }
    gap(cursor, size);
    return {uncovered, first};
}

void CheckLayout(const BlobLayout& h, uint64_t size, FindingList& findings) {
    if (h.start[0] != kBlobHeaderSize)
        findings.Warning(kBlobAreaName, StartField(0),
                         Part(0) + " starts at " + Hex(h.start[0]) + ", not right after the 24-byte header as Export "
                                   "writes it");
    for (uint32_t p = 1; p < kPartCount; ++p)
        if (h.start[p] != h.end[p - 1])
            findings.Warning(kBlobAreaName, StartField(p),
                             Part(p) + " starts at " + Hex(h.start[p]) + ", not where " + Part(p - 1) + " ends (" +
                                 Hex(h.end[p - 1]) + ") as Export writes it");
    for (uint32_t p = 0; p < kPartCount; ++p)
        if (h.start[p] < kBlobHeaderSize && h.start[p] < h.end[p])
            findings.Warning(kBlobAreaName, StartField(p),
                             Part(p) + " begins inside the header, at " + Hex(h.start[p]) +
                                 "; Import writes header bytes into " + kBlobPartFiles[p]);
    for (uint32_t a = 0; a < kPartCount; ++a)
        for (uint32_t b = a + 1; b < kPartCount; ++b) {
            const uint32_t from = std::max(h.start[a], h.start[b]), to = std::min(h.end[a], h.end[b]);
            if (from < to)
                findings.Warning(kBlobAreaName, StartField(b),
                                 Part(a) + " and " + Part(b) + " overlap from " + Hex(from) + " to " + Hex(to) +
                                     "; Import writes those bytes into both files");
        }
    const std::pair<uint64_t, uint64_t> loose = BytesOfNoPart(h, size);
    if (loose.first != 0)
        findings.Warning(kBlobAreaName, loose.second,
                         std::to_string(loose.first) + " bytes after the header belong to no part; Import ignores them");
}

}  // namespace

BlobSummary CheckSettingsBlob(const uint8_t* blob, uint64_t size, FindingList& findings) {
    BlobSummary summary;
    if (blob == nullptr) size = 0;
    if (size < kBlobHeaderSize) {
        findings.Error(kBlobAreaName, 0,
                       "the blob is " + std::to_string(size) + " bytes long, shorter than its 24-byte header; Import "
                       "refuses it");
        return summary;
    }
    summary.headerComplete = true;
    BlobLayout& h = summary.header;
    for (uint32_t p = 0; p < kPartCount; ++p) {
        h.start[p] = GetLe32(blob + StartField(p));
        h.end[p] = GetLe32(blob + EndField(p));
    }
    const size_t errorsBefore = findings.Errors();
    for (uint32_t p = 0; p < kPartCount; ++p) {
        if (h.start[p] > h.end[p])
            findings.Error(kBlobAreaName, StartField(p),
                           Part(p) + " starts at " + Hex(h.start[p]) + ", after its end at " + Hex(h.end[p]) +
                               "; Import refuses the blob");
        if (h.end[p] > size)
            findings.Error(kBlobAreaName, EndField(p),
                           Part(p) + " ends at " + Hex(h.end[p]) + ", past the blob's end at " + Hex(size) +
                               "; Import refuses the blob");
    }
    BlobLayout parsed;
    summary.importable = ParseBlobHeader(blob, size, parsed);
    if (!summary.importable && findings.Errors() == errorsBefore)
        findings.Error(kBlobAreaName, 0, "Import refuses the blob");
    if (summary.importable) CheckLayout(h, size, findings);
    return summary;
}
