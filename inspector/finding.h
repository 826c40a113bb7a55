// What the verifier found: problems located by stream (or blob area) and
// byte offset, each told in one plain sentence.  Portable: no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Errors break the format as every writer writes it, or make the plug-in read
// something else than the file holds; warnings are allowed but unusual.
enum class Severity { kError, kWarning };

struct Finding {
    Severity severity;
    std::string where;  // a stream name ("RegDefine"), "blob", or part/stream
    uint64_t offset;    // bytes from the start of `where`
    std::string text;
};

class FindingList {
public:
    void Error(const std::string& where, uint64_t offset, const std::string& text);
    void Warning(const std::string& where, uint64_t offset, const std::string& text);
    void Append(const FindingList& other);
    // Takes over another list's findings with `prefix` + "/" before each place.
    void AppendNested(const std::string& prefix, const FindingList& nested);

    const std::vector<Finding>& All() const { return findings_; }
    size_t Errors() const { return errors_; }
    size_t Warnings() const { return findings_.size() - errors_; }

private:
    std::vector<Finding> findings_;
    size_t errors_ = 0;
};

// "0x1A30": upper-case hexadecimal, no padding.
std::string Hex(uint64_t value);
// "RegDefine @0x1A30: error: record length 5000 is over the 4096-byte limit"
std::string FormatFinding(const Finding& finding);
// A text of a file between double quotes for a message: printable ASCII as
// it is, every other byte as `xHH (the dump's escape), cut after 80 bytes.
std::string QuotedBytes(const char* text, size_t length);
// "1 error", "3 warnings"
std::string CountOf(size_t n, const char* singular, const char* plural);
