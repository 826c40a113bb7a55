#include "rules/ini_profile_reader.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <string_view>
#include <unordered_map>

#include "core/ascii_case.h"
#include "win/ansi_text.h"
#include "rules/ini_rule_entry.h"
#include "rules/profile_list.h"
#include "rules/rule_entry_list.h"

namespace {

const DWORD kFirstSectionSize = 4096;
const DWORD kLargestSectionSize = 0x10000000;

// What a per-key call would answer, when the section's text settles it.
struct Answer {
    std::string text;
    bool known = false;
};

// One "key=value" (or bare "key") line of a section as the profile
// functions return it.
struct SectionLine {
    std::wstring_view key, value;
    bool hasValue;
};

bool IsAscii(std::wstring_view text) {
    for (wchar_t c : text)
        if (c >= 0x80) return false;
    return true;
}

// Blanks the profile functions of one system or another trim from names.
bool IsBlank(wchar_t c) { return c <= 0x20 || c == 0x7F || c == 0x85 || c == 0xA0 || ::iswspace(c); }
bool HasBlankEdge(std::wstring_view text) { return !text.empty() && (IsBlank(text.front()) || IsBlank(text.back())); }

std::wstring Widen(std::string_view text) {
    std::wstring wide;
    if (!BytesToWide(text, CP_ACP, 0, wide)) wide.clear();
    return wide;
}

// The text in the system code page, and whether it comes back unchanged:
// only then do the narrow profile functions see exactly this text.
bool Narrow(std::wstring_view text, std::string& narrow) {
    if (!WideToBytes(text, CP_ACP, 0, narrow)) return false;
    return IsAscii(text) || Widen(narrow) == text;
}

// Keys fold so that any two keys a case-blind comparison of any system
// could take as equal fold alike: ASCII letters to lower case, except those
// with a non-ASCII case partner (i, k, s), which join every non-ASCII
// character in one class.
wchar_t CoarseFold(wchar_t c) {
    const wchar_t kOther = 0xFFFF;
    if (c >= 0x80) return kOther;
    c = AsciiLower(c);
    if (c == 'i' || c == 'k' || c == 's') return kOther;
    return c;
}

template <wchar_t (*Fold)(wchar_t)>
bool FoldedLess(std::wstring_view a, std::wstring_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) { return Fold(x) < Fold(y); });
}
template <wchar_t (*Fold)(wchar_t)>
bool FoldedEqual(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return Fold(x) == Fold(y); });
}

// What GetPrivateProfileStringA gives for a stored value into a buffer of
// `chars`: settled unless quotes are to come off, or a value too long for
// the buffer is not ASCII (where systems cut it differently).
Answer ValueAnswer(std::wstring_view value, size_t chars) {
    Answer answer;
    if (!value.empty() && (value.front() == L'"' || value.front() == L'\'')) return answer;
    if (!Narrow(value, answer.text)) return answer;
    if (answer.text.size() >= chars) {
        if (!IsAscii(value)) return answer;
        answer.text.resize(chars - 1);
    }
    answer.known = true;
    return answer;
}

// The whole text of a section through GetPrivateProfileSectionW, the buffer
// doubling until it fits.
std::vector<wchar_t> ReadSectionText(const std::wstring& section, const std::wstring& path) {
    std::vector<wchar_t> text;
    for (DWORD size = kFirstSectionSize;; size *= 2) {
        text.assign(size + 2, L'\0');
        const DWORD length = ::GetPrivateProfileSectionW(section.c_str(), text.data(), size, path.c_str());
        if (length + 2 < size || size >= kLargestSectionSize) break;
    }
    return text;
}

std::vector<SectionLine> SplitSectionText(const std::vector<wchar_t>& text) {
    std::vector<SectionLine> lines;
    for (const wchar_t* p = text.data(); *p;) {
        const std::wstring_view line(p);
        p += line.size() + 1;
        const size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos)
            lines.push_back({line, {}, false});
        else
            lines.push_back({line.substr(0, equals), line.substr(equals + 1), true});
    }
    return lines;
}

// For each line, the first line (in file order) whose key folds alike.
template <wchar_t (*Fold)(wchar_t)>
std::vector<size_t> FirstOfEach(const std::vector<SectionLine>& lines) {
    std::vector<size_t> order(lines.size()), first(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return FoldedLess<Fold>(lines[a].key, lines[b].key); });
    for (size_t k = 0; k < order.size(); ++k) {
        const bool same = k > 0 && FoldedEqual<Fold>(lines[order[k]].key, lines[order[k - 1]].key);
        first[order[k]] = same ? first[order[k - 1]] : order[k];
    }
    return first;
}

// A rule found in a section, with its value as far as it is settled.
struct SectionRule {
    std::string key;
    Answer value;
};

// A section as listed, with the piece that holds it.
struct ListedSection {
    size_t piece;
    const char* name;
};

class ProfileRuleReader {
public:
    ProfileRuleReader(const std::vector<std::string>& files, size_t maxRules, std::vector<std::string>* wholeSections)
        : files_(files), room_(maxRules), wholeSections_(wholeSections) {
        for (const std::string& file : files_) widePaths_.push_back(Widen(file));
        tail_ = &head_;
    }
    ~ProfileRuleReader() { FreeRuleEntries(head_); }

    bool Read(size_t maxSections, RuleEntry*& rules) {
        std::vector<std::vector<char>> lists;
        std::vector<ListedSection> sections;
        for (size_t piece = 0; piece < files_.size(); ++piece) {
            lists.push_back(ReadProfileList(files_[piece].c_str()));
            for (const char* s = lists.back().data(); *s && sections.size() < maxSections; s += std::strlen(s) + 1)
                sections.push_back(ListedSection{piece, s});
        }
        if (files_.size() > 1 && !PiecesStandAlone(sections.size())) return false;
        // The last rules are the ones kept: the sections are read from the
        // last, and reading stops when there is no more room.
        for (auto s = sections.rbegin(); s != sections.rend() && room_ > 0; ++s) ReadSection(s->piece, s->name);
        rules = head_;
        head_ = nullptr;
        return true;
    }

private:
    // Whether each piece answers for its own sections as the whole file
    // would: every name kept by the code page (the lookups go by the narrow
    // name), and no two pieces with names that fold alike.
    bool PiecesStandAlone(size_t count) const {
        std::unordered_map<std::wstring, size_t> pieceOf;
        std::string narrow;
        for (size_t piece = 0; piece < files_.size() && count > 0; ++piece) {
            const std::vector<wchar_t> list = ReadProfileList(widePaths_[piece].c_str());
            for (const wchar_t* s = list.data(); *s && count > 0; s += std::wcslen(s) + 1, --count) {
                if (!Narrow(s, narrow)) return false;
                std::wstring folded(s);
                for (wchar_t& c : folded) c = CoarseFold(c);
                const auto found = pieceOf.emplace(folded, piece);
                if (!found.second && found.first->second != piece) return false;
            }
        }
        return count == 0;
    }

    void ReadSection(size_t piece, const char* section) {
        const char* path = files_[piece].c_str();
        std::vector<SectionRule> rules;
        Answer displayName;
        if (!ReadSectionWhole(piece, section, rules, displayName)) ReadSectionKeys(path, section, rules);
        if (rules.empty()) return;
        if (!displayName.known) displayName.text = ProfileString(path, section, kDisplayNameKey, kDisplayNameChars);
        // The list runs backwards: the section's last rule comes first.
        for (auto rule = rules.rbegin(); rule != rules.rend(); ++rule) {
            if (!rule->value.known) rule->value.text = ProfileString(path, section, rule->key.c_str(), kValueChars);
            Append(section, displayName.text.c_str(), rule->key.c_str(), rule->value.text.c_str());
        }
        room_ -= rules.size();
    }

    // The last rules of a section that fit the room, from its whole text;
    // false when the text leaves the key list itself in doubt.
    bool ReadSectionWhole(size_t piece, const char* section, std::vector<SectionRule>& rules, Answer& displayName) {
        const std::wstring wideSection = Widen(section);
        // The value lookups trim a section name, the section read may not.
        if (wideSection.empty() || HasBlankEdge(wideSection)) return false;
        const std::vector<wchar_t> text = ReadSectionText(wideSection, widePaths_[piece]);
        const std::vector<SectionLine> lines = SplitSectionText(text);

        // The key list: every line with a value.  A key that is empty, has
        // blanks around it or does not survive the code page is listed
        // differently by different systems; a line without value that would
        // be a rule is listed by some.
        std::vector<size_t> ruleLines;
        std::string narrow;
        for (size_t i = 0; i < lines.size(); ++i) {
            const SectionLine& line = lines[i];
            if (line.key.empty() || HasBlankEdge(line.key) || (line.hasValue && HasBlankEdge(line.value)))
                return false;
            if (!Narrow(line.key, narrow)) return false;
            const bool ruleKey = IsRuleKey(narrow);
            if (!line.hasValue && ruleKey) return false;
            if (line.hasValue && ruleKey && !IsDisplayNameKey(narrow)) ruleLines.push_back(i);
        }

        // Each key's value is that of the first line whose key matches it
        // regardless of case; a line without value matches and gives "".
        // Keys that fold alike are settled by an ASCII case-blind match only
        // when none of the earlier ones holds other characters.
        const std::vector<size_t> sameFold = FirstOfEach<CoarseFold>(lines);
        const std::vector<size_t> sameAscii = FirstOfEach<AsciiLower<wchar_t>>(lines);
        std::vector<bool> otherSeen(lines.size(), false), doubtful(lines.size(), false);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!IsAscii(lines[i].key)) otherSeen[sameFold[i]] = true;
            doubtful[i] = otherSeen[sameFold[i]];
        }
        auto answerFor = [&](size_t i, size_t chars) {
            Answer answer;
            if (sameFold[i] != i && doubtful[i]) return answer;
            const SectionLine& match = lines[sameFold[i] == i ? i : sameAscii[i]];
            if (!match.hasValue) {
                answer.known = true;
                return answer;
            }
            return ValueAnswer(match.value, chars);
        };

        displayName = Answer();
        displayName.known = true;
        for (size_t i = 0; i < lines.size(); ++i)
            if (EqualIgnoringAsciiCase(lines[i].key, L"name")) {
                displayName = answerFor(i, kDisplayNameChars);
                break;
            }
        const size_t kept = std::min(ruleLines.size(), room_);
        for (size_t r = ruleLines.size() - kept; r < ruleLines.size(); ++r) {
            const size_t i = ruleLines[r];
            Narrow(lines[i].key, narrow);
            rules.push_back(SectionRule{narrow, answerFor(i, kValueChars)});
        }
        return true;
    }

    // The last rules of a section that fit the room, from its key list, each
    // value to be asked.
    void ReadSectionKeys(const char* path, const char* section, std::vector<SectionRule>& rules) {
        const std::vector<char> keys = ReadProfileList(path, section);
        std::vector<const char*> ruleKeys;
        for (const char* key = keys.data(); *key; key += std::strlen(key) + 1)
            if (!IsDisplayNameKey(key) && IsRuleKey(key)) ruleKeys.push_back(key);
        const size_t kept = std::min(ruleKeys.size(), room_);
        for (size_t r = ruleKeys.size() - kept; r < ruleKeys.size(); ++r)
            rules.push_back(SectionRule{ruleKeys[r], Answer()});
    }

    static std::string ProfileString(const char* path, const char* section, const char* key, size_t chars) {
        std::vector<char> buffer(chars, '\0');
        ::GetPrivateProfileStringA(section, key, "", buffer.data(), static_cast<DWORD>(chars), path);
        return buffer.data();
    }

    void Append(const char* section, const char* displayName, const char* key, const char* value) {
        RuleEntry* entry = MakeExpandedRule(section, displayName, key, value, expander_);
        if (!entry) return;
        *tail_ = entry;
        tail_ = &entry->next;
        if (wholeSections_) wholeSections_->push_back(section);
    }

    const std::vector<std::string>& files_;
    const ValuePatternExpander expander_;
    std::vector<std::wstring> widePaths_;
    size_t room_;
    std::vector<std::string>* wholeSections_;
    RuleEntry* head_ = nullptr;
    RuleEntry** tail_;
};

}  // namespace

bool ReadRulesThroughProfileFunctions(const std::vector<std::string>& files, size_t maxSections, size_t maxRules,
                                      std::vector<std::string>* wholeSections, RuleEntry*& rules) {
    rules = nullptr;
    if (wholeSections) wholeSections->clear();
    ProfileRuleReader reader(files, maxRules, wholeSections);
    if (reader.Read(maxSections, rules)) return true;
    if (wholeSections) wholeSections->clear();
    return false;
}
