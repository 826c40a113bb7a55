#include "rdbtool/database_files.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/byte_stream.h"
#include "core/little_endian.h"
#include "core/regdefine.h"
#include "core/reglib.h"
#include "core/rule_entry.h"
#include "rules/rule_database.h"
#include "rdbtool/reglib_writer.h"
#include "rdbtool/stream_bytes.h"

namespace {

const char kRegDefine[] = "RegDefine";
const char kRegInfo[] = "REGINFO";
const char kRegLib[] = "REGLIB";
const uint32_t kReadChunk = 256;  // categories per pass of the stream reader

// Presents a format number and then the rest of another source, so that
// the stream reader can go on after it stopped at its capacity.
class ResumedSource : public ByteSource {
public:
    explicit ResumedSource(ByteSource& rest) : rest_(rest) { PutLe32(format_, static_cast<uint32_t>(kRegDefineFormat)); }
    bool Read(void* buffer, uint32_t n) override {
        if (sent_) return rest_.Read(buffer, n);
        if (n != sizeof format_) return false;
        std::memcpy(buffer, format_, n);
        sent_ = true;
        return true;
    }

private:
    ByteSource& rest_;
    uint8_t format_[4];
    bool sent_ = false;
};

// Every category of the stream, however many; the plug-in itself stops at
// its store's capacity, a dump shows all.
void ParseCategories(const std::vector<uint8_t>& stream, CategoryDatabase& database) {
    MemorySource body(stream.data(), stream.size());
    std::vector<RuleCategory> chunk(kReadChunk);
    bool first = true;
    for (;;) {
        std::memset(chunk.data(), 0, chunk.size() * sizeof(RuleCategory));
        uint32_t n;
        if (first) {
            n = ReadRegDefine(body, chunk.data(), kReadChunk);
        } else {
            ResumedSource resumed(body);
            n = ReadRegDefine(resumed, chunk.data(), kReadChunk);
        }
        first = false;
        for (uint32_t i = 0; i < n; ++i) database.AdoptReversed(chunk[i]);
        if (n < kReadChunk || body.Position() >= stream.size()) break;
    }
}

// The byte after the first record's five texts, or '\n' when there is none.
uint8_t FirstSeparator(const std::vector<uint8_t>& data, uint32_t size) {
    uint32_t cursor = 0;
    for (int text = 0; text < 5; ++text) {
        while (cursor < size && data[cursor] != 0) ++cursor;
        ++cursor;
    }
    return cursor < size ? data[cursor] : static_cast<uint8_t>('\n');
}

void ParseLibrary(const std::vector<uint8_t>& info, const std::vector<uint8_t>& data, RuleLibrary& library) {
    RegInfo values{0, 0};
    if (info.size() >= 8) values = RegInfo{GetLe32(&info[0]), GetLe32(&info[4])};
    const uint32_t size = std::min<uint32_t>(values.size, static_cast<uint32_t>(data.size()));
    library.separator = FirstSeparator(data, size);
    RuleEntry* list = ParseRegLib(data.data(), size, values.count);
    std::vector<const RuleEntry*> entries;
    for (const RuleEntry* entry = list; entry; entry = entry->next) entries.push_back(entry);
    // The parsed list runs backwards; rules are kept in stream order.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const RuleEntry& e = **it;
        library.rules.push_back(LibraryRule{e.category, e.displayName, e.keyPath, e.valuePattern, e.number});
    }
    FreeRuleEntries(list);
}

// Compares what is written with bytes already there, so that a database
// read back can be checked against its own encoding without a second copy.
class ComparingSink : public ByteSink {
public:
    explicit ComparingSink(const std::vector<uint8_t>& expected) : expected_(expected) {}
    bool Write(const void* buffer, uint32_t n) override {
        if (!same_ || expected_.size() - position_ < n ||
            (n != 0 && std::memcmp(expected_.data() + position_, buffer, n) != 0)) {
            same_ = false;
            return false;
        }
        position_ += n;
        return true;
    }
    // Whether every byte was written, and nothing more.
    bool Same() const { return same_ && position_ == expected_.size(); }

private:
    const std::vector<uint8_t>& expected_;
    size_t position_ = 0;
    bool same_ = true;
};

bool EncodesTo(const RdbSource& source, const std::vector<std::vector<uint8_t>>& streams) {
    if (source.kind != RdbKind::kCategories) return EncodeDatabaseStreams(source) == streams;
    if (streams.size() != 1) return false;
    ComparingSink sink(streams[0]);
    WriteRegDefine(sink, source.database.Categories().data(), source.database.Count());
    return sink.Same();
}

std::wstring PartialPath(const std::wstring& path) { return path + L".partial"; }

}  // namespace

std::vector<const char*> DatabaseStreamNames(RdbKind kind) {
    if (kind == RdbKind::kCategories) return {kRegDefine};
    return {kRegInfo, kRegLib};
}

std::vector<std::vector<uint8_t>> EncodeDatabaseStreams(const RdbSource& source) {
    if (source.kind == RdbKind::kCategories) {
        MemorySink sink;
        WriteRegDefine(sink, source.database.Categories().data(), source.database.Count());
        return {sink.Bytes()};
    }
    std::vector<uint8_t> regLib = EncodeRegLib(source.library);
    return {EncodeRegInfo(RegInfoFor(source.library, regLib)), regLib};
}

bool WriteDatabaseFile(const std::wstring& path, const RdbSource& source, std::string& error) {
    const std::wstring partial = PartialPath(path);
    ::DeleteFileW(partial.c_str());
    bool written;
    if (source.kind == RdbKind::kCategories)
        written = WriteCategories(partial.c_str(), source.database.Categories().data(), source.database.Count()) == 1;
    else
        written = WriteRuleLibrary(partial, source.library);
    // The stream writers do not check every write: the file is read back.
    std::vector<std::vector<uint8_t>> streams;
    if (!written || !ReadWholeStreams(partial, DatabaseStreamNames(source.kind), streams) ||
        streams != EncodeDatabaseStreams(source)) {
        ::DeleteFileW(partial.c_str());
        error = "could not write a complete database file";
        return false;
    }
    if (!::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(partial.c_str());
        error = "could not replace the output file (error " + std::to_string(::GetLastError()) + ")";
        return false;
    }
    return true;
}

void ParseDatabaseStreams(RdbKind kind, const std::vector<std::vector<uint8_t>>& streams, RdbSource& source,
                          bool& canonical) {
    source = RdbSource();
    source.kind = kind;
    if (kind == RdbKind::kCategories)
        ParseCategories(streams[0], source.database);
    else
        ParseLibrary(streams[0], streams[1], source.library);
    canonical = EncodesTo(source, streams);
}

bool ReadDatabaseStreams(const std::wstring& path, RdbKind& kind, std::vector<std::vector<uint8_t>>& streams,
                         std::string& error) {
    for (RdbKind candidate : {RdbKind::kCategories, RdbKind::kLibrary}) {
        if (ReadWholeStreams(path, DatabaseStreamNames(candidate), streams)) {
            kind = candidate;
            return true;
        }
    }
    error = "not a rule database: no \"RegDefine\" stream and no \"REGINFO\"/\"REGLIB\" streams";
    return false;
}

bool ReadDatabaseFile(const std::wstring& path, RdbSource& source, bool& canonical, std::string& error) {
    source = RdbSource();
    canonical = false;
    std::vector<std::vector<uint8_t>> streams;
    RdbKind kind;
    if (!ReadDatabaseStreams(path, kind, streams, error)) return false;
    ParseDatabaseStreams(kind, streams, source, canonical);
    return true;
}
