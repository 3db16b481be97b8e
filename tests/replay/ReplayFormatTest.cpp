// The replay file: every kind of event and answer comes back in its frame,
// an hour of play stays small, and no damaged, cut, empty, foreign or newer
// file is taken for a replay.
#include <gtest/gtest.h>

#include <cstring>

#include "records/Replay.h"

namespace {

WindowEvent canvas(CanvasEventType type, int64_t x, int64_t y, int64_t key = 0) {
    WindowEvent e;
    e.code = EventCanvas;
    e.canvasType = type;
    e.x = x;
    e.y = y;
    e.key = key;
    return e;
}
WindowEvent menu(MenuId id) {
    WindowEvent e;
    e.code = EventMenu;
    e.menuId = id;
    return e;
}
WindowEvent code(WindowEventCode c) {
    WindowEvent e;
    e.code = c;
    return e;
}

GameState startState() {
    GameState s;
    setInitialValues(s);
    s.difficulty = 2;
    s.speedFactor = 1.8f;
    s.mouseX = 600;
    s.mouseY = 300;
    s.paused = 1;
    s.gameOverTimer = 37;
    s.alarmPhase = 0.32f;
    return s;
}

constexpr RandomState kRandom = {1, 2, 3, 0xfedcba9876543210ull};

// A replay of the given frames (each an event and its answers).
std::string record(const std::vector<ReplayFrame>& frames, ReplayEnd end = {0, 4200, 3, 99}) {
    ReplayWriter w;
    w.start(startState(), kRandom, 1765000000, "1.01");
    for (const ReplayFrame& f : frames) {
        w.frame(f.event);
        for (const ReplayAnswer& a : f.answers) w.answer(a);
    }
    return w.finish(end);
}

std::vector<ReplayFrame> readBack(const Replay& r) {
    std::vector<ReplayFrame> out;
    ReplayFrames frames(r);
    ReplayFrame f;
    while (frames.next(f)) out.push_back(f);
    return out;
}

bool sameEvent(const WindowEvent& a, const WindowEvent& b) {
    return a.code == b.code && a.menuId == b.menuId && a.canvasType == b.canvasType && a.x == b.x && a.y == b.y &&
           a.key == b.key;
}

}  // namespace

TEST(ReplayFormat, EveryKindOfEventAndAnswerComesBackInItsFrame) {
    std::vector<ReplayFrame> frames = {
        {code(EventNone), {}},
        {canvas(CanvasMoved, 610, 290), {}},
        {code(EventNone), {}},
        {code(EventNone), {}},
        {canvas(CanvasLeftDown, 182, 700), {}},
        {canvas(CanvasKeyDown, 182, 700, 'p'), {}},
        {canvas(CanvasLeftUp, 0, 767), {}},
        {canvas(CanvasOther, 1279, 0), {}},
        {canvas(CanvasEventType(65599), -40, 9000, -7), {}},  // a type and key the game never acts on
        {menu(MenuAbout), {}},
        {menu(MenuAboutBox), {{ReplayAnswer::AboutButton, {}, false, AlertSecond}}},
        {menu(MenuClearHighScores), {{ReplayAnswer::YesNo, {}, true, AlertFirst}}},
        {code(EventNone), {{ReplayAnswer::Text, "Zoë \"Ace\" Ö'Neil", false, AlertFirst}}},  // the name box after a game
        {code(EventNone), {{ReplayAnswer::Text, "", false, AlertFirst}, {ReplayAnswer::YesNo, {}, false, AlertFirst}}},
        {code(EventMinimise), {}},
        {code(WindowEventCode(13)), {}},
        {menu(MenuId(-99)), {}},
        {code(EventClose), {}},
    };
    const std::string bytes = record(frames);
    const Replay r = std::get<Replay>(parseReplay(bytes));
    EXPECT_EQ(r.formatVersion, kReplayFormatVersion);
    // Fixed-width numbers low byte first: the format version, then (after
    // "1.01") the recording time.
    EXPECT_EQ(bytes.substr(8, 2), std::string("\x02\x00", 2));
    EXPECT_EQ(bytes.substr(15, 8), std::string("\x40\xc3\x33\x69\x00\x00\x00\x00", 8));
    EXPECT_EQ(r.gameVersion, "1.01");
    EXPECT_EQ(r.recordedAt, 1765000000);
    EXPECT_EQ(r.random, kRandom);
    EXPECT_EQ(r.difficulty(), 2);
    EXPECT_EQ(r.start.speedFactor, 1.8f);
    EXPECT_EQ(r.start.paused, 1);
    EXPECT_EQ(r.start.gameOverTimer, 37);
    EXPECT_EQ(r.start.alarmPhase, 0.32f);
    EXPECT_EQ(r.end.frames, int64_t(frames.size()));
    EXPECT_EQ(r.end.score, 4200);
    EXPECT_EQ(r.end.level, 3);
    EXPECT_EQ(r.end.fingerprint, 99u);

    const std::vector<ReplayFrame> back = readBack(r);
    ASSERT_EQ(back.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_TRUE(sameEvent(back[i].event, frames[i].event)) << "frame " << i;
        EXPECT_EQ(back[i].answers, frames[i].answers) << "frame " << i;
    }
}

TEST(ReplayFormat, AnHourOfBusyPlayStaysWellUnderAMegabyte) {
    // An hour at 60 frames a second: the pointer moving on half the
    // frames, a click every second, a key now and then, and quiet frames.
    ReplayWriter w;
    w.start(startState(), kRandom, 0, "1.01");
    int64_t x = 640, y = 400;
    for (int64_t f = 0; f < 60 * 60 * 60; ++f) {
        if (f % 60 == 0) {
            w.frame(canvas(CanvasLeftDown, x, y));
        } else if (f % 2 == 0) {
            x = (x + 7 + f % 13) % 1280;
            y = (y + 3 + f % 5) % 768;
            w.frame(canvas(CanvasMoved, x, y));
        } else if (f % 997 == 0) {
            w.frame(canvas(CanvasKeyDown, x, y, ' '));
        } else {
            w.frame(code(EventNone));
        }
    }
    const std::string bytes = w.finish({});
    EXPECT_LT(bytes.size(), 512u * 1024) << bytes.size();  // half a megabyte an hour at most
    const Replay r = std::get<Replay>(parseReplay(bytes));
    EXPECT_EQ(r.end.frames, 60 * 60 * 60);
}

TEST(ReplayFormat, DamagedCutEmptyForeignAndNewerFilesAreToldApart) {
    const std::string good = record({{canvas(CanvasLeftDown, 1, 2), {}},
                                     {code(EventNone), {{ReplayAnswer::Text, "Ada", false, AlertFirst}}}});
    ASSERT_TRUE(std::holds_alternative<Replay>(parseReplay(good)));
    auto reason = [](std::string_view bytes) {
        const auto r = parseReplay(bytes);
        return std::holds_alternative<ReplayError>(r) ? std::get<ReplayError>(r).reason : std::string("(a replay)");
    };
    EXPECT_EQ(reason(""), "the file is empty");
    EXPECT_EQ(reason("ACE\n\xbc\x02\0\0\0\0\0\0"), "it is not a ZARVEX replay");  // a Hall of Fame
    EXPECT_EQ(reason(std::string(1000, 'Z')), "it is not a ZARVEX replay");
    // Every cut and every flipped byte is refused, and nothing crashes.
    for (size_t n = 0; n < good.size(); ++n) EXPECT_NE(reason(good.substr(0, n)), "(a replay)") << n;
    for (size_t i = 0; i < good.size(); ++i)
        for (uint8_t flip : {0x01, 0x80, 0xff}) {
            std::string bad = good;
            bad[i] = char(uint8_t(bad[i]) ^ flip);
            EXPECT_NE(reason(bad), "(a replay)") << i;
        }
    // A newer format is told as such, before any check of the rest.
    std::string newer = good;
    newer[8] = char(kReplayFormatVersion + 1);
    EXPECT_EQ(reason(newer), "it was recorded by a newer version of ZARVEX (replay format " +
                                 std::to_string(kReplayFormatVersion + 1) + ")");
    // Damage is told as damage.
    std::string damaged = good;
    damaged[damaged.size() / 2] ^= 0x20;
    EXPECT_EQ(reason(damaged).rfind("the file is damaged", 0), 0u);
}

TEST(ReplayFormat, AnInPlaceRewriteStoppedBeforeTheCutReadsAsTheNewReplay) {
    // A shorter replay written over a longer one, its NUL after it, and the
    // old file's tail still there: the new replay, exactly.
    const std::string old = record(std::vector<ReplayFrame>(300, ReplayFrame{canvas(CanvasMoved, 5, 7), {}}));
    const std::string fresh = record({{canvas(CanvasLeftDown, 1, 2), {}}});
    ASSERT_LT(fresh.size() + 1, old.size());
    const std::string torn = fresh + '\0' + old.substr(fresh.size() + 1);
    const auto r = parseReplay(torn);
    ASSERT_TRUE(std::holds_alternative<Replay>(r));
    EXPECT_EQ(std::get<Replay>(r).end.frames, 1);
    EXPECT_EQ(std::get<Replay>(r).body, std::get<Replay>(parseReplay(fresh)).body);
    // Without the NUL it is no replay of the game's making.
    EXPECT_TRUE(std::holds_alternative<ReplayError>(parseReplay(fresh + 'x' + old.substr(fresh.size() + 1))));
}

TEST(ReplayFormat, AFileClaimingMoreFramesThanAnyGameIsRefusedUnplayed) {
    // A run of quiet frames far beyond a day of play would make a replay
    // that never ends: it is refused when read.
    ReplayWriter w;
    w.start(startState(), kRandom, 0, "1.01");
    for (int64_t f = 0; f < 10; ++f) w.frame(code(EventNone));
    std::string bytes = w.finish({});
    ASSERT_TRUE(std::holds_alternative<Replay>(parseReplay(bytes)));

    ReplayWriter huge;
    huge.start(startState(), kRandom, 0, "1.01");
    for (int64_t f = 0; f < kMaxReplayFrames + 1; ++f) huge.frame(code(EventNone));
    const auto r = parseReplay(huge.finish({}));
    ASSERT_TRUE(std::holds_alternative<ReplayError>(r));
    EXPECT_NE(std::get<ReplayError>(r).reason.find("damaged"), std::string::npos);
}
