#include "inspector/finding.h"

#include <cstdio>

void FindingList::Error(const std::string& where, uint64_t offset, const std::string& text) {
    findings_.push_back(Finding{Severity::kError, where, offset, text});
    ++errors_;
}

void FindingList::Warning(const std::string& where, uint64_t offset, const std::string& text) {
    findings_.push_back(Finding{Severity::kWarning, where, offset, text});
}

void FindingList::Append(const FindingList& other) {
    findings_.insert(findings_.end(), other.All().begin(), other.All().end());
    errors_ += other.Errors();
}

void FindingList::AppendNested(const std::string& prefix, const FindingList& nested) {
    for (const Finding& finding : nested.All()) {
        findings_.push_back(finding);
        findings_.back().where = prefix + "/" + finding.where;
    }
    errors_ += nested.Errors();
}

std::string Hex(uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llX", static_cast<unsigned long long>(value));
    return buffer;
}

std::string FormatFinding(const Finding& finding) {
    return finding.where + " @" + Hex(finding.offset) + ": " +
           (finding.severity == Severity::kError ? "error: " : "warning: ") + finding.text;
}

std::string QuotedBytes(const char* text, size_t length) {
    const size_t kShown = 80;
    std::string quoted = "\"";
    for (size_t i = 0; i < length && i < kShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '`' && c != '"') {
            quoted += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "`x%02X", c);
            quoted += escape;
        }
    }
    return quoted + (length > kShown ? "\"..." : "\"");
}

std::string CountOf(size_t n, const char* singular, const char* plural) {
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}
