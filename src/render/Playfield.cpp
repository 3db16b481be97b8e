#include "render/Playfield.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "ui/NumberFormat.h"

namespace {

constexpr int64_t kGroundY = 733;   // the ground line
constexpr int64_t kLaunchY = 703;   // where interceptors leave their site
constexpr int64_t kWidth = DrawSurface::kWidth;
constexpr int64_t kHeight = DrawSurface::kHeight;

int64_t px(double v) { return roundHalfEven(v); }

// A colour component as the primitives expect it. The battle only stores
// 0..255; anything else is pinned so it cannot spill into the other
// channels of the packed colour.
int64_t channel(int64_t v) { return std::clamp<int64_t>(v, 0, 255); }

void drawBuilding(DrawSurface& s, const Site& site, const Building& b, const FrameShake& shake,
                  int64_t colour) {
    const int64_t left = px(double(site.x) + double(b.offsetX) + double(shake.x));
    const int64_t top = kGroundY + shake.y - b.height;
    const int64_t half = b.width / 2;
    s.box(left, top, b.width, b.height, colour);
    // Dome on the middle of the roof line, spire rising 14 px above it.
    s.circle(left + half, top, half + 1, colour);
    s.box(left + half - 1, top - 14, 3, 14, colour);
}

void drawSeeker(DrawSurface& s, const Warhead& w, double sx, double sy, int64_t swing) {
    const double x = w.x, y = w.y;
    s.line(px(double(w.startX) + sx), px(double(w.startY) + sy), px(x + sx), px(y + sy),
           palette::SeekerTrail);
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
void drawBallistic(DrawSurface& s, const Warhead& w, double sx, double sy) {
    const double x = w.x, y = w.y;
    s.line(px(double(w.startX) + sx), px(double(w.startY) + sy), px(x + sx), px(y + sy),
           palette::IcbmTrail);
    if (w.fragment)
        s.box(px(x + sx - 2), px(y + sy - 2), 6, 6, palette::FragmentHead);
    else
        s.box(px(x + sx - 2), px(y + sy - 2), 5, 5, palette::IcbmHead);
}

}  // namespace

std::string hudText(Game& game) {
    // The separator is a bullet (U+2022) with a space on each side.
    return "LEVEL " + std::to_string(game.state.level) + " \xE2\x80\xA2 SCORE: " +
           formatNumber(game.platform, game.state.score);
}

std::string ammoLabel(int64_t ammo) { return "M = " + std::to_string(ammo); }

int64_t ammoColour(int64_t ammo) {
    if (ammo <= 3) return palette::Red;
    if (ammo <= 6) return palette::Yellow;
    return rgb(0, 255, 0);
}

int64_t seekerSwing(int64_t clockMs) {
    return roundHalfEven(std::fabs(std::sin(double(clockMs) * 0.01) * 4.0));
}

int64_t throbberSwell(float pulse) { return roundHalfEven(std::fabs(std::sin(double(pulse)) * 6.0)); }

void drawGround(Game& game, DrawSurface& surface, const FrameShake& shake) {
    surface.box(0, kGroundY + shake.y, kWidth, 35, game.state.groundColour);
}

void drawHud(Game& game, DrawSurface& surface) {
    surface.setMode(Transparent);
    surface.setFont(game.state.smallFont);
    surface.drawText(20, 20, hudText(game), rgb(255, 255, 255));
    surface.setFont(defaultFont);
}

void drawSites(Game& game, DrawSurface& surface, const FrameShake& shake) {
    const int64_t colour = game.state.cityColour;
    game.state.sites.forEach([&](Site& site) {
        if (!site.alive) return;  // a fallen city leaves nothing behind
        surface.box(px(double(site.x) - 55 + double(shake.x)), 723 + shake.y, 110, 10, colour);
        site.buildings.forEach(
            [&](const Building& b) { drawBuilding(surface, site, b, shake, colour); });

        surface.setMode(Transparent);
        const std::string label = ammoLabel(site.ammo);
        surface.drawText(double(site.x) - surface.textWidth(label) * 0.5 + double(shake.x),
                         double(743 + shake.y), label, ammoColour(site.ammo), 0);

        if (site.repairTimer >= 1) {
            const std::string repaired = "* REPAIRED *";
            surface.drawText(double(site.x) - surface.textWidth(repaired) * 0.5 + double(shake.x),
                             double(628 + shake.y), repaired, palette::Cyan);
            --site.repairTimer;
        }
    });
}

void drawCrosshair(Game& game, DrawSurface& surface) {
    const int64_t mx = game.state.mouseX, my = game.state.mouseY;
    if (mx < 0 || mx > kWidth - 1 || my < 0 || my > kHeight - 1) return;
    // Four arms from 25 to 6 pixels out; the 5 pixels around the centre
    // stay clear so the target itself is visible.
    const int64_t c = palette::Crosshair;
    surface.line(mx - 25, my, mx - 6, my, c);
    surface.line(mx + 6, my, mx + 25, my, c);
    surface.line(mx, my - 25, mx, my - 6, c);
    surface.line(mx, my + 6, mx, my + 25, c);
    surface.plot(mx, my, rgb(255, 255, 255));
}

void drawWarheads(Game& game, DrawSurface& surface, const FrameShake& shake) {
    const double sx = double(shake.x), sy = double(shake.y);
    // Every SEEKER of the frame pulses in step, from one clock reading.
    bool haveSwing = false;
    int64_t swing = 0;
    game.state.warheads.forEach([&](const Warhead& w) {
        // The kind is the first flag that is set, in this order.
        if (w.seeker) {
            if (!haveSwing) {
                swing = seekerSwing(game.platform.clockMs());
                haveSwing = true;
            }
            drawSeeker(surface, w, sx, sy, swing);
        } else if (w.zigzag) {
            surface.circle(px(double(w.x) + sx), px(double(w.y) + sy), 4, palette::ZigZager);
        } else if (w.evasive) {
            drawThrobber(surface, w, sx, sy);
        } else {
            drawBallistic(surface, w, sx, sy);
        }
    });
}

void drawInterceptors(Game& game, DrawSurface& surface, const FrameShake& shake) {
    const double sx = double(shake.x), sy = double(shake.y);
    game.state.interceptors.forEach([&](const Interceptor& i) {
        // The trail always starts at launch height.
        surface.line(px(double(i.startX) + sx), kLaunchY + shake.y, px(double(i.x) + sx),
                     px(double(i.y) + sy), palette::White);
        surface.box(px(double(i.x) + sx - 2), px(double(i.y) + sy - 2), 5, 5, palette::White);
    });
}

void drawExplosions(Game& game, DrawSurface& surface, const FrameShake& shake) {
    const double sx = double(shake.x), sy = double(shake.y);
    game.state.explosions.forEach([&](const Explosion& e) {
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

void drawStatic(Game& game, DrawSurface& surface) {
    RandomSource& rnd = game.random;
    surface.setMode(Default);
    // Full-width grey bands ...
    for (int i = 0; i < 9; ++i) {
        const int64_t y = rnd.range(0, 768);
        const int64_t h = rnd.range(1, 5);
        const int64_t v = rnd.range(50, 200);
        surface.box(0, y, kWidth, h, rgb(v, v, v));
    }
    // ... and, on 3 frames in 11, a shower of short light streaks.
    if (rnd.range(0, 10) >= 8) {
        for (int i = 0; i < 21; ++i) {
            const int64_t h = rnd.range(1, 4);
            const int64_t w = rnd.range(20, 100);
            const int64_t y = rnd.range(0, 768);
            const int64_t x = rnd.range(0, 1280);
            surface.box(x, y, w, h, rgb(200, 200, 200));
        }
    }
}

void drawBattlePicture(Game& game, DrawSurface& surface, const FrameShake& shake) {
    drawGround(game, surface, shake);
    drawHud(game, surface);  // the HUD stays put while the ground shakes
    drawSites(game, surface, shake);
    drawCrosshair(game, surface);
    drawWarheads(game, surface, shake);
    drawInterceptors(game, surface, shake);
    drawExplosions(game, surface, shake);
    if (game.state.staticTimer >= 1) drawStatic(game, surface);
}
