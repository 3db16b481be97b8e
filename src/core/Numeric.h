#pragma once
// The game's number rules: positions, speeds and radii are stored as 32-bit
// floats but computed in double precision; real-to-integer conversion rounds
// to the nearest integer with halves to even.
#include <cmath>
#include <cstdint>

// Rounds half to even without depending on the FPU's rounding mode, and
// saturates instead of overflowing (NaN becomes 0).
inline int64_t roundHalfEven(double v) {
    if (!(v == v)) return 0;
    constexpr double kLimit = 9.0e18;
    if (v >= kLimit) return static_cast<int64_t>(kLimit);
    if (v <= -kLimit) return -static_cast<int64_t>(kLimit);
    double r = std::round(v);  // halves away from zero
    if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
    return static_cast<int64_t>(r);
}

// Stores a double-precision result as the game's 32-bit real.
inline float toF32(double v) { return static_cast<float>(v); }

inline double sign(double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); }
