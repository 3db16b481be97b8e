#pragma once
// The building blocks of the game's synthesizer: a seeded noise source,
// band-limited oscillators, envelopes, filters, a limiter, loudness
// matching and a 16-bit WAV writer. Everything is deterministic: the same
// program writes the same bytes.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace synth {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 44100;

// Samples at kRate; interleaved by channel where a sound has two.
using Signal = std::vector<double>;

inline size_t framesFor(double seconds) { return static_cast<size_t>(seconds * kRate + 0.5); }

// A signal of the given length, sample by sample from a function of time.
template <class F>
Signal render(double seconds, F&& sampleAt) {
    Signal s(framesFor(seconds));
    for (size_t i = 0; i < s.size(); ++i) s[i] = sampleAt(static_cast<double>(i) / kRate);
    return s;
}

inline double midiHz(double note) { return 440.0 * std::exp2((note - 69.0) / 12.0); }

// xorshift64*: our own, so every build and every machine draws the same noise.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
        if (state_ == 0) state_ = 1;
    }
    uint64_t next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
    double bipolar() { return 2.0 * uniform() - 1.0; }                                          // [-1, 1)
    double range(double a, double b) { return a + (b - a) * uniform(); }

private:
    uint64_t state_;
};

// A phase-accumulating oscillator; call one waveform per sample with the
// frequency of that sample (so pitch may glide). Saw and pulse are
// band-limited with polyBLEP so high notes do not alias into hiss.
class Osc {
public:
    explicit Osc(double phase = 0.0) : phase_(phase) {}
    double sine(double hz);
    double saw(double hz);
    double pulse(double hz, double duty = 0.5);
    double triangle(double hz);

private:
    double advance(double hz);
    double phase_;
};

// One-pole low-pass and high-pass.
class OnePole {
public:
    double lowpass(double x, double hz);
    double highpass(double x, double hz) { return x - lowpass(x, hz); }

private:
    double z_ = 0.0;
};

// Trapezoidal state-variable filter: low, band and high outputs of one
// resonant stage whose cutoff may move every sample.
class Svf {
public:
    struct Out {
        double low, band, high;
    };
    Out process(double x, double hz, double q);
    double lowpass(double x, double hz, double q = 0.707) { return process(x, hz, q).low; }
    double bandpass(double x, double hz, double q = 1.0) { return process(x, hz, q).band; }
    double highpass(double x, double hz, double q = 0.707) { return process(x, hz, q).high; }

private:
    double ic1_ = 0.0, ic2_ = 0.0;
};

// Envelopes, as functions of the time since the note started.
double adsr(double t, double attack, double decay, double sustain, double release, double gate);
// A linear rise over `attack`, then an exponential fall with time constant tau.
double strike(double t, double attack, double tau);
// A raised-cosine bump over [start, start + length].
double bump(double t, double start, double length);

// Mixing helpers (mono signals).
void addAt(Signal& dst, const Signal& src, double startSeconds, double gain = 1.0);
void fadeEdges(Signal& s, double inSeconds, double outSeconds);
// A feedback echo: repeats of the signal `delay` apart, each `feedback` as loud.
Signal echo(const Signal& s, double delaySeconds, double feedback, int repeats);
// A small room: parallel damped comb filters into all-passes (a Schroeder
// reverberator), returned wet only.
Signal room(const Signal& s, double size, double damping);
// Soft saturation with unit slope at zero.
inline double saturate(double x, double drive) { return std::tanh(x * drive) / drive; }

// Loudness as the game hears it: the highest RMS over any 100 ms window
// (mean over the channels), in full-scale units.
double momentaryLoudness(const Signal& s, int channels);
double peak(const Signal& s);
// Scales to the loudness target; where that would push a peak over the
// ceiling, a look-ahead gain envelope pulls just those peaks down.
void normalise(Signal& s, int channels, double target, double ceiling);
// For a loop: one gain for the whole signal (a moving gain would break the
// seam), the lower of what the target and the ceiling allow.
void normaliseLoop(Signal& s, int channels, double target, double ceiling);

// 16-bit PCM RIFF/WAVE bytes.
std::vector<uint8_t> encodeWav16(const Signal& s, int channels, int rate);
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace synth
