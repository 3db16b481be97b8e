// What a replay must be to be played: a start a new game can have, this
// program's version, an end 100 waves can reach; version 1 files still read.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "ReplayTestWorld.h"
#include "app/ReplayChecks.h"

namespace {

constexpr RandomState kRandom = {1, 2, 3, 4};

std::string recorded(const ReplayStart& start, const std::string& version = kGameVersion, ReplayEnd end = {0, 0, 1, 0}) {
    ReplayWriter w;
    w.start(start, kRandom, 1765000000, version);
    w.frame(WindowEvent{});
    return w.finish(end);
}

std::string refusal(const std::string& bytes) {
    const auto r = readPlayableReplay(bytes);
    return std::holds_alternative<ReplayError>(r) ? std::get<ReplayError>(r).reason : std::string("(playable)");
}

// The version 1 file a game of the first recording build left, with
// `bytes` written at `offset` and its checksum made right.
std::string version1(std::size_t offset = 0, const std::string& bytes = {}) {
    std::string file = fileBytes(std::string(ZARVEX_SOURCE_DIR) + "/tests/replay/data/version1-game.zvxr");
    if (bytes.empty()) return file;
    file.replace(offset, bytes.size(), bytes);
    file.resize(file.size() - 4);
    const uint32_t sum = replayChecksum(file);
    for (int i = 0; i < 4; ++i) file += char(uint8_t(sum >> (8 * i)));
    return file;
}

}  // namespace

TEST(ReplayStartChecks, EveryFieldOutOfItsRangeIsRefusedByNameAndEveryEdgeItCanReachIsTaken) {
    const struct {
        const char* field;  // empty: a start a game can have
        std::function<void(ReplayStart&)> set;
    } cases[] = {
        {"difficulty", [](ReplayStart& s) { s.difficulty = 3; }},
        {"paused", [](ReplayStart& s) { s.paused = 2; }},
        {"intelShown", [](ReplayStart& s) { s.intelShown = -1; }},
        {"throbberMoved", [](ReplayStart& s) { s.throbberMoved = 7; }},
        {"shakeTimer", [](ReplayStart& s) { s.shakeTimer = 120; }},
        {"staticTimer", [](ReplayStart& s) { s.staticTimer = 30; }},
        {"gameOverTimer", [](ReplayStart& s) { s.gameOverTimer = -1; }},
        {"mouseX", [](ReplayStart& s) { s.mouseX = 1280; }},
        {"mouseY", [](ReplayStart& s) { s.mouseY = -1; }},
        {"lastBonus", [](ReplayStart& s) { s.lastBonus = 1; }},
        {"titlePhase", [](ReplayStart& s) { s.titlePhase = std::numeric_limits<float>::quiet_NaN(); }},
        {"alarmPhase", [](ReplayStart& s) { s.alarmPhase = -0.0f; }},
        {"launchDistance", [](ReplayStart& s) { s.launchDistance = 12.5f; }},
        // The farthest each can go in a real game (108000: six cities after wave 100 on Hard).
        {"", [](ReplayStart& s) { s.shakeTimer = s.gameOverTimer = 119, s.staticTimer = 29, s.lastBonus = 108000; }},
        {"", [](ReplayStart& s) { s.mouseX = 1279, s.mouseY = 767, s.titlePhase = 1048576, s.launchDistance = 1097; }},
    };
    for (const auto& c : cases) {
        ReplayStart start;
        c.set(start);
        start.bonus = start.lastBonus;
        const std::string why = refusal(recorded(start));
        if (*c.field)
            EXPECT_EQ(why.rfind("it is not a game ZARVEX can start: no new game has " + std::string(c.field) + " ", 0), 0u)
                << why;
        else
            EXPECT_EQ(why, "(playable)");
    }
}

TEST(ReplayStartChecks, EveryRealWayIntoANewGameIsRecordedAndVerifies) {
    auto nothing = [](RecordedWorld&) {};
    // ESC on the first sector panel: the game is over and the panel stays.
    auto escape = [](RecordedWorld& w) { w.platform.queueKey(KeySpace), w.step(), w.platform.queueKey(KeyEscape), w.step(); };
    // No defence until every city is lost: the first frame of the flash.
    auto loseEveryCity = [](RecordedWorld& w) {
        w.startPlaying();
        for (int i = 0; i < 200000 && w.game.state.gameOverTimer == 0; ++i) w.step();
    };
    const WindowEvent space{EventCanvas, MenuNone, CanvasKeyDown, 0, 0, KeySpace};
    const WindowEvent click{EventCanvas, MenuNone, CanvasLeftDown, 1279, 767};
    const struct {
        const char* way;
        std::function<void(RecordedWorld&)> before;  // brings the world to the moment
        WindowEvent start;
        int64_t ReplayStart::*carried;  // and what the new game took over
        int64_t value;
    } ways[] = {
        {"SPACE on the title", nothing, space, &ReplayStart::paused, 0},
        {"SPACE after ESC", escape, space, &ReplayStart::gameOverTimer, 0},
        {"a click after ESC", escape, click, &ReplayStart::mouseX, 1279},
        {"SPACE in the game-over flash", loseEveryCity, space, &ReplayStart::gameOverTimer, 119},  // the most there is
        {"a click in the game-over flash", loseEveryCity, click, &ReplayStart::shakeTimer, 119},
        {"Hard in the game-over flash", loseEveryCity, {EventMenu, MenuHard}, &ReplayStart::staticTimer, 29},
        {"Easy on the title", nothing, {EventMenu, MenuEasy}, &ReplayStart::difficulty, 0},
        {"Hard on the intel screen", [](RecordedWorld& w) { w.platform.queueKey(KeyI), w.step(); },
         {EventMenu, MenuHard}, &ReplayStart::intelShown, 1},
        {"Normal in a paused game", [](RecordedWorld& w) { w.startPlaying(), w.platform.queueKey(KeyP), w.step(); },
         {EventMenu, MenuNormal}, &ReplayStart::paused, 1},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        RecordedWorld w(99, false);
        way.before(w);
        w.platform.queueEvent(way.start);
        w.steps(41);
        w.platform.queueMenu(MenuEasy);  // leaves the game: its replay is done
        w.step();
        const auto read = readPlayableReplay(w.recorder.lastReplay());
        ASSERT_TRUE(std::holds_alternative<Replay>(read)) << std::get<ReplayError>(read).reason;
        EXPECT_TRUE(verifyReplay(std::get<Replay>(read)).matches);
        EXPECT_EQ(std::get<Replay>(read).start.*way.carried, way.value);
    }
}

TEST(ReplayChecks, AnotherVersionOrAnEndNoGameReachesIsRefused) {
    EXPECT_EQ(refusal(recorded({}, "")), "it was recorded by an unnamed version of ZARVEX, and this is ZARVEX 1.01");
    const int64_t most = mostPointsOfAGame();  // some 6.9 million
    EXPECT_EQ(refusal(recorded({}, kGameVersion, {0, most, 100, 0})), "(playable)");
    EXPECT_EQ(refusal(recorded({}, kGameVersion, {0, most + 1, 100, 0})),
              "it claims a score of " + std::to_string(most + 1) + ", more than 100 waves can give");
    EXPECT_EQ(refusal(recorded({}, kGameVersion, {0, -1, 1, 0})), "it claims a score of -1, and no game loses points");
    EXPECT_EQ(refusal(recorded({}, kGameVersion, {0, 0, 101, 0})), "it claims level 101, and a game has levels 1 to 100");
}

TEST(ReplayChecks, AVersion1FileStillVerifiesAndItsForgedStartIsRefused) {
    const auto read = readPlayableReplay(version1());
    ASSERT_TRUE(std::holds_alternative<Replay>(read)) << std::get<ReplayError>(read).reason;
    EXPECT_EQ(std::get<Replay>(read).formatVersion, 1);
    EXPECT_EQ(std::get<Replay>(read).end.score, 7480);
    EXPECT_TRUE(verifyReplay(std::get<Replay>(read)).matches);
    // Version 1 stored the speed factor (at 106, after Hard) and the bonus
    // sum (at 150): they must be the difficulty's and the last bonus's.
    EXPECT_EQ(refusal(version1(106, std::string("\x00\x24\x74\x49", 4))),
              "it is not a game ZARVEX can start: no new game has speedFactor 1000000");
    EXPECT_EQ(refusal(version1(150, "\x05")), "it is not a game ZARVEX can start: no new game has bonus 5");
}
