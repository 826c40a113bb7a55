#include "win/install_info.h"

#include <memory>

#include "win/library_path.h"
#include "win/platform.h"

namespace {

// The installer-information library is looked for by full path, and only
// where the file exists: first in the host program's folder (where the
// loader's own search would find it first), then in the plug-in's own folder
// (a folder the suite owns; hosts such as regsvr32 live elsewhere), then in
// the system folder.  Never in the current folder or along PATH.
std::wstring FindInstallLibrary(const wchar_t* name) {
    std::wstring path = ExistingFileIn(ModuleFolder(nullptr), name);
    if (path.empty()) path = ExistingFileIn(ModuleFolder(ModuleOfThisCode()), name);
    if (path.empty()) {
        wchar_t system[MAX_PATH];
        UINT length = CurrentPlatform().SystemDirectoryW(system, MAX_PATH);
        if (length > 0 && length < MAX_PATH) path = ExistingFileIn(std::wstring(system, length), name);
    }
    return path;
}

}  // namespace

const WORD QZInstallModule::kOrdinals[kOrdinalCount] = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19};

QZInstallModule::~QZInstallModule() = default;

void QZInstallModule::Free() { m_hModule.reset(); }

bool QZInstallModule::Load(const wchar_t* path) {
    Free();
    m_hModule.reset(LoadLibraryByFullPath(path ? std::wstring(path) : FindInstallLibrary(GetName())));
    for (int i = 0; i < kOrdinalCount; ++i)
        m_entries[i] = m_hModule ? ::GetProcAddress(m_hModule.get(), MAKEINTRESOURCEA(kOrdinals[i])) : nullptr;
    return static_cast<bool>(m_hModule);
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

std::wstring SuiteDataFolder() {
    // A relative answer would name a folder wherever the current folder or
    // drive happens to be.
    wchar_t folder[kPathChars] = {};
    if (QueryDataFolder(folder, kPathChars, L"AntiVirus", L"Data\\")) {
        folder[kPathChars - 1] = 0;
        return IsFullPath(folder) ? std::wstring(folder) : std::wstring();
    }
    const std::wstring install = GetInstallPath(L"AntiVirus");
    return IsFullPath(install) ? install + L"\\Data\\" : std::wstring();
}
