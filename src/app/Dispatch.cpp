#include "app/Dispatch.h"

#include "app/Flow.h"
#include "battle/Interceptors.h"
#include "records/HighScores.h"
#include "ui/AboutBox.h"

namespace {

// A game is running and can still be paused: on the battlefield, on the
// sector panel or already paused, but not after it has ended.
bool gameAlive(const GameState& s) { return s.inGame == 1 && s.gameOver == 0; }

void pauseOnMinimise(Game& game) {
    if (!gameAlive(game.state)) return;
    // Pauses again (and plays the pause sound again) if already paused;
    // restoring the window does not resume.
    game.state.paused = 1;
    if (game.sound.isSoundLoaded(SoundPause)) game.sound.playSound(SoundPause, PlayOnce, DefaultVolume);
}

void handleSpace(Game& game) {
    GameState& s = game.state;
    if (s.intelShown != 0) {
        // Back to the title (or, over a game started from the Difficulty
        // menu, to its sector panel). The title restarts its own tune.
        s.intelShown = 0;
    } else if (s.inGame == 0) {
        startFromTitle(game);
    } else if (s.gameOver == 1) {
        // Also on the sector panel after ESC: the finished game is left.
        restartFinishedGame(game);
    } else if (s.intermission == 1) {
        s.intermission = 0;
        if (game.sound.isSoundLoaded(SoundAlert)) game.sound.stopSound(SoundAlert);
    }
}

void toggleIntel(Game& game) {
    GameState& s = game.state;
    if (s.inGame != 0) return;
    if (s.intelShown != 0) {
        s.intelShown = 0;
        game.sound.playSound(SoundTitle, PlayOnce, DefaultVolume);
    } else {
        s.intelShown = 1;
        game.sound.stopSound(SoundTitle);
        game.sound.playSound(SoundInfo, PlayOnce, DefaultVolume);
    }
}

void togglePause(Game& game) {
    GameState& s = game.state;
    if (!gameAlive(s)) return;
    // Every key event toggles, auto-repeated ones included; works on the
    // sector panel too, whose countdown goes on meanwhile.
    if (s.paused != 0) {
        s.paused = 0;  // resuming is silent
    } else {
        s.paused = 1;
        game.sound.playSound(SoundPause, PlayOnce, DefaultVolume);
    }
}

void endGameByEscape(Game& game) {
    GameState& s = game.state;
    // Not while paused; no flash, no sound and no game-over timer: the
    // battle's game-over sequence returns to the title once the sky is clear.
    if (s.inGame == 1 && s.paused == 0 && s.gameOver == 0) s.gameOver = 1;
}

void openAboutBox(Game& game) {
    GameState& s = game.state;
    // The battle stands still behind the box; closing it resumes the game,
    // even one the player had paused before.
    if (gameAlive(s)) s.paused = 1;
    aboutBox(game);
    if (gameAlive(s)) s.paused = 0;
    game.platform.activateApp();
}

}  // namespace

bool dispatchEvent(Game& game, const WindowEvent& event) {
    GameState& s = game.state;
    s.event = event.code;
    switch (event.code) {
        case EventCanvas:
            s.mouseX = event.x;
            s.mouseY = event.y;
            if (event.canvasType == CanvasKeyDown) {
                handleKey(game, event.key);
            } else if (event.canvasType == CanvasLeftDown) {
                handleClick(game);
            }
            return true;
        case EventMenu:
            return handleMenu(game, event.menuId);
        case EventMinimise:
            pauseOnMinimise(game);
            return true;
        default:
            // No event, the close button (the loop ends after this frame),
            // and window moves, resizes and activations.
            return true;
    }
}

void handleKey(Game& game, int64_t key) {
    switch (key) {
        case KeySpace: handleSpace(game); break;
        case KeyI: toggleIntel(game); break;
        case KeyP: togglePause(game); break;
        case KeyEscape: endGameByEscape(game); break;
        default: break;
    }
}

void handleClick(Game& game) {
    GameState& s = game.state;
    if (s.gameOver == 1) {
        // Cuts the game-over sequence short: the Hall of Fame check runs at
        // once and a new game begins.
        restartFinishedGame(game);
        game.sound.playSound(SoundAlert, PlayOnce, kStartAlertVolume);
    } else if (s.paused == 0 && s.inGame == 1) {
        // The sector panel does not stop a launch: the interceptor waits on
        // its site until the panel closes. The launch request itself stops
        // the title tune first, on every accepted click, so it is not
        // stopped a second time here.
        launchInterceptor(game);
    }
}

bool handleMenu(Game& game, MenuId id) {
    switch (id) {
        case MenuAboutBox:
            openAboutBox(game);
            return true;
        case MenuAbout:
            // The application menu's item only posts the box's own id, so
            // the box opens from the event poll of a later frame.
            game.platform.postMenuEvent(MenuAboutBox);
            return true;
        case MenuEasy:
        case MenuNormal:
        case MenuHard:
            selectDifficulty(game, id);
            return true;
        case MenuShowHighScores:
            if (game.state.inGame == 0) showHallOfFame(game);
            return true;
        case MenuWatchBestGame:
            // Shown by the frame loop, which has the canvas (on the title
            // screen only, like the Hall of Fame).
            return true;
        case MenuClearHighScores:
            clearHighScores(game);
            return true;
        case MenuQuit:
            // Nothing is recorded: a game in progress is simply dropped.
            return false;
        default:
            return true;
    }
}
