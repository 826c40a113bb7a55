// Reading an open file into a caller's buffer.
#pragma once
#include <windows.h>

// Reads up to `size` bytes into buffer, as many reads as it takes; `done`
// tells how many arrived before the end of the file.  False when a read
// failed (what arrived before it is in buffer and counted in `done`).
bool ReadUpTo(HANDLE file, BYTE* buffer, DWORD size, DWORD& done);
