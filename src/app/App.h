#pragma once
// The spine of the program: start-up in its fixed order, the frame loop
// (the steps the game clock asks for, then one picture) and shut-down.
#include <string>

#include "app/GameClock.h"
#include "app/GameFrame.h"

struct Game;
class DrawSurface;
class Platform;
class SoundOutput;
class RandomSource;

inline constexpr const char* kWindowTitle = "ZARVEX v1.01";
inline constexpr const char* kGameVersion = "1.01";
inline constexpr const char* kResourceFolder = "../Resources/";
inline constexpr const char* kSystemUiFontFamily = ".AppleSystemUIFont";

// Everything before the first frame: paths, initial values, fonts, sounds,
// the Hall of Fame, the window, the menus, the hidden pointer and the focus.
void startUp(Game& game, DrawSurface& surface);

// One step of the game: poll at most one event and play the frame on it
// (playFrame). File > Watch Best Game, chosen on the title screen, shows
// the best game before the step goes on. Neither draws nor waits.
FrameResult takeStep(Game& game, DrawSurface& surface);

// One pass of the frame loop: the steps the clock says are due (at least
// one, at most kMaxStepsPerPicture, without drawing between them), the
// picture of the last one, then the wait for the next step's time. Quit
// leaves at once; Close ends the pass after its step.
FrameEnd runFrame(Game& game, DrawSurface& surface, GameClock& clock);

// One pass on a clock of its own: one step, its picture, and the wait until
// a step's time after it began.
FrameEnd runFrame(Game& game, DrawSurface& surface);

// Passes until the window is closed or Quit is chosen, on one game clock.
void frameLoop(Game& game, DrawSurface& surface);

// Stops every sound and closes the window. Nothing is saved: a game still
// running when the program ends records no score.
void shutDown(Game& game);

// The whole program over the given platform, sound and random source:
// start-up, the frame loop, shut-down, with every game recorded beside the
// Hall of Fame. A replay file to watch first may be given. Returns the exit
// status, 0.
int runGame(Platform& platform, SoundOutput& sound, RandomSource& random, const std::string& replayToWatch = {});

// The folder path with exactly one trailing "/" added when it has none.
std::string withTrailingSlash(const std::string& folder);
// The executable's folder (up to and including its last "/") + "../Resources/".
std::string resourceDirFor(const std::string& executablePath);
// The file name part of a path.
std::string executableName(const std::string& executablePath);
