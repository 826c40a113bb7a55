#include "com_test_support.h"

#include "tests/support/child_process.h"

namespace {

std::wstring Widen(const char* text) {
    std::wstring out;
    for (const char* p = text; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

class Key {
public:
    explicit Key(const std::wstring& subkey) {
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_READ, &m_key) != ERROR_SUCCESS) m_key = nullptr;
    }
    Key(HKEY parent, const std::wstring& subkey) {
        if (::RegOpenKeyExW(parent, subkey.c_str(), 0, KEY_READ, &m_key) != ERROR_SUCCESS) m_key = nullptr;
    }
    ~Key() {
        if (m_key) ::RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

void CollectTree(HKEY key, const std::wstring& prefix, std::map<std::wstring, std::wstring>& out) {
    out[prefix] = L"<key>";
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256;
        BYTE data[2048];
        DWORD dataBytes = sizeof(data) - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegEnumValueW(key, i, name, &nameChars, nullptr, &type, data, &dataBytes) != ERROR_SUCCESS) break;
        data[dataBytes] = data[dataBytes + 1] = 0;
        out[prefix + L"|" + name] = type == REG_SZ ? reinterpret_cast<wchar_t*>(data) : L"<non-string>";
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256;
        if (::RegEnumKeyExW(key, i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Key child(key, name);
        if (child.get()) CollectTree(child.get(), prefix + L"\\" + name, out);
    }
}

}  // namespace

std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:" + Widen(unixPath);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

std::wstring SuiteDllPath() { return WinePath(VTPS_SUITE_DIR_UNIX) + L"\\VtPestrolSet.dll"; }

ServerDll::ServerDll(const std::wstring& path) {
    module = ::LoadLibraryW(path.c_str());
    if (!module) return;
    getClassObject = reinterpret_cast<GetClassObjectFn>(::GetProcAddress(module, "DllGetClassObject"));
    canUnloadNow = reinterpret_cast<PlainEntryFn>(::GetProcAddress(module, "DllCanUnloadNow"));
    registerServer = reinterpret_cast<PlainEntryFn>(::GetProcAddress(module, "DllRegisterServer"));
    unregisterServer = reinterpret_cast<PlainEntryFn>(::GetProcAddress(module, "DllUnregisterServer"));
}

ServerDll::~ServerDll() {
    if (module) ::FreeLibrary(module);
}

bool ServerDll::Loaded() const {
    return module && getClassObject && canUnloadNow && registerServer && unregisterServer;
}

std::wstring ServerDll::FileName() const {
    wchar_t path[1024] = {};
    ::GetModuleFileNameW(module, path, 1024);
    return path;
}

bool ClassesKeyExists(const std::wstring& subkey) { return Key(subkey).get() != nullptr; }

std::wstring ClassesValue(const std::wstring& subkey, const wchar_t* name) {
    Key key(subkey);
    if (!key.get()) return L"<missing>";
    wchar_t data[1024] = {};
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS)
        return L"<missing>";
    if (type != REG_SZ) return L"<non-string>";
    return data;
}

std::map<std::wstring, std::wstring> ClassesTree(const std::wstring& subkey) {
    std::map<std::wstring, std::wstring> tree;
    Key key(subkey);
    if (key.get()) CollectTree(key.get(), subkey, tree);
    return tree;
}

void RemoveRegistration() {
    for (const wchar_t* key : kRegisteredKeys) ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kInterfaceKey);
}

DWORD RunRegsvr32(const std::wstring& arguments, const wchar_t* currentFolder) {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    testing_support::ChildProcess regsvr32;
    if (!regsvr32.Start(L"\"" + std::wstring(system) + L"\\regsvr32.exe\" " + arguments, std::wstring(), std::wstring(),
                        currentFolder))
        return 0xFFFFFFFF;
    return regsvr32.WaitForExit(120000) ? regsvr32.ExitCode() : 0xFFFFFFFE;
}
