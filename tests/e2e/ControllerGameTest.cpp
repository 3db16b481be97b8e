// A game played with a controller alone, in the real Qt window on the
// offscreen platform with the real sound bank: the controller (one of
// SDL's virtual ones, plugged in before the game starts) starts the game,
// aims and fires, and the city nearest the crosshair loses a missile.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "QtTestApp.h"
#include "VirtualPad.h"
#include "app/App.h"
#include "audio/miniaudio/SoundBank.h"
#include "core/Game.h"
#include "core/Random.h"
#include "platform/qt/QtPlatform.h"
#include "platform/sdl/Gamepads.h"
#include "render/DrawSurface.h"

TEST(E2EController, StartsAGameAimsAndFiresFromTheNearestCity) {
    qtTestApp();
    char pattern[] = "/tmp/zarvex-e2e-pad-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder));
    {
        Gamepads pads;
        if (!pads.ready()) GTEST_SKIP() << "SDL's game-controller subsystem does not start here";
        VirtualPad pad;
        ASSERT_TRUE(pad.attached());
        QtPlatform platform;
        platform.setControllers(&pads);
        SoundBank sound;
        SeededRandom random(11);
        Game game(platform, sound, random);
        DrawSurface surface(platform.textRenderer(), &platform.framePresenter());
        startUp(game, surface);
        const GameState& gs = game.state;
        const auto framesUntil = [&](const std::function<bool()>& done) {
            for (int i = 0; i < 100; ++i) {
                if (runFrame(game, surface) != FrameEnd::Continue) return false;
                if (done()) return true;
            }
            return false;
        };
        const auto press = [&](SDL_GameControllerButton b, const std::function<bool()>& done) {
            pad.hold(b);
            const bool ok = framesUntil(done);
            pad.release(b);
            runFrame(game, surface);
            return ok;
        };

        // The first frame's poll takes in the controller plugged in before.
        runFrame(game, surface);
        EXPECT_EQ(pads.connected(), 1u);
        // Start: the sector panel of level 1; Start again: the wave.
        ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_START, [&] { return gs.inGame == 1; }));
        EXPECT_EQ(gs.intermission, 1);
        ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_START, [&] { return gs.intermission == 0; }));

        // The crosshair starts in the middle of the sky; aim up and left,
        // to the right of the third city (x = 546).
        EXPECT_EQ(gs.mouseX, 640);
        EXPECT_EQ(gs.mouseY, 384);
        pad.stick(-32768, -32768);
        ASSERT_TRUE(framesUntil([&] { return gs.mouseX <= 600; }));
        pad.stick(0, 0);
        runFrame(game, surface);
        const int64_t x = gs.mouseX, y = gs.mouseY;
        EXPECT_GT(x, 546 - 91);  // nearer to 546 than to 364
        EXPECT_LT(y, 384);

        ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_A, [&] { return !gs.interceptors.empty(); }));
        ASSERT_EQ(gs.interceptors.size(), 1u);
        EXPECT_EQ(gs.interceptors[0].targetX, float(x));
        EXPECT_EQ(gs.interceptors[0].targetY, float(y));
        EXPECT_EQ(gs.interceptors[0].startX, 546.0f);
        for (size_t i = 0; i < gs.sites.size(); ++i) EXPECT_EQ(gs.sites[i].ammo, i == 2 ? 9 : 10) << i;
        shutDown(game);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
