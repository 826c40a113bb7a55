#include "rules/ini_rules.h"

#include <windows.h>

#include <unordered_set>
#include <vector>

#include "core/root_names.h"
#include "core/rule_text.h"
#include "plugin/raii.h"
#include "rules/profile_list.h"
#include "rules/rule_entry_list.h"
#include "rules/value_spec.h"

namespace {

const DWORD kDisplayNameChars = 60;
const DWORD kValueChars = 260;
const char kDisplayNameKey[] = "name";

// Adds one rule at the front of the list, as the file is read.
void AddRule(RuleEntryList& result, const char* section, const char* displayName, const char* key,
             const char* value) {
    RuleEntryList entry(MakeRuleEntry(section, displayName, key, value));
    if (!entry) return;
    entry->valueSpec = ExpandValueSpec(entry->valueSpec);
    if (!entry->valueSpec) return;  // out of memory: the rule is dropped
    entry->next = result.release();
    result.reset(entry.release());
}

RuleEntry* ReadThroughProfileFunctions(const char* path) {
    RuleEntryList result;
    std::vector<char> sections = ReadProfileList(path);
    for (const char* section = sections.data(); *section; section += lstrlenA(section) + 1) {
        std::vector<char> keys = ReadProfileList(path, section);
        char displayName[kDisplayNameChars] = "";
        ::GetPrivateProfileStringA(section, kDisplayNameKey, "", displayName, kDisplayNameChars, path);

        for (const char* key = keys.data(); *key; key += lstrlenA(key) + 1) {
            if (CompareNoCase(key, kDisplayNameKey) == 0) continue;
            char value[kValueChars] = "";
            ::GetPrivateProfileStringA(section, key, "", value, kValueChars, path);
            AddRule(result, section, displayName, key, value);
        }
    }
    return result.release();
}

// Values that the profile functions would cut to their buffers take the
// profile path, so that the cut stays theirs.
bool FitsProfileBuffers(const std::vector<PlainIniSection>& sections) {
    for (const PlainIniSection& section : sections)
        for (const auto& entry : section.entries) {
            const bool isName = CompareNoCase(entry.first.c_str(), kDisplayNameKey) == 0;
            if (entry.second.size() + 1 >= (isName ? kDisplayNameChars : kValueChars)) return false;
        }
    return true;
}

RuleEntry* RulesFromSections(const std::vector<PlainIniSection>& sections) {
    RuleEntryList result;
    for (const PlainIniSection& section : sections) {
        const std::string* displayName = FindPlainIniValue(section, kDisplayNameKey);
        for (const auto& entry : section.entries) {
            if (CompareNoCase(entry.first.c_str(), kDisplayNameKey) == 0) continue;
            AddRule(result, section.name.c_str(), displayName ? displayName->c_str() : "", entry.first.c_str(),
                    entry.second.c_str());
        }
    }
    return result.release();
}

bool IsFullPath(const char* path) {
    return (path[0] && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) || (path[0] == '\\' && path[1] == '\\');
}

bool ReadWholeFile(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size) || size.QuadPart > (64 << 20)) return false;
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

// Every byte is kept by the system code page's round trip, so the profile
// functions (which read through UTF-16) see the same text.
bool KeptByCodePage(const std::string& text) {
    bool ascii = true;
    for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return true;
    const int length = static_cast<int>(text.size());
    int wideLength = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, &wide[0], wideLength);
    int back = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (back != length) return false;
    std::string again(static_cast<size_t>(back), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &again[0], back, nullptr, nullptr);
    return again == text;
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || name.front() == ' ' || name.back() == ' ' || name.front() == ';' || name.front() == '#')
        return false;
    for (char c : name)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// The profile functions trim blanks (any Unicode space) around a value and
// take quotes off it; a plain value has neither.
bool IsPlainValue(const std::string& value) {
    if (value.empty()) return true;
    if (value.front() == '"' || value.front() == '\'') return false;
    bool ascii = true;
    for (char c : value) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    if (ascii) return value.front() != ' ' && value.back() != ' ';
    const int length = static_cast<int>(value.size());
    int wideLength = ::MultiByteToWideChar(CP_ACP, 0, value.data(), length, nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, value.data(), length, &wide[0], wideLength);
    const wchar_t edges[2] = {wide.front(), wide.back()};
    WORD types[2] = {};
    if (!::GetStringTypeW(CT_CTYPE1, edges, 2, types)) return false;
    const WORD blank = C1_SPACE | C1_BLANK | C1_CNTRL;
    return !(types[0] & blank) && !(types[1] & blank);
}

std::string FoldCase(const std::string& text) {
    std::string folded = text;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool ParsePlainIni(const std::string& text, std::vector<PlainIniSection>& sections) {
    std::unordered_set<std::string> sectionNames, keys;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']') return false;
            std::string name = line.substr(1, line.size() - 2);
            if (!IsPlainName(name) || name.find_first_of("[]") != std::string::npos) return false;
            if (!sectionNames.insert(FoldCase(name)).second) return false;
            sections.push_back(PlainIniSection{name, {}});
            keys.clear();
            continue;
        }
        const size_t equals = line.find('=');
        if (sections.empty() || equals == std::string::npos) return false;
        std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (!IsPlainName(key) || key.front() == ';' || key.front() == '#' || !IsPlainValue(value)) return false;
        if (!keys.insert(FoldCase(key)).second) return false;
        sections.back().entries.emplace_back(std::move(key), std::move(value));
    }
    return true;
}

}  // namespace

PlainIniRead ReadPlainIniFile(const char* path, std::vector<PlainIniSection>& sections) {
    sections.clear();
    // A name without a full path is looked up elsewhere by the profile functions.
    if (!path || !IsFullPath(path)) return PlainIniRead::kOther;
    UniqueFile file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? PlainIniRead::kMissing
                                                                                 : PlainIniRead::kOther;
    }
    std::string text;
    if (!ReadWholeFile(file.get(), text)) return PlainIniRead::kOther;
    const bool byteOrderMark = !text.empty() && (static_cast<unsigned char>(text[0]) == 0xEF ||
                                                 static_cast<unsigned char>(text[0]) == 0xFF ||
                                                 static_cast<unsigned char>(text[0]) == 0xFE);
    if (byteOrderMark || !KeptByCodePage(text) || !ParsePlainIni(text, sections)) {
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

RuleEntry* ReadIniRuleFile(const char* path) {
    // One profile call per rule reopens the file each time, which dominates
    // a load of many rules: plain files are read in one go.
    std::vector<PlainIniSection> sections;
    switch (ReadPlainIniFile(path, sections)) {
    case PlainIniRead::kMissing: return nullptr;
    case PlainIniRead::kPlain:
        if (FitsProfileBuffers(sections)) return RulesFromSections(sections);
        break;
    case PlainIniRead::kOther: break;
    }
    return ReadThroughProfileFunctions(path);
}
