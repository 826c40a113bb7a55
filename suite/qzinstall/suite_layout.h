// Where the parts of the suite lie, as this library reports them: from
// QZInstall.ini beside the library when it names a place, otherwise derived
// from the library's own folder taken as the suite root.
//
// QZInstall.ini:
//   [Suite]          LanguageId=0x0409 (or decimal)   Root=<suite root>
//   [InstallPath]    <part>=<folder>
//   [DataFolder]     <product>=<the product's data root; the sub-folder is appended>
//   [ComponentFile]  <key, or the file name when asked without a key>=<file>
// Relative paths are taken from the library's folder.
#pragma once
#include <windows.h>
#include <optional>
#include <string>

class SuiteLayout {
public:
    // `libraryFolder`: the folder of QZInstall.dll, without trailing backslash.
    explicit SuiteLayout(std::wstring libraryFolder);
    // The layout as seen from the library `module`.
    static SuiteLayout ForModule(HMODULE module);

    std::wstring Root() const;
    // Folder of a part of the suite; a trailing backslash of `name` is kept.
    std::wstring InstallPath(const std::wstring& name) const;
    std::wstring DataFolder(const std::wstring& product, const std::wstring& subFolder) const;
    // The file, only when it exists.
    std::optional<std::wstring> ComponentFile(const std::wstring& key, const std::wstring& fileName) const;
    // 0x0804 when the setting is missing, zero or unreadable.
    LANGID LanguageId() const;

private:
    // Empty when the file, the section or the key is missing.
    std::wstring Setting(const wchar_t* section, const std::wstring& key) const;
    // A configured path made absolute, with no trailing backslash.
    std::wstring ConfiguredFolder(const std::wstring& value) const;

    std::wstring folder_;
    std::wstring iniPath_;
};
