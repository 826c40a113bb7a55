#include "suite/qzinstall/suite_layout.h"

#include "core/ascii_case.h"
#include "suite/qzinstall/language_names.h"
#include "win/library_path.h"

#include <utility>
#include <vector>

namespace {

constexpr LANGID kDefaultLanguage = 0x0804;
constexpr wchar_t kIniName[] = L"QZInstall.ini";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring WithoutTrailingSeparators(std::wstring path) {
    // "C:\" keeps its backslash: without it the path means the drive's current folder.
    while (path.size() > 1 && IsSeparator(path.back()) && !(path.size() == 3 && path[1] == L':')) path.pop_back();
    return path;
}

std::wstring Join(const std::wstring& folder, const std::wstring& rest) {
    if (rest.empty()) return folder;
    size_t skip = 0;
    while (skip < rest.size() && IsSeparator(rest[skip])) ++skip;
    if (!folder.empty() && IsSeparator(folder.back())) return folder + rest.substr(skip);
    return folder + L"\\" + rest.substr(skip);
}

bool IsAbsolute(const std::wstring& path) {
    return (path.size() >= 2 && path[1] == L':') || (!path.empty() && IsSeparator(path[0]));
}

std::wstring FullPath(const std::wstring& path) {
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> buffer(needed);
    DWORD written = GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    if (written == 0 || written >= needed) return path;
    return std::wstring(buffer.data(), written);
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

SuiteLayout::SuiteLayout(std::wstring libraryFolder)
    : folder_(WithoutTrailingSeparators(std::move(libraryFolder))), iniPath_(Join(folder_, kIniName)) {}

SuiteLayout SuiteLayout::ForModule(HMODULE module) { return SuiteLayout(ModuleFolder(module)); }

std::wstring SuiteLayout::Setting(const wchar_t* section, const std::wstring& key) const {
    if (key.empty()) return std::wstring();
    std::vector<wchar_t> buffer(512);
    for (;;) {
        DWORD length = GetPrivateProfileStringW(section, key.c_str(), L"", buffer.data(),
                                                static_cast<DWORD>(buffer.size()), iniPath_.c_str());
        // A full buffer (size - 1) may mean a cut value: read again with more room.
        if (length + 1 < buffer.size() || buffer.size() >= 32768) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring SuiteLayout::ConfiguredFolder(const std::wstring& value) const {
    return WithoutTrailingSeparators(FullPath(IsAbsolute(value) ? value : Join(folder_, value)));
}

std::wstring SuiteLayout::Root() const {
    std::wstring configured = Setting(L"Suite", L"Root");
    return configured.empty() ? folder_ : ConfiguredFolder(configured);
}

std::wstring SuiteLayout::InstallPath(const std::wstring& name) const {
    const bool wantsTrailingSeparator = !name.empty() && IsSeparator(name.back());
    std::wstring path;
    std::wstring whole = Setting(L"InstallPath", name);
    if (!whole.empty()) {
        path = ConfiguredFolder(whole);
    } else {
        // "AntiVirus\lang\" follows a configured "AntiVirus".
        size_t split = name.find_first_of(L"\\/");
        std::wstring head = split == std::wstring::npos ? name : name.substr(0, split);
        std::wstring configuredHead = Setting(L"InstallPath", head);
        if (!configuredHead.empty() && split != std::wstring::npos) {
            path = Join(ConfiguredFolder(configuredHead), name.substr(split + 1));
        } else {
            path = Join(Root(), name);
        }
    }
    if (wantsTrailingSeparator && !IsSeparator(path.back())) path += L'\\';
    return path;
}

std::wstring SuiteLayout::DataFolder(const std::wstring& product, const std::wstring& subFolder) const {
    std::wstring configured = Setting(L"DataFolder", product);
    std::wstring base = configured.empty() ? Join(Root(), product) : ConfiguredFolder(configured);
    return Join(base, subFolder);
}

std::optional<std::wstring> SuiteLayout::ComponentFile(const std::wstring& key, const std::wstring& fileName) const {
    if (fileName.empty()) return std::nullopt;
    std::wstring path;
    std::wstring configured = Setting(L"ComponentFile", key.empty() ? fileName : key);
    if (!configured.empty()) {
        path = FullPath(IsAbsolute(configured) ? configured : Join(folder_, configured));
    } else if (EqualIgnoringAsciiCase(fileName, L"Glimra.dll")) {
        path = Join(InstallPath(L"Glimra"), fileName);
    } else if (IsLanguageFileName(fileName)) {
        path = Join(InstallPath(L"AntiVirus\\lang\\"), fileName);
    } else {
        return std::nullopt;
    }
    if (!FileExists(path)) return std::nullopt;
    return path;
}

LANGID SuiteLayout::LanguageId() const {
    std::optional<unsigned short> id = ParseLanguageId(Setting(L"Suite", L"LanguageId"));
    return (id && *id != 0) ? *id : kDefaultLanguage;
}
