// Fingerprints of what a load built and what a save wrote, so that a change
// made for speed can be shown to keep every result the same.
#pragma once
#include <cstdint>
#include <string>

// Every field of every category and item of the store, in store order.
uint64_t StoreFingerprint();
// The deciphered "RegDefine" stream of the user database's working copy and
// the bytes of the expert option file's working copy.
uint64_t SavedFilesFingerprint(const std::wstring& userDatabase, const std::wstring& expertIni);
std::string Hex64(uint64_t value);
