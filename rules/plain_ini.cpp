#include "rules/plain_ini.h"

#include <windows.h>

#include <algorithm>

#include "core/ascii_case.h"
#include "core/root_names.h"
#include "win/ansi_text.h"
#include "win/raii.h"

namespace {

const LONGLONG kWholeFileLimit = 64 << 20;

// Names match as the profile functions match them (ASCII case folded;
// plain names are ASCII).
bool AllDistinct(std::vector<std::string_view>& names) {
    std::sort(names.begin(), names.end(),
              [](std::string_view a, std::string_view b) { return LessIgnoringAsciiCase(a, b); });
    return std::adjacent_find(names.begin(), names.end(), [](std::string_view a, std::string_view b) {
               return EqualIgnoringAsciiCase(a, b);
           }) == names.end();
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Conversions through the system code page, into buffers kept for the
// whole walk.
class CodePageText {
public:
    // Every byte is kept by the code page's round trip, so the profile
    // functions (which read through UTF-16) see the same text.
    bool KeptByRoundTrip(std::string_view text) {
        if (IsAscii(text)) return true;
        return BytesToWide(text, CP_ACP, MB_ERR_INVALID_CHARS, wide_) && WideToBytes(wide_, CP_ACP, 0, narrow_) &&
               narrow_ == text;
    }

    // The profile functions trim blanks (any Unicode space) around a value
    // and take quotes off it; a plain value has neither.
    bool IsPlainValue(std::string_view value) {
        if (value.empty()) return true;
        if (value.front() == '"' || value.front() == '\'') return false;
        for (char c : value)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
        if (IsAscii(value)) return value.front() != ' ' && value.back() != ' ';
        if (!BytesToWide(value, CP_ACP, 0, wide_) || wide_.empty()) return false;
        const wchar_t edges[2] = {wide_.front(), wide_.back()};
        WORD types[2] = {};
        if (!::GetStringTypeW(CT_CTYPE1, edges, 2, types)) return false;
        const WORD blank = C1_SPACE | C1_BLANK | C1_CNTRL;
        return !(types[0] & blank) && !(types[1] & blank);
    }

private:
    std::wstring wide_;
    std::string narrow_;
};

bool IsPlainName(std::string_view name) {
    if (name.empty() || name.front() == ' ' || name.back() == ' ' || name.front() == ';' || name.front() == '#')
        return false;
    for (char c : name)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

bool ReadWholeFile(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size) || size.QuadPart > kWholeFileLimit) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr) || got == 0)
            return false;
        done += got;
    }
    return true;
}

class SectionsBuilder : public PlainIniVisitor {
public:
    explicit SectionsBuilder(std::vector<PlainIniSection>& sections) : sections_(sections) {}
    void Section(std::string_view name) override { sections_.push_back(PlainIniSection{std::string(name), {}}); }
    void Entry(std::string_view key, std::string_view value) override {
        sections_.back().entries.emplace_back(std::string(key), std::string(value));
    }

private:
    std::vector<PlainIniSection>& sections_;
};

}  // namespace

namespace {

// The walk both functions share; `checked` makes every check that tells
// whether the text is plain.
bool WalkLines(std::string_view text, size_t maxSections, PlainIniVisitor& visitor, bool checked) {
    CodePageText codePage;
    // Names are checked for repeats as views into the text: no copy per line.
    std::vector<std::string_view> sectionNames, keys;
    size_t sections = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line.front() == '[' && sections == maxSections) break;
        if (checked && !codePage.KeptByRoundTrip(line)) return false;
        if (line.front() == '[') {
            if (checked && line.back() != ']') return false;
            const std::string_view name = line.substr(1, line.size() - 2);
            if (checked) {
                if (!IsPlainName(name) || name.find_first_of("[]") != std::string_view::npos) return false;
                if (!AllDistinct(keys)) return false;
                keys.clear();
                sectionNames.push_back(name);
            }
            ++sections;
            visitor.Section(name);
            continue;
        }
        const size_t equals = line.find('=');
        if (checked && (sections == 0 || equals == std::string_view::npos)) return false;
        const std::string_view key = line.substr(0, equals), value = line.substr(equals + 1);
        if (checked) {
            if (!IsPlainName(key) || !codePage.IsPlainValue(value)) return false;
            keys.push_back(key);
        }
        visitor.Entry(key, value);
    }
    return !checked || (AllDistinct(keys) && AllDistinct(sectionNames));
}

}  // namespace

bool ScanPlainIni(std::string_view text, size_t maxSections, PlainIniVisitor& visitor) {
    return WalkLines(text, maxSections, visitor, true);
}

void WalkPlainIni(std::string_view text, size_t maxSections, PlainIniVisitor& visitor) {
    WalkLines(text, maxSections, visitor, false);
}

bool StartsWithByteOrderMark(std::string_view text) {
    if (text.empty()) return false;
    const unsigned char first = static_cast<unsigned char>(text[0]);
    return first == 0xEF || first == 0xFF || first == 0xFE;
}

bool IsFullIniPath(const char* path) {
    return (path[0] && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) || (path[0] == '\\' && path[1] == '\\');
}

PlainIniRead ReadPlainIniFile(const char* path, std::vector<PlainIniSection>& sections) {
    sections.clear();
    // A name without a full path is looked up elsewhere by the profile functions.
    if (!path || !IsFullIniPath(path)) return PlainIniRead::kOther;
    UniqueFile file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? PlainIniRead::kMissing
                                                                                 : PlainIniRead::kOther;
    }
    std::string text;
    if (!ReadWholeFile(file.get(), text)) return PlainIniRead::kOther;
    SectionsBuilder builder(sections);
    if (StartsWithByteOrderMark(text) || !ScanPlainIni(text, static_cast<size_t>(-1), builder)) {
        sections.clear();
        return PlainIniRead::kOther;
    }
    return PlainIniRead::kPlain;
}

const std::string* FindPlainIniValue(const PlainIniSection& section, const char* key) {
    for (const auto& entry : section.entries)
        if (CompareNoCase(entry.first.c_str(), key) == 0) return &entry.second;
    return nullptr;
}
