#pragma once
// The game's one definition of a frame: the event it took, then the battle
// step and the tick of what moves with time. Played games, replayed games
// and verified replays all run it; polling the event, drawing, showing and
// pacing are their callers' business.
#include "core/Platform.h"
#include "render/Frame.h"

struct Game;

enum class FrameEnd {
    Continue,  // run the next frame
    Close,     // the window's close button: this frame was finished
    Quit,      // the Quit item: left at once, the frame unfinished
};

// The frame on the event it took: dispatch the event, then the rest of the
// frame (finishFrame).
struct FrameResult {
    FrameEnd end = FrameEnd::Continue;
    FramePicture picture;  // none after Quit
};
FrameResult playFrame(Game& game, const WindowEvent& event);

// The rest of a frame after its event: a battle step when the battle runs
// (battleRuns), then the tick of what moves with time in every state
// (tickFrame), which hands over the picture's needs.
FramePicture finishFrame(Game& game);
