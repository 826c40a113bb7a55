// The module object: lock count, instance handle, and the object map's one
// entry, whose class object is created on first use.
#include "plugin/com_module.h"

#include <atomic>
#include <new>

#include "plugin/class_factory.h"
#include "plugin/product_option.h"

// The linker's symbol for this image's own base: the right instance handle
// even before the entry point has stored one.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

LONG g_lockCount = 0;
HINSTANCE g_instance = reinterpret_cast<HINSTANCE>(&__ImageBase);

// Guards the lazy creation of class objects.  Set up during static
// initialisation; when that fails the module refuses to load.
class ModuleCriticalSection {
public:
    ModuleCriticalSection() { m_bReady = ::InitializeCriticalSectionAndSpinCount(&m_section, 0) != FALSE; }
    ~ModuleCriticalSection() {
        if (m_bReady) ::DeleteCriticalSection(&m_section);
    }
    ModuleCriticalSection(const ModuleCriticalSection&) = delete;
    ModuleCriticalSection& operator=(const ModuleCriticalSection&) = delete;

    bool Ready() const { return m_bReady; }
    void Enter() { ::EnterCriticalSection(&m_section); }
    void Leave() { ::LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
    bool m_bReady = false;
};

class SectionLock {
public:
    explicit SectionLock(ModuleCriticalSection& section) : m_section(section) { m_section.Enter(); }
    ~SectionLock() { m_section.Leave(); }
    SectionLock(const SectionLock&) = delete;
    SectionLock& operator=(const SectionLock&) = delete;

private:
    ModuleCriticalSection& m_section;
};

// The object map's entry for CLSID_VtPsSetPlugin.  It owns one reference to
// the class object, dropped when the module ends.
class ClassObjectEntry {
public:
    constexpr ClassObjectEntry() = default;
    ~ClassObjectEntry() {
        if (IClassFactory* factory = m_pFactory.exchange(nullptr)) factory->Release();
    }
    ClassObjectEntry(const ClassObjectEntry&) = delete;
    ClassObjectEntry& operator=(const ClassObjectEntry&) = delete;

    IClassFactory* Get() const { return m_pFactory.load(std::memory_order_acquire); }
    void Set(IClassFactory* factory) { m_pFactory.store(factory, std::memory_order_release); }

private:
    std::atomic<IClassFactory*> m_pFactory{nullptr};
};

ModuleCriticalSection g_section;
ClassObjectEntry g_pluginEntry;

}  // namespace

void ModuleLock() { ::InterlockedIncrement(&g_lockCount); }
void ModuleUnlock() { ::InterlockedDecrement(&g_lockCount); }
LONG ModuleLockCount() { return ::InterlockedCompareExchange(&g_lockCount, 0, 0); }

HINSTANCE ModuleInstance() { return g_instance; }
void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

bool ModuleInitialized() { return g_section.Ready(); }

HRESULT FindClassObject(REFCLSID clsid, IClassFactory** factory) {
    *factory = nullptr;
    if (!::IsEqualCLSID(clsid, CLSID_VtPsSetPlugin)) return CLASS_E_CLASSNOTAVAILABLE;
    if (!g_pluginEntry.Get()) {
        SectionLock lock(g_section);
        if (!g_pluginEntry.Get()) {
            CVtPsSetPluginFactory* created = new (std::nothrow) CVtPsSetPluginFactory();
            if (!created) return E_OUTOFMEMORY;
            created->AddRef();  // the map's own reference
            g_pluginEntry.Set(created);
        }
    }
    *factory = g_pluginEntry.Get();
    return S_OK;
}
