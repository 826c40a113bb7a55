#include "rules/rule_database.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/regdefine.h"
#include "core/reglib.h"
#include "rules/ansi_text.h"
#include "rules/rule_storage.h"
#include "rules/value_spec.h"

namespace {
const char kRegDefineStream[] = "RegDefine";
const char kRegInfoStream[] = "REGINFO";
const char kRegLibStream[] = "REGLIB";
// Streams up to this size are read whole; a larger one (far beyond what 1000
// categories can hold) is read record by record.
const uint64_t kWholeStreamReadLimit = 64u * 1024u * 1024u;
}  // namespace

uint32_t ReadCategories(const wchar_t* path, RuleCategory* categories, uint32_t capacity) {
    RuleStorage storage;
    if (!storage.OpenFile(path, true)) return 0;
    std::unique_ptr<RuleStream> stream = storage.OpenStream(kRegDefineStream);
    if (!stream) return 0;
    // One read of the whole stream instead of one per record: the bytes and
    // the keystream are the same, the storage is asked once.
    const uint64_t size = stream->Size();
    std::vector<uint8_t> bytes;
    if (size > 0 && size <= kWholeStreamReadLimit) {
        bytes.resize(static_cast<size_t>(size));
        if (stream->Read(bytes.data(), static_cast<uint32_t>(size))) {
            MemorySource source(bytes.data(), bytes.size());
            return ReadRegDefine(source, categories, capacity);
        }
    }
    return ReadRegDefine(*stream, categories, capacity);
}

uint32_t ReadCategories(const char* path, RuleCategory* categories, uint32_t capacity) {
    return ReadCategories(ToWide(path).c_str(), categories, capacity);
}

int WriteCategories(const wchar_t* path, const RuleCategory* categories, uint32_t count) {
    RuleStorage storage;
    if (!storage.OpenFile(path, false)) return 0;
    std::unique_ptr<RuleStream> stream = storage.OpenStream(kRegDefineStream);
    if (!stream) return 0;
    WriteRegDefine(*stream, categories, count);
    // A longer earlier content must not survive behind the new end.
    stream->Truncate(stream->Tell());
    return 1;
}

int WriteCategories(const char* path, const RuleCategory* categories, uint32_t count) {
    return WriteCategories(ToWide(path).c_str(), categories, count);
}

namespace {

bool ReadRegInfo(RuleStorage& storage, RegInfo& info) {
    std::unique_ptr<RuleStream> stream = storage.OpenStream(kRegInfoStream);
    if (!stream) return false;
    // Both values come through one stream, so the second is deciphered with
    // the keystream running on from the first.
    info = RegInfo{};
    if (stream->Read(&info.count, sizeof(info.count))) stream->Read(&info.size, sizeof(info.size));
    return info.count != 0 && info.size != 0;
}

}  // namespace

RuleEntry* ReadRuleLibrary(const wchar_t* path) {
    RuleStorage storage;
    if (!storage.OpenFile(path, true)) return nullptr;
    RegInfo info;
    if (!ReadRegInfo(storage, info)) return nullptr;

    std::unique_ptr<RuleStream> stream = storage.OpenStream(kRegLibStream);
    if (!stream) return nullptr;
    // The size is checked against the real stream before anything is
    // allocated: a damaged REGINFO must not size the buffer.
    if (!RegInfoUsable(info, stream->Size())) return nullptr;
    UniqueMalloc data(std::calloc(static_cast<size_t>(info.size) + 1, 1));
    if (!data) return nullptr;
    uint8_t* bytes = static_cast<uint8_t*>(data.get());
    stream->Read(bytes, info.size);  // a failed read leaves the buffer zeroed
    stream.reset();

    RuleEntry* list = ParseRegLib(bytes, info.size, info.count);
    for (RuleEntry** link = &list; *link;) {
        RuleEntry* entry = *link;
        entry->valueSpec = ExpandValueSpec(entry->valueSpec);
        if (entry->valueSpec) {
            link = &entry->next;
            continue;
        }
        // Out of memory: the rule is dropped rather than carried without text.
        *link = entry->next;
        entry->next = nullptr;
        FreeRuleEntries(entry);
    }
    return list;
}

RuleEntry* ReadRuleLibrary(const char* path) {
    return ReadRuleLibrary(ToWide(path).c_str());
}
