#include <gtest/gtest.h>

#include <vector>

#include "core/byte_stream.h"

TEST(ByteStream, ShortReadLeavesBufferAndPositionAlone)
{
    const uint8_t data[6] = {10, 11, 12, 13, 14, 15};
    MemorySource source(data, sizeof data);
    uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_TRUE(source.Read(buffer, 4));
    EXPECT_EQ(13, buffer[3]);
    EXPECT_EQ(4u, source.Position());

    uint8_t untouched[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(source.Read(untouched, 3));
    EXPECT_EQ(0xEE, untouched[0]);
    EXPECT_EQ(0xEE, untouched[2]);
    EXPECT_EQ(4u, source.Position());

    EXPECT_TRUE(source.Read(untouched, 2));
    EXPECT_EQ(15, untouched[1]);
    EXPECT_TRUE(source.Read(untouched, 0));
    EXPECT_FALSE(source.Read(untouched, 1));
}
