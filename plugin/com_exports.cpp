// The four entry points of the in-process server.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>

#include "plugin/class_factory.h"
#include "plugin/com_module.h"
#include "win/no_throw.h"
#include "win/raii.h"
#include "plugin/script_registrar.h"

namespace {

// {9A35C6E2-7D14-4B8E-A261-0F4D8B7E3C59} version 1.0, resource 1.
const GUID LIBID_VtPestrolSetLib = {0x9A35C6E2, 0x7D14, 0x4B8E, {0xA2, 0x61, 0x0F, 0x4D, 0x8B, 0x7E, 0x3C, 0x59}};

// Registration runs under the system default locale, so that the scripts and
// the type library see the same settings on every machine; the caller's
// locale comes back on every path.
class ThreadLocaleScope {
public:
    explicit ThreadLocaleScope(LCID locale) : m_saved(::GetThreadLocale()) { ::SetThreadLocale(locale); }
    ~ThreadLocaleScope() { ::SetThreadLocale(m_saved); }
    ThreadLocaleScope(const ThreadLocaleScope&) = delete;
    ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

private:
    LCID m_saved;
};

// Replaces the file extension of `path` with ".tlb"; false when it does not fit.
bool ReplaceExtensionWithTlb(wchar_t (&path)[MAX_PATH]) {
    size_t length = ::wcslen(path);
    size_t stem = length;
    for (size_t i = length; i > 0; --i) {
        wchar_t c = path[i - 1];
        if (c == L'\\' || c == L'/' || c == L':') break;
        if (c == L'.') {
            stem = i - 1;
            break;
        }
    }
    static const wchar_t kTlb[] = L".tlb";
    if (stem + 4 >= MAX_PATH) return false;
    ::wcscpy(path + stem, kTlb);
    return true;
}

// Loads the type library from the module (resource 1), else from the .tlb
// file beside it, and registers it under the path it came from.
HRESULT RegisterModuleTypeLib() {
    wchar_t path[MAX_PATH];
    HRESULT hr = GetModulePath(ModuleInstance(), path);
    if (FAILED(hr)) return hr;
    ComPtr<ITypeLib> library;
    hr = ::LoadTypeLibEx(path, REGKIND_NONE, library.put());
    if (FAILED(hr)) {
        if (!ReplaceExtensionWithTlb(path)) return hr;
        hr = ::LoadTypeLibEx(path, REGKIND_NONE, library.put());
        if (FAILED(hr)) return hr;
    }
    // The library names no help file: no help folder.
    return ::RegisterTypeLib(library.get(), path, nullptr);
}

}  // namespace

// Each entry point answers E_OUTOFMEMORY or E_UNEXPECTED rather than let an
// exception reach its caller (plugin/no_throw.h); DllCanUnloadNow runs
// nothing that throws.

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    if (!ModuleInitialized()) return E_UNEXPECTED;
    if (!object) return E_POINTER;
    *object = nullptr;
    return ComCallNoThrow([&]() -> HRESULT {
        IClassFactory* factory = nullptr;
        HRESULT hr = FindClassObject(clsid, &factory);
        if (FAILED(hr)) return hr;
        hr = factory->QueryInterface(riid, object);
        if (SUCCEEDED(hr) && !*object) hr = CLASS_E_CLASSNOTAVAILABLE;
        return hr;
    });
}

STDAPI DllCanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    return ComCallNoThrow([] {
        ThreadLocaleScope locale(LOCALE_SYSTEM_DEFAULT);
        HRESULT hr = RunRegistryScript(IDR_APPID_SCRIPT, true);
        if (FAILED(hr)) return hr;
        hr = RunRegistryScript(IDR_CLASS_SCRIPT, true);
        if (FAILED(hr)) return hr;
        return RegisterModuleTypeLib();
    });
}

STDAPI DllUnregisterServer() {
    return ComCallNoThrow([] {
        ThreadLocaleScope locale(LOCALE_SYSTEM_DEFAULT);
        HRESULT hr = RunRegistryScript(IDR_CLASS_SCRIPT, false);
        if (FAILED(hr)) return hr;
        hr = ::UnRegisterTypeLib(LIBID_VtPestrolSetLib, 1, 0, 0, SYS_WIN32);
        if (FAILED(hr)) return hr;
        return RunRegistryScript(IDR_APPID_SCRIPT, false);
    });
}
