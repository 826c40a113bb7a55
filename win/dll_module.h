// Wrappers around the suite's sibling libraries, loaded at start-up.
#pragma once
#include <windows.h>
#include <string>
#include "win/raii.h"
#include "win/skin_style.h"

// Base of wrappers around a dynamically loaded library.
class CDLLModule {
public:
    CDLLModule() = default;
    virtual ~CDLLModule();
    CDLLModule(const CDLLModule&) = delete;
    CDLLModule& operator=(const CDLLModule&) = delete;

    virtual void Free();
    virtual bool Load(const wchar_t* path) = 0;
    virtual std::wstring GetPath() = 0;

    HMODULE Handle() const { return m_hModule.get(); }

protected:
    UniqueModule m_hModule;
};

namespace Common {

// The skin library, Glimra.dll: eight entry points resolved by name.
class CGlimraModule : public CDLLModule {
public:
    bool Load(const wchar_t* path) override;
    std::wstring GetPath() override;

    // Null when the library or the export is missing.
    GetWindowStyleFn m_pfnGetWindowStyle = nullptr;
    FARPROC m_pfnEnableFrameStyledEx = nullptr;
    FARPROC m_pfnSetForbidStaticColor = nullptr;
    FARPROC m_pfnNewInstance_IQzMenu = nullptr;
    FARPROC m_pfnSetGuiConsume = nullptr;
    FARPROC m_pfnGetQzMenuColor = nullptr;
    FARPROC m_pfnQzMenuDraw = nullptr;
    FARPROC m_pfnNotifyStyleChanged = nullptr;

private:
    void Resolve();
};

// The process-wide skin library wrapper (not loaded until start-up).
CGlimraModule& GlimraModule();

}  // namespace Common

// The window-style object of the skin library, or null when the library, its
// GetWindowStyle export or the object is missing.
IWindowStyle* CurrentWindowStyle();
