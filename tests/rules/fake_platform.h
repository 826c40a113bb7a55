// A platform whose 9x bit, administrator token and system directory the test
// chooses; installed for the lifetime of the object.
#pragma once
#include <cstring>

#include "win/platform.h"

class FakePlatform : public Platform {
public:
    FakePlatform() { SetPlatformForTest(this); }
    ~FakePlatform() override { SetPlatformForTest(nullptr); }

    DWORD Version() override { return version; }
    bool TokenHasAdministrators() override {
        ++tokenQueries;
        return tokenIsAdmin;
    }
    UINT SystemDirectoryA(char* buffer, UINT size) override {
        UINT length = static_cast<UINT>(std::strlen(systemDirectory));
        if (length >= size) return length + 1;
        std::memcpy(buffer, systemDirectory, length + 1);
        return length;
    }

    DWORD version = 0x1DB10106;  // an NT version: high bit clear
    bool tokenIsAdmin = false;
    int tokenQueries = 0;
    const char* systemDirectory = "C:\\FAKE\\system32";
};
