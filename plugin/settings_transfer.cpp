#include "plugin/settings_transfer.h"

#include <cstdlib>
#include <cstring>

#include "core/settings_blob.h"
#include "plugin/globals.h"
#include "plugin/install_info.h"
#include "plugin/raii.h"
#include "plugin/settings_files.h"
#include "rules/rule_store.h"

const char kUpdateAtomName[] = "VtPstl_NsUpdate";

namespace {

struct FilePair {
    const wchar_t* real;
    const wchar_t* work;
};

// The copy order of Load and Apply: QRegUser.rdb, QRegEx.ini, RegUser.ini.
void CopyPairs(bool toWorkingCopies) {
    const FilePair pairs[] = {
        {g_settingsFiles.userDatabase, g_settingsFiles.userDatabaseWork},
        {g_settingsFiles.expertIni, g_settingsFiles.expertIniWork},
        {g_settingsFiles.regUserIni, g_settingsFiles.regUserIniWork},
    };
    for (const FilePair& p : pairs) {
        if (!p.real[0] || !p.work[0]) continue;  // no path: nothing to copy
        if (toWorkingCopies)
            ::CopyFileW(p.real, p.work, FALSE);
        else
            ::CopyFileW(p.work, p.real, FALSE);
    }
}

// The three real files in blob order.
void BlobFiles(const wchar_t* (&files)[kPartCount]) {
    files[kPartRegUserIni] = g_settingsFiles.regUserIni;
    files[kPartQRegUserRdb] = g_settingsFiles.userDatabase;
    files[kPartQRegExIni] = g_settingsFiles.expertIni;
}

// Reads up to `size` bytes into buffer; what cannot be read stays zero.
void ReadUpTo(HANDLE file, BYTE* buffer, DWORD size) {
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer + done, size - done, &got, nullptr) || got == 0) break;
        done += got;
    }
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

}  // namespace

void LoadSettings() {
    BuildSettingsFileSet(g_settingsFiles);
    CopyPairs(true);
    MergeRuleLibraries(GetLanguageId(), g_settingsFiles.userDatabase, g_settingsFiles.expertIni);
}

void ApplyWorkingCopies() {
    if (!g_bModified) return;
    CopyPairs(false);
    // The running component watches for this atom; it is never deleted here.
    ::GlobalAddAtomA(kUpdateAtomName);
}

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
    if (!buffer) {
        *size = total;
        return false;
    }
    UniqueMalloc block(std::calloc(total, 1));
    if (!block) return false;
    BYTE* bytes = static_cast<BYTE*>(block.get());
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    std::memcpy(bytes, header, kBlobHeaderSize);
    for (uint32_t i = 0; i < kPartCount; ++i)
        if (handles[i]) ReadUpTo(handles[i].get(), bytes + layout.start[i], sizes[i]);
    std::memcpy(buffer, bytes, total);
    *size = total;
    return true;
}

bool ImportSettings(const BYTE* blob, DWORD size) {
    if (size == 0 || !blob) return false;
    BlobLayout layout;
    // A malformed blob must not cost the user the settings they have.
    if (!ParseBlobHeader(blob, size, layout)) return false;
    if (!g_settingsFiles.regUserIni[0]) BuildSettingsFileSet(g_settingsFiles);
    const wchar_t* files[kPartCount];
    BlobFiles(files);
    for (uint32_t i = 0; i < kPartCount; ++i)
        if (files[i][0]) ::DeleteFileW(files[i]);
    for (uint32_t i = 0; i < kPartCount; ++i) {
        if (!files[i][0]) continue;
        // A file that could not be deleted keeps its content: CREATE_NEW fails.
        UniqueFile file(::CreateFileW(files[i], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) WriteAll(file.get(), blob + layout.start[i], layout.end[i] - layout.start[i]);
    }
    return true;
}
