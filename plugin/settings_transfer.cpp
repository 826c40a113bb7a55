#include "plugin/settings_transfer.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/settings_blob.h"
#include "win/file_read.h"
#include "win/file_replacement.h"
#include "dialogs/modified_flag.h"
#include "win/install_info.h"
#include "win/raii.h"
#include "win/settings_files.h"
#include "rules/ini_rules.h"
#include "rules/rule_database.h"
#include "rules/rule_store.h"

const char kUpdateAtomName[] = "VtPstl_NsUpdate";

namespace {

struct FilePair {
    const wchar_t* real;
    const wchar_t* work;
    uint32_t unreadableBit;  // the rule store's mark for this file
};

// The copy order of Load and Apply: QRegUser.rdb, QRegEx.ini, RegUser.ini.
void CopyOrder(FilePair (&pairs)[3]) {
    pairs[0] = {g_settingsFiles.userDatabase, g_settingsFiles.userDatabaseWork, kUnreadableUserDatabase};
    pairs[1] = {g_settingsFiles.expertIni, g_settingsFiles.expertIniWork, kUnreadableExpertIni};
    pairs[2] = {g_settingsFiles.regUserIni, g_settingsFiles.regUserIniWork, kUnreadableUserIni};
}

// Another program may hold a settings file for a moment (the component
// reading it, a scanner, a backup): one more try after this pause.
const DWORD kBusyRetryMs = 250;

// A file's size and time of last write; a missing file's is not known
// (size 0).  A working copy as Load made it keeps its real file's stamp, and
// a write to it since gives it a new time: such a copy needs no Apply, and
// its real file is left with whatever another program wrote there meanwhile.
struct CopyStamp {
    bool known = false;
    uint64_t size = 0;
    FILETIME written = {};
    bool operator==(const CopyStamp& other) const {
        return known && other.known && size == other.size && written.dwLowDateTime == other.written.dwLowDateTime &&
               written.dwHighDateTime == other.written.dwHighDateTime;
    }
};
CopyStamp g_loadedCopies[3];  // in copy order; known only where Load made the copy

CopyStamp StampOf(const wchar_t* path) {
    CopyStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path[0] || !::GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return stamp;
    stamp.known = true;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = data.ftLastWriteTime;
    return stamp;
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Copies a real file over its working copy.  False when the real file is
// there but could not be copied: the working copy then holds stale bytes.
bool RefreshWorkingCopy(const FilePair& p) {
    for (int attempt = 0;; ++attempt) {
        if (::CopyFileW(p.real, p.work, FALSE)) return true;
        if (IsMissing(::GetLastError())) return true;  // nothing to copy: the working copy stays
        if (attempt == 1) return false;
        ::Sleep(kBusyRetryMs);
    }
}

// What a killed Apply or Import left beside the real files goes first.
void RemoveLeftovers() {
    std::vector<std::wstring> reals;
    for (const wchar_t* real : {g_settingsFiles.userDatabase, g_settingsFiles.expertIni, g_settingsFiles.regUserIni})
        if (real[0]) reals.emplace_back(real);
    RemoveLeftoverStaging(reals);
}

// The three real files in blob order.
void BlobFiles(const wchar_t* (&files)[kPartCount]) {
    files[kPartRegUserIni] = g_settingsFiles.regUserIni;
    files[kPartQRegUserRdb] = g_settingsFiles.userDatabase;
    files[kPartQRegExIni] = g_settingsFiles.expertIni;
}

}  // namespace

void LoadSettings() {
    BuildSettingsFileSet(g_settingsFiles);
    RemoveLeftovers();
    FilePair pairs[3];
    CopyOrder(pairs);
    // The working copies are the plug-in's own: a plain copy will do, and a
    // torn one is replaced at the next Load.
    uint32_t stale = 0;
    for (int i = 0; i < 3; ++i) {
        const FilePair& p = pairs[i];
        g_loadedCopies[i] = CopyStamp();
        if (!p.real[0] || !p.work[0]) continue;
        if (!RefreshWorkingCopy(p)) {
            stale |= p.unreadableBit;
            continue;
        }
        const CopyStamp copy = StampOf(p.work);
        if (copy == StampOf(p.real)) g_loadedCopies[i] = copy;
    }
    // A rule file beyond the size the plug-in reads is read up to it, but
    // what lies beyond must not be lost by writing the file back.
    uint32_t unreadable = 0;
    if (StampOf(g_settingsFiles.regUserIni).size > kMaxIniFileBytes) unreadable |= kUnreadableUserIni;
    MergeRuleLibraries(GetLanguageId(), g_settingsFiles.userDatabase, g_settingsFiles.expertIni, unreadable, stale);
}

bool ApplyWorkingCopies() {
    if (!g_bModified) return true;
    RemoveLeftovers();
    FilePair pairs[3];
    CopyOrder(pairs);
    // All three real files change together or none does.  A working copy
    // that is missing leaves its real file as it is, and so does one whose
    // real file could not be read at the last Load: its bytes are stale.
    // One not written since Load needs no replacing (an edit in one editor
    // leaves the others' files as they were).
    FileReplacement replacement;
    for (int i = 0; i < 3; ++i) {
        const FilePair& p = pairs[i];
        if (!p.real[0] || !p.work[0] || (g_ruleStore.unreadableFiles & p.unreadableBit)) continue;
        const CopyStamp work = StampOf(p.work);
        if (!work.known || work == g_loadedCopies[i]) continue;
        if (!replacement.StageCopy(p.real, p.work)) return false;
    }
    if (!replacement.Commit()) return false;
    // The running component watches for this atom; it is never deleted here.
    ::GlobalAddAtomA(kUpdateAtomName);
    return true;
}

namespace {
// The blob size that this process last told a caller of Export.
DWORD g_announcedExportSize = 0;
}  // namespace

bool ExportSettings(BYTE* buffer, DWORD* size) {
    if (!size) return false;
    const wchar_t* files[kPartCount];
    BlobFiles(files);
    UniqueFile handles[kPartCount];
    uint32_t sizes[kPartCount] = {};
    for (uint32_t i = 0; i < kPartCount; ++i) {
        handles[i].reset(::CreateFileW(files[i], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handles[i]) continue;
        DWORD high = 0;
        DWORD low = ::GetFileSize(handles[i].get(), &high);
        if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) continue;
        if (high != 0) return false;  // a file over 4 GB cannot be part of a blob
        sizes[i] = low;
    }
    BlobLayout layout;
    if (!MakeBlobLayout(sizes, layout)) return false;
    const uint32_t total = BlobTotalSize(layout);
    // The caller sized its buffer from the last size it was told (and may
    // say so itself): when the files grew since, another process can have
    // written them, so nothing is copied and the caller is told the new size.
    DWORD room = g_announcedExportSize;
    if (buffer && *size != 0 && *size < room) room = *size;
    if (!buffer || total > room) {
        *size = total;
        g_announcedExportSize = total;
        return false;
    }
    UniqueMalloc block(std::calloc(total, 1));
    if (!block) return false;
    BYTE* bytes = static_cast<BYTE*>(block.get());
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    std::memcpy(bytes, header, kBlobHeaderSize);
    // What cannot be read of a part stays zero.
    for (uint32_t i = 0; i < kPartCount; ++i) {
        DWORD done = 0;
        if (handles[i]) ReadUpTo(handles[i].get(), bytes + layout.start[i], sizes[i], done);
    }
    std::memcpy(buffer, bytes, total);
    *size = total;
    return true;
}

bool ImportSettings(const BYTE* blob, DWORD size) {
    if (size == 0 || !blob) return false;
    BlobLayout layout;
    // A malformed blob must not cost the user the settings they have, nor
    // may one whose user database is beyond what the plug-in takes: it
    // would be refused at every later Load.
    if (!ParseBlobHeader(blob, size, layout)) return false;
    if (!UserDatabaseBytesWithinLimits(blob + layout.start[kPartQRegUserRdb],
                                       layout.end[kPartQRegUserRdb] - layout.start[kPartQRegUserRdb]))
        return false;
    if (!g_settingsFiles.regUserIni[0]) BuildSettingsFileSet(g_settingsFiles);
    RemoveLeftovers();
    const wchar_t* files[kPartCount];
    BlobFiles(files);
    // Nothing real changes until every part is staged, and then all three
    // are replaced or none is.
    FileReplacement replacement;
    for (uint32_t i = 0; i < kPartCount; ++i) {
        if (!files[i][0] ||
            !replacement.StageBytes(files[i], blob + layout.start[i], layout.end[i] - layout.start[i]))
            return false;
    }
    return replacement.Commit();
}
