// Controllers (SDL's virtual ones) read by the Qt platform once per frame:
// the crosshair's moves, each button's event, the mouse beside them,
// several controllers, and controllers coming and going.
#include <gtest/gtest.h>
#include <signal.h>

#include <QKeyEvent>

#include "PadFixture.h"

namespace {
CanvasPoint at(const QtPlatform& p) { return p.pointer(); }
}  // namespace

TEST(GamepadsAlone, TakeOnlyTheControllersOfSdlAndLeaveSignalsAndOutputAlone) {
    {
        Gamepads pads;
        if (!pads.ready()) GTEST_SKIP() << "SDL's game-controller subsystem does not start here";
        EXPECT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_HAPTIC | SDL_INIT_SENSOR), 0u);
        for (int signal : {SIGINT, SIGTERM}) {
            struct sigaction now {};
            sigaction(signal, nullptr, &now);
            EXPECT_EQ(now.sa_handler, SIG_DFL) << signal;
        }
        // Whatever SDL has to say goes nowhere.
        testing::internal::CaptureStderr();
        SDL_LogCritical(SDL_LOG_CATEGORY_INPUT, "a message the player must not see");
        SDL_Log("nor this");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        // No controller: nothing moves, nothing is pressed.
        const PadReport none = pads.poll();
        EXPECT_EQ(none.motion.dx, 0);
        EXPECT_EQ(none.motion.dy, 0);
        EXPECT_TRUE(none.pressed.empty());
        EXPECT_EQ(pads.connected(), 0u);
    }
    EXPECT_EQ(SDL_WasInit(0), 0u);  // and gives it all back
}

using PadOnTheCanvas = PadFixture;

TEST_F(PadOnTheCanvas, TheStickMovesTheCrosshairFasterTheFurtherItIsPushed) {
    mouseTo(640, 384);
    frames(1);
    // At rest and inside the dead zone: nothing.
    pad->stick(0, 0);
    EXPECT_TRUE(frames(10).empty());
    pad->stick(4000, -4000);
    EXPECT_TRUE(frames(10).empty());
    EXPECT_EQ(at(platform).x, 640);

    // Half way to the right: 3.4 pixels a frame, one move event a frame.
    pad->stick(16384, 0);
    const auto half = frames(30);
    ASSERT_EQ(half.size(), 30u);
    for (const WindowEvent& e : half) EXPECT_EQ(e.canvasType, CanvasMoved);
    EXPECT_EQ(half.back().x, 742);
    EXPECT_EQ(half.back().y, 384);

    // All the way: half the canvas's width in 15 frames, then its edge.
    pad->stick(0, 0);
    mouseTo(600, 384);
    frames(1);
    pad->stick(32767, 0);
    EXPECT_EQ(frames(15).back().x, 920);
    EXPECT_EQ(frames(15).back().x, 1240);
    frames(5);
    EXPECT_EQ(at(platform).x, 1279);
    EXPECT_TRUE(frames(5).empty());  // held against the edge: no more moves
    // Back across the whole width in 60 frames, and into the top-left corner.
    pad->stick(-32768, 0);
    frames(59);
    EXPECT_GT(at(platform).x, 0);
    frames(1);
    EXPECT_EQ(at(platform).x, 0);
    pad->stick(-32768, -32768);
    frames(60);
    EXPECT_EQ(at(platform).x, 0);
    EXPECT_EQ(at(platform).y, 0);
    pad->stick(0, 0);
}

TEST_F(PadOnTheCanvas, TheDpadMovesTheCrosshairSteadily) {
    mouseTo(100, 100);
    frames(1);
    pad->hold(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    frames(10);
    EXPECT_EQ(at(platform).x, 180);
    pad->hold(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    frames(5);
    EXPECT_EQ(at(platform).x, 220);
    EXPECT_EQ(at(platform).y, 140);
    pad->release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    pad->release(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    EXPECT_TRUE(frames(3).empty());
    pad->hold(SDL_CONTROLLER_BUTTON_DPAD_UP);
    frames(100);
    EXPECT_EQ(at(platform).y, 0);
    pad->release(SDL_CONTROLLER_BUTTON_DPAD_UP);
}

TEST_F(PadOnTheCanvas, EachButtonMakesItsEventAtTheCrosshairOncePerPress) {
    mouseTo(300, 200);
    frames(1);
    const auto expectOne = [](const std::vector<WindowEvent>& events, CanvasEventType type, int64_t key) {
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].code, EventCanvas);
        EXPECT_EQ(events[0].canvasType, type);
        EXPECT_EQ(events[0].key, key);
        EXPECT_EQ(events[0].x, 300);
        EXPECT_EQ(events[0].y, 200);
    };
    expectOne(tap(*pad, SDL_CONTROLLER_BUTTON_A), CanvasLeftDown, 0);
    expectOne(tap(*pad, SDL_CONTROLLER_BUTTON_START), CanvasKeyDown, KeySpace);
    expectOne(tap(*pad, SDL_CONTROLLER_BUTTON_Y), CanvasKeyDown, KeyI);
    expectOne(tap(*pad, SDL_CONTROLLER_BUTTON_BACK), CanvasKeyDown, KeyP);
    // East, X, the shoulders and the sticks' buttons do nothing in play.
    for (auto b : {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                   SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_GUIDE})
        EXPECT_TRUE(tap(*pad, b).empty()) << b;

    // A held button fires once.
    pad->hold(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(frames(20).size(), 1u);
    pad->release(SDL_CONTROLLER_BUTTON_A);
    EXPECT_TRUE(frames(2).empty());

    // The right trigger fires past half way, once per pull.
    pad->trigger(10000);
    EXPECT_TRUE(frames(2).empty());
    pad->trigger(20000);
    expectOne(frames(2), CanvasLeftDown, 0);
    pad->trigger(32767);
    EXPECT_TRUE(frames(10).empty());
    pad->trigger(0);
    EXPECT_TRUE(frames(2).empty());
    pad->trigger(32767);
    expectOne(frames(2), CanvasLeftDown, 0);
    pad->trigger(0);
    frames(1);
}

TEST_F(PadOnTheCanvas, WhicheverMovedLastSetsThePointerForClicksAndKeys) {
    mouseTo(100, 100);
    frames(1);
    pad->stick(32767, 0);
    frames(3);
    pad->stick(0, 0);
    const CanvasPoint aimed = at(platform);
    EXPECT_EQ(aimed.x, 164);

    // A key pressed and let go acts at the controller's crosshair, not at
    // the hidden system pointer.
    QWidget* canvas = platform.canvasWidget();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(canvas, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(canvas, &release);
    const auto keyed = frames(3);
    ASSERT_EQ(keyed.size(), 2u);
    EXPECT_EQ(keyed[0].key, KeySpace);
    for (const WindowEvent& e : keyed) {
        EXPECT_EQ(e.x, aimed.x);
        EXPECT_EQ(e.y, aimed.y);
    }

    // The window system repeating where the mouse stands does not take the
    // pointer back; the mouse moving does, and the stick then goes on from
    // there.
    mouseTo(100, 100);
    EXPECT_TRUE(frames(2).empty());
    EXPECT_EQ(at(platform).x, aimed.x);
    mouseTo(500, 600);
    const auto moved = frames(1);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].x, 500);
    pad->hold(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    frames(1);
    pad->release(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(at(platform).x, 492);
    EXPECT_EQ(at(platform).y, 600);
}

TEST_F(PadOnTheCanvas, ControllersComeAndGoAndSeveralWorkAtOnce) {
    mouseTo(100, 100);
    frames(1);
    auto second = plugIn();
    frames(1);
    EXPECT_EQ(pads.connected(), 2u);

    // Both move the one crosshair; both fire.
    pad->stick(32767, 0);
    second->hold(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    frames(10);
    EXPECT_EQ(at(platform).x, 313);
    EXPECT_EQ(at(platform).y, 180);
    pad->stick(0, 0);
    second->release(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    pad->hold(SDL_CONTROLLER_BUTTON_A);
    second->hold(SDL_CONTROLLER_BUTTON_A);
    const auto fired = frames(3);
    ASSERT_EQ(fired.size(), 2u);
    for (const WindowEvent& e : fired) EXPECT_EQ(e.canvasType, CanvasLeftDown);
    pad->release(SDL_CONTROLLER_BUTTON_A);
    second->release(SDL_CONTROLLER_BUTTON_A);
    frames(1);

    // Pulled out with its stick pushed: the crosshair stops, the other
    // controller goes on working.
    pad->stick(32767, 0);
    frames(1);
    pad->detach();
    frames(1);
    EXPECT_EQ(pads.connected(), 1u);
    const CanvasPoint stopped = at(platform);
    EXPECT_TRUE(frames(5).empty());
    EXPECT_EQ(at(platform).x, stopped.x);
    EXPECT_EQ(tap(*second, SDL_CONTROLLER_BUTTON_START).size(), 1u);

    // Plugged in again, it works again.
    pad = plugIn();
    frames(1);
    EXPECT_EQ(pads.connected(), 2u);
    EXPECT_EQ(tap(*pad, SDL_CONTROLLER_BUTTON_BACK).at(0).key, KeyP);
    second->detach();
    pad->detach();
    frames(1);
    EXPECT_EQ(pads.connected(), 0u);
    EXPECT_TRUE(frames(3).empty());
}
