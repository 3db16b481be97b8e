// The cost of drawing one frame, through the real drawing surface and Qt's
// text rendering: the heaviest battle picture the game can show (a full
// wave of every kind of warhead, the sites' whole supply in the air, a sky
// full of bursts, the game-over flash at full size, static, every label and
// both overlays), plus the title screen and a quiet battle for comparison.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdint>

#include "FixedText.h"
#include "HeavyStates.h"
#include "Scene.h"
#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "app/Tick.h"
#include "battle/Board.h"
#include "core/Game.h"
#include "core/GameState.h"
#include "core/Random.h"
#include "platform/qt/QtTextRenderer.h"
#include "render/DrawSurface.h"
#include "render/Frame.h"

namespace {

// Seeded draws, except that the static always brings its light streaks.
class StreakyRandom final : public RandomSource {
public:
    int64_t range(int64_t a, int64_t b) override {
        if (a == 0 && b == 10) return 10;
        return seeded_.range(a, b);
    }

private:
    SeededRandom seeded_{7};
};

template <class Text>
struct BenchOf {
    BenchOf() : surface(text), game(platform, sound, random) {
        setInitialValues(game.state);
        game.state.bigFont = surface.loadFont(".AppleSystemUIFont", 104, FontBold);
        game.state.smallFont = surface.loadFont(".AppleSystemUIFont", 16, 0);
    }

    void battle() { heavy::buildQuietBattle(game); }
    void heaviest() { heavy::buildHeaviestPicture(game); }

    ScriptedPlatform platform;
    SoundRecorder sound;
    StreakyRandom random;
    Text text;
    DrawSurface surface;
    Game game;
};
using Bench = BenchOf<QtTextRenderer>;

template <class B>
void drawFrames(benchmark::State& state, B& b, int probeY = 384) {
    for (auto _ : state) {
        // The picture's share of a frame: its tick (shake, static, labels)
        // and the drawing.
        const FramePicture picture = tickFrame(b.game);
        drawFrame(b.game.state, picture, b.platform, b.surface);
        benchmark::DoNotOptimize(b.surface.pixel(640, probeY));
    }
}

void BM_DrawFrame_Heaviest(benchmark::State& state) {
    Bench b;
    b.heaviest();
    drawFrames(state, b);
}
BENCHMARK(BM_DrawFrame_Heaviest)->Unit(benchmark::kMicrosecond);

// The same picture with text that costs nothing, to tell the shapes' share
// from Qt's.
void BM_DrawFrame_Heaviest_ShapesOnly(benchmark::State& state) {
    BenchOf<FixedText> b;
    b.heaviest();
    drawFrames(state, b);
}
BENCHMARK(BM_DrawFrame_Heaviest_ShapesOnly)->Unit(benchmark::kMicrosecond);

void BM_DrawFrame_QuietBattle(benchmark::State& state) {
    Bench b;
    b.battle();
    drawFrames(state, b);
}
BENCHMARK(BM_DrawFrame_QuietBattle)->Unit(benchmark::kMicrosecond);

void BM_DrawFrame_Title(benchmark::State& state) {
    Bench b;
    scene::addEntry(b.game.state, "Ada Lovelace", 148250);
    drawFrames(state, b, 300);
}
BENCHMARK(BM_DrawFrame_Title)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // Qt's text rendering needs a GUI application; no window is opened.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
