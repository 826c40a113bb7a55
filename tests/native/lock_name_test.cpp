#include <gtest/gtest.h>

#include <string>

#include "core/lock_name.h"
#include "test_support.h"

namespace {

std::string LockNameOf(const std::string& path)
{
    Utf16String wide = Wide(path);
    char name[kLockNameSize];
    FormatLockName(HashLockPath(wide.c_str()), Narrow(LockFileNamePart(wide.c_str())).c_str(), name);
    return name;
}

}  // namespace

TEST(LockName, KnownPath)
{
    EXPECT_EQ("02307E44-REGLIB.RDB", LockNameOf("C:\\Data\\RegLib.rdb"));
}

TEST(LockName, LetterCaseOfThePathChangesTheName)
{
    std::string lower = LockNameOf("c:\\data\\reglib.rdb");
    EXPECT_NE(LockNameOf("C:\\Data\\RegLib.rdb"), lower);
    EXPECT_EQ("02C10E44-REGLIB.RDB", lower);
}

TEST(LockName, HashDoublesAndWraps)
{
    EXPECT_EQ(0u, HashLockPath(Wide("").c_str()));
    EXPECT_EQ(2u * 'A', HashLockPath(Wide("A").c_str()));
    EXPECT_EQ(2u * (2u * 'A' + 'B'), HashLockPath(Wide("AB").c_str()));
    // Units above 0xFF count in full, and the doubling wraps modulo 2^32.
    const utf16_t wide[] = {0xFFFF, 0};
    EXPECT_EQ(0x1FFFEu, HashLockPath(wide));
    const utf16_t overflow[] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                                0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0};
    // 0xFFFF * (2^17 - 2) = 0x1FFFC0002, kept modulo 2^32.
    EXPECT_EQ(0xFFFC0002u, HashLockPath(overflow));
}

TEST(LockName, FileNamePartFollowsLastBackslash)
{
    Utf16String path = Wide("C:\\a\\b\\File.rdb");
    EXPECT_EQ("File.rdb", Narrow(LockFileNamePart(path.c_str())));
    Utf16String bare = Wide("plain.rdb");
    EXPECT_EQ(bare.c_str(), LockFileNamePart(bare.c_str()));
    Utf16String trailing = Wide("C:\\dir\\");
    EXPECT_EQ("", Narrow(LockFileNamePart(trailing.c_str())));
}

TEST(LockName, UpperCasedAndCutTo31)
{
    char name[kLockNameSize];
    FormatLockName(0xABCDEF01u, "a-very-long-file-name-for-locks.rdb", name);
    EXPECT_EQ("ABCDEF01-A-VERY-LONG-FILE-NAME-", std::string(name));
    EXPECT_EQ(31u, std::string(name).size());
    // Bytes outside ASCII letters stay as they are.
    FormatLockName(0, "\xE4" "az{.rdb", name);
    EXPECT_EQ("00000000-\xE4" "AZ{.RDB", std::string(name));
}
