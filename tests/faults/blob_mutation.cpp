#include "tests/faults/blob_mutation.h"

#include <algorithm>

#include "core/little_endian.h"

namespace {

const uint32_t kHeaderSize = 24;

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) { return GetLe32(&b[at]); }

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t value) { PutLe32(&b[at], value); }

void FlipBits(std::vector<uint8_t>& b, FaultRandom& random, uint32_t flips, size_t limit) {
    if (b.empty()) return;
    const size_t range = std::min(limit, b.size());
    for (uint32_t i = 0; i < flips; ++i) b[random.Below(static_cast<uint32_t>(range))] ^= 1u << random.Below(8);
}

// A value at or next to an edge that the header check has to get right.
uint32_t BoundaryValue(const std::vector<uint8_t>& b, FaultRandom& random) {
    const uint32_t size = static_cast<uint32_t>(b.size());
    const uint32_t other = b.size() >= kHeaderSize ? Get32(b, 4 * random.Below(6)) : 0;
    const uint32_t choices[] = {0,           1,          23,         24,         25,         size - 1,
                                size,        size + 1,   0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFE8,
                                other,       other - 1,  other + 1,  size / 2};
    return choices[random.Below(sizeof choices / sizeof choices[0])];
}

// The same three parts laid out in another order (still a good blob).
std::vector<uint8_t> Reordered(const std::vector<uint8_t>& b, FaultRandom& random) {
    const BlobHeader header = ReadBlobHeader(b);
    if (!header.wellFormed) return b;
    uint32_t order[3] = {0, 1, 2};
    for (uint32_t i = 2; i > 0; --i) std::swap(order[i], order[random.Below(i + 1)]);
    std::vector<uint8_t> out(kHeaderSize);
    for (uint32_t part : order) {
        const uint32_t start = static_cast<uint32_t>(out.size());
        out.insert(out.end(), b.begin() + header.start[part], b.begin() + header.end[part]);
        Put32(out, 8 * part, start);
        Put32(out, 8 * part + 4, static_cast<uint32_t>(out.size()));
    }
    return out;
}

// The blob with its user database part replaced by `database` (still a
// good blob as far as its header goes).
std::vector<uint8_t> WithUserDatabase(const std::vector<uint8_t>& b, const std::vector<uint8_t>& database) {
    const BlobHeader header = ReadBlobHeader(b);
    if (!header.wellFormed) return b;
    std::vector<uint8_t> out(kHeaderSize);
    for (uint32_t part = 0; part < 3; ++part) {
        const uint32_t start = static_cast<uint32_t>(out.size());
        if (part == 1)
            out.insert(out.end(), database.begin(), database.end());
        else
            out.insert(out.end(), b.begin() + header.start[part], b.begin() + header.end[part]);
        Put32(out, 8 * part, start);
        Put32(out, 8 * part + 4, static_cast<uint32_t>(out.size()));
    }
    return out;
}

void MutateOnce(std::vector<uint8_t>& b, FaultRandom& random, std::string& kind,
                const std::vector<uint8_t>* overLimitDatabase) {
    const bool hasHeader = b.size() >= kHeaderSize;
    switch (random.Below(hasHeader ? (overLimitDatabase ? 12 : 11) : 4)) {
    case 0:
        kind = "bit-flips";
        FlipBits(b, random, random.Between(1, 16), b.size());
        break;
    case 1:
        kind = "truncated";
        b.resize(b.empty() ? 0 : random.Below(static_cast<uint32_t>(b.size())));
        break;
    case 2:
        kind = "size-0-to-23";
        b.resize(std::min<size_t>(b.size(), random.Below(kHeaderSize)));
        break;
    case 3:
        kind = "appended";
        for (uint32_t n = random.Between(1, 64); n > 0; --n) b.push_back(static_cast<uint8_t>(random.Next32()));
        break;
    case 4:
        kind = "header-bit-flips";
        FlipBits(b, random, random.Between(1, 4), kHeaderSize);
        break;
    case 5:
        kind = "offset-random";
        Put32(b, 4 * random.Below(6), random.Next32());
        break;
    case 6:
    case 7:
        kind = "offset-boundary";
        Put32(b, 4 * random.Below(6), BoundaryValue(b, random));
        break;
    case 8: {
        kind = "offsets-swapped";
        const uint32_t pair = random.Below(3);
        if (random.Percent(50)) {
            const uint32_t start = Get32(b, 8 * pair);
            Put32(b, 8 * pair, Get32(b, 8 * pair + 4));
            Put32(b, 8 * pair + 4, start);
        } else {
            const uint32_t other = (pair + 1 + random.Below(2)) % 3;
            for (int half = 0; half < 2; ++half) {
                const uint32_t v = Get32(b, 8 * pair + 4 * half);
                Put32(b, 8 * pair + 4 * half, Get32(b, 8 * other + 4 * half));
                Put32(b, 8 * other + 4 * half, v);
            }
        }
        break;
    }
    case 9:
        kind = "parts-reordered";
        b = Reordered(b, random);
        break;
    case 11:
        kind = "userdb-over-limit";
        b = WithUserDatabase(b, *overLimitDatabase);
        break;
    default: {
        kind = "part-emptied";
        const uint32_t pair = random.Below(3);
        Put32(b, 8 * pair + 4, Get32(b, 8 * pair));
        break;
    }
    }
}

}  // namespace

std::vector<uint8_t> MutateBlob(const std::vector<uint8_t>& blob, FaultRandom& random, std::string& kind,
                                const std::vector<uint8_t>* overLimitDatabase) {
    std::vector<uint8_t> out = blob;
    if (random.Percent(15)) {
        // Two or three damages on top of each other.
        const uint32_t rounds = random.Between(2, 3);
        for (uint32_t i = 0; i < rounds; ++i) MutateOnce(out, random, kind, overLimitDatabase);
        kind = "combined";
    } else {
        MutateOnce(out, random, kind, overLimitDatabase);
    }
    return out;
}

BlobHeader ReadBlobHeader(const std::vector<uint8_t>& blob) {
    BlobHeader header;
    if (blob.size() < kHeaderSize) return header;
    header.wellFormed = true;
    for (int part = 0; part < 3; ++part) {
        header.start[part] = Get32(blob, 8 * part);
        header.end[part] = Get32(blob, 8 * part + 4);
        if (header.start[part] > header.end[part] || header.end[part] > blob.size()) header.wellFormed = false;
    }
    return header;
}

const std::vector<std::string>& BlobMutationKinds() {
    static const std::vector<std::string> kinds = {
        "bit-flips",      "header-bit-flips", "truncated",       "size-0-to-23",  "offset-random", "offset-boundary",
        "offsets-swapped", "parts-reordered",  "part-emptied",    "appended",      "userdb-over-limit",
        "combined"};
    return kinds;
}
