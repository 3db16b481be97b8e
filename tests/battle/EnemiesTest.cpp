// Launching warheads, the motion of every kind, MIRV splits and the alarm.
#include <cmath>
#include <vector>

#include "BattleFixture.h"
#include "battle/Enemies.h"
#include "core/Numeric.h"

namespace {

using Range = std::pair<int64_t, int64_t>;

struct EnemiesTest : BattleFixture {
    SeededRandom seeded{91};

    void atLevel(int64_t level, int64_t difficulty = 1, float speedFactor = 1.0f) {
        st.level = level;
        st.difficulty = difficulty;
        st.speedFactor = speedFactor;
        st.waveSize = 80;
        st.spawned = 0;
    }
    Warhead& spawnOne() {
        const size_t before = st.warheads.size();
        spawnStep(game);
        EXPECT_EQ(st.warheads.size(), before + 1);
        return st.warheads[st.warheads.size() - 1];
    }
};

TEST_F(EnemiesTest, FirstWaveLaunchesOnlyIcbmsWithThreeDraws) {
    random.push({150, 77, 900});
    Warhead& w = spawnOne();
    EXPECT_EQ(random.requests, (std::vector<Range>{{0, 150}, {0, 1280}, {0, 1280}}));
    EXPECT_EQ(w.startX, 77.0f);
    EXPECT_EQ(w.x, 77.0f);
    EXPECT_EQ(w.y, 0.0f);
    EXPECT_EQ(w.startY, 0.0f);
    EXPECT_EQ(w.targetX, 900.0f);
    EXPECT_EQ(w.splitY, -1);
    EXPECT_FLOAT_EQ(w.speed, 2.312f);  // base 0.812 + 150 / 100
    EXPECT_EQ(w.seeker + w.zigzag + w.evasive + w.fragment, 0);
    EXPECT_EQ(st.spawned, 1);
}

TEST_F(EnemiesTest, LaunchesStopAtTheQuotaAndAtTheLimitInFlight) {
    st.waveSize = 20;
    for (int i = 0; i < 12; ++i) spawnStep(game);
    EXPECT_EQ(st.warheads.size(), 8u);  // waves 1-3: at most 8 in flight
    st.warheads.first();
    st.warheads.remove();
    spawnStep(game);
    EXPECT_EQ(st.warheads.size(), 8u);
    EXPECT_EQ(st.spawned, 9);

    st.level = 4;  // 9 in flight from wave 4
    spawnStep(game);
    spawnStep(game);
    EXPECT_EQ(st.warheads.size(), 9u);

    atLevel(100);
    st.warheads.clear();
    for (int i = 0; i < 40; ++i) spawnStep(game);
    EXPECT_EQ(st.warheads.size(), 33u);

    st.warheads.clear();
    st.spawned = st.waveSize;
    random.requests.clear();
    spawnStep(game);
    EXPECT_TRUE(st.warheads.empty());
    EXPECT_TRUE(random.requests.empty());  // nothing drawn once the quota is reached
}

TEST_F(EnemiesTest, FragmentsCountTowardsTheLimit) {
    st.waveSize = 20;
    for (int i = 0; i < 8; ++i) {
        Warhead& f = addWarhead(100, 100);
        f.fragment = 1;
    }
    spawnStep(game);
    EXPECT_EQ(st.spawned, 0);
}

TEST_F(EnemiesTest, KindTestsInOrderEachDrawingOnlyWhenItApplies) {
    atLevel(10);
    // ZIG-ZAGER: its draw 19 is below 20; no further kind draws.
    random.push({0, 19, 640, 100, 314});
    Warhead& z = spawnOne();
    EXPECT_EQ(random.requests, (std::vector<Range>{{0, 150}, {0, 100}, {0, 1280}, {0, 1280}, {0, 628}}));
    EXPECT_EQ(z.zigzag, 1);
    EXPECT_EQ(z.targetX, 100.0f);
    EXPECT_FLOAT_EQ(z.zigPhase, 3.14f);
    EXPECT_EQ(z.speed, 1.196f);

    // SEEKER: the ZIG-ZAGER's draw fails at 20.
    random.requests.clear();
    random.push({0, 20, 19, 100});
    Warhead& s = spawnOne();
    EXPECT_EQ(random.requests, (std::vector<Range>{{0, 150}, {0, 100}, {0, 100}, {0, 1280}}));
    EXPECT_EQ(s.seeker, 1);
    EXPECT_EQ(s.speed, 1.288f);

    // THROBBER: chance 40 beats a draw of 39 ...
    random.requests.clear();
    random.push({0, 20, 20, 39, 500});
    Warhead& t = spawnOne();
    EXPECT_EQ(random.requests.size(), 5u);
    EXPECT_EQ(t.evasive, 1);
    EXPECT_EQ(t.speed, 0.92f);
    EXPECT_EQ(t.splitY, -1);

    // ... but not one of 40: an ICBM, which becomes a MIRV below 25.
    random.requests.clear();
    random.push({100, 20, 20, 40, 500, 700, 24, 99});
    Warhead& m = spawnOne();
    EXPECT_EQ(random.requests,
              (std::vector<Range>{{0, 150}, {0, 100}, {0, 100}, {0, 100}, {0, 1280}, {0, 1280}, {0, 100}, {0, 200}}));
    EXPECT_EQ(m.evasive + m.seeker + m.zigzag, 0);
    EXPECT_EQ(m.targetX, 700.0f);
    EXPECT_EQ(m.splitY, 149);
    EXPECT_FLOAT_EQ(m.speed, 1.92f);

    random.push({0, 20, 20, 40, 500, 700, 25});
    EXPECT_EQ(spawnOne().splitY, -1);
}

TEST_F(EnemiesTest, KindsAppearWaveByWave) {
    // Wave 4: no ZIG-ZAGER test, only the SEEKER's; no MIRV test.
    atLevel(4);
    random.push({0, 13, 100});
    EXPECT_EQ(spawnOne().seeker, 1);
    random.requests.clear();
    random.push({0, 14, 100, 100});
    spawnOne();
    EXPECT_EQ(random.requests, (std::vector<Range>{{0, 150}, {0, 100}, {0, 1280}, {0, 1280}}));
    // Wave 6: no THROBBER test yet.
    atLevel(6);
    random.requests.clear();
    random.push({0, 100, 100, 0, 0, 100});
    spawnOne();
    EXPECT_EQ(random.requests,
              (std::vector<Range>{{0, 150}, {0, 100}, {0, 100}, {0, 1280}, {0, 1280}, {0, 100}}));
}

TEST_F(EnemiesTest, ThrobbersInFlightAreLimitedByLevel) {
    atLevel(7);  // at most 7 / 5 + 1 = 2 at once
    addWarhead(100, 10).evasive = 1;
    random.push({0, 100, 100, 0, 500});
    EXPECT_EQ(spawnOne().evasive, 1);
    EXPECT_EQ(random.requests.size(), 5u);
    random.requests.clear();
    random.push({0, 100, 100, 500, 500, 100});
    Warhead& w = spawnOne();
    EXPECT_EQ(w.evasive, 0);  // two in flight: the THROBBER test draws nothing
    EXPECT_EQ(random.requests, (std::vector<Range>{{0, 150}, {0, 100}, {0, 100}, {0, 1280}, {0, 1280}, {0, 100}}));
}

TEST_F(EnemiesTest, SeekersAimAtTheFullestLauncherLeftmostOnTies) {
    atLevel(4);
    killSite(0);
    site(0).ammo = 50;  // a ruin is never a target
    site(3).ammo = 12;
    random.push({0, 0, 300});
    EXPECT_EQ(spawnOne().targetX, 728.0f);
    site(5).ammo = 12;
    random.push({0, 0, 300});
    EXPECT_EQ(spawnOne().targetX, 728.0f);
    site(5).ammo = 13;
    random.push({0, 0, 300});
    EXPECT_EQ(spawnOne().targetX, 1092.0f);
    st.sites.forEach([](Site& s) { s.ammo = 0; });
    random.push({0, 0, 300});
    EXPECT_EQ(spawnOne().targetX, 364.0f);  // empty launchers are still targets
    st.sites.forEach([](Site& s) { s.alive = 0; });
    random.push({0, 0, 300, 1234});
    EXPECT_EQ(spawnOne().targetX, 1234.0f);  // nothing stands: a random point
}

TEST_F(EnemiesTest, IcbmsHuntTheLastOneOrTwoSites) {
    for (size_t i : {0, 1, 2, 4}) killSite(i);
    random.push({0, 300, 0});
    EXPECT_EQ(spawnOne().targetX, 728.0f);
    EXPECT_EQ(random.requests.back(), Range(0, 1));
    random.push({0, 300, 1});
    EXPECT_EQ(spawnOne().targetX, 1092.0f);
    killSite(5);
    random.requests.clear();
    random.push({0, 300, 0});
    EXPECT_EQ(spawnOne().targetX, 728.0f);
    EXPECT_EQ(random.requests.back(), Range(0, 0));
    site(0).alive = site(1).alive = 1;  // three standing: a random point
    random.push({0, 300, 640});
    EXPECT_EQ(spawnOne().targetX, 640.0f);
}

TEST_F(EnemiesTest, SpeedsOfEveryKindByLevelAndDifficulty) {
    struct Case { int64_t level, difficulty; float factor; std::vector<int64_t> draws; float speed; };
    const Case cases[] = {
        {50, 1, 1.0f, {0, 100, 100, 0, 0}, 3.64f},       // THROBBER
        {50, 2, 1.8f, {0, 100, 100, 0, 0}, 6.552f},      // THROBBER
        {50, 2, 1.8f, {0, 0, 0, 0, 0}, 3.276f},          // ZIG-ZAGER
        {10, 0, 0.6f, {0, 0, 0, 0, 0}, 0.7176f},         // ZIG-ZAGER
        {10, 0, 0.6f, {0, 100, 0, 0}, 0.7728f},          // SEEKER
        {10, 2, 1.8f, {0, 100, 0, 0}, 2.3184f},          // SEEKER
        {10, 2, 1.8f, {150, 100, 100, 100, 0, 0, 100}, 3.156f},  // ICBM, fastest
        {100, 1, 1.0f, {0, 0, 0, 0, 0}, 2.6f},           // ZIG-ZAGER
        {100, 2, 1.8f, {0, 0, 0, 0, 0}, 4.68f},          // ZIG-ZAGER
    };
    for (const Case& c : cases) {
        atLevel(c.level, c.difficulty, c.factor);
        st.warheads.clear();
        for (int64_t v : c.draws) random.push(v);
        EXPECT_FLOAT_EQ(spawnOne().speed, c.speed) << "level " << c.level << " difficulty " << c.difficulty;
        EXPECT_EQ(random.remaining(), 0u);
    }
}

TEST_F(EnemiesTest, FromWave91EveryLaunchIsAZigZager) {
    random.setFallback(&seeded);
    for (int64_t level : {91, 100}) {
        atLevel(level);
        for (int i = 0; i < 200; ++i) {
            if (st.warheads.size() > 20) st.warheads.clear();
            st.spawned = 0;
            ASSERT_EQ(spawnOne().zigzag, 1);
        }
    }
}

TEST_F(EnemiesTest, StraightPathsRunToTheBottomEdge) {
    Warhead& w = addWarhead(100, 0, 10);
    w.targetX = 868;
    warheadPass(game);
    EXPECT_EQ(w.y, 10.0f);
    EXPECT_EQ(w.x, 110.0f);
    w.y = 723;
    warheadPass(game);  // lands at y 733, having covered 733/768 of the way
    ASSERT_TRUE(st.warheads.empty());
    ASSERT_EQ(st.explosions.size(), 1u);
    EXPECT_EQ(st.explosions[0].x, 833.0f);
}

TEST_F(EnemiesTest, FragmentsRunFromTheirSplitPoint) {
    Warhead& f = addWarhead(300, 151, 4);
    f.startY = 151;
    f.targetX = 917;
    f.fragment = 1;
    warheadPass(game);
    EXPECT_EQ(f.y, 155.0f);
    EXPECT_EQ(f.x, toF32(300.0 + 617.0 * static_cast<double>(toF32(4.0 / 617.0))));
}

TEST_F(EnemiesTest, ZigZagersWeaveAroundARoundedLine) {
    Warhead& z = addWarhead(640, 0, 1.5f);
    z.zigzag = 1;
    for (int i = 0; i < 100; ++i) {
        warheadPass(game);
        ASSERT_FLOAT_EQ(z.x, 640.0f + 80.0f * std::sin(0.05f * z.y)) << "y " << z.y;
    }
    // Halfway down the straight line lies at 0.5 and 1.5: rounded to even.
    Warhead& a = addWarhead(0, 383);
    a.targetX = 1;
    a.zigzag = 1;
    a.zigPhase = 1.0f;
    Warhead& b = addWarhead(0, 383);
    b.targetX = 3;
    b.zigzag = 1;
    b.zigPhase = 1.0f;
    warheadPass(game);
    const double wave = 80.0 * std::sin(0.05 * 384.0 + static_cast<double>(1.0f));
    EXPECT_EQ(a.x, toF32(0.0 + wave));
    EXPECT_EQ(b.x, toF32(2.0 + wave));
}

TEST_F(EnemiesTest, ThrobbersSlideAwayFromInterceptorsBelowAndFromBlasts) {
    // Level 1 on Normal: dodge strength 0.55.
    Warhead& t = addWarhead(500, 300, 0);
    t.evasive = 1;
    st.interceptors.last();
    Interceptor& below = st.interceptors.add();
    below.x = 530;
    below.y = 400;  // 104 px away, lower on the playfield
    warheadPass(game);
    EXPECT_FLOAT_EQ(t.driftX, -0.22f * 0.88f);
    EXPECT_FLOAT_EQ(t.x, 500.0f - 0.22f * 0.88f);
    EXPECT_FLOAT_EQ(t.pulse, 0.2f);

    t.x = 500;
    t.driftX = 0;
    below.y = 200;  // above it: no push
    warheadPass(game);
    EXPECT_EQ(t.driftX, 0.0f);
    below.y = 400;
    below.x = 500;  // straight below: no side to push to
    warheadPass(game);
    EXPECT_EQ(t.driftX, 0.0f);
    EXPECT_FLOAT_EQ(t.pulse, 0.6f);

    st.interceptors.clear();
    addBlast(440, 300, 20);  // zone sqrt(400 + 2000) ~ 49 px, wider than the blast
    t.x = 488;
    warheadPass(game);
    EXPECT_FLOAT_EQ(t.driftX, 0.55f * 0.7f * 0.88f);
    EXPECT_EQ(st.warheads.size(), 1u);
}

TEST_F(EnemiesTest, ThrobbersBounceOffTheEdges) {
    Warhead& t = addWarhead(41, 300, 0);
    t.evasive = 1;
    t.driftX = -5;
    warheadPass(game);
    EXPECT_EQ(t.x, 40.0f);
    EXPECT_EQ(t.driftX, 1.0f);
    warheadPass(game);
    EXPECT_FLOAT_EQ(t.x, 40.88f);
    t.x = 1239;
    t.driftX = 5;
    warheadPass(game);
    EXPECT_EQ(t.x, 1240.0f);
    EXPECT_EQ(t.driftX, -1.0f);
}

TEST_F(EnemiesTest, AlarmPulsesWhileAThrobberMoves) {
    addWarhead(500, 300, 0).evasive = 1;
    warheadPass(game);
    updateAlarmPhase(game);
    EXPECT_FLOAT_EQ(st.alarmPhase, 0.16f);
    warheadPass(game);
    updateAlarmPhase(game);
    EXPECT_FLOAT_EQ(st.alarmPhase, 0.32f);
    // A THROBBER that dodged and was then caught still counts for the pass.
    addBlast(500, 300, 5);
    warheadPass(game);
    EXPECT_TRUE(st.warheads.empty());
    updateAlarmPhase(game);
    EXPECT_FLOAT_EQ(st.alarmPhase, 0.48f);
    warheadPass(game);
    updateAlarmPhase(game);
    EXPECT_EQ(st.alarmPhase, 0.0f);
    EXPECT_EQ(st.score, 200);

    // Another game's pass never lights this game's alarm.
    ScriptedPlatform p2;
    SoundRecorder s2;
    ScriptedRandom r2;
    Game other(p2, s2, r2);
    setInitialValues(other.state);
    other.state.warheads.add().evasive = 1;
    warheadPass(other);
    st.alarmPhase = 1.0f;
    updateAlarmPhase(game);
    EXPECT_EQ(st.alarmPhase, 0.0f);
}

TEST_F(EnemiesTest, MirvSplitsIntoFragmentsThatMoveInTheSamePass) {
    st.level = 5;
    Warhead& m = addWarhead(300, 149, 2);
    m.targetX = 1000;  // its x stays at the previous step's value when it splits
    m.splitY = 150;
    addWarhead(800, 10, 1);
    random.push({900, 1});  // aim at a random 900, then site 2 (alive): 364
    warheadPass(game);

    ASSERT_EQ(st.warheads.size(), 2u);
    const Warhead& f = st.warheads[0];  // in the MIRV's place, before the other warhead
    EXPECT_EQ(f.fragment, 1);
    EXPECT_EQ(f.splitY, -1);
    EXPECT_EQ(f.startX, 300.0f);
    EXPECT_EQ(f.startY, 151.0f);
    EXPECT_EQ(f.targetX, 364.0f);
    EXPECT_FLOAT_EQ(f.speed, 4.4f);
    EXPECT_FLOAT_EQ(f.y, 155.4f);  // already moved once
    EXPECT_EQ(st.warheads[1].y, 11.0f);
    ASSERT_EQ(st.explosions.size(), 1u);
    const Explosion& flash = st.explosions[0];
    EXPECT_EQ(flash.x, 300.0f);
    EXPECT_EQ(flash.y, 151.0f);
    EXPECT_EQ(flash.maxRadius, 40.0f);
    EXPECT_EQ(std::vector<int64_t>({flash.red, flash.green, flash.blue, flash.fade}),
              std::vector<int64_t>({255, 255, 100, 14}));
    EXPECT_EQ(sound.calls, std::vector<SoundCall>{play(SoundSmartBomb, PlayExtra, 100)});
    EXPECT_EQ(random.requests, (std::vector<Range>{{0, 1280}, {0, 5}}));
    EXPECT_EQ(st.score, 0);
}

TEST_F(EnemiesTest, LaterWavesSplitIntoMoreFragmentsHeardOnce) {
    st.level = 11;
    killSite(4);
    Warhead& m = addWarhead(300, 100, 5);
    m.splitY = 105;
    random.push({900, 0, 901, 4, 902, 5});
    warheadPass(game);
    ASSERT_EQ(st.warheads.size(), 3u);
    EXPECT_EQ(st.warheads[0].targetX, 182.0f);
    EXPECT_EQ(st.warheads[1].targetX, 901.0f);  // the drawn site is a ruin: the random aim stays
    EXPECT_EQ(st.warheads[2].targetX, 1092.0f);
    EXPECT_EQ(sound.playsOf(SoundSmartBomb).size(), 1u);

    st.level = 6;
    st.warheads.clear();
    st.sites.clear();
    addWarhead(300, 100, 5).splitY = 50;
    random.requests.clear();
    warheadPass(game);
    EXPECT_EQ(st.warheads.size(), 2u);
    EXPECT_EQ(random.requests, (std::vector<Range>{{0, 1280}, {0, 1280}}));  // no site to draw
}

TEST_F(EnemiesTest, SlowMirvsFragmentsDieInTheirOwnSplitFlash) {
    st.level = 8;
    Warhead& m = addWarhead(300, 99.9f, 0.2f);
    m.splitY = 100;
    random.push({300, 0, 300, 0});
    warheadPass(game);
    EXPECT_TRUE(st.warheads.empty());
    EXPECT_EQ(st.score, 100);
    EXPECT_EQ(st.explosions.size(), 1u);  // only the split flash
}

}  // namespace
