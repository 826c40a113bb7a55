#include "plugin/file_replacement.h"

#include <cwchar>

#include "plugin/raii.h"

namespace {

const wchar_t kStageSuffix[] = L".stage";
const wchar_t kUndoSuffix[] = L".undo";
// A real file held open by another process (the component reading it, a
// scanner) cannot be renamed over for a moment; such a holder is waited for
// this long before the replacement counts as failed.
const int kBusyTries = 10;
const DWORD kBusyPauseMs = 50;
const DWORD kCopyChunk = 64 * 1024;

// "<real>.<process>-<n>": unique per process and replacement, so two
// processes applying at once never write into each other's staging files.
std::wstring PrivateName(const std::wstring& realPath, const wchar_t* suffix) {
    static LONG counter = 0;
    wchar_t tag[32];
    _snwprintf(tag, 31, L".%lX-%lX", ::GetCurrentProcessId(), static_cast<unsigned long>(::InterlockedIncrement(&counter)));
    tag[31] = 0;
    return realPath + tag + suffix;
}

bool WriteAll(HANDLE file, const BYTE* data, DWORD size) {
    DWORD done = 0;
    while (done < size) {
        DWORD wrote = 0;
        if (!::WriteFile(file, data + done, size - done, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

struct Bytes {
    const BYTE* data;
    DWORD size;
};

bool WriteBytes(HANDLE stage, const void* context) {
    const Bytes* bytes = static_cast<const Bytes*>(context);
    return WriteAll(stage, bytes->data, bytes->size);
}

bool WriteCopyOf(HANDLE stage, const void* context) {
    const std::wstring* source = static_cast<const std::wstring*>(context);
    UniqueFile from(::CreateFileW(source->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!from) return false;
    std::vector<BYTE> chunk(kCopyChunk);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(from.get(), chunk.data(), kCopyChunk, &got, nullptr)) return false;
        if (got == 0) return true;
        if (!WriteAll(stage, chunk.data(), got)) return false;
    }
}

bool IsBusy(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION; }

// Renames `from` over `to` in one step, waiting briefly for a busy target.
bool RenameOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        if (attempt + 1 >= kBusyTries || !IsBusy(::GetLastError())) return false;
        ::Sleep(kBusyPauseMs);
    }
}

// Waits briefly until no other process holds `path` in a way that forbids
// renaming over it; false when it stays held.  Asked before the undo link
// is made, since a link to a held file cannot be removed until it is let go.
bool WaitUntilReplaceable(const std::wstring& path) {
    for (int attempt = 0;; ++attempt) {
        UniqueFile probe(::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (probe) return true;
        if (attempt + 1 >= kBusyTries || !IsBusy(::GetLastError())) return false;
        ::Sleep(kBusyPauseMs);
    }
}

void DeleteMatching(const std::wstring& folder, const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileW((folder + found.cFileName).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

}  // namespace

FileReplacement::~FileReplacement() {
    for (const Staged& file : m_files) {
        ::DeleteFileW(file.stage.c_str());
        if (!file.undo.empty()) ::DeleteFileW(file.undo.c_str());
    }
}

bool FileReplacement::StageWith(const std::wstring& realPath, bool (*write)(HANDLE, const void*), const void* context) {
    if (realPath.empty()) return false;
    Staged file;
    file.real = realPath;
    file.stage = PrivateName(realPath, kStageSuffix);
    bool written = false;
    {
        // Not shared for deleting: a clean-up in another process leaves a
        // staging file alone while it is being written.
        UniqueFile stage(::CreateFileW(file.stage.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!stage) return false;
        written = write(stage.get(), context) && ::FlushFileBuffers(stage.get());
    }
    if (!written) {
        ::DeleteFileW(file.stage.c_str());
        return false;
    }
    m_files.push_back(std::move(file));
    return true;
}

bool FileReplacement::StageBytes(const std::wstring& realPath, const BYTE* data, DWORD size) {
    const Bytes bytes = {data, size};
    return StageWith(realPath, WriteBytes, &bytes);
}

bool FileReplacement::StageCopy(const std::wstring& realPath, const std::wstring& source) {
    return StageWith(realPath, WriteCopyOf, &source);
}

bool FileReplacement::Replace(Staged& file) {
    const DWORD attributes = ::GetFileAttributesW(file.real.c_str());
    file.existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (file.existed) {
        // A folder in the file's place, or a file the user made read-only,
        // is not replaced.
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
        if (!WaitUntilReplaceable(file.real)) return false;
        // The old bytes stay reachable under the undo name until the whole
        // set is replaced: a second link costs nothing, a copy is the fallback.
        file.undo = PrivateName(file.real, kUndoSuffix);
        if (!::CreateHardLinkW(file.undo.c_str(), file.real.c_str(), nullptr) &&
            !::CopyFileW(file.real.c_str(), file.undo.c_str(), FALSE)) {
            file.undo.clear();
            return false;
        }
    } else if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;  // neither there nor surely missing: leave it alone
    }
    file.replaced = RenameOver(file.stage, file.real);
    return file.replaced;
}

void FileReplacement::Undo() {
    for (auto it = m_files.rbegin(); it != m_files.rend(); ++it) {
        if (!it->replaced) continue;
        if (it->existed)
            RenameOver(it->undo, it->real);
        else
            ::DeleteFileW(it->real.c_str());
        it->replaced = false;
    }
}

bool FileReplacement::Commit() {
    for (Staged& file : m_files) {
        if (!Replace(file)) {
            Undo();
            return false;
        }
    }
    return true;
}

void RemoveLeftoverStaging(const std::wstring& realPath) {
    const size_t slash = realPath.find_last_of(L"\\/");
    if (realPath.empty() || slash == std::wstring::npos) return;
    const std::wstring folder = realPath.substr(0, slash + 1);
    const std::wstring name = realPath.substr(slash + 1);
    DeleteMatching(folder, name + L".*" + kStageSuffix);
    DeleteMatching(folder, name + L".*" + kUndoSuffix);
}
