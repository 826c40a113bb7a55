// A stand-in settings plug-in for testing the console on its own: serves
// IProductOption from DllGetClassObject and writes one line per call to the
// file named by VTPS_FAKE_PLUGIN_LOG.  VTPS_FAKE_NO_PAGE makes CreatePage
// fail.  Its settings block is fixed; Import accepts blocks of 24 bytes or
// more and notes whether the bytes equal that block.
#include "plugin/product_option.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

LONG g_liveObjects = 0;

// RegUser.ini "[ini]", QRegUser.rdb empty, QRegEx.ini "opt".
const BYTE kBlock[] = {24, 0, 0, 0, 29, 0, 0, 0, 29, 0, 0, 0, 29, 0, 0, 0, 29, 0, 0, 0, 32, 0, 0, 0,
                       '[', 'i', 'n', 'i', ']', 'o', 'p', 't'};

bool EnvironmentSet(const wchar_t* name) { return GetEnvironmentVariableW(name, nullptr, 0) != 0; }

void Log(const std::string& line) {
    wchar_t path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"VTPS_FAKE_PLUGIN_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

class FakeOption final : public IProductOption {
public:
    FakeOption() { InterlockedIncrement(&g_liveObjects); }
    ~FakeOption() { InterlockedDecrement(&g_liveObjects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IProductOption) return E_NOINTERFACE;
        *out = static_cast<IProductOption*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            Log("destroyed");
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    LONG STDMETHODCALLTYPE GetTitle(WCHAR* buffer, DWORD* bytes) override {
        Log("GetTitle");
        // The count, not a terminator, ends the title: what follows is noise.
        static const wchar_t kText[] = L"Fake PageNOISE";
        std::memcpy(buffer, kText, sizeof(kText) - sizeof(wchar_t));
        *bytes = 9 * sizeof(WCHAR);
        return 1;
    }
    LONG STDMETHODCALLTYPE CreatePage(HWND parent, const RECT* rect) override {
        char line[96];
        std::snprintf(line, sizeof(line), "CreatePage %ld,%ld,%ld,%ld", rect->left, rect->top, rect->right, rect->bottom);
        Log(line);
        if (EnvironmentSet(L"VTPS_FAKE_NO_PAGE")) return 0;
        HWND page = CreateWindowExW(0, L"STATIC", L"fake page", WS_CHILD, rect->left, rect->top,
                                    rect->right - rect->left, rect->bottom - rect->top, parent, nullptr, nullptr, nullptr);
        return ShowWindow(page, SW_SHOWNA);
    }
    void STDMETHODCALLTYPE ShowPage() override { Log("ShowPage"); }
    void STDMETHODCALLTYPE HidePage() override { Log("HidePage"); }
    LONG STDMETHODCALLTYPE IsAvailable() override { return 1; }
    LONG STDMETHODCALLTYPE Load() override {
        Log("Load");
        return 0;
    }
    LONG STDMETHODCALLTYPE Apply() override {
        Log("Apply");
        return 0;
    }
    LONG STDMETHODCALLTYPE Export(BYTE* buffer, DWORD* size) override {
        Log(buffer ? "Export block" : "Export size");
        *size = sizeof(kBlock);
        if (!buffer) return 0;
        std::memcpy(buffer, kBlock, sizeof(kBlock));
        return 1;
    }
    LONG STDMETHODCALLTYPE LoadAndImport(const BYTE* blob, DWORD size) override {
        Load();
        return Import(blob, size);
    }
    void STDMETHODCALLTYPE Reserved() override {}
    LONG STDMETHODCALLTYPE ApplyAndExport(BYTE* buffer, DWORD* size) override {
        Apply();
        return Export(buffer, size);
    }
    LONG STDMETHODCALLTYPE Import(const BYTE* blob, DWORD size) override {
        bool same = size == sizeof(kBlock) && std::memcmp(blob, kBlock, size) == 0;
        Log("Import " + std::to_string(size) + (same ? " same" : " different"));
        return size >= 24 ? 1 : 0;
    }

private:
    LONG refs_ = 1;
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        FakeOption* object = new FakeOption;
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    // CoInitialize answers S_FALSE when the caller already set COM up.
    HRESULT probe = CoInitialize(nullptr);
    Log(probe == S_FALSE ? "com ready" : "com missing");
    if (SUCCEEDED(probe)) CoUninitialize();
    if (clsid != CLSID_VtPsSetPlugin) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_liveObjects == 0 ? S_OK : S_FALSE; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // reserved is null when the library is freed rather than the process ending.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) Log("freed, live objects " + std::to_string(g_liveObjects));
    return TRUE;
}
