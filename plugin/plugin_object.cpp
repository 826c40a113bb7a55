#include "plugin/plugin_object.h"

#include <cstring>
#include <new>

#include "dialogs/pestrol_set_dlg.h"
#include "lang/resource.h"
#include "plugin/com_module.h"
#include "plugin/globals.h"
#include "win/no_throw.h"
#include "win/resource_module.h"
#include "plugin/settings_transfer.h"

namespace {
HWND PageWindow() { return g_pSetDlg ? g_pSetDlg->m_hWnd : nullptr; }

// The page's Apply: the working copies over the real files (its result
// reaches no caller: Apply answers 0 whatever happened).
void ApplySettings() { ApplyWorkingCopies(); }
}  // namespace

CVtPsSetPlugin::CVtPsSetPlugin() {
    if (!g_pSetDlg) g_pSetDlg.reset(new (std::nothrow) CPestrolSetDlg(ApplySettings));
    ::OutputDebugStringW(L"\nVtPestrol: CVtPsSetPlugin::CVtPsSetPlugin \n");
}

CVtPsSetPlugin::~CVtPsSetPlugin() {
    ModuleUnlock();
    // The page object goes with the first plug-in object destroyed; its
    // window, a child of the console's, is handed back to plain handling.
    g_pSetDlg.reset();
}

HRESULT STDMETHODCALLTYPE CVtPsSetPlugin::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IProductOption)) {
        *object = static_cast<IProductOption*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CVtPsSetPlugin::AddRef() { return static_cast<ULONG>(++m_dwRef); }

ULONG STDMETHODCALLTYPE CVtPsSetPlugin::Release() {
    LONG count = --m_dwRef;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

// The console's operations never let an exception out (plugin/no_throw.h);
// what each answers when the work below it throws:
//
//   GetTitle        0, with *bytes 0: no title
//   CreatePage      0: no page shown
//   ShowPage        -, HidePage -: nothing happened
//   Load            0: its only answer; the store keeps what it had read
//   Apply           0: its only answer; files not copied stay as they were
//   Export          0, as for a blob that could not be made
//   ApplyAndExport  0, as Export
//   LoadAndImport   0, as Import
//   Import          0: not imported
//
// IsAvailable, Reserved, QueryInterface, AddRef and Release run nothing that
// throws.

LONG STDMETHODCALLTYPE CVtPsSetPlugin::GetTitle(WCHAR* buffer, DWORD* bytes) {
    const LONG result = CallNoThrow(0L, [&] {
        std::wstring title = LoadResourceString(IDS_PAGE_TITLE);
        const DWORD byteCount = static_cast<DWORD>(title.size() * sizeof(WCHAR));
        if (bytes) *bytes = byteCount;
        // No terminator: the console takes the byte count.
        if (buffer && byteCount) std::memcpy(buffer, title.data(), byteCount);
        return 1L;
    });
    if (!result && bytes) *bytes = 0;
    return result;
}

LONG STDMETHODCALLTYPE CVtPsSetPlugin::CreatePage(HWND parent, const RECT* rect) {
    return CallNoThrow(0L, [&]() -> LONG {
        Load();
        if (!g_pSetDlg) return 0;
        if (!PageWindow()) g_pSetDlg->Create(parent);
        HWND page = PageWindow();
        if (!page) return 0;
        if (rect) ::MoveWindow(page, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
        return ::ShowWindow(page, SW_SHOWNA);
    });
}

void STDMETHODCALLTYPE CVtPsSetPlugin::ShowPage() {
    CallNoThrow([] {
        if (HWND page = PageWindow()) ::ShowWindow(page, SW_SHOW);
    });
}

void STDMETHODCALLTYPE CVtPsSetPlugin::HidePage() {
    CallNoThrow([] {
        if (HWND page = PageWindow()) ::ShowWindow(page, SW_HIDE);
    });
}

LONG STDMETHODCALLTYPE CVtPsSetPlugin::IsAvailable() { return 1; }

LONG STDMETHODCALLTYPE CVtPsSetPlugin::Load() {
    return CallNoThrow(0L, [] {
        LoadSettings();
        return 0L;
    });
}

LONG STDMETHODCALLTYPE CVtPsSetPlugin::Apply() {
    return CallNoThrow(0L, [] {
        // Apply works on process-wide state only, so it also runs when the
        // page object could not be allocated.
        if (g_pSetDlg)
            g_pSetDlg->Apply();
        else
            ApplySettings();
        return 0L;
    });
}

LONG STDMETHODCALLTYPE CVtPsSetPlugin::Export(BYTE* buffer, DWORD* size) {
    return CallNoThrow(0L, [&]() -> LONG {
        Load();
        return ExportSettings(buffer, size) ? 1 : 0;
    });
}

LONG STDMETHODCALLTYPE CVtPsSetPlugin::LoadAndImport(const BYTE* blob, DWORD size) {
    return CallNoThrow(0L, [&] {
        Load();
        return Import(blob, size);
    });
}

void STDMETHODCALLTYPE CVtPsSetPlugin::Reserved() {}

LONG STDMETHODCALLTYPE CVtPsSetPlugin::ApplyAndExport(BYTE* buffer, DWORD* size) {
    return CallNoThrow(0L, [&] {
        Apply();
        return Export(buffer, size);
    });
}

LONG STDMETHODCALLTYPE CVtPsSetPlugin::Import(const BYTE* blob, DWORD size) {
    return CallNoThrow(0L, [&]() -> LONG {
        if (!ImportSettings(blob, size)) return 0;
        Load();
        return 1;
    });
}
