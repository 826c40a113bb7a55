// RC4, the cipher of every rule database stream.
#pragma once
#include <cstddef>
#include <cstdint>

struct Rc4State {
    uint32_t i;
    uint32_t j;
    uint32_t s[256];  // one 32-bit word per permutation entry
};
static_assert(sizeof(Rc4State) == 1032, "two indices followed by the 256-entry permutation");

// The fixed key of rule database streams: the 8 bytes "Quil Ros".
extern const uint8_t kRuleStreamKey[8];

// Standard RC4 key schedule; both indices start at 0.
void Rc4Init(Rc4State& state, const uint8_t* key, size_t keyLength);
// XORs n bytes in place with the next n keystream bytes.
void Rc4Apply(Rc4State& state, uint8_t* data, size_t n);
