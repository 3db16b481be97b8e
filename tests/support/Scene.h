#pragma once
// Hand-made scenes: the one place where tests, benchmarks and the snapshot
// tool put sites, warheads, interceptors, explosions and Hall of Fame
// entries into a game state. Each element is appended to the end of its
// list, with every field the helper does not set left at zero.
#include <cmath>
#include <cstdint>
#include <string>

#include "battle/Field.h"
#include "core/GameState.h"
#include "core/Numeric.h"

namespace scene {

inline Site& addSite(GameState& st, float x, int64_t ammo = 10, uint8_t alive = 1) {
    st.sites.last();
    Site& s = st.sites.add();
    s.x = x;
    s.ammo = ammo;
    s.alive = alive;
    return s;
}

inline Building& addBuilding(Site& s, int64_t offsetX, int64_t width, int64_t height) {
    s.buildings.last();
    Building& b = s.buildings.add();
    b.offsetX = offsetX;
    b.width = width;
    b.height = height;
    return b;
}

// An ICBM whose trail runs from (startX, startY) to (x, y); change its flags
// for the other kinds.
inline Warhead& addWarhead(GameState& st, float startX, float startY, float x, float y) {
    st.warheads.last();
    Warhead& w = st.warheads.add();
    w.startX = startX;
    w.startY = startY;
    w.x = x;
    w.y = y;
    w.splitY = -1;
    return w;
}

// An ICBM launched from the top edge at x, falling straight down, now at y.
inline Warhead& addFallingWarhead(GameState& st, float x, float y, float speed) {
    Warhead& w = addWarhead(st, x, 0, x, y);
    w.targetX = x;
    w.speed = speed;
    return w;
}

// An interceptor drawn at (x, y), its trail starting at its site's x.
inline Interceptor& addInterceptor(GameState& st, float startX, float x, float y) {
    st.interceptors.last();
    Interceptor& i = st.interceptors.add();
    i.startX = startX;
    i.startY = float(field::kLaunchY);
    i.x = x;
    i.y = y;
    return i;
}

// An interceptor in flight from the site at startX to (tx, ty), `left` px
// short of it, as the interceptor pass leaves one.
inline Interceptor& addFlight(GameState& st, float startX, float tx, float ty, float left) {
    const double sy = double(field::kLaunchY);
    Interceptor& i = addInterceptor(st, startX, 0, 0);
    i.targetX = tx;
    i.targetY = ty;
    i.speed = 14;
    i.distance = toF32(std::hypot(static_cast<double>(tx) - startX, static_cast<double>(ty) - sy));
    i.travelled = i.distance - left;
    const double f = static_cast<double>(i.travelled) / i.distance;
    i.x = toF32(startX + (static_cast<double>(tx) - startX) * f);
    i.y = toF32(sy + (static_cast<double>(ty) - sy) * f);
    return i;
}

// An explosion of the given radius (its growth stops there), growing or
// fading, in the colour (red, green, blue) at `alpha`.
inline Explosion& addExplosion(GameState& st, float x, float y, float radius, int64_t red, int64_t green,
                               int64_t blue, bool growing = true, int64_t alpha = 255) {
    st.explosions.last();
    Explosion& e = st.explosions.add();
    e.x = x;
    e.y = y;
    e.radius = radius;
    e.maxRadius = radius;
    e.red = red;
    e.green = green;
    e.blue = blue;
    e.alpha = alpha;
    e.growing = growing ? 1 : 0;
    e.fade = 14;
    return e;
}

inline ScoreEntry& addEntry(GameState& st, const std::string& name, int64_t score) {
    st.highScores.last();
    ScoreEntry& e = st.highScores.add();
    e.name = name;
    e.score = score;
    return e;
}

}  // namespace scene
