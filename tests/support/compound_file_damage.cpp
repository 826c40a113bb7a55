#include "tests/support/compound_file_damage.h"

#include <cwchar>

#include "core/little_endian.h"

#include "tests/support/test_files.h"

namespace testing_support {

namespace {

const size_t kSector = 512;
const size_t kEntry = 128;
const uint32_t kEndOfChain = 0xFFFFFFFEu;
const uint32_t kMiniStreamCutoff = 4096;

const uint8_t* At(const std::string& bytes, size_t at) { return reinterpret_cast<const uint8_t*>(bytes.data() + at); }
uint32_t Get32(const std::string& bytes, size_t at) { return GetLe32(At(bytes, at)); }
uint16_t Get16(const std::string& bytes, size_t at) { return GetLe16(At(bytes, at)); }
void Put32(std::string& bytes, size_t at, uint32_t value) { PutLe32(reinterpret_cast<uint8_t*>(&bytes[at]), value); }

// The offset of the directory entry of stream `name`, or 0.  Directory
// sectors lie at sector boundaries, so every entry starts at a multiple of
// 128 bytes after the header.
size_t FindStreamEntry(const std::string& bytes, const wchar_t* name) {
    const size_t chars = std::wcslen(name);
    for (size_t at = kSector; at + kEntry <= bytes.size(); at += kEntry) {
        if (static_cast<uint8_t>(bytes[at + 0x42]) != 2) continue;  // not a stream
        const uint32_t nameBytes = Get16(bytes, at + 0x40);
        if (nameBytes != (chars + 1) * 2) continue;
        bool same = true;
        for (size_t i = 0; i < chars && same; ++i) same = Get16(bytes, at + 2 * i) == static_cast<uint16_t>(name[i]);
        if (same) return at;
    }
    return 0;
}

// Where the FAT holds the next sector of `sector`.
size_t FatEntryOffset(const std::string& bytes, uint32_t sector) {
    const uint32_t fatSector = Get32(bytes, 0x4C + 4 * (sector / 128));
    return (static_cast<size_t>(fatSector) + 1) * kSector + (sector % 128) * 4;
}

}  // namespace

bool SetRecordedStreamSize(const std::wstring& path, const wchar_t* name, uint32_t size) {
    std::string bytes = ReadBytes(path);
    const size_t entry = FindStreamEntry(bytes, name);
    if (!entry) return false;
    Put32(bytes, entry + 0x78, size);
    return WriteBytes(path, bytes);
}

uint32_t StreamSectorCount(const std::wstring& path, const wchar_t* name) {
    const std::string bytes = ReadBytes(path);
    const size_t entry = FindStreamEntry(bytes, name);
    if (!entry || Get32(bytes, entry + 0x78) < kMiniStreamCutoff) return 0;
    uint32_t count = 0;
    for (uint32_t sector = Get32(bytes, entry + 0x74); sector < kEndOfChain && count < 1000000; ++count) {
        const size_t next = FatEntryOffset(bytes, sector);
        if (next + 4 > bytes.size()) return 0;
        sector = Get32(bytes, next);
    }
    return count;
}

bool CutStreamChain(const std::wstring& path, const wchar_t* name, uint32_t keptSectors) {
    std::string bytes = ReadBytes(path);
    const size_t entry = FindStreamEntry(bytes, name);
    if (!entry || keptSectors == 0 || Get32(bytes, entry + 0x78) < kMiniStreamCutoff) return false;
    uint32_t sector = Get32(bytes, entry + 0x74);
    for (uint32_t i = 1; i < keptSectors; ++i) {
        sector = Get32(bytes, FatEntryOffset(bytes, sector));
        if (sector >= kEndOfChain) return false;
    }
    const size_t last = FatEntryOffset(bytes, sector);
    if (Get32(bytes, last) >= kEndOfChain) return false;  // the chain is not longer than that
    Put32(bytes, last, kEndOfChain);
    return WriteBytes(path, bytes);
}

}  // namespace testing_support
