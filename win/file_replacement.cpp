#include "win/file_replacement.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "win/file_read.h"
#include "win/raii.h"

namespace {

const wchar_t kStageSuffix[] = L".stage";
const wchar_t kUndoSuffix[] = L".undo";
// A real file held open by another process (the component reading it, a
// scanner) cannot be renamed over for a moment; such a holder is waited for
// this long before the replacement counts as failed.
const int kBusyTries = 10;
const DWORD kBusyPauseMs = 50;
// A settings file is read whole into memory to be staged; none comes near.
const LONGLONG kMaxStagedCopyBytes = 256LL * 1024 * 1024;

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

bool EndsWith(const std::wstring& text, const wchar_t* suffix) {
    const size_t n = std::wcslen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// "<file>.<anything>.stage" or ".undo", the file's name in any case.
bool IsLeftoverOf(const std::wstring& name, const std::wstring& file) {
    if (name.size() <= file.size() + 1 || name[file.size()] != L'.') return false;
    if (::CompareStringOrdinal(name.c_str(), static_cast<int>(file.size()), file.c_str(),
                               static_cast<int>(file.size()), TRUE) != CSTR_EQUAL)
        return false;
    return EndsWith(name, kStageSuffix) || EndsWith(name, kUndoSuffix);
}

}  // namespace

FileReplacement::~FileReplacement() {
    for (Staged& file : m_files) {
        file.handle.reset();
        ::DeleteFileW(file.stage.c_str());
        if (!file.undo.empty()) ::DeleteFileW(file.undo.c_str());
    }
}

// Each staging file stays open, not shared for deleting, until the commit:
// a clean-up in another process leaves it alone meanwhile.
UniqueFile FileReplacement::OpenStage(const std::wstring& path, DWORD disposition) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool FileReplacement::Keep(Staged file, bool written) {
    if (!written) {
        file.handle.reset();
        ::DeleteFileW(file.stage.c_str());
        return false;
    }
    m_files.push_back(std::move(file));
    return true;
}

bool FileReplacement::StageBytes(const std::wstring& realPath, const BYTE* data, DWORD size) {
    if (realPath.empty()) return false;
    Staged file;
    file.real = realPath;
    file.stage = PrivateName(realPath, kStageSuffix);
    file.handle = OpenStage(file.stage, CREATE_ALWAYS);
    if (!file.handle) return false;
    const bool written = WriteAll(file.handle.get(), data, size);
    return Keep(std::move(file), written);
}

bool FileReplacement::StageCopy(const std::wstring& realPath, const std::wstring& source) {
    if (realPath.empty()) return false;
    // Read whole and written through the staging file's own handle: one
    // open of each file, and the copy is a plain file whatever the source's
    // attributes (a read-only working copy must not make the real file
    // read-only).
    UniqueFile from(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    if (!from || !::GetFileSizeEx(from.get(), &size) || size.QuadPart > kMaxStagedCopyBytes) return false;
    const DWORD total = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[total ? total : 1]);
    if (!bytes) return false;
    DWORD done = 0;
    if (!ReadUpTo(from.get(), bytes.get(), total, done)) return false;
    // A file that shrank while read is staged as it was read.
    return StageBytes(realPath, bytes.get(), done);
}

bool FileReplacement::Replace(Staged& file, bool keepUndo) {
    const DWORD attributes = ::GetFileAttributesW(file.real.c_str());
    file.existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (!file.existed && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;  // neither there nor surely missing: leave it alone
    // A folder in the file's place, or a file the user made read-only, is
    // not replaced.
    if (file.existed && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) return false;
    // The old bytes stay reachable under the undo name until the whole set
    // is replaced: a second link costs nothing, a copy is the fallback.  The
    // last file of a set needs none, as nothing after it can fail; the
    // rename itself waits for a holder of that one.
    if (file.existed && keepUndo) {
        if (!WaitUntilReplaceable(file.real)) return false;
        file.undo = PrivateName(file.real, kUndoSuffix);
        if (!::CreateHardLinkW(file.undo.c_str(), file.real.c_str(), nullptr) &&
            !::CopyFileW(file.real.c_str(), file.undo.c_str(), FALSE)) {
            file.undo.clear();
            return false;
        }
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
    // Every staged file reaches the disk before the first real file is
    // replaced; flushed one after the other, the later ones mostly find
    // their bytes written already.
    for (Staged& file : m_files)
        if (!::FlushFileBuffers(file.handle.get())) return false;
    for (Staged& file : m_files) file.handle.reset();
    for (Staged& file : m_files) {
        if (!Replace(file, &file != &m_files.back())) {
            Undo();
            return false;
        }
    }
    return true;
}

void RemoveLeftoverStaging(const std::vector<std::wstring>& realPaths) {
    // One look at each folder: the names are "<file>.<process>-<n>.stage"
    // and ".undo" of the given files.
    std::vector<std::wstring> folders;
    for (const std::wstring& real : realPaths) {
        const size_t slash = real.find_last_of(L"\\/");
        if (slash == std::wstring::npos) continue;
        const std::wstring folder = real.substr(0, slash + 1);
        if (std::find(folders.begin(), folders.end(), folder) != folders.end()) continue;
        folders.push_back(folder);
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const std::wstring name = found.cFileName;
            for (const std::wstring& other : realPaths) {
                if (other.compare(0, slash + 1, folder) != 0) continue;
                if (IsLeftoverOf(name, other.substr(slash + 1))) {
                    ::DeleteFileW((folder + name).c_str());
                    break;
                }
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
}
