#include "battle/Damage.h"

#include <algorithm>

#include "audio/Throttle.h"
#include "battle/Board.h"
#include "battle/Field.h"
#include "battle/Interceptors.h"
#include "core/Numeric.h"

namespace {

constexpr float kGroundY = float(field::kGroundY);

}  // namespace

void destroyWarhead(Game& game, Warhead& warhead) {
    GameState& st = game.state;
    if (isUnsplitMirv(warhead)) {
        // An unsplit MIRV still lets one warhead go, from the top edge
        // straight above it, falling fast.
        const float x = warhead.x;
        const double speed = warhead.speed;
        st.warheads.pushPosition();
        Warhead& r = st.warheads.add();
        r.startX = r.x = x;
        r.startY = r.y = 0.0f;
        r.targetX = static_cast<float>(game.random.range(0, field::kRandomXMax));
        r.speed = toF32(2.5 * speed);
        r.fragment = 1;
        r.splitY = -1;
        st.warheads.popPosition();
    }
    st.score += 50 + 150 * static_cast<int64_t>(warhead.evasive);
}

Site* siteTest(Game& game, const Warhead& warhead) {
    GameState& st = game.state;
    st.sites.reset();
    while (Site* s = st.sites.next()) {
        if (s->alive == 0) continue;
        const float dx = warhead.x - s->x;
        const float dy = warhead.y - kGroundY;
        if (static_cast<double>(dx) * dx + static_cast<double>(dy) * dy < 2025.0) return s;
    }
    return nullptr;
}

void destroySite(Game& game, Site& site) {
    GameState& st = game.state;
    site.alive = 0;  // ammo, skyline and repair timer stay as they were
    const int64_t left = aliveSites(st);
    st.shakeTimer = (6 - left) * 15 + 30;
    st.staticTimer = 30;
    for (int64_t k = 0; k < 7; ++k)
        addExplosion(game, site.x, static_cast<double>(718 - 15 * k), static_cast<double>(27 + 7 * k), 255, 120,
                     0, 14);
    // The sound comes from the side of the city struck.
    const int64_t pan = roundHalfEven(static_cast<double>(site.x) / double(field::kWidth) * 200.0 - 100.0);
    game.sound.setSoundPan(SoundExplHitCity, pan);
    playThrottled(game, SoundExplHitCity, 100);
    addExplosion(game, site.x, 648, 110, 255, 240, 160, 14);
}

void groundImpact(Game& game, const Warhead& warhead) {
    GameState& st = game.state;
    addExplosion(game, warhead.x, kGroundY, 30, 150, 150, 150, 14);
    game.sound.setSoundPan(SoundExplHit, -100);
    playThrottled(game, SoundExplHit, 100);
    st.shakeTimer = std::max<int64_t>(st.shakeTimer, 6);
}

void repairCheck(Game& game) {
    GameState& st = game.state;
    if (st.score < st.nextRepairScore) return;
    // A site lost while its "repaired" label still showed keeps its timer
    // and is passed over until the next new board.
    Site* site = nullptr;
    st.sites.reset();
    while (Site* s = st.sites.next()) {
        if (s->alive == 0 && s->repairTimer == 0) {
            site = s;
            break;
        }
    }
    if (site == nullptr) return;  // the repair waits for a city to rebuild

    site->alive = 1;
    site->ammo = 10;
    site->repairTimer = 180;
    buildSkyline(game, *site);
    game.sound.playSound(SoundRestoreCity, PlayExtra, DefaultVolume);
    addExplosion(game, site->x, 718, 90, 0, 255, 0, 14);
    st.nextRepairScore += st.level * 500 + 10000;
}

void resupply(Game& game) {
    GameState& st = game.state;
    if (st.level < 5 || st.spawned != st.waveSize / 2) return;
    st.sites.reset();
    while (Site* s = st.sites.next()) {
        if (s->alive == 0) continue;
        s->ammo = std::min<int64_t>(s->ammo, 25) + 5;
        addExplosion(game, s->x, 723, 40, 0, 255, 0, 10);
        game.sound.playSound(SoundReload, PlayExtra, DefaultVolume);
    }
}
