#pragma once
// The game's colours: signed 64-bit integers packed r | g << 8 | b << 16,
// with the alpha in bits 24..31 only where a colour is blended. The
// components are OR-ed without masking. Every fixed colour the game draws
// has its name in `palette`.
#include <cstdint>

using Colour = int64_t;

constexpr Colour rgb(int64_t r, int64_t g, int64_t b) { return r | (g << 8) | (b << 16); }
constexpr Colour rgba(int64_t r, int64_t g, int64_t b, int64_t a) { return r | (g << 8) | (b << 16) | (a << 24); }

namespace palette {
// The pure hues, as the literal values the drawing code grew up with.
inline constexpr Colour White = 0xffffff;
inline constexpr Colour Red = 0xff;
inline constexpr Colour Green = 0xff00;
inline constexpr Colour Yellow = 0xffff;
inline constexpr Colour Cyan = 0xffff00;

// The battlefield.
inline constexpr Colour IcbmTrail = rgb(230, 40, 40);
inline constexpr Colour IcbmHead = rgb(255, 100, 100);
inline constexpr Colour FragmentHead = Yellow;
inline constexpr Colour SeekerTrail = rgb(255, 100, 0);
inline constexpr Colour SeekerChevron = rgb(255, 150, 0);
inline constexpr Colour ZigZager = rgb(255, 130, 0);
inline constexpr Colour Throbber = rgb(220, 50, 255);
inline constexpr Colour Crosshair = Cyan;
inline constexpr Colour StaticStreak = rgb(200, 200, 200);

// The screens and panels.
inline constexpr Colour PanelFrame = Cyan;
inline constexpr Colour PanelInnerFrame = rgb(0, 150, 200);
inline constexpr Colour IntelPrompt = rgb(0, 200, 200);
inline constexpr Colour TopDefender = rgb(120, 120, 120);
inline constexpr Colour ReplayMark = Yellow;
}  // namespace palette
