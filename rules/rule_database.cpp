#include "rules/rule_database.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/regdefine.h"
#include "core/reglib.h"
#include "win/ansi_text.h"
#include "rules/rule_storage.h"
#include "rules/value_pattern.h"

namespace {
const char kRegDefineStream[] = "RegDefine";
const char kRegInfoStream[] = "REGINFO";
const char kRegLibStream[] = "REGLIB";
// Streams up to this size are read whole; a larger one (far beyond what 1000
// categories can hold) is read record by record.
const uint64_t kWholeStreamReadLimit = 64u * 1024u * 1024u;
// The largest "REGLIB" stream read; a shipped library of 10,000 rules takes
// about 2 MB.
const uint32_t kMaxRuleLibraryBytes = 64u * 1024u * 1024u;

DatabaseRead OutcomeOfOpen(StorageOpen open) {
    switch (open) {
    case StorageOpen::kMissing: return DatabaseRead::kMissing;
    case StorageOpen::kNotCompound:
    case StorageOpen::kNoSubStorage: return DatabaseRead::kNotDatabase;
    default: return DatabaseRead::kUnreadable;
    }
}

}  // namespace

uint32_t ReadCategoryStream(const RuleStreamOpener& open, RuleCategory* categories, uint32_t capacity, bool bounded,
                            DatabaseRead& outcome) {
    std::unique_ptr<RuleStream> stream = open();
    if (!stream) {
        outcome = DatabaseRead::kNotDatabase;
        return 0;
    }
    const uint64_t size = stream->Size();
    if (bounded && size > kMaxUserDatabaseStreamBytes) {
        outcome = DatabaseRead::kOverLimit;
        return 0;
    }
    // One read of the whole stream instead of one per record: the bytes and
    // the keystream are the same, the storage is asked once.
    if (size > 0 && size <= kWholeStreamReadLimit) {
        std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
        if (bytes && stream->ReadWhole(bytes.get(), static_cast<uint32_t>(size))) {
            if (bounded && !WithinUserDatabaseLimits(CountRegDefine(bytes.get(), static_cast<size_t>(size)))) {
                outcome = DatabaseRead::kOverLimit;
                return 0;
            }
            MemorySource source(bytes.get(), static_cast<size_t>(size));
            outcome = DatabaseRead::kRead;
            return ReadRegDefine(source, categories, capacity);
        }
        // A damaged file can hold fewer bytes than its stream claims, and a
        // failed read may have moved the stream on: it is opened anew and
        // read record by record, which keeps every category before the damage.
        stream.reset();
        stream = open();
        if (!stream) {
            outcome = DatabaseRead::kUnreadable;
            return 0;
        }
    }
    if (bounded) {
        const bool within = WithinUserDatabaseLimits(CountRegDefine(*stream));
        stream.reset();
        if (!within) {
            outcome = DatabaseRead::kOverLimit;
            return 0;
        }
        stream = open();
        if (!stream) {
            outcome = DatabaseRead::kUnreadable;
            return 0;
        }
    }
    outcome = DatabaseRead::kRead;
    return ReadRegDefine(*stream, categories, capacity);
}

namespace {

uint32_t ReadCategoriesFrom(const wchar_t* path, RuleCategory* categories, uint32_t capacity, bool bounded,
                            DatabaseRead& outcome) {
    RuleStorage storage;
    if (!storage.OpenFile(path, true)) {
        outcome = OutcomeOfOpen(storage.Outcome());
        return 0;
    }
    return ReadCategoryStream([&storage] { return storage.OpenStream(kRegDefineStream); }, categories, capacity,
                              bounded, outcome);
}

}  // namespace

uint32_t ReadCategories(const wchar_t* path, RuleCategory* categories, uint32_t capacity) {
    DatabaseRead outcome;
    return ReadCategoriesFrom(path, categories, capacity, false, outcome);
}

uint32_t ReadCategories(const char* path, RuleCategory* categories, uint32_t capacity) {
    return ReadCategories(ToWide(path).c_str(), categories, capacity);
}

bool UserDatabaseBytesWithinLimits(const uint8_t* data, size_t size) {
    // Far more bytes than the largest stream read cannot be a database the
    // plug-in would take.
    if (size > 2 * kMaxUserDatabaseStreamBytes) return false;
    if (size == 0) return true;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    void* place = memory ? ::GlobalLock(memory) : nullptr;
    if (place) {
        std::memcpy(place, data, size);
        ::GlobalUnlock(memory);
    }
    // From here on the lock-bytes object owns the memory.
    ComPtr<ILockBytes> bytes;
    if (!place || FAILED(::CreateILockBytesOnHGlobal(memory, TRUE, bytes.put()))) {
        if (memory) ::GlobalFree(memory);
        return false;
    }
    // Bytes that are no compound file, or one without the rule stream, hold
    // nothing to bound: they are written as they are.
    if (::StgIsStorageILockBytes(bytes.get()) != S_OK) return true;
    const DWORD mode = STGM_READ | STGM_SHARE_EXCLUSIVE;
    ComPtr<IStorage> root, sub;
    if (FAILED(::StgOpenStorageOnILockBytes(bytes.get(), nullptr, mode, nullptr, 0, root.put())) ||
        FAILED(root->OpenStorage(kDefaultStorageName, nullptr, mode, nullptr, 0, sub.put())))
        return true;
    const std::wstring streamName = ToWide(kRegDefineStream);
    const RuleStreamOpener open = [&]() -> std::unique_ptr<RuleStream> {
        ComPtr<IStream> raw;
        if (FAILED(sub->OpenStream(streamName.c_str(), nullptr, mode, 0, raw.put()))) return nullptr;
        return std::unique_ptr<RuleStream>(new (std::nothrow) RuleStream(std::move(raw)));
    };
    // Read as a load would read it, with room for no category: the limits
    // are checked and nothing is built.
    DatabaseRead outcome;
    ReadCategoryStream(open, nullptr, 0, true, outcome);
    return outcome != DatabaseRead::kOverLimit;
}

uint32_t ReadUserCategories(const wchar_t* path, RuleCategory* categories, uint32_t capacity, DatabaseRead& outcome) {
    return ReadCategoriesFrom(path, categories, capacity, true, outcome);
}

uint32_t ReadUserCategories(const char* path, RuleCategory* categories, uint32_t capacity, DatabaseRead& outcome) {
    return ReadUserCategories(ToWide(path).c_str(), categories, capacity, outcome);
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
    // Sized in 64 bits: on a 32-bit host a damaged size of 0xFFFFFFFF (with a
    // stream that claims as much) would make size + 1 wrap to nothing.
    const uint64_t blockSize = static_cast<uint64_t>(info.size) + 1;
    if (info.size > kMaxRuleLibraryBytes || blockSize > SIZE_MAX) return nullptr;
    UniqueMalloc data(std::calloc(static_cast<size_t>(blockSize), 1));
    if (!data) return nullptr;
    uint8_t* bytes = static_cast<uint8_t*>(data.get());
    // A failed read gives nothing to parse: the buffer goes back to zero.
    if (!stream->ReadWhole(bytes, info.size)) std::memset(bytes, 0, static_cast<size_t>(info.size));
    stream.reset();

    RuleEntry* list = ParseRegLib(bytes, info.size, info.count);
    const ValuePatternExpander expander;
    for (RuleEntry** link = &list; *link;) {
        RuleEntry* entry = *link;
        entry->valuePattern = expander.Expand(entry->valuePattern);
        if (entry->valuePattern) {
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
