// The suite's installer-information library, QZInstall.dll, and the queries
// the plug-in makes through it.  Each query loads the library on first use
// and answers its failure value when the library or the entry is missing.
#pragma once
#include <windows.h>
#include <string>
#include "win/raii.h"
#include "win/qzinstall_abi.h"

const UINT kPathChars = 260;

class QZInstallModule {
public:
    QZInstallModule() = default;
    virtual ~QZInstallModule();
    QZInstallModule(const QZInstallModule&) = delete;
    QZInstallModule& operator=(const QZInstallModule&) = delete;

    virtual void Free();
    virtual const wchar_t* GetName() { return L"QZInstall.dll"; }

    // Loads the library from path, which must be a full path, or when path
    // is null, GetName() from the host program's folder, the plug-in's own
    // folder or the system folder; resolves the ordinals.  True when loaded.
    bool Load(const wchar_t* path);
    HMODULE Handle() const { return m_hModule.get(); }

    static const int kOrdinalCount = 17;
    static const WORD kOrdinals[kOrdinalCount];  // 1..19 without 7 and 12

    // Entry points in ordinal order; null when missing.
    FARPROC m_entries[kOrdinalCount] = {};
    FARPROC Entry(WORD ordinal) const;

private:
    UniqueModule m_hModule;
};

// The process-wide instance, created (and loaded) by the first query that
// needs it; deleted at unload.
QZInstallModule* InstallModule();
void DeleteInstallModule();

std::wstring GetInstallPath(const wchar_t* name);
BOOL QueryInstallPath(wchar_t* buffer, UINT count, const wchar_t* name);
std::wstring GetComponentFilePath(const wchar_t* key, const wchar_t* fileName);
BOOL QueryComponentFilePath(wchar_t* buffer, UINT count, const wchar_t* key, const wchar_t* fileName, DWORD reserved);
BOOL QueryDataFolder(wchar_t* buffer, UINT count, const wchar_t* product, const wchar_t* subFolder);
// The suite's data folder ("AntiVirus" data, or the install path + "Data"),
// with a trailing backslash; empty when the installer-information library
// cannot name it as a full path.  Creates nothing.
std::wstring SuiteDataFolder();
// The suite's language; 0x0804 when it cannot answer or answers 0.
LANGID GetLanguageId();
