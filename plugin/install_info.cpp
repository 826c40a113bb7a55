#include "plugin/install_info.h"

#include <memory>

const WORD QZInstallModule::kOrdinals[kOrdinalCount] = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19};

QZInstallModule::~QZInstallModule() {
    if (m_hModule) ::FreeLibrary(m_hModule);
}

void QZInstallModule::Free() {
    if (m_hModule) {
        ::FreeLibrary(m_hModule);
        m_hModule = nullptr;
    }
}

bool QZInstallModule::Load(const wchar_t* path) {
    Free();
    m_hModule = ::LoadLibraryExW(path ? path : GetName(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    for (int i = 0; i < kOrdinalCount; ++i)
        m_entries[i] = m_hModule ? ::GetProcAddress(m_hModule, MAKEINTRESOURCEA(kOrdinals[i])) : nullptr;
    return m_hModule != nullptr;
}

FARPROC QZInstallModule::Entry(WORD ordinal) const {
    for (int i = 0; i < kOrdinalCount; ++i)
        if (kOrdinals[i] == ordinal) return m_entries[i];
    return nullptr;
}

namespace {

std::unique_ptr<QZInstallModule>& InstanceSlot() {
    static std::unique_ptr<QZInstallModule> instance;
    return instance;
}

// The loaded library's entry for an ordinal, or null when it cannot answer.
template <typename Fn>
Fn LoadedEntry(WORD ordinal) {
    QZInstallModule* module = InstallModule();
    if (!module) return nullptr;
    if (!module->Handle() && !module->Load(nullptr)) return nullptr;
    return reinterpret_cast<Fn>(module->Entry(ordinal));
}

}  // namespace

QZInstallModule* InstallModule() {
    std::unique_ptr<QZInstallModule>& slot = InstanceSlot();
    if (!slot) slot.reset(new (std::nothrow) QZInstallModule());
    return slot.get();
}

void DeleteInstallModule() { InstanceSlot().reset(); }

std::wstring GetInstallPath(const wchar_t* name) {
    auto fn = LoadedEntry<QzGetInstallPathFn>(1);
    if (!fn) return std::wstring();
    wchar_t buffer[kPathChars] = {};
    fn(buffer, kPathChars, name);
    buffer[kPathChars - 1] = 0;  // never trust the answer to be terminated
    return buffer;
}

BOOL QueryInstallPath(wchar_t* buffer, UINT count, const wchar_t* name) {
    auto fn = LoadedEntry<QzGetInstallPathFn>(1);
    return fn ? fn(buffer, count, name) : FALSE;
}

std::wstring GetComponentFilePath(const wchar_t* key, const wchar_t* fileName) {
    auto fn = LoadedEntry<QzGetComponentFileFn>(5);
    if (!fn) return std::wstring();
    wchar_t buffer[kPathChars] = {};
    fn(buffer, kPathChars, key, fileName, 0);
    buffer[kPathChars - 1] = 0;
    return buffer;
}

BOOL QueryComponentFilePath(wchar_t* buffer, UINT count, const wchar_t* key, const wchar_t* fileName, DWORD reserved) {
    auto fn = LoadedEntry<QzGetComponentFileFn>(5);
    return fn ? fn(buffer, count, key, fileName, reserved) : FALSE;
}

BOOL QueryDataFolder(wchar_t* buffer, UINT count, const wchar_t* product, const wchar_t* subFolder) {
    auto fn = LoadedEntry<QzGetDataFolderFn>(6);
    return fn ? fn(buffer, count, product, subFolder) : FALSE;
}

LANGID GetLanguageId() {
    auto fn = LoadedEntry<QzGetLanguageIdFn>(15);
    if (!fn) return 0x0804;
    LANGID id = fn();
    return id ? id : 0x0804;
}
