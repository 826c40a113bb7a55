// The one seam for platform facts that Wine cannot vary: the administrator
// token, the 9x platform bit, the system directory and the shell's folder
// query.  Production code asks CurrentPlatform(); tests install their own.
#pragma once
#include <windows.h>

typedef HRESULT(WINAPI* ShGetFolderPathWFn)(HWND, int, HANDLE, DWORD, LPWSTR);

class Platform {
public:
    virtual ~Platform() = default;
    // GetVersion()'s answer; the high bit set means the 9x platform.
    virtual DWORD Version();
    // Whether the process token lists the built-in Administrators group.
    // Returns false when the token cannot be opened or queried.
    virtual bool TokenHasAdministrators();
    // GetSystemDirectoryA's answer.
    virtual UINT SystemDirectoryA(char* buffer, UINT size);
    // GetSystemDirectoryW's answer.
    virtual UINT SystemDirectoryW(wchar_t* buffer, UINT size);
    // SHGetFolderPathW looked up in the system folder's Shell32.dll, or null
    // when missing.
    virtual ShGetFolderPathWFn LookupShGetFolderPath();
};

Platform& CurrentPlatform();
// Installs a replacement (tests); null restores the real platform.
void SetPlatformForTest(Platform* replacement);

inline bool IsWin9xPlatform() { return (CurrentPlatform().Version() & 0x80000000u) != 0; }
