// Where the suite's libraries are loaded from.  A library is only ever
// loaded by its full path from a folder the suite or the system owns: never
// by bare name, so never from the current folder, along PATH or from the
// root of the current drive, where anyone may have planted a file.
#pragma once
#include <windows.h>
#include <string>

// "X:\..." and "\\server\share\..."; not "name", "X:name" or "\name", which
// Windows resolves against the current folder or drive.
bool IsFullPath(const std::wstring& path);

// The folder of a loaded module's file, without a trailing backslash; empty
// when it cannot be told.
std::wstring ModuleFolder(HMODULE module);

// The module whose code calls this: the plug-in's DLL, or the program that
// links the plug-in's code.
HMODULE ModuleOfThisCode();

// folder\name when that file exists; empty otherwise.
std::wstring ExistingFileIn(const std::wstring& folder, const wchar_t* name);

// Loads a library given by full path, its own folder searched first for
// its dependencies; null for anything but a full path.
HMODULE LoadLibraryByFullPath(const std::wstring& path);
