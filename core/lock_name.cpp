#include "lock_name.h"

#include <cstdio>

#include "ascii_case.h"

uint32_t HashLockPath(const utf16_t* path)
{
    uint32_t h = 0;
    if (path == nullptr)
        return h;
    for (; *path != 0; ++path)
        h = 2u * (h + static_cast<uint32_t>(*path));  // unsigned: wraps modulo 2^32
    return h;
}

const utf16_t* LockFileNamePart(const utf16_t* path)
{
    if (path == nullptr)
        return nullptr;
    const utf16_t* name = path;
    for (const utf16_t* p = path; *p != 0; ++p)
        if (*p == u'\\')
            name = p + 1;
    return name;
}

void FormatLockName(uint32_t hash, const char* ansiFileName, char (&out)[kLockNameSize])
{
    // snprintf cuts to 31 characters; the explicit terminator guards C
    // runtimes whose snprintf leaves a cut text open.
    out[0] = '\0';
    std::snprintf(out, kLockNameSize, "%08X-%s", static_cast<unsigned>(hash),
                  ansiFileName != nullptr ? ansiFileName : "");
    out[kLockNameSize - 1] = '\0';
    for (char* p = out; *p != '\0'; ++p)
        *p = AsciiUpper(*p);
}
