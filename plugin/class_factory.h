// The class object that creates plug-in objects, and the object map that
// hands it out.
#pragma once
#include <windows.h>
#include <unknwn.h>

// Reference counting is interlocked.  A client's reference (the second one,
// beside the object map's own) locks the module, so a held class object
// keeps the module loaded; dropping back to the map's reference unlocks it.
class CVtPsSetPluginFactory final : public IClassFactory {
public:
    CVtPsSetPluginFactory() = default;
    CVtPsSetPluginFactory(const CVtPsSetPluginFactory&) = delete;
    CVtPsSetPluginFactory& operator=(const CVtPsSetPluginFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // The class cannot be aggregated.  A failed interface query destroys the
    // new object again (which releases its module lock).
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~CVtPsSetPluginFactory() = default;
    LONG m_dwRef = 0;
};

// The object map: the class object for `clsid`, created on first use under
// the module's critical section and kept until the module ends.  The pointer
// is borrowed.  CLASS_E_CLASSNOTAVAILABLE for any class but
// CLSID_VtPsSetPlugin; E_OUTOFMEMORY when the class object cannot be made.
HRESULT FindClassObject(REFCLSID clsid, IClassFactory** factory);
