// The battle picture: HUD, sites, crosshair, warheads, interceptors,
// explosions, and the order in which they cover each other.
#include <cmath>

#include "FrameTestFixture.h"
#include "render/Playfield.h"

class PlayfieldTest : public FrameTest {
protected:
    PlayfieldTest() { playing(); }
};

TEST_F(PlayfieldTest, HudShowsLevelAndGroupedScoreInTheSmallFont) {
    game.state.level = 37;
    game.state.score = 1234567;
    frame();
    const TextCall* hud = drawnText("LEVEL 37 \xE2\x80\xA2 SCORE: 1,234,567");
    ASSERT_NE(hud, nullptr);
    EXPECT_EQ(hud->x, 20);
    EXPECT_EQ(hud->y, 20);
    EXPECT_EQ(hud->font, game.state.smallFont);
    EXPECT_EQ(hud->colour, rgb(255, 255, 255));

    platform.groupSeparator = ".";
    game.state.score = 10000;
    frame();
    EXPECT_NE(drawnText("LEVEL 37 \xE2\x80\xA2 SCORE: 10.000"), nullptr);
}

TEST_F(PlayfieldTest, AmmunitionLabelColourWarnsOfEmptyLaunchers) {
    EXPECT_EQ(ammoColour(0), palette::Red);
    EXPECT_EQ(ammoColour(3), palette::Red);
    EXPECT_EQ(ammoColour(4), palette::Yellow);
    EXPECT_EQ(ammoColour(6), palette::Yellow);
    EXPECT_EQ(ammoColour(7), rgb(0, 255, 0));
    EXPECT_EQ(ammoColour(10), rgb(0, 255, 0));

    addSite(182, 3);
    addSite(364, 4);
    addSite(546, 6);
    addSite(728, 7);
    frame();
    const struct { const char* text; double x; int64_t colour; } want[] = {
        {"M = 3", 182 - 15, palette::Red},
        {"M = 4", 364 - 15, palette::Yellow},
        {"M = 6", 546 - 15, palette::Yellow},
        {"M = 7", 728 - 15, rgb(0, 255, 0)},
    };
    for (const auto& w : want) {
        const TextCall* t = drawnText(w.text);
        ASSERT_NE(t, nullptr) << w.text;
        EXPECT_EQ(t->colour, w.colour) << w.text;
        EXPECT_EQ(t->x, int64_t(w.x)) << w.text;
        EXPECT_EQ(t->y, 743) << w.text;
        EXPECT_EQ(t->font, defaultFont) << w.text;
    }
}

TEST_F(PlayfieldTest, LabelsCentreOnTheUnroundedWidth) {
    text.extraWidth[defaultFont] = 1.0;  // "M = 10" measures 37
    addSite(182.25f);
    frame();
    const TextCall* t = drawnText("M = 10");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->x, 163);  // 182.25 - 18.5 = 163.75, truncated
}

TEST_F(PlayfieldTest, ADestroyedSiteLeavesNoTrace) {
    Site& s = addSite(182, 10, 0);
    addBuilding(s, -30, 15, 40);
    s.repairTimer = 50;
    frame();
    for (int x = 120; x < 250; ++x)
        for (int y = 600; y < 733; ++y) ASSERT_EQ(at(x, y), sky()) << x << "," << y;
    EXPECT_EQ(drawnTextStarting("M = "), nullptr);
    EXPECT_EQ(drawnText("* REPAIRED *"), nullptr);
    EXPECT_EQ(s.repairTimer, 50);  // a fallen site's timer stands still
}

TEST_F(PlayfieldTest, BuildingHasADomeAndASpireOnItsRoof) {
    Site& s = addSite(182);
    addBuilding(s, -30, 15, 40);  // left 152, top 693, half 7
    frame();
    // Body: columns 152 .. 166, rows 693 .. 732.
    EXPECT_EQ(at(152, 732), kCity);
    EXPECT_EQ(at(166, 710), kCity);
    EXPECT_EQ(at(151, 710), sky());
    EXPECT_EQ(at(167, 710), sky());
    // Dome: radius 8 around (159, 693).
    EXPECT_EQ(at(151, 693), kCity);
    EXPECT_EQ(at(167, 693), kCity);
    EXPECT_EQ(at(150, 693), sky());
    EXPECT_EQ(at(168, 693), sky());
    EXPECT_EQ(at(159, 685), kCity);
    EXPECT_EQ(at(152, 687), sky());  // outside the disc
    // Spire: columns 158 .. 160, rows 679 .. 692.
    EXPECT_EQ(at(158, 679), kCity);
    EXPECT_EQ(at(160, 679), kCity);
    EXPECT_EQ(at(157, 680), sky());
    EXPECT_EQ(at(161, 680), sky());
    EXPECT_EQ(at(159, 678), sky());
}

TEST_F(PlayfieldTest, EvenWidthBuildingCentresItsSpire) {
    Site& s = addSite(500);
    addBuilding(s, 10, 20, 60);  // left 510, top 673, half 10
    frame();
    EXPECT_EQ(at(519, 659), kCity);
    EXPECT_EQ(at(521, 659), kCity);
    EXPECT_EQ(at(518, 660), sky());
    EXPECT_EQ(at(522, 660), sky());
    EXPECT_EQ(at(509, 673), kCity);  // dome radius 11 reaches past the walls
    EXPECT_EQ(at(531, 673), kCity);
    EXPECT_EQ(at(508, 673), sky());
    EXPECT_EQ(at(532, 673), sky());
    // The launch platform under the skyline: columns 445 .. 554.
    EXPECT_EQ(at(445, 723), kCity);
    EXPECT_EQ(at(554, 732), kCity);
    EXPECT_EQ(at(444, 723), sky());
    EXPECT_EQ(at(555, 723), sky());
}

TEST_F(PlayfieldTest, RepairLabelShowsForItsCountedFrames) {
    Site& s = addSite(182);
    s.repairTimer = 180;
    int shown = 0;
    for (int i = 0; i < 200; ++i) {
        frame();
        if (const TextCall* t = drawnText("* REPAIRED *")) {
            ++shown;
            EXPECT_EQ(t->x, 182 - 36);
            EXPECT_EQ(t->y, 628);
            EXPECT_EQ(t->colour, palette::Cyan);
            EXPECT_EQ(t->font, defaultFont);
        }
    }
    EXPECT_EQ(shown, 180);
    EXPECT_EQ(s.repairTimer, 0);
}

TEST_F(PlayfieldTest, CrosshairHasArmsAndAClearCentre) {
    game.state.mouseX = 640;
    game.state.mouseY = 400;
    frame();
    const int64_t c = palette::Crosshair;
    EXPECT_EQ(at(640, 400), rgb(255, 255, 255));
    for (int d = 1; d <= 5; ++d) {
        EXPECT_EQ(at(640 - d, 400), sky()) << d;
        EXPECT_EQ(at(640 + d, 400), sky()) << d;
        EXPECT_EQ(at(640, 400 - d), sky()) << d;
        EXPECT_EQ(at(640, 400 + d), sky()) << d;
    }
    for (int d = 6; d <= 25; ++d) {
        EXPECT_EQ(at(640 - d, 400), c) << d;
        EXPECT_EQ(at(640 + d, 400), c) << d;
        EXPECT_EQ(at(640, 400 - d), c) << d;
        EXPECT_EQ(at(640, 400 + d), c) << d;
    }
    EXPECT_EQ(at(640 - 26, 400), sky());
    EXPECT_EQ(at(640 + 26, 400), sky());
    EXPECT_EQ(at(640, 400 - 26), sky());
    EXPECT_EQ(at(640, 400 + 26), sky());
    EXPECT_EQ(at(646, 406), sky());  // no diagonals
}

TEST_F(PlayfieldTest, CrosshairShowsOnlyWithThePointerOnTheCanvas) {
    auto crosshairAt = [&](int64_t mx, int64_t my) {
        game.state.mouseX = mx;
        game.state.mouseY = my;
        frame();
    };
    crosshairAt(0, 0);  // drawn, clipped at the edges
    EXPECT_EQ(at(0, 0), rgb(255, 255, 255));
    EXPECT_EQ(at(6, 0), palette::Crosshair);
    EXPECT_EQ(at(25, 0), palette::Crosshair);
    EXPECT_EQ(at(0, 25), palette::Crosshair);
    EXPECT_EQ(at(5, 0), sky());

    crosshairAt(1279, 767);
    EXPECT_EQ(at(1279, 767), rgb(255, 255, 255));
    EXPECT_EQ(at(1273, 767), palette::Crosshair);
    EXPECT_EQ(at(1279, 761), palette::Crosshair);

    const std::pair<int64_t, int64_t> outside[] = {{1280, 400}, {-1, 400}, {640, 768}, {640, -1},
                                                   {5000, 5000}};
    for (auto [mx, my] : outside) {
        crosshairAt(mx, my);
        for (int x = 1240; x < 1280; ++x) ASSERT_NE(at(x, 400), palette::Crosshair) << mx << "," << my;
        for (int y = 0; y < 30; ++y) ASSERT_NE(at(640, y), palette::Crosshair) << mx << "," << my;
        for (int x = 0; x < 30; ++x) ASSERT_NE(at(x, 400), palette::Crosshair) << mx << "," << my;
        for (int y = 733 - 30; y < 768; ++y) ASSERT_NE(at(640, y), palette::Crosshair) << mx << "," << my;
    }
}

TEST_F(PlayfieldTest, CrosshairIgnoresTheShake) {
    game.state.mouseX = 640;
    game.state.mouseY = 400;
    game.state.shakeTimer = 1;
    random.push({0, 16});  // -8, +8
    frame();
    EXPECT_EQ(at(640, 400), rgb(255, 255, 255));
    EXPECT_EQ(at(634, 400), palette::Crosshair);
}

TEST_F(PlayfieldTest, IcbmAndMirvDrawARedTrailAndAPinkHead) {
    addWarhead(100, 0, 100, 200);
    Warhead& mirv = addWarhead(300, 0, 300, 200);
    mirv.splitY = 150;  // not yet split: drawn like an ICBM
    frame();
    for (int x : {100, 300}) {
        EXPECT_EQ(at(x, 0), palette::IcbmTrail) << x;
        EXPECT_EQ(at(x, 100), palette::IcbmTrail) << x;
        EXPECT_EQ(at(x - 2, 198), palette::IcbmHead) << x;  // box(x-2, 198, 5, 5)
        EXPECT_EQ(at(x + 2, 202), palette::IcbmHead) << x;
        EXPECT_NE(at(x + 3, 203), palette::IcbmHead) << x;
        EXPECT_NE(at(x - 3, 200), palette::IcbmHead) << x;
    }
}

TEST_F(PlayfieldTest, FragmentHasALargerYellowHead) {
    Warhead& f = addWarhead(100, 50, 140, 250);
    f.fragment = 1;
    f.splitY = -1;
    frame();
    EXPECT_EQ(at(100, 50), palette::IcbmTrail);  // the trail starts at the split point
    EXPECT_EQ(at(120, 150), palette::IcbmTrail);
    EXPECT_EQ(at(138, 248), palette::FragmentHead);  // box(138, 248, 6, 6)
    EXPECT_EQ(at(143, 253), palette::FragmentHead);
    EXPECT_NE(at(144, 254), palette::FragmentHead);
}

TEST_F(PlayfieldTest, HeadPositionsRoundHalfToEven) {
    addWarhead(100.5f, 0, 100.5f, 200.5f);  // box(round(98.5), round(198.5)) = (98, 198)
    addWarhead(301.5f, 0, 301.5f, 201.5f);  // box(round(299.5), round(199.5)) = (300, 200)
    frame();
    EXPECT_EQ(at(98, 198), palette::IcbmHead);
    EXPECT_NE(at(97, 198), palette::IcbmHead);
    EXPECT_NE(at(103, 202), palette::IcbmHead);
    EXPECT_EQ(at(300, 200), palette::IcbmHead);
    EXPECT_NE(at(299, 200), palette::IcbmHead);
    EXPECT_EQ(at(304, 204), palette::IcbmHead);
}

TEST_F(PlayfieldTest, SeekerChevronSwingsWithTheClock) {
    Warhead& w = addWarhead(100, 0, 100, 200);
    w.seeker = 1;
    platform.now = 0;  // swing 0: reach 6
    frame();
    EXPECT_EQ(at(100, 100), palette::SeekerTrail);
    EXPECT_EQ(at(106, 200), palette::SeekerChevron);
    EXPECT_EQ(at(103, 197), palette::SeekerChevron);
    EXPECT_EQ(at(103, 203), palette::SeekerChevron);
    EXPECT_EQ(at(100, 194), palette::SeekerChevron);
    EXPECT_EQ(at(100, 206), palette::SeekerChevron);
    EXPECT_NE(at(107, 200), palette::SeekerChevron);
    // Head box(98, 198, 4, 4) in white, over the trail's end.
    EXPECT_EQ(at(98, 198), palette::White);
    EXPECT_EQ(at(101, 201), palette::White);
    EXPECT_NE(at(102, 202), palette::White);

    platform.now = 157;  // sin(1.57) x 4 rounds to 4: reach 10
    frame();
    EXPECT_EQ(at(110, 200), palette::SeekerChevron);
    EXPECT_EQ(at(100, 190), palette::SeekerChevron);
    EXPECT_EQ(at(105, 195), palette::SeekerChevron);
    EXPECT_NE(at(106, 200), palette::SeekerChevron);

    EXPECT_EQ(seekerSwing(0), 0);
    EXPECT_EQ(seekerSwing(157), 4);
    EXPECT_EQ(seekerSwing(314), 0);   // about one period
    EXPECT_EQ(seekerSwing(-157), 4);  // symmetric
}

TEST_F(PlayfieldTest, SeekerFlagWinsOverTheOtherKinds) {
    Warhead& w = addWarhead(100, 0, 100, 200);
    w.seeker = 1;
    w.zigzag = 1;
    w.evasive = 1;
    w.fragment = 1;
    platform.now = 0;
    frame();
    EXPECT_EQ(at(100, 100), palette::SeekerTrail);
    EXPECT_EQ(at(106, 200), palette::SeekerChevron);
    EXPECT_EQ(at(104, 200), sky());  // no ZIG-ZAGER disc
}

TEST_F(PlayfieldTest, ZigZagerIsAnOrangeDiscWithoutATrail) {
    Warhead& w = addWarhead(100, 0, 120, 200);
    w.zigzag = 1;
    w.evasive = 1;  // zigzag is tested first
    frame();
    EXPECT_EQ(at(120, 200), palette::ZigZager);
    EXPECT_EQ(at(124, 200), palette::ZigZager);
    EXPECT_EQ(at(120, 196), palette::ZigZager);
    EXPECT_EQ(at(125, 200), sky());
    EXPECT_EQ(at(110, 100), sky());  // no trail
    EXPECT_EQ(at(100, 0), sky());
}

TEST_F(PlayfieldTest, ThrobberPulsesPurpleAroundWhite) {
    Warhead& w = addWarhead(100, 0, 300, 200);
    w.evasive = 1;
    w.pulse = 0;  // rings 10 and 5
    frame();
    EXPECT_EQ(at(300, 200), palette::White);
    EXPECT_EQ(at(305, 200), palette::White);
    EXPECT_EQ(at(306, 200), palette::Throbber);
    EXPECT_EQ(at(310, 200), palette::Throbber);
    EXPECT_EQ(at(311, 200), sky());
    EXPECT_EQ(at(300, 190), palette::Throbber);
    EXPECT_EQ(at(200, 100), sky());  // no trail

    w.pulse = 1.5707964f;  // rings 16 and 11
    frame();
    EXPECT_EQ(at(311, 200), palette::White);
    EXPECT_EQ(at(312, 200), palette::Throbber);
    EXPECT_EQ(at(316, 200), palette::Throbber);
    EXPECT_EQ(at(317, 200), sky());

    EXPECT_EQ(throbberSwell(0.0f), 0);
    EXPECT_EQ(throbberSwell(-1.5707964f), 6);
    EXPECT_EQ(throbberSwell(0.4f), 2);  // 2.34
    EXPECT_EQ(throbberSwell(3.2f), 0);  // |-0.35|
}

TEST_F(PlayfieldTest, InterceptorTrailRisesFromLaunchHeight) {
    Interceptor& i = addInterceptor(364, 400, 300);
    i.startY = 650;  // ignored: trails always start at 703
    frame();
    EXPECT_EQ(at(364, 703), palette::White);
    EXPECT_EQ(at(364, 702), palette::White);
    EXPECT_NE(at(364, 704), palette::White);
    EXPECT_EQ(at(382, 502), palette::White);  // halfway
    // Head box(398, 298, 5, 5).
    EXPECT_EQ(at(398, 298), palette::White);
    EXPECT_EQ(at(402, 302), palette::White);
    EXPECT_NE(at(403, 303), palette::White);
}

TEST_F(PlayfieldTest, LaterItemsCoverEarlierOnes) {
    platform.text.paintBoxes = true;  // so the HUD leaves pixels
    game.state.mouseX = 500;
    game.state.mouseY = 300;
    // An ICBM head over the crosshair's right arm.
    addWarhead(510, 0, 510, 300);
    // An interceptor head over the ICBM's trail.
    addInterceptor(700, 510, 100);
    // An explosion over the HUD.
    addExplosion(30, 25, 6, 0, 0, 200, true);
    // An explosion over a warhead and an interceptor, and a later one over it.
    addWarhead(800, 0, 800, 400);
    addInterceptor(800, 805, 400);
    addExplosion(800, 400, 20, 255, 120, 0, true);
    addExplosion(820, 400, 10, 0, 255, 0, true);
    frame();
    EXPECT_EQ(at(508, 300), palette::IcbmHead);
    EXPECT_EQ(at(520, 300), palette::Crosshair);
    EXPECT_EQ(at(510, 100), palette::White);
    EXPECT_EQ(at(30, 25), rgb(0, 0, 200));
    EXPECT_EQ(at(20, 20), rgb(255, 255, 255));  // HUD box beside the explosion
    EXPECT_EQ(at(800, 400), rgb(255, 120, 0));
    EXPECT_EQ(at(801, 401), rgb(255, 120, 0));  // where the ICBM head was
    EXPECT_EQ(at(805, 400), rgb(255, 120, 0));  // where the interceptor was
    EXPECT_EQ(at(800, 300), palette::IcbmTrail);
    EXPECT_EQ(at(815, 400), rgb(0, 255, 0));
    EXPECT_EQ(at(830, 400), rgb(0, 255, 0));
    EXPECT_EQ(at(831, 400), sky());
}

TEST_F(PlayfieldTest, FadingExplosionsBlendOverThePicture) {
    // Level 1 sky is (6, 5, 15); (128 x 255 + 127 x 6) / 255 = 130, ...
    addExplosion(400, 300, 30, 255, 0, 0, false, 128);
    addExplosion(600, 300, 30, 255, 255, 255, false, 0);    // invisible
    addExplosion(800, 300, 30, 0, 255, 0, false, 255);      // opaque
    addWarhead(1000, 0, 1000, 300);
    addExplosion(1000, 300, 30, 0, 0, 255, false, 51);  // over a trail and a head
    addExplosion(1020, 300, 10, 255, 255, 0, true);     // growing, after a fade: opaque
    frame();
    EXPECT_EQ(at(400, 300), rgb(130, 2, 7));
    EXPECT_EQ(at(429, 300), rgb(130, 2, 7));
    EXPECT_EQ(at(431, 300), sky());
    EXPECT_EQ(at(600, 300), sky());
    EXPECT_EQ(at(800, 300), rgb(0, 255, 0));
    // Trail (230, 40, 40) under alpha 51: (51 x 0 + 204 x 230) / 255 = 184,
    // 32, (51 x 255 + 204 x 40) / 255 = 83.
    EXPECT_EQ(at(1000, 280), rgb(184, 32, 83));
    // Head (255, 100, 100): 204, 80, 131.
    EXPECT_EQ(at(1000, 300), rgb(204, 80, 131));
    EXPECT_EQ(at(1020, 300), rgb(255, 255, 0));
    EXPECT_EQ(at(1030, 300), rgb(255, 255, 0));
}

TEST_F(PlayfieldTest, ExplosionRadiusRoundsHalfToEven) {
    addExplosion(300, 300, 6.5f, 255, 0, 0, true);   // radius 6
    addExplosion(600, 300, 7.5f, 255, 0, 0, true);   // radius 8
    addExplosion(900.5f, 300, 5, 255, 0, 0, true);   // centre 900
    frame();
    EXPECT_EQ(at(306, 300), rgb(255, 0, 0));
    EXPECT_EQ(at(307, 300), sky());
    EXPECT_EQ(at(608, 300), rgb(255, 0, 0));
    EXPECT_EQ(at(609, 300), sky());
    EXPECT_EQ(at(895, 300), rgb(255, 0, 0));
    EXPECT_EQ(at(906, 300), sky());
}

TEST_F(PlayfieldTest, TheGameOverFlashCoversTheWholeCanvas) {
    Site& s = addSite(182);
    addBuilding(s, -30, 15, 40);
    addExplosion(640, 384, 1603, 255, 255, 255, false, 3);
    frame();
    // The last fading step: 3 parts white over the sky.
    const int64_t v = (3 * 255 + 252 * 6) / 255;
    EXPECT_EQ(at(0, 0) & 0xff, v);
    EXPECT_EQ(at(1279, 767) & 0xff, (3 * 255 + 252 * 40) / 255);  // over the ground
    EXPECT_EQ(at(160, 710) & 0xff, (3 * 255 + 252 * 70) / 255);   // over a building
}

TEST_F(PlayfieldTest, OutOfRangeExplosionColoursStayInTheirChannels) {
    addExplosion(400, 300, 10, 300, -5, 0, true);
    addExplosion(700, 300, 10, 0, 0, 255, false, 400);
    frame();
    EXPECT_EQ(at(400, 300), rgb(255, 0, 0));
    EXPECT_EQ(at(700, 300), rgb(0, 0, 255));
}
