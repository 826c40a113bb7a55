#include "rdbtool/source_parser.h"

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "core/root_names.h"
#include "core/rule_entry.h"
#include "rdbtool/quoted_text.h"
#include "rdbtool/source_lexer.h"
#include "rdbtool/text_codec.h"

namespace {

// Field sizes of the records, terminator included.
const size_t kCategoryNameSize = sizeof(RuleCategory::name);
const size_t kCategoryTextSize = sizeof(RuleCategory::description);
const size_t kItemTextSize = sizeof(RuleItem::keyPath);
const size_t kRuleNameSize = sizeof(RuleEntry::category);
const size_t kRuleTextMaxLength = 1023;  // what the library reader keeps of a key path or value pattern

struct ParseFailure {
    std::string text;
};

// A text of a category that has a wide form and a narrow one.  Unless the
// narrow form is given, it is the wide form in the source's code page.
struct DualText {
    int line = 0;
    std::wstring wide;
    bool hasNarrow = false;
    int narrowLine = 0;
    std::string narrow;
};

class SourceParser {
public:
    SourceParser(RdbSource& source, std::vector<SourceMessage>& warnings) : source_(source), warnings_(warnings) {}

    bool Parse(const std::string& text, SourceMessage& error);

private:
    void Statement(const std::vector<SourceToken>& tokens);
    void Kind(const std::vector<SourceToken>& tokens);
    void CodePage(const std::vector<SourceToken>& tokens);
    void Category(const std::vector<SourceToken>& tokens);
    void CategoryText(const std::vector<SourceToken>& tokens, const std::string& keyword);
    void CategoryNumber(const std::vector<SourceToken>& tokens, const std::string& keyword);
    void Item(const std::vector<SourceToken>& tokens);
    void Separator(const std::vector<SourceToken>& tokens);
    void Rule(const std::vector<SourceToken>& tokens);
    void FinishCategory();

    void RequireCount(const std::vector<SourceToken>& tokens, size_t least, size_t most, const char* usage);
    void RequireCategory(const std::string& keyword);
    void RequireCodePage(const std::string& keyword);
    std::wstring Wide(const SourceToken& token);
    std::string Narrow(const SourceToken& token);
    int64_t Number(const SourceToken& token, int64_t least, int64_t most);
    uint32_t Root(const SourceToken& token);
    void Warn(const std::string& text) { warnings_.push_back({line_, text}); }
    [[noreturn]] void Fail(const std::string& text) { throw ParseFailure{text}; }

    RdbSource& source_;
    std::vector<SourceMessage>& warnings_;
    int line_ = 0;
    bool kindSeen_ = false;
    bool separatorSeen_ = false;
    bool inCategory_ = false;
    DualText name_, description_, extra_;
    std::set<std::string> categoryFields_;  // statements given once per category
    std::set<int32_t> categoryIds_;
};

bool SourceParser::Parse(const std::string& text, SourceMessage& error) {
    size_t start = (text.compare(0, 3, "\xEF\xBB\xBF") == 0) ? 3 : 0;
    try {
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            ++line_;
            std::vector<SourceToken> tokens;
            std::string lexError;
            if (!SplitSourceLine(text.substr(start, end - start), tokens, lexError)) Fail(lexError);
            if (!tokens.empty()) Statement(tokens);
            start = end + 1;
        }
        line_ = 0;  // what is missing now concerns the whole source
        if (!kindSeen_) Fail("empty source: it must begin with \"kind categories\" or \"kind library\"");
        if (source_.codePage == 0) Fail("no codepage given");
        FinishCategory();
    } catch (const ParseFailure& failure) {
        error.line = line_;
        error.text = failure.text;
        return false;
    }
    return true;
}

void SourceParser::Statement(const std::vector<SourceToken>& tokens) {
    if (tokens[0].quoted) Fail("a statement begins with a keyword, not a quoted text");
    const std::string& keyword = tokens[0].text;
    if (keyword == "kind") return Kind(tokens);
    if (!kindSeen_) Fail("the source must begin with \"kind categories\" or \"kind library\"");
    if (keyword == "codepage") return CodePage(tokens);
    if (source_.kind == RdbKind::kCategories) {
        if (keyword == "category") return Category(tokens);
        if (keyword == "item") return Item(tokens);
        if (keyword == "description" || keyword == "extra" || keyword == "ansi-name" ||
            keyword == "ansi-description" || keyword == "ansi-extra")
            return CategoryText(tokens, keyword);
        if (keyword == "action" || keyword == "mode" || keyword == "option3" || keyword == "option4" ||
            keyword == "admin-only")
            return CategoryNumber(tokens, keyword);
    } else {
        if (keyword == "separator") return Separator(tokens);
        if (keyword == "rule") return Rule(tokens);
    }
    Fail("unknown statement \"" + keyword + "\" in a " +
         (source_.kind == RdbKind::kCategories ? "category database" : "rule library"));
}

void SourceParser::Kind(const std::vector<SourceToken>& tokens) {
    if (kindSeen_) Fail("kind given twice");
    RequireCount(tokens, 2, 2, "kind categories | kind library");
    if (tokens[1].text == "categories" && !tokens[1].quoted)
        source_.kind = RdbKind::kCategories;
    else if (tokens[1].text == "library" && !tokens[1].quoted)
        source_.kind = RdbKind::kLibrary;
    else
        Fail("kind is \"categories\" or \"library\", not \"" + tokens[1].text + "\"");
    kindSeen_ = true;
}

void SourceParser::CodePage(const std::vector<SourceToken>& tokens) {
    if (source_.codePage != 0) Fail("codepage given twice");
    RequireCount(tokens, 2, 2, "codepage NUMBER");
    const uint32_t codePage = static_cast<uint32_t>(Number(tokens[1], 1, 65535));
    if (!IsAnsiCodePage(codePage)) Fail("code page " + std::to_string(codePage) + " is not an ANSI code page here");
    source_.codePage = codePage;
}

void SourceParser::Category(const std::vector<SourceToken>& tokens) {
    RequireCodePage("category");
    RequireCount(tokens, 3, 3, "category ID \"name\"");
    FinishCategory();
    const int32_t id = static_cast<int32_t>(Number(tokens[1], INT32_MIN, INT32_MAX));
    name_ = DualText{line_, Wide(tokens[2])};
    if (!categoryIds_.insert(id).second) Warn("category id " + std::to_string(id) + " is used twice");
    RuleCategory record;
    std::memset(&record, 0, sizeof record);
    record.id = id;
    source_.database.AddCategory(record);
    inCategory_ = true;
}

void SourceParser::CategoryText(const std::vector<SourceToken>& tokens, const std::string& keyword) {
    RequireCategory(keyword);
    RequireCount(tokens, 2, 2, (keyword + " \"text\"").c_str());
    if (!categoryFields_.insert(keyword).second) Fail(keyword + " given twice for this category");
    if (keyword.compare(0, 5, "ansi-") == 0) {
        DualText& text = keyword == "ansi-name" ? name_ : keyword == "ansi-description" ? description_ : extra_;
        text.hasNarrow = true;
        text.narrowLine = line_;
        text.narrow = Narrow(tokens[1]);
    } else {
        DualText& text = keyword == "description" ? description_ : extra_;
        text.line = line_;
        text.wide = Wide(tokens[1]);
    }
}

void SourceParser::CategoryNumber(const std::vector<SourceToken>& tokens, const std::string& keyword) {
    RequireCategory(keyword);
    RequireCount(tokens, 2, 2, (keyword + " NUMBER").c_str());
    if (!categoryFields_.insert(keyword).second) Fail(keyword + " given twice for this category");
    const int32_t value = static_cast<int32_t>(Number(tokens[1], INT32_MIN, UINT32_MAX));
    RuleCategory& category = source_.database.Last();
    if (keyword == "action") category.action = value;
    if (keyword == "mode") category.mode = value;
    if (keyword == "option3") category.option3 = value;
    if (keyword == "option4") category.option4 = value;
    if (keyword == "admin-only") category.adminOnly = value;
}

void SourceParser::Item(const std::vector<SourceToken>& tokens) {
    RequireCategory("item");
    const char* usage = "item ROOT \"key path\" \"name\" [flags NUMBER] [ansi-name \"text\"]";
    RequireCount(tokens, 4, 8, usage);
    RuleItem item;
    std::memset(&item, 0, sizeof item);
    item.root = Root(tokens[1]);
    const std::string keyPath = Narrow(tokens[2]);
    if (keyPath.size() >= kItemTextSize) Fail("key path longer than " + std::to_string(kItemTextSize - 1) + " bytes");
    std::memcpy(item.keyPath, keyPath.c_str(), keyPath.size() + 1);
    const std::wstring wideName = Wide(tokens[3]);
    if (wideName.size() >= kItemTextSize) Fail("item name longer than " + std::to_string(kItemTextSize - 1) + " characters");
    std::memcpy(item.wideName, wideName.c_str(), (wideName.size() + 1) * sizeof(wchar_t));
    // Bit 0 says that the key path begins with a dot; it follows the path
    // unless flags are given.
    item.flags = (keyPath[0] == '.') ? kItemFlagDotPath : 0;

    bool hasFlags = false, hasNarrow = false;
    std::string narrowName;
    for (size_t i = 4; i < tokens.size(); i += 2) {
        const std::string& option = tokens[i].text;
        if (tokens[i].quoted || (option != "flags" && option != "ansi-name"))
            Fail("unexpected \"" + option + "\" in an item; usage: " + usage);
        if (i + 1 >= tokens.size()) Fail(option + " needs a value");
        if (option == "flags") {
            if (hasFlags) Fail("flags given twice");
            hasFlags = true;
            item.flags = static_cast<uint32_t>(Number(tokens[i + 1], INT32_MIN, UINT32_MAX));
        } else {
            if (hasNarrow) Fail("ansi-name given twice");
            hasNarrow = true;
            narrowName = Narrow(tokens[i + 1]);
        }
    }
    if (!hasNarrow) {
        if (!WideToCodePage(wideName, source_.codePage, narrowName))
            Fail("item name: " + DescribeCodePageMiss(wideName, source_.codePage));
    }
    if (narrowName.size() >= kItemTextSize)
        Fail("item name is longer than " + std::to_string(kItemTextSize - 1) + " bytes in code page " +
             std::to_string(source_.codePage));
    std::memcpy(item.name, narrowName.c_str(), narrowName.size() + 1);
    if (!source_.database.AddItem(item)) Fail("out of memory");
}

void SourceParser::FinishCategory() {
    if (!inCategory_) return;
    inCategory_ = false;
    // Errors name the line of the text concerned; the statement being read
    // keeps its own line afterwards.
    const int statementLine = line_;
    RuleCategory& category = source_.database.Last();
    struct Field {
        const char* what;
        DualText* text;
        char* narrow;
        wchar_t* wide;
        size_t size;
    } fields[] = {
        {"name", &name_, category.name, category.wideName, kCategoryNameSize},
        {"description", &description_, category.description, category.wideDescription, kCategoryTextSize},
        {"extra", &extra_, category.extraText, category.wideExtraText, kCategoryTextSize},
    };
    for (const Field& field : fields) {
        DualText& text = *field.text;
        const std::string what = field.what;
        line_ = text.line;
        if (text.wide.size() >= field.size)
            Fail("category " + what + " longer than " + std::to_string(field.size - 1) + " characters");
        std::memcpy(field.wide, text.wide.c_str(), (text.wide.size() + 1) * sizeof(wchar_t));
        std::string narrow = text.narrow;
        if (text.hasNarrow) {
            line_ = text.narrowLine;
        } else if (!WideToCodePage(text.wide, source_.codePage, narrow)) {
            Fail("category " + what + ": " + DescribeCodePageMiss(text.wide, source_.codePage));
        }
        if (narrow.size() >= field.size)
            Fail("category " + what + " is longer than " + std::to_string(field.size - 1) + " bytes in code page " +
                 std::to_string(source_.codePage));
        std::memcpy(field.narrow, narrow.c_str(), narrow.size() + 1);
    }
    name_ = description_ = extra_ = DualText();
    categoryFields_.clear();
    line_ = statementLine;
}

void SourceParser::Separator(const std::vector<SourceToken>& tokens) {
    if (separatorSeen_) Fail("separator given twice");
    if (!source_.library.rules.empty()) Fail("separator must come before the first rule");
    RequireCount(tokens, 2, 2, "separator BYTE");
    source_.library.separator = static_cast<uint8_t>(Number(tokens[1], 0, 255));
    separatorSeen_ = true;
}

void SourceParser::Rule(const std::vector<SourceToken>& tokens) {
    RequireCodePage("rule");
    RequireCount(tokens, 5, 6, "rule \"category\" \"display name\" \"key path\" \"value pattern\" [NUMBER]");
    LibraryRule rule;
    rule.category = Narrow(tokens[1]);
    rule.displayName = Narrow(tokens[2]);
    rule.keyPath = Narrow(tokens[3]);
    rule.valuePattern = Narrow(tokens[4]);
    if (tokens.size() == 6) rule.number = static_cast<int32_t>(Number(tokens[5], INT32_MIN, INT32_MAX));
    if (rule.category.empty()) Fail("a rule's category must not be empty: readers stop at a record that begins empty");
    if (rule.category.size() >= kRuleNameSize || rule.displayName.size() >= kRuleNameSize)
        Fail("category and display name are at most " + std::to_string(kRuleNameSize - 1) + " bytes");
    if (rule.keyPath.size() > kRuleTextMaxLength || rule.valuePattern.size() > kRuleTextMaxLength)
        Fail("key path and value pattern are at most " + std::to_string(kRuleTextMaxLength) + " bytes");
    const size_t slash = rule.keyPath.find('\\');
    if (slash == std::string::npos || RootFromShortName(rule.keyPath.substr(0, slash).c_str()) == 0)
        Warn("key path \"" + rule.keyPath + "\" does not begin with a short root name (HKLM\\...): it gives no item");
    source_.library.rules.push_back(std::move(rule));
}

void SourceParser::RequireCount(const std::vector<SourceToken>& tokens, size_t least, size_t most, const char* usage) {
    if (tokens.size() < least || tokens.size() > most)
        Fail(std::string(tokens.size() < least ? "missing values" : "too many values") + "; usage: " + usage);
}

void SourceParser::RequireCategory(const std::string& keyword) {
    if (!inCategory_) Fail(keyword + " must follow a category statement");
}

void SourceParser::RequireCodePage(const std::string& keyword) {
    if (source_.codePage == 0) Fail("codepage must be given before the first " + keyword);
}

std::wstring SourceParser::Wide(const SourceToken& token) {
    if (!token.quoted) Fail("expected a quoted text, found " + token.text);
    std::wstring text;
    std::string error;
    if (!DecodeWideText(token.text, text, error)) Fail(error);
    return text;
}

std::string SourceParser::Narrow(const SourceToken& token) {
    if (!token.quoted) Fail("expected a quoted text, found " + token.text);
    std::string text, error;
    if (!DecodeAnsiText(token.text, source_.codePage, text, error)) Fail(error);
    return text;
}

int64_t SourceParser::Number(const SourceToken& token, int64_t least, int64_t most) {
    const std::string& t = token.text;
    bool negative = false, hex = false;
    size_t i = 0;
    if (!token.quoted && !t.empty() && t[0] == '-') negative = true, i = 1;
    if (t.compare(i, 2, "0x") == 0 || t.compare(i, 2, "0X") == 0) hex = true, i += 2;
    int64_t value = 0;
    bool digits = false;
    for (; i < t.size() && !token.quoted; ++i) {
        int d = (t[i] >= '0' && t[i] <= '9') ? t[i] - '0'
                : (hex && t[i] >= 'a' && t[i] <= 'f') ? t[i] - 'a' + 10
                : (hex && t[i] >= 'A' && t[i] <= 'F') ? t[i] - 'A' + 10
                                                       : -1;
        if (d < 0 || value > (int64_t(1) << 40)) break;
        value = value * (hex ? 16 : 10) + d;
        digits = true;
    }
    if (token.quoted || !digits || i != t.size()) Fail("\"" + t + "\" is not a number");
    if (negative) value = -value;
    if (value < least || value > most)
        Fail(t + " is out of range " + std::to_string(least) + ".." + std::to_string(most));
    return value;
}

uint32_t SourceParser::Root(const SourceToken& token) {
    if (!token.quoted) {
        if (uint32_t root = RootFromShortName(token.text.c_str())) return root;
        if (uint32_t root = RootFromLongName(token.text.c_str())) return root;
        if (token.text.compare(0, 2, "0x") == 0) {
            uint32_t root = static_cast<uint32_t>(Number(token, 1, UINT32_MAX));
            return root;
        }
    }
    Fail("unknown root \"" + token.text + "\" (HKCR, HKCU, HKLM, HKU, HKCC, HKDD, a long name, or 0x... )");
}

}  // namespace

bool ParseSource(const std::string& text, RdbSource& source, std::vector<SourceMessage>& warnings,
                 SourceMessage& error) {
    source = RdbSource();
    SourceParser parser(source, warnings);
    return parser.Parse(text, error);
}
