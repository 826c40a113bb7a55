#include "doctools/shothost/window_report.h"

#include <cstdio>

#include "win/raii.h"

std::string FormatWindowReport(const RECT& rect) {
    char line[64];
    std::snprintf(line, sizeof(line), "%ld %ld %ld %ld\n", static_cast<long>(rect.left), static_cast<long>(rect.top),
                  static_cast<long>(rect.right - rect.left), static_cast<long>(rect.bottom - rect.top));
    return line;
}

std::string FormatErrorReport(const std::wstring& text) {
    std::string line = "error ";
    // The script only prints it: keep ASCII, mark the rest.
    for (wchar_t c : text) line += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    return line + "\n";
}

bool WriteReportFile(const std::wstring& path, const std::string& line) {
    if (path.empty()) return true;
    const std::wstring partial = path + L".part";
    {
        UniqueResource<HANDLE, FileHandleTraits> file(
            ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        if (!::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
            written != line.size())
            return false;
    }
    return ::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool ReportTakenAway(const std::wstring& path) {
    return !path.empty() && ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}
