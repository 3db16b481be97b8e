#pragma once
// The fifteen sounds of ZARVEX, each made from code.
#include "Dsp.h"

namespace synth {

struct SoundData {
    int channels = 1;
    Signal samples;  // interleaved when stereo
};

// Every sound is matched to one loudness (the highest 100 ms RMS) so no
// effect jumps out of the mix, and no sample comes near full scale.
constexpr double kLoudnessTarget = 0.16;
constexpr double kPeakCeiling = 0.89;

// The finished sound of a slot (0 to 14), normalised.
SoundData makeSound(int slot);

// The raw recipes, before normalisation.
Signal launchWhoosh();
Signal interceptorBurst();
Signal cityBlast();
Signal groundThud();
Signal waveJingle();
Signal gameOverBlast();
Signal mirvZap();
Signal repairChime();
Signal reloadClack();
Signal pauseBlip();
Signal newGameAlert();
Signal highScoreFanfare();
Signal intelChirps();
Signal hallOfFameFanfare();
// The title tune: a seamless stereo loop.
Signal titleTune();

}  // namespace synth
