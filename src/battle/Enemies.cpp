#include "battle/Enemies.h"

#include <algorithm>
#include <cmath>

#include "audio/Throttle.h"
#include "battle/Board.h"
#include "battle/Damage.h"
#include "battle/Field.h"
#include "battle/Interceptors.h"
#include "core/Numeric.h"

namespace {

constexpr float kGroundY = float(field::kGroundY);
// A straight path runs from its start to its aim on the bottom edge, 35 px
// below the ground line.
constexpr double kBottomY = double(field::kHeight);

// A random x anywhere across the playfield.
float randomX(RandomSource& rnd) { return static_cast<float>(rnd.range(0, field::kRandomXMax)); }

// Fraction of the way down from the path's start to the bottom edge, at
// most 1.
float pathFraction(const Warhead& w) {
    const double span = kBottomY - static_cast<double>(w.startY);
    if (span <= 0) return 1.0f;
    const float t = toF32((static_cast<double>(w.y) - static_cast<double>(w.startY)) / span);
    return std::min(t, 1.0f);
}

// x of the alive site with the most interceptors: visited left to right, a
// site wins only with strictly more, so the left one wins ties; an empty
// launcher is still a target when no alive site has any. Negative when no
// site stands.
double seekerAim(const GameState& st) {
    int64_t best = -1;
    double aim = -1.0;
    st.sites.forEach([&](const Site& s) {
        if (s.alive != 0 && s.ammo > best) {
            best = s.ammo;
            aim = s.x;
        }
    });
    return aim;
}

// An ICBM goes for a random point, unless only one or two sites stand: then
// it picks one of them.
float icbmAim(Game& game) {
    const GameState& st = game.state;
    const Site* alive[6] = {};
    int64_t n = 0;
    st.sites.forEach([&](const Site& s) {
        if (s.alive != 0 && n < 6) alive[n++] = &s;
    });
    if (n == 1 || n == 2) return alive[std::clamp<int64_t>(game.random.range(0, n - 1), 0, n - 1)]->x;
    return randomX(game.random);
}

void moveThrobber(Game& game, Warhead& w) {
    GameState& st = game.state;
    w.pulse = toF32(static_cast<double>(w.pulse) + 0.2);
    const double k = dodgeStrengthFor(st.level, st.speedFactor);
    double drift = w.driftX;

    // Interceptors coming up from below within 120 px push it sideways.
    st.interceptors.reset();
    while (const Interceptor* i = st.interceptors.next()) {
        const float dx = w.x - i->x;
        const float dy = w.y - i->y;
        const float d2 = toF32(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
        if (d2 < 14400.0f && i->y > w.y) drift = toF32(drift + k * sign(dx) * 0.4);
    }
    // Explosions push harder, from a zone wider than the blast itself.
    st.explosions.reset();
    while (const Explosion* e = st.explosions.next()) {
        const float dx = w.x - e->x;
        const float dy = w.y - e->y;
        const float d2 = toF32(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
        const double zone = static_cast<double>(e->radius) * e->radius + 2000.0;
        if (d2 < zone) drift = toF32(drift + k * sign(dx) * 0.7);
    }

    w.driftX = toF32(drift * 0.88);
    w.x = toF32(static_cast<double>(w.x) + w.driftX);
    // It bounces off invisible walls 40 px inside the playfield's edges.
    if (w.x < 40.0f) {
        w.x = 40.0f;
        w.driftX = 1.0f;
    } else if (w.x > 1240.0f) {
        w.x = 1240.0f;
        w.driftX = -1.0f;
    }
}

}  // namespace

void spawnStep(Game& game) {
    GameState& st = game.state;
    RandomSource& rnd = game.random;
    const int64_t level = st.level;

    int64_t throbbers = 0;
    st.warheads.forEach([&](const Warhead& w) {
        if (w.evasive != 0) ++throbbers;
    });

    if (st.spawned >= st.waveSize) return;
    if (static_cast<int64_t>(st.warheads.size()) >= level / 4 + 8) return;

    const float throbberChance = throbberChanceFor(level, st.difficulty);
    const float base = baseSpeedFor(level, st.speedFactor);
    const int64_t r = rnd.range(0, 150);  // only an ICBM or MIRV uses it

    // The kind: the first test that passes decides, and a test draws only
    // when its level (and count) condition holds.
    // An ICBM may still become a MIRV below.
    WarheadKind kind = WarheadKind::Icbm;
    if (level >= 5 && rnd.range(0, 100) < level + 10) {
        kind = WarheadKind::ZigZager;
    } else if (level >= 4 && rnd.range(0, 100) < level + 10) {
        kind = WarheadKind::Seeker;
    } else if (level >= 7 && throbbers <= level / 5 &&
               throbberChance > static_cast<float>(rnd.range(0, 100))) {
        kind = WarheadKind::Throbber;
    }

    st.warheads.last();  // a new warhead joins the end of the list
    Warhead& w = st.warheads.add();
    w.startX = w.x = randomX(rnd);
    w.startY = w.y = 0.0f;
    w.splitY = -1;
    w.driftX = 0.0f;
    const double b = base;
    switch (kind) {
        case WarheadKind::ZigZager:
            w.targetX = randomX(rnd);
            w.speed = toF32(b * 1.3);
            w.zigzag = 1;
            w.zigPhase = toF32(static_cast<double>(rnd.range(0, 628)) / 100.0);
            break;
        case WarheadKind::Seeker: {
            const double aim = seekerAim(st);
            w.targetX = aim >= 0 ? static_cast<float>(aim) : randomX(rnd);
            w.speed = toF32(b * 1.4);
            w.seeker = 1;
            break;
        }
        case WarheadKind::Throbber:
            w.speed = toF32((static_cast<double>(level) * 0.04 + 0.6) * b);
            w.evasive = 1;
            break;
        default:  // an ICBM, or a MIRV when it gets a split height
            w.targetX = icbmAim(game);
            w.speed = toF32(b + static_cast<double>(r) / 100.0);
            if (level >= 5 && rnd.range(0, 100) < level + 15) w.splitY = 50 + rnd.range(0, 200);
            break;
    }

    st.spawned += 1;
    resupply(game);
}

void splitMirv(Game& game, Warhead& mirv) {
    GameState& st = game.state;
    RandomSource& rnd = game.random;
    const float x = mirv.x;
    const float y = mirv.y;
    const double speed = mirv.speed;
    const int64_t count = st.level <= 5 ? 1 : (st.level <= 10 ? 2 : 3);

    addExplosion(game, x, y, 40, 255, 255, 100, 14);

    // The fragments go right after the MIRV, in the order made, so this same
    // pass moves them; then the cursor returns to the MIRV to remove it.
    st.warheads.pushPosition();
    for (int64_t i = 0; i < count; ++i) {
        float aim = randomX(rnd);
        if (!st.sites.empty()) {
            const int64_t last = static_cast<int64_t>(st.sites.size()) - 1;
            const auto pick = static_cast<size_t>(std::clamp<int64_t>(rnd.range(0, last), 0, last));
            const Site& site = st.sites[pick];
            if (site.alive != 0) aim = site.x;
        }
        Warhead& f = st.warheads.add();
        f.startX = f.x = x;
        f.startY = f.y = y;
        f.targetX = aim;
        f.speed = toF32(2.2 * speed);
        f.fragment = 1;
        f.splitY = -1;
        playThrottled(game, SoundSmartBomb, 100);
    }
    st.warheads.popPosition();
    st.warheads.remove();
}

void warheadPass(Game& game) {
    GameState& st = game.state;
    bool throbberMoved = false;

    st.warheads.reset();
    while (Warhead* w = st.warheads.next()) {
        w->y = toF32(static_cast<double>(w->y) + w->speed);

        if (isUnsplitMirv(*w) && w->y >= static_cast<float>(w->splitY)) {
            splitMirv(game, *w);  // removes w
            continue;
        }

        switch (kindOf(*w)) {
            case WarheadKind::ZigZager: {
                // A sine wave of the height around the straight path.
                const double t = pathFraction(*w);
                const double line = static_cast<double>(w->startX) +
                                    (static_cast<double>(w->targetX) - w->startX) * t;
                w->x = toF32(static_cast<double>(roundHalfEven(line)) +
                             80.0 * std::sin(0.05 * static_cast<double>(w->y) + w->zigPhase));
                break;
            }
            case WarheadKind::Throbber:
                moveThrobber(game, *w);
                throbberMoved = true;
                break;
            default: {  // a straight path: ICBMs, MIRVs, fragments and SEEKERs
                const double t = pathFraction(*w);
                w->x = toF32(static_cast<double>(w->startX) + (static_cast<double>(w->targetX) - w->startX) * t);
                break;
            }
        }

        if (blastTest(game, *w)) {
            destroyWarhead(game, *w);
            st.warheads.remove();
        } else if (Site* site = siteTest(game, *w)) {
            destroySite(game, *site);
            st.warheads.remove();
        } else if (w->y >= kGroundY) {
            groundImpact(game, *w);
            st.warheads.remove();
        }
    }

    st.throbberMoved = throbberMoved ? 1 : 0;
}

bool throbberMovedInLastPass(const Game& game) { return game.state.throbberMoved != 0; }

void updateAlarmPhase(Game& game) {
    GameState& st = game.state;
    if (throbberMovedInLastPass(game))
        st.alarmPhase = toF32(static_cast<double>(st.alarmPhase) + 0.16);
    else
        st.alarmPhase = 0.0f;
}
