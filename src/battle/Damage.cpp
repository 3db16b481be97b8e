#include "battle/Damage.h"

#include <algorithm>

#include "audio/Throttle.h"
#include "battle/Board.h"
#include "battle/Interceptors.h"
#include "core/Numeric.h"
#include "records/HighScores.h"

namespace {

constexpr float kGroundY = 733.0f;

int64_t aliveSites(const GameState& st) {
    int64_t n = 0;
    st.sites.forEach([&](const Site& s) {
        if (s.alive != 0) ++n;
    });
    return n;
}

}  // namespace

void destroyWarhead(Game& game, Warhead& warhead) {
    GameState& st = game.state;
    if (warhead.splitY >= 1 && warhead.fragment == 0) {
        // An unsplit MIRV still lets one warhead go, from the top edge
        // straight above it, falling fast.
        const float x = warhead.x;
        const double speed = warhead.speed;
        st.warheads.pushPosition();
        Warhead& r = st.warheads.add();
        r.startX = r.x = x;
        r.startY = r.y = 0.0f;
        r.targetX = static_cast<float>(game.random.range(0, 1280));
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
    const int64_t pan = roundHalfEven(static_cast<double>(site.x) / 1280.0 * 200.0 - 100.0);
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

void gameOverCheck(Game& game) {
    GameState& st = game.state;
    if (st.gameOver != 0 || aliveSites(st) > 0) return;
    st.gameOver = 1;
    st.gameOverTimer = 120;
    st.shakeTimer = 120;
    addExplosion(game, 640, 384, 1600, 255, 255, 255, 14);
    game.sound.setSoundPan(SoundGameOver, -100);
    playThrottled(game, SoundGameOver, 100);
}

bool gameOverSequence(Game& game) {
    GameState& st = game.state;
    if (st.gameOver == 0) return false;
    if (st.gameOverTimer >= 1) {
        --st.gameOverTimer;
        return false;
    }
    if (!st.explosions.empty()) return false;  // wait for the fire to burn out

    recordHighScore(game);
    st.inGame = 0;
    st.gameOver = 0;
    st.level = 1;
    st.score = 0;
    newBoard(game);
    return true;
}

void waveEndCheck(Game& game) {
    GameState& st = game.state;
    if (st.spawned < st.waveSize || !st.warheads.empty() || !st.explosions.empty() || st.gameOver != 0) return;

    game.sound.playSound(SoundLevelEnd, 0, 90);

    st.bonus = 0;
    const double perSite = siteBonusFor(st.level, st.speedFactor);
    st.sites.forEach([&](const Site& s) {
        if (s.alive != 0) st.bonus = roundHalfEven(static_cast<double>(st.bonus) + perSite);
    });
    st.score += st.bonus;
    st.lastBonus = st.bonus;

    if (st.level < kLastLevel) {
        st.level += 1;
        setupWave(game, st.level);
        return;
    }

    // The last wave is won. The game-over sequence then returns to the
    // title once the playfield is quiet.
    st.gameOver = 1;
    const bool fewLosses = aliveSites(st) >= 5;
    game.platform.activateApp();
    if (fewLosses)
        game.platform.messageBox(kTotalVictoryTitle, kTotalVictoryText);
    else
        game.platform.messageBox(kPyrrhicVictoryTitle, kPyrrhicVictoryText);
}
