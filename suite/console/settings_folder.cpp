#include "suite/console/settings_folder.h"

#include <windows.h>

#include <shlobj.h>

#include "win/raii.h"

namespace {

struct FindTraits {  // FindFirstFile: INVALID_HANDLE_VALUE is invalid
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE search) { return search != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE search) { ::FindClose(search); }
};
using UniqueFind = UniqueResource<HANDLE, FindTraits>;

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    {
        UniqueFind search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
        for (bool more = static_cast<bool>(search); more; more = ::FindNextFileW(search.get(), &found)) {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                ::DeleteFileW(full.c_str());
        }
    }
    return ::RemoveDirectoryW(folder.c_str()) || !Exists(folder);
}

}  // namespace

SettingsFolder::SettingsFolder() {
    wchar_t appData[MAX_PATH] = {};
    // The plug-in asks the shell for the same folder.
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)) && appData[0]) {
        path_ = std::wstring(appData) + L"\\Veltrane\\Pestrol";
        aside_ = path_ + L".walk-through-saved";
    }
}

bool SettingsFolder::PutAside(std::wstring& problem) {
    if (path_.empty()) {
        problem = L"the per-user application data folder cannot be found";
        return false;
    }
    if (Exists(aside_)) {
        problem = L"an earlier walk-through left your settings in " + aside_ + L"; move them back first";
        return false;
    }
    if (Exists(path_)) {
        if (!::MoveFileExW(path_.c_str(), aside_.c_str(), 0)) {
            problem = L"cannot put your settings folder " + path_ + L" aside (error " +
                      std::to_wstring(::GetLastError()) + L")";
            return false;
        }
        putAside_ = true;
    }
    active_ = true;
    return true;
}

bool SettingsFolder::Remove() { return path_.empty() || RemoveTree(path_); }

bool SettingsFolder::Restore() {
    if (!active_) return true;
    active_ = false;
    const bool removed = Remove();
    if (!putAside_) return removed;
    return removed && ::MoveFileExW(aside_.c_str(), path_.c_str(), 0);
}
