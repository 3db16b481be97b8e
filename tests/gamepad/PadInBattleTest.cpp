// Controllers plugged in and pulled out while the real game runs in its
// window (offscreen): during a battle, while it is paused, several at once.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "QtTestApp.h"
#include "SoundRecorder.h"
#include "VirtualPad.h"
#include "app/App.h"
#include "core/Game.h"
#include "core/Random.h"
#include "platform/qt/QtPlatform.h"
#include "platform/sdl/Gamepads.h"
#include "render/DrawSurface.h"

namespace {
class PadInBattle : public ::testing::Test {
protected:
    PadInBattle()
        : random(7), game((qtTestApp(), platform), sound, random), surface(platform.textRenderer(), &platform) {}

    void SetUp() override {
        if (!pads.ready()) GTEST_SKIP() << "SDL's game-controller subsystem does not start here";
        char pattern[] = "/tmp/zarvex-pad-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder));
        platform.setControllers(&pads);
        startUp(game, surface);
        started = true;
        runFrame(game, surface);
    }
    void TearDown() override {
        if (started) shutDown(game);
        std::error_code ec;
        if (!folder.empty()) std::filesystem::remove_all(folder, ec);
    }

    bool framesUntil(const std::function<bool()>& done, int most = 100) {
        for (int i = 0; i < most; ++i) {
            if (runFrame(game, surface) != FrameEnd::Continue) return done();
            if (done()) return true;
        }
        return false;
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) ASSERT_EQ(runFrame(game, surface), FrameEnd::Continue);
    }
    void key(int k, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QCoreApplication::sendEvent(platform.canvasWidget(), &press);
    }
    std::unique_ptr<VirtualPad> plugIn() {
        auto p = std::make_unique<VirtualPad>();
        EXPECT_TRUE(p->attached());
        return p;
    }
    void tap(VirtualPad& p, SDL_GameControllerButton b) {
        p.hold(b);
        frames(2);
        p.release(b);
        frames(1);
    }
    int64_t ammo() const {
        int64_t sum = 0;
        for (size_t i = 0; i < game.state.sites.size(); ++i) sum += game.state.sites[i].ammo;
        return sum;
    }

    Gamepads pads;
    QtPlatform platform;
    SoundRecorder sound;
    SeededRandom random;
    Game game;
    DrawSurface surface;
    std::string folder;
    bool started = false;
};
}  // namespace

TEST_F(PadInBattle, ControllersPluggedInAndPulledOutMidBattleAndWhilePaused) {
    const GameState& gs = game.state;
    key(Qt::Key_Space, " ");
    key(Qt::Key_Space, " ");
    ASSERT_TRUE(framesUntil([&] { return gs.inGame == 1 && gs.intermission == 0; }));

    // Plugged in during the wave, it fires at once where the crosshair is.
    auto pad = plugIn();
    ASSERT_TRUE(framesUntil([&] { return pads.connected() == 1; }, 5));
    pad->stick(32767, 16000);
    frames(20);
    pad->stick(0, 0);
    frames(1);
    const int64_t x = gs.mouseX, y = gs.mouseY;
    EXPECT_GT(x, 300);
    EXPECT_GT(y, 40);
    tap(*pad, SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(gs.interceptors.size(), 1u);
    EXPECT_EQ(gs.interceptors[0].targetX, float(x));
    EXPECT_EQ(gs.interceptors[0].targetY, float(y));
    EXPECT_EQ(ammo(), 6 * 10 - 1);

    // Pulled out with the stick pushed: the crosshair stops, the battle
    // goes on.
    pad->stick(32767, 0);
    frames(2);
    pad->detach();
    frames(1);
    EXPECT_EQ(pads.connected(), 0u);
    const int64_t stoppedAt = gs.mouseX;
    ASSERT_FALSE(gs.warheads.empty());
    const Warhead falling = gs.warheads[0];
    frames(10);
    EXPECT_EQ(gs.mouseX, stoppedAt);
    bool fell = false;
    for (size_t i = 0; i < gs.warheads.size(); ++i)
        if (gs.warheads[i].startX == falling.startX && gs.warheads[i].startY == falling.startY)
            fell = gs.warheads[i].y > falling.y;
    EXPECT_TRUE(fell);
    EXPECT_EQ(gs.paused, 0);

    // Two plugged in: either pauses, one pulled out while paused, the other
    // resumes; both fire.
    auto first = plugIn();
    auto second = plugIn();
    frames(1);
    EXPECT_EQ(pads.connected(), 2u);
    tap(*first, SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_EQ(gs.paused, 1);
    first->detach();
    frames(3);
    EXPECT_EQ(gs.paused, 1);
    first = plugIn();
    frames(1);
    tap(*second, SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_EQ(gs.paused, 0);
    const int64_t before = ammo();
    tap(*first, SDL_CONTROLLER_BUTTON_A);
    second->trigger(32767);
    frames(2);
    second->trigger(0);
    frames(1);
    EXPECT_EQ(ammo(), before - 2);
}
