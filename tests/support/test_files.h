// Helpers shared by the Windows test programs: where the build put things,
// scratch folders, whole-file reads and writes.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace testing_support {

// A Unix path of the build as a Windows path under Wine's Z: drive.
std::wstring FromUnixPath(const char* unixPath);
std::wstring SuiteDir();  // build/suite
std::wstring BuildDir();

// A fresh, empty folder under the system temp folder, removed by its owner.
class ScratchDir {
public:
    explicit ScratchDir(const wchar_t* tag);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
bool CopyTree(const std::wstring& from, const std::wstring& to);
bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);  // empty when missing
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string Narrow(const std::wstring& text);  // to the ANSI code page
std::wstring Widen(const std::string& text);   // from the ANSI code page

}  // namespace testing_support
