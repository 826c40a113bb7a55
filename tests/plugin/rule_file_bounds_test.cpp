// User rule files no user writes, through the real plug-in: Load reads them
// with work bounded by what the store takes.
#include <gtest/gtest.h>

#include <memory>

#include "rules/ini_rules.h"
#include "tests/support/plugin_test.h"
#include "tests/support/plugin_library.h"
#include "tests/support/profile_meter.h"
#include "tests/support/rule_files.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

class RuleFileBounds : public PluginTest {
protected:
    std::wstring RuleFile() const { return Real(L"RegUser.ini"); }
};

TEST_F(RuleFileBounds, ARuleFileNotInThePlainFormIsReadOneCallPerSection) {
    // 2 MB of hand-written rules, ten to a section, behind a byte-order mark.
    const size_t rules = WriteRuleFile(RuleFile(), "\xEF\xBB\xBF", 2 << 20, 10);
    ASSERT_GT(rules, 30000u);
    const uint64_t sections = rules / 10;
    // One call per key would be a call per rule; past the budget calls are
    // answered empty, so such a reader fails here quickly.
    ProfileMeterOptions options;
    options.callBudget = 2 * sections;
    ProfileMeter meter(library_->Module(), options);
    ASSERT_TRUE(meter.Installed());
    EXPECT_EQ(plugin_->Load(), 0);
    EXPECT_GT(meter.SectionReads(), 0u);
    EXPECT_LE(meter.Calls(), sections + 32) << "value reads " << meter.ValueReads();
}

TEST_F(RuleFileBounds, AHugePlainRuleFileIsReadOnlyUpToTheLimit) {
    ASSERT_GT(WriteRuleFile(RuleFile(), "", 100u << 20, 10), 1000000u);
    ProfileMeterOptions options;
    options.refuseFilesAbove = kMaxIniFileBytes;
    ProfileMeter meter(library_->Module(), options);
    ASSERT_TRUE(meter.Installed());
    EXPECT_EQ(plugin_->Load(), 0);
    // The profile functions parse a file they are given whole.
    EXPECT_LE(meter.LargestFile(), kMaxIniFileBytes);
    // The plain reader read the part within the limit, and no more.
    EXPECT_GT(meter.BytesRead(), kMaxIniFileBytes - 4096);
    EXPECT_LE(meter.BytesRead(), kMaxIniFileBytes + (64 << 10));
}

}  // namespace
