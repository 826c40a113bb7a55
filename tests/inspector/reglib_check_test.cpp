// The rule library checks: REGINFO against REGLIB, and each record.
#include <gtest/gtest.h>

#include "tests/inspector/crafted_streams.h"
#include "inspector/reglib_check.h"

using namespace inspector_testing;

namespace {

struct Checked {
    FindingList findings;
    RuleLibrarySummary summary;
};

Checked Check(const std::vector<uint8_t>& info, const std::string& lib) {
    Checked c;
    c.summary = CheckRuleLibrary(info.data(), info.size(), reinterpret_cast<const uint8_t*>(lib.data()), lib.size(),
                                 c.findings);
    return c;
}

void ExpectFinding(const Checked& c, Severity severity, const char* where, uint64_t offset, const std::string& part) {
    inspector_testing::ExpectFinding(c.findings, severity, where, offset, part);
}

const std::string kFirst = RegLibRecord("Browser", "HKCU\\Software\\A");
const std::string kSecond = RegLibRecord("Shell", "HKLM\\Software\\B", "-3");
const std::string kWritten = kFirst + kSecond + '\0';

TEST(RuleLibraryCheck, ALibraryAsWrittenIsSound) {
    const Checked c = Check(RegInfo(2, static_cast<uint32_t>(kWritten.size())), kWritten);
    EXPECT_TRUE(c.findings.All().empty()) << AllText(c.findings);
    EXPECT_EQ(c.summary.records, 2u);
    EXPECT_EQ(c.summary.recordsRead, 2u);

    const std::string empty(1, '\0');  // what the writer makes of no rules
    const Checked e = Check(RegInfo(0, 1), empty);
    EXPECT_TRUE(e.findings.All().empty()) << AllText(e.findings);
    EXPECT_EQ(e.summary.recordsRead, 0u);
}

TEST(RuleLibraryCheck, RegInfoAgainstTheRealStream) {
    const uint32_t size = static_cast<uint32_t>(kWritten.size());
    const Checked fewer = Check(RegInfo(1, size), kWritten);
    ExpectFinding(fewer, Severity::kError, "REGINFO", 0, "record count 1 disagrees with the 2 records in REGLIB");
    EXPECT_EQ(fewer.summary.recordsRead, 1u);
    ExpectFinding(Check(RegInfo(5, size), kWritten), Severity::kError, "REGINFO", 0,
                  "record count 5 disagrees with the 2 records in REGLIB; the plug-in stops where the records end");

    const Checked larger = Check(RegInfo(2, size + 10), kWritten);
    ExpectFinding(larger, Severity::kError, "REGINFO", 4, "the plug-in reads no rule");
    EXPECT_EQ(larger.summary.recordsRead, 0u);
    const Checked smaller = Check(RegInfo(2, static_cast<uint32_t>(kFirst.size())), kWritten);
    ExpectFinding(smaller, Severity::kError, "REGINFO", 4, "the plug-in reads only the first");
    EXPECT_EQ(smaller.summary.recordsRead, 1u);

    ExpectFinding(Check({2, 0, 0, 0, 9}, kWritten), Severity::kError, "REGINFO", 0,
                  "5 bytes long, too short for the record count and the data size");
    std::vector<uint8_t> longer = RegInfo(2, size);
    longer.resize(12);
    ExpectFinding(Check(longer, kWritten), Severity::kError, "REGINFO", 8, "4 bytes follow the record count");
}

TEST(RuleLibraryCheck, RecordsThatTheStreamEndCuts) {
    // The second record ends inside its key path.
    const std::string cut = kFirst + "Shell" + '\0' + "Display" + '\0' + "HKLM\\Soft";
    const Checked c = Check(RegInfo(2, static_cast<uint32_t>(cut.size())), cut);
    ExpectFinding(c, Severity::kError, "REGLIB", kFirst.size() + 14,
                  "record #2 ends inside its key path: no terminating NUL before the end of the stream");
    EXPECT_EQ(c.summary.records, 1u);

    const std::string noSeparator = kFirst.substr(0, kFirst.size() - 1);
    ExpectFinding(Check(RegInfo(1, static_cast<uint32_t>(noSeparator.size())), noSeparator), Severity::kError,
                  "REGLIB", noSeparator.size(), "record #1 has no separator byte");

    const std::string trailing = kWritten + "xyz";
    ExpectFinding(Check(RegInfo(2, static_cast<uint32_t>(trailing.size())), trailing), Severity::kError, "REGLIB",
                  kWritten.size(), "3 bytes follow the closing NUL");

    const std::string unclosed = kFirst + kSecond;
    const Checked u = Check(RegInfo(2, static_cast<uint32_t>(unclosed.size())), unclosed);
    EXPECT_EQ(u.findings.Errors(), 0u) << AllText(u.findings);
    ExpectFinding(u, Severity::kWarning, "REGLIB", unclosed.size(), "no closing NUL");
}

TEST(RuleLibraryCheck, RecordTextsThePluginReadsDifferently) {
    const std::string longCategory(70, 'c');
    const std::string lib = RegLibRecord("Browser", "HKEY_CURRENT_USER\\Software\\A") +
                            RegLibRecord(longCategory, "HKCU\\X", "007") + '\0';
    const Checked c = Check(RegInfo(2, static_cast<uint32_t>(lib.size())), lib);
    EXPECT_EQ(c.findings.Errors(), 0u) << AllText(c.findings);
    ExpectFinding(c, Severity::kWarning, "REGLIB", 16,
                  "record #1: the key path \"HKEY_CURRENT_USER\\Software\\A\" does not begin with a short root name");
    const size_t second = lib.find(longCategory);
    ExpectFinding(c, Severity::kWarning, "REGLIB", second, "the category is 70 bytes long; the plug-in keeps the first 63");
    ExpectFinding(c, Severity::kWarning, "REGLIB", lib.find("007"), "the number \"007\" is not a plain decimal number");
}

}  // namespace
