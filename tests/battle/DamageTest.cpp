// Kills and points, struck sites, ground bursts, repair, resupply, the
// survival bonus and the ends of waves and games.
#include <vector>

#include "BattleFixture.h"
#include "battle/Damage.h"
#include "battle/Enemies.h"
#include "battle/Interceptors.h"
#include "battle/WaveEnd.h"

namespace {

using DamageTest = BattleFixture;

TEST_F(DamageTest, KillsScore50And200ForAThrobber) {
    addBlast(500, 300, 30);
    addWarhead(500, 299);
    addWarhead(510, 299).evasive = 1;
    Warhead& seeker = addWarhead(490, 299);
    seeker.seeker = 1;
    warheadPass(game);
    EXPECT_TRUE(st.warheads.empty());
    EXPECT_EQ(st.score, 300);
    EXPECT_EQ(st.explosions.size(), 1u);  // kills leave no explosion
    EXPECT_TRUE(sound.calls.empty());     // and make no sound
}

TEST_F(DamageTest, AnUnsplitMirvReleasesOneFastWarheadFromTheTop) {
    addBlast(500, 300, 30);
    Warhead& m = addWarhead(505, 299, 2);
    m.splitY = 400;
    Warhead& other = addWarhead(100, 50);
    random.push({1000});
    warheadPass(game);

    ASSERT_EQ(st.warheads.size(), 2u);
    const Warhead& r = st.warheads[0];  // right after the MIRV, before the next one
    EXPECT_EQ(r.startX, 505.0f);
    EXPECT_EQ(r.startY, 0.0f);
    EXPECT_EQ(r.targetX, 1000.0f);
    EXPECT_EQ(r.speed, 5.0f);
    EXPECT_EQ(r.fragment, 1);
    EXPECT_EQ(r.splitY, -1);
    EXPECT_EQ(r.evasive + r.seeker + r.zigzag, 0);
    EXPECT_EQ(r.y, 5.0f);  // moved in the same pass
    EXPECT_EQ(&st.warheads[1], &other);
    EXPECT_EQ(st.score, 50);
    EXPECT_EQ(random.requests, (std::vector<std::pair<int64_t, int64_t>>{{0, 1280}}));

    // A fragment caught by a blast releases nothing.
    st.warheads.clear();
    Warhead& f = addWarhead(505, 299);
    f.fragment = 1;
    f.splitY = 400;
    warheadPass(game);
    EXPECT_TRUE(st.warheads.empty());
    EXPECT_EQ(st.score, 100);
}

TEST_F(DamageTest, BlastComesBeforeTheSiteAndGround) {
    // Within 45 px of a standing site and inside a blast: the blast wins.
    addBlast(182, 720, 20);
    addWarhead(182, 719);
    warheadPass(game);
    EXPECT_EQ(site(0).alive, 1);
    EXPECT_EQ(st.score, 50);
}

TEST_F(DamageTest, TheStrikeZoneIsStrictlyInside45Px) {
    addWarhead(227, 732);  // exactly 45 px from (182, 733) after its move to 733
    warheadPass(game);
    EXPECT_EQ(site(0).alive, 1);
    ASSERT_EQ(st.explosions.size(), 1u);  // a ground burst instead
    EXPECT_EQ(st.explosions[0].maxRadius, 30.0f);

    Warhead& w = addWarhead(226.9f, 733);
    EXPECT_EQ(siteTest(game, w), &site(0));
    w.x = 182;
    w.y = 688.0f;
    EXPECT_EQ(siteTest(game, w), nullptr);
    w.y = 688.01f;
    EXPECT_EQ(siteTest(game, w), &site(0));
    killSite(0);
    EXPECT_EQ(siteTest(game, w), nullptr);  // ruins are passed over
}

TEST_F(DamageTest, AWarheadOnARuinBurstsOnTheGroundAndHarmsNothing) {
    killSite(2);
    addWarhead(546, 732);
    warheadPass(game);
    EXPECT_TRUE(st.warheads.empty());
    ASSERT_EQ(st.explosions.size(), 1u);
    const Explosion& e = st.explosions[0];
    EXPECT_EQ(e.x, 546.0f);
    EXPECT_EQ(e.y, 733.0f);
    EXPECT_EQ(std::vector<int64_t>({e.red, e.green, e.blue, e.fade}), std::vector<int64_t>({150, 150, 150, 14}));
    EXPECT_EQ(st.shakeTimer, 6);
    EXPECT_EQ(sound.calls, (std::vector<SoundCall>{pan(SoundExplHit, -100), play(SoundExplHit, PlayExtra, 100)}));
    EXPECT_EQ(aliveCount(), 5);
    EXPECT_EQ(st.score, 0);

    st.shakeTimer = 50;  // a ground burst never shortens a bigger shake
    groundImpact(game, addWarhead(10, 733));
    EXPECT_EQ(st.shakeTimer, 50);
}

TEST_F(DamageTest, LosingSitesShakesHarderAndPansToTheirSide) {
    const int64_t shakes[] = {45, 60, 75, 90, 105, 120};
    const int64_t pans[] = {-72, -43, -15, 14, 42, 71};
    for (size_t i = 0; i < 6; ++i) {
        sound.clearLog();
        platform.now += 100;
        st.explosions.clear();
        site(i).ammo = 7;
        site(i).repairTimer = 33;
        addWarhead(field::kSiteX[i] + 10, 700);
        warheadPass(game);
        EXPECT_EQ(site(i).alive, 0);
        EXPECT_EQ(site(i).ammo, 7);
        EXPECT_EQ(site(i).repairTimer, 33);
        EXPECT_EQ(st.shakeTimer, shakes[i]);
        EXPECT_EQ(st.staticTimer, 30);
        EXPECT_EQ(sound.calls, (std::vector<SoundCall>{pan(SoundExplHitCity, pans[i]),
                                                      play(SoundExplHitCity, PlayExtra, 100)}));
        EXPECT_TRUE(st.warheads.empty());
    }
    EXPECT_EQ(st.score, 0);

    // Seven fires stacked above the ruin, then the flash.
    ASSERT_EQ(st.explosions.size(), 8u);
    for (int64_t k = 0; k < 7; ++k) {
        const Explosion& e = st.explosions[static_cast<size_t>(k)];
        EXPECT_EQ(e.x, 1092.0f);
        EXPECT_EQ(e.y, static_cast<float>(718 - 15 * k));
        EXPECT_EQ(e.maxRadius, static_cast<float>(27 + 7 * k));
        EXPECT_EQ(std::vector<int64_t>({e.red, e.green, e.blue, e.fade}), std::vector<int64_t>({255, 120, 0, 14}));
    }
    const Explosion& flash = st.explosions[7];
    EXPECT_EQ(flash.y, 648.0f);
    EXPECT_EQ(flash.maxRadius, 110.0f);
    EXPECT_EQ(std::vector<int64_t>({flash.red, flash.green, flash.blue}), std::vector<int64_t>({255, 240, 160}));
}

TEST_F(DamageTest, RepairAtTheThresholdRaisesItByTheLevel) {
    st.level = 3;
    killSite(1);
    killSite(4);
    site(1).ammo = 0;
    st.score = 9999;
    repairCheck(game);
    EXPECT_EQ(site(1).alive, 0);

    st.score = 10000;  // reaching it is enough
    random.push({3});
    repairCheck(game);
    EXPECT_EQ(site(1).alive, 1);
    EXPECT_EQ(site(1).ammo, 10);
    EXPECT_EQ(site(1).repairTimer, 180);
    EXPECT_EQ(site(1).buildings.size(), 3u);
    EXPECT_EQ(site(4).alive, 0);  // one per step
    EXPECT_EQ(st.nextRepairScore, 21500);
    EXPECT_EQ(sound.calls, std::vector<SoundCall>{play(SoundRestoreCity, PlayExtra, DefaultVolume)});
    ASSERT_EQ(st.explosions.size(), 1u);
    const Explosion& e = st.explosions[0];
    EXPECT_EQ(e.x, 364.0f);
    EXPECT_EQ(e.y, 718.0f);
    EXPECT_EQ(e.maxRadius, 90.0f);
    EXPECT_EQ(std::vector<int64_t>({e.red, e.green, e.blue, e.fade}), std::vector<int64_t>({0, 255, 0, 14}));

    // Far above two thresholds: the next city comes back in the next step.
    st.level = 10;
    st.score = 100000;
    repairCheck(game);
    EXPECT_EQ(site(4).alive, 1);
    EXPECT_EQ(st.nextRepairScore, 21500 + 15000);
}

TEST_F(DamageTest, RepairWaitsForACityToRebuild) {
    st.score = 20000;
    repairCheck(game);  // all six standing: nothing, threshold kept
    EXPECT_EQ(st.nextRepairScore, 10000);
    EXPECT_TRUE(sound.calls.empty());

    // A city lost while its label still shows is passed over.
    site(0).repairTimer = 90;
    killSite(0);
    repairCheck(game);
    EXPECT_EQ(site(0).alive, 0);
    EXPECT_EQ(st.nextRepairScore, 10000);
    killSite(5);
    repairCheck(game);
    EXPECT_EQ(site(5).alive, 1);
    EXPECT_EQ(site(0).alive, 0);
    EXPECT_EQ(st.nextRepairScore, 20500);
}

TEST_F(DamageTest, ResupplyFromWave5HalfwayThroughTheLaunches) {
    st.level = 4;
    st.waveSize = 14;
    st.spawned = 7;
    resupply(game);
    EXPECT_EQ(site(0).ammo, 10);

    st.level = 5;
    st.waveSize = 16;
    st.spawned = 7;
    resupply(game);
    EXPECT_EQ(site(0).ammo, 10);
    st.spawned = 8;
    site(0).ammo = 24;
    site(1).ammo = 25;
    site(2).ammo = 27;
    site(3).ammo = 0;
    killSite(4);
    resupply(game);
    EXPECT_EQ(site(0).ammo, 29);
    EXPECT_EQ(site(1).ammo, 30);
    EXPECT_EQ(site(2).ammo, 30);
    EXPECT_EQ(site(3).ammo, 5);
    EXPECT_EQ(site(4).ammo, 10);
    EXPECT_EQ(site(5).ammo, 15);
    EXPECT_EQ(sound.playsOf(SoundReload),
              std::vector<SoundCall>(5, play(SoundReload, PlayExtra, DefaultVolume)));
    ASSERT_EQ(st.explosions.size(), 5u);
    EXPECT_EQ(st.explosions[0].y, 723.0f);
    EXPECT_EQ(st.explosions[0].maxRadius, 40.0f);
    EXPECT_EQ(st.explosions[0].fade, 10);
    EXPECT_EQ(st.explosions[4].x, 1092.0f);
}

TEST_F(DamageTest, TheLastLossStartsTheGameOverFlash) {
    st.sites.forEach([](Site& s) { s.alive = 0; });
    gameOverCheck(game);
    EXPECT_EQ(st.gameOver, 1);
    EXPECT_EQ(st.gameOverTimer, 120);
    EXPECT_EQ(st.shakeTimer, 120);
    ASSERT_EQ(st.explosions.size(), 1u);
    EXPECT_EQ(st.explosions[0].maxRadius, 1600.0f);
    EXPECT_EQ(st.explosions[0].x, 640.0f);
    EXPECT_EQ(st.explosions[0].y, 384.0f);
    EXPECT_EQ(sound.calls, (std::vector<SoundCall>{pan(SoundGameOver, -100), play(SoundGameOver, PlayExtra, 100)}));
    gameOverCheck(game);  // only once
    EXPECT_EQ(st.explosions.size(), 1u);
}

TEST_F(DamageTest, TheGameOverSequenceWaitsThenRecordsAndReturnsToTheTitle) {
    st.gameOver = 1;
    st.gameOverTimer = 2;
    st.level = 7;
    st.score = 4200;
    st.nextRepairScore = 30500;
    killSite(3);
    addBlast(1, 1, 1);
    EXPECT_FALSE(gameOverSequence(game));
    EXPECT_FALSE(gameOverSequence(game));
    EXPECT_EQ(st.gameOverTimer, 0);
    EXPECT_FALSE(gameOverSequence(game));  // the fire still burns
    EXPECT_EQ(st.inGame, 1);
    EXPECT_TRUE(platform.log.empty());
    st.explosions.clear();
    EXPECT_TRUE(gameOverSequence(game));
    // The score was offered to the Hall of Fame before it was reset.
    EXPECT_EQ(platform.logged("textInputBox:HIGH SCORE UNLOCKED!").size(), 1u);
    EXPECT_EQ(st.inGame, 0);
    EXPECT_EQ(st.gameOver, 0);
    EXPECT_EQ(st.level, 1);
    EXPECT_EQ(st.score, 0);
    EXPECT_EQ(aliveCount(), 6);
    EXPECT_EQ(st.nextRepairScore, 10000);

    EXPECT_FALSE(gameOverSequence(game));  // nothing while no game is over
}

TEST_F(DamageTest, SurvivalBonusByDifficulty) {
    struct Case { int64_t difficulty; float factor; int64_t level; int alive; int64_t bonus; };
    const Case cases[] = {{1, 1.0f, 3, 4, 1200}, {0, 0.6f, 1, 6, 360}, {2, 1.8f, 1, 6, 1080},
                          {2, 1.8f, 99, 1, 17820}, {0, 0.6f, 7, 3, 1260}};
    for (const Case& c : cases) {
        newBoard(game);
        for (int i = c.alive; i < 6; ++i) killSite(static_cast<size_t>(i));
        st.difficulty = c.difficulty;
        st.speedFactor = c.factor;
        st.level = c.level;
        st.score = 1000;
        st.spawned = st.waveSize = 8;
        sound.clearLog();
        waveEndCheck(game);
        EXPECT_EQ(st.bonus, c.bonus);
        EXPECT_EQ(st.lastBonus, c.bonus);
        EXPECT_EQ(st.score, 1000 + c.bonus);
        EXPECT_EQ(st.level, c.level + 1);
        EXPECT_EQ(st.intermission, 1);
        EXPECT_EQ(st.waveSize, waveSizeFor(c.level + 1));
        EXPECT_EQ(sound.calls.front(), play(SoundLevelEnd, 0, 90));
    }
}

TEST_F(DamageTest, AWaveIsNotOverWhileAnythingIsLeft) {
    st.level = 2;
    st.waveSize = 10;
    st.spawned = 9;
    waveEndCheck(game);
    EXPECT_EQ(st.level, 2);
    st.spawned = 10;
    Explosion& e = addBlast(5, 5, 3);
    e.growing = 0;
    e.alpha = 3;  // even a fading flash
    waveEndCheck(game);
    EXPECT_EQ(st.level, 2);
    st.explosions.clear();
    addWarhead(5, 5);
    waveEndCheck(game);
    EXPECT_EQ(st.level, 2);
    st.warheads.clear();
    st.gameOver = 1;
    waveEndCheck(game);
    EXPECT_EQ(st.level, 2);
    st.gameOver = 0;
    st.interceptors.add();  // interceptors in flight do not hold the wave
    waveEndCheck(game);
    EXPECT_EQ(st.level, 3);
    EXPECT_TRUE(st.interceptors.empty());
}

TEST_F(DamageTest, VictoryAfterTheLastWaveByCitiesSaved) {
    const std::pair<int, const char*> cases[] = {
        {6, "messageBox:Total Victory!|You saved the world with minimal casualties! You are a hero.\n"},
        {5, "messageBox:Total Victory!|You saved the world with minimal casualties! You are a hero.\n"},
        {4, "messageBox:Pyrrhic Victory!|The war is over, but the cost was very high.\n\r"
            "Most cities are smoldering ruins.\n"}};
    for (auto [alive, message] : cases) {
        newBoard(game);
        for (int i = alive; i < 6; ++i) killSite(static_cast<size_t>(i));
        platform.log.clear();
        sound.clearLog();
        st.level = 100;
        st.gameOver = 0;
        st.gameOverTimer = 0;
        st.spawned = st.waveSize = 80;
        st.score = 500;
        waveEndCheck(game);
        EXPECT_EQ(st.gameOver, 1);
        EXPECT_EQ(st.level, 100);
        EXPECT_EQ(st.score, 500 + 10000 * alive);
        EXPECT_EQ(st.gameOverTimer, 0);
        EXPECT_TRUE(st.explosions.empty());  // no flash and no game-over sound
        EXPECT_EQ(sound.calls, std::vector<SoundCall>{play(SoundLevelEnd, 0, 90)});
        EXPECT_EQ(platform.log, (std::vector<std::string>{"activateApp", message}));
    }
}

}  // namespace
