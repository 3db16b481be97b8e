#include "battle/Simulation.h"

#include "battle/Damage.h"
#include "battle/Enemies.h"
#include "battle/Interceptors.h"
#include "battle/WaveEnd.h"

void simulationStep(Game& game) {
    repairCheck(game);
    spawnStep(game);
    warheadPass(game);
    interceptorPass(game);
    explosionPass(game);
    updateAlarmPhase(game);
    gameOverCheck(game);
    if (gameOverSequence(game)) return;
    waveEndCheck(game);
}
