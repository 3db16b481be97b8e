#pragma once
// The playfield that every rule of the battle, and every picture of the
// game, is measured on: 1280 x 768 pixels, origin at the top-left corner,
// y growing downwards.
#include <cstdint>

namespace field {

inline constexpr int64_t kWidth = 1280;
inline constexpr int64_t kHeight = 768;

// The ground line: sites stand on it, warheads that reach it burst, and the
// ground strip fills the 35 rows below it.
inline constexpr int64_t kGroundY = 733;
inline constexpr int64_t kGroundHeight = kHeight - kGroundY;

// Interceptors leave their site at this height.
inline constexpr int64_t kLaunchY = 703;

// The six sites, left to right, in list order.
inline constexpr int kSites = 6;
inline constexpr float kSiteX[kSites] = {182.0f, 364.0f, 546.0f, 728.0f, 910.0f, 1092.0f};

// A random x anywhere across the playfield is Random(0..kRandomXMax), the
// column just past the right edge included; a random y is
// Random(0..kRandomYMax) likewise.
inline constexpr int64_t kRandomXMax = kWidth;
inline constexpr int64_t kRandomYMax = kHeight;

}  // namespace field
