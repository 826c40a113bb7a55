#include "rdbtool/stream_bytes.h"

#include <memory>

#include "rules/rule_storage.h"

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
        if (!stream->ReadWhole(bytes.data(), static_cast<uint32_t>(bytes.size()))) return false;
        streams.push_back(std::move(bytes));
    }
    return true;
}
