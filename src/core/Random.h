#pragma once
// The game's uniform random source. range(a, b) yields an integer between a
// and b with both ends included. The game uses a seeded generator; tests
// script the exact sequence.
#include <array>
#include <cstdint>
#include <optional>

// Where a generator stands: enough to draw the same values again.
using RandomState = std::array<uint64_t, 4>;

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual int64_t range(int64_t a, int64_t b) = 0;
    // A source that can tell where it stands can be taken back there; a
    // scripted one cannot.
    virtual std::optional<RandomState> saveState() const { return std::nullopt; }
    virtual bool restoreState(const RandomState&) { return false; }
};

// xoshiro256** seeded through splitmix64; unbiased bounded draws.
class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(uint64_t seed);
    int64_t range(int64_t a, int64_t b) override;
    std::optional<RandomState> saveState() const override;
    bool restoreState(const RandomState& state) override;

private:
    uint64_t nextU64();
    RandomState s_;
};
