#include "battle/Interceptors.h"

#include <cmath>

#include "audio/Throttle.h"
#include "battle/Field.h"
#include "core/Numeric.h"

namespace {
constexpr float kLaunchY = float(field::kLaunchY);
constexpr float kInterceptorSpeed = 14.0f;
}  // namespace

void launchInterceptor(Game& game) {
    GameState& st = game.state;
    game.sound.stopSound(SoundTitle);

    st.launchSite = kNoSite;
    st.launchDistance = 10000.0f;
    Site* chosen = nullptr;
    const double mouseX = static_cast<double>(st.mouseX);
    st.sites.reset();
    while (Site* site = st.sites.next()) {
        if (site->alive == 0 || site->ammo < 1) continue;
        const float d = toF32(std::fabs(static_cast<double>(site->x) - mouseX));
        if (d < st.launchDistance) {  // strictly nearer: the left site keeps a tie
            chosen = site;
            st.launchSite = st.sites.position();
            st.launchDistance = d;
        }
    }
    if (chosen == nullptr) return;
    Site& site = *chosen;

    Interceptor& i = st.interceptors.add();
    i.startX = site.x;
    i.startY = kLaunchY;
    i.targetX = static_cast<float>(st.mouseX);
    i.targetY = static_cast<float>(st.mouseY);
    const double dx = mouseX - site.x;
    const double dy = static_cast<double>(st.mouseY) - kLaunchY;
    i.distance = toF32(std::sqrt(dx * dx + dy * dy));
    i.speed = kInterceptorSpeed;

    playThrottled(game, SoundLaunch, 70);
    site.ammo -= 1;
}

void interceptorPass(Game& game) {
    GameState& st = game.state;
    st.interceptors.reset();
    while (Interceptor* i = st.interceptors.next()) {
        i->travelled = toF32(static_cast<double>(i->travelled) + i->speed);
        // A click right on the launch point has distance 0: it bursts at
        // once, and the position of this step is never shown.
        const float f = i->distance > 0 ? toF32(static_cast<double>(i->travelled) / i->distance) : 1.0f;
        i->x = toF32(static_cast<double>(i->startX) + (static_cast<double>(i->targetX) - i->startX) * f);
        i->y = toF32(static_cast<double>(i->startY) + (static_cast<double>(i->targetY) - i->startY) * f);
        if (i->travelled >= i->distance) {
            const int64_t g = game.random.range(0, 100);
            const int64_t m = game.random.range(0, 60);
            // The burst sits exactly on the target, even if this step's
            // position overshot it.
            addExplosion(game, i->targetX, i->targetY, static_cast<double>(m + 35), 255, 120 + g, 0, 14);
            playThrottled(game, SoundExplMiss, 100);
            st.interceptors.remove();
        }
    }
}

void explosionPass(Game& game) {
    GameState& st = game.state;
    st.explosions.reset();
    while (Explosion* e = st.explosions.next()) {
        if (e->growing != 0) {
            e->radius = toF32(static_cast<double>(e->radius) + 6.0);
            if (e->radius >= e->maxRadius) e->growing = 0;
        } else {
            e->alpha -= e->fade;
            if (e->alpha <= 0) st.explosions.remove();
        }
    }
}

void addExplosion(Game& game, double x, double y, double maxRadius, int64_t red, int64_t green,
                  int64_t blue, int64_t fade) {
    Explosion& e = game.state.explosions.add();
    e.x = toF32(x);
    e.y = toF32(y);
    e.radius = 1.0f;
    e.maxRadius = toF32(maxRadius);
    e.red = red;
    e.green = green;
    e.blue = blue;
    e.alpha = 255;
    e.growing = 1;
    e.fade = fade;
}

bool blastTest(Game& game, const Warhead& warhead) {
    GameState& st = game.state;
    st.explosions.reset();
    while (const Explosion* e = st.explosions.next()) {
        const float dx = warhead.x - e->x;
        const float dy = warhead.y - e->y;
        const float d2 = toF32(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
        if (d2 <= static_cast<double>(e->radius) * e->radius) return true;
    }
    return false;
}
