#include "win/file_read.h"

bool ReadUpTo(HANDLE file, BYTE* buffer, DWORD size, DWORD& done) {
    done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer + done, size - done, &got, nullptr)) return false;
        if (got == 0) break;
        done += got;
    }
    return true;
}
