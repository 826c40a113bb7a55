#include "plugin/startup.h"

#include <cstdarg>
#include <cwchar>

#include "plugin/com_module.h"
#include "win/dll_module.h"
#include "win/install_info.h"
#include "win/library_path.h"
#include "win/resource_module.h"

namespace {
HINSTANCE g_hLanguageModule = nullptr;  // never released
}

std::wstring DebugLineText(const wchar_t* text) {
    return std::wstring(L"\nVtPestrol: ") + text + L" \n";
}

void DebugLine(const wchar_t* format, ...) {
    wchar_t text[512];
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, 511, format, args);
    va_end(args);
    text[511] = 0;
    ::OutputDebugStringW(DebugLineText(text).c_str());
}

std::wstring LanguageModuleFileName(LANGID language) {
    wchar_t name[64];
    _snwprintf(name, 63, L"VtPesTrol%04X.lng", language);
    name[63] = 0;
    return name;
}

std::wstring LanguageModuleKey(LANGID language) {
    wchar_t key[64];
    _snwprintf(key, 63, L"pestrol%04X", language);
    key[63] = 0;
    return key;
}

std::wstring LanguageModulePath(LANGID language) {
    const std::wstring file = LanguageModuleFileName(language);
    const std::wstring key = LanguageModuleKey(language);
    wchar_t buffer[kPathChars] = {};
    if (QueryComponentFilePath(buffer, kPathChars, key.c_str(), file.c_str(), 0)) {
        buffer[kPathChars - 1] = 0;
        return buffer;
    }
    wchar_t folder[kPathChars] = {};
    if (QueryInstallPath(folder, kPathChars, L"AntiVirus\\lang\\")) {
        folder[kPathChars - 1] = 0;
        std::wstring path = std::wstring(folder) + file;
        // A path that does not fit the loader's buffer is not loaded.
        return path.size() < kPathChars ? path : std::wstring();
    }
    return std::wstring();
}

HINSTANCE LoadLanguageModule(LANGID language) {
    std::wstring path = LanguageModulePath(language);
    // An empty or relative path loads nothing; the resource module then
    // becomes null.
    HINSTANCE module = LoadLibraryByFullPath(path);
    g_hLanguageModule = module;
    DebugLine(L"LoadReDLLModule = %x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(module)));
    SetResourceModule(module);
    return module;
}

bool StartModule(HINSTANCE self) {
    SetModuleInstance(self);
    LoadLanguageModule(GetLanguageId());
    Common::CGlimraModule& skin = Common::GlimraModule();
    std::wstring skinPath = skin.GetPath();
    skin.Load(skinPath.c_str());
    DebugLine(L"DllMain HINSTANCE= %x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(self)));
    return ModuleInitialized();
}
