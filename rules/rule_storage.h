// One open rule database file: a compound file whose streams lie in one
// sub-storage, opened under a named cross-process lock event.
#pragma once
#include <objidl.h>

#include <memory>

#include "core/lock_name.h"
#include "win/raii.h"
#include "rules/rule_stream.h"

const wchar_t kDefaultStorageName[] = L"OLE_ROOT";

// How the last OpenFile went.
enum class StorageOpen {
    kNone,          // not tried yet
    kOpen,
    kMissing,       // no such file (read-only open)
    kNotCompound,   // a file with bytes that is no compound file
    kNoSubStorage,  // a compound file without the sub-storage
    kFailed,        // there, but could not be opened now: busy, or denied
};
const DWORD kLockWaitMs = 20000;

class RuleStorage {
public:
    explicit RuleStorage(const wchar_t* storageName = kDefaultStorageName);
    ~RuleStorage();  // closes
    RuleStorage(const RuleStorage&) = delete;
    RuleStorage& operator=(const RuleStorage&) = delete;

    // Takes the file's lock, then opens the sub-storage; with readOnly false a
    // missing file is created, and so is an empty one.  A file with bytes
    // that is not a compound file is never touched.  The lock stays held
    // until Close, also when this fails.
    bool OpenFile(const wchar_t* path, bool readOnly);
    // Opens the stream, or creates it when the mode allows; null when neither
    // works.  Release the stream before closing the storage.
    std::unique_ptr<RuleStream> OpenStream(const char* name);
    // Releases the sub-storage, the root storage, then signals and closes the
    // lock event.
    void Close();

    StorageOpen Outcome() const { return m_outcome; }
    // The lock event's name of the last OpenFile (empty before).
    const char* LockName() const { return m_szLockName; }

private:
    void TakeLock(const wchar_t* path);
    bool OpenRoot(const wchar_t* path, bool readOnly);

    wchar_t m_szStorageName[256];
    ComPtr<IStorage> m_root;
    ComPtr<IStorage> m_sub;
    DWORD m_dwMode = 0;
    StorageOpen m_outcome = StorageOpen::kNone;
    char m_szLockName[kLockNameSize] = "";
    UniqueHandle m_lock;
};
