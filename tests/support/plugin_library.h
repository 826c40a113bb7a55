// Loads the real VtPestrolSet.dll from a suite folder and creates plug-in
// objects through its class object, as the options console does.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <string>

#include "plugin/product_option.h"

namespace testing_support {

class PluginLibrary {
public:
    // Loads <suiteDir>\VtPestrolSet.dll; its start-up finds QZInstall.dll
    // beside it.
    explicit PluginLibrary(const std::wstring& suiteDir)
        : module_(::LoadLibraryW((suiteDir + L"\\VtPestrolSet.dll").c_str())) {}
    ~PluginLibrary() {
        if (module_) ::FreeLibrary(module_);
    }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    HMODULE Module() const { return module_; }

    template <typename Fn>
    Fn Export(const char* name) const {
        return reinterpret_cast<Fn>(::GetProcAddress(module_, name));
    }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) const {
        auto fn = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
        return fn ? fn(clsid, iid, object) : E_FAIL;
    }

    HRESULT CanUnloadNow() const {
        auto fn = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
        return fn ? fn() : E_FAIL;
    }

    // A new plug-in object, or null.
    IProductOption* CreatePlugin() const {
        IClassFactory* factory = nullptr;
        if (FAILED(GetClassObject(CLSID_VtPsSetPlugin, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
            return nullptr;
        IProductOption* plugin = nullptr;
        factory->CreateInstance(nullptr, IID_IProductOption, reinterpret_cast<void**>(&plugin));
        factory->Release();
        return plugin;
    }

private:
    HMODULE module_ = nullptr;
};

// The per-user settings folder the plug-in uses under this prefix.
inline std::wstring SettingsFolder() {
    wchar_t appData[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    return std::wstring(appData) + L"\\Veltrane\\Pestrol";
}

}  // namespace testing_support
