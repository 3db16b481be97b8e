// The title tune: eight bars in A minor at 126 beats a minute, lead, arpeggio,
// bass and drums. Every note is rendered on its own from its own start and
// added into the loop buffer modulo the loop's length, so the tails of the
// last bar ring on into the first exactly as they will when the game loops
// the file: the seam is inaudible by construction.
#include <algorithm>
#include <array>

#include "Sounds.h"

namespace synth {

namespace {

constexpr size_t kStepFrames = 5250;  // one sixteenth at 126 BPM and 44.1 kHz
constexpr int kSteps = 128;           // eight bars of sixteen
constexpr size_t kLoopFrames = kStepFrames * kSteps;
constexpr double kStep = static_cast<double>(kStepFrames) / kRate;

struct Loop {
    Signal left = Signal(kLoopFrames, 0.0);
    Signal right = Signal(kLoopFrames, 0.0);

    // Adds a note at a step, wrapping past the end; pan -1 (left) .. 1 (right)
    // with constant power.
    void add(const Signal& note, double step, double gain, double pan) {
        const double angle = (pan + 1.0) * kPi / 4.0;
        const double gl = gain * std::cos(angle), gr = gain * std::sin(angle);
        const size_t start = static_cast<size_t>(step * kStepFrames + 0.5);
        for (size_t i = 0; i < note.size(); ++i) {
            const size_t at = (start + i) % kLoopFrames;
            left[at] += gl * note[i];
            right[at] += gr * note[i];
        }
    }
};

// The lead: two pulses a hair apart and a triangle an octave down, with a
// brightness that blooms on each attack and a gentle delayed vibrato.
Signal leadNote(double hz, double gate) {
    Osc a, b(0.21), c;
    Svf filter;
    const double release = 0.09;
    return render(gate + release, [&](double t) {
        const double depth = 0.005 * std::clamp((t - 0.12) / 0.2, 0.0, 1.0);
        const double vib = 1.0 + depth * std::sin(2.0 * kPi * 5.6 * t);
        const double x = 0.5 * a.pulse(hz * vib, 0.25) + 0.3 * b.pulse(hz * 1.004 * vib, 0.5) + 0.2 * c.triangle(hz * 0.5);
        const double cutoff = 2200.0 + 2600.0 * strike(t, 0.005, 0.12);
        return filter.lowpass(x, cutoff, 0.8) * adsr(t, 0.006, 0.15, 0.65, release, gate);
    });
}

Signal arpNote(double hz) {
    Osc p;
    OnePole soft;
    const double gate = kStep * 0.6;
    return render(gate + 0.03, [&](double t) {
        return soft.lowpass(p.pulse(hz, 0.5), 3000.0) * adsr(t, 0.002, 0.05, 0.25, 0.03, gate);
    });
}

Signal bassNote(double hz, double gate) {
    Osc saw, sub;
    Svf filter;
    return render(gate + 0.04, [&](double t) {
        const double x = 0.7 * saw.saw(hz) + 0.5 * sub.sine(hz);
        const double cutoff = 220.0 + 1500.0 * strike(t, 0.002, 0.06);
        return filter.lowpass(x, cutoff, 1.3) * adsr(t, 0.003, 0.12, 0.6, 0.04, gate);
    });
}

Signal kick() {
    Osc body;
    return render(0.35, [&](double t) {
        return body.sine(48.0 + 100.0 * std::exp(-t / 0.03)) * strike(t, 0.001, 0.16);
    });
}

Signal snare(uint64_t seed) {
    Rng rng(seed);
    Svf hp;
    Osc tone;
    return render(0.25, [&](double t) {
        return 0.8 * hp.highpass(rng.bipolar(), 1200.0) * strike(t, 0.001, 0.08) +
               0.5 * tone.sine(185.0) * strike(t, 0.001, 0.045);
    });
}

Signal hat(uint64_t seed, double decay) {
    Rng rng(seed);
    Svf hp;
    return render(decay * 6.0, [&](double t) { return hp.highpass(rng.bipolar(), 7500.0, 0.8) * strike(t, 0.0005, decay); });
}

struct Chord {
    int root;                 // the bass note (MIDI)
    std::array<int, 3> triad; // the chord's tones
};
// Am F C G | Am F G E
constexpr Chord kChords[8] = {{45, {57, 60, 64}}, {41, {53, 57, 60}}, {48, {48, 52, 55}}, {43, {55, 59, 62}},
                              {45, {57, 60, 64}}, {41, {53, 57, 60}}, {43, {55, 59, 62}}, {40, {52, 56, 59}}};

struct Melody {
    int step, length, note;
};
constexpr Melody kMelody[] = {
    // bar 1, Am
    {0, 3, 76}, {3, 3, 81}, {6, 2, 84}, {8, 2, 83}, {10, 2, 81}, {12, 4, 76},
    // bar 2, F
    {16, 3, 77}, {19, 3, 81}, {22, 2, 84}, {24, 2, 86}, {26, 2, 84}, {28, 4, 81},
    // bar 3, C
    {32, 3, 79}, {35, 3, 84}, {38, 2, 88}, {40, 2, 86}, {42, 2, 84}, {44, 4, 79},
    // bar 4, G
    {48, 2, 83}, {50, 2, 86}, {52, 2, 83}, {54, 2, 79}, {56, 6, 86},
    // bar 5, Am
    {64, 3, 88}, {67, 3, 86}, {70, 2, 84}, {72, 2, 83}, {74, 2, 84}, {76, 4, 81},
    // bar 6, F
    {80, 2, 81}, {82, 2, 84}, {84, 4, 89}, {88, 2, 88}, {90, 2, 86}, {92, 4, 84},
    // bar 7, G
    {96, 3, 86}, {99, 3, 83}, {102, 2, 79}, {104, 2, 83}, {106, 2, 86}, {108, 4, 91},
    // bar 8, E: up to the leading tone, back to the top
    {112, 4, 80}, {116, 4, 83}, {120, 6, 88},
};

}  // namespace

Signal titleTune() {
    Loop loop;

    for (const Melody& m : kMelody) {
        const Signal note = leadNote(midiHz(m.note), m.length * kStep * 0.9);
        loop.add(note, m.step, 0.5, 0.0);
        // A dotted-eighth echo, left then right.
        loop.add(note, m.step + 3, 0.16, -0.55);
        loop.add(note, m.step + 6, 0.07, 0.55);
    }

    // The arpeggio climbs and turns over the chord, an octave or two up.
    const int pattern[16] = {0, 2, 1, 3, 2, 4, 3, 2, 0, 2, 1, 3, 2, 4, 3, 1};
    for (int bar = 0; bar < 8; ++bar) {
        const Chord& c = kChords[bar];
        int base = c.triad[0];
        while (base < 64) base += 12;
        const int shift = base - c.triad[0];
        const int tones[5] = {c.triad[0] + shift, c.triad[1] + shift, c.triad[2] + shift, c.triad[0] + shift + 12,
                              c.triad[1] + shift + 12};
        for (int i = 0; i < 16; ++i)
            loop.add(arpNote(midiHz(tones[pattern[i]])), bar * 16 + i, 0.13, i % 2 == 0 ? -0.45 : 0.45);
    }

    // Driving octave bass in eighths.
    const int octave[8] = {0, 0, 12, 0, 0, 12, 0, 12};
    for (int bar = 0; bar < 8; ++bar)
        for (int i = 0; i < 8; ++i)
            loop.add(bassNote(midiHz(kChords[bar].root + octave[i]), 2 * kStep * 0.8), bar * 16 + 2 * i, 0.35, 0.0);

    // Drums: kick on one and three with a push before three, snare on two
    // and four, eighth hats; the last bar ends in a snare run.
    const Signal kickHit = kick();
    for (int bar = 0; bar < 8; ++bar) {
        const int at = bar * 16;
        for (int s : {0, 6, 8}) loop.add(kickHit, at + s, 0.55, 0.0);
        const bool fill = bar == 7;
        for (int s : {4, 12}) loop.add(snare(1000 + at + s), at + s, 0.35, -0.1);
        if (fill)
            for (int s = 13; s < 16; ++s) loop.add(snare(1000 + at + s), at + s, 0.18 + 0.06 * (s - 13), -0.1);
        for (int s = 0; s < 16; s += 2) {
            const bool open = s == 14 && (bar % 4 == 3);
            loop.add(hat(2000 + at + s, open ? 0.09 : 0.025), at + s, s % 4 == 0 ? 0.12 : 0.08, 0.35);
        }
    }

    Signal out(2 * kLoopFrames);
    for (size_t i = 0; i < kLoopFrames; ++i) {
        out[2 * i] = loop.left[i];
        out[2 * i + 1] = loop.right[i];
    }
    return out;
}

}  // namespace synth
