// Helpers shared by the suite stand-in tests: build folders as Wine sees
// them, scratch folders, small files.
#pragma once
#include <windows.h>

#include <string>

// "/work/x" -> "Z:\work\x": Wine maps the Unix root to drive Z.
std::wstring WinePathFromUnix(const char* unixPath);
// The build's suite folder, where the stand-ins are laid out.
std::wstring SuiteDir();

// A fresh folder under the temporary folder, removed with all its contents.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    // path() + "\" + relative.
    std::wstring Sub(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

// Creates the folders of `path` as needed and writes `bytes` to it.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool CopyInto(const std::wstring& source, const std::wstring& target);
std::string Narrow(const std::wstring& text);  // to UTF-8

// What a program run left: its exit code (0xFFFFFFFF when it could not be
// started or ran for over a minute) and its output streams.
struct Outcome {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};
// Runs `program` with `arguments`; its output goes through files in `scratch`.
Outcome RunProgram(const std::wstring& program, const std::wstring& arguments, const TempFolder& scratch);
