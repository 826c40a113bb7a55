#include "inspector/rule_file.h"

#include <windows.h>
#include <objbase.h>

#include <memory>

#include "core/little_endian.h"
#include "core/settings_blob.h"
#include "rules/rule_storage.h"
#include "rdbtool/file_bytes.h"
#include "rdbtool/stream_bytes.h"

namespace {

// Far beyond what 1000 categories or a settings blob hold; keeps a damaged
// size from exhausting a 32-bit process.
const uint64_t kLargestInspected = 512u * 1024u * 1024u;

// A stream that is there but too large or unreadable is named in
// `unreadable` and left empty.
void ReadStream(RuleStorage& storage, const char* name, bool& present, std::vector<uint8_t>& bytes,
                std::string& unreadable) {
    std::unique_ptr<RuleStream> stream = storage.OpenStream(name);
    present = stream != nullptr;
    if (!stream) return;
    const uint64_t size = stream->Size();
    if (size <= kLargestInspected) {
        bytes.resize(static_cast<size_t>(size));
        if (stream->ReadWhole(bytes.data(), static_cast<uint32_t>(bytes.size()))) return;
    }
    bytes.clear();
    if (unreadable.empty()) unreadable = name;
}

bool LooksLikeBlob(const std::string& bytes) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    BlobLayout layout;
    return (bytes.size() >= 4 && GetLe32(data) == kBlobHeaderSize) || ParseBlobHeader(data, bytes.size(), layout);
}

uint64_t FileSize(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

bool ReadRuleStreams(const std::wstring& path, RuleStreams& streams, std::string& problem) {
    streams = RuleStreams();
    RuleStorage storage;
    if (!storage.OpenFile(path.c_str(), true)) {
        problem = "a compound file whose \"OLE_ROOT\" storage does not open (it has none, or another program holds "
                  "the file)";
        return false;
    }
    ReadStream(storage, "RegDefine", streams.hasRegDefine, streams.regDefine, streams.unreadable);
    ReadStream(storage, "REGINFO", streams.hasRegInfo, streams.regInfo, streams.unreadable);
    ReadStream(storage, "REGLIB", streams.hasRegLib, streams.regLib, streams.unreadable);
    return true;
}

RuleFile ReadRuleFile(const std::wstring& path, bool asBlob) {
    RuleFile file;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
        file.kind = FileKind::kMissing;
        file.detail = "cannot find the file";
        return file;
    }
    if (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        file.kind = FileKind::kDirectory;
        file.detail = "a folder, not a file";
        return file;
    }
    if (::StgIsStorageFile(path.c_str()) == S_OK) {
        RuleStreams streams;
        if (!ReadRuleStreams(path, streams, file.detail)) {
            file.kind = FileKind::kOtherCompoundFile;
            return file;
        }
        file.unreadableStream = streams.unreadable;
        if (streams.hasRegDefine) {
            file.kind = FileKind::kCategoryDatabase;
            file.regDefine = std::move(streams.regDefine);
        } else if (streams.hasRegInfo && streams.hasRegLib) {
            file.kind = FileKind::kRuleLibrary;
            file.regInfo = std::move(streams.regInfo);
            file.regLib = std::move(streams.regLib);
        } else {
            file.kind = FileKind::kOtherCompoundFile;
            file.detail = streams.hasRegInfo || streams.hasRegLib
                              ? "a rule library needs both the \"REGINFO\" and the \"REGLIB\" stream; this file has only "
                                "\"" + std::string(streams.hasRegInfo ? "REGINFO" : "REGLIB") + "\""
                              : "a compound file without the \"RegDefine\" stream or the \"REGINFO\" and \"REGLIB\" "
                                "streams of a rule database";
        }
        return file;
    }
    if (FileSize(attributes) > kLargestInspected) {
        file.kind = FileKind::kUnreadable;
        file.detail = "the file is too large to inspect (" + std::to_string(FileSize(attributes)) + " bytes)";
        return file;
    }
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        file.kind = FileKind::kUnreadable;
        file.detail = "cannot read the file";
        return file;
    }
    if (asBlob || LooksLikeBlob(bytes)) {
        file.kind = FileKind::kSettingsBlob;
        file.bytes.assign(bytes.begin(), bytes.end());
        return file;
    }
    file.kind = FileKind::kUnknown;
    file.detail = "not a rule database (no compound file) or settings blob (its header does not fit its size)";
    return file;
}

const char* KindName(FileKind kind) {
    switch (kind) {
    case FileKind::kCategoryDatabase: return "category database";
    case FileKind::kRuleLibrary: return "rule library";
    case FileKind::kSettingsBlob: return "settings blob";
    case FileKind::kOtherCompoundFile: return "compound file";
    case FileKind::kDirectory: return "folder";
    default: return "file";
    }
}

bool IsUserDatabaseName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    return ::lstrcmpiW(name.c_str(), L"QRegUser.rdb") == 0 || ::lstrcmpiW(name.c_str(), L"tempQRegUser.rdb") == 0;
}
