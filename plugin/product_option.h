// IProductOption: the options console's option-page interface, implemented by
// the plug-in object.  Declared once here for the plug-in, the console and the
// tests.  Slots 0-2 are IUnknown's; the order below is the vtable order.
#pragma once
#include <windows.h>
#include <unknwn.h>

// {5D2B8F17-A3C4-4E61-9B0D-73E4C18A2F95}
static const IID IID_IProductOption = {0x5D2B8F17, 0xA3C4, 0x4E61, {0x9B, 0x0D, 0x73, 0xE4, 0xC1, 0x8A, 0x2F, 0x95}};
// {E3A5C1D9-47B2-4F0E-8C6A-2D91B7F04E38}: the class the class object serves.
static const CLSID CLSID_VtPsSetPlugin = {0xE3A5C1D9, 0x47B2, 0x4F0E, {0x8C, 0x6A, 0x2D, 0x91, 0xB7, 0xF0, 0x4E, 0x38}};
// {4C7E2A91-6B3D-4F58-9E12-A7C3D5B80F64}: the class id the registry script
// writes.  It differs from the one above on purpose.
static const CLSID CLSID_VtPsSetPluginRegistered = {0x4C7E2A91, 0x6B3D, 0x4F58, {0x9E, 0x12, 0xA7, 0xC3, 0xD5, 0xB8, 0x0F, 0x64}};

struct IProductOption : public IUnknown {
    // Copies the page title (the language module's IDS_PAGE_TITLE) as UTF-16
    // without a terminator and stores its byte count.  Always 1.
    virtual LONG STDMETHODCALLTYPE GetTitle(WCHAR* buffer, DWORD* bytes) = 0;
    // Loads, creates the page once, moves it to rect and shows it without
    // activating.  0 when no page exists, else ShowWindow's answer.
    virtual LONG STDMETHODCALLTYPE CreatePage(HWND parent, const RECT* rect) = 0;
    virtual void STDMETHODCALLTYPE ShowPage() = 0;
    virtual void STDMETHODCALLTYPE HidePage() = 0;
    virtual LONG STDMETHODCALLTYPE IsAvailable() = 0;  // always 1
    virtual LONG STDMETHODCALLTYPE Load() = 0;         // always 0
    virtual LONG STDMETHODCALLTYPE Apply() = 0;        // always 0
    // With a null buffer stores the blob size and returns 0; else copies the
    // blob, stores its size and returns 1.
    virtual LONG STDMETHODCALLTYPE Export(BYTE* buffer, DWORD* size) = 0;
    virtual LONG STDMETHODCALLTYPE LoadAndImport(const BYTE* blob, DWORD size) = 0;
    virtual void STDMETHODCALLTYPE Reserved() = 0;
    virtual LONG STDMETHODCALLTYPE ApplyAndExport(BYTE* buffer, DWORD* size) = 0;
    // 0 when size is 0 (or the blob is malformed), else 1.
    virtual LONG STDMETHODCALLTYPE Import(const BYTE* blob, DWORD size) = 0;
};
