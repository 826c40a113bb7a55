#include "plugin/script_registrar.h"

#include <objbase.h>

#include <string>

#include "plugin/com_module.h"
#include "win/raii.h"

// The system's registry-script registrar (atl.dll).  Declared outside the
// anonymous namespace: with internal linkage and no implementation in sight
// the compiler may treat calls through it as unreachable.
const CLSID CLSID_Registrar = {0x44EC053A, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};
const IID IID_IRegistrar = {0x44EC053B, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};

struct IRegistrar : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearReplacements() = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegisterSz(LPCOLESTR resFileName, LPCOLESTR szID, LPCOLESTR szType) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregisterSz(LPCOLESTR resFileName, LPCOLESTR szID, LPCOLESTR szType) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileRegister(LPCOLESTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileUnregister(LPCOLESTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringRegister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringUnregister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegister(LPCOLESTR resFileName, UINT nID, LPCOLESTR szType) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregister(LPCOLESTR resFileName, UINT nID, LPCOLESTR szType) = 0;
};

namespace {

const wchar_t kAppId[] = L"{B2D84E17-3C69-4A0F-8D5B-61E9F27C4A03}";

// COM for the duration of one script run.  regsvr32 and most hosts have
// initialised it already; a thread in another apartment keeps its own.
class ComScope {
public:
    ComScope() : m_bOwned(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (m_bOwned) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool m_bOwned;
};

// Script strings are single-quoted; a quote inside the path is doubled.
std::wstring ScriptQuoted(const wchar_t* text) {
    std::wstring out;
    for (const wchar_t* p = text; *p; ++p) {
        out += *p;
        if (*p == L'\'') out += L'\'';
    }
    return out;
}

}  // namespace

HRESULT GetModulePath(HINSTANCE module, wchar_t (&path)[MAX_PATH]) {
    path[0] = 0;
    DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0) {
        DWORD error = ::GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return S_OK;
}

HRESULT RunRegistryScript(UINT id, bool doRegister) {
    HINSTANCE self = ModuleInstance();
    wchar_t path[MAX_PATH];
    HRESULT hr = GetModulePath(self, path);
    if (FAILED(hr)) return hr;

    ComScope com;  // outlives the registrar below
    ComPtr<IRegistrar> registrar;
    hr = ::CoCreateInstance(CLSID_Registrar, nullptr, CLSCTX_INPROC_SERVER, IID_IRegistrar, registrar.put_void());
    if (FAILED(hr)) return hr;

    const std::wstring raw = ScriptQuoted(path);
    // Only an executable's path is quoted, for the command line it becomes.
    const bool isExe = self == ::GetModuleHandleW(nullptr);
    const std::wstring module = isExe ? L"\"" + raw + L"\"" : raw;
    hr = registrar->AddReplacement(L"MODULE", module.c_str());
    if (SUCCEEDED(hr)) hr = registrar->AddReplacement(L"Module_Raw", raw.c_str());
    if (SUCCEEDED(hr)) hr = registrar->AddReplacement(L"APPID", kAppId);
    if (FAILED(hr)) return hr;

    return doRegister ? registrar->ResourceRegister(path, id, L"REGISTRY")
                      : registrar->ResourceUnregister(path, id, L"REGISTRY");
}
