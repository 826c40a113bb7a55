#include "store_fingerprint.h"

#include <cstdio>
#include <vector>

#include "rules/rule_store.h"
#include "tests/support/test_files.h"
#include "rdbtool/stream_bytes.h"

namespace {

class Fnv1a {
public:
    void Add(const void* data, size_t size) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * 0x100000001B3ull;
    }
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

}  // namespace

uint64_t StoreFingerprint() {
    Fnv1a hash;
    hash.Add(&g_ruleStore.count, sizeof g_ruleStore.count);
    for (uint32_t c = 0; c < g_ruleStore.count; ++c) {
        const RuleCategory& category = g_ruleStore.categories[c];
        // The records are zero-filled, so the whole of each field counts.
        hash.Add(&category, offsetof(RuleCategory, items));
        for (const RuleItem* item = category.items; item; item = item->next) hash.Add(item, offsetof(RuleItem, next));
    }
    return hash.Value();
}

uint64_t SavedFilesFingerprint(const std::wstring& userDatabase, const std::wstring& expertIni) {
    Fnv1a hash;
    std::vector<std::vector<uint8_t>> streams;
    if (ReadWholeStreams(userDatabase, {"RegDefine"}, streams)) hash.Add(streams[0].data(), streams[0].size());
    const std::string ini = testing_support::ReadBytes(expertIni);
    hash.Add(ini.data(), ini.size());
    return hash.Value();
}

std::string Hex64(uint64_t value) {
    char text[20];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(value));
    return text;
}
