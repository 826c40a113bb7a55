#include "suite/console/plugin_host.h"

#include <cstdio>
#include <vector>

namespace {

typedef HRESULT(STDAPICALLTYPE* DllGetClassObjectFn)(REFCLSID, REFIID, void**);

std::wstring ErrorCodeText(DWORD code) { return L"error " + std::to_wstring(code); }

std::wstring FullPath(const std::wstring& path) {
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> buffer(needed);
    DWORD written = GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    return (written == 0 || written >= needed) ? path : std::wstring(buffer.data(), written);
}

}  // namespace

std::wstring HresultText(HRESULT hr) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

bool PluginHost::Open(const std::wstring& path, std::wstring& error) {
    Close();
    // A path, never a name for the search order; the plug-in's own
    // dependencies are then looked for beside it.
    const std::wstring libraryPath = FullPath(path);
    UniqueModule library(LoadLibraryExW(libraryPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library) {
        error = L"cannot load the plug-in " + libraryPath + L" (" + ErrorCodeText(GetLastError()) + L")";
        return false;
    }
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(GetProcAddress(library.get(), "DllGetClassObject"));
    if (!getClassObject) {
        error = libraryPath + L" is not a plug-in: it has no DllGetClassObject";
        return false;
    }
    ComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(CLSID_VtPsSetPlugin, IID_IClassFactory, factory.put_void());
    if (FAILED(hr) || !factory) {
        error = L"the plug-in's class object is unavailable (" + HresultText(hr) + L")";
        return false;
    }
    ComPtr<IProductOption> option;
    hr = factory->CreateInstance(nullptr, IID_IProductOption, option.put_void());
    if (FAILED(hr) || !option) {
        error = L"the plug-in object cannot be created (" + HresultText(hr) + L")";
        return false;
    }
    factory.reset();
    library_ = std::move(library);
    option_ = std::move(option);
    return true;
}

void PluginHost::Close() {
    option_.reset();
    library_.reset();
}

std::wstring BesideConsole(const std::wstring& name) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return name;
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            size_t slash = path.find_last_of(L"\\/");
            return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + name;
        }
        if (buffer.size() >= 32768) return name;
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring DefaultPluginPath() { return BesideConsole(L"VtPestrolSet.dll"); }

std::wstring PluginTitle(IProductOption& option) {
    // The interface passes no buffer size: offer far more than a title needs.
    std::vector<WCHAR> buffer(4096, L'\0');
    DWORD bytes = 0;
    option.GetTitle(buffer.data(), &bytes);
    size_t chars = bytes / sizeof(WCHAR);
    if (chars > buffer.size()) chars = buffer.size();
    return std::wstring(buffer.data(), chars);
}
