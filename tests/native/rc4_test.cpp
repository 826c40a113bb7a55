#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/rc4.h"

namespace {

std::vector<uint8_t> Keystream(const uint8_t* key, size_t keyLength, size_t n)
{
    Rc4State state;
    Rc4Init(state, key, keyLength);
    std::vector<uint8_t> bytes(n, 0);
    Rc4Apply(state, bytes.data(), n);
    return bytes;
}

}  // namespace

TEST(Rc4, KnownAnswerVectors)
{
    // Published RC4 vectors: an 8-byte key (the length of the stream key)
    // and the classic text examples.
    const uint8_t key8[] = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<uint8_t> expected8 = {0x97, 0xab, 0x8a, 0x1b, 0xf0, 0xaf, 0xb9, 0x61,
                                            0x32, 0xf2, 0xf6, 0x72, 0x58, 0xda, 0x15, 0xa8};
    EXPECT_EQ(Keystream(key8, sizeof key8, 16), expected8);

    Rc4State state;
    Rc4Init(state, reinterpret_cast<const uint8_t*>("Key"), 3);
    uint8_t text[] = {'P', 'l', 'a', 'i', 'n', 't', 'e', 'x', 't'};
    Rc4Apply(state, text, sizeof text);
    const uint8_t cipher[] = {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3};
    EXPECT_EQ(0, std::memcmp(text, cipher, sizeof text));

    Rc4Init(state, reinterpret_cast<const uint8_t*>("Secret"), 6);
    uint8_t attack[] = "Attack at dawn";
    Rc4Apply(state, attack, 14);
    const uint8_t attackCipher[] = {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38,
                                    0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5};
    EXPECT_EQ(0, std::memcmp(attack, attackCipher, 14));
}

TEST(Rc4, RuleStreamKeyIsQuilRos)
{
    EXPECT_EQ(0, std::memcmp(kRuleStreamKey, "Quil Ros", 8));
    const std::vector<uint8_t> expected = {0x4f, 0x03, 0x67, 0xe3, 0x12, 0xbf, 0x8a, 0x7c};
    EXPECT_EQ(Keystream(kRuleStreamKey, 8, 8), expected);
}

TEST(Rc4, StateRunsOnAcrossCalls)
{
    // Two reads of 4 bytes through one stream decipher like one read of 8.
    uint8_t whole[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint8_t split[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    Rc4State one;
    Rc4Init(one, kRuleStreamKey, 8);
    Rc4Apply(one, whole, 8);
    Rc4State two;
    Rc4Init(two, kRuleStreamKey, 8);
    Rc4Apply(two, split, 4);
    Rc4Apply(two, split + 4, 4);
    EXPECT_EQ(0, std::memcmp(whole, split, 8));
    EXPECT_EQ(0, std::memcmp(&one, &two, sizeof one));

    // Applying the same keystream again restores the plain bytes.
    Rc4Init(one, kRuleStreamKey, 8);
    Rc4Apply(one, whole, 8);
    const uint8_t plain[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(0, std::memcmp(whole, plain, 8));
}
