// The real game fed a long storm of random input through the scripted
// platform, with a fixed seed: keys of every kind with auto-repeat, clicks
// anywhere (also off the canvas), every menu id, minimising, closing, and
// every dialog answered in every way. After every frame the game must be in
// a state its flow allows, with bounded lists, ammunition within its
// limits and a Hall of Fame file that reads back as a table the game wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <cstdio>
#include <sstream>

#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "app/App.h"
#include "core/Game.h"
#include "core/Random.h"
#include "records/HighScores.h"
#include "render/DrawSurface.h"

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr int kFrames = 30'000;  // the sanitizers make each frame far slower
#else
constexpr int kFrames = 200'000;
#endif

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

size_t codePoints(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

class Storm {
public:
    explicit Storm(uint64_t seed) : input_(seed) {}

    WindowEvent nextEvent(const GameState& gs) {
        WindowEvent e;
        const int64_t kind = input_.range(0, 99);
        if (kind < 45) return e;  // most frames have no event, so the battle runs
        if (kind < 75) {
            e.code = EventCanvas;
            e.x = input_.range(-200, 1480);
            e.y = input_.range(-200, 968);
            const int64_t t = input_.range(0, 9);
            if (t < 5) {
                e.canvasType = CanvasLeftDown;
                // Mostly aim near a warhead, so that games last and score.
                if (t < 3 && !gs.warheads.empty()) {
                    const Warhead& w = gs.warheads[size_t(input_.range(0, int64_t(gs.warheads.size()) - 1))];
                    e.x = int64_t(w.x) + input_.range(-20, 20);
                    e.y = int64_t(w.y) + input_.range(0, 60);
                }
            } else if (t < 9) {
                e.canvasType = CanvasKeyDown;
                static const int64_t keys[] = {KeySpace, KeySpace, KeySpace, KeyI, KeyP, KeyP, KeyEscape,
                                               'I' , 'x', 0, 13, 0x01000012};
                e.key = keys[input_.range(0, 11)];
            } else {
                static const int64_t others[] = {CanvasLeftUp, CanvasMoved, CanvasOther, 0, -5, 1 << 20};
                e.canvasType = CanvasEventType(others[input_.range(0, 5)]);
            }
            return e;
        }
        if (kind < 93) {
            e.code = EventMenu;
            static const int64_t ids[] = {1, 2, 3, 4, 5, 6, -2, -3, 0, 7, 99, -99};
            e.menuId = MenuId(ids[input_.range(0, 11)]);
            return e;
        }
        if (kind < 97) {
            e.code = EventMinimise;
            return e;
        }
        if (kind < 98) {
            e.code = input_.range(0, 1) ? EventClose : EventMenu;
            e.menuId = MenuQuit;
            return e;
        }
        e.code = WindowEventCode(input_.range(4, 20));  // window moved, resized, activated and the like
        return e;
    }

    // Answers for the dialogs the next frame may open.
    void scriptAnswers(ScriptedPlatform& p) {
        static const char* names[] = {"",
                                      "Ada",
                                      "   ",
                                      "Ünïcødé Пилот 飞行员",
                                      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn",  // 40 characters
                                      "line\nbreak\rand\0nul",
                                      "\xff\xfe broken"};
        while (p.textAnswers.size() < 2) {
            const int64_t i = input_.range(0, 6);
            p.textAnswers.push_back(i == 5 ? std::string(names[5], 18) : std::string(names[i]));
        }
        while (p.yesNoAnswers.size() < 2) p.yesNoAnswers.push_back(input_.range(0, 3) == 0);
        while (p.aboutAnswers.size() < 2) p.aboutAnswers.push_back(input_.range(0, 1) ? AlertFirst : AlertSecond);
    }

private:
    SeededRandom input_;
};

// One run of the program: start-up, then frames until Quit or the close
// button, after which the storm starts the next run on the same files.
struct ProgramRun {
    ProgramRun(ScriptedPlatform& p, SoundRecorder& s, RandomSource& r)
        : game(p, s, r), surface(p.text, &p) {
        startUp(game, surface);
    }
    Game game;
    DrawSurface surface;
};

void checkInvariants(const GameState& gs, int frame) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    ASSERT_LE(gs.inGame, 1);
    ASSERT_LE(gs.gameOver, 1);
    ASSERT_LE(gs.intermission, 1);
    ASSERT_TRUE(gs.paused == 0 || gs.paused == 1);
    ASSERT_TRUE(gs.intelShown == 0 || gs.intelShown == 1);
    if (gs.inGame == 0) {
        // Every way back to the title resets the game.
        ASSERT_EQ(gs.gameOver, 0);
        ASSERT_EQ(gs.intermission, 0);
        ASSERT_EQ(gs.paused, 0);
        ASSERT_EQ(gs.level, 1);
        ASSERT_EQ(gs.score, 0);
    } else {
        ASSERT_EQ(gs.sites.size(), 6u);
    }
    ASSERT_GE(gs.level, 1);
    ASSERT_LE(gs.level, 100);
    ASSERT_GE(gs.score, 0);
    ASSERT_GE(gs.spawned, 0);
    ASSERT_LE(gs.spawned, gs.waveSize);
    ASSERT_LE(gs.warheads.size(), 200u);
    ASSERT_LE(gs.interceptors.size(), 400u);
    ASSERT_LE(gs.explosions.size(), 2000u);
    ASSERT_LE(gs.highScores.size(), 10u);
    for (size_t i = 0; i < gs.sites.size(); ++i) {
        const Site& s = gs.sites[i];
        ASSERT_GE(s.ammo, 0);
        ASSERT_LE(s.ammo, 30);
        ASSERT_GE(s.repairTimer, 0);
        ASSERT_LE(s.repairTimer, 180);
        ASSERT_LE(s.alive, 1);
    }
}
}  // namespace

TEST(EventStorm, RandomInputNeverBreaksTheGameOrTheHallOfFame) {
    char pattern[] = "/tmp/zarvex-storm-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;

    ScriptedPlatform platform;
    platform.supportDir = folder;
    platform.fullName = "Storm Tester";
    SoundRecorder sound;
    SeededRandom random(20261208);
    Storm storm(77);

    auto run = std::make_unique<ProgramRun>(platform, sound, random);
    const std::string path = run->game.state.highScorePath;
    int runs = 1, games = 0;
    std::string lastFile;
    for (int frame = 0; frame < kFrames; ++frame) {
        storm.scriptAnswers(platform);
        const WindowEvent e = storm.nextEvent(run->game.state);
        if (e.code != EventNone) platform.queueEvent(e);
        const uint8_t wasInGame = run->game.state.inGame;
        const FrameEnd end = runFrame(run->game, run->surface);
        games += wasInGame == 0 && run->game.state.inGame == 1;
        checkInvariants(run->game.state, frame);
        if (::testing::Test::HasFatalFailure()) break;

        // The file is the record: whenever it changes it must read back as
        // a table the game wrote.
        if (frame % 50 == 0 || end != FrameEnd::Continue) {
            const std::string bytes = fileBytes(path);
            if (bytes != lastFile) {
                lastFile = bytes;
                const auto entries = parseHighScores(bytes);
                ASSERT_LE(entries.size(), 10u) << "frame " << frame;
                ASSERT_EQ(serializeHighScores(entries), bytes) << "frame " << frame;
                for (size_t i = 0; i < entries.size(); ++i) {
                    ASSERT_LE(codePoints(entries[i].name), 32u);
                    ASSERT_FALSE(entries[i].name.empty());
                    if (i > 0) {
                        ASSERT_GE(entries[i - 1].score, entries[i].score);
                    }
                }
            }
        }
        if (end != FrameEnd::Continue) {
            shutDown(run->game);
            platform.events.clear();
            run = std::make_unique<ProgramRun>(platform, sound, random);
            ++runs;
        }
        if (sound.calls.size() > 100000) sound.clearLog();
        if (platform.log.size() > 100000) platform.log.clear();
    }
    std::printf("storm: %d frames, %d runs of the program, %d games\n", kFrames, runs, games);
    EXPECT_GT(runs, 1);
    EXPECT_GT(games, 10);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
