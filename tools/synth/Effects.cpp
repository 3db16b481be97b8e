// The fourteen effects. Each recipe layers a few simple voices (noise
// through moving filters, pitched oscillators, damped resonances) and is
// then matched to the set's loudness in makeSound.
#include <algorithm>
#include <array>
#include <initializer_list>

#include "Sounds.h"

namespace synth {

namespace {

// Mixes layers at given loudness ratios, whatever their raw levels are.
struct Layer {
    Signal s;
    double weight;
};
Signal blend(std::initializer_list<Layer> layers) {
    Signal out;
    for (const Layer& l : layers) {
        const double loud = momentaryLoudness(l.s, 1);
        if (loud > 0.0) addAt(out, l.s, 0.0, l.weight * 0.2 / loud);
    }
    return out;
}

// Cut to length with soft edges, so no effect starts or stops on a click,
// and without the sub-sonic drift of the noise layers (it only eats headroom).
Signal finish(Signal s, double seconds, double fadeOut) {
    s.resize(framesFor(seconds), 0.0);
    OnePole drift;
    for (double& v : s) v = drift.highpass(v, 20.0);
    fadeEdges(s, 0.001, fadeOut);
    return s;
}

void saturateAll(Signal& s, double drive) {
    for (double& v : s) v = saturate(v, drive);
}

// A slowly wandering value in [0, 1): random points joined by cosine
// curves, for the unsteady roar of a fire.
class Drift {
public:
    Drift(uint64_t seed, double hz) : rng_(seed), hz_(hz), a_(rng_.uniform()), b_(rng_.uniform()) {}
    double next() {
        phase_ += hz_ / kRate;
        if (phase_ >= 1.0) {
            phase_ -= 1.0;
            a_ = b_;
            b_ = rng_.uniform();
        }
        return a_ + (b_ - a_) * (0.5 - 0.5 * std::cos(kPi * phase_));
    }

private:
    Rng rng_;
    double hz_, a_, b_, phase_ = 0.0;
};

// Damped sine modes struck at time 0: metal, glass, bells.
struct Mode {
    double hz, amp, tau;
};
double ring(double t, std::initializer_list<Mode> modes) {
    if (t < 0.0) return 0.0;
    double v = 0.0;
    for (const Mode& m : modes)
        if (m.hz < 0.45 * kRate) v += m.amp * std::sin(2.0 * kPi * m.hz * t) * std::exp(-t / m.tau);
    return v * std::min(1.0, t / 0.0004);
}

// Flying debris: sparse snaps of filtered noise whose rate and strength
// fall off as the blast dies down.
Signal crackle(uint64_t seed, double seconds, double from, double to, double perSecond) {
    Rng rng(seed);
    Signal s(framesFor(seconds), 0.0);
    double t = from;
    while (true) {
        const double fade = 1.0 - (t - from) / (to - from);
        if (fade <= 0.0) break;
        t += -std::log(1.0 - rng.uniform()) / (perSecond * (0.2 + fade));
        if (t >= to) break;
        const double amp = rng.range(0.3, 1.0) * std::pow(std::max(fade, 0.0), 1.5);
        const double cutoff = rng.range(900.0, 5000.0);
        const double tau = rng.range(0.0004, 0.0018);
        const size_t start = framesFor(t);
        const size_t len = framesFor(tau * 6.0);
        OnePole tone;
        for (size_t i = 0; i < len && start + i < s.size(); ++i) {
            const double u = static_cast<double>(i) / kRate;
            s[start + i] += amp * tone.lowpass(rng.bipolar(), cutoff) * std::exp(-u / tau);
        }
    }
    return s;
}

// Brown (random-walk) noise, held near zero: deep rumble.
class Brown {
public:
    explicit Brown(uint64_t seed) : rng_(seed) {}
    double next() {
        v_ = 0.996 * v_ + 0.06 * rng_.bipolar();
        return v_;
    }

private:
    Rng rng_;
    double v_ = 0.0;
};

// A brass-like note: a detuned saw and pulse behind a low-pass that opens
// on the attack, with a vibrato that comes in as the note is held.
Signal brassNote(double hz, double gate, double release = 0.12) {
    Osc a, b(0.37);
    Svf filter;
    return render(gate + release, [&](double t) {
        const double depth = 0.006 * std::clamp((t - 0.15) / 0.25, 0.0, 1.0);
        const double vib = 1.0 + depth * std::sin(2.0 * kPi * 5.5 * t);
        const double x = 0.6 * a.saw(hz * vib) + 0.4 * b.pulse(hz * 1.003 * vib, 0.35);
        const double env = adsr(t, 0.025, 0.15, 0.75, release, gate);
        const double cutoff = hz * 1.5 + 3800.0 * strike(t, 0.03, 0.18) + 900.0 * env;
        return filter.lowpass(x, cutoff, 0.9) * env;
    });
}

// A square-and-triangle chip tone, the sound of an arcade board.
Signal chipNote(double hz, double gate, double release, double duty, double vibrato = 0.0) {
    Osc p, tri;
    OnePole soft;
    return render(gate + release, [&](double t) {
        const double vib = 1.0 + vibrato * std::clamp((t - 0.08) / 0.15, 0.0, 1.0) * std::sin(2.0 * kPi * 6.0 * t);
        const double x = 0.55 * p.pulse(hz * vib, duty) + 0.45 * tri.triangle(hz * vib);
        return soft.lowpass(x, 6500.0) * adsr(t, 0.002, 0.08, 0.55, release, gate);
    });
}

// A struck bell: inharmonic partials, the high ones dying first.
Signal bell(double hz, double seconds, double brightness) {
    const double s = seconds / 1.5;
    return render(seconds, [&](double t) {
        return ring(t, {{hz, 1.0, 0.9 * s},
                        {hz * 2.0, 0.5, 0.65 * s},
                        {hz * 2.76, 0.4 * brightness, 0.42 * s},
                        {hz * 4.07, 0.25 * brightness, 0.28 * s},
                        {hz * 5.4, 0.15 * brightness, 0.18 * s}});
    });
}

// The core of a big explosion: a falling sub boom under a roar of noise
// whose low-pass closes as the blast spends itself.
Signal blastCore(uint64_t seed, double seconds, double size) {
    Rng rng(seed);
    Svf roar;
    OnePole crack;
    Osc boom;
    Signal boomLayer = render(seconds, [&](double t) {
        return boom.sine(28.0 + 62.0 * std::exp(-t / (0.12 * size))) * strike(t, 0.003, 0.45 * size);
    });
    Signal roarLayer = render(seconds, [&](double t) {
        return roar.lowpass(rng.bipolar(), 150.0 + 3200.0 * std::exp(-t / (0.2 * size)), 1.0) *
               strike(t, 0.004, 0.55 * size);
    });
    Signal crackLayer = render(seconds, [&](double t) {
        return crack.highpass(rng.bipolar(), 1500.0) * strike(t, 0.0005, 0.015);
    });
    return blend({{boomLayer, 1.0}, {roarLayer, 1.0}, {crackLayer, 0.55}});
}

}  // namespace

// An interceptor leaves its silo: an ignition thump, then a hiss that rises
// as the missile climbs away, over a rising motor tone.
Signal launchWhoosh() {
    const double len = 0.7;
    Rng rng(101);
    Svf band, air;
    Osc motor, thump;
    OnePole motorTone;
    Signal hiss = render(len, [&](double t) {
        const double sweep = 350.0 * std::pow(9.0, std::min(t / 0.45, 1.0));
        return band.bandpass(rng.bipolar(), sweep, 1.3) * strike(t, 0.03, 0.25);
    });
    Signal sizzle = render(len, [&](double t) { return air.highpass(rng.bipolar(), 5000.0) * strike(t, 0.01, 0.1); });
    Signal tone = render(len, [&](double t) {
        const double hz = 160.0 * std::pow(4.0, std::min(t / 0.35, 1.0));
        return motorTone.lowpass(motor.saw(hz), 1800.0) * strike(t, 0.01, 0.14);
    });
    Signal ignite = render(len, [&](double t) {
        return thump.sine(55.0 + 60.0 * std::exp(-t / 0.03)) * strike(t, 0.002, 0.05);
    });
    Signal s = blend({{hiss, 1.0}, {sizzle, 0.3}, {tone, 0.45}, {ignite, 0.6}});
    return finish(std::move(s), len, 0.12);
}

// An interceptor bursts: a sharp crack and a short roar with a punch below.
Signal interceptorBurst() {
    const double len = 0.85;
    Rng rng(202);
    Svf body;
    OnePole crack;
    Osc sub;
    Signal bodyLayer = render(len, [&](double t) {
        return body.lowpass(rng.bipolar(), 250.0 + 4000.0 * std::exp(-t / 0.07), 0.9) * strike(t, 0.002, 0.16);
    });
    Signal crackLayer = render(len, [&](double t) { return crack.highpass(rng.bipolar(), 2000.0) * strike(t, 0.0005, 0.01); });
    Signal subLayer = render(len, [&](double t) {
        return sub.sine(45.0 + 90.0 * std::exp(-t / 0.06)) * strike(t, 0.002, 0.12);
    });
    Signal s = blend({{bodyLayer, 1.0}, {crackLayer, 0.5}, {subLayer, 0.8}});
    saturateAll(s, 1.5);
    addAt(s, room(s, 1.0, 0.4), 0.0, 0.3);
    return finish(std::move(s), len, 0.2);
}

// A city is destroyed: a heavy blast, the roar of the fire and falling
// debris, ringing out in the valley.
Signal cityBlast() {
    const double len = 2.4;
    Signal core = blastCore(303, len, 1.0);
    Brown brown(304);
    Drift flicker(305, 7.0);
    OnePole rumbleTone;
    Signal rumble = render(len, [&](double t) {
        return rumbleTone.lowpass(brown.next(), 220.0) * (0.55 + 0.45 * flicker.next()) * strike(t, 0.08, 1.0);
    });
    Signal s = blend({{core, 1.0}, {rumble, 0.8}, {crackle(306, len, 0.12, 1.9, 90.0), 0.35}});
    saturateAll(s, 2.0);
    addAt(s, room(s, 1.6, 0.5), 0.0, 0.35);
    return finish(std::move(s), len, 0.35);
}

// A warhead lands in open ground: a dull, muffled thud.
Signal groundThud() {
    const double len = 0.6;
    Rng rng(404);
    Osc thud;
    Svf dirt1, dirt2, body;
    OnePole knock;
    Signal thudLayer = render(len, [&](double t) {
        return saturate(thud.sine(38.0 + 45.0 * std::exp(-t / 0.05)) * 2.0, 3.0) * strike(t, 0.003, 0.09);
    });
    Signal dirt = render(len, [&](double t) {
        return dirt2.lowpass(dirt1.lowpass(rng.bipolar(), 320.0), 320.0) * strike(t, 0.002, 0.12);
    });
    Signal knockLayer = render(len, [&](double t) { return knock.lowpass(rng.bipolar(), 1200.0) * strike(t, 0.0005, 0.006); });
    // Enough of a box-like knock in the mids to be heard on small speakers.
    Signal bodyLayer = render(len, [&](double t) { return body.bandpass(rng.bipolar(), 550.0, 2.0) * strike(t, 0.002, 0.05); });
    Signal s = blend({{thudLayer, 1.0}, {dirt, 0.7}, {bodyLayer, 0.4}, {knockLayer, 0.25}});
    return finish(std::move(s), len, 0.12);
}

// A wave is cleared: a quick rising arpeggio up to a held, shimmering top.
Signal waveJingle() {
    const double len = 1.7;
    Signal s;
    const double notes[] = {72, 76, 79, 84, 88, 91};  // C5 E5 G5 C6 E6 G6
    for (int i = 0; i < 6; ++i) addAt(s, chipNote(midiHz(notes[i]), 0.07, 0.12, 0.25), 0.075 * i, 0.8);
    addAt(s, chipNote(midiHz(96), 0.55, 0.3, 0.25, 0.008), 0.45, 1.0);   // C7
    addAt(s, chipNote(midiHz(88), 0.55, 0.3, 0.5, 0.008), 0.45, 0.45);   // E6 beneath
    s = echo(s, 0.11, 0.35, 4);
    return finish(std::move(s), len, 0.25);
}

// The last site falls: blast upon blast, then a long rumble fading away.
Signal gameOverBlast() {
    const double len = 2.9;
    Signal s;
    addAt(s, blastCore(601, len, 1.4), 0.0, 1.0);
    addAt(s, blastCore(602, len - 0.45, 1.0), 0.45, 0.7);
    addAt(s, blastCore(603, len - 1.0, 1.2), 1.0, 0.85);
    s.resize(framesFor(len), 0.0);
    Brown brown(604);
    Drift flicker(605, 5.0);
    OnePole tone;
    Osc sub;
    Signal rumble = render(len, [&](double t) {
        return tone.lowpass(brown.next(), 180.0) * (0.5 + 0.5 * flicker.next()) * strike(t, 0.1, 1.3);
    });
    Signal subLayer = render(len, [&](double t) {
        return sub.sine(25.0 + 40.0 * std::exp(-t / 0.3)) * strike(t, 0.004, 1.0);
    });
    s = blend({{s, 1.0}, {rumble, 0.8}, {subLayer, 0.6}, {crackle(606, len, 0.1, 2.4, 70.0), 0.3}});
    saturateAll(s, 2.0);
    addAt(s, room(s, 2.0, 0.5), 0.0, 0.4);
    return finish(std::move(s), len, 0.6);
}

// A MIRV splits: an electronic zap diving down in pitch, echoed by a
// smaller one, through a coarse sample-and-hold for a digital edge.
Signal mirvZap() {
    const double len = 0.42;
    Osc sq, ringer, sq2;
    OnePole smooth;
    double held = 0.0;
    size_t counter = 0;
    return finish(render(len, [&](double t) {
        const double hz = 150.0 + 2600.0 * std::exp(-t / 0.05);
        const double vib = 1.0 + 0.12 * std::sin(2.0 * kPi * 45.0 * t);
        double x = sq.pulse(hz * vib, 0.5) * (0.6 + 0.4 * ringer.sine(hz * 1.5)) * strike(t, 0.001, 0.1);
        if (t >= 0.12) {
            const double u = t - 0.12;
            x += 0.5 * sq2.pulse(90.0 + 1800.0 * std::exp(-u / 0.06), 0.3) * strike(u, 0.001, 0.08);
        }
        if (counter++ % 5 == 0) held = x;  // about 8.8 kHz
        return smooth.lowpass(held, 7000.0);
    }), len, 0.06);
}

// A city is rebuilt: bright bell strikes climbing a fifth and an octave,
// each doubled a shade sharp for a shimmer.
Signal repairChime() {
    const double len = 1.6;
    Signal s;
    const double notes[] = {88, 95, 100};  // E6 B6 E7
    const double gains[] = {1.0, 0.8, 0.55};
    for (int i = 0; i < 3; ++i) {
        const double hz = midiHz(notes[i]);
        addAt(s, bell(hz, len - 0.11 * i, 1.0), 0.11 * i, gains[i]);
        addAt(s, bell(hz * 1.003, len - 0.11 * i, 0.6), 0.11 * i, gains[i] * 0.4);
    }
    return finish(std::move(s), len, 0.2);
}

// A launcher is reloaded: a latch click, the slide of the round, and the
// heavy clack of the breech closing.
Signal reloadClack() {
    const double len = 0.5;
    Rng rng(909);
    Svf slideFilter;
    OnePole burst;
    Signal click = render(len, [&](double t) {
        return ring(t, {{1850, 1.0, 0.025}, {2710, 0.7, 0.018}, {3990, 0.5, 0.012}, {5230, 0.3, 0.008}}) +
               0.5 * rng.bipolar() * strike(t, 0.0003, 0.002);
    });
    Signal slide = render(len, [&](double t) {
        const double hz = 900.0 + 800.0 * std::clamp((t - 0.05) / 0.17, 0.0, 1.0);
        return slideFilter.bandpass(rng.bipolar(), hz, 3.0) * bump(t, 0.05, 0.17);
    });
    Signal clack = render(len, [&](double t) {
        const double u = t - 0.26;
        if (u < 0.0) return 0.0;
        return ring(u, {{1400, 1.0, 0.03}, {2200, 0.8, 0.02}, {3300, 0.5, 0.012}}) +
               burst.highpass(rng.bipolar(), 800.0) * strike(u, 0.0003, 0.005) +
               1.2 * std::sin(2.0 * kPi * 150.0 * u) * std::exp(-u / 0.025);
    });
    Signal s = blend({{click, 0.7}, {slide, 0.3}, {clack, 1.0}});
    return finish(std::move(s), len, 0.08);
}

// The game pauses: two quick falling blips.
Signal pauseBlip() {
    const double len = 0.2;
    Signal s;
    addAt(s, chipNote(midiHz(83), 0.06, 0.015, 0.25), 0.0, 1.0);    // B5
    addAt(s, chipNote(midiHz(76), 0.08, 0.02, 0.25), 0.085, 1.0);   // E5
    return finish(std::move(s), len, 0.015);
}

// A new game: a two-tone alert, gliding between its tones like a siren.
Signal newGameAlert() {
    const double len = 1.75;
    const double gate = 1.6;
    Osc saw, sq;
    OnePole glide;
    Svf filter;
    return finish(render(len, [&](double t) {
        const bool high = static_cast<int>(t / 0.2) % 2 == 0;
        const double hz = glide.lowpass(t < gate ? (high ? 740.0 : 554.0) : 554.0, 45.0);
        const double x = 0.5 * saw.saw(hz) + 0.5 * sq.pulse(hz, 0.5);
        const double tremolo = 1.0 - 0.15 * (0.5 + 0.5 * std::sin(2.0 * kPi * 12.0 * t));
        return filter.lowpass(x, 2800.0, 1.2) * tremolo * adsr(t, 0.01, 1.0, 1.0, 0.12, gate);
    }), len, 0.03);
}

// A score enters the Hall of Fame: ta-ta-ta-taaa, a climb, and a full
// major chord held over a timpani roll.
Signal highScoreFanfare() {
    const double len = 2.6;
    struct Note {
        double at, gate, melody, harmony;
    };
    const Note notes[] = {{0.0, 0.11, 67, 64},  {0.13, 0.11, 67, 64}, {0.26, 0.11, 67, 64},
                          {0.39, 0.42, 72, 67}, {0.86, 0.16, 76, 72}, {1.05, 0.16, 79, 76}};
    Signal s;
    for (const Note& n : notes) {
        addAt(s, brassNote(midiHz(n.melody), n.gate), n.at, 1.0);
        addAt(s, brassNote(midiHz(n.harmony), n.gate), n.at, 0.55);
    }
    for (double note : {72.0, 76.0, 79.0, 84.0}) addAt(s, brassNote(midiHz(note), 1.05, 0.2), 1.25, 0.7);
    Osc drum1, drum2;
    Signal timpani = render(len, [&](double t) {
        return drum1.sine(65.4) * strike(t - 0.39, 0.004, 0.3) + drum2.sine(65.4) * strike(t - 1.25, 0.004, 0.5);
    });
    addAt(s, timpani, 0.0, 0.5);
    addAt(s, room(s, 1.3, 0.5), 0.0, 0.25);
    return finish(std::move(s), len, 0.2);
}

// The intel screen opens: a computer thinking aloud in short chirps,
// trills and glides.
Signal intelChirps() {
    const double len = 1.6;
    Rng rng(1313);
    const double scale[] = {84, 86, 88, 91, 93, 96, 98, 100};  // a pentatonic run from C6
    Signal s;
    double t = 0.02;
    while (t < 1.42) {
        const double gate = rng.range(0.03, 0.075);
        const double hz = midiHz(scale[rng.next() % 8]);
        const int kind = static_cast<int>(rng.next() % 5);  // 0-1 flat, 2 up, 3 down, 4 trill
        const double other = midiHz(scale[rng.next() % 8]);
        Osc sine, sq;
        OnePole soft;
        Signal chirp = render(gate + 0.01, [&](double u) {
            double f = hz;
            if (kind == 2) f = hz * (1.0 + 0.35 * u / gate);
            if (kind == 3) f = hz * (1.0 - 0.3 * u / gate);
            if (kind == 4) f = static_cast<int>(u / 0.012) % 2 == 0 ? hz : other;
            const double x = 0.75 * sine.sine(f) + 0.25 * sq.pulse(f, 0.5);
            return soft.lowpass(x, 5000.0) * adsr(u, 0.002, 0.02, 0.8, 0.008, gate);
        });
        addAt(s, chirp, t, rng.range(0.6, 1.0));
        t += gate + rng.range(0.012, 0.04);
    }
    return finish(std::move(s), len, 0.05);
}

// The Hall of Fame: a short brass flourish onto a ringing chord.
Signal hallOfFameFanfare() {
    const double len = 1.4;
    Signal s;
    const double run[] = {72, 76, 79};  // C5 E5 G5
    for (int i = 0; i < 3; ++i) addAt(s, brassNote(midiHz(run[i]), 0.08), 0.1 * i, 0.9);
    for (double note : {76.0, 79.0, 84.0}) addAt(s, brassNote(midiHz(note), 0.8, 0.18), 0.32, 0.7);
    addAt(s, bell(midiHz(96), 1.0, 0.7), 0.32, 0.25);
    addAt(s, room(s, 1.2, 0.5), 0.0, 0.2);
    return finish(std::move(s), len, 0.2);
}

SoundData makeSound(int slot) {
    SoundData out;
    switch (slot) {
    case 0: out.channels = 2; out.samples = titleTune(); break;
    case 1: out.samples = launchWhoosh(); break;
    case 2: out.samples = interceptorBurst(); break;
    case 3: out.samples = cityBlast(); break;
    case 4: out.samples = groundThud(); break;
    case 5: out.samples = waveJingle(); break;
    case 6: out.samples = gameOverBlast(); break;
    case 7: out.samples = mirvZap(); break;
    case 8: out.samples = repairChime(); break;
    case 9: out.samples = reloadClack(); break;
    case 10: out.samples = pauseBlip(); break;
    case 11: out.samples = newGameAlert(); break;
    case 12: out.samples = highScoreFanfare(); break;
    case 13: out.samples = intelChirps(); break;
    case 14: out.samples = hallOfFameFanfare(); break;
    default: return out;
    }
    if (slot == 0)
        normaliseLoop(out.samples, out.channels, kLoudnessTarget, kPeakCeiling);
    else
        normalise(out.samples, out.channels, kLoudnessTarget, kPeakCeiling);
    return out;
}

}  // namespace synth
