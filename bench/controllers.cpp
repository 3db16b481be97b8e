// What reading the game controllers costs a frame, with SDL's virtual
// controllers plugged in (0, 1 or 2), their sticks moving and a button
// pressed and let go now and then, so that SDL has events to hand over:
//  - the controllers' poll alone (Gamepads::poll), once per frame;
//  - the platform's whole event poll in the real window (offscreen) without
//    controllers and with two, the difference being what they add.
// Target: at most 20 microseconds a frame with two controllers.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <vector>

#include "VirtualPad.h"
#include "platform/qt/QtPlatform.h"
#include "platform/sdl/Gamepads.h"

namespace {

Gamepads* gPads = nullptr;

// Plugs in n virtual controllers and lets the pads take them in.
std::vector<std::unique_ptr<VirtualPad>> plugIn(int n) {
    std::vector<std::unique_ptr<VirtualPad>> pads;
    for (int i = 0; i < n; ++i) pads.push_back(std::make_unique<VirtualPad>());
    gPads->poll();
    return pads;
}

// One frame's worth of a player's hands: the sticks sweep, South goes down
// and up every eight frames.
void move(std::vector<std::unique_ptr<VirtualPad>>& pads, int frame) {
    for (auto& p : pads) {
        p->stick((frame * 977) % 65536 - 32768, (frame * 631) % 65536 - 32768);
        if (frame % 8 == 0) p->hold(SDL_CONTROLLER_BUTTON_A);
        if (frame % 8 == 4) p->release(SDL_CONTROLLER_BUTTON_A);
    }
}

void BM_PollControllers(benchmark::State& state) {
    auto pads = plugIn(int(state.range(0)));
    int frame = 0;
    for (auto _ : state) {
        state.PauseTiming();
        move(pads, ++frame);
        state.ResumeTiming();
        benchmark::DoNotOptimize(gPads->poll());
    }
    state.SetLabel(std::to_string(gPads->connected()) + " controllers");
}
BENCHMARK(BM_PollControllers)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_PlatformEventPoll(benchmark::State& state) {
    QtPlatform platform;
    platform.openWindow("ZARVEX v1.01", 1280, 768);
    platform.focusCanvas();
    const bool withPads = state.range(0) != 0;
    platform.setControllers(withPads ? gPads : nullptr);
    auto pads = plugIn(withPads ? 2 : 0);
    for (int i = 0; i < 10; ++i) platform.pollEvent();
    int frame = 0;
    for (auto _ : state) {
        state.PauseTiming();
        move(pads, ++frame);
        state.ResumeTiming();
        benchmark::DoNotOptimize(platform.pollEvent());
    }
    state.SetLabel(withPads ? "two controllers" : "no controllers");
    platform.setControllers(nullptr);
    platform.closeWindow();
}
BENCHMARK(BM_PlatformEventPoll)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    Gamepads pads;
    if (!pads.ready()) return 77;  // no SDL here: nothing to measure
    gPads = &pads;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gPads = nullptr;
    return 0;
}
