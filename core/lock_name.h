// Names of the cross-process lock events of rule database files.
#pragma once
#include <cstdint>
#include "utf16.h"

const uint32_t kLockNameSize = 32;  // at most 31 characters and the terminator

// h = 2 * (h + c) over the path's UTF-16 code units, modulo 2^32.
uint32_t HashLockPath(const utf16_t* path);
// The file name part of a path: after its last backslash, or the whole path.
const utf16_t* LockFileNamePart(const utf16_t* path);
// "%08X-FILENAME" upper-cased (ASCII letters) and cut to 31 characters.
void FormatLockName(uint32_t hash, const char* ansiFileName, char (&out)[kLockNameSize]);
