// The board, the skylines and the set-up of each wave.
#include <vector>

#include "BattleFixture.h"
#include "core/Numeric.h"
#include "render/DrawSurface.h"

namespace {

using BoardTest = BattleFixture;
using Range = std::pair<int64_t, int64_t>;

std::vector<int64_t> offsetsOf(const Site& s) {
    std::vector<int64_t> out;
    s.buildings.forEach([&](const Building& b) { out.push_back(b.offsetX); });
    return out;
}

TEST_F(BoardTest, NewBoardBuildsSixStockedSitesLeftToRight) {
    st.nextRepairScore = 55000;
    st.level = 7;
    st.score = 1234;
    site(2).alive = 0;
    st.launchSite = 4;
    random.push({3, 20, 50, 21, 51, 22, 52});  // first site: three buildings
    newBoard(game);
    EXPECT_EQ(st.launchSite, kNoSite);  // never left pointing into the old board

    ASSERT_EQ(st.sites.size(), 6u);
    const float xs[] = {182, 364, 546, 728, 910, 1092};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(site(i).x, xs[i]);
        EXPECT_EQ(site(i).ammo, 10);
        EXPECT_EQ(site(i).alive, 1);
        EXPECT_EQ(site(i).repairTimer, 0);
    }
    EXPECT_EQ(st.nextRepairScore, 10000);
    EXPECT_EQ(st.level, 7);  // the caller resets level and score
    EXPECT_EQ(st.score, 1234);
    // Each skyline is built before the next site: the first site got the
    // scripted draws in the order count, then width and height per building.
    ASSERT_EQ(site(0).buildings.size(), 3u);
    EXPECT_EQ(site(0).buildings[0].width, 20);
    EXPECT_EQ(site(0).buildings[0].height, 50);
    EXPECT_EQ(site(0).buildings[2].width, 22);
    EXPECT_EQ(site(0).buildings[2].height, 52);
    EXPECT_EQ(site(1).buildings.size(), 2u);
    ASSERT_GE(random.requests.size(), 7u);
    EXPECT_EQ(random.requests[0], Range(2, 4));
    EXPECT_EQ(random.requests[1], Range(15, 25));
    EXPECT_EQ(random.requests[2], Range(40, 80));
}

TEST_F(BoardTest, SkylineEdgesAreSymmetricAnd28Apart) {
    random.push({2});
    buildSkyline(game, site(0));
    EXPECT_EQ(offsetsOf(site(0)), (std::vector<int64_t>{-14, 14}));
    random.push({3});
    buildSkyline(game, site(0));
    EXPECT_EQ(offsetsOf(site(0)), (std::vector<int64_t>{-28, 0, 28}));
    random.push({4, 25, 80, 15, 40, 25, 80, 15, 40});
    buildSkyline(game, site(0));
    EXPECT_EQ(offsetsOf(site(0)), (std::vector<int64_t>{-42, -14, 14, 42}));
    EXPECT_EQ(site(0).buildings[0].width, 25);
    EXPECT_EQ(site(0).buildings[3].height, 40);
}

TEST_F(BoardTest, WaveSizesGrowThenJumpAndStopAt80) {
    const std::pair<int64_t, int64_t> sizes[] = {{1, 8},   {2, 10},  {9, 24},  {10, 38},
                                                 {23, 77}, {24, 80}, {50, 80}, {100, 80}};
    for (auto [level, size] : sizes) EXPECT_EQ(waveSizeFor(level), size) << "level " << level;
    setupWave(game, 10);
    EXPECT_EQ(st.waveSize, 38);
}

TEST_F(BoardTest, AmmunitionPerLevel) {
    const std::pair<int64_t, int64_t> ammo[] = {{1, 10}, {4, 10}, {5, 11},  {9, 11},  {10, 12},
                                                {14, 12}, {47, 19}, {99, 29}, {100, 30}};
    for (auto [level, a] : ammo) EXPECT_EQ(waveAmmoFor(level), a) << "level " << level;
}

TEST_F(BoardTest, SetupWaveEmptiesTheFieldAndRaisesThePanel) {
    addWarhead(100, 100);
    addBlast(100, 100, 5);
    st.interceptors.add();
    st.spawned = 17;
    st.intermission = 0;
    setupWave(game, 3);
    EXPECT_TRUE(st.warheads.empty());
    EXPECT_TRUE(st.interceptors.empty());
    EXPECT_TRUE(st.explosions.empty());
    EXPECT_EQ(st.spawned, 0);
    EXPECT_EQ(st.intermission, 1);
    EXPECT_EQ(st.countdown, 120);
    EXPECT_EQ(st.waveSize, 12);
}

TEST_F(BoardTest, GroundIsGreyBrownUntilWave4ThenDarkRed) {
    random.push({21, 42, 60, 50, 100, 200});
    setupWave(game, 4);
    EXPECT_EQ(st.groundColour, rgb(21, 42, 60));
    EXPECT_EQ(st.cityColour, rgb(50, 100, 200));
    ASSERT_GE(random.requests.size(), 6u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(random.requests[i], Range(20, 60));
    for (int i = 3; i < 6; ++i) EXPECT_EQ(random.requests[i], Range(50, 200));

    random.requests.clear();
    random.push({77, 60, 70, 80});
    setupWave(game, 5);
    EXPECT_EQ(st.groundColour, rgb(77, 0, 0));
    EXPECT_EQ(st.cityColour, rgb(60, 70, 80));
    EXPECT_EQ(random.requests[0], Range(50, 80));
}

TEST_F(BoardTest, RuinsKeepTheirAmmoAndSkylineWhileStandingSitesReload) {
    site(1).alive = 0;
    site(1).ammo = 3;
    site(0).ammo = 0;
    site(5).ammo = 30;
    random.push({50, 50, 50, 50});  // the two colours
    random.push({4, 25, 80, 25, 80, 25, 80, 25, 80});  // first standing site: four buildings
    setupWave(game, 5);
    EXPECT_EQ(site(0).ammo, 11);
    EXPECT_EQ(site(0).buildings.size(), 4u);
    EXPECT_EQ(site(1).ammo, 3);
    EXPECT_EQ(site(1).buildings.size(), 2u);
    EXPECT_EQ(site(1).buildings[0].width, 15);  // the old skyline
    EXPECT_EQ(site(5).ammo, 11);                // replaced, not added to
    setupWave(game, 100);
    EXPECT_EQ(site(0).ammo, 30);
    EXPECT_EQ(site(1).ammo, 3);
}

TEST_F(BoardTest, DifficultyScalesSpeedsAndBonusButNotTheWave) {
    // Hard makes the first wave's base speed 1.8 times Normal's (with the
    // factor widened from its 32-bit value) and launches the same eight.
    EXPECT_FLOAT_EQ(baseSpeedFor(1, 1.0f), 0.812f);
    EXPECT_EQ(baseSpeedFor(1, 1.8f), toF32(0.812 * static_cast<double>(1.8f)));
    EXPECT_FLOAT_EQ(baseSpeedFor(10, 0.6f), 0.552f);
    EXPECT_FLOAT_EQ(baseSpeedFor(50, 1.8f), 2.52f);
    st.difficulty = 2;
    st.speedFactor = 1.8f;
    setupWave(game, 1);
    EXPECT_EQ(st.waveSize, 8);

    EXPECT_FLOAT_EQ(dodgeStrengthFor(1, 1.0f), 0.55f);
    EXPECT_FLOAT_EQ(dodgeStrengthFor(30, 1.0f), 2.0f);
    EXPECT_EQ(dodgeStrengthFor(40, 1.0f), 2.5f);
    EXPECT_EQ(dodgeStrengthFor(20, 1.8f), 2.5f);

    EXPECT_EQ(roundHalfEven(siteBonusFor(1, 0.6f)), 60);
    EXPECT_EQ(roundHalfEven(siteBonusFor(1, 1.8f)), 180);
}

TEST_F(BoardTest, ThrobberChanceByDifficulty) {
    const int64_t levels[] = {6, 7, 8, 9, 10, 12, 16, 24};
    const float easy[] = {0, 5, 10, 15, 20, 30, 50, 90};
    const float normal[] = {0, 10, 20, 30, 40, 60, 100, 180};
    const float hard[] = {0, 20, 25, 30, 35, 45, 65, 105};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(throbberChanceFor(levels[i], 0), easy[i]) << levels[i];
        EXPECT_EQ(throbberChanceFor(levels[i], 1), normal[i]) << levels[i];
        EXPECT_EQ(throbberChanceFor(levels[i], 2), hard[i]) << levels[i];
    }
}

}  // namespace
