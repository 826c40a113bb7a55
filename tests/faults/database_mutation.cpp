#include "tests/faults/database_mutation.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/little_endian.h"
#include "win/raii.h"
#include "core/regdefine.h"
#include "tests/support/compound_file_damage.h"
#include "tests/support/test_files.h"
#include "tests/faults/raw_storage.h"

namespace {

const uint32_t kMaxRecord = 4096;

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) { return GetLe32(&b[at]); }

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t value) {
    if (b.size() < at + 4) b.resize(at + 4, 0);
    PutLe32(&b[at], value);
}

void Append32(std::vector<uint8_t>& b, uint32_t value) { Put32(b, b.size(), value); }

struct Record {
    size_t lengthAt;  // where its 32-bit length lies
    size_t start;     // its first byte (the tag)
    uint32_t length;
};

// The records of a deciphered "RegDefine" stream, as far as they can be walked.
std::vector<Record> WalkRegDefine(const std::vector<uint8_t>& plain) {
    std::vector<Record> records;
    size_t at = 4;
    while (at + 4 <= plain.size()) {
        const uint32_t length = Get32(plain, at);
        if (length > kMaxRecord || at + 4 + length > plain.size()) break;
        records.push_back({at, at + 4, length});
        at += 4 + length;
    }
    return records;
}

const wchar_t* MainStream(DatabaseLayout layout, FaultRandom& random) {
    if (layout == DatabaseLayout::Categories) return L"RegDefine";
    return random.Percent(50) ? L"REGINFO" : L"REGLIB";
}

// Reads and deciphers a stream, lets `change` work on the plain bytes, and
// writes it back enciphered.
template <typename Change>
bool ChangePlain(const std::wstring& path, const wchar_t* stream, Change change) {
    std::vector<uint8_t> bytes;
    if (!ReadRawStream(path, stream, bytes)) return false;
    ApplyStreamCipher(bytes);
    if (!change(bytes)) return false;
    ApplyStreamCipher(bytes);
    return WriteRawStream(path, stream, bytes);
}

uint32_t PickBoundary(FaultRandom& random, uint32_t around) {
    const uint32_t choices[] = {0,    1,    3,          4,          15,         16,         17,        4095,
                                4096, 4097, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0xFFFFFFFE, around - 1, around,
                                around + 1,   around * 2,   65536};
    return choices[random.Below(sizeof choices / sizeof choices[0])];
}

bool LengthBoundary(const std::wstring& path, DatabaseLayout layout, FaultRandom& random) {
    if (layout == DatabaseLayout::RuleLibrary) {
        // REGINFO's count or size: the REGLIB reader must not trust either.
        return ChangePlain(path, L"REGINFO", [&](std::vector<uint8_t>& p) {
            if (p.size() < 8) return false;
            const size_t at = random.Percent(50) ? 0 : 4;
            Put32(p, at, PickBoundary(random, Get32(p, at)));
            return true;
        });
    }
    return ChangePlain(path, L"RegDefine", [&](std::vector<uint8_t>& p) {
        const std::vector<Record> records = WalkRegDefine(p);
        if (records.empty()) return false;
        const Record& r = records[random.Below(static_cast<uint32_t>(records.size()))];
        Put32(p, r.lengthAt, PickBoundary(random, static_cast<uint32_t>(p.size() - r.start)));
        return true;
    });
}

bool FormatNumber(const std::wstring& path, DatabaseLayout layout, FaultRandom& random) {
    const uint32_t choices[] = {257, 255, 0, 1, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 65536, 0x100000};
    const uint32_t value = choices[random.Below(sizeof choices / sizeof choices[0])];
    const wchar_t* stream = layout == DatabaseLayout::Categories ? L"RegDefine" : L"REGINFO";
    return ChangePlain(path, stream, [&](std::vector<uint8_t>& p) {
        if (p.size() < 4) return false;
        Put32(p, 0, value);
        return true;
    });
}

bool TagChanged(const std::wstring& path, DatabaseLayout layout, FaultRandom& random) {
    if (layout == DatabaseLayout::RuleLibrary) {
        // The byte after a record's fifth text: a separator turned into text.
        return ChangePlain(path, L"REGLIB", [&](std::vector<uint8_t>& p) {
            if (p.empty()) return false;
            p[random.Below(static_cast<uint32_t>(p.size()))] = static_cast<uint8_t>(random.Between(1, 255));
            return true;
        });
    }
    return ChangePlain(path, L"RegDefine", [&](std::vector<uint8_t>& p) {
        const std::vector<Record> records = WalkRegDefine(p);
        if (records.empty()) return false;
        const Record& r = records[random.Below(static_cast<uint32_t>(records.size()))];
        if (r.length == 0) return false;
        const uint8_t tags[] = {0x55, 0x66, 0x00, 0xFF};
        p[r.start] = random.Percent(70) ? tags[random.Below(4)] : static_cast<uint8_t>(random.Next32());
        return true;
    });
}

bool Unterminated(const std::wstring& path, DatabaseLayout layout, FaultRandom& random) {
    if (layout == DatabaseLayout::RuleLibrary) {
        // Texts that run on without their terminators, to the end of the data.
        return ChangePlain(path, L"REGLIB", [&](std::vector<uint8_t>& p) {
            if (p.empty()) return false;
            const size_t from = random.Below(static_cast<uint32_t>(p.size()));
            for (size_t i = from; i < p.size(); ++i)
                if (p[i] == 0) p[i] = 'x';
            return true;
        });
    }
    return ChangePlain(path, L"RegDefine", [&](std::vector<uint8_t>& p) {
        const std::vector<Record> records = WalkRegDefine(p);
        if (records.empty()) return false;
        const Record& r = records[random.Below(static_cast<uint32_t>(records.size()))];
        // Past the tag and the 32-bit id: every terminator and the padding gone.
        for (size_t i = r.start + 5; i < r.start + r.length; ++i)
            if (p[i] == 0) p[i] = static_cast<uint8_t>(random.Between('A', 'Z'));
        return true;
    });
}

bool StreamBitFlips(const std::wstring& path, DatabaseLayout layout, FaultRandom& random) {
    const wchar_t* stream = MainStream(layout, random);
    std::vector<uint8_t> bytes;
    if (!ReadRawStream(path, stream, bytes) || bytes.empty()) return false;
    // Early bytes (format, first lengths) half of the time.
    const uint32_t range = random.Percent(50) ? std::min<uint32_t>(64, static_cast<uint32_t>(bytes.size()))
                                              : static_cast<uint32_t>(bytes.size());
    for (uint32_t n = random.Between(1, 16); n > 0; --n) bytes[random.Below(range)] ^= 1u << random.Below(8);
    return WriteRawStream(path, stream, bytes);
}

bool StreamTruncated(const std::wstring& path, DatabaseLayout layout, FaultRandom& random) {
    const wchar_t* stream = MainStream(layout, random);
    std::vector<uint8_t> bytes;
    if (!ReadRawStream(path, stream, bytes) || bytes.empty()) return false;
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    bytes.resize(random.Percent(30) ? random.Below(std::min<uint32_t>(size, 9)) : random.Below(size));
    return WriteRawStream(path, stream, bytes);
}

bool StreamExtended(const std::wstring& path, DatabaseLayout layout, FaultRandom& random) {
    const wchar_t* stream = MainStream(layout, random);
    std::vector<uint8_t> bytes;
    if (!ReadRawStream(path, stream, bytes)) return false;
    for (uint32_t n = random.Between(1, 5000); n > 0; --n) bytes.push_back(static_cast<uint8_t>(random.Next32()));
    return WriteRawStream(path, stream, bytes);
}

// A well-formed database with more than the store can hold.
bool OverCapacity(const std::wstring& path, DatabaseLayout layout, FaultRandom& random) {
    std::vector<uint8_t> plain;
    if (layout == DatabaseLayout::Categories) {
        const uint32_t categories = random.Between(1001, 1300);
        Append32(plain, 256);
        for (uint32_t c = 0; c < categories; ++c) {
            // Tag, id, three empty texts, five integers, wide name "C", two empty wide texts: 36 bytes -> 48.
            std::vector<uint8_t> record = {0x55};
            Append32(record, 800 + c);
            record.insert(record.end(), {0, 0, 0});
            for (int i = 0; i < 5; ++i) Append32(record, 1);
            record.insert(record.end(), {'C', 0, 0, 0, 0, 0, 0, 0});
            record.resize(48, 0);
            Append32(plain, static_cast<uint32_t>(record.size()));
            plain.insert(plain.end(), record.begin(), record.end());
            Append32(plain, 16);  // the terminating item record
            plain.push_back(0x66);
            plain.resize(plain.size() + 15, 0);
        }
        ApplyStreamCipher(plain);
        return WriteRawStream(path, L"RegDefine", plain);
    }
    const uint32_t records = random.Between(5000, 20000);
    for (uint32_t r = 0; r < records; ++r) {
        char record[96];
        int n = std::snprintf(record, sizeof record, "C%u%cN%cHKLM\\Software\\Many\\K%u%cv%c1%c\n", r % 50, 0, 0, r,
                              0, 0, 0);
        plain.insert(plain.end(), record, record + n);
    }
    std::vector<uint8_t> info;
    Append32(info, records);
    Append32(info, static_cast<uint32_t>(plain.size()));
    ApplyStreamCipher(info);
    ApplyStreamCipher(plain);
    return WriteRawStream(path, L"REGINFO", info) && WriteRawStream(path, L"REGLIB", plain);
}

// The main stream's directory entry claims 4 GB, as a damaged file's can:
// no size read from the file may be trusted for an allocation.
bool SizeClaims4Gb(const std::wstring& path, DatabaseLayout layout) {
    const wchar_t* stream = layout == DatabaseLayout::Categories ? L"RegDefine" : L"REGLIB";
    return testing_support::SetRecordedStreamSize(path, stream, 0xFFFFFFFFu);
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    return testing_support::WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

bool FileTruncated(const std::wstring& path, FaultRandom& random) {
    const std::string bytes = testing_support::ReadBytes(path);
    if (bytes.empty()) return false;
    const uint32_t keep = random.Percent(30) ? random.Below(std::min<uint32_t>(513, static_cast<uint32_t>(bytes.size())))
                                             : random.Below(static_cast<uint32_t>(bytes.size()));
    return testing_support::WriteBytes(path, bytes.substr(0, keep));
}

bool FileBitFlips(const std::wstring& path, FaultRandom& random) {
    std::string bytes = testing_support::ReadBytes(path);
    if (bytes.empty()) return false;
    // The header and the first directory and allocation sectors half of the time.
    const uint32_t range = random.Percent(50) ? std::min<uint32_t>(2048, static_cast<uint32_t>(bytes.size()))
                                              : static_cast<uint32_t>(bytes.size());
    for (uint32_t n = random.Between(1, 32); n > 0; --n) bytes[random.Below(range)] ^= static_cast<char>(1u << random.Below(8));
    return testing_support::WriteBytes(path, bytes);
}

bool GarbageFile(const std::wstring& path, FaultRandom& random) {
    std::vector<uint8_t> bytes(random.Below(65537));
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random.Next32());
    // Sometimes with the compound file signature, so it passes the first look.
    const uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (bytes.size() >= 8 && random.Percent(50)) std::copy(signature, signature + 8, bytes.begin());
    return WriteWholeFile(path, bytes);
}

// A category database past the user database limits: its first category
// followed by one item more than a category may hold, each as small as an
// item record can be.
bool OverLimit(const std::wstring& path, DatabaseLayout layout) {
    if (layout != DatabaseLayout::Categories) return SizeClaims4Gb(path, layout);
    return ChangePlain(path, L"RegDefine", [](std::vector<uint8_t>& p) {
        const std::vector<Record> records = WalkRegDefine(p);
        if (records.empty()) return false;
        p.resize(records[0].start + records[0].length);
        const uint8_t item[20] = {16, 0, 0, 0, 0x66, 0x01, 0x00, 0x00, 0x80};
        for (uint32_t i = 0; i <= kMaxItemsPerUserCategory; ++i) p.insert(p.end(), item, item + sizeof item);
        const uint8_t terminator[20] = {16, 0, 0, 0, 0x66};
        p.insert(p.end(), terminator, terminator + sizeof terminator);
        return true;
    });
}

bool Directory(const std::wstring& path) {
    ::DeleteFileW(path.c_str());
    return ::CreateDirectoryW(path.c_str(), nullptr) != 0;
}

}  // namespace

bool MakeOverLimitDatabase(const std::wstring& path) { return OverLimit(path, DatabaseLayout::Categories); }

const std::vector<std::string>& DatabaseMutationKinds() {
    static const std::vector<std::string> kinds = {
        "stream-bit-flips",  "length-boundary",  "format-number",   "tag-changed",      "unterminated-texts",
        "stream-truncated",  "stream-extended",  "stream-missing",  "stream-is-storage", "substorage-missing",
        "over-capacity",     "over-limit",       "size-claims-4gb", "file-truncated",   "file-bit-flips",
        "garbage-file",      "empty-file",       "directory"};
    return kinds;
}

std::string MutateDatabase(const std::wstring& path, DatabaseLayout layout, FaultRandom& random) {
    const std::vector<std::string>& kinds = DatabaseMutationKinds();
    // A folder in place of the file is rare; everything else equally likely.
    const uint32_t pick = random.Percent(2) ? static_cast<uint32_t>(kinds.size() - 1)
                                            : random.Below(static_cast<uint32_t>(kinds.size() - 1));
    const std::string& kind = kinds[pick];
    bool done = false;
    if (kind == "stream-bit-flips") done = StreamBitFlips(path, layout, random);
    else if (kind == "length-boundary") done = LengthBoundary(path, layout, random);
    else if (kind == "format-number") done = FormatNumber(path, layout, random);
    else if (kind == "tag-changed") done = TagChanged(path, layout, random);
    else if (kind == "unterminated-texts") done = Unterminated(path, layout, random);
    else if (kind == "stream-truncated") done = StreamTruncated(path, layout, random);
    else if (kind == "stream-extended") done = StreamExtended(path, layout, random);
    else if (kind == "stream-missing") done = DestroyRawElement(path, MainStream(layout, random));
    else if (kind == "stream-is-storage") done = ReplaceStreamWithStorage(path, MainStream(layout, random));
    else if (kind == "substorage-missing") done = RenameSubStorage(path, L"OLE_ROOX");
    else if (kind == "over-capacity") done = OverCapacity(path, layout, random);
    else if (kind == "over-limit") done = OverLimit(path, layout);
    else if (kind == "size-claims-4gb") done = SizeClaims4Gb(path, layout);
    else if (kind == "file-truncated") done = FileTruncated(path, random);
    else if (kind == "file-bit-flips") done = FileBitFlips(path, random);
    else if (kind == "garbage-file") done = GarbageFile(path, random);
    else if (kind == "empty-file") done = WriteWholeFile(path, {});
    else if (kind == "directory") done = Directory(path);
    return done ? kind : kind + "-failed";
}
