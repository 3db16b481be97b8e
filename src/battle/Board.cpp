#include "battle/Board.h"

#include <algorithm>

#include "core/Numeric.h"
#include "core/Colour.h"

void newBoard(Game& game) {
    GameState& st = game.state;
    st.sites.clear();
    // The site the last launch chose is gone with the old board.
    st.launchSite = kNoSite;
    for (float x : field::kSiteX) {
        st.sites.last();  // append: each site goes after the previous one
        Site& site = st.sites.add();
        site.x = x;
        site.ammo = 10;
        site.alive = 1;
        site.repairTimer = 0;
        buildSkyline(game, site);
    }
    st.nextRepairScore = 10000;
}

int64_t aliveSites(const GameState& st) {
    int64_t n = 0;
    st.sites.forEach([&](const Site& s) {
        if (s.alive != 0) ++n;
    });
    return n;
}

void buildSkyline(Game& game, Site& site) {
    site.buildings.clear();
    const int64_t n = game.random.range(2, 4);
    const double middle = static_cast<double>(n) / 2.0 + 0.5;
    for (int64_t i = 1; i <= n; ++i) {
        site.buildings.last();
        Building& b = site.buildings.add();
        b.width = game.random.range(15, 25);
        b.height = game.random.range(40, 80);
        // Left edges 28 px apart, symmetric about the site's centre.
        b.offsetX = static_cast<int64_t>((static_cast<double>(i) - middle) * 28.0);
    }
}

int64_t waveSizeFor(int64_t level) {
    const int64_t size = level <= 9 ? 2 * level + 6 : 3 * level + 8;
    return std::min<int64_t>(size, 80);
}

int64_t waveAmmoFor(int64_t level) { return std::min<int64_t>(level / 5, 20) + 10; }

float baseSpeedFor(int64_t level, float speedFactor) {
    return toF32((static_cast<double>(level) * 0.012 + 0.8) * static_cast<double>(speedFactor));
}

float throbberChanceFor(int64_t level, int64_t difficulty) {
    if (level < 7) return 0.0f;
    switch (difficulty) {
        case 0: return static_cast<float>((level - 6) * 5);
        case 2: return static_cast<float>((level - 7) * 5 + 20);
        default: return static_cast<float>((level - 6) * 10);
    }
}

float dodgeStrengthFor(int64_t level, float speedFactor) {
    const float k = toF32((static_cast<double>(level) * 0.05 + 0.5) * static_cast<double>(speedFactor));
    return std::min(k, 2.5f);
}

double siteBonusFor(int64_t level, float speedFactor) {
    return static_cast<double>(level) * 100.0 * static_cast<double>(speedFactor);
}

void setupWave(Game& game, int64_t level) {
    GameState& st = game.state;
    RandomSource& rnd = game.random;
    st.warheads.clear();
    st.interceptors.clear();
    st.explosions.clear();

    st.waveSize = waveSizeFor(level);
    st.spawned = 0;
    st.intermission = 1;
    st.countdown = 120;

    // Grey-brown ground for the first waves, dark red from wave 5 on.
    if (level <= 4) {
        const int64_t r = rnd.range(20, 60);
        const int64_t g = rnd.range(20, 60);
        const int64_t b = rnd.range(20, 60);
        st.groundColour = rgb(r, g, b);
    } else {
        st.groundColour = rgb(rnd.range(50, 80), 0, 0);
    }
    {
        const int64_t r = rnd.range(50, 200);
        const int64_t g = rnd.range(50, 200);
        const int64_t b = rnd.range(50, 200);
        st.cityColour = rgb(r, g, b);
    }

    // Standing sites are reloaded (whatever they had left) and rebuilt;
    // ruins keep their leftover interceptors and their old skyline.
    const int64_t ammo = waveAmmoFor(level);
    st.sites.reset();
    while (Site* site = st.sites.next()) {
        if (site->alive == 0) continue;
        site->ammo = ammo;
        buildSkyline(game, *site);
    }
}
