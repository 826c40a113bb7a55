#include "inspector/verify.h"

#include <windows.h>

#include "core/rule_entry.h"
#include "core/rule_records.h"
#include "rules/rule_database.h"
#include "inspector/blob_check.h"
#include "inspector/regdefine_check.h"
#include "inspector/reglib_check.h"
#include "rdbtool/file_bytes.h"

namespace {

// A file in the temp folder, deleted with its owner.
class TempFile {
public:
    TempFile() {
        wchar_t folder[MAX_PATH + 1], file[MAX_PATH + 1];
        const DWORD n = ::GetTempPathW(MAX_PATH + 1, folder);
        if (n != 0 && n <= MAX_PATH && ::GetTempFileNameW(folder, L"vpi", 0, file) != 0) path_ = file;
    }
    ~TempFile() {
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

std::string ReadOf(uint64_t read, uint64_t all, const char* singular, const char* plural) {
    if (all == 0) return std::string("no ") + singular;
    if (read == all) return (all == 1 ? "its one " + std::string(singular) : "all " + CountOf(all, singular, plural));
    return std::to_string(read) + " of the " + CountOf(all, singular, plural);
}

void VerifyCategories(const std::vector<uint8_t>& stream, bool userDatabase, VerifyReport& report) {
    RegDefineCheckOptions options;
    options.userDatabase = userDatabase;
    const RegDefineSummary s = CheckRegDefine(stream.data(), stream.size(), options, report.findings);
    report.contents = CountOf(s.categories, "category", "categories") + ", " + CountOf(s.items, "item", "items");
    report.pluginView = "the plug-in reads " + ReadOf(s.categoriesRead, s.categories, "category", "categories") +
                        " and " + ReadOf(s.itemsRead, s.items, "item", "items");
}

void VerifyLibrary(const RuleFile& file, VerifyReport& report) {
    const RuleLibrarySummary s = CheckRuleLibrary(file.regInfo.data(), file.regInfo.size(), file.regLib.data(),
                                                  file.regLib.size(), report.findings);
    report.contents = CountOf(s.records, "rule", "rules");
    report.pluginView = "the plug-in reads " + ReadOf(s.recordsRead, s.records, "rule", "rules");
}

// The QRegUser.rdb part is a compound file in its own right: it is checked
// as the user database that Import makes of it.
void VerifyUserDatabasePart(const RuleFile& file, const BlobLayout& layout, FindingList& findings) {
    const uint32_t start = layout.start[kPartQRegUserRdb], end = layout.end[kPartQRegUserRdb];
    if (start == end) return;  // no user database: nothing to read
    const std::string part = std::string(kBlobPartFiles[kPartQRegUserRdb]) + " part";
    TempFile temp;
    const std::string bytes(file.bytes.begin() + start, file.bytes.begin() + end);
    if (temp.Path().empty() || !WriteFileBytes(temp.Path(), bytes)) {
        findings.Warning(kBlobAreaName, layout.start[kPartQRegUserRdb],
                         "the " + part + " could not be checked: no temporary file for it");
        return;
    }
    RuleStreams streams;
    std::string problem;
    if (::StgIsStorageFile(temp.Path().c_str()) != S_OK) {
        findings.Error(kBlobAreaName, start,
                       "the " + part + " is not a compound file: the plug-in reads no user category from it and "
                       "cannot save the user's rules into it");
        return;
    }
    if (!ReadRuleStreams(temp.Path(), streams, problem)) {
        findings.Error(kBlobAreaName, start, "the " + part + " is " + problem);
        return;
    }
    if (streams.unreadable == "RegDefine") {
        findings.Error(kBlobAreaName, start,
                       "the " + part + " is a damaged compound file: its \"RegDefine\" stream cannot be read");
        return;
    }
    if (!streams.hasRegDefine) {
        findings.Warning(kBlobAreaName, start, "the " + part + " has no \"RegDefine\" stream: it holds no user category");
        return;
    }
    FindingList nested;
    RegDefineCheckOptions options;
    options.userDatabase = true;
    CheckRegDefine(streams.regDefine.data(), streams.regDefine.size(), options, nested);
    findings.AppendNested(kBlobPartFiles[kPartQRegUserRdb], nested);
}

void VerifyBlob(const RuleFile& file, VerifyReport& report) {
    const BlobSummary s = CheckSettingsBlob(file.bytes.data(), file.bytes.size(), report.findings);
    report.contents = CountOf(file.bytes.size(), "byte", "bytes");
    if (s.headerComplete) {
        report.contents += ";";
        for (uint32_t p = 0; p < kPartCount; ++p) {
            const uint32_t size = s.header.end[p] >= s.header.start[p] ? s.header.end[p] - s.header.start[p] : 0;
            report.contents += std::string(p ? ", " : " ") + kBlobPartFiles[p] + " " + CountOf(size, "byte", "bytes");
        }
    }
    // The same check as Import's decides what Import does with the parts.
    const bool partsWithinLimits =
        s.importable && UserDatabaseBytesWithinLimits(file.bytes.data() + s.header.start[kPartQRegUserRdb],
                                                      s.header.end[kPartQRegUserRdb] - s.header.start[kPartQRegUserRdb]);
    report.pluginView = partsWithinLimits ? "Import takes it" : "Import refuses it";
    if (s.importable) VerifyUserDatabasePart(file, s.header, report.findings);
}

// The compound file itself is damaged, so there is no whole stream to walk;
// the plug-in's own readers tell what it still gets out of the file.
void VerifyDamaged(const std::wstring& path, const RuleFile& file, VerifyReport& report) {
    report.findings.Error(file.unreadableStream, 0,
                          "the stream cannot be read whole: the compound file is damaged (or the stream is over "
                          "512 MB)");
    report.contents = "damaged";
    if (file.kind == FileKind::kCategoryDatabase) {
        std::vector<RuleCategory> categories(kMaxCategories);  // value-initialised: zeroed
        const uint32_t n = ReadCategories(path.c_str(), categories.data(), kMaxCategories);
        uint64_t items = 0;
        for (uint32_t c = 0; c < n; ++c)
            for (const RuleItem* item = categories[c].items; item; item = item->next) ++items;
        ClearItems(categories.data(), n);
        report.pluginView = "the plug-in reads " + CountOf(n, "category", "categories") + " and " +
                            CountOf(items, "item", "items") + " from it";
    } else {
        RuleEntry* rules = ReadRuleLibrary(path.c_str());
        report.pluginView = "the plug-in reads " + CountOf(CountRuleEntries(rules), "rule", "rules") + " from it";
        FreeRuleEntries(rules);
    }
    report.verified = true;
}

}  // namespace

VerifyReport VerifyFile(const std::wstring& path, const VerifyOptions& options) {
    VerifyReport report;
    const RuleFile file = ReadRuleFile(path, options.asBlob);
    report.kind = file.kind;
    if (!file.unreadableStream.empty() &&
        (file.kind == FileKind::kCategoryDatabase || file.kind == FileKind::kRuleLibrary)) {
        VerifyDamaged(path, file, report);
        return report;
    }
    switch (file.kind) {
    case FileKind::kCategoryDatabase:
        VerifyCategories(file.regDefine, IsUserDatabaseName(path), report);
        break;
    case FileKind::kRuleLibrary:
        VerifyLibrary(file, report);
        break;
    case FileKind::kSettingsBlob:
        VerifyBlob(file, report);
        break;
    default:
        report.problem = file.detail;
        return report;
    }
    report.verified = true;
    return report;
}
