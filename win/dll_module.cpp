#include "win/dll_module.h"

#include "win/install_info.h"
#include "win/library_path.h"

CDLLModule::~CDLLModule() = default;

void CDLLModule::Free() { m_hModule.reset(); }

namespace Common {

std::wstring CGlimraModule::GetPath() {
    std::wstring path = GetComponentFilePath(nullptr, L"Glimra.dll");
    if (path.empty()) {
        // No install path means no skin library, not one at the drive's root.
        std::wstring folder = GetInstallPath(L"Glimra");
        if (!folder.empty()) path = folder + L"\\" + L"Glimra.dll";
    }
    return path;
}

bool CGlimraModule::Load(const wchar_t* path) {
    Free();
    std::wstring where = path ? std::wstring(path) : GetPath();
    // Only a full path the installer library gave is loaded; the library
    // finds its own dependencies beside it.
    m_hModule.reset(LoadLibraryByFullPath(where));
    Resolve();
    return static_cast<bool>(m_hModule);
}

void CGlimraModule::Resolve() {
    auto find = [this](const char* name) -> FARPROC {
        return m_hModule ? ::GetProcAddress(m_hModule.get(), name) : nullptr;
    };
    m_pfnGetWindowStyle = reinterpret_cast<GetWindowStyleFn>(find("GetWindowStyle"));
    m_pfnEnableFrameStyledEx = find("EnableFrameStyledEx");
    m_pfnSetForbidStaticColor = find("SetForbidStaticColor");
    m_pfnNewInstance_IQzMenu = find("NewInstance_IQzMenu");
    m_pfnSetGuiConsume = find("SetGuiConsume");
    m_pfnGetQzMenuColor = find("GetQzMenuColor");
    m_pfnQzMenuDraw = find("QzMenuDraw");
    m_pfnNotifyStyleChanged = find("NotifyStyleChanged");
}

CGlimraModule& GlimraModule() {
    // Freed by static destruction at unload.
    static CGlimraModule module;
    return module;
}

}  // namespace Common

IWindowStyle* CurrentWindowStyle() {
    Common::CGlimraModule& skin = Common::GlimraModule();
    if (!skin.Handle() || !skin.m_pfnGetWindowStyle) return nullptr;
    return skin.m_pfnGetWindowStyle();
}
