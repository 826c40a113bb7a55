#include "rules/ini_rules.h"

#include <algorithm>
#include <string_view>

#include "rules/ini_file_prefix.h"
#include "rules/ini_profile_reader.h"
#include "rules/ini_rule_entry.h"
#include "rules/ini_snapshot.h"
#include "rules/rule_entry_list.h"

namespace {

// First walk over plain text: how many rules it holds, each section's
// display name, and whether every value fits the profile functions'
// buffers (a value they would cut takes their path, so that the cut stays
// theirs).
class PlainRuleCount : public PlainIniVisitor {
public:
    void Section(std::string_view) override { displayNames.emplace_back(); }
    void Entry(std::string_view key, std::string_view value) override {
        const bool isName = IsDisplayNameKey(key);
        if (value.size() + 1 >= (isName ? kDisplayNameChars : kValueChars)) fits = false;
        if (isName) {
            // The first one counts, as for a profile lookup.
            if (!displayNames.back().data()) displayNames.back() = value;
        } else if (IsRuleKey(key)) {
            ++rules;
        }
    }

    size_t rules = 0;
    bool fits = true;
    std::vector<std::string_view> displayNames;  // null view: none
};

// Second walk: makes the rules from the first to keep on, each put in
// front of the list as it is read.
class PlainRuleBuilder : public PlainIniVisitor {
public:
    PlainRuleBuilder(const PlainRuleCount& count, size_t maxRules, std::vector<std::string>* wholeSections)
        : displayNames_(count.displayNames),
          skip_(count.rules - std::min(count.rules, maxRules)),
          wholeSections_(wholeSections) {}

    void Section(std::string_view name) override {
        section_.assign(name.data(), name.size());
        displayName_.assign(displayNames_[sectionIndex_].data(), displayNames_[sectionIndex_].size());
        ++sectionIndex_;
    }
    void Entry(std::string_view key, std::string_view value) override {
        if (IsDisplayNameKey(key) || !IsRuleKey(key)) return;
        if (skip_ > 0) {
            --skip_;
            return;
        }
        key_.assign(key.data(), key.size());
        value_.assign(value.data(), value.size());
        RuleEntry* entry =
            MakeExpandedRule(section_.c_str(), displayName_.c_str(), key_.c_str(), value_.c_str(), expander_);
        if (!entry) return;
        entry->next = list_.release();
        list_.reset(entry);
        if (wholeSections_) wholeSections_->push_back(section_);
    }

    RuleEntry* Finish() {
        if (wholeSections_) std::reverse(wholeSections_->begin(), wholeSections_->end());
        return list_.release();
    }

private:
    const std::vector<std::string_view>& displayNames_;
    size_t skip_;
    std::vector<std::string>* wholeSections_;
    size_t sectionIndex_ = 0;
    std::string section_, displayName_, key_, value_;
    const ValuePatternExpander expander_;
    RuleEntryList list_;
};

// The rules of text in the plain form, or false when it is not.
bool ReadPlainRules(std::string_view text, const IniReadLimits& limits, std::vector<std::string>* wholeSections,
                    RuleEntry*& rules) {
    if (StartsWithByteOrderMark(text)) return false;
    PlainRuleCount count;
    if (!ScanPlainIni(text, limits.sections, count) || !count.fits) return false;
    PlainRuleBuilder builder(count, limits.rules, wholeSections);
    WalkPlainIni(text, limits.sections, builder);
    rules = builder.Finish();
    return true;
}

}  // namespace

RuleEntry* ReadIniRuleFile(const char* path) { return ReadIniRuleFile(path, IniReadLimits(), nullptr); }

RuleEntry* ReadIniRuleFile(const char* path, const IniReadLimits& limits, std::vector<std::string>* wholeSections) {
    if (wholeSections) wholeSections->clear();
    if (!path) return nullptr;
    RuleEntry* rules = nullptr;
    // A name without a full path is looked up elsewhere by the profile
    // functions: only they can read it.
    if (!IsFullIniPath(path)) {
        ReadRulesThroughProfileFunctions({path}, limits.sections, limits.rules, wholeSections, rules);
        return rules;
    }

    // One profile call per rule reopens the file each time, which dominates
    // a load of many rules: plain files are read in one go.
    std::string text;
    bool cut = false;
    if (ReadFilePrefix(path, limits.bytes, text, cut) != FilePrefixRead::kRead) return nullptr;
    if (ReadPlainRules(text, limits, wholeSections, rules)) return rules;

    // The profile functions read a copy of what is within the limits, in
    // pieces; the whole copy when the pieces cannot answer alone.
    {
        IniSnapshot pieces(path, text, limits.sectionsPerPiece, limits.sections);
        if (!pieces.Files().empty() &&
            ReadRulesThroughProfileFunctions(pieces.Files(), limits.sections, limits.rules, wholeSections, rules))
            return rules;
    }
    IniSnapshot whole(path, text, 0, limits.sections);
    std::string().swap(text);
    // No copy at all: the file itself, if it is all within the limit.
    if (whole.Files().empty() && cut) return nullptr;
    const std::vector<std::string> files = whole.Files().empty() ? std::vector<std::string>{path} : whole.Files();
    ReadRulesThroughProfileFunctions(files, limits.sections, limits.rules, wholeSections, rules);
    return rules;
}
