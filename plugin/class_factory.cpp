#include "plugin/class_factory.h"

#include <memory>
#include <new>

#include "plugin/com_module.h"
#include "win/no_throw.h"
#include "plugin/plugin_object.h"

HRESULT STDMETHODCALLTYPE CVtPsSetPluginFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!::IsEqualIID(riid, IID_IUnknown) && !::IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CVtPsSetPluginFactory::AddRef() {
    LONG count = ::InterlockedIncrement(&m_dwRef);
    if (count == 2) ModuleLock();
    return static_cast<ULONG>(count);
}

ULONG STDMETHODCALLTYPE CVtPsSetPluginFactory::Release() {
    LONG count = ::InterlockedDecrement(&m_dwRef);
    if (count == 1) ModuleUnlock();
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE CVtPsSetPluginFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    // E_OUTOFMEMORY or E_UNEXPECTED rather than an exception (plugin/no_throw.h).
    return ComCallNoThrow([&]() -> HRESULT {
        std::unique_ptr<CVtPsSetPlugin> plugin(new (std::nothrow) CVtPsSetPlugin());
        if (!plugin) return E_OUTOFMEMORY;
        ModuleLock();  // released by the object's destructor
        HRESULT hr = plugin->QueryInterface(riid, object);
        // On success the interface's reference owns the object.
        if (SUCCEEDED(hr)) plugin.release();
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE CVtPsSetPluginFactory::LockServer(BOOL lock) {
    if (lock)
        ModuleLock();
    else
        ModuleUnlock();
    return S_OK;
}
