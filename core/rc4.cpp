#include "rc4.h"

const uint8_t kRuleStreamKey[8] = {'Q', 'u', 'i', 'l', ' ', 'R', 'o', 's'};

void Rc4Init(Rc4State& state, const uint8_t* key, size_t keyLength)
{
    for (uint32_t k = 0; k < 256; ++k)
        state.s[k] = k;
    state.i = 0;
    state.j = 0;
    if (key == nullptr || keyLength == 0)
        return;  // identity permutation: no key, no schedule
    uint32_t j = 0;
    for (uint32_t k = 0; k < 256; ++k) {
        j = (j + state.s[k] + key[k % keyLength]) & 0xFF;
        uint32_t t = state.s[k];
        state.s[k] = state.s[j];
        state.s[j] = t;
    }
}

void Rc4Apply(Rc4State& state, uint8_t* data, size_t n)
{
    uint32_t i = state.i;
    uint32_t j = state.j;
    for (size_t k = 0; k < n; ++k) {
        i = (i + 1) & 0xFF;
        j = (j + state.s[i]) & 0xFF;
        uint32_t t = state.s[i];
        state.s[i] = state.s[j];
        state.s[j] = t;
        data[k] ^= static_cast<uint8_t>(state.s[(state.s[i] + state.s[j]) & 0xFF]);
    }
    state.i = i;
    state.j = j;
}
