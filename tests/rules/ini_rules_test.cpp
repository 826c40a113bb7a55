#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "rules/ini_rules.h"
#include "rules/ini_snapshot.h"
#include "rules/profile_list.h"
#include "rules/rule_entry_list.h"
#include "tests/support/test_files.h"
#include "tests/support/profile_meter.h"
#include "tests/support/rule_files.h"

using namespace testing_support;

namespace {

struct EntryView {
    std::string category, displayName, keyPath, valuePattern;
    int number;
};

std::string Describe(const EntryView& e) {
    return "[" + e.category + "|" + e.displayName + "|" + e.keyPath + "|" + e.valuePattern + "|" +
           std::to_string(e.number) + "]";
}

// "" when the lists are equal, else where they first differ (long lists
// would print thousands of entries).
std::string FirstDifference(const std::vector<EntryView>& got, const std::vector<EntryView>& expected) {
    for (size_t i = 0; i < got.size() && i < expected.size(); ++i)
        if (Describe(got[i]) != Describe(expected[i]))
            return "entry " + std::to_string(i) + ": got " + Describe(got[i]) + ", expected " + Describe(expected[i]);
    if (got.size() != expected.size())
        return "got " + std::to_string(got.size()) + " entries, expected " + std::to_string(expected.size());
    return "";
}

// The entries of RuleFileText(first, end, perSection), newest first.
std::vector<EntryView> ExpectedRules(size_t first, size_t end, size_t perSection) {
    std::vector<EntryView> out;
    for (size_t r = end; r-- > first;)
        out.push_back({RuleSectionName(r / perSection), "Rule group " + std::to_string(r / perSection), RuleKeyPath(r),
                       RuleValuePattern(r), RuleNumber(r)});
    return out;
}

std::string Utf16WithMark(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

std::vector<EntryView> Flatten(const RuleEntry* list) {
    std::vector<EntryView> out;
    for (; list; list = list->next)
        out.push_back({list->category, list->displayName, list->keyPath, list->valuePattern, list->number});
    return out;
}

class IniRulesTest : public ::testing::Test {
protected:
    std::vector<EntryView> Read(const std::string& text) {
        WriteBytes(m_folder.File(L"RegUser.ini"), text);
        RuleEntryList list(ReadIniRuleFile(Narrow(m_folder.File(L"RegUser.ini")).c_str()));
        return Flatten(list.get());
    }
    std::vector<EntryView> ReadWithin(const std::string& text, const IniReadLimits& limits,
                                      std::vector<std::string>* sections = nullptr) {
        WriteBytes(m_folder.File(L"limited.ini"), text);
        RuleEntryList list(ReadIniRuleFile(Narrow(m_folder.File(L"limited.ini")).c_str(), limits, sections));
        return Flatten(list.get());
    }

    ScratchDir m_folder{L"rules"};
    FakePlatform m_platform;
};

TEST_F(IniRulesTest, BrowserStartPageRule) {
    auto entries = Read(
        "[Browser]\r\nname=Start page\r\n"
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\\Start Page=www,1\r\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].category, "Browser");
    EXPECT_EQ(entries[0].displayName, "Start page");
    EXPECT_EQ(entries[0].keyPath, "HKCU\\Software\\Microsoft\\Internet Explorer\\Main\\Start Page");
    EXPECT_EQ(entries[0].valuePattern, "www");
    EXPECT_EQ(entries[0].number, 1);
}

TEST_F(IniRulesTest, MissingOrEmptyFileOrNameOnlySectionGivesNoEntries) {
    EXPECT_EQ(ReadIniRuleFile(Narrow(m_folder.File(L"absent.ini")).c_str()), nullptr);
    EXPECT_EQ(Read("").size(), 0u);
    EXPECT_EQ(Read("[OnlyName]\r\nname=Shown\r\n").size(), 0u);
}

TEST_F(IniRulesTest, DisplayNameFallsBackToSectionName) {
    auto entries = Read(
        "[NoName]\r\nHKCU\\A=1\r\n"
        "[EmptyName]\r\nname=\r\nHKCU\\B=2\r\n"
        "[Upper]\r\nNAME=Given\r\nHKCU\\C=3\r\n");
    ASSERT_EQ(entries.size(), 3u);
    // Reverse of file order.
    EXPECT_EQ(entries[2].displayName, "NoName");
    EXPECT_EQ(entries[1].displayName, "EmptyName");
    EXPECT_EQ(entries[0].displayName, "Given");  // the name key matches in any case and is no rule
    EXPECT_EQ(entries[0].keyPath, "HKCU\\C");
}

TEST_F(IniRulesTest, LongAndShortRootNamesGiveEqualEntries) {
    auto entries = Read("[S]\r\nHKLM\\X=1,2\r\nHKEY_LOCAL_MACHINE\\Y=1,2\r\nhkey_classes_root\\Z=v\r\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].keyPath, "HKLM\\X");
    EXPECT_EQ(entries[1].keyPath, "HKLM\\Y");
    EXPECT_EQ(entries[0].keyPath, "HKCR\\Z");
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(entries[i].valuePattern, "1");
        EXPECT_EQ(entries[i].number, 2);
    }
    EXPECT_EQ(entries[0].number, 0);
}

TEST_F(IniRulesTest, NumberIsReadOnlyAfterTheFirstComma) {
    auto entries = Read("[S]\r\nHKCU\\A=a,b,3\r\nHKCU\\B=b, -17x\r\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].valuePattern, "a");
    EXPECT_EQ(entries[1].number, 0);
    EXPECT_EQ(entries[0].valuePattern, "b");
    EXPECT_EQ(entries[0].number, -17);
}

TEST_F(IniRulesTest, KeysWithoutKnownRootAreDroppedOthersKept) {
    auto entries = Read("[S]\r\nHKEY_BOGUS\\X=1\r\nSoftware\\X=1\r\nHKLM=1\r\nHKU\\Kept=1\r\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].keyPath, "HKU\\Kept");
}

TEST_F(IniRulesTest, ValuePatternsAreExpanded) {
    m_platform.systemDirectory = "C:\\SYS";
    auto entries = Read("[S]\r\nHKCU\\A=%SYSTEM%\\a.exe\r\nHKCU\\B=\\*.exe,4\r\nHKCU\\C=x%System%%system%\r\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].valuePattern, "C:\\SYS\\a.exe");
    EXPECT_EQ(entries[1].valuePattern, "*");
    EXPECT_EQ(entries[1].number, 4);
    EXPECT_EQ(entries[0].valuePattern, "xC:\\SYS%system%");  // only the first occurrence
}

TEST_F(IniRulesTest, EntriesRunInReverseFileOrder) {
    auto entries = Read("[First]\r\nHKCU\\1=a\r\nHKCU\\2=b\r\n[Second]\r\nHKCU\\3=c\r\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].keyPath, "HKCU\\3");
    EXPECT_EQ(entries[0].category, "Second");
    EXPECT_EQ(entries[1].keyPath, "HKCU\\2");
    EXPECT_EQ(entries[2].keyPath, "HKCU\\1");
    EXPECT_EQ(entries[2].category, "First");
}

TEST_F(IniRulesTest, LongTextsAreCutToTheirReadBuffers) {
    std::string longName(100, 'n');
    std::string longValue(400, 'v');
    auto entries = Read("[S]\r\nname=" + longName + "\r\nHKCU\\A=" + longValue + "\r\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].displayName, std::string(59, 'n'));
    EXPECT_EQ(entries[0].valuePattern, std::string(259, 'v'));
}

TEST_F(IniRulesTest, ManySectionsAndKeysGrowTheListBuffers) {
    std::string text;
    for (int s = 0; s < 300; ++s) {
        text += "[Section" + std::to_string(s) + "]\r\n";
        text += "HKCU\\Key" + std::to_string(s) + "=v\r\n";
    }
    text += "[Wide]\r\n";
    for (int k = 0; k < 200; ++k) text += "HKLM\\Software\\Many\\Key" + std::to_string(k) + "=" + std::to_string(k) + ",5\r\n";
    auto entries = Read(text);
    ASSERT_EQ(entries.size(), 500u);
    EXPECT_EQ(entries[0].keyPath, "HKLM\\Software\\Many\\Key199");
    EXPECT_EQ(entries[199].keyPath, "HKLM\\Software\\Many\\Key0");
    EXPECT_EQ(entries[200].category, "Section299");
    EXPECT_EQ(entries[499].category, "Section0");
    EXPECT_EQ(entries[499].keyPath, "HKCU\\Key0");
}

// Heads that make the same rules plain, or leave them to the profile functions.
const char* const kHeads[] = {"", "\xEF\xBB\xBF", "; edited by hand\r\n"};

TEST_F(IniRulesTest, LongFilesGiveTheirLastRulesAsTheStoreTookThem) {
    // The store took the first 10001 entries of the whole list: the last
    // 10001 rules of the file.  The reader keeps no more than those.
    const std::string rules = RuleFileText(0, 12000, 10);
    for (const char* head : kHeads) {
        std::vector<std::string> sections;
        const std::vector<EntryView> entries = ReadWithin(head + rules, IniReadLimits(), &sections);
        EXPECT_EQ(FirstDifference(entries, ExpectedRules(1999, 12000, 10)), "") << "head: " << head;
        ASSERT_EQ(sections.size(), entries.size());
        EXPECT_EQ(sections.front(), "Rules01199");
        EXPECT_EQ(sections.back(), "Rules00199");
        // Without limits given, the store's.
        RuleEntryList again(ReadIniRuleFile(Narrow(m_folder.File(L"limited.ini")).c_str()));
        EXPECT_EQ(FirstDifference(Flatten(again.get()), entries), "");
    }
}

TEST_F(IniRulesTest, FilesAboveTheByteLimitAreReadToTheirLastWholeLine) {
    IniReadLimits limits;
    limits.bytes = 2000;
    for (const char* head : kHeads) {
        const std::string text = head + RuleFileText(0, 60, 4);
        const std::string within = text.substr(0, text.rfind('\n', limits.bytes - 1) + 1);
        const std::vector<EntryView> expected = ReadWithin(within, IniReadLimits());
        ASSERT_FALSE(expected.empty());
        EXPECT_LT(expected.size(), 60u);
        EXPECT_EQ(FirstDifference(ReadWithin(text, limits), expected), "") << head;
        // Whole UTF-16 lines: the cut falls on a line feed unit, not on a
        // byte that merely looks like one.
        if (head[0] != '\0') continue;
        IniReadLimits wide;
        wide.bytes = 2 + 2 * limits.bytes + 1;
        EXPECT_EQ(FirstDifference(ReadWithin(Utf16WithMark(text), wide), expected), "") << "UTF-16";
    }
    // A file without a line end within the limit gives nothing.
    limits.bytes = 10;
    EXPECT_EQ(ReadWithin("[Section]\r\nHKCU\\A=1\r\n", limits).size(), 0u);
}

TEST_F(IniRulesTest, SectionsPastTheLimitAreNotRead) {
    IniReadLimits limits;
    limits.sections = 3;
    for (const char* head : kHeads)
        EXPECT_EQ(FirstDifference(ReadWithin(head + RuleFileText(0, 20, 4), limits), ExpectedRules(0, 12, 4)), "")
            << head;
    // A name listed again counts again, and reads the first section so named.
    const std::string repeated = "[A]\r\nHKCU\\X=1\r\n[B]\r\nHKCU\\Y=2\r\n[a]\r\n";
    EXPECT_EQ(FirstDifference(ReadWithin(repeated + "[C]\r\nHKCU\\Z=3\r\n", limits), ReadWithin(repeated, IniReadLimits())),
              "");
    EXPECT_EQ(ReadWithin(repeated, IniReadLimits()).size(), 3u);
}

TEST_F(IniRulesTest, CopiesArePiecedOnlyAtSectionLinesNoReadingTakesOtherwise) {
    // Not piece starts: a blank before the bracket, no closing bracket, text
    // beyond ASCII on the line or on the line before (a double-byte
    // character there could take the line end).
    const std::string text = "\xEF\xBB\xBF[A]\r\nk=1\r\n[B]\r\n \t[C]\r\n[D\r\n[E]\r\n\xE9=1\r\n[F]\r\n[G\xE9]\r\n[H]\r\n";
    IniPieces pieces = SplitIniPieces(text, 1, 100);
    EXPECT_EQ(pieces.starts, (std::vector<size_t>{0, text.find("[B]"), text.find("[E]")}));
    EXPECT_EQ(pieces.end, text.size());
    // Two sections a piece; the text ends before the fourth section line.
    const std::string plain = "[A]\r\n[B]\r\n[C]\r\n[D]\r\n[E]\r\n";
    pieces = SplitIniPieces(plain, 2, 3);
    EXPECT_EQ(pieces.starts, (std::vector<size_t>{0, plain.find("[C]")}));
    EXPECT_EQ(pieces.end, plain.find("[D]"));
    // UTF-16 of either byte order: lines in two-byte units.
    const std::string little = Utf16WithMark(plain);
    std::string big = "\xFE\xFF";
    for (char c : plain) big += std::string(1, '\0') + c;
    for (const std::string& wide : {little, big}) {
        pieces = SplitIniPieces(wide, 2, 3);
        EXPECT_EQ(pieces.starts, (std::vector<size_t>{0, 2 + 2 * plain.find("[C]")}));
        EXPECT_EQ(pieces.end, 2 + 2 * plain.find("[D]"));
    }
    EXPECT_EQ(SplitIniPieces(plain, 0, 100).starts, std::vector<size_t>{0});
}

std::vector<std::string> Names(const std::vector<char>& list) {
    std::vector<std::string> names;
    for (const char* p = list.data(); *p; p += names.back().size() + 1) names.emplace_back(p);
    return names;
}

TEST_F(IniRulesTest, ProfileListReturnsEveryNameInFileOrder) {
    WriteBytes(m_folder.File(L"list.ini"), "[alpha]\r\nk1=1\r\nk2=2\r\n[bravo-longer-name]\r\n[c]\r\n");
    const std::string path = Narrow(m_folder.File(L"list.ini"));
    EXPECT_EQ(Names(ReadProfileList(path.c_str())),
              (std::vector<std::string>{"alpha", "bravo-longer-name", "c"}));
    EXPECT_EQ(Names(ReadProfileList(path.c_str(), "alpha")), (std::vector<std::string>{"k1", "k2"}));
    EXPECT_TRUE(Names(ReadProfileList(path.c_str(), "missing")).empty())
        << ::testing::PrintToString(Names(ReadProfileList(path.c_str(), "missing")));
    EXPECT_TRUE(Names(ReadProfileList(Narrow(m_folder.File(L"absent.ini")).c_str())).empty())
        << ::testing::PrintToString(Names(ReadProfileList(Narrow(m_folder.File(L"absent.ini")).c_str())));

    // A long list takes a few reads, its buffer doubling, not one per kilobyte.
    std::string many;
    for (int s = 0; s < 8000; ++s) many += "[Section" + std::to_string(100000 + s) + "]\r\n";
    WriteBytes(m_folder.File(L"many.ini"), many);
    ProfileMeter meter(::GetModuleHandleW(nullptr));
    ASSERT_TRUE(meter.Installed());
    const std::vector<std::string> names = Names(ReadProfileList(Narrow(m_folder.File(L"many.ini")).c_str()));
    ASSERT_EQ(names.size(), 8000u);
    EXPECT_EQ(names.back(), "Section107999");
    EXPECT_LE(meter.ListReads(), 16u);
}

}  // namespace
