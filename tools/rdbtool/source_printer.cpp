#include "tools/rdbtool/source_printer.h"

#include <cstdio>

#include "core/root_names.h"
#include "tools/rdbtool/quoted_text.h"
#include "tools/rdbtool/text_codec.h"

namespace {

const uint32_t kCandidateCodePages[] = {1252, 936, 950, 932, 949, 1251, 1250, 1253, 1254, 1255, 1256, 1257, 1258, 874};

std::string Format(const char* format, uint32_t value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Whether the narrow text is what packing the wide text would give.
bool NarrowFollowsWide(const char* narrow, const wchar_t* wide, uint32_t codePage) {
    // The common case without building strings: the same plain ASCII text.
    size_t i = 0;
    while (wide[i] != 0 && wide[i] < 0x80 && narrow[i] == static_cast<char>(wide[i])) ++i;
    if (wide[i] == 0 && narrow[i] == '\0' && CodePageKeepsAscii(codePage)) return true;
    std::string converted;
    return WideToCodePage(wide, codePage, converted) && converted == narrow;
}

uint32_t CountFollowing(const CategoryDatabase& database, uint32_t codePage) {
    uint32_t n = 0;
    for (const RuleCategory& c : database.Categories()) {
        n += NarrowFollowsWide(c.name, c.wideName, codePage);
        n += NarrowFollowsWide(c.description, c.wideDescription, codePage);
        n += NarrowFollowsWide(c.extraText, c.wideExtraText, codePage);
        for (const RuleItem* item = c.items; item; item = item->next)
            n += NarrowFollowsWide(item->name, item->wideName, codePage);
    }
    return n;
}

std::string RootText(uint32_t root) {
    const char* name = ShortNameFromRoot(root);
    return name[0] ? std::string(name) : Format("0x%08X", root);
}

void PrintCategory(std::string& out, const RuleCategory& c, uint32_t codePage) {
    out += "\ncategory " + std::to_string(c.id) + " " + QuoteWideText(c.wideName) + "\n";
    if (c.wideDescription[0]) out += "  description " + QuoteWideText(c.wideDescription) + "\n";
    if (c.wideExtraText[0]) out += "  extra " + QuoteWideText(c.wideExtraText) + "\n";
    if (!NarrowFollowsWide(c.name, c.wideName, codePage)) out += "  ansi-name " + QuoteAnsiText(c.name, codePage) + "\n";
    if (!NarrowFollowsWide(c.description, c.wideDescription, codePage))
        out += "  ansi-description " + QuoteAnsiText(c.description, codePage) + "\n";
    if (!NarrowFollowsWide(c.extraText, c.wideExtraText, codePage))
        out += "  ansi-extra " + QuoteAnsiText(c.extraText, codePage) + "\n";
    out += "  action " + std::to_string(c.action) + "\n";
    out += "  mode " + Format("0x%X", static_cast<uint32_t>(c.mode)) + "\n";
    if (c.option3) out += "  option3 " + std::to_string(c.option3) + "\n";
    if (c.option4) out += "  option4 " + std::to_string(c.option4) + "\n";
    if (c.adminOnly) out += "  admin-only " + std::to_string(c.adminOnly) + "\n";
    for (const RuleItem* item = c.items; item; item = item->next) {
        // Appended piece by piece: the largest databases have 50,000 items.
        out += "  item ";
        out += RootText(item->root);
        out += ' ';
        out += QuoteAnsiText(item->keyPath, codePage);
        out += ' ';
        out += QuoteWideText(item->wideName);
        const uint32_t impliedFlags = (item->keyPath[0] == '.') ? kItemFlagDotPath : 0;
        if (item->flags != impliedFlags) out += " flags " + Format("0x%X", item->flags);
        if (!NarrowFollowsWide(item->name, item->wideName, codePage))
            out += " ansi-name " + QuoteAnsiText(item->name, codePage);
        out += '\n';
    }
}

}  // namespace

uint32_t GuessCodePage(const CategoryDatabase& database) {
    uint32_t texts = 0;  // no code page can do better than all of them
    for (const RuleCategory& c : database.Categories()) {
        texts += 3;
        for (const RuleItem* item = c.items; item; item = item->next) ++texts;
    }
    uint32_t best = kCandidateCodePages[0], bestCount = 0;
    for (uint32_t codePage : kCandidateCodePages) {
        if (bestCount == texts) break;
        if (!IsAnsiCodePage(codePage)) continue;
        const uint32_t n = CountFollowing(database, codePage);
        if (n > bestCount) best = codePage, bestCount = n;
    }
    return best;
}

std::string PrintSource(const RdbSource& source) {
    const uint32_t codePage = source.codePage;
    std::string out;
    if (source.kind == RdbKind::kCategories) {
        out += "# Category database: " + std::to_string(source.database.Count()) + " categories\n";
        out += "kind categories\ncodepage " + std::to_string(codePage) + "\n";
        for (const RuleCategory& category : source.database.Categories()) PrintCategory(out, category, codePage);
        return out;
    }
    out += "# Rule library: " + std::to_string(source.library.rules.size()) + " rules\n";
    out += "kind library\ncodepage " + std::to_string(codePage) + "\n";
    out += "separator " + Format("0x%02X", source.library.separator) + "\n\n";
    for (const LibraryRule& rule : source.library.rules)
        out += "rule " + QuoteAnsiText(rule.category, codePage) + " " + QuoteAnsiText(rule.displayName, codePage) + " " +
               QuoteAnsiText(rule.keyPath, codePage) + " " + QuoteAnsiText(rule.valueSpec, codePage) + " " +
               std::to_string(rule.number) + "\n";
    return out;
}
