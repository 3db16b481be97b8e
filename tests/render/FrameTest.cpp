// Frame preparation and composition: shake and static, the sky, and which
// screen a frame shows.
#include <cmath>
#include <utility>

#include "FrameTestFixture.h"
#include "app/Tick.h"
#include "render/Screens.h"

using Requests = std::vector<std::pair<int64_t, int64_t>>;

namespace {
int64_t redOf(int64_t colour) { return colour & 0xff; }
}  // namespace

TEST_F(FrameTest, SkyReddensWithTheLevelAndStopsAtOneHundred) {
    const std::pair<int64_t, int64_t> cases[] = {
        {1, 6},     // 6.5 rounds to the even 6
        {2, 8},
        {3, 10},    // 9.5 rounds to 10
        {62, 98},
        {63, 100},  // 99.5 rounds to 100
        {64, 100},
        {100, 100},
    };
    for (auto [level, red] : cases) {
        game.state.level = level;
        frame();  // the title screen: the sky shows in its corners
        EXPECT_EQ(at(1279, 0), rgb(red, 5, 15)) << "level " << level;
        EXPECT_EQ(at(0, 767), rgb(red, 5, 15)) << "level " << level;
    }
}

TEST_F(FrameTest, AlarmTintsTheSkyRedderOnTopOfTheCap) {
    EXPECT_EQ(skyColour(1, 1.0f), rgb(52, 5, 15));  // 6 + |sin 1| x 55 = 52.28
    EXPECT_EQ(skyColour(63, 1.0f), rgb(146, 5, 15));
    EXPECT_EQ(skyColour(100, 1.0f), rgb(146, 5, 15));
    // The tint follows |sin|, so it stays a tint for any phase; zero or a
    // negative phase means no alarm.
    EXPECT_EQ(skyColour(1, 4.0f), rgb(6 + 42, 5, 15));  // |sin 4| x 55 = 41.6
    EXPECT_EQ(skyColour(1, 0.0f), rgb(6, 5, 15));
    EXPECT_EQ(skyColour(1, -1.0f), rgb(6, 5, 15));

    playing();
    game.state.alarmPhase = 1.0f;
    frame();
    EXPECT_EQ(at(640, 400), rgb(52, 5, 15));
}

TEST_F(FrameTest, ShakeDrawsXThenYAndCountsDown) {
    game.state.shakeTimer = 2;
    random.push({16, 0});
    FrameShake f = shakeFrame(game);
    EXPECT_EQ(random.requests, (Requests{{0, 16}, {0, 16}}));
    EXPECT_EQ(f.x, 8);
    EXPECT_EQ(f.y, -8);
    EXPECT_EQ(game.state.shakeTimer, 1);

    random.requests.clear();
    shakeFrame(game);
    EXPECT_EQ(game.state.shakeTimer, 0);
    random.requests.clear();
    f = shakeFrame(game);  // spent: no draws, no offset
    EXPECT_TRUE(random.requests.empty());
    EXPECT_EQ(f.x, 0);
    EXPECT_EQ(f.y, 0);
    EXPECT_EQ(game.state.shakeTimer, 0);
}

TEST_F(FrameTest, StaticAddsALopsidedJoltAfterTheShake) {
    game.state.shakeTimer = 1;
    game.state.staticTimer = 3;
    random.push({0, 16, 28, 16});
    FrameShake f = shakeFrame(game);
    EXPECT_EQ(random.requests, (Requests{{0, 16}, {0, 16}, {0, 28}, {0, 16}}));
    EXPECT_EQ(f.x, -8 + 16);
    EXPECT_EQ(f.y, 8 + 8);
    EXPECT_EQ(game.state.shakeTimer, 0);
    EXPECT_EQ(game.state.staticTimer, 2);

    random.requests.clear();
    random.push({0, 0});
    f = shakeFrame(game);  // static alone: -12 .. +16 across
    EXPECT_EQ(random.requests, (Requests{{0, 28}, {0, 16}}));
    EXPECT_EQ(f.x, -12);
    EXPECT_EQ(f.y, -8);
}

TEST_F(FrameTest, ShakeAndStaticCountDownOnEveryScreen) {
    // Title, intel, sector panel, battle, paused battle.
    auto check = [&](const char* what) {
        game.state.shakeTimer = 5;
        game.state.staticTimer = 4;
        frame();
        EXPECT_EQ(game.state.shakeTimer, 4) << what;
        EXPECT_EQ(game.state.staticTimer, 3) << what;
    };
    check("title");
    game.state.intelShown = 1;
    check("intel");
    game.state.intelShown = 0;
    game.state.inGame = 1;
    game.state.intermission = 1;
    game.state.level = 1;
    check("sector panel");
    game.state.intermission = 0;
    check("battle");
    game.state.paused = 1;
    check("paused");
}

TEST_F(FrameTest, ShakeMovesTheGroundAndSitesButNotTheHud) {
    playing();
    Site& s = addSite(182);
    addBuilding(s, -30, 15, 40);
    game.state.shakeTimer = 1;
    random.push({16, 0});  // shakeX +8, shakeY -8
    frame();
    // Ground rows 725 .. 759; the sky shows through below.
    EXPECT_EQ(at(20, 724), sky());
    EXPECT_EQ(at(20, 725), kGround);
    EXPECT_EQ(at(20, 759), kGround);
    EXPECT_EQ(at(20, 760), sky());
    EXPECT_EQ(at(20, 767), sky());
    // Platform: columns 182 - 55 + 8 = 135 .. 244, rows 715 .. 724.
    EXPECT_EQ(at(135, 715), kCity);
    EXPECT_EQ(at(134, 715), sky());
    EXPECT_EQ(at(244, 724), kCity);
    EXPECT_EQ(at(245, 724), sky());
    // Building body: columns 160 .. 174, bottom row 724.
    EXPECT_EQ(at(160, 700), kCity);
    EXPECT_EQ(at(174, 700), kCity);
    // The label shifts with the site, the HUD stays.
    const TextCall* label = drawnText("M = 10");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->x, 182 - 18 + 8);
    EXPECT_EQ(label->y, 743 - 8);
    const TextCall* hud = drawnTextStarting("LEVEL ");
    ASSERT_NE(hud, nullptr);
    EXPECT_EQ(hud->x, 20);
    EXPECT_EQ(hud->y, 20);

    frame();  // still: everything back in place
    EXPECT_EQ(at(20, 733), kGround);
    EXPECT_EQ(at(20, 732), sky());
    EXPECT_EQ(at(127, 723), kCity);
    EXPECT_EQ(at(126, 723), sky());
}

TEST_F(FrameTest, ShakeMovesWarheadsInterceptorsAndExplosions) {
    playing();
    addWarhead(100, 0, 100, 200);
    addInterceptor(500, 500, 400);
    addExplosion(900, 300, 10, 255, 0, 0, true);
    game.state.shakeTimer = 1;
    random.push({11, 5});  // +3, -3
    frame();
    // Head box(101, 195, 5, 5).
    EXPECT_EQ(at(101, 195), palette::IcbmHead);
    EXPECT_EQ(at(105, 199), palette::IcbmHead);
    EXPECT_NE(at(106, 200), palette::IcbmHead);
    EXPECT_NE(at(100, 200), palette::IcbmHead);
    EXPECT_EQ(at(503, 397), palette::White);
    EXPECT_EQ(at(503, 700), palette::White);  // the trail starts at 703 - 3
    EXPECT_NE(at(503, 701), palette::White);
    EXPECT_EQ(at(903 + 10, 297), rgb(255, 0, 0));
    EXPECT_NE(at(903 + 11, 297), rgb(255, 0, 0));  // the radius does not shake
}

TEST_F(FrameTest, StaticShowsOnAllButTheLastShakenFrame) {
    playing();
    game.state.staticTimer = 2;
    frame();  // timer 2 -> 1: jolt and static
    EXPECT_EQ(random.requests.size(), 2u + 9u * 3u + 1u);
    random.requests.clear();
    frame();  // timer 1 -> 0: jolt only
    EXPECT_EQ(random.requests, (Requests{{0, 28}, {0, 16}}));
    random.requests.clear();
    frame();
    EXPECT_TRUE(random.requests.empty());
}

TEST_F(FrameTest, StaticDrawsBandsThenSometimesStreaksInOrder) {
    playing();
    game.state.staticTimer = 5;
    random.push({12, 8});  // no jolt
    // Nine bands (y, h, v): the first at rows 100 .. 101 in grey 77.
    random.push({100, 2, 77});
    for (int i = 1; i < 9; ++i) random.push({0, 1, 50});
    random.push(8);  // streaks follow
    random.push({1, 20, 300, 500});  // h, w, y, x: row 300, columns 500 .. 519
    for (int i = 1; i < 21; ++i) random.push({1, 20, 0, 0});
    frame();

    Requests want{{0, 28}, {0, 16}};
    for (int i = 0; i < 9; ++i) {
        want.push_back({0, 768});
        want.push_back({1, 5});
        want.push_back({50, 200});
    }
    want.push_back({0, 10});
    for (int i = 0; i < 21; ++i) {
        want.push_back({1, 4});
        want.push_back({20, 100});
        want.push_back({0, 768});
        want.push_back({0, 1280});
    }
    EXPECT_EQ(random.requests, want);
    EXPECT_EQ(at(0, 100), rgb(77, 77, 77));
    EXPECT_EQ(at(1279, 101), rgb(77, 77, 77));
    EXPECT_NE(at(640, 102), rgb(77, 77, 77));
    EXPECT_EQ(at(500, 300), rgb(200, 200, 200));
    EXPECT_EQ(at(519, 300), rgb(200, 200, 200));
    EXPECT_NE(at(520, 300), rgb(200, 200, 200));
    EXPECT_NE(at(500, 301), rgb(200, 200, 200));

    // A draw of 7 brings no streaks.
    random.requests.clear();
    random.push({12, 8});
    for (int i = 0; i < 9; ++i) random.push({0, 1, 50});
    random.push(7);
    frame();
    EXPECT_EQ(random.requests.size(), 2u + 27u + 1u);
    EXPECT_EQ(random.requests.back(), (std::pair<int64_t, int64_t>{0, 10}));
}

TEST_F(FrameTest, StaticCoversTheBattlefieldAndTheHudButNotTheOverlays) {
    playing();
    game.state.gameOver = 1;
    game.state.staticTimer = 5;
    random.push({12, 8});
    random.push({330, 5, 100});  // a band through the game-over frame's top row
    for (int i = 1; i < 9; ++i) random.push({0, 1, 50});
    random.push(0);
    frame();
    EXPECT_EQ(at(300, 330), rgb(100, 100, 100));
    EXPECT_EQ(at(640 - 95, 330), rgb(255, 0, 0));  // the frame's left column, drawn on top
}

TEST_F(FrameTest, EachFrameIsOnePassShowingOneScreen) {
    frame();
    EXPECT_EQ(platform.presented, 1);
    EXPECT_FALSE(surface.inFrame());
    EXPECT_NE(drawnText("ZARVEX"), nullptr);

    game.state.intelShown = 1;
    frame();
    EXPECT_NE(drawnText(">>> INTEL: RAZEDEREV THREAT ANALYSIS <<<"), nullptr);
    EXPECT_EQ(drawnText("ZARVEX"), nullptr);

    // A difficulty chosen on the intel screen starts a game behind it: the
    // intel screen stays in front.
    game.state.inGame = 1;
    game.state.intermission = 1;
    frame();
    EXPECT_NE(drawnText(">>> INTEL: RAZEDEREV THREAT ANALYSIS <<<"), nullptr);

    game.state.intelShown = 0;
    frame();
    EXPECT_NE(drawnText(">>> SECTOR 1 STATUS: SECURED <<<"), nullptr);
    EXPECT_EQ(drawnTextStarting("LEVEL "), nullptr);
    EXPECT_EQ(at(20, 740), sky());  // no ground behind the panel

    game.state.intermission = 0;
    frame();
    EXPECT_NE(drawnText("LEVEL 1 \xE2\x80\xA2 SCORE: 0"), nullptr);
    EXPECT_EQ(at(20, 740), kGround);
    EXPECT_EQ(platform.presented, 5);
}

TEST_F(FrameTest, TitleAndIntelShowNothingOfTheBattlefield) {
    Site& s = addSite(182);
    addBuilding(s, -30, 15, 40);
    addWarhead(100, 0, 100, 200);
    addExplosion(640, 384, 50, 255, 255, 255, true);
    frame();
    EXPECT_EQ(at(150, 725), sky());
    EXPECT_EQ(at(100, 100), sky());
    EXPECT_EQ(at(640, 300), sky());
    EXPECT_EQ(drawnText("M = 10"), nullptr);
}

TEST_F(FrameTest, OverlaysFollowTheBattleGameOverFirst) {
    playing();
    game.state.gameOver = 1;
    game.state.paused = 1;
    frame();
    std::vector<std::string> t = texts();
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(t[t.size() - 3], "GAME OVER");
    EXPECT_EQ(t[t.size() - 2], "PRESS SPACE TO PLAY AGAIN");
    EXPECT_EQ(t[t.size() - 1], "PAUSED");

    game.state.gameOver = 0;
    frame();
    EXPECT_EQ(drawnText("GAME OVER"), nullptr);
    EXPECT_NE(drawnText("PAUSED"), nullptr);
    game.state.paused = 0;
    frame();
    EXPECT_EQ(drawnText("PAUSED"), nullptr);
}

TEST_F(FrameTest, PausedBattleKeepsTheDrawnTimersRunning) {
    playing();
    game.state.paused = 1;
    Site& s = addSite(182);
    s.repairTimer = 2;
    game.state.shakeTimer = 3;
    game.state.staticTimer = 2;
    Warhead& w = addWarhead(100, 0, 100, 200);
    w.seeker = 1;
    platform.now = 0;  // chevron reach 6
    frame();
    EXPECT_EQ(game.state.shakeTimer, 2);
    EXPECT_EQ(game.state.staticTimer, 1);
    EXPECT_EQ(s.repairTimer, 1);
    EXPECT_NE(drawnText("* REPAIRED *"), nullptr);

    random.requests.clear();
    random.push({8, 8, 12, 8});  // no offset, so the chevron can be probed
    platform.now = 157;          // chevron reach 10
    frame();
    EXPECT_EQ(s.repairTimer, 0);
    EXPECT_EQ(at(110, 200), palette::SeekerChevron);
    frame();
    EXPECT_EQ(s.repairTimer, 0);  // never below zero
    EXPECT_EQ(drawnText("* REPAIRED *"), nullptr);
    EXPECT_EQ(game.state.shakeTimer, 0);
    EXPECT_EQ(game.state.staticTimer, 0);
}

TEST_F(FrameTest, RepairLabelsFreezeWhileThePanelIsUp) {
    game.state.inGame = 1;
    game.state.intermission = 1;
    game.state.level = 1;
    Site& s = addSite(182);
    s.repairTimer = 3;
    frame();
    frame();
    EXPECT_EQ(s.repairTimer, 3);
    game.state.inGame = 0;
    frame();
    EXPECT_EQ(s.repairTimer, 3);
}

TEST_F(FrameTest, AStrayLevelNeverSpillsIntoTheOtherChannels) {
    EXPECT_EQ(skyColour(-50, 0.0f), rgb(0, 5, 15));
    EXPECT_EQ(redOf(skyColour(1000000, 0.0f)), 100);
    EXPECT_EQ(skyColour(1, std::nanf("")) >> 8, rgb(0, 5, 15) >> 8);
}
