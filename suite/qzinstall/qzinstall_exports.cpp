// The library's ordinals.  Paths are written only when they fit, terminator
// included; otherwise the buffer is left empty and the answer is FALSE, so a
// caller never works with a cut path.
#include "win/qzinstall_abi.h"
#include "suite/qzinstall/suite_layout.h"

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <type_traits>

extern "C" {
BOOL WINAPI QzGetInstallPath(LPWSTR buffer, UINT count, LPCWSTR name);
BOOL WINAPI QzGetComponentFile(LPWSTR buffer, UINT count, LPCWSTR key, LPCWSTR fileName, DWORD reserved);
BOOL WINAPI QzGetDataFolder(LPWSTR buffer, UINT count, LPCWSTR product, LPCWSTR subFolder);
LANGID WINAPI QzGetLanguageId();
}

static_assert(std::is_same_v<decltype(&QzGetInstallPath), QzGetInstallPathFn>);
static_assert(std::is_same_v<decltype(&QzGetComponentFile), QzGetComponentFileFn>);
static_assert(std::is_same_v<decltype(&QzGetDataFolder), QzGetDataFolderFn>);
static_assert(std::is_same_v<decltype(&QzGetLanguageId), QzGetLanguageIdFn>);

namespace {

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

SuiteLayout Layout() { return SuiteLayout::ForModule(ThisModule()); }

BOOL CopyOut(const std::wstring& text, LPWSTR buffer, UINT count) {
    if (text.size() >= count) {
        buffer[0] = L'\0';
        return FALSE;
    }
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return TRUE;
}

bool Usable(LPWSTR buffer, UINT count) { return buffer != nullptr && count != 0; }

}  // namespace

// Nothing may unwind into the caller: an allocation failure is a plain FALSE.
extern "C" BOOL WINAPI QzGetInstallPath(LPWSTR buffer, UINT count, LPCWSTR name) {
    if (!Usable(buffer, count)) return FALSE;
    buffer[0] = L'\0';
    if (name == nullptr) return FALSE;
    try {
        return CopyOut(Layout().InstallPath(name), buffer, count);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

extern "C" BOOL WINAPI QzGetComponentFile(LPWSTR buffer, UINT count, LPCWSTR key, LPCWSTR fileName, DWORD) {
    if (!Usable(buffer, count)) return FALSE;
    buffer[0] = L'\0';
    if (fileName == nullptr || fileName[0] == L'\0') return FALSE;
    try {
        std::optional<std::wstring> path = Layout().ComponentFile(key ? key : L"", fileName);
        return path ? CopyOut(*path, buffer, count) : FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

extern "C" BOOL WINAPI QzGetDataFolder(LPWSTR buffer, UINT count, LPCWSTR product, LPCWSTR subFolder) {
    if (!Usable(buffer, count)) return FALSE;
    buffer[0] = L'\0';
    if (product == nullptr || product[0] == L'\0') return FALSE;
    try {
        return CopyOut(Layout().DataFolder(product, subFolder ? subFolder : L""), buffer, count);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

extern "C" LANGID WINAPI QzGetLanguageId() {
    try {
        return Layout().LanguageId();
    } catch (const std::bad_alloc&) {
        return 0;  // "no language": callers fall back to their default
    }
}

// The installer's other services are not part of this stand-in: each
// answers failure.
#define VTPS_UNUSED_ORDINAL(n) \
    extern "C" BOOL WINAPI QzOrdinal##n() { return FALSE; } \
    static_assert(std::is_same_v<decltype(&QzOrdinal##n), QzUnusedFn>);

VTPS_UNUSED_ORDINAL(2)
VTPS_UNUSED_ORDINAL(3)
VTPS_UNUSED_ORDINAL(4)
VTPS_UNUSED_ORDINAL(8)
VTPS_UNUSED_ORDINAL(9)
VTPS_UNUSED_ORDINAL(10)
VTPS_UNUSED_ORDINAL(11)
VTPS_UNUSED_ORDINAL(13)
VTPS_UNUSED_ORDINAL(14)
VTPS_UNUSED_ORDINAL(16)
VTPS_UNUSED_ORDINAL(17)
VTPS_UNUSED_ORDINAL(18)
VTPS_UNUSED_ORDINAL(19)
