#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "core/rc4.h"
#include "rule_fixtures.h"
#include "rules/rule_storage.h"
#include "rules/rule_stream.h"
#include "tests/support/test_files.h"

using testing_support::ScratchDir;

namespace {

const uint8_t kPlain[8] = {'R', 'u', 'l', 'e', 's', '!', 0, 0xFF};

ComPtr<IStream> MemoryStream() {
    ComPtr<IStream> stream;
    ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    return stream;
}

ComPtr<IStream> SecondReference(IStream* stream) {
    ComPtr<IStream> other;
    stream->QueryInterface(IID_IStream, other.put_void());
    return other;
}

void Rewind(IStream* stream) {
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

TEST(RuleStreamTest, WritesTheRc4KeystreamOfQuilRosAndCountsBytes) {
    ComPtr<IStream> memory = MemoryStream();
    ComPtr<IStream> raw = SecondReference(memory.get());
    RuleStream stream(std::move(memory));
    ASSERT_TRUE(stream.Write(kPlain, 3));
    ASSERT_TRUE(stream.Write(kPlain + 3, 5));
    EXPECT_EQ(stream.Tell(), 8u);
    EXPECT_EQ(stream.Size(), 8u);

    uint8_t bytes[8];
    Rewind(raw.get());
    ULONG got = 0;
    raw->Read(bytes, 8, &got);
    ASSERT_EQ(got, 8u);
    EXPECT_NE(std::memcmp(bytes, kPlain, 8), 0);
    // The two writes form one keystream from the stream's first byte.
    Rc4State state;
    Rc4Init(state, reinterpret_cast<const uint8_t*>("Quil Ros"), 8);
    Rc4Apply(state, bytes, 8);
    EXPECT_EQ(std::memcmp(bytes, kPlain, 8), 0);
}

TEST(RuleStreamTest, ShortReadLeavesBufferAndCipherStateAlone) {
    ComPtr<IStream> memory = MemoryStream();
    ComPtr<IStream> raw = SecondReference(memory.get());
    {
        RuleStream writer(SecondReference(raw.get()));
        ASSERT_TRUE(writer.Write(kPlain, 8));
    }
    Rewind(raw.get());
    RuleStream reader(std::move(memory));
    uint8_t buffer[12];
    std::memset(buffer, 0xAB, sizeof(buffer));
    EXPECT_FALSE(reader.Read(buffer, 12));
    for (uint8_t b : buffer) EXPECT_EQ(b, 0xAB);

    // Had the failed read run the keystream on, this would decipher garbage.
    Rewind(raw.get());
    ASSERT_TRUE(reader.Read(buffer, 8));
    EXPECT_EQ(std::memcmp(buffer, kPlain, 8), 0);
}

// Larger than one piece of ReadWhole, so that the keystream must run on
// across pieces; a read past the end must leave the cipher where it was.
TEST(RuleStreamTest, ReadWholeDeciphersAcrossPiecesAndAFailedOneKeepsTheCipherState) {
    std::string plain(600 * 1024 + 7, '\0');
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i * 131 + (i >> 9));
    ComPtr<IStream> memory = MemoryStream();
    ComPtr<IStream> raw = SecondReference(memory.get());
    {
        RuleStream writer(SecondReference(raw.get()));
        ASSERT_TRUE(writer.Write(plain.data(), static_cast<uint32_t>(plain.size())));
    }
    Rewind(raw.get());
    RuleStream reader(std::move(memory));
    std::string got(plain.size() + 1, '\0');
    EXPECT_FALSE(reader.ReadWhole(reinterpret_cast<uint8_t*>(&got[0]), static_cast<uint32_t>(got.size())));
    Rewind(raw.get());
    got.resize(plain.size());
    ASSERT_TRUE(reader.ReadWhole(reinterpret_cast<uint8_t*>(&got[0]), static_cast<uint32_t>(got.size())));
    EXPECT_TRUE(got == plain) << "first difference at byte "
                              << std::mismatch(got.begin(), got.end(), plain.begin()).first - got.begin();
}

TEST(RuleStreamTest, TwoReadsOfFourEqualOneReadOfEightThroughAStorage) {
    ScratchDir folder{L"rules"};
    const std::wstring path = folder.File(L"stream.rdb");
    {
        RuleStorage storage;
        ASSERT_TRUE(storage.OpenFile(path.c_str(), false));
        auto stream = storage.OpenStream("Data");
        ASSERT_TRUE(stream);
        ASSERT_TRUE(stream->Write(kPlain, 8));
    }
    uint8_t split[8], whole[8];
    {
        RuleStorage storage;
        ASSERT_TRUE(storage.OpenFile(path.c_str(), true));
        auto stream = storage.OpenStream("Data");
        ASSERT_TRUE(stream);
        ASSERT_TRUE(stream->Read(split, 4));
        ASSERT_TRUE(stream->Read(split + 4, 4));
        EXPECT_FALSE(stream->Read(whole, 1));  // at the end
    }
    {
        RuleStorage storage;
        ASSERT_TRUE(storage.OpenFile(path.c_str(), true));
        auto stream = storage.OpenStream("Data");
        ASSERT_TRUE(stream);
        ASSERT_TRUE(stream->Read(whole, 8));
    }
    EXPECT_EQ(std::memcmp(split, kPlain, 8), 0);
    EXPECT_EQ(std::memcmp(whole, kPlain, 8), 0);
}

TEST(RuleStreamTest, TruncateSetsTheStreamSize) {
    RuleStream stream(MemoryStream());
    ASSERT_TRUE(stream.Write(kPlain, 8));
    ASSERT_TRUE(stream.Truncate(3));
    EXPECT_EQ(stream.Size(), 3u);
}

}  // namespace
