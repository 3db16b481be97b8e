#include "core/Screen.h"

Screen screenOf(const GameState& s) {
    if (s.intelShown != 0) return Screen::Intel;
    if (s.inGame == 0) return Screen::Title;
    if (s.intermission != 0) return Screen::SectorPanel;
    if (s.gameOver != 0) return Screen::GameOver;
    if (s.paused != 0) return Screen::Paused;
    return Screen::Playing;
}

bool battleRuns(const GameState& s) { return s.inGame == 1 && s.paused == 0 && s.intermission == 0; }
