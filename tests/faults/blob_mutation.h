// Damaged settings blobs made from a good one, and an independent reading
// of a blob's header to judge what Import did with it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/faults/fault_random.h"

// One damaged copy of `blob`; `kind` names what was done to it.  Given a
// user database beyond the limits, some blobs carry it as their user
// database part.
std::vector<uint8_t> MutateBlob(const std::vector<uint8_t>& blob, FaultRandom& random, std::string& kind,
                                const std::vector<uint8_t>* overLimitDatabase = nullptr);

struct BlobHeader {
    bool wellFormed = false;  // size >= 24, every start <= end <= size
    uint32_t start[3] = {};
    uint32_t end[3] = {};
};
BlobHeader ReadBlobHeader(const std::vector<uint8_t>& blob);

// The names MutateBlob gives, in a fixed order for reports.
const std::vector<std::string>& BlobMutationKinds();
