#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/root_names.h"
#include "core/rule_text.h"
#include "test_support.h"

namespace {

EntryPtr Make(const char* section, const char* display, const char* key, const char* value)
{
    return EntryPtr(MakeRuleEntry(section, display, key, value));
}

char* HeapText(const std::string& text)
{
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

std::string Expand(const std::string& text, const char* systemDirectory)
{
    char* result = ExpandValuePatternWith(HeapText(text), systemDirectory);
    std::string copy = result != nullptr ? result : "<null>";
    std::free(result);
    return copy;
}

}  // namespace

TEST(MakeRuleEntry, LongAndShortRootsGiveEqualEntries)
{
    EntryPtr shortForm = Make("Sec", "", "HKLM\\X", "1,2");
    EntryPtr longForm = Make("Sec", "", "HKEY_LOCAL_MACHINE\\X", "1,2");
    ASSERT_TRUE(shortForm && longForm);
    for (const RuleEntry* entry : {shortForm.get(), longForm.get()}) {
        EXPECT_STREQ("HKLM\\X", entry->keyPath);
        EXPECT_STREQ("1", entry->valuePattern);
        EXPECT_EQ(2, entry->number);
        EXPECT_STREQ("Sec", entry->category);
        EXPECT_STREQ("Sec", entry->displayName);  // empty display name falls back
        EXPECT_EQ(nullptr, entry->next);
    }
}

TEST(MakeRuleEntry, KeepsRestOfPathAndDisplayName)
{
    EntryPtr entry = Make("Browser", "Start page",
                          "hkey_current_user\\Software\\Microsoft\\Internet Explorer\\Main\\Start Page", "www,1");
    ASSERT_TRUE(entry);
    EXPECT_STREQ("HKCU\\Software\\Microsoft\\Internet Explorer\\Main\\Start Page", entry->keyPath);
    EXPECT_STREQ("Start page", entry->displayName);
    EXPECT_STREQ("www", entry->valuePattern);
    EXPECT_EQ(1, entry->number);

    // Only the first backslash splits; the rest stays as written.
    entry = Make("S", "", "hkcr\\a\\\\B", "");
    ASSERT_TRUE(entry);
    EXPECT_STREQ("HKCR\\a\\\\B", entry->keyPath);
    EXPECT_STREQ("", entry->valuePattern);
    EXPECT_EQ(0, entry->number);
}

TEST(MakeRuleEntry, ValueSplitsAtFirstComma)
{
    EntryPtr entry = Make("S", "", "HKCU\\X", "a,b,3");
    ASSERT_TRUE(entry);
    EXPECT_STREQ("a", entry->valuePattern);
    EXPECT_EQ(0, entry->number);

    entry = Make("S", "", "HKCU\\X", "v, -17x,4");
    ASSERT_TRUE(entry);
    EXPECT_STREQ("v", entry->valuePattern);
    EXPECT_EQ(-17, entry->number);

    entry = Make("S", "", "HKCU\\X", ",9");
    ASSERT_TRUE(entry);
    EXPECT_STREQ("", entry->valuePattern);
    EXPECT_EQ(9, entry->number);
}

TEST(MakeRuleEntry, RejectsKeysThatAreNoRules)
{
    EXPECT_FALSE(Make("S", "", "HKEY_BOGUS\\X", "1"));
    EXPECT_FALSE(Make("S", "", "Software\\X", "1"));
    EXPECT_FALSE(Make("S", "", "HKLM", "1"));
    EXPECT_FALSE(Make("S", "", "\\HKLM\\X", "1"));
    EXPECT_FALSE(Make("S", "", nullptr, "1"));
}

TEST(MakeRuleEntry, CutsOverlongTexts)
{
    std::string longName(100, 'n');
    std::string longRest(2000, 'k');
    std::string longValue(1500, 'v');
    EntryPtr entry = Make(longName.c_str(), longName.c_str(), ("HKLM\\" + longRest).c_str(), longValue.c_str());
    ASSERT_TRUE(entry);
    EXPECT_EQ(std::string(63, 'n'), entry->category);
    EXPECT_EQ(std::string(63, 'n'), entry->displayName);
    EXPECT_EQ("HKLM\\" + std::string(1018, 'k'), entry->keyPath);
    EXPECT_EQ(std::string(1023, 'v'), entry->valuePattern);
}

TEST(ParseLeadingInt, FollowsAtoiRules)
{
    EXPECT_EQ(42, ParseLeadingInt("42"));
    EXPECT_EQ(-7, ParseLeadingInt(" \t-7abc"));
    EXPECT_EQ(5, ParseLeadingInt("+5"));
    EXPECT_EQ(0, ParseLeadingInt("b,3"));
    EXPECT_EQ(0, ParseLeadingInt(""));
    EXPECT_EQ(0, ParseLeadingInt("- 5"));
    EXPECT_EQ(0, ParseLeadingInt(nullptr));
    EXPECT_EQ(12, ParseLeadingInt("12 34"));
    // Out-of-range numbers saturate instead of overflowing.
    EXPECT_EQ(INT32_MAX, ParseLeadingInt("99999999999999999999"));
    EXPECT_EQ(INT32_MIN, ParseLeadingInt("-2147483648"));
    EXPECT_EQ(INT32_MIN, ParseLeadingInt("-99999999999"));
}

TEST(ReplaceFirstNoCase, ReplacesOnlyTheFirstAndKeepsLetters)
{
    char out[64];
    EXPECT_EQ(6u, ReplaceFirstNoCase("Ab%SyStem%cD", "%system%", "XY", out, sizeof out));
    EXPECT_STREQ("AbXYcD", out);
    ReplaceFirstNoCase("%system%-%SYSTEM%", "%SYSTEM%", "S", out, sizeof out);
    EXPECT_STREQ("S-%SYSTEM%", out);
    EXPECT_EQ(9u, ReplaceFirstNoCase("NoPattern", "%system%", "S", out, sizeof out));
    EXPECT_STREQ("NoPattern", out);
    // A pattern cut short by the end of the text is no match.
    ReplaceFirstNoCase("abc%syst", "%system%", "S", out, sizeof out);
    EXPECT_STREQ("abc%syst", out);
}

TEST(ReplaceFirstNoCase, OutputIsCutToItsBuffer)
{
    char out[6];
    std::memset(out, 'z', sizeof out);
    EXPECT_EQ(5u, ReplaceFirstNoCase("a%system%b", "%system%", "LONGDIR", out, sizeof out));
    EXPECT_STREQ("aLONG", out);
    char one[1] = {'z'};
    EXPECT_EQ(0u, ReplaceFirstNoCase("abc", "b", "x", one, sizeof one));
    EXPECT_EQ('\0', one[0]);
}

TEST(ExpandValuePattern, AsteriskAnywhereGivesAsterisk)
{
    EXPECT_EQ("*", Expand("\\*.exe", "C:\\windows\\system32"));
    EXPECT_EQ("*", Expand("%system%\\a*", "C:\\windows\\system32"));
    EXPECT_EQ("*", Expand("*", "C:\\windows\\system32"));
}

TEST(ExpandValuePattern, FirstSystemPlaceholderReplaced)
{
    EXPECT_EQ("C:\\windows\\system32\\a.exe", Expand("%SYSTEM%\\a.exe", "C:\\windows\\system32"));
    EXPECT_EQ("x C:\\sys y %system%", Expand("x %System% y %system%", "C:\\sys"));
    EXPECT_EQ("plain.dll", Expand("plain.dll", "C:\\sys"));
    EXPECT_EQ("", Expand("", "C:\\sys"));
}

TEST(ExpandValuePattern, ResultIsAtMost1023Characters)
{
    std::string directory(259, 'd');
    std::string text = "%system%" + std::string(1000, 'x');
    std::string result = Expand(text, directory.c_str());
    EXPECT_EQ(1023u, result.size());
    EXPECT_EQ(directory, result.substr(0, 259));
}

TEST(SplitShortKeyPath, AcceptsShortNamesOnly)
{
    uint32_t root = 0;
    const char* rest = nullptr;
    ASSERT_TRUE(SplitShortKeyPath("hklm\\Software\\X", &root, &rest));
    EXPECT_EQ(kHkeyLocalMachine, root);
    EXPECT_STREQ("Software\\X", rest);
    ASSERT_TRUE(SplitShortKeyPath("HKCR\\.txt", &root, &rest));
    EXPECT_EQ(kHkeyClassesRoot, root);
    EXPECT_STREQ(".txt", rest);

    EXPECT_FALSE(SplitShortKeyPath("HKEY_LOCAL_MACHINE\\Software", &root, &rest));
    EXPECT_FALSE(SplitShortKeyPath("HKLM", &root, &rest));
    EXPECT_FALSE(SplitShortKeyPath("HKXX\\a", &root, &rest));
    EXPECT_FALSE(SplitShortKeyPath(nullptr, &root, &rest));
}
