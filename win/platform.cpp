#include "win/platform.h"

#include <string>

#include "win/library_path.h"
#include "win/raii.h"

namespace {

// The group list is read into a fixed block; a token whose groups do not fit
// counts as not being queried.
const DWORD kTokenGroupsBytes = 1024;

Platform g_realPlatform;
Platform* g_platformOverride = nullptr;

}  // namespace

DWORD Platform::Version() {
    return ::GetVersion();
}

bool Platform::TokenHasAdministrators() {
    DWORD groupsBuffer[kTokenGroupsBytes / sizeof(DWORD)];  // DWORD-aligned for TOKEN_GROUPS
    DWORD used = 0;
    {
        UniqueHandle token;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
        if (!::GetTokenInformation(token.get(), TokenGroups, groupsBuffer, kTokenGroupsBytes, &used))
            return false;
    }

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    UniqueSid administrators;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                    0, 0, 0, 0, 0, 0, administrators.put()))
        return false;

    // Every group counts, also one that is disabled or deny-only.
    const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(groupsBuffer);
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        if (::EqualSid(administrators.get(), groups->Groups[i].Sid)) return true;
    }
    return false;
}

UINT Platform::SystemDirectoryA(char* buffer, UINT size) {
    return ::GetSystemDirectoryA(buffer, size);
}

UINT Platform::SystemDirectoryW(wchar_t* buffer, UINT size) {
    return ::GetSystemDirectoryW(buffer, size);
}

ShGetFolderPathWFn Platform::LookupShGetFolderPath() {
    wchar_t system[MAX_PATH];
    UINT length = SystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    // The library stays loaded: the caller keeps using the returned pointer.
    HMODULE shell = LoadLibraryByFullPath(std::wstring(system, length) + L"\\Shell32.dll");
    if (!shell) return nullptr;
    return reinterpret_cast<ShGetFolderPathWFn>(::GetProcAddress(shell, "SHGetFolderPathW"));
}

Platform& CurrentPlatform() {
    return g_platformOverride ? *g_platformOverride : g_realPlatform;
}

void SetPlatformForTest(Platform* replacement) {
    g_platformOverride = replacement;
}
