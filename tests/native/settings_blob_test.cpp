#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/settings_blob.h"

namespace {

std::vector<uint8_t> Header(const uint32_t (&offsets)[6], size_t totalSize)
{
    std::vector<uint8_t> blob(totalSize < 24 ? 24 : totalSize, 0);
    for (int k = 0; k < 6; ++k)
        for (int b = 0; b < 4; ++b)
            blob[k * 4 + b] = static_cast<uint8_t>(offsets[k] >> (8 * b));
    blob.resize(totalSize);
    return blob;
}

}  // namespace

TEST(SettingsBlob, EmptyFilesGiveBareHeader)
{
    BlobLayout layout;
    ASSERT_TRUE(MakeBlobLayout({0, 0, 0}, layout));
    EXPECT_EQ(24u, BlobTotalSize(layout));
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    EXPECT_EQ(Header({24, 24, 24, 24, 24, 24}, 24), std::vector<uint8_t>(header, header + 24));
}

TEST(SettingsBlob, PartsFollowEachOther)
{
    BlobLayout layout;
    ASSERT_TRUE(MakeBlobLayout({10, 0, 5}, layout));
    EXPECT_EQ(39u, BlobTotalSize(layout));
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    EXPECT_EQ(Header({24, 34, 34, 34, 34, 39}, 24), std::vector<uint8_t>(header, header + 24));

    // A total past 32 bits is refused.
    EXPECT_FALSE(MakeBlobLayout({0xFFFFFFD0u, 0x10u, 0x08u}, layout));
    EXPECT_TRUE(MakeBlobLayout({0xFFFFFFD0u, 0x10u, 0x07u}, layout));
    EXPECT_EQ(0xFFFFFFFFu, BlobTotalSize(layout));
}

TEST(SettingsBlob, HeaderRoundTrips)
{
    BlobLayout written;
    ASSERT_TRUE(MakeBlobLayout({3, 7, 11}, written));
    std::vector<uint8_t> blob(BlobTotalSize(written), 0);
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(written, header);
    std::copy(header, header + 24, blob.begin());
    BlobLayout read;
    ASSERT_TRUE(ParseBlobHeader(blob.data(), blob.size(), read));
    for (uint32_t part = 0; part < kPartCount; ++part) {
        EXPECT_EQ(written.start[part], read.start[part]);
        EXPECT_EQ(written.end[part], read.end[part]);
    }
}

TEST(SettingsBlob, HeaderValidation)
{
    BlobLayout layout;
    std::vector<uint8_t> shortBlob = Header({24, 24, 24, 24, 24, 24}, 23);
    EXPECT_FALSE(ParseBlobHeader(shortBlob.data(), shortBlob.size(), layout));
    EXPECT_FALSE(ParseBlobHeader(nullptr, 100, layout));

    std::vector<uint8_t> reversed = Header({24, 30, 30, 30, 31, 30}, 40);
    EXPECT_FALSE(ParseBlobHeader(reversed.data(), reversed.size(), layout));

    std::vector<uint8_t> pastEnd = Header({24, 24, 24, 24, 24, 41}, 40);
    EXPECT_FALSE(ParseBlobHeader(pastEnd.data(), pastEnd.size(), layout));
    std::vector<uint8_t> startPastEnd = Header({50, 50, 24, 24, 24, 24}, 40);
    EXPECT_FALSE(ParseBlobHeader(startPastEnd.data(), startPastEnd.size(), layout));

    // An end exactly at the blob's size is inside.
    std::vector<uint8_t> atEnd = Header({24, 24, 24, 24, 24, 40}, 40);
    EXPECT_TRUE(ParseBlobHeader(atEnd.data(), atEnd.size(), layout));
}

TEST(SettingsBlob, PartsInAnotherOrderAreAccepted)
{
    // The option file stored first, the rule file last.
    std::vector<uint8_t> blob = Header({34, 39, 39, 39, 24, 34}, 39);
    BlobLayout layout;
    ASSERT_TRUE(ParseBlobHeader(blob.data(), blob.size(), layout));
    EXPECT_EQ(34u, layout.start[kPartRegUserIni]);
    EXPECT_EQ(39u, layout.end[kPartRegUserIni]);
    EXPECT_EQ(24u, layout.start[kPartQRegExIni]);
    EXPECT_EQ(34u, layout.end[kPartQRegExIni]);
}
