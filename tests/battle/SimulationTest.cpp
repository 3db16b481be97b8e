// The order of the simulation step and what follows from it.
#include "BattleFixture.h"
#include "battle/Interceptors.h"
#include "battle/Simulation.h"

namespace {

using SimulationTest = BattleFixture;

TEST_F(SimulationTest, TheFirstWaveLaunchesOnePerStepUpToEight) {
    setupWave(game, 1);
    st.intermission = 0;
    for (int step = 1; step <= 8; ++step) {
        simulationStep(game);
        EXPECT_EQ(st.spawned, step);
        EXPECT_EQ(st.warheads.size(), static_cast<size_t>(step));
        // Each new warhead is moved in the step that launched it.
        EXPECT_GT(st.warheads[st.warheads.size() - 1].y, 0.0f);
    }
    simulationStep(game);
    EXPECT_EQ(st.spawned, 8);
}

TEST_F(SimulationTest, GameOverComesBeforeTheWaveEnd) {
    for (size_t i = 1; i < 6; ++i) killSite(i);
    st.spawned = st.waveSize;
    addWarhead(182, 700);  // the wave's last warhead, onto the last site
    simulationStep(game);
    EXPECT_EQ(st.gameOver, 1);
    EXPECT_EQ(st.gameOverTimer, 119);  // the sequence already counts in this step
    EXPECT_EQ(st.level, 1);
    EXPECT_TRUE(sound.playsOf(SoundLevelEnd).empty());
    EXPECT_EQ(sound.playsOf(SoundGameOver).size(), 1u);
    // Fires and city flash grew once in this step; the game-over flash,
    // made after the explosions pass, not yet.
    ASSERT_EQ(st.explosions.size(), 9u);
    EXPECT_EQ(st.explosions[0].radius, 7.0f);
    EXPECT_EQ(st.explosions[8].maxRadius, 1600.0f);
    EXPECT_EQ(st.explosions[8].radius, 1.0f);
}

TEST_F(SimulationTest, ReturningToTheTitleEndsTheStep) {
    st.level = 4;
    st.score = 900;
    st.gameOver = 1;
    st.gameOverTimer = 0;
    st.spawned = st.waveSize;  // a wave end would be due if it were checked
    simulationStep(game);
    EXPECT_EQ(st.inGame, 0);
    EXPECT_EQ(st.level, 1);
    EXPECT_EQ(st.score, 0);
    EXPECT_EQ(st.lastBonus, 0);
    EXPECT_EQ(st.intermission, 0);
    EXPECT_TRUE(sound.playsOf(SoundLevelEnd).empty());
}

TEST_F(SimulationTest, RepairFlashGrowsInItsOwnStep) {
    killSite(2);
    st.score = 10000;
    st.spawned = st.waveSize;
    simulationStep(game);
    EXPECT_EQ(site(2).alive, 1);
    ASSERT_EQ(st.explosions.size(), 1u);
    EXPECT_EQ(st.explosions[0].radius, 7.0f);
}

TEST_F(SimulationTest, KillsOfTheGameOverFlashCountForTheHallOfFame) {
    st.sites.forEach([](Site& s) { s.alive = 0; });
    st.spawned = st.waveSize - 2;  // two more launches during the sequence
    for (int i = 0; i < 5; ++i) addWarhead(600.0f + 20.0f * static_cast<float>(i), 100, 0.5f);
    int steps = 0;
    while (st.inGame == 1 && steps < 1000) {
        simulationStep(game);
        ++steps;
    }
    EXPECT_EQ(steps, 287);  // the flash lives 286 steps after the one that made it
    EXPECT_EQ(st.spawned, st.waveSize);
    ASSERT_EQ(st.highScores.size(), 1u);
    EXPECT_EQ(st.highScores[0].score, 7 * 50);
    EXPECT_EQ(st.score, 0);
}

TEST_F(SimulationTest, InterceptorsFlyAndBurstWithinTheStep) {
    st.spawned = st.waveSize;
    addWarhead(500, 380, 0.5f);  // keeps the wave going
    st.mouseX = 182;
    st.mouseY = 675;  // 28 px: two steps
    launchInterceptor(game);
    simulationStep(game);
    EXPECT_EQ(st.interceptors.size(), 1u);
    simulationStep(game);
    EXPECT_TRUE(st.interceptors.empty());
    ASSERT_EQ(st.explosions.size(), 1u);
    EXPECT_EQ(st.explosions[0].radius, 7.0f);  // grew once in the step it was made
}

}  // namespace
