#pragma once
// The game's uniform random source. range(a, b) yields an integer between a
// and b with both ends included. The game uses a seeded generator; tests
// script the exact sequence.
#include <cstdint>

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual int64_t range(int64_t a, int64_t b) = 0;
};

// xoshiro256** seeded through splitmix64; unbiased bounded draws.
class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(uint64_t seed);
    int64_t range(int64_t a, int64_t b) override;

private:
    uint64_t nextU64();
    uint64_t s_[4];
};
