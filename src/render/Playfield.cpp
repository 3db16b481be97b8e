#include "render/Playfield.h"

#include <algorithm>
#include <cmath>

#include "battle/Field.h"
#include "core/Numeric.h"
#include "ui/NumberFormat.h"

namespace {

constexpr int64_t kWidth = field::kWidth;
constexpr int64_t kHeight = field::kHeight;
constexpr int64_t kGroundY = field::kGroundY;

int64_t px(double v) { return roundHalfEven(v); }

// A colour component as the primitives expect it. The battle only stores
// 0..255; anything else is pinned so it cannot spill into the other
// channels of the packed colour.
int64_t channel(int64_t v) { return std::clamp<int64_t>(v, 0, 255); }

void drawGround(const GameState& state, const FrameShake& shake, DrawSurface& surface) {
    surface.box(0, kGroundY + shake.y, kWidth, field::kGroundHeight, state.groundColour);
}

void drawHud(const GameState& state, const Platform& platform, DrawSurface& surface) {
    surface.setMode(Transparent);
    surface.setFont(state.smallFont);
    surface.drawText(20, 20, hudText(state, platform), palette::White);
    surface.setFont(defaultFont);
}

void drawBuilding(DrawSurface& s, const Site& site, const Building& b, const FrameShake& shake, Colour colour) {
    const int64_t left = px(double(site.x) + double(b.offsetX) + double(shake.x));
    const int64_t top = kGroundY + shake.y - b.height;
    const int64_t half = b.width / 2;
    s.box(left, top, b.width, b.height, colour);
    // Dome on the middle of the roof line, spire rising 14 px above it.
    s.circle(left + half, top, half + 1, colour);
    s.box(left + half - 1, top - 14, 3, 14, colour);
}

void drawSites(const GameState& state, const FramePicture& picture, DrawSurface& surface) {
    const Colour colour = state.cityColour;
    const FrameShake& shake = picture.shake;
    size_t index = 0;
    state.sites.forEach([&](const Site& site) {
        const bool repairLabel = index < 64 && ((picture.repairLabels >> index) & 1) != 0;
        ++index;
        if (!site.alive) return;  // a fallen city leaves nothing behind
        surface.box(px(double(site.x) - 55 + double(shake.x)), field::kGroundY - 10 + shake.y, 110, 10, colour);
        site.buildings.forEach([&](const Building& b) { drawBuilding(surface, site, b, shake, colour); });

        surface.setMode(Transparent);
        const std::string label = ammoLabel(site.ammo);
        surface.drawText(double(site.x) - surface.textWidth(label) * 0.5 + double(shake.x), double(743 + shake.y),
                         label, ammoColour(site.ammo), 0);

        if (repairLabel) {
            const std::string repaired = "* REPAIRED *";
            surface.drawText(double(site.x) - surface.textWidth(repaired) * 0.5 + double(shake.x),
                             double(628 + shake.y), repaired, palette::Cyan);
        }
    });
}

void drawCrosshair(const GameState& state, DrawSurface& surface) {
    const int64_t mx = state.mouseX, my = state.mouseY;
    if (mx < 0 || mx > kWidth - 1 || my < 0 || my > kHeight - 1) return;
    // Four arms from 25 to 6 pixels out; the 5 pixels around the centre
    // stay clear so the target itself is visible.
    const Colour c = palette::Crosshair;
    surface.line(mx - 25, my, mx - 6, my, c);
    surface.line(mx + 6, my, mx + 25, my, c);
    surface.line(mx, my - 25, mx, my - 6, c);
    surface.line(mx, my + 6, mx, my + 25, c);
    surface.plot(mx, my, palette::White);
}

void drawSeeker(DrawSurface& s, const Warhead& w, double sx, double sy, int64_t swing) {
    const double x = w.x, y = w.y;
    s.line(px(double(w.startX) + sx), px(double(w.startY) + sy), px(x + sx), px(y + sy), palette::SeekerTrail);
    const double u = double(swing + 6);
    // A chevron pointing right, its tip u pixels ahead of the head.
    s.line(px(x + sx), px(y - u + sy), px(x + u + sx), px(y + sy), palette::SeekerChevron);
    s.line(px(x + u + sx), px(y + sy), px(x + sx), px(y + u + sy), palette::SeekerChevron);
    s.box(px(x + sx - 2), px(y + sy - 2), 4, 4, palette::White);
}

void drawThrobber(DrawSurface& s, const Warhead& w, double sx, double sy) {
    const int64_t p = throbberSwell(w.pulse);
    const int64_t cx = px(double(w.x) + sx), cy = px(double(w.y) + sy);
    s.circle(cx, cy, p + 10, palette::Throbber);
    s.circle(cx, cy, p + 5, palette::White);
}

// ICBMs, MIRVs before their split, and the fragments a MIRV releases: a
// red trail from the launch point and a square head.
void drawBallistic(DrawSurface& s, const Warhead& w, bool fragment, double sx, double sy) {
    const double x = w.x, y = w.y;
    s.line(px(double(w.startX) + sx), px(double(w.startY) + sy), px(x + sx), px(y + sy), palette::IcbmTrail);
    if (fragment)
        s.box(px(x + sx - 2), px(y + sy - 2), 6, 6, palette::FragmentHead);
    else
        s.box(px(x + sx - 2), px(y + sy - 2), 5, 5, palette::IcbmHead);
}

void drawWarheads(const GameState& state, const FramePicture& picture, DrawSurface& surface) {
    const double sx = double(picture.shake.x), sy = double(picture.shake.y);
    // Every SEEKER of the frame pulses in step, from one clock reading.
    const int64_t swing = seekerSwing(picture.clockMs);
    state.warheads.forEach([&](const Warhead& w) {
        switch (kindOf(w)) {
            case WarheadKind::Seeker:
                drawSeeker(surface, w, sx, sy, swing);
                break;
            case WarheadKind::ZigZager:
                surface.circle(px(double(w.x) + sx), px(double(w.y) + sy), 4, palette::ZigZager);
                break;
            case WarheadKind::Throbber:
                drawThrobber(surface, w, sx, sy);
                break;
            case WarheadKind::Fragment:
                drawBallistic(surface, w, true, sx, sy);
                break;
            case WarheadKind::Mirv:
            case WarheadKind::Icbm:
                drawBallistic(surface, w, false, sx, sy);
                break;
        }
    });
}

void drawInterceptors(const GameState& state, const FrameShake& shake, DrawSurface& surface) {
    const double sx = double(shake.x), sy = double(shake.y);
    state.interceptors.forEach([&](const Interceptor& i) {
        // The trail always starts at launch height.
        surface.line(px(double(i.startX) + sx), field::kLaunchY + shake.y, px(double(i.x) + sx),
                     px(double(i.y) + sy), palette::White);
        surface.box(px(double(i.x) + sx - 2), px(double(i.y) + sy - 2), 5, 5, palette::White);
    });
}

void drawExplosions(const GameState& state, const FrameShake& shake, DrawSurface& surface) {
    const double sx = double(shake.x), sy = double(shake.y);
    state.explosions.forEach([&](const Explosion& e) {
        const int64_t cx = px(double(e.x) + sx), cy = px(double(e.y) + sy);
        const int64_t r = px(double(e.radius));  // the radius does not shake
        const int64_t red = channel(e.red), green = channel(e.green), blue = channel(e.blue);
        if (e.growing) {
            surface.circle(cx, cy, r, rgb(red, green, blue));
        } else {
            // Fading: blended over what lies beneath, thinner every frame.
            surface.setMode(AlphaBlend);
            surface.circle(cx, cy, r, rgba(red, green, blue, channel(e.alpha)));
            surface.setMode(Default);
        }
    });
}

void drawStatic(const ScreenStatic& noise, DrawSurface& surface) {
    surface.setMode(Default);
    for (int i = 0; i < noise.count; ++i) {
        const StaticBand& b = noise.bands[size_t(i)];
        surface.box(b.x, b.y, b.w, b.h, b.colour);
    }
}

}  // namespace

std::string hudText(const GameState& state, const Platform& platform) {
    // The separator is a bullet (U+2022) with a space on each side.
    return "LEVEL " + std::to_string(state.level) + " \xE2\x80\xA2 SCORE: " + formatNumber(platform, state.score);
}

std::string ammoLabel(int64_t ammo) { return "M = " + std::to_string(ammo); }

Colour ammoColour(int64_t ammo) {
    if (ammo <= 3) return palette::Red;
    if (ammo <= 6) return palette::Yellow;
    return palette::Green;
}

int64_t seekerSwing(int64_t clockMs) { return roundHalfEven(std::fabs(std::sin(double(clockMs) * 0.01) * 4.0)); }

int64_t throbberSwell(float pulse) { return roundHalfEven(std::fabs(std::sin(double(pulse)) * 6.0)); }

void drawBattlePicture(const GameState& state, const FramePicture& picture, const Platform& platform,
                       DrawSurface& surface) {
    drawGround(state, picture.shake, surface);
    drawHud(state, platform, surface);  // the HUD stays put while the ground shakes
    drawSites(state, picture, surface);
    drawCrosshair(state, surface);
    drawWarheads(state, picture, surface);
    drawInterceptors(state, picture.shake, surface);
    drawExplosions(state, picture.shake, surface);
    if (picture.noise.count > 0) drawStatic(picture.noise, surface);
}
