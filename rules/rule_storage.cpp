#include "rules/rule_storage.h"

#include <cwchar>
#include <new>
#include <string>
#include <utility>

#include "win/ansi_text.h"

RuleStorage::RuleStorage(const wchar_t* storageName) {
    const wchar_t* name = storageName ? storageName : kDefaultStorageName;
    const size_t capacity = sizeof(m_szStorageName) / sizeof(m_szStorageName[0]);
    std::wcsncpy(m_szStorageName, name, capacity - 1);
    m_szStorageName[capacity - 1] = L'\0';
}

RuleStorage::~RuleStorage() {
    Close();
}

void RuleStorage::TakeLock(const wchar_t* path) {
    const std::string fileName = ToAnsi(LockFileNamePart(path));
    FormatLockName(HashLockPath(path), fileName.c_str(), m_szLockName);

    // Another holder signals the event when it closes the file; after 20 s the
    // file is opened anyway.
    UniqueHandle other(::OpenEventA(EVENT_ALL_ACCESS, FALSE, m_szLockName));
    if (other) ::WaitForSingleObject(other.get(), kLockWaitMs);

    // The holder's event stays open until ours is made: closed in between, it
    // could vanish, and the next opener would find no lock and go ahead.
    HANDLE created = ::CreateEventA(nullptr, FALSE, FALSE, m_szLockName);
    const bool existed = created && ::GetLastError() == ERROR_ALREADY_EXISTS;
    m_lock.reset(created);
    // No event a moment ago, one now: another opener made it in between and
    // holds the file, so wait for its Close like any other holder's.
    if (!other && existed) ::WaitForSingleObject(m_lock.get(), kLockWaitMs);
}

namespace {
// An empty file holds nothing to keep (an imported profile without a user
// database leaves one): it is no compound file, yet a writer may replace it.
bool IsEmptyFile(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return ::GetFileAttributesExW(path, GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.nFileSizeLow == 0 && data.nFileSizeHigh == 0;
}
}  // namespace

bool RuleStorage::OpenRoot(const wchar_t* path, bool readOnly) {
    HRESULT kind = ::StgIsStorageFile(path);
    if (kind == STG_E_PATHNOTFOUND) kind = STG_E_FILENOTFOUND;
    if (kind != S_OK && kind != STG_E_FILENOTFOUND && !readOnly && IsEmptyFile(path)) kind = STG_E_FILENOTFOUND;
    if (kind == STG_E_FILENOTFOUND) {
        if (readOnly) {
            m_outcome = StorageOpen::kMissing;
            return false;
        }
        const DWORD createMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
        ComPtr<IStorage> created;
        ComPtr<IStorage> sub;
        if (SUCCEEDED(::StgCreateDocfile(path, createMode, 0, created.put())))
            created->CreateStorage(m_szStorageName, createMode, 0, 0, sub.put());
        // Both released before the file is opened again in the normal way.
    } else if (kind == S_FALSE) {
        m_outcome = StorageOpen::kNotCompound;  // never overwritten
        return false;
    } else if (kind != S_OK) {
        m_outcome = StorageOpen::kFailed;  // there, but not readable now
        return false;
    }
    if (SUCCEEDED(::StgOpenStorage(path, nullptr, m_dwMode, nullptr, 0, m_root.put()))) return true;
    m_outcome = StorageOpen::kFailed;
    return false;
}

bool RuleStorage::OpenFile(const wchar_t* path, bool readOnly) {
    Close();
    TakeLock(path);
    m_dwMode = STGM_SHARE_EXCLUSIVE | (readOnly ? STGM_READ : STGM_READWRITE);
    if (!OpenRoot(path, readOnly)) return false;
    if (FAILED(m_root->OpenStorage(m_szStorageName, nullptr, m_dwMode, nullptr, 0, m_sub.put()))) {
        m_root.reset();
        m_outcome = StorageOpen::kNoSubStorage;
        return false;
    }
    m_outcome = StorageOpen::kOpen;
    return true;
}

std::unique_ptr<RuleStream> RuleStorage::OpenStream(const char* name) {
    if (!m_root || !m_sub) return nullptr;
    const std::wstring wideName = ToWide(name);
    ComPtr<IStream> stream;
    if (FAILED(m_sub->OpenStream(wideName.c_str(), nullptr, m_dwMode, 0, stream.put())) &&
        FAILED(m_sub->CreateStream(wideName.c_str(), m_dwMode | STGM_CREATE, 0, 0, stream.put())))
        return nullptr;
    return std::unique_ptr<RuleStream>(new (std::nothrow) RuleStream(std::move(stream)));
}

void RuleStorage::Close() {
    m_sub.reset();
    m_root.reset();
    if (m_lock) {
        ::SetEvent(m_lock.get());
        m_lock.reset();
    }
}
