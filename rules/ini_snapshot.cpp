#include "rules/ini_snapshot.h"

#include <windows.h>

#include "plugin/raii.h"

namespace {

// The profile functions of some systems parse a file written in the last two
// seconds anew on every call (its time may not yet tell a later change
// apart): one call per section would parse the whole copy each time.  The
// copy is dated an hour back; its name is new, so no older copy can be
// mistaken for it.
const ULONGLONG kBackdating = 3600ull * 10000000ull;

bool WriteAll(HANDLE file, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        if (!::WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr) ||
            wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

bool DateBack(HANDLE file) {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time;
    time.LowPart = now.dwLowDateTime;
    time.HighPart = now.dwHighDateTime;
    time.QuadPart -= kBackdating;
    FILETIME then = {time.LowPart, time.HighPart};
    return ::SetFileTime(file, nullptr, nullptr, &then) != FALSE;
}

}  // namespace

IniSnapshot::IniSnapshot(const char* path, std::string_view bytes) {
    std::string folder(path);
    const size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash);
    char name[MAX_PATH] = "";
    if (folder.empty() || !::GetTempFileNameA(folder.c_str(), "vtp", 0, name)) return;
    bool written = false;
    {
        UniqueFile file(::CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        written = file && WriteAll(file.get(), bytes) && DateBack(file.get());
    }
    if (written)
        path_ = name;
    else
        ::DeleteFileA(name);
}

IniSnapshot::~IniSnapshot() {
    if (path_.empty()) return;
    // All three names null: the documented way to flush the cache of a file.
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());
    ::DeleteFileA(path_.c_str());
}
