// What a replay must be to be played: a start a new game can really have
// (every field out of its range refused by name, every real way into a new
// game accepted and verified), this program's version, and an end 100
// waves can reach; version 1 files still read, and the forged one refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>

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

std::string fixture() {
    std::ifstream in(std::string(ZARVEX_SOURCE_DIR) + "/tests/replay/data/version1-game.zvxr", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The file with `bytes` written at `offset` and its checksum made right.
std::string patched(std::string file, std::size_t offset, const std::string& bytes) {
    file.replace(offset, bytes.size(), bytes);
    file.resize(file.size() - 4);
    const uint32_t sum = replayChecksum(file);
    for (int i = 0; i < 4; ++i) file += char(uint8_t(sum >> (8 * i)));
    return file;
}
template <class T>
std::string le(T v) {
    std::string s(sizeof v, '\0');
    std::memcpy(s.data(), &v, sizeof v);
    return s;
}

}  // namespace

TEST(ReplayStartChecks, EveryFieldOutOfItsRangeIsRefusedByNameAndEveryEdgeItCanReachIsTaken) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* field;  // empty: a start a game can have
        std::function<void(ReplayStart&)> set;
    } cases[] = {
        {"difficulty", [](ReplayStart& s) { s.difficulty = 3; }},
        {"difficulty", [](ReplayStart& s) { s.difficulty = -1; }},
        {"paused", [](ReplayStart& s) { s.paused = 2; }},
        {"intelShown", [](ReplayStart& s) { s.intelShown = -1; }},
        {"throbberMoved", [](ReplayStart& s) { s.throbberMoved = 7; }},
        {"shakeTimer", [](ReplayStart& s) { s.shakeTimer = 120; }},
        {"staticTimer", [](ReplayStart& s) { s.staticTimer = 30; }},
        {"gameOverTimer", [](ReplayStart& s) { s.gameOverTimer = -1; }},
        {"mouseX", [](ReplayStart& s) { s.mouseX = 1280; }},
        {"mouseY", [](ReplayStart& s) { s.mouseY = -1; }},
        {"lastBonus", [](ReplayStart& s) { s.lastBonus = 1; }},
        {"lastBonus", [](ReplayStart& s) { s.lastBonus = 1'000'000'000; }},
        {"titlePhase", [&](ReplayStart& s) { s.titlePhase = nan; }},
        {"titlePhase", [](ReplayStart& s) { s.titlePhase = -0.0f; }},
        {"alarmPhase", [](ReplayStart& s) { s.alarmPhase = 5e6f; }},
        {"launchDistance", [](ReplayStart& s) { s.launchDistance = 12.5f; }},
        {"launchDistance", [](ReplayStart& s) { s.launchDistance = 1098; }},
        // The farthest each can go in a real game.
        {"", [](ReplayStart& s) { s.shakeTimer = s.gameOverTimer = 119, s.staticTimer = 29; }},
        {"", [](ReplayStart& s) { s.mouseX = 1279, s.mouseY = 767, s.paused = s.intelShown = s.throbberMoved = 1; }},
        {"", [](ReplayStart& s) { s.lastBonus = 108000, s.launchDistance = 1097; }},  // 6 cities after wave 100 on Hard
        {"", [](ReplayStart& s) { s.titlePhase = 1048576, s.alarmPhase = 0.32f, s.launchDistance = 10000; }},
    };
    for (const auto& c : cases) {
        ReplayStart start;
        c.set(start);
        start.bonus = start.lastBonus;
        const std::string why = refusal(recorded(start));
        if (*c.field == '\0')
            EXPECT_EQ(why, "(playable)");
        else
            EXPECT_EQ(why.rfind(std::string("it is not a game ZARVEX can start: no new game has ") + c.field + " ", 0), 0u)
                << c.field << ": " << why;
    }
}

TEST(ReplayStartChecks, EveryRealWayIntoANewGameIsRecordedAndVerifies) {
    // Plays on without defence until every city is lost: the first frame of
    // the game-over flash.
    auto loseEveryCity = [](RecordedWorld& w) {
        w.startPlaying();
        for (int i = 0; i < 200000 && w.game.state.gameOverTimer == 0; ++i) w.step();
        ASSERT_EQ(w.game.state.gameOverTimer, 119);
    };
    // ESC on the first sector panel: the game is over and the panel stays.
    auto escape = [](RecordedWorld& w) {
        w.platform.queueKey(KeySpace);
        w.step();
        w.platform.queueKey(KeyEscape);
        w.step();
        ASSERT_EQ(w.game.state.gameOver, 1);
    };
    const struct {
        const char* way;
        std::function<void(RecordedWorld&)> before;  // brings the world to the moment
        std::function<void(RecordedWorld&)> start;   // the event that starts the game
        std::function<void(const ReplayStart&)> carried;
    } ways[] = {
        {"SPACE on the title", [](RecordedWorld&) {}, [](RecordedWorld& w) { w.platform.queueKey(KeySpace); }, {}},
        {"SPACE after ESC", escape, [](RecordedWorld& w) { w.platform.queueKey(KeySpace); }, {}},
        {"a click after ESC", escape, [](RecordedWorld& w) { w.platform.queueClick(1279, 767); },
         [](const ReplayStart& s) { EXPECT_EQ(s.mouseX, 1279); }},
        {"SPACE in the game-over flash", loseEveryCity, [](RecordedWorld& w) { w.platform.queueKey(KeySpace); },
         [](const ReplayStart& s) {
             EXPECT_EQ(s.gameOverTimer, 119);  // the most a start can find
             EXPECT_EQ(s.shakeTimer, 119);
             EXPECT_EQ(s.staticTimer, 29);
             EXPECT_GT(s.lastBonus, 0);
         }},
        {"a click in the game-over flash", loseEveryCity, [](RecordedWorld& w) { w.platform.queueClick(600, 300); }, {}},
        {"Hard in the game-over flash", loseEveryCity, [](RecordedWorld& w) { w.platform.queueMenu(MenuHard); }, {}},
        {"Easy on the title", [](RecordedWorld&) {}, [](RecordedWorld& w) { w.platform.queueMenu(MenuEasy); },
         [](const ReplayStart& s) { EXPECT_EQ(s.speedFactor, 0.6f); }},
        {"Hard on the intel screen", [](RecordedWorld& w) { w.platform.queueKey(KeyI), w.step(); },
         [](RecordedWorld& w) { w.platform.queueMenu(MenuHard); },
         [](const ReplayStart& s) { EXPECT_EQ(s.intelShown, 1); }},
        {"Normal in a paused game",
         [](RecordedWorld& w) { w.startPlaying(), w.steps(30), w.platform.queueKey(KeyP), w.step(); },
         [](RecordedWorld& w) { w.platform.queueMenu(MenuNormal); },
         [](const ReplayStart& s) { EXPECT_EQ(s.paused, 1); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        RecordedWorld w(99, false);
        way.before(w);
        way.start(w);
        w.step();
        w.steps(40);
        w.platform.queueMenu(MenuEasy);  // leaves the game: its replay is done
        w.step();
        const auto read = readPlayableReplay(w.recorder.lastReplay());
        ASSERT_TRUE(std::holds_alternative<Replay>(read)) << std::get<ReplayError>(read).reason;
        const Replay& replay = std::get<Replay>(read);
        EXPECT_TRUE(verifyReplay(replay).matches);
        if (way.carried) way.carried(replay.start);
    }
}

TEST(ReplayChecks, AnotherVersionOrAnEndNoGameReachesIsRefused) {
    EXPECT_EQ(refusal(recorded({}, "1.02")), "it was recorded by ZARVEX 1.02, and this is ZARVEX 1.01");
    EXPECT_EQ(refusal(recorded({}, "")), "it was recorded by an unnamed version of ZARVEX, and this is ZARVEX 1.01");
    EXPECT_EQ(refusal(recorded({}, "1.01\n")), "it was recorded by ZARVEX 1.01?, and this is ZARVEX 1.01");
    const int64_t most = mostPointsOfAGame();
    EXPECT_GT(most, 5'000'000);
    EXPECT_LT(most, 10'000'000);
    EXPECT_EQ(refusal(recorded({}, kGameVersion, {0, most, 100, 0})), "(playable)");
    EXPECT_EQ(refusal(recorded({}, kGameVersion, {0, most + 1, 100, 0})),
              "it claims a score of " + std::to_string(most + 1) + ", more than 100 waves can give");
    EXPECT_EQ(refusal(recorded({}, kGameVersion, {0, INT64_MAX, 100, 0})).rfind("it claims a score", 0), 0u);
    EXPECT_EQ(refusal(recorded({}, kGameVersion, {0, -1, 1, 0})), "it claims a score of -1, and no game loses points");
    EXPECT_EQ(refusal(recorded({}, kGameVersion, {0, 0, 101, 0})), "it claims level 101, and a game has levels 1 to 100");
}

TEST(ReplayChecks, AVersion1FileStillVerifiesAndItsForgedStartIsRefused) {
    const std::string v1 = fixture();
    const auto read = readPlayableReplay(v1);
    ASSERT_TRUE(std::holds_alternative<Replay>(read)) << std::get<ReplayError>(read).reason;
    const Replay& replay = std::get<Replay>(read);
    EXPECT_EQ(replay.formatVersion, 1);
    EXPECT_EQ(replay.name, "");
    EXPECT_EQ(replay.end.score, 7480);
    EXPECT_TRUE(verifyReplay(replay).matches);
    // Version 1 stored the speed factor and the bonus sum: they must be the
    // difficulty's and the last bonus's. (Hard at offset 98, its factor at
    // 106, the bonus at 150.)
    EXPECT_EQ(refusal(patched(v1, 106, le(1e6f))), "it is not a game ZARVEX can start: no new game has speedFactor 1000000");
    EXPECT_EQ(refusal(patched(v1, 150, le(int64_t(5)))), "it is not a game ZARVEX can start: no new game has bonus 5");
    EXPECT_EQ(refusal(patched(v1, 98, le(int64_t(1)))), "it is not a game ZARVEX can start: no new game has speedFactor 1.79999995");
}
