// Profile (INI) files in the plain form, read without the profile functions.
//
// Only text whose reading by the profile functions is beyond doubt is in the
// plain form: lines "[section]", "key=value" or empty, no blanks around names
// or values, no quoted values, no duplicate sections or keys (ASCII case
// folded), names in ASCII, text valid in the system code page, no byte-order
// mark.  For any other file the caller uses the profile functions, which know
// every form.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Receives the lines of plain text in file order; the views point into it.
class PlainIniVisitor {
public:
    virtual void Section(std::string_view name) = 0;
    virtual void Entry(std::string_view key, std::string_view value) = 0;

protected:
    ~PlainIniVisitor() = default;
};

// Walks `text` line by line.  The (maxSections + 1)-th section line ends the
// walk as the end of the text would.  False when the text up to there is not
// in the plain form; the visitor may have seen part of it by then.
bool ScanPlainIni(std::string_view text, size_t maxSections, PlainIniVisitor& visitor);
// The same walk over text that ScanPlainIni has already found plain, without
// checking it again: for a second pass over the same text.
void WalkPlainIni(std::string_view text, size_t maxSections, PlainIniVisitor& visitor);

// True for a byte-order mark of any kind at the start of the text.
bool StartsWithByteOrderMark(std::string_view text);

// A profile file read whole in one go instead of through one profile call
// per value (each call reopens the file).
struct PlainIniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // key, value, in file order
};
enum class PlainIniRead {
    kMissing,  // no such file: every profile lookup gives its default
    kPlain,    // sections holds the whole file
    kOther,    // not read here; ask the profile functions
};
PlainIniRead ReadPlainIniFile(const char* path, std::vector<PlainIniSection>& sections);
// The value of key (ASCII case folded) in the section, or null.
const std::string* FindPlainIniValue(const PlainIniSection& section, const char* key);

// The profile functions take a name without a full path from elsewhere.
bool IsFullIniPath(const char* path);
