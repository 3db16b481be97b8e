#include "core/Random.h"

namespace {
uint64_t splitmix(uint64_t& x) {
    uint64_t z = (x += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}
uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
}  // namespace

SeededRandom::SeededRandom(uint64_t seed) {
    for (auto& s : s_) s = splitmix(seed);
}

uint64_t SeededRandom::nextU64() {
    const uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

std::optional<RandomState> SeededRandom::saveState() const { return s_; }

bool SeededRandom::restoreState(const RandomState& state) {
    // All zero is the one state the generator never leaves.
    if (state == RandomState{}) return false;
    s_ = state;
    return true;
}

int64_t SeededRandom::range(int64_t a, int64_t b) {
    if (b <= a) return a;
    const uint64_t span = static_cast<uint64_t>(b) - static_cast<uint64_t>(a) + 1;  // 0 = full range
    if (span == 0) return static_cast<int64_t>(nextU64());
    // Rejection keeps every value equally likely.
    const uint64_t limit = UINT64_MAX - UINT64_MAX % span;
    uint64_t v;
    do v = nextU64();
    while (v >= limit);
    return static_cast<int64_t>(static_cast<uint64_t>(a) + v % span);
}
