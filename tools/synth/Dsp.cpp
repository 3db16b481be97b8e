#include "Dsp.h"

#include <algorithm>
#include <fstream>

namespace synth {

namespace {

// The polyBLEP residual that rounds off a step at phase 0 of width dt.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double wrap01(double x) { return x - std::floor(x); }

}  // namespace

double Osc::advance(double hz) {
    const double p = phase_;
    phase_ = wrap01(phase_ + hz / kRate);
    return p;
}

double Osc::sine(double hz) { return std::sin(2.0 * kPi * advance(hz)); }

double Osc::saw(double hz) {
    const double dt = std::min(hz / kRate, 0.5);
    const double t = advance(hz);
    return 2.0 * t - 1.0 - polyBlep(t, dt);
}

double Osc::pulse(double hz, double duty) {
    const double dt = std::min(hz / kRate, 0.5);
    const double t = advance(hz);
    double v = t < duty ? 1.0 : -1.0;
    v += polyBlep(t, dt);
    v -= polyBlep(wrap01(t + 1.0 - duty), dt);
    // A narrow pulse sits off centre; taking its mean away keeps thumps
    // (the envelope times that offset) out of every note.
    return v - (2.0 * duty - 1.0);
}

double Osc::triangle(double hz) {
    const double t = advance(hz);
    return 1.0 - 4.0 * std::fabs(t - 0.5);
}

double OnePole::lowpass(double x, double hz) {
    const double a = 1.0 - std::exp(-2.0 * kPi * std::min(hz, 0.45 * kRate) / kRate);
    z_ += a * (x - z_);
    return z_;
}

Svf::Out Svf::process(double x, double hz, double q) {
    const double fc = std::clamp(hz, 10.0, 0.45 * kRate);
    const double g = std::tan(kPi * fc / kRate);
    const double k = 1.0 / std::max(q, 0.05);
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = x - ic2_;
    const double v1 = a1 * ic1_ + a2 * v3;
    const double v2 = ic2_ + a2 * ic1_ + a3 * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {v2, v1, x - k * v1 - v2};
}

double adsr(double t, double attack, double decay, double sustain, double release, double gate) {
    if (t < 0.0) return 0.0;
    auto held = [&](double u) {
        if (u < attack) return u / attack;
        return sustain + (1.0 - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < gate) return held(t);
    const double r = t - gate;
    if (r >= release) return 0.0;
    // A raised-cosine release: no corner at the end of the note.
    return held(gate) * 0.5 * (1.0 + std::cos(kPi * r / release));
}

double strike(double t, double attack, double tau) {
    if (t < 0.0) return 0.0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / tau);
}

double bump(double t, double start, double length) {
    const double u = (t - start) / length;
    if (u <= 0.0 || u >= 1.0) return 0.0;
    return 0.5 - 0.5 * std::cos(2.0 * kPi * u);
}

void addAt(Signal& dst, const Signal& src, double startSeconds, double gain) {
    const size_t start = framesFor(startSeconds);
    if (dst.size() < start + src.size()) dst.resize(start + src.size(), 0.0);
    for (size_t i = 0; i < src.size(); ++i) dst[start + i] += gain * src[i];
}

void fadeEdges(Signal& s, double inSeconds, double outSeconds) {
    const size_t in = std::min(framesFor(inSeconds), s.size());
    const size_t out = std::min(framesFor(outSeconds), s.size());
    for (size_t i = 0; i < in; ++i) s[i] *= static_cast<double>(i) / static_cast<double>(in);
    for (size_t i = 0; i < out; ++i) {
        const double u = static_cast<double>(i) / static_cast<double>(out);  // 0 at the very end
        s[s.size() - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * u);
    }
}

Signal echo(const Signal& s, double delaySeconds, double feedback, int repeats) {
    Signal out = s;
    double gain = 1.0;
    for (int k = 1; k <= repeats; ++k) {
        gain *= feedback;
        addAt(out, s, delaySeconds * k, gain);
    }
    return out;
}

Signal room(const Signal& s, double size, double damping) {
    const double combMs[4] = {29.7, 37.1, 41.1, 43.7};
    const double allpassMs[2] = {5.0, 1.7};
    const size_t tail = framesFor(0.6 * size);
    Signal wet(s.size() + tail, 0.0);
    for (double ms : combMs) {
        const size_t d = std::max<size_t>(1, framesFor(ms * size / 1000.0));
        Signal line(d, 0.0);
        double lp = 0.0;
        size_t pos = 0;
        for (size_t i = 0; i < wet.size(); ++i) {
            const double x = i < s.size() ? s[i] : 0.0;
            const double y = line[pos];
            lp = y + damping * (lp - y);
            line[pos] = x + 0.8 * lp;
            pos = (pos + 1) % d;
            wet[i] += 0.25 * y;
        }
    }
    for (double ms : allpassMs) {
        const size_t d = std::max<size_t>(1, framesFor(ms / 1000.0));
        Signal line(d, 0.0);
        size_t pos = 0;
        for (double& v : wet) {
            const double buffered = line[pos];
            const double in = v + 0.6 * buffered;
            line[pos] = in;
            v = buffered - 0.6 * in;
            pos = (pos + 1) % d;
        }
    }
    return wet;
}

double momentaryLoudness(const Signal& s, int channels) {
    const size_t frames = s.size() / static_cast<size_t>(channels);
    if (frames == 0) return 0.0;
    const size_t window = std::min(frames, framesFor(0.1));
    // A running sum of squares per frame, so every window costs the same.
    std::vector<double> sums(frames + 1, 0.0);
    for (size_t f = 0; f < frames; ++f) {
        double e = 0.0;
        for (int c = 0; c < channels; ++c) {
            const double v = s[f * static_cast<size_t>(channels) + static_cast<size_t>(c)];
            e += v * v;
        }
        sums[f + 1] = sums[f] + e / channels;
    }
    double best = 0.0;
    for (size_t f = 0; f + window <= frames; f += 64)
        best = std::max(best, (sums[f + window] - sums[f]) / static_cast<double>(window));
    best = std::max(best, (sums[frames] - sums[frames - window]) / static_cast<double>(window));
    return std::sqrt(best);
}

double peak(const Signal& s) {
    double p = 0.0;
    for (double v : s) p = std::max(p, std::fabs(v));
    return p;
}

namespace {

// Pulls every peak over the ceiling down with a gain that falls 5 ms ahead
// of it and recovers over 60 ms after it; everything else is untouched.
void limit(Signal& s, int channels, double ceiling) {
    const size_t ch = static_cast<size_t>(channels);
    const size_t frames = s.size() / ch;
    std::vector<double> env(frames, 0.0);
    for (size_t f = 0; f < frames; ++f)
        for (size_t c = 0; c < ch; ++c) env[f] = std::max(env[f], std::fabs(s[f * ch + c]));
    const double release = std::exp(-1.0 / (0.060 * kRate));
    const double attack = std::exp(-1.0 / (0.005 * kRate));
    for (size_t f = 1; f < frames; ++f) env[f] = std::max(env[f], env[f - 1] * release);
    for (size_t f = frames; f-- > 1;) env[f - 1] = std::max(env[f - 1], env[f] * attack);
    for (size_t f = 0; f < frames; ++f) {
        const double g = env[f] > ceiling ? ceiling / env[f] : 1.0;
        for (size_t c = 0; c < ch; ++c) s[f * ch + c] *= g;
    }
}

void scale(Signal& s, double g) {
    for (double& v : s) v *= g;
}

}  // namespace

void normalise(Signal& s, int channels, double target, double ceiling) {
    for (int pass = 0; pass < 6; ++pass) {
        const double loud = momentaryLoudness(s, channels);
        if (loud <= 0.0) return;
        const double g = target / loud;
        if (pass > 0 && std::fabs(g - 1.0) < 0.01) break;
        scale(s, g);
        if (peak(s) > ceiling) limit(s, channels, ceiling);
    }
    if (peak(s) > ceiling) limit(s, channels, ceiling);
}

void normaliseLoop(Signal& s, int channels, double target, double ceiling) {
    const double loud = momentaryLoudness(s, channels);
    const double p = peak(s);
    if (loud <= 0.0 || p <= 0.0) return;
    scale(s, std::min(target / loud, ceiling / p));
}

std::vector<uint8_t> encodeWav16(const Signal& s, int channels, int rate) {
    std::vector<uint8_t> b;
    auto put16 = [&](uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    auto id = [&](const char* tag) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
    };
    const uint32_t dataBytes = static_cast<uint32_t>(s.size() * 2);
    const uint32_t align = static_cast<uint32_t>(channels) * 2;
    b.reserve(44 + dataBytes);
    id("RIFF");
    put32(36 + dataBytes);
    id("WAVE");
    id("fmt ");
    put32(16);
    put16(1);  // integer PCM
    put16(static_cast<uint32_t>(channels));
    put32(static_cast<uint32_t>(rate));
    put32(static_cast<uint32_t>(rate) * align);
    put16(align);
    put16(16);
    id("data");
    put32(dataBytes);
    for (double v : s) {
        const long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
        put16(static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(q))));
    }
    return b;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace synth
