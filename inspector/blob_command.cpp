// "blob info", "blob split", "blob join": the settings blob's three parts.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/settings_blob.h"
#include "inspector/blob_check.h"
#include "inspector/command_line.h"
#include "inspector/commands.h"
#include "inspector/rule_file.h"
#include "inspector/usage_error.h"
#include "rdbtool/file_bytes.h"

namespace {

// The blob's bytes; false with the exit status when FILE cannot be one.
bool ReadBlob(const std::wstring& path, RuleFile& file, int& status) {
    file = ReadRuleFile(path, true);
    if (file.kind == FileKind::kSettingsBlob) return true;
    if (file.kind == FileKind::kCategoryDatabase || file.kind == FileKind::kRuleLibrary)
        status = FileError(path, std::string("a ") + KindName(file.kind) + ", not a settings blob", kExitCannotUse);
    else
        status = FileError(path, file.detail, kExitCannotUse);
    return false;
}

void PrintFindings(const FindingList& findings) {
    std::string text;
    for (const Finding& finding : findings.All()) text += FormatFinding(finding) + "\n";
    Out(text);
}

std::string Row(const char* name, const std::string& start, const std::string& end, const std::string& size) {
    char line[128];
    std::snprintf(line, sizeof line, "  %-14s %-12s %-12s %s\n", name, start.c_str(), end.c_str(), size.c_str());
    return line;
}

int Info(const std::wstring& path) {
    RuleFile file;
    int status = kExitDone;
    if (!ReadBlob(path, file, status)) return status;
    FindingList findings;
    const BlobSummary s = CheckSettingsBlob(file.bytes.data(), file.bytes.size(), findings);
    std::string text = PathText(path) + ": settings blob, " + CountOf(file.bytes.size(), "byte", "bytes") + "\n";
    if (s.headerComplete) {
        text += Row("part", "start", "end", "size");
        for (uint32_t p = 0; p < kPartCount; ++p) {
            const uint32_t start = s.header.start[p], end = s.header.end[p];
            text += Row(kBlobPartFiles[p], Hex(start), Hex(end), start <= end ? std::to_string(end - start) : "-");
        }
    }
    Out(text);
    PrintFindings(findings);
    Out(s.importable ? "Import takes this blob.\n" : "Import refuses this blob.\n");
    return s.importable ? kExitDone : kExitProblems;
}

int Split(const std::wstring& path, const std::wstring& folder) {
    RuleFile file;
    int status = kExitDone;
    if (!ReadBlob(path, file, status)) return status;
    FindingList findings;
    const BlobSummary s = CheckSettingsBlob(file.bytes.data(), file.bytes.size(), findings);
    if (!s.importable) {
        PrintFindings(findings);
        return FileError(path, "Import refuses this blob, so it is not split", kExitProblems);
    }
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return FileError(folder, "cannot create the folder", kExitCannotUse);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FileError(folder, "not a folder", kExitCannotUse);
    std::string text;
    for (uint32_t p = 0; p < kPartCount; ++p) {
        // The bytes from start to end of each pair, as Import writes them.
        const std::string bytes(file.bytes.begin() + s.header.start[p], file.bytes.begin() + s.header.end[p]);
        std::wstring name(kBlobPartFiles[p], kBlobPartFiles[p] + std::strlen(kBlobPartFiles[p]));
        const std::wstring target = folder + L"\\" + name;
        if (!WriteFileBytes(target, bytes)) return FileError(target, "cannot write the file", kExitCannotUse);
        text += PathText(target) + ": " + CountOf(bytes.size(), "byte", "bytes") + "\n";
    }
    Out(text);
    return kExitDone;
}

int Join(const std::vector<std::wstring>& inputs, const std::wstring& output) {
    std::string parts[kPartCount];
    uint32_t sizes[kPartCount];
    for (uint32_t p = 0; p < kPartCount; ++p) {
        const DWORD attributes = ::GetFileAttributesW(inputs[p].c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return FileError(inputs[p], std::string("cannot find the file for the ") + kBlobPartFiles[p] +
                                            " part (give an empty file for an empty part)",
                             kExitCannotUse);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || !ReadFileBytes(inputs[p], parts[p]))
            return FileError(inputs[p], "cannot read the file", kExitCannotUse);
        if (parts[p].size() > UINT32_MAX) return FileError(inputs[p], "too large for a blob", kExitCannotUse);
        sizes[p] = static_cast<uint32_t>(parts[p].size());
    }
    BlobLayout layout;
    if (!MakeBlobLayout(sizes, layout))
        return FileError(output, "the three files together are too large for a blob (4 GB)", kExitCannotUse);
    std::string blob(BlobTotalSize(layout), '\0');
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    std::memcpy(&blob[0], header, kBlobHeaderSize);
    for (uint32_t p = 0; p < kPartCount; ++p)
        if (sizes[p] != 0) std::memcpy(&blob[layout.start[p]], parts[p].data(), sizes[p]);
    if (!WriteFileBytes(output, blob)) return FileError(output, "cannot write the file", kExitCannotUse);
    Out(PathText(output) + ": settings blob, " + CountOf(blob.size(), "byte", "bytes") + "\n");
    return kExitDone;
}

}  // namespace

int RunBlob(const std::vector<std::wstring>& args) {
    const CommandArgs a = ParseCommandArgs(args, 0, {});
    if (a.help) return ShowHelp(L"blob");
    if (!a.error.empty()) return UsageError(L"blob", a.error);
    if (a.operands.empty()) return UsageError(L"blob", "blob needs info, split or join");
    const std::wstring& action = a.operands[0];
    const std::vector<std::wstring> operands(a.operands.begin() + 1, a.operands.end());
    if (action == L"info") {
        if (operands.size() != 1) return UsageError(L"blob", "blob info needs exactly one FILE");
        return Info(operands[0]);
    }
    if (action == L"split") {
        if (operands.size() != 2) return UsageError(L"blob", "blob split needs a FILE and an OUTDIR");
        return Split(operands[0], operands[1]);
    }
    if (action == L"join") {
        if (operands.size() != 4) return UsageError(L"blob", "blob join needs REGUSER, QREGUSER, QREGEX and OUT");
        return Join(operands, operands[3]);
    }
    return UsageError(L"blob", "unknown blob action \"" + PathText(action) + "\"; it is info, split or join");
}
