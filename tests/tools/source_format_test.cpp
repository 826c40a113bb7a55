// The source format: what statements make, the code page of narrow texts,
// escapes, and the line-numbered errors of bad sources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/root_names.h"
#include "tool_test_support.h"
#include "rdbtool/quoted_text.h"

using tool_testing::Parse;
using tool_testing::ParseError;

namespace {

std::vector<const RuleItem*> Items(const RuleCategory& category) {
    std::vector<const RuleItem*> items;
    for (const RuleItem* item = category.items; item; item = item->next) items.push_back(item);
    return items;
}

TEST(SourceFormat, CategoriesTakeTheirOptionsAndItemsInSourceOrder) {
    RdbSource source;
    Parse("# comment\n"
          "kind categories\n"
          "codepage 1252\n"
          "category 7 \"Startup\"   # trailing comment\n"
          "  description \"Runs at boot\"\n"
          "  extra \"More\"\n"
          "  action 2\n"
          "  mode 0x103\n"
          "  option3 -1\n"
          "  option4 1\n"
          "  admin-only 1\n"
          "  item HKLM \"Software\\Run\" \"Run key\"\n"
          "  item HKEY_CLASSES_ROOT \".exe\" \"Programs\"\n"
          "  item 0x80000004 \".txt\" \"Odd root\" flags 0x8\n"
          "category -3 \"Empty\"\n",
          source);
    ASSERT_EQ(source.kind, RdbKind::kCategories);
    EXPECT_EQ(source.codePage, 1252u);
    ASSERT_EQ(source.database.Count(), 2u);
    const RuleCategory& c = source.database.Categories()[0];
    EXPECT_EQ(c.id, 7);
    EXPECT_STREQ(c.name, "Startup");
    EXPECT_STREQ(c.wideName, L"Startup");
    EXPECT_STREQ(c.description, "Runs at boot");
    EXPECT_STREQ(c.wideExtraText, L"More");
    EXPECT_EQ(c.action, 2);
    EXPECT_EQ(c.mode, 0x103);
    EXPECT_EQ(c.option3, -1);
    EXPECT_EQ(c.option4, 1);
    EXPECT_EQ(c.adminOnly, 1);

    std::vector<const RuleItem*> items = Items(c);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]->root, kHkeyLocalMachine);
    EXPECT_STREQ(items[0]->keyPath, "Software\\Run");
    EXPECT_STREQ(items[0]->name, "Run key");
    EXPECT_STREQ(items[0]->wideName, L"Run key");
    EXPECT_EQ(items[0]->flags, 0u);
    // A key path beginning with a dot sets bit 0 unless flags are given.
    EXPECT_EQ(items[1]->root, kHkeyClassesRoot);
    EXPECT_EQ(items[1]->flags, 1u);
    EXPECT_EQ(items[2]->root, 0x80000004u);
    EXPECT_EQ(items[2]->flags, 8u);

    const RuleCategory& empty = source.database.Categories()[1];
    EXPECT_EQ(empty.id, -3);
    EXPECT_EQ(empty.items, nullptr);
    EXPECT_EQ(empty.action, 0);
    EXPECT_STREQ(empty.description, "");
}

TEST(SourceFormat, NarrowTextsAreInTheNamedCodePageWhateverTheMachine) {
    RdbSource chinese;
    Parse("kind categories\ncodepage 936\ncategory 1 \"启动项\"\n  item HKCU \"Software\\软件\" \"项\"\n", chinese);
    const RuleCategory& c = chinese.database.Categories()[0];
    EXPECT_STREQ(c.name, "\xC6\xF4\xB6\xAF\xCF\xEE");  // GBK
    EXPECT_STREQ(c.wideName, L"\x542F\x52A8\x9879");
    EXPECT_STREQ(c.items->keyPath, "Software\\\xC8\xED\xBC\xFE");
    EXPECT_STREQ(c.items->name, "\xCF\xEE");

    RdbSource western;
    Parse("kind categories\ncodepage 1252\ncategory 1 \"Caf\xC3\xA9 \xE2\x82\xAC\"\n", western);
    EXPECT_STREQ(western.database.Categories()[0].name, "Caf\xE9 \x80");
}

TEST(SourceFormat, ExplicitNarrowFormsAndEscapesGiveExactBytes) {
    RdbSource source;
    Parse("kind categories\ncodepage 1252\n"
          "category 1 \"Wide `u00E9 ``q`\"\"\n"
          "  ansi-name \"Narrow `x81`t\"\n"
          "  ansi-description \"\"\n"
          "  description \"text\"\n"
          "  item HKCU \"A\" \"\xE4\xB8\xAD\" ansi-name \"`x80\" flags 2\n",
          source);
    const RuleCategory& c = source.database.Categories()[0];
    EXPECT_STREQ(c.wideName, L"Wide \x00E9 `q\"");
    EXPECT_STREQ(c.name, "Narrow \x81\t");
    EXPECT_STREQ(c.wideDescription, L"text");
    EXPECT_STREQ(c.description, "");
    EXPECT_STREQ(c.items->wideName, L"\x4E2D");
    EXPECT_STREQ(c.items->name, "\x80");
    EXPECT_EQ(c.items->flags, 2u);
}

TEST(SourceFormat, RuleLibrariesKeepRecordsSeparatorAndNumbers) {
    RdbSource source;
    Parse("kind library\ncodepage 1252\nseparator 0x00\n"
          "rule \"Browser\" \"Start page\" \"HKCU\\Software\\Main\" \"`\"%1`\" *\" -7\n"
          "rule \"Files\" \"\" \"HKCR\\.exe\" \"\"\n",
          source);
    ASSERT_EQ(source.kind, RdbKind::kLibrary);
    EXPECT_EQ(source.library.separator, 0);
    ASSERT_EQ(source.library.rules.size(), 2u);
    const LibraryRule& r = source.library.rules[0];
    EXPECT_EQ(r.category, "Browser");
    EXPECT_EQ(r.displayName, "Start page");
    EXPECT_EQ(r.keyPath, "HKCU\\Software\\Main");
    EXPECT_EQ(r.valuePattern, "\"%1\" *");
    EXPECT_EQ(r.number, -7);
    EXPECT_EQ(source.library.rules[1].number, 0);
}

TEST(SourceFormat, WarningsNameTheirLineAndDoNotStopTheSource) {
    RdbSource source;
    std::vector<SourceMessage> warnings;
    SourceMessage error;
    ASSERT_TRUE(ParseSource("kind categories\ncodepage 1252\ncategory 1 \"a\"\ncategory 1 \"b\"\n", source, warnings,
                            error));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].line, 4);
    EXPECT_NE(warnings[0].text.find("used twice"), std::string::npos);

    RdbSource library;
    warnings.clear();
    ASSERT_TRUE(ParseSource("kind library\ncodepage 1252\nrule \"c\" \"d\" \"HKEY_LOCAL_MACHINE\\X\" \"v\"\n", library,
                            warnings, error));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].line, 3);
    EXPECT_NE(warnings[0].text.find("short root name"), std::string::npos);
}

struct BadSource {
    const char* what;
    std::string text;
    int line;
    const char* message;  // a part of the message
};

TEST(SourceFormat, BadSourcesAreRefusedWithTheirLine) {
    const std::string head = "kind categories\ncodepage 1252\n";
    const std::string libraryHead = "kind library\ncodepage 1252\n";
    const std::string longName(64, 'n');
    std::string wideChinese;
    for (int i = 0; i < 32; ++i) wideChinese += "\xE9\xA1\xB9";  // 32 characters, 64 bytes in GBK
    const BadSource cases[] = {
        {"no kind first", "codepage 1252\n", 1, "must begin with"},
        {"empty source", "# nothing\n\n", 0, "empty source"},
        {"no code page at all", "kind categories\n", 0, "no codepage"},
        {"code page after texts", "kind library\nrule \"a\" \"b\" \"HKLM\\c\" \"d\"\n", 2, "before the first rule"},
        {"unknown kind", "kind tables\n", 1, "\"tables\""},
        {"not an ANSI code page", "kind categories\ncodepage 65001\n", 2, "not an ANSI code page"},
        {"unknown statement", head + "category 1 \"a\"\n  colour 3\n", 4, "unknown statement \"colour\""},
        {"library statement in categories", head + "rule \"a\" \"b\" \"c\" \"d\"\n", 3, "unknown statement"},
        {"item outside a category", head + "item HKLM \"a\" \"b\"\n", 3, "must follow a category"},
        {"unknown root", head + "category 1 \"a\"\n\n  item HKXX \"a\" \"b\"\n", 5, "unknown root"},
        {"root zero ends the items", head + "category 1 \"a\"\n  item 0x0 \"a\" \"b\"\n", 4, "out of range"},
        {"unterminated quote", head + "category 1 \"abc\n", 3, "missing closing quote"},
        {"glued quote", head + "category 1 \"a\"b\n", 3, "put a blank"},
        {"bad number", head + "category 1 \"a\"\n  action one\n", 4, "not a number"},
        {"number too large", head + "category 0x100000000 \"a\"\n", 3, "out of range"},
        {"field twice", head + "category 1 \"a\"\n  mode 1\n  mode 2\n", 5, "given twice"},
        {"missing value", head + "category 1\n", 3, "missing values"},
        {"extra value", head + "category 1 \"a\"\n  action 1 2\n", 4, "too many values"},
        {"name too long", head + "category 1 \"" + longName + "\"\n", 3, "longer than 63"},
        {"narrow name too long in bytes", "kind categories\ncodepage 936\ncategory 1 \"" + wideChinese + "\"\n", 3,
         "bytes in code page 936"},
        {"character outside the code page", head + "category 1 \"ok\"\n  description \"\xE5\x90\xAF\"\n", 4,
         "U+542F"},
        {"item name outside the code page", head + "category 1 \"ok\"\n  item HKLM \"a\" \"\xE5\x90\xAF\"\n", 4,
         "U+542F"},
        {"key path outside the code page", head + "category 1 \"ok\"\n  item HKLM \"\xE5\x90\xAF\" \"a\"\n", 4,
         "U+542F"},
        {"NUL in a text", head + "category 1 \"a`x00b\"\n", 3, "NUL"},
        {"byte escape in a wide text", head + "category 1 \"a`x41\"\n", 3, "narrow texts"},
        {"unit escape in a narrow text", head + "category 1 \"a\"\n  ansi-name \"`u0041\"\n", 4, "wide texts"},
        {"unknown escape", head + "category 1 \"a`q\"\n", 3, "unknown escape"},
        {"bad UTF-8", head + "category 1 \"\xC3\x28\"\n", 3, "UTF-8"},
        {"bad item option", head + "category 1 \"a\"\n  item HKLM \"a\" \"b\" colour 1\n", 4, "unexpected \"colour\""},
        {"empty rule category", libraryHead + "rule \"\" \"b\" \"HKLM\\c\" \"d\"\n", 3, "must not be empty"},
        {"separator after rules", libraryHead + "rule \"a\" \"b\" \"HKLM\\c\" \"d\"\nseparator 10\n", 4,
         "before the first rule"},
        {"separator out of range", libraryHead + "separator 256\n", 3, "out of range"},
        {"rule name too long", libraryHead + "rule \"" + longName + "\" \"b\" \"HKLM\\c\" \"d\"\n", 3, "at most 63"},
    };
    for (const BadSource& c : cases) {
        SourceMessage error = ParseError(c.text);
        EXPECT_EQ(error.line, c.line) << c.what << ": " << error.text;
        EXPECT_NE(error.text.find(c.message), std::string::npos) << c.what << ": " << error.text;
    }
}

TEST(QuotedText, QuotingAndDecodingAreExactInverses) {
    const std::wstring wide[] = {
        L"plain", L"tab\there `q` \"quoted\"", L"\x4E2D\x6587", L"lone \xD800 surrogate", L"pair \xD83D\xDE00",
        L"ctl \x01\x7F", L"\xFFFF",
    };
    for (const std::wstring& text : wide) {
        std::string quoted = QuoteWideText(text);
        ASSERT_EQ(quoted.front(), '"');
        std::wstring back;
        std::string error;
        ASSERT_TRUE(DecodeWideText(quoted.substr(1, quoted.size() - 2), back, error)) << quoted << ": " << error;
        EXPECT_EQ(back, text) << quoted;
    }
    const std::string narrow[] = {"plain", "caf\xE9", "\x81\x8D odd", "\xC6\xF4\xB6\xAF", "\xC6 cut", "`\"\n\x1F"};
    for (uint32_t codePage : {1252u, 936u}) {
        for (const std::string& text : narrow) {
            std::string quoted = QuoteAnsiText(text, codePage);
            std::string back, error;
            ASSERT_TRUE(DecodeAnsiText(quoted.substr(1, quoted.size() - 2), codePage, back, error))
                << quoted << ": " << error;
            EXPECT_EQ(back, text) << codePage << " " << quoted;
        }
    }
    // Readable where the code page allows it.
    EXPECT_EQ(QuoteAnsiText("\xC6\xF4\xB6\xAF", 936), "\"\xE5\x90\xAF\xE5\x8A\xA8\"");
    EXPECT_EQ(QuoteAnsiText("\xC6 cut", 936), "\"`xC6 cut\"");
}

}  // namespace
