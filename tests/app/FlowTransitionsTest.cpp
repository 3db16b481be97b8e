// The ways into and out of a game, and the unusual flag combinations the
// inputs can make: paused behind the sector panel, a game over behind it,
// and the intel screen in front of a game.
#include <fstream>
#include <tuple>

#include "FlowTestWorld.h"
#include "records/HighScores.h"

namespace {

using S = Screen;

class FlowTransitionsTest : public FlowTestWorld {
protected:
    std::vector<ScoreEntry> storedScores() {
        std::ifstream in(game.state.highScorePath, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return parseHighScores(bytes);
    }
    void writeScores(const std::vector<ScoreEntry>& entries) {
        std::ofstream out(game.state.highScorePath, std::ios::binary);
        out << serializeHighScores(entries);
    }
    void expectFreshFirstWave() {
        const GameState& s = game.state;
        EXPECT_EQ(s.inGame, 1);
        EXPECT_EQ(s.gameOver, 0);
        EXPECT_EQ(s.level, 1);
        EXPECT_EQ(s.score, 0);
        EXPECT_EQ(s.intermission, 1);
        EXPECT_EQ(s.countdown, 120);
        EXPECT_EQ(s.spawned, 0);
        EXPECT_EQ(s.waveSize, 8);
        EXPECT_EQ(s.nextRepairScore, 10000);
        EXPECT_TRUE(s.warheads.empty());
        EXPECT_TRUE(s.interceptors.empty());
        EXPECT_TRUE(s.explosions.empty());
        ASSERT_EQ(s.sites.size(), 6u);
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(s.sites[i].alive, 1);
            EXPECT_EQ(s.sites[i].ammo, 10);
        }
    }
    // A game well under way: level 30, a score, a city lost, missiles in the air.
    void wearTheGame() {
        GameState& s = game.state;
        s.level = 30;
        s.score = 123450;
        s.sites[2].alive = 0;
        s.sites[0].ammo = 3;
        s.warheads.add();
        s.interceptors.add();
        s.explosions.add();
    }
};

TEST_F(FlowTransitionsTest, TheFirstSpaceShowsThePanelTheSecondStartsTheWave) {
    key(KeySpace);
    EXPECT_EQ(screen(), S::SectorPanel);
    EXPECT_FALSE(battleRuns(game.state));
    expectFreshFirstWave();
    key(KeySpace);
    EXPECT_EQ(screen(), S::Playing);
    EXPECT_TRUE(battleRuns(game.state));
}

TEST_F(FlowTransitionsTest, SpaceOnTheIntelScreenOnlyClosesIt) {
    toIntel();
    key(KeySpace);
    EXPECT_EQ(screen(), S::Title);
    EXPECT_EQ(game.state.inGame, 0);
    EXPECT_TRUE(game.state.sites.empty());
    key(KeySpace);
    EXPECT_EQ(screen(), S::SectorPanel);
}

TEST_F(FlowTransitionsTest, PausedBehindTheSectorPanelShowsThePausedPanelWhenItCloses) {
    toSectorPanel();
    key(KeyP);
    EXPECT_EQ(screen(), S::SectorPanel);
    EXPECT_EQ(game.state.paused, 1);
    key(KeySpace);  // closes the panel, does not resume
    EXPECT_EQ(screen(), S::Paused);
    EXPECT_FALSE(battleRuns(game.state));
    key(KeyP);
    EXPECT_EQ(screen(), S::Playing);
}

TEST_F(FlowTransitionsTest, MinimisingOnTheSectorPanelPausesBehindIt) {
    toSectorPanel();
    minimise();
    EXPECT_EQ(screen(), S::SectorPanel);
    EXPECT_EQ(game.state.paused, 1);
    game.state.intermission = 0;  // the panel's countdown ran out
    EXPECT_EQ(screen(), S::Paused);
}

TEST_F(FlowTransitionsTest, MinimiseAlwaysPausesAgainAndIsSilentWithoutThePauseSound) {
    toPaused();
    sound.clearLog();
    minimise();
    minimise();
    EXPECT_EQ(game.state.paused, 1);
    EXPECT_EQ(sound.playsOf(SoundPause).size(), 2u);

    sound.loaded[SoundPause] = false;
    key(KeyP);  // resume
    sound.clearLog();
    minimise();
    EXPECT_EQ(game.state.paused, 1);
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(FlowTransitionsTest, EscOnTheSectorPanelEndsTheGameBehindIt) {
    toSectorPanel();
    key(KeyEscape);
    EXPECT_EQ(screen(), S::SectorPanel);
    EXPECT_EQ(game.state.gameOver, 1);
    EXPECT_EQ(game.state.gameOverTimer, 0);  // silent: no flash, no timer
    key(KeyP);
    EXPECT_EQ(game.state.paused, 0);  // a finished game cannot be paused

    // On later levels the countdown may close the panel: the game-over panel shows.
    game.state.intermission = 0;
    EXPECT_EQ(screen(), S::GameOver);
    game.state.intermission = 1;

    // SPACE restarts as from a game over, with the Hall of Fame check.
    sound.clearLog();
    key(KeySpace);
    EXPECT_EQ(nameBoxes(), 1u);
    EXPECT_EQ(screen(), S::SectorPanel);
    expectFreshFirstWave();
}

TEST_F(FlowTransitionsTest, SpaceAfterAGameOverRecordsTheScoreThenStartsAFreshGame) {
    toGameOver();
    wearTheGame();
    platform.textAnswers.push_back("ACE");
    sound.clearLog();
    key(KeySpace);

    const auto entries = storedScores();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "ACE");
    EXPECT_EQ(entries[0].score, 123450);
    // The name box comes up without the title screen in between.
    EXPECT_EQ(platform.logged("textInputBox:"),
              std::vector<std::string>{"textInputBox:HIGH SCORE UNLOCKED!|Enter name for posterity:|Test Player"});
    EXPECT_EQ(sounds(), std::vector<SoundCall>{play(SoundHighScore)});  // no alert on SPACE
    expectFreshFirstWave();
}

TEST_F(FlowTransitionsTest, ClickAfterAGameOverRecordsTheScoreAndPlaysTheAlert) {
    toGameOver();
    wearTheGame();
    platform.textAnswers.push_back("BOB");
    sound.clearLog();
    click(700, 200);

    const auto entries = storedScores();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "BOB");
    EXPECT_EQ(entries[0].score, 123450);
    EXPECT_EQ(sounds(), (std::vector<SoundCall>{play(SoundHighScore), play(SoundAlert, 0, 65)}));
    // The click restarts; it launches nothing.
    expectFreshFirstWave();
    EXPECT_EQ(game.state.mouseX, 700);
    EXPECT_EQ(game.state.mouseY, 200);
}

TEST_F(FlowTransitionsTest, ClickRestartWithTheNameBoxCancelledStoresNothing) {
    toGameOver();
    game.state.score = 4200;
    platform.textAnswers.push_back("");
    sound.clearLog();
    click(10, 10);
    EXPECT_EQ(nameBoxes(), 1u);
    EXPECT_FALSE(hallOfFameFileExists());
    EXPECT_EQ(sounds(), (std::vector<SoundCall>{play(SoundHighScore), play(SoundAlert, 0, 65)}));
    expectFreshFirstWave();
}

TEST_F(FlowTransitionsTest, AScoreThatDoesNotQualifyRestartsWithoutAsking) {
    std::vector<ScoreEntry> ten;
    for (int i = 0; i < 10; ++i) ten.push_back({"P" + std::to_string(i), 10000 - i * 500});
    writeScores(ten);
    toGameOver();
    game.state.score = 5500;  // equal to the lowest entry: no place
    sound.clearLog();
    click(10, 10);
    EXPECT_EQ(nameBoxes(), 0u);
    EXPECT_EQ(sounds(), std::vector<SoundCall>{play(SoundAlert, 0, 65)});
    EXPECT_EQ(storedScores().size(), 10u);
    expectFreshFirstWave();
}

TEST_F(FlowTransitionsTest, ADifficultyChosenOnTheIntelScreenStartsTheGameBehindIt) {
    toIntel();
    sound.clearLog();
    menu(MenuEasy);
    EXPECT_EQ(screen(), S::Intel);
    EXPECT_EQ(game.state.intelShown, 1);
    expectFreshFirstWave();
    EXPECT_EQ(sounds(), (std::vector<SoundCall>{stop(SoundTitle), play(SoundAlert)}));

    sound.clearLog();
    key(KeyI);  // I works only outside a game
    EXPECT_EQ(screen(), S::Intel);
    EXPECT_TRUE(sound.calls.empty());

    key(KeySpace);
    EXPECT_EQ(screen(), S::SectorPanel);
    EXPECT_TRUE(sound.calls.empty());
    key(KeySpace);
    EXPECT_EQ(screen(), S::Playing);
}

TEST_F(FlowTransitionsTest, ADifficultyChosenWhilePausedStartsTheNewGamePaused) {
    toPaused();
    menu(MenuHard);
    EXPECT_EQ(game.state.paused, 1);
    EXPECT_EQ(screen(), S::SectorPanel);
    expectFreshFirstWave();
    key(KeySpace);
    EXPECT_EQ(screen(), S::Paused);
    key(KeyP);
    EXPECT_EQ(screen(), S::Playing);
}

TEST_F(FlowTransitionsTest, ChoosingADifficultyNeverAsksForAName) {
    toPlaying();
    wearTheGame();
    menu(MenuEasy);
    expectFreshFirstWave();
    EXPECT_EQ(game.state.difficulty, 0);

    key(KeySpace);
    key(KeyEscape);
    game.state.score = 9999;
    menu(MenuNormal);  // a finished game is dropped as well
    expectFreshFirstWave();
    EXPECT_EQ(nameBoxes(), 0u);
    EXPECT_FALSE(hallOfFameFileExists());
    EXPECT_TRUE(sound.playsOf(SoundHighScore).empty());
}

TEST_F(FlowTransitionsTest, QuitRecordsNothingInAnyState) {
    for (int stage = 0; stage < 3; ++stage) {
        SCOPED_TRACE(stage);
        restartWorld();
        if (stage == 1) toPlaying();
        if (stage == 2) toGameOver();
        game.state.score = 777;
        sound.clearLog();
        const auto before = std::make_tuple(game.state.inGame, game.state.gameOver, game.state.paused);
        EXPECT_FALSE(menu(MenuQuit));
        EXPECT_EQ(std::make_tuple(game.state.inGame, game.state.gameOver, game.state.paused), before);
        EXPECT_EQ(game.state.score, 777);
        EXPECT_EQ(nameBoxes(), 0u);
        EXPECT_FALSE(hallOfFameFileExists());
        EXPECT_TRUE(sound.calls.empty());
    }
}

TEST_F(FlowTransitionsTest, ARestartKeepsTheChosenDifficulty) {
    menu(MenuHard);
    key(KeySpace);
    key(KeyEscape);
    key(KeySpace);
    EXPECT_EQ(game.state.difficulty, 2);
    EXPECT_EQ(game.state.speedFactor, 1.8f);
}

TEST_F(FlowTransitionsTest, StartNewGameLeavesPauseAndIntelAlone) {
    game.state.paused = 1;
    game.state.intelShown = 1;
    game.state.gameOver = 1;
    game.state.score = 50;
    game.state.level = 12;
    startNewGame(game);
    expectFreshFirstWave();
    EXPECT_EQ(game.state.paused, 1);
    EXPECT_EQ(game.state.intelShown, 1);
    EXPECT_TRUE(sound.calls.empty());  // the callers bring their own sounds
    EXPECT_EQ(nameBoxes(), 0u);
}

}  // namespace
