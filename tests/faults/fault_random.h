// Deterministic randomness for the fault runs: one independent sequence per
// (seed, iteration), so any single iteration can be replayed on its own.
#pragma once
#include <cstdint>

class FaultRandom {
public:
    FaultRandom(uint64_t seed, uint64_t iteration) : m_state(seed ^ (iteration * 0xD1B54A32D192ED03ull)) { Next(); }

    // splitmix64
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Next32() { return static_cast<uint32_t>(Next() >> 32); }
    // 0 .. n-1 (0 when n is 0).
    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(Next() % n) : 0; }
    // lo .. hi inclusive.
    uint32_t Between(uint32_t lo, uint32_t hi) { return lo + Below(hi - lo + 1); }
    bool Percent(uint32_t percent) { return Below(100) < percent; }

private:
    uint64_t m_state;
};
