// The game's modal boxes answered with a controller: South accepts, East
// cancels, also on a controller plugged in while the box is open.
#include <gtest/gtest.h>

#include <QTimer>
#include <functional>
#include <string>

#include "ModalGuard.h"
#include "PadFixture.h"

namespace {
class PadDialogs : public PadFixture {
protected:
    // Opens a box through `open` and, once it is up, presses `button` on
    // `*which` (the fixture's controller unless another is given by then).
    // A box still open after seconds is closed by force, and the test fails.
    void answerWith(SDL_GameControllerButton button, const std::function<void()>& open,
                    std::function<VirtualPad*()> which = nullptr) {
        bool wasOpen = false;
        VirtualPad* pressed = nullptr;
        QTimer::singleShot(100, [&] {
            wasOpen = QApplication::activeModalWidget() != nullptr;
            pressed = which ? which() : pad.get();
            pressed->hold(button);
        });
        const ModalGuard guard;
        open();
        EXPECT_TRUE(wasOpen) << "no box came up";
        EXPECT_FALSE(guard.fired()) << "the controller did not answer the box";
        if (pressed) pressed->release(button);
        frames(1);
    }
};
}  // namespace

TEST_F(PadDialogs, SouthSaysYesAndEastSaysNo) {
    bool yes = false;
    answerWith(SDL_CONTROLLER_BUTTON_A, [&] { yes = platform.yesNoBox("Clear High Scores", "Are you sure?"); });
    EXPECT_TRUE(yes);
    answerWith(SDL_CONTROLLER_BUTTON_B, [&] { yes = platform.yesNoBox("Clear High Scores", "Are you sure?"); });
    EXPECT_FALSE(yes);
}

TEST_F(PadDialogs, SouthKeepsTheSuggestedNameAndEastCancels) {
    std::string name = "unset";
    answerWith(SDL_CONTROLLER_BUTTON_A,
               [&] { name = platform.textInputBox("New High Score", "Enter your name:", "Ada Lovelace"); });
    EXPECT_EQ(name, "Ada Lovelace");
    answerWith(SDL_CONTROLLER_BUTTON_B,
               [&] { name = platform.textInputBox("New High Score", "Enter your name:", "Ada Lovelace"); });
    EXPECT_EQ(name, "");
}

TEST_F(PadDialogs, MessageBoxesAndTheAboutBoxCloseWithEither) {
    for (auto button : {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B}) {
        answerWith(button, [&] { platform.messageBox("ZARVEX Hall of Fame", "Top High Scores:\n\rACE - 700\n"); });
        AlertButton chosen = AlertSecond;
        answerWith(button, [&] { chosen = platform.aboutAlert("ZARVEX 1.01", "A game", "Ok", "See My Other Apps"); });
        EXPECT_EQ(chosen, AlertFirst) << button;
    }
    // The Hall of Fame too long for the screen scrolls in a box of its own.
    std::string hall = "Top High Scores:\n\r";
    for (int i = 0; i < 4096; ++i) hall += "FILL" + std::to_string(i) + " - 255\n";
    answerWith(SDL_CONTROLLER_BUTTON_A, [&] { platform.messageBox("ZARVEX Hall of Fame", hall); });
}

TEST_F(PadDialogs, OtherButtonsAndTheStickLeaveTheBoxAndTheCrosshairAlone) {
    mouseTo(640, 384);
    frames(1);
    bool yes = true;
    QTimer::singleShot(60, [&] {
        pad->stick(32767, 32767);
        pad->hold(SDL_CONTROLLER_BUTTON_START);
        pad->hold(SDL_CONTROLLER_BUTTON_Y);
        pad->trigger(32767);
    });
    // The box reads the controllers at least twice with all that held,
    // and is still open for East at 100 ms.
    QTimer::singleShot(95, [&] { pad->stick(0, 0); });
    answerWith(SDL_CONTROLLER_BUTTON_B, [&] { yes = platform.yesNoBox("Clear High Scores", "Are you sure?"); });
    EXPECT_FALSE(yes);
    pad->release(SDL_CONTROLLER_BUTTON_START);
    pad->release(SDL_CONTROLLER_BUTTON_Y);
    pad->trigger(0);
    // Nothing of it reaches the game once the box has closed.
    EXPECT_TRUE(frames(5).empty());
    EXPECT_EQ(platform.pointer().x, 640);
    EXPECT_EQ(platform.pointer().y, 384);
}

TEST_F(PadDialogs, AControllerPluggedInWhileABoxIsOpenAnswersIt) {
    std::unique_ptr<VirtualPad> late;
    QTimer::singleShot(30, [&] { late = plugIn(); });
    bool yes = false;
    answerWith(
        SDL_CONTROLLER_BUTTON_A, [&] { yes = platform.yesNoBox("Clear High Scores", "Are you sure?"); },
        [&] { return late.get(); });
    EXPECT_TRUE(yes);
    EXPECT_EQ(pads.connected(), 2u);
    // And one pulled out while a box is open is let go.
    QTimer::singleShot(30, [&] { late->detach(); });
    answerWith(SDL_CONTROLLER_BUTTON_B, [&] { yes = platform.yesNoBox("Clear High Scores", "Are you sure?"); });
    EXPECT_FALSE(yes);
    EXPECT_EQ(pads.connected(), 1u);
}
