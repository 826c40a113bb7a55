#include <gtest/gtest.h>

#include <cstring>

#include "core/root_names.h"

TEST(RootNames, LookupsIgnoreLetterCase)
{
    EXPECT_EQ(kHkeyLocalMachine, RootFromLongName("HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(kHkeyLocalMachine, RootFromLongName("hkey_Local_machine"));
    EXPECT_EQ(kHkeyCurrentUser, RootFromShortName("hkcu"));
    EXPECT_EQ(kHkeyUsers, RootFromShortName("HKU"));
    EXPECT_EQ(kHkeyDynData, RootFromLongName("HKEY_DYN_DATA"));
    EXPECT_EQ(kHkeyCurrentConfig, RootFromShortName("HkCc"));
}

TEST(RootNames, LongAndShortNamesDoNotMix)
{
    EXPECT_EQ(0u, RootFromLongName("HKLM"));
    EXPECT_EQ(0u, RootFromShortName("HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(0u, RootFromLongName("HKEY_LOCAL_MACHINEX"));
    EXPECT_EQ(0u, RootFromShortName("HKL"));
    EXPECT_EQ(0u, RootFromShortName(""));
    EXPECT_EQ(0u, RootFromLongName(nullptr));
}

TEST(RootNames, NoRowForPerformanceData)
{
    EXPECT_STREQ("", LongNameFromRoot(0x80000004u));
    EXPECT_STREQ("", ShortNameFromRoot(0x80000004u));
    EXPECT_STREQ("", ShortNameFromRoot(0));
    EXPECT_STREQ("", LongNameFromRoot(0x80000007u));
    for (const RegistryRootName& row : kRegistryRoots)
        EXPECT_NE(0x80000004u, row.root);
}

TEST(RootNames, OnlyClassesRootAndLocalMachineNeedAdmin)
{
    EXPECT_TRUE(RootNeedsAdmin(0x80000000u));
    EXPECT_TRUE(RootNeedsAdmin(0x80000002u));
    for (uint32_t root : {0x80000001u, 0x80000003u, 0x80000004u, 0x80000005u, 0x80000006u, 0u})
        EXPECT_FALSE(RootNeedsAdmin(root)) << std::hex << root;
}

TEST(RootNames, CompareNoCaseFoldsAsciiOnly)
{
    EXPECT_EQ(0, CompareNoCase("Software\\Abc", "SOFTWARE\\aBC"));
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareNoCase("abcd", "ABC"), 0);
    // Folding maps to lower case, as the C runtime does: '_' sorts before letters.
    EXPECT_LT(CompareNoCase("_", "A"), 0);
    // Bytes above 0x7F are compared unchanged.
    EXPECT_NE(0, CompareNoCase("\xC4", "\xE4"));
}
