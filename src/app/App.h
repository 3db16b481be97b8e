#pragma once
// The spine of the program: start-up in its fixed order, one frame of the
// game (event, simulation step, drawing, sleep), the frame loop and
// shut-down.
#include <string>

#include "render/Frame.h"

struct Game;
class DrawSurface;
class Platform;
class SoundOutput;
class RandomSource;

inline constexpr const char* kWindowTitle = "ZARVEX v1.01";
inline constexpr const char* kGameVersion = "1.01";
inline constexpr const char* kResourceFolder = "../Resources/";
inline constexpr const char* kSystemUiFontFamily = ".AppleSystemUIFont";
inline constexpr int kFrameSleepMs = 16;

// Everything before the first frame: paths, initial values, fonts, sounds,
// the Hall of Fame, the window, the menus, the hidden pointer and the focus.
void startUp(Game& game, DrawSurface& surface);

enum class FrameEnd {
    Continue,  // run the next frame
    Close,     // the window's close button: this frame was finished
    Quit,      // the Quit item: left at once, the frame unfinished
};

// The game's one definition of a frame, on the event it took: dispatch the
// event, then the rest of the frame (finishFrame). Played games, replayed
// games and verified replays all run it; only showing the picture and the
// sleep are left to the caller.
struct FrameResult {
    FrameEnd end = FrameEnd::Continue;
    FramePicture picture;  // none after Quit
};
FrameResult playFrame(Game& game, const WindowEvent& event);

// The rest of a frame after its event: a battle step when the battle runs
// (battleRuns), then the tick of what moves with time in every state
// (tickFrame), which hands over the picture's needs.
FramePicture finishFrame(Game& game);

// One pass of the frame loop: poll at most one event, play the frame on it
// (playFrame), draw the whole canvas, sleep 16 ms. File > Watch Best Game,
// chosen on the title screen, shows the best game before the frame goes on.
FrameEnd runFrame(Game& game, DrawSurface& surface);

// Frames until the window is closed or Quit is chosen.
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
