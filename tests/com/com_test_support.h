// Shared by the COM server tests: the built module in the suite folder,
// its four entry points, and registry read-back under HKEY_CLASSES_ROOT.
#pragma once
#include <windows.h>

#include <map>
#include <string>

// Z:\...\suite\VtPestrolSet.dll
std::wstring SuiteDllPath();
// A Unix path of the build tree as Wine sees it.
std::wstring WinePath(const char* unixPath);

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* PlainEntryFn)();

// The module loaded with LoadLibraryW and its exports; freed on destruction.
class ServerDll {
public:
    explicit ServerDll(const std::wstring& path);
    ~ServerDll();
    ServerDll(const ServerDll&) = delete;
    ServerDll& operator=(const ServerDll&) = delete;

    bool Loaded() const;
    std::wstring FileName() const;  // as the loader reports it

    HMODULE module = nullptr;
    GetClassObjectFn getClassObject = nullptr;
    PlainEntryFn canUnloadNow = nullptr;
    PlainEntryFn registerServer = nullptr;
    PlainEntryFn unregisterServer = nullptr;
};

const wchar_t kClassKey[] = L"CLSID\\{4C7E2A91-6B3D-4F58-9E12-A7C3D5B80F64}";
const wchar_t kProgIdKey[] = L"VtPestrolSet.VtPsSetPlugin.1";
const wchar_t kVersionlessProgIdKey[] = L"VtPestrolSet.VtPsSetPlugin";
const wchar_t kAppIdKey[] = L"AppID\\{B2D84E17-3C69-4A0F-8D5B-61E9F27C4A03}";
const wchar_t kAppIdNameKey[] = L"AppID\\VtPestrolSet.DLL";
const wchar_t kTypeLibKey[] = L"TypeLib\\{9A35C6E2-7D14-4B8E-A261-0F4D8B7E3C59}";
const wchar_t kInterfaceKey[] = L"Interface\\{7B64E0A2-1F9C-4D35-A8E7-C05D3B92F16A}";
const wchar_t kAppId[] = L"{B2D84E17-3C69-4A0F-8D5B-61E9F27C4A03}";
const wchar_t kRegisteredClsid[] = L"{4C7E2A91-6B3D-4F58-9E12-A7C3D5B80F64}";
const wchar_t kTypeLibId[] = L"{9A35C6E2-7D14-4B8E-A261-0F4D8B7E3C59}";

bool ClassesKeyExists(const std::wstring& subkey);
// A string value under HKEY_CLASSES_ROOT\subkey; "<missing>" when absent.
// An empty value name reads the default value.
std::wstring ClassesValue(const std::wstring& subkey, const wchar_t* name = L"");
// Every key and string value below HKEY_CLASSES_ROOT\subkey, keyed by
// relative path ("sub\key|value"); empty when the key is missing.
std::map<std::wstring, std::wstring> ClassesTree(const std::wstring& subkey);
// Removes everything the registration may have written (test set-up).
void RemoveRegistration();

// Runs the system's regsvr32 with the arguments, in currentFolder (or this
// process's); its exit code, or 0xFFFFFFFF when it did not start.
DWORD RunRegsvr32(const std::wstring& arguments, const wchar_t* currentFolder = nullptr);

// Every key the registration writes and removes.
const wchar_t* const kRegisteredKeys[] = {kClassKey, kProgIdKey, kVersionlessProgIdKey,
                                          kAppIdKey, kAppIdNameKey, kTypeLibKey};
