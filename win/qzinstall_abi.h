// Entry points of the suite's installer-information library, QZInstall.dll,
// exported by ordinal only.  Shared by the plug-in and the stand-in library.
#pragma once
#include <windows.h>

// Ordinal 1: install path of a named part of the suite.
typedef BOOL(WINAPI* QzGetInstallPathFn)(LPWSTR buffer, UINT count, LPCWSTR name);
// Ordinal 5: path of a component file, by registered key (or null) and file name.
typedef BOOL(WINAPI* QzGetComponentFileFn)(LPWSTR buffer, UINT count, LPCWSTR key, LPCWSTR fileName, DWORD reserved);
// Ordinal 6: data folder of a product with a sub-folder.
typedef BOOL(WINAPI* QzGetDataFolderFn)(LPWSTR buffer, UINT count, LPCWSTR product, LPCWSTR subFolder);
// Ordinal 15: the suite's language id, 0 when it has none.
typedef LANGID(WINAPI* QzGetLanguageIdFn)();
// Every other ordinal: no arguments the plug-in relies on; returns failure.
typedef BOOL(WINAPI* QzUnusedFn)();
