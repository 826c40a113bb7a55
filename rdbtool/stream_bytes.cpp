#include "rdbtool/stream_bytes.h"

#include <algorithm>
#include <memory>

#include "rules/rule_storage.h"

bool ReadStreamInPieces(RuleStream& stream, uint8_t* bytes, size_t size) {
    // The keystream runs on from one read to the next, so the pieces
    // decipher to the same bytes as one read would.
    const size_t kPiece = 256 * 1024;
    for (size_t done = 0; done < size;) {
        const uint32_t n = static_cast<uint32_t>(std::min(kPiece, size - done));
        if (!stream.Read(bytes + done, n)) return false;
        done += n;
    }
    return true;
}

bool ReadWholeStreams(const std::wstring& path, const std::vector<const char*>& names,
                      std::vector<std::vector<uint8_t>>& streams) {
    streams.clear();
    RuleStorage storage;
    if (!storage.OpenFile(path.c_str(), true)) return false;
    for (const char* name : names) {
        std::unique_ptr<RuleStream> stream = storage.OpenStream(name);
        if (!stream) return false;
        const uint64_t size = stream->Size();
        if (size > UINT32_MAX) return false;
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (!ReadStreamInPieces(*stream, bytes.data(), bytes.size())) return false;
        streams.push_back(std::move(bytes));
    }
    return true;
}
