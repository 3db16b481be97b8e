// The title, intel and sector screens and the two overlays.
#include "FrameTestFixture.h"
#include "render/Playfield.h"
#include "render/Screens.h"

using scene::addEntry;

// --- title ---------------------------------------------------------------

TEST_F(FrameTest, TitleKeepsItsTuneLooping) {
    frame();
    ASSERT_EQ(sound.playsOf(SoundTitle).size(), 1u);
    EXPECT_EQ(sound.playsOf(SoundTitle)[0], (SoundCall{SoundCall::Play, SoundTitle, PlayLoop, DefaultVolume, ""}));
    frame();  // still playing: left alone
    frame();
    EXPECT_EQ(sound.playsOf(SoundTitle).size(), 1u);
    sound.finish(SoundTitle);  // stopped by someone: back the next frame
    frame();
    EXPECT_EQ(sound.playsOf(SoundTitle).size(), 2u);
    EXPECT_EQ(sound.calls.size(), 2u);  // nothing but the two plays
}

TEST_F(FrameTest, TitleTuneIsLeftAloneWhenMissingOrOffTheTitle) {
    sound.loaded[SoundTitle] = false;
    frame();
    EXPECT_TRUE(sound.calls.empty());

    sound.loaded[SoundTitle] = true;
    game.state.intelShown = 1;
    frame();
    game.state.intelShown = 0;
    game.state.inGame = 1;
    game.state.intermission = 1;
    frame();
    game.state.intermission = 0;
    frame();
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(FrameTest, TitleColoursCycleOnlyWhileTheTitleShows) {
    frame();
    EXPECT_EQ(game.state.titlePhase, 0.05f);
    // sin(0.05), sin(2.05), sin(4.05) x 127 + 127 -> 133, 240, 27.
    const TextCall* title = drawnText("ZARVEX");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->colour, rgb(133, 240, 27));
    EXPECT_EQ(title->font, game.state.bigFont);
    EXPECT_EQ(title->y, 256);
    const TextCall* prompt = drawnText("PRESS SPACE TO PLAY");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->colour, rgb(160, 160, 160));  // sin(0.1) x 100 + 150 = 159.98

    frame();
    EXPECT_EQ(game.state.titlePhase, float(double(0.05f) + 0.05));

    const float before = game.state.titlePhase;
    game.state.intelShown = 1;
    frame();
    game.state.intelShown = 0;
    game.state.inGame = 1;
    frame();  // battle
    EXPECT_EQ(game.state.titlePhase, before);

    // The prompt pulses between grey 50 and 250.
    EXPECT_EQ(titleColours(3.14159265f / 4).prompt, rgb(250, 250, 250));
    EXPECT_EQ(titleColours(-3.14159265f / 4).prompt, rgb(50, 50, 50));
}

TEST_F(FrameTest, TitleCentresOnTheRoundedWidthPromptsOnTheExactOne) {
    text.extraWidth[game.state.bigFont] = 0.4;    // 312.4 rounds to 312
    text.extraWidth[game.state.smallFont] = 0.4;
    frame();
    EXPECT_EQ(drawnText("ZARVEX")->x, 484);  // unrounded it would be 483.8
    const TextCall* intel = drawnText("PRESS [ I ] FOR ENEMY INTEL");
    ASSERT_NE(intel, nullptr);
    EXPECT_EQ(intel->x, 531);  // (1280 - 216.4) / 2 = 531.8
    EXPECT_EQ(intel->y, 434);
    EXPECT_EQ(intel->colour, rgb(0, 200, 200));
    EXPECT_EQ(intel->font, game.state.smallFont);
    const TextCall* play = drawnText("PRESS SPACE TO PLAY");
    EXPECT_EQ(play->x, 563);  // (1280 - 152.4) / 2 = 563.8
    EXPECT_EQ(play->y, 524);

    text.extraWidth[game.state.bigFont] = 0.6;  // 312.6 rounds to 313: 483.5
    frame();
    EXPECT_EQ(drawnText("ZARVEX")->x, 483);
}

TEST_F(FrameTest, TitleShowsTheBestDefenderOnlyWhenThereIsOne) {
    frame();
    EXPECT_EQ(drawnTextStarting("TOP DEFENDER"), nullptr);
    EXPECT_EQ(texts().size(), 3u);

    addEntry(game.state, "ACE", 123456);
    addEntry(game.state, "RUNNER-UP", 99);
    frame();
    const TextCall* best = drawnTextStarting("TOP DEFENDER");
    ASSERT_NE(best, nullptr);
    EXPECT_EQ(best->text, "TOP DEFENDER: ACE (123,456 Points)");
    EXPECT_EQ(best->x, 20);
    EXPECT_EQ(best->y, 728);
    EXPECT_EQ(best->colour, rgb(120, 120, 120));
    EXPECT_EQ(best->font, game.state.smallFont);
    EXPECT_EQ(surface.font(), defaultFont);  // left in the default font
}

// --- intel ---------------------------------------------------------------

TEST_F(FrameTest, IntelScreenFramesFiveKindsWithTheirTexts) {
    game.state.intelShown = 1;
    platform.now = 0;
    frame();
    // The frame: a 1-pixel cyan outline, columns 290 .. 989, rows 134 .. 633.
    EXPECT_EQ(at(290, 134), rgb(0, 255, 255));
    EXPECT_EQ(at(989, 633), rgb(0, 255, 255));
    EXPECT_EQ(at(640, 633), rgb(0, 255, 255));
    EXPECT_EQ(at(291, 135), sky());
    EXPECT_EQ(at(640, 600), sky());
    EXPECT_EQ(at(990, 634), sky());

    const TextCall* heading = drawnText(">>> INTEL: RAZEDEREV THREAT ANALYSIS <<<");
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->x, 480);
    EXPECT_EQ(heading->y, 164);
    EXPECT_EQ(heading->colour, 0xff00);
    EXPECT_EQ(heading->font, game.state.smallFont);

    const struct { const char* text; int64_t y; int64_t colour; } rows[] = {
        {"ICBMS: These are standard ballistic missiles (50 Points)", 239, rgb(255, 100, 100)},
        {"MIRVS: These split into multiple warheads (50 Points)", 299, rgb(255, 255, 0)},
        {"SEEKERS: These actively target your missile supplies (50 Points)", 344, rgb(255, 150, 0)},
        {"ZIG-ZAGERS: These can perform fast, erratic attacks (50 Points)", 404, rgb(255, 130, 0)},
        {"THROBBERS: These can evade missile fire (200 Points)", 464, rgb(220, 50, 255)},
    };
    for (const auto& r : rows) {
        const TextCall* t = drawnText(r.text);
        ASSERT_NE(t, nullptr) << r.text;
        EXPECT_EQ(t->x, 420) << r.text;
        EXPECT_EQ(t->y, r.y) << r.text;
        EXPECT_EQ(t->colour, r.colour) << r.text;
        EXPECT_EQ(t->font, game.state.smallFont) << r.text;
    }
    const TextCall* prompt = drawnText("PRESS SPACE FOR TITLE SCREEN");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->x, 528);
    EXPECT_EQ(prompt->y, 564);
    EXPECT_EQ(prompt->colour, 0xffff);
    EXPECT_EQ(drawnText("ZARVEX"), nullptr);
    EXPECT_EQ(texts().size(), 7u);
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(FrameTest, IntelIconsLookLikeTheKindsInBattle) {
    game.state.intelShown = 1;
    platform.now = 0;
    frame();
    // ICBM and MIRV.
    EXPECT_EQ(at(350, 234), palette::IcbmTrail);
    EXPECT_EQ(at(370, 244), palette::IcbmTrail);
    EXPECT_EQ(at(392, 256), palette::IcbmHead);
    EXPECT_NE(at(393, 257), palette::IcbmHead);
    EXPECT_EQ(at(350, 294), palette::IcbmTrail);
    EXPECT_EQ(at(393, 317), palette::FragmentHead);
    // SEEKER at rest: tip at (376, 354).
    EXPECT_EQ(at(376, 354), palette::SeekerChevron);
    EXPECT_EQ(at(370, 348), palette::SeekerChevron);
    EXPECT_EQ(at(370, 360), palette::SeekerChevron);
    EXPECT_EQ(at(368, 352), palette::White);
    EXPECT_EQ(at(371, 355), palette::White);
    // ZIG-ZAGER radius 5; THROBBER rings 12 and 6.
    EXPECT_EQ(at(375, 414), palette::ZigZager);
    EXPECT_EQ(at(376, 414), sky());
    EXPECT_EQ(at(376, 474), palette::White);
    EXPECT_EQ(at(377, 474), palette::Throbber);
    EXPECT_EQ(at(382, 474), palette::Throbber);
    EXPECT_EQ(at(383, 474), sky());

    platform.now = 157;  // swung out by 4
    frame();
    EXPECT_EQ(at(380, 354), palette::SeekerChevron);
    EXPECT_EQ(at(370, 344), palette::SeekerChevron);
    EXPECT_EQ(at(370, 364), palette::SeekerChevron);
}

// --- sector panel --------------------------------------------------------

class SectorPanelTest : public FrameTest {
protected:
    SectorPanelTest() {
        game.state.inGame = 1;
        game.state.intermission = 1;
        game.state.countdown = 120;
    }
};

TEST_F(SectorPanelTest, FirstSectorWaitsForThePlayer) {
    game.state.level = 1;
    for (int i = 0; i < 300; ++i) frame();
    EXPECT_EQ(game.state.intermission, 1);
    EXPECT_EQ(game.state.countdown, 120);

    // Double frame: outer 430 .. 849 x 274 .. 493, inner two pixels inside.
    EXPECT_EQ(at(430, 274), rgb(0, 255, 255));
    EXPECT_EQ(at(849, 493), rgb(0, 255, 255));
    EXPECT_EQ(at(432, 276), rgb(0, 150, 200));
    EXPECT_EQ(at(847, 491), rgb(0, 150, 200));
    EXPECT_EQ(at(431, 275), sky());
    EXPECT_EQ(at(433, 277), sky());
    EXPECT_EQ(at(640, 384), sky());

    const std::vector<std::string> want{">>> SECTOR 1 STATUS: SECURED <<<", "OBJECTIVE: PROTECT URBAN CENTERS",
                                        "PRESS SPACE TO BEGIN"};
    EXPECT_EQ(texts(), want);
    EXPECT_EQ(drawnText(want[0])->x, 512);
    EXPECT_EQ(drawnText(want[0])->y, 304);
    EXPECT_EQ(drawnText(want[0])->colour, rgb(0, 255, 0));
    EXPECT_EQ(drawnText(want[1])->y, 354);
    EXPECT_EQ(drawnText(want[1])->colour, rgb(0, 255, 0));
    EXPECT_EQ(drawnText(want[2])->x, 560);
    EXPECT_EQ(drawnText(want[2])->y, 434);
    EXPECT_EQ(drawnText(want[2])->colour, rgb(255, 255, 0));
    EXPECT_EQ(drawnText(want[2])->font, game.state.smallFont);
}

TEST_F(SectorPanelTest, LaterSectorsCountDownTwoSecondsAndClose) {
    game.state.level = 2;
    game.state.lastBonus = 1500;
    int twos = 0, ones = 0, frames = 0;
    while (game.state.intermission == 1 && frames < 500) {
        frame();
        ++frames;
        ASSERT_EQ(game.state.countdown, 120 - frames);
        if (drawnText("NEXT WAVE STARTS IN: 2 SEC")) {
            EXPECT_EQ(ones, 0) << "2 after 1 at frame " << frames;
            ++twos;
        }
        if (drawnText("NEXT WAVE STARTS IN: 1 SEC")) ++ones;
        if (frames < 120) {
            ASSERT_EQ(game.state.intermission, 1) << frames;
        }
    }
    EXPECT_EQ(frames, 120);
    EXPECT_EQ(twos, 60);
    EXPECT_EQ(ones, 60);
    EXPECT_EQ(game.state.intermission, 0);

    frame();  // the 121st frame: the battle
    EXPECT_NE(drawnTextStarting("LEVEL 2 "), nullptr);
    EXPECT_EQ(game.state.countdown, 0);
}

TEST_F(SectorPanelTest, LaterSectorsShowTheBonusAndTheCountdown) {
    game.state.level = 2;
    game.state.lastBonus = 1500;
    frame();
    const std::vector<std::string> want{">>> SECTOR 2 STATUS: SECURED <<<", "LAST WAVE SURVIVAL BONUS: 1,500",
                                        "NEXT WAVE STARTS IN: 2 SEC"};
    EXPECT_EQ(texts(), want);
    EXPECT_EQ(drawnText(want[1])->x, 516);
    EXPECT_EQ(drawnText(want[1])->y, 354);
    EXPECT_EQ(drawnText(want[1])->colour, rgb(0, 255, 0));
    EXPECT_EQ(drawnText(want[2])->x, 536);
    EXPECT_EQ(drawnText(want[2])->y, 434);
    EXPECT_EQ(drawnText(want[2])->colour, 0xffff);
}

TEST_F(SectorPanelTest, PanelCountsOnWhilePausedAndCopesWithAnEmptyCountdown) {
    game.state.level = 5;
    game.state.paused = 1;
    frame();
    EXPECT_EQ(game.state.countdown, 119);
    EXPECT_EQ(drawnText("PAUSED"), nullptr);  // the panel stays in front

    game.state.countdown = 0;
    frame();
    EXPECT_NE(drawnText("NEXT WAVE STARTS IN: 1 SEC"), nullptr);
    EXPECT_EQ(game.state.intermission, 0);
    frame();
    EXPECT_NE(drawnText("PAUSED"), nullptr);
}

// --- overlays ------------------------------------------------------------

TEST_F(FrameTest, GameOverFrameIsAnOutlineSizedFromThePrompt) {
    playing();
    game.state.gameOver = 1;
    text.extraWidth[defaultFont] = 0.5;  // prompt 150.5: frame round(190.5) = 190 wide
    addExplosion(640, 384, 10, 255, 120, 0, true);
    frame();
    const int64_t red = rgb(255, 0, 0);
    // Columns 545 .. 734, rows 324 .. 443.
    EXPECT_EQ(at(545, 324), red);
    EXPECT_EQ(at(734, 324), red);
    EXPECT_EQ(at(545, 443), red);
    EXPECT_EQ(at(734, 443), red);
    EXPECT_EQ(at(545, 400), red);
    EXPECT_EQ(at(544, 324), sky());
    EXPECT_EQ(at(735, 324), sky());
    EXPECT_EQ(at(545, 444), sky());
    EXPECT_EQ(at(546, 325), sky());
    EXPECT_EQ(at(640, 384), rgb(255, 120, 0));  // the battle shows inside

    const TextCall* title = drawnText("GAME OVER");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->x, 604);
    EXPECT_EQ(title->y, 344);
    EXPECT_EQ(title->colour, 0xff);
    EXPECT_EQ(title->font, game.state.smallFont);
    const TextCall* prompt = drawnText("PRESS SPACE TO PLAY AGAIN");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->x, 564);  // (1280 - 150.5) / 2 = 564.75
    EXPECT_EQ(prompt->y, 384);
    EXPECT_EQ(prompt->colour, 0xff);
    EXPECT_EQ(prompt->font, defaultFont);
}

TEST_F(FrameTest, PauseFrameIsAnOutlineSizedFromTheLabel) {
    playing();
    game.state.paused = 1;
    frame();
    // "PAUSED" measures 36 x 15: frame 96 x 45 at (592, 361).
    const int64_t yellow = rgb(255, 255, 0);
    EXPECT_EQ(at(592, 361), yellow);
    EXPECT_EQ(at(687, 361), yellow);
    EXPECT_EQ(at(592, 405), yellow);
    EXPECT_EQ(at(687, 405), yellow);
    EXPECT_EQ(at(591, 361), sky());
    EXPECT_EQ(at(688, 405), sky());
    EXPECT_EQ(at(592, 406), sky());
    EXPECT_EQ(at(593, 362), sky());
    const TextCall* label = drawnText("PAUSED");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->x, 622);
    EXPECT_EQ(label->y, 376);  // 376.5, truncated
    EXPECT_EQ(label->colour, yellow);
    EXPECT_EQ(label->font, defaultFont);

    // Fractional metrics: 36.5 x 15.5 gives round(96.5) = 96 by round(45.5) = 46.
    text.extraWidth[defaultFont] = 0.5;
    text.extraHeight[defaultFont] = 0.5;
    frame();
    EXPECT_EQ(at(592, 361), yellow);
    EXPECT_EQ(at(687, 361), yellow);
    EXPECT_EQ(at(592, 406), yellow);
    EXPECT_EQ(at(688, 406), sky());
    EXPECT_EQ(drawnText("PAUSED")->x, 621);  // 621.75
    EXPECT_EQ(drawnText("PAUSED")->y, 376);  // 376.25
}

TEST_F(FrameTest, OverlaysOnlyOutlineOverAFullBattle) {
    playing();
    game.state.gameOver = 1;
    game.state.paused = 1;
    Site& s = addSite(640);
    addBuilding(s, -10, 20, 60);
    addExplosion(640, 384, 200, 0, 0, 200, true);
    frame();
    // Inside both frames the battle shows; the outlines sit on top.
    EXPECT_EQ(at(640, 384), rgb(0, 0, 200));
    EXPECT_EQ(at(600, 350), rgb(0, 0, 200));
    EXPECT_EQ(at(592, 361), rgb(255, 255, 0));
    EXPECT_EQ(at(545, 324), rgb(255, 0, 0));
    EXPECT_EQ(at(640, 700), kCity);
}
