// The cost of drawing one frame, through the real drawing surface and Qt's
// text rendering: the heaviest battle picture the game can show (a full
// wave of every kind of warhead, the sites' whole supply in the air, a sky
// full of bursts, the game-over flash at full size, static, every label and
// both overlays), plus the title screen and a quiet battle for comparison.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdint>

#include "FixedText.h"
#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
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

constexpr int64_t kForever = int64_t(1) << 40;  // timers that never run out here

template <class Text>
struct BenchOf {
    BenchOf() : surface(text), game(platform, sound, random) {
        setInitialValues(game.state);
        game.state.bigFont = surface.loadFont(".AppleSystemUIFont", 104, FontBold);
        game.state.smallFont = surface.loadFont(".AppleSystemUIFont", 16, 0);
    }

    void battle() {
        GameState& gs = game.state;
        gs.inGame = 1;
        gs.level = 57;
        gs.score = 9876543;
        newBoard(game);
        setupWave(game, gs.level);
        gs.intermission = 0;
        gs.mouseX = 640;
        gs.mouseY = 400;
    }

    void heaviest() {
        battle();
        GameState& gs = game.state;
        // Every site standing with a full skyline and both labels.
        for (size_t i = 0; i < gs.sites.size(); ++i) {
            Site& s = gs.sites[i];
            s.ammo = int64_t(i) * 5;
            s.repairTimer = kForever;
            s.buildings.clear();
            for (int b = 0; b < 4; ++b) {
                s.buildings.last();
                Building& bd = s.buildings.add();
                bd.width = 15 + 3 * b;
                bd.height = 40 + 12 * b;
                bd.offsetX = -50 + 26 * b;
            }
        }
        for (int i = 0; i < 33; ++i) {
            gs.warheads.last();
            Warhead& w = gs.warheads.add();
            w.startX = float(40 + i * 37);
            w.startY = 0;
            w.x = float(60 + (i * 53) % 1160);
            w.y = float(60 + (i * 97) % 600);
            w.splitY = -1;
            w.pulse = 0.3f * float(i);
            switch (i % 6) {
                case 0: break;                     // ICBM
                case 1: w.splitY = 120; break;     // MIRV
                case 2: w.fragment = 1; break;     // fragment
                case 3: w.seeker = 1; break;       // SEEKER
                case 4: w.zigzag = 1; break;       // ZIG-ZAGER
                case 5: w.evasive = 1; break;      // THROBBER
            }
        }
        gs.alarmPhase = 1.0f;
        for (int i = 0; i < 40; ++i) {
            gs.interceptors.last();
            Interceptor& it = gs.interceptors.add();
            it.startX = float(182 * (1 + i % 6));
            it.startY = 703;
            it.x = float(30 + (i * 71) % 1220);
            it.y = float(80 + (i * 43) % 600);
        }
        for (int i = 0; i < 120; ++i) {
            gs.explosions.last();
            Explosion& e = gs.explosions.add();
            e.x = float(20 + (i * 89) % 1240);
            e.y = float(40 + (i * 61) % 680);
            e.radius = float(1 + 6 * (i % 17));  // 1 .. 97, the interceptor bursts' range
            e.maxRadius = e.radius;
            e.red = 255;
            e.green = 120 + (i * 13) % 100;
            e.blue = 0;
            e.growing = i % 2;
            e.alpha = e.growing ? 255 : 255 - (i * 14) % 250;
            e.fade = 14;
        }
        // The game-over flash at its full size, fading over everything.
        gs.explosions.last();
        Explosion& flash = gs.explosions.add();
        flash.x = 640;
        flash.y = 384;
        flash.radius = 1603;
        flash.maxRadius = 1600;
        flash.red = flash.green = flash.blue = 255;
        flash.alpha = 130;
        flash.growing = 0;
        flash.fade = 14;

        gs.shakeTimer = kForever;
        gs.staticTimer = kForever;
        gs.gameOver = 1;
        gs.paused = 1;
    }

    ScriptedPlatform platform;
    SoundRecorder sound;
    StreakyRandom random;
    Text text;
    DrawSurface surface;
    Game game;
};
using Bench = BenchOf<QtTextRenderer>;

void BM_DrawFrame_Heaviest(benchmark::State& state) {
    Bench b;
    b.heaviest();
    for (auto _ : state) {
        drawFrame(b.game, b.surface);
        benchmark::DoNotOptimize(b.surface.pixel(640, 384));
    }
}
BENCHMARK(BM_DrawFrame_Heaviest)->Unit(benchmark::kMicrosecond);

// The same picture with text that costs nothing, to tell the shapes' share
// from Qt's.
void BM_DrawFrame_Heaviest_ShapesOnly(benchmark::State& state) {
    BenchOf<FixedText> b;
    b.heaviest();
    for (auto _ : state) {
        drawFrame(b.game, b.surface);
        benchmark::DoNotOptimize(b.surface.pixel(640, 384));
    }
}
BENCHMARK(BM_DrawFrame_Heaviest_ShapesOnly)->Unit(benchmark::kMicrosecond);

void BM_DrawFrame_QuietBattle(benchmark::State& state) {
    Bench b;
    b.battle();
    for (auto _ : state) {
        drawFrame(b.game, b.surface);
        benchmark::DoNotOptimize(b.surface.pixel(640, 384));
    }
}
BENCHMARK(BM_DrawFrame_QuietBattle)->Unit(benchmark::kMicrosecond);

void BM_DrawFrame_Title(benchmark::State& state) {
    Bench b;
    b.game.state.highScores.last();
    ScoreEntry& e = b.game.state.highScores.add();
    e.name = "Ada Lovelace";
    e.score = 148250;
    for (auto _ : state) {
        drawFrame(b.game, b.surface);
        benchmark::DoNotOptimize(b.surface.pixel(640, 300));
    }
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
