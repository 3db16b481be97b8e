#include "app/GameFrame.h"

#include "app/Dispatch.h"
#include "app/Tick.h"
#include "battle/Simulation.h"
#include "core/Game.h"
#include "core/Screen.h"

FramePicture finishFrame(Game& game) {
    if (battleRuns(game.state)) simulationStep(game);
    return tickFrame(game);
}

FrameResult playFrame(Game& game, const WindowEvent& event) {
    FrameResult result;
    if (!dispatchEvent(game, event)) {
        result.end = FrameEnd::Quit;
        return result;
    }
    result.picture = finishFrame(game);
    result.end = event.code == EventClose ? FrameEnd::Close : FrameEnd::Continue;
    return result;
}
