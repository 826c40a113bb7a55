// The rule store keeps ANSI paths and texts; under a double-byte code page
// they must reach the same files and come back unchanged.  Run with the
// Chinese code page by its own CTest entry; skipped where the code page
// cannot hold the folder name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rule_fixtures.h"
#include "win/ansi_text.h"
#include "rules/ini_rules.h"
#include "rules/rule_database.h"
#include "rules/rule_entry_list.h"
#include "tests/support/test_files.h"

using testing_support::FileExists;
using testing_support::ScratchDir;
using testing_support::WriteBytes;

namespace {

class AnsiPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_wideFolder = m_folder.File(L"\x89c4\x5219");  // "rules" in Chinese
        m_ansiFolder = ToAnsi(m_wideFolder.c_str());
        if (ToWide(m_ansiFolder.c_str()) != m_wideFolder)
            GTEST_SKIP() << "the ANSI code page cannot hold the folder name";
        ASSERT_TRUE(::CreateDirectoryW(m_wideFolder.c_str(), nullptr)) << "error " << ::GetLastError();
    }

    ScratchDir m_folder{L"rules"};
    std::wstring m_wideFolder;
    std::string m_ansiFolder;
};

TEST_F(AnsiPathTest, DatabaseUnderNonAsciiFolderRoundTrips) {
    RuleCategory written[1] = {MakeCategory(800, "Mine")};
    RuleItem item = MakeItem(0x80000001u, "Software\\X", "X", 2);
    PrependItem(&written[0], &item);
    const std::string path = m_ansiFolder + "\\QRegUser.rdb";
    EXPECT_EQ(WriteCategories(path.c_str(), written, 1), 1);
    ClearItems(written, 1);
    EXPECT_TRUE(FileExists(m_wideFolder + L"\\QRegUser.rdb"))
        << ::testing::PrintToString(m_wideFolder + L"\\QRegUser.rdb");

    std::vector<RuleCategory> read(4);
    EXPECT_EQ(ReadCategories(path.c_str(), read.data(), 4), 1u);
    EXPECT_EQ(ItemNames(read[0]), std::vector<std::string>{"X"});
    ClearItems(read.data(), 4);
}

TEST_F(AnsiPathTest, IniRuleTextsStayInTheCodePage) {
    const std::string section = ToAnsi(L"\x6d4f\x89c8\x5668");  // "browser"
    const std::string name = ToAnsi(L"\x4e3b\x9875");           // "home page"
    WriteBytes(m_wideFolder + L"\\RegUser.ini",
               "[" + section + "]\r\nname=" + name + "\r\nHKCU\\Software\\" + section + "=v,1\r\n");
    RuleEntryList list(ReadIniRuleFile((m_ansiFolder + "\\RegUser.ini").c_str()));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->category, section);
    EXPECT_EQ(list->displayName, name);
    EXPECT_EQ(std::string(list->keyPath), "HKCU\\Software\\" + section);
    EXPECT_EQ(list->next, nullptr);
}

// The conversion skips the system for ASCII text; every other text, and
// ASCII under flags that change characters, must still come out as the
// system converts it.
TEST(AnsiText, BytesToWideGivesWhatTheSystemGives) {
    std::string ascii;
    for (int c = 0; c < 0x80; ++c) ascii += static_cast<char>(c);
    const std::string texts[] = {ascii, "HKCU\\Software\\Run", "\x80", "\xff\xfe", "ab\xc4\xe3z", ToAnsi(L"\x89c4\x5219 rules")};
    for (const std::string& text : texts)
        for (unsigned codePage : {static_cast<unsigned>(CP_ACP), static_cast<unsigned>(CP_UTF8)})
            for (unsigned long flags : {0ul, static_cast<unsigned long>(MB_ERR_INVALID_CHARS),
                                        static_cast<unsigned long>(MB_USEGLYPHCHARS)}) {
                if (codePage == CP_UTF8 && flags == MB_USEGLYPHCHARS) continue;  // not a UTF-8 flag
                const int length = static_cast<int>(text.size());
                std::wstring expected(static_cast<size_t>(length) + 1, L'\0');
                const int n = ::MultiByteToWideChar(codePage, flags, text.data(), length, &expected[0], length + 1);
                expected.resize(n > 0 ? static_cast<size_t>(n) : 0);
                std::wstring got;
                const bool converted = BytesToWide(text, codePage, flags, got);
                SCOPED_TRACE(testing::Message() << "code page " << codePage << ", flags " << flags << ", "
                                                << testing::PrintToString(text));
                EXPECT_EQ(converted, n > 0);
                if (n > 0) {
                    EXPECT_EQ(got, expected);
                }
            }
}

}  // namespace
