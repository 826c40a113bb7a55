#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "rules/user_rights.h"

namespace {

TEST(IsUserAdminTest, NinetyFivePlatformIsAlwaysAdminWithoutAskingTheToken) {
    FakePlatform platform;
    platform.version = 0x80000A04;
    platform.tokenIsAdmin = false;
    EXPECT_TRUE(IsUserAdmin());
    EXPECT_EQ(platform.tokenQueries, 0);
}

TEST(IsUserAdminTest, NtPlatformFollowsTheToken) {
    FakePlatform platform;
    platform.tokenIsAdmin = false;
    EXPECT_FALSE(IsUserAdmin());
    platform.tokenIsAdmin = true;
    EXPECT_TRUE(IsUserAdmin());
    EXPECT_EQ(platform.tokenQueries, 2);
}

TEST(IsUserAdminTest, RealTokenUnderWineListsAdministrators) {
    // Wine runs every process as an administrator.
    EXPECT_TRUE(Platform().TokenHasAdministrators());
    EXPECT_TRUE(IsUserAdmin());
}

TEST(IsValidKeyPathTest, RootMustBeALongNameFollowedByABackslash) {
    EXPECT_FALSE(IsValidKeyPath(L"HKLM\\Software\\X"));
    EXPECT_FALSE(IsValidKeyPath(L"HKCU\\Software"));
    EXPECT_FALSE(IsValidKeyPath(L"HKEY_BOGUS\\Software"));
    EXPECT_FALSE(IsValidKeyPath(L"HKEY_CURRENT_USER"));
    EXPECT_FALSE(IsValidKeyPath(L""));
    EXPECT_TRUE(IsValidKeyPath(L"hkey_current_user\\Software"));
}

TEST(IsValidKeyPathTest, OneLevelIsAcceptedWithoutOpeningTheKey) {
    EXPECT_TRUE(IsValidKeyPath(L"HKEY_CURRENT_USER\\Software"));
    EXPECT_TRUE(IsValidKeyPath(L"HKEY_CURRENT_USER\\NoSuchKeyOfTheVtpsTests"));
    EXPECT_TRUE(IsValidKeyPath(L"HKEY_DYN_DATA\\Anything"));  // no such root on NT
}

TEST(IsValidKeyPathTest, DeeperPathNeedsTheFirstLevelToOpen) {
    EXPECT_TRUE(IsValidKeyPath(L"HKEY_LOCAL_MACHINE\\Software\\X"));
    EXPECT_TRUE(IsValidKeyPath(L"HKEY_CURRENT_USER\\Software\\No\\Such\\Deeper\\Key"));
    EXPECT_FALSE(IsValidKeyPath(L"HKEY_CURRENT_USER\\NoSuchKeyOfTheVtpsTests\\X"));
    EXPECT_FALSE(IsValidKeyPath(L"HKEY_DYN_DATA\\Anything\\X"));
}

TEST(IsValidKeyPathTest, AtMostOneThousandCharacters) {
    const std::wstring root = L"HKEY_CURRENT_USER\\";
    const std::wstring atLimit = root + std::wstring(1000 - root.size(), L'k');
    EXPECT_TRUE(IsValidKeyPath(atLimit.c_str()));
    EXPECT_FALSE(IsValidKeyPath((atLimit + L"k").c_str()));
}

}  // namespace
