#include "win/resource_module.h"

namespace {
HINSTANCE volatile g_hResourceModule = nullptr;
}

HINSTANCE ResourceModule() { return g_hResourceModule; }

HINSTANCE SetResourceModule(HINSTANCE module) {
    return static_cast<HINSTANCE>(::InterlockedExchangePointer(
        reinterpret_cast<void* volatile*>(&g_hResourceModule), module));
}

std::wstring LoadResourceString(UINT id) {
    // A zero buffer size returns a read-only pointer to the resource text.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}
