// Damage done to a compound file below the storage API, as a failing disk or
// a hostile file would do it: a stream's recorded size changed, or its
// sector chain cut.  Files written by the system's storage code use 512-byte
// sectors; streams of 4096 bytes and more lie in ordinary sectors.
#pragma once
#include <cstdint>
#include <string>

namespace testing_support {

// Sets the size that the directory entry of the stream `name` records.
bool SetRecordedStreamSize(const std::wstring& path, const wchar_t* name, uint32_t size);
// Ends the sector chain of the stream `name` after `keptSectors` sectors (at
// least 1); the stream's recorded size stays.  False when the stream is not
// in ordinary sectors or is not that long.
bool CutStreamChain(const std::wstring& path, const wchar_t* name, uint32_t keptSectors);
// The number of ordinary sectors in the chain of the stream `name`, or 0.
uint32_t StreamSectorCount(const std::wstring& path, const wchar_t* name);

}  // namespace testing_support
