#include "tests/suite/suite_test_support.h"

#include "win/ansi_text.h"
#include "win/raii.h"

#include <vector>

namespace {

void CreateParents(const std::wstring& path) {
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    }
}

}  // namespace

std::wstring WinePathFromUnix(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c) path += (*c == '/') ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

std::wstring SuiteDir() { return WinePathFromUnix(VTPS_SUITE_DIR_UNIX); }

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    CreateParents(path);
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size());
}

std::string ReadBytes(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyInto(const std::wstring& source, const std::wstring& target) {
    CreateParents(target);
    return CopyFileW(source.c_str(), target.c_str(), FALSE) != 0;
}

std::string Narrow(const std::wstring& text) { return ToUtf8(text.c_str()); }

Outcome RunProgram(const std::wstring& program, const std::wstring& arguments, const ScratchDir& scratch) {
    return testing_support::RunProgram(L"\"" + program + L"\" " + arguments, scratch.Path(), 60000);
}
