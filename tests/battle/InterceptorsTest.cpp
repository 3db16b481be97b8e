// Launching, flying and detonating interceptors; the life of explosions and
// the blast test.
#include <cmath>
#include <vector>

#include "BattleFixture.h"
#include "battle/Interceptors.h"

namespace {

struct InterceptorsTest : BattleFixture {
    void clickAt(int64_t x, int64_t y) {
        st.mouseX = x;
        st.mouseY = y;
        launchInterceptor(game);
    }
    // Explosion passes until the explosion list is empty; returns how many.
    int passesUntilGone() {
        int n = 0;
        while (!st.explosions.empty() && n < 10000) {
            explosionPass(game);
            ++n;
        }
        return n;
    }
};

TEST_F(InterceptorsTest, TheNearerSiteFiresAndTheLeftOneWinsATie) {
    clickAt(273, 300);  // halfway between 182 and 364
    ASSERT_EQ(st.interceptors.size(), 1u);
    EXPECT_EQ(st.launchSite, 0);
    EXPECT_EQ(st.launchDistance, 91.0f);
    EXPECT_EQ(site(0).ammo, 9);
    EXPECT_EQ(site(1).ammo, 10);
    const Interceptor& i = st.interceptors[0];
    EXPECT_EQ(i.startX, 182.0f);
    EXPECT_EQ(i.startY, 703.0f);
    EXPECT_EQ(i.targetX, 273.0f);
    EXPECT_EQ(i.targetY, 300.0f);
    EXPECT_EQ(i.speed, 14.0f);
    EXPECT_EQ(i.distance, toF32(std::sqrt(91.0 * 91.0 + 403.0 * 403.0)));
    EXPECT_EQ(i.x + i.y + i.travelled, 0.0f);
    EXPECT_EQ(sound.calls, (std::vector<SoundCall>{stop(SoundTitle), play(SoundLaunch, PlayExtra, 70)}));

    clickAt(274, 300);
    EXPECT_EQ(st.launchSite, 1);
    EXPECT_EQ(st.launchDistance, 90.0f);
}

TEST_F(InterceptorsTest, TheNearestSiteThatCanFireIsUsedHoweverFar) {
    site(5).ammo = 0;
    for (size_t i : {1, 2, 3, 4}) killSite(i);
    clickAt(1280, 10);
    EXPECT_EQ(st.launchSite, 0);
    EXPECT_EQ(st.launchDistance, 1098.0f);
    EXPECT_EQ(site(0).ammo, 9);
    EXPECT_EQ(site(5).ammo, 0);
}

TEST_F(InterceptorsTest, AClickNoSiteCanAnswerOnlyStopsTheTitleTune) {
    st.sites.forEach([](Site& s) { s.ammo = 0; });
    site(3).ammo = 5;
    killSite(3);
    clickAt(700, 300);
    EXPECT_TRUE(st.interceptors.empty());
    EXPECT_EQ(st.launchSite, kNoSite);
    EXPECT_EQ(st.launchDistance, 10000.0f);
    EXPECT_EQ(site(3).ammo, 5);
    EXPECT_EQ(sound.calls, std::vector<SoundCall>{stop(SoundTitle)});
}

TEST_F(InterceptorsTest, LaunchSoundIsThrottledTo51Ms) {
    clickAt(100, 100);
    platform.now += 30;
    clickAt(100, 100);
    platform.now += 30;
    clickAt(100, 100);
    EXPECT_EQ(st.interceptors.size(), 3u);
    EXPECT_EQ(site(0).ammo, 7);
    EXPECT_EQ(sound.playsOf(SoundLaunch).size(), 2u);
    EXPECT_EQ(st.lastPlayed[SoundLaunch], 1060);
}

TEST_F(InterceptorsTest, ABurst400PxAboveTheSiteComesInThe29thStep) {
    clickAt(182, 303);
    ASSERT_EQ(st.interceptors[0].distance, 400.0f);
    for (int step = 1; step <= 28; ++step) interceptorPass(game);
    ASSERT_EQ(st.interceptors.size(), 1u);
    EXPECT_EQ(st.interceptors[0].travelled, 392.0f);
    EXPECT_EQ(st.interceptors[0].x, 182.0f);
    EXPECT_EQ(st.interceptors[0].y, 311.0f);
    EXPECT_TRUE(st.explosions.empty());

    random.push({40, 60});  // colour first, then size
    sound.clearLog();
    interceptorPass(game);  // travelled 406: past the target, the burst sits on it
    EXPECT_TRUE(st.interceptors.empty());
    ASSERT_EQ(st.explosions.size(), 1u);
    const Explosion& e = st.explosions[0];
    EXPECT_EQ(e.x, 182.0f);
    EXPECT_EQ(e.y, 303.0f);
    EXPECT_EQ(e.maxRadius, 95.0f);
    EXPECT_EQ(std::vector<int64_t>({e.red, e.green, e.blue, e.alpha, e.fade}),
              std::vector<int64_t>({255, 160, 0, 255, 14}));
    EXPECT_EQ(e.radius, 1.0f);
    EXPECT_EQ(e.growing, 1);
    EXPECT_EQ(random.requests, (std::vector<std::pair<int64_t, int64_t>>{{0, 100}, {0, 60}}));
    EXPECT_EQ(sound.calls, std::vector<SoundCall>{play(SoundExplMiss, PlayExtra, 100)});

    int growth = 0;
    while (st.explosions[0].growing) {
        explosionPass(game);
        ++growth;
    }
    EXPECT_EQ(growth, 16);
    EXPECT_EQ(st.explosions[0].radius, 97.0f);
}

TEST_F(InterceptorsTest, ArrivalCountsWhenTheDistanceIsExactlyCovered) {
    // 406 px: arrives with the 29th step; 406.5 px needs a 30th.
    Interceptor& exact = st.interceptors.add();
    exact.startX = 0;
    exact.startY = 703;
    exact.speed = 14;
    exact.distance = 406;
    exact.targetX = 0;
    exact.targetY = 297;
    Interceptor& longer = st.interceptors.add();
    longer = exact;
    longer.distance = 406.5f;
    for (int i = 0; i < 29; ++i) interceptorPass(game);
    ASSERT_EQ(st.interceptors.size(), 1u);
    EXPECT_EQ(st.interceptors[0].distance, 406.5f);
    interceptorPass(game);
    EXPECT_TRUE(st.interceptors.empty());
    EXPECT_EQ(st.explosions.size(), 2u);
}

TEST_F(InterceptorsTest, AClickBelowTheLaunchHeightFliesDownwards) {
    clickAt(182, 750);
    interceptorPass(game);
    EXPECT_EQ(st.interceptors[0].y, 717.0f);
    for (int i = 0; i < 3; ++i) interceptorPass(game);
    EXPECT_TRUE(st.interceptors.empty());
    EXPECT_EQ(st.explosions[0].y, 750.0f);
}

TEST_F(InterceptorsTest, AClickOnTheLaunchPointBurstsAtOnce) {
    clickAt(182, 703);
    EXPECT_EQ(st.interceptors[0].distance, 0.0f);
    interceptorPass(game);
    EXPECT_TRUE(st.interceptors.empty());
    ASSERT_EQ(st.explosions.size(), 1u);
    EXPECT_EQ(st.explosions[0].x, 182.0f);
    EXPECT_EQ(st.explosions[0].y, 703.0f);
}

TEST_F(InterceptorsTest, TwoArrivalsInOneStepAreHeardOnce) {
    clickAt(182, 689);
    clickAt(364, 689);
    sound.clearLog();
    interceptorPass(game);
    EXPECT_EQ(st.explosions.size(), 2u);
    EXPECT_EQ(sound.playsOf(SoundExplMiss).size(), 1u);
}

TEST_F(InterceptorsTest, ExplosionsGrowThenFadeForTheirLifetime) {
    addExplosion(game, 10, 10, 35, 1, 2, 3, 14);
    EXPECT_EQ(passesUntilGone(), 25);  // 6 growth steps to 37, 19 fading
    addExplosion(game, 10, 10, 90, 0, 255, 0, 14);
    EXPECT_EQ(passesUntilGone(), 34);  // the repair flash
    addExplosion(game, 10, 10, 40, 0, 255, 0, 10);
    EXPECT_EQ(passesUntilGone(), 33);  // the resupply flash fades for 26
    addExplosion(game, 640, 384, 1600, 255, 255, 255, 14);
    for (int i = 0; i < 267; ++i) explosionPass(game);
    EXPECT_EQ(st.explosions[0].radius, 1603.0f);
    EXPECT_EQ(st.explosions[0].growing, 0);
    EXPECT_EQ(passesUntilGone(), 19);  // 286 in all

    // Growth stops in the step that reaches the maximum exactly; the alpha
    // then falls 255, 241, ... 3.
    Explosion& e = addBlast(0, 0, 1, 37);
    for (int i = 0; i < 6; ++i) explosionPass(game);
    EXPECT_EQ(e.radius, 37.0f);
    EXPECT_EQ(e.growing, 0);
    EXPECT_EQ(e.alpha, 255);
    for (int i = 0; i < 18; ++i) explosionPass(game);
    EXPECT_EQ(e.alpha, 3);
    EXPECT_EQ(e.radius, 37.0f);
}

TEST_F(InterceptorsTest, BlastTestCountsTheEdgeAndEveryPhase) {
    Explosion& near = addBlast(100, 100, 5);
    Warhead& w = addWarhead(103, 104);  // exactly 5 px away
    EXPECT_TRUE(blastTest(game, w));
    w.y = 104.01f;
    EXPECT_FALSE(blastTest(game, w));
    near.growing = 0;
    near.alpha = 3;
    w.y = 104;
    EXPECT_TRUE(blastTest(game, w));  // fading still burns
    w.x = 900;
    EXPECT_FALSE(blastTest(game, w));
    addBlast(950, 104, 50);  // a later explosion catches it
    EXPECT_TRUE(blastTest(game, w));
}

TEST_F(InterceptorsTest, NewExplosionsGoRightAfterTheCurrentOne) {
    addBlast(1, 0, 1);
    addBlast(2, 0, 1);
    st.explosions.first();
    addExplosion(game, 3, 4, 60, 10, 20, 30, 14);
    ASSERT_EQ(st.explosions.size(), 3u);
    const Explosion& e = st.explosions[1];
    EXPECT_EQ(e.x, 3.0f);
    EXPECT_EQ(e.y, 4.0f);
    EXPECT_EQ(e.maxRadius, 60.0f);
    EXPECT_EQ(e.radius, 1.0f);
    EXPECT_EQ(e.alpha, 255);
    EXPECT_EQ(e.growing, 1);
    EXPECT_EQ(std::vector<int64_t>({e.red, e.green, e.blue, e.fade}), std::vector<int64_t>({10, 20, 30, 14}));
    EXPECT_EQ(st.explosions[2].x, 2.0f);
}

}  // namespace
