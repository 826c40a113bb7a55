// CVtPsSetPlugin: the one creatable class.  It carries only its reference
// count; everything it works on is process-wide.
#pragma once
#include "plugin/product_option.h"

class CVtPsSetPlugin : public IProductOption {
public:
    // Creates the main page object when none exists.  The creator (the class
    // object) takes the module lock after construction; the destructor
    // releases it.
    CVtPsSetPlugin();
    virtual ~CVtPsSetPlugin();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    LONG STDMETHODCALLTYPE GetTitle(WCHAR* buffer, DWORD* bytes) override;
    LONG STDMETHODCALLTYPE CreatePage(HWND parent, const RECT* rect) override;
    void STDMETHODCALLTYPE ShowPage() override;
    void STDMETHODCALLTYPE HidePage() override;
    LONG STDMETHODCALLTYPE IsAvailable() override;
    LONG STDMETHODCALLTYPE Load() override;
    LONG STDMETHODCALLTYPE Apply() override;
    LONG STDMETHODCALLTYPE Export(BYTE* buffer, DWORD* size) override;
    LONG STDMETHODCALLTYPE LoadAndImport(const BYTE* blob, DWORD size) override;
    void STDMETHODCALLTYPE Reserved() override;
    LONG STDMETHODCALLTYPE ApplyAndExport(BYTE* buffer, DWORD* size) override;
    LONG STDMETHODCALLTYPE Import(const BYTE* blob, DWORD size) override;

private:
    LONG m_dwRef = 0;  // single-threaded apartment: not interlocked
};
