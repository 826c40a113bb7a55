#include "rdbtool/source_printer.h"

#include <charconv>
#include <cstdio>

#include "core/root_names.h"
#include "rdbtool/quoted_text.h"
#include "rdbtool/text_codec.h"

namespace {

const uint32_t kCandidateCodePages[] = {1252, 936, 950, 932, 949, 1251, 1250, 1253, 1254, 1255, 1256, 1257, 1258, 874};

std::string Format(const char* format, uint32_t value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Whether the narrow text is what packing the wide text would give.
// `keepsAscii` is CodePageKeepsAscii(codePage), asked once by the caller.
bool NarrowFollowsWide(const char* narrow, const wchar_t* wide, uint32_t codePage, bool keepsAscii) {
    // The common case without building strings: the same plain ASCII text.
    size_t i = 0;
    while (wide[i] != 0 && wide[i] < 0x80 && narrow[i] == static_cast<char>(wide[i])) ++i;
    if (wide[i] == 0 && narrow[i] == '\0' && keepsAscii) return true;
    std::string converted;
    return WideToCodePage(wide, codePage, converted) && converted == narrow;
}

uint32_t CountFollowing(const CategoryDatabase& database, uint32_t codePage) {
    const bool keepsAscii = CodePageKeepsAscii(codePage);
    uint32_t n = 0;
    for (const RuleCategory& c : database.Categories()) {
        n += NarrowFollowsWide(c.name, c.wideName, codePage, keepsAscii);
        n += NarrowFollowsWide(c.description, c.wideDescription, codePage, keepsAscii);
        n += NarrowFollowsWide(c.extraText, c.wideExtraText, codePage, keepsAscii);
        for (const RuleItem* item = c.items; item; item = item->next)
            n += NarrowFollowsWide(item->name, item->wideName, codePage, keepsAscii);
    }
    return n;
}

void AppendRoot(std::string& out, uint32_t root) {
    const char* name = ShortNameFromRoot(root);
    if (name[0])
        out += name;
    else
        out += Format("0x%08X", root);
}

void AppendNumber(std::string& out, int32_t value) {
    char buffer[16];
    const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, end.ptr);
}

// One line "<indent><keyword> <value>\n" of a category.
void AppendLine(std::string& out, const char* keyword, int32_t value) {
    out += keyword;
    AppendNumber(out, value);
    out += '\n';
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
        out += CategoriesHeader(source.database.Count(), codePage);
        // About 90 bytes a line; an estimate spares the copies of growing.
        size_t lines = 0;
        for (const RuleCategory& category : source.database.Categories()) {
            lines += 8;
            for (const RuleItem* item = category.items; item; item = item->next) ++lines;
        }
        out.reserve(lines * 96);
        for (const RuleCategory& category : source.database.Categories()) {
            AppendCategoryHead(out, category, codePage);
            for (const RuleItem* item = category.items; item; item = item->next) AppendItemLine(out, *item, codePage);
        }
        return out;
    }
    out += "# Rule library: " + std::to_string(source.library.rules.size()) + " rules\n";
    out += "kind library\ncodepage " + std::to_string(codePage) + "\n";
    out += "separator " + Format("0x%02X", source.library.separator) + "\n\n";
    for (const LibraryRule& rule : source.library.rules)
        out += "rule " + QuoteAnsiText(rule.category, codePage) + " " + QuoteAnsiText(rule.displayName, codePage) + " " +
               QuoteAnsiText(rule.keyPath, codePage) + " " + QuoteAnsiText(rule.valuePattern, codePage) + " " +
               std::to_string(rule.number) + "\n";
    return out;
}

std::string CategoriesHeader(uint32_t count, uint32_t codePage) {
    return "# Category database: " + std::to_string(count) + " categories\nkind categories\ncodepage " +
           std::to_string(codePage) + "\n";
}

// Appended piece by piece, never through temporaries: the largest databases
// have 50,000 items.
uint32_t AppendCategoryHead(std::string& out, const RuleCategory& c, uint32_t codePage) {
    const bool keepsAscii = CodePageKeepsAscii(codePage);
    out += "\ncategory ";
    AppendNumber(out, c.id);
    out += ' ';
    AppendQuotedWide(out, c.wideName);
    out += '\n';
    if (c.wideDescription[0]) {
        out += "  description ";
        AppendQuotedWide(out, c.wideDescription);
        out += '\n';
    }
    if (c.wideExtraText[0]) {
        out += "  extra ";
        AppendQuotedWide(out, c.wideExtraText);
        out += '\n';
    }
    const struct {
        const char* keyword;
        const char* narrow;
        const wchar_t* wide;
    } narrowTexts[] = {{"  ansi-name ", c.name, c.wideName},
                       {"  ansi-description ", c.description, c.wideDescription},
                       {"  ansi-extra ", c.extraText, c.wideExtraText}};
    uint32_t misses = 0;
    for (const auto& text : narrowTexts) {
        if (NarrowFollowsWide(text.narrow, text.wide, codePage, keepsAscii)) continue;
        ++misses;
        out += text.keyword;
        AppendQuotedAnsi(out, text.narrow, codePage);
        out += '\n';
    }
    AppendLine(out, "  action ", c.action);
    out += "  mode " + Format("0x%X", static_cast<uint32_t>(c.mode)) + "\n";
    if (c.option3) AppendLine(out, "  option3 ", c.option3);
    if (c.option4) AppendLine(out, "  option4 ", c.option4);
    if (c.adminOnly) AppendLine(out, "  admin-only ", c.adminOnly);
    return misses;
}

uint32_t AppendItemLine(std::string& out, const RuleItem& item, uint32_t codePage) {
    out += "  item ";
    AppendRoot(out, item.root);
    out += ' ';
    AppendQuotedAnsi(out, item.keyPath, codePage);
    out += ' ';
    AppendQuotedWide(out, item.wideName);
    const uint32_t impliedFlags = (item.keyPath[0] == '.') ? kItemFlagDotPath : 0;
    if (item.flags != impliedFlags) out += " flags " + Format("0x%X", item.flags);
    uint32_t misses = 0;
    if (!NarrowFollowsWide(item.name, item.wideName, codePage, CodePageKeepsAscii(codePage))) {
        misses = 1;
        out += " ansi-name ";
        AppendQuotedAnsi(out, item.name, codePage);
    }
    out += '\n';
    return misses;
}
