// The drawing surface against QPainter on a QImage of the same size and
// format, both drawing the worst frame the game can produce: the background
// box, the game-over flash (an alpha-blended disc of radius 800 over the whole
// canvas), 60 discs of radius 20 to 100 (half of them blended), 40 lines
// across the playfield, 200 small boxes and the nine grey bands of the screen
// static. QPainter draws without anti-aliasing, the fair peer for exact
// integer shapes.
//
// Prints, after Google Benchmark's table, one line:
//   surface X ms, QPainter Y ms, ratio Z
#include <benchmark/benchmark.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "render/DrawSurface.h"

namespace {

// Text metrics of a 16-pixel font; glyphs cost nothing (the frame's own
// shapes are measured, not the text renderer).
class NoText final : public TextRenderer {
public:
    FontHandle loadFont(const std::string&, int64_t, int64_t) override { return 1; }
    double textWidth(FontHandle, const std::string& text) override { return 8.0 * double(text.size()); }
    double textHeight(FontHandle, const std::string&) override { return 20.0; }
    void drawGlyphs(Canvas&, FontHandle, int64_t, int64_t, const std::string&, int64_t) override {}
};

struct Op {
    enum Kind { Mode, Box, Circle, Line, Flush, Text } kind;
    int64_t a = 0, b = 0, c = 0, d = 0, colour = 0;
};

// Where text goes in the battle picture: the HUD line at the top and the
// ammunition count under each of the six sites, drawn before the shapes.
enum class Before { Nothing, WholeCanvas, GameText };

// A fixed pseudo-random sequence so that every run draws the same frame.
struct Lcg {
    uint64_t s = 0x2545F4914F6CDD1Dull;
    int64_t range(int64_t lo, int64_t hi) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return lo + int64_t((s >> 33) % uint64_t(hi - lo + 1));
    }
};

// The surface keeps rows of one colour unwritten until something else
// touches them, so the flash right after the background box costs almost
// nothing. `before` puts work between the two, as the game does: the
// HUD line and the ammunition counts (text makes the rows it may touch real
// pixels), or the worst case, a canvas made real pixels throughout.
std::vector<Op> worstFrame(Before before) {
    Lcg rng;
    std::vector<Op> ops;
    ops.push_back({Op::Mode, Default});
    ops.push_back({Op::Box, 0, 0, 1280, 768, rgb(8, 8, 40)});
    if (before == Before::WholeCanvas) ops.push_back({Op::Flush});
    if (before == Before::GameText) {
        ops.push_back({Op::Mode, Transparent});
        ops.push_back({Op::Text, 20, 20});
        for (int64_t x : {182, 364, 546, 728, 910, 1092}) ops.push_back({Op::Text, x - 8, 736});
    }
    ops.push_back({Op::Mode, AlphaBlend});
    ops.push_back({Op::Circle, 640, 384, 800, 0, rgba(255, 255, 255, 130)});
    for (int i = 0; i < 60; ++i) {
        const bool blend = i % 2 == 1;
        ops.push_back({Op::Mode, blend ? AlphaBlend : Default});
        const int64_t r = rng.range(20, 100);
        const int64_t x = rng.range(0, 1279), y = rng.range(0, 733);
        const int64_t green = rng.range(80, 255), blue = rng.range(0, 120);
        const int64_t alpha = blend ? rng.range(30, 240) : 0;
        ops.push_back({Op::Circle, x, y, r, 0, rgba(255, green, blue, alpha)});
    }
    ops.push_back({Op::Mode, Default});
    for (int i = 0; i < 40; ++i) {
        const int64_t from = rng.range(0, i % 4 == 3 ? 733 : 1279), to = rng.range(0, i % 4 == 3 ? 733 : 1279);
        if (i % 4 == 3)  // a few across, the rest falling trails
            ops.push_back({Op::Line, 0, from, 1279, to, rgb(255, 0, 0)});
        else
            ops.push_back({Op::Line, from, 0, to, 733, rgb(255, 0, 0)});
    }
    for (int i = 0; i < 200; ++i) {
        const int64_t x = rng.range(0, 1275), y = rng.range(0, 763);
        ops.push_back({Op::Box, x, y, 5, 5, rgb(0, 255, 255)});
    }
    for (int i = 0; i < 9; ++i) {
        const int64_t y = rng.range(0, 768), h = rng.range(1, 5), v = rng.range(50, 200);
        ops.push_back({Op::Box, 0, y, 1280, h, rgb(v, v, v)});
    }
    return ops;
}

void drawOnSurface(DrawSurface& s, const std::vector<Op>& ops) {
    s.beginFrame();
    for (const Op& op : ops) {
        switch (op.kind) {
        case Op::Mode: s.setMode(DrawMode(op.a)); break;
        case Op::Box: s.box(op.a, op.b, op.c, op.d, op.colour); break;
        case Op::Circle: s.circle(op.a, op.b, op.c, op.colour); break;
        case Op::Line: s.line(op.a, op.b, op.c, op.d, op.colour); break;
        case Op::Flush: s.canvas(); break;
        case Op::Text: s.drawText(double(op.a), double(op.b), op.b < 100 ? "SCORE: 1,234,560   LEVEL 99" : "10", 0xffffff); break;
        }
    }
    s.endFrame();
}

QColor qcolour(int64_t c, bool blend) {
    return QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff), blend ? int((c >> 24) & 0xff) : 255);
}

void drawWithQPainter(QImage& image, const std::vector<Op>& ops) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    bool blend = false;
    for (const Op& op : ops) {
        switch (op.kind) {
        case Op::Mode: blend = op.a == AlphaBlend; break;
        case Op::Box: p.fillRect(QRect(int(op.a), int(op.b), int(op.c), int(op.d)), qcolour(op.colour, blend)); break;
        case Op::Circle:
            p.setPen(Qt::NoPen);
            p.setBrush(qcolour(op.colour, blend));
            p.drawEllipse(QPoint(int(op.a), int(op.b)), int(op.c), int(op.c));
            break;
        case Op::Line:
            p.setPen(QPen(qcolour(op.colour, blend), 0));
            p.drawLine(int(op.a), int(op.b), int(op.c), int(op.d));
            break;
        case Op::Flush:
        case Op::Text: break;  // text is not part of the comparison
        }
    }
}

void surfaceFrames(benchmark::State& state, Before before) {
    NoText text;
    DrawSurface surface(text);
    const auto ops = worstFrame(before);
    for (auto _ : state) {
        drawOnSurface(surface, ops);
        benchmark::DoNotOptimize(surface.canvas().pixels[640]);
        benchmark::ClobberMemory();
    }
}

void BM_Surface_WorstFrame(benchmark::State& state) { surfaceFrames(state, Before::Nothing); }
BENCHMARK(BM_Surface_WorstFrame)->Unit(benchmark::kMillisecond);

void BM_Surface_WorstFrame_AfterGameText(benchmark::State& state) { surfaceFrames(state, Before::GameText); }
BENCHMARK(BM_Surface_WorstFrame_AfterGameText)->Unit(benchmark::kMillisecond);

void BM_Surface_WorstFrame_FlashOverPixels(benchmark::State& state) { surfaceFrames(state, Before::WholeCanvas); }
BENCHMARK(BM_Surface_WorstFrame_FlashOverPixels)->Unit(benchmark::kMillisecond);

void BM_QPainter_WorstFrame(benchmark::State& state) {
    QImage image(DrawSurface::kWidth, DrawSurface::kHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    const auto ops = worstFrame(Before::Nothing);
    for (auto _ : state) {
        drawWithQPainter(image, ops);
        benchmark::DoNotOptimize(image.constBits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_QPainter_WorstFrame)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per frame for the summary line.
class SummaryReporter final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> msPerFrame;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            // Single runs, or the medians when only aggregates are reported.
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if ((r.run_type != Run::RT_Iteration && !median) || r.iterations == 0) continue;
            const double ms = r.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond) /
                              benchmark::GetTimeUnitMultiplier(r.time_unit);
            auto it = msPerFrame.find(r.run_name.function_name);
            if (it == msPerFrame.end() || ms < it->second) msPerFrame[r.run_name.function_name] = ms;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    {
        // Both painters must really draw the same picture: compare one frame.
        // Edges and QPainter's rounded blending differ slightly, so count
        // pixels off by more than 2 in some channel.
        NoText text;
        DrawSurface surface(text);
        const auto ops = worstFrame(Before::Nothing);
        drawOnSurface(surface, ops);
        QImage image(DrawSurface::kWidth, DrawSurface::kHeight, QImage::Format_RGB32);
        image.fill(Qt::black);
        drawWithQPainter(image, ops);
        int64_t differing = 0;
        for (int y = 0; y < DrawSurface::kHeight; ++y) {
            const auto* q = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
            const uint32_t* p = surface.canvas().pixels + y * surface.canvas().stride;
            for (int x = 0; x < DrawSurface::kWidth; ++x)
                for (int shift : {0, 8, 16})
                    if (std::abs(int((p[x] >> shift) & 0xff) - int((q[x] >> shift) & 0xff)) > 2) {
                        ++differing;
                        break;
                    }
        }
        std::printf("pixels differing from QPainter's frame: %lld of %d (%.2f%%)\n", static_cast<long long>(differing),
                    DrawSurface::kWidth * DrawSurface::kHeight,
                    100.0 * double(differing) / (DrawSurface::kWidth * DrawSurface::kHeight));
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto& t = reporter.msPerFrame;
    const auto s = t.find("BM_Surface_WorstFrame"), q = t.find("BM_QPainter_WorstFrame");
    for (const char* name : {"BM_Surface_WorstFrame_AfterGameText", "BM_Surface_WorstFrame_FlashOverPixels"}) {
        const auto f = t.find(name);
        if (f != t.end() && q != t.end() && q->second > 0)
            std::printf("%s %.3f ms, ratio to QPainter %.3f\n", name, f->second, f->second / q->second);
    }
    if (s != t.end() && q != t.end() && q->second > 0)
        std::printf("surface %.3f ms, QPainter %.3f ms, ratio %.3f\n", s->second, q->second, s->second / q->second);
    return 0;
}
