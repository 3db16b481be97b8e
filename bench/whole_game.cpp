// The whole game's figures, with the real Qt window and canvas and the real
// sound bank, on the offscreen platform (a 2560 x 1440 screen of our own) or
// on the X server that DISPLAY names when QT_QPA_PLATFORM=xcb:
//  - the heaviest frame of the game (event and controller poll, simulation
//    step, drawing and showing the canvas; the wait for the next step is
//    not the game's work), with the canvas shown at 1280 x 768, in a 1920 x 1080
//    window and full screen, and the showing alone at each size,
//  - start-up to the first drawn frame, from the moment the process began
//    (wall clock and CPU time; `--startup-only` prints these alone, for
//    repeated runs),
//  - peak memory after the heaviest frames,
//  - CPU use while idling on the title screen and while a battle runs at
//    each size, with the real frame loop and its waits,
//  - steps and shown frames a second of the heaviest battle through the
//    real frame loop on the game clock, at each size.
// The figures are printed after the frame benchmarks.
//
// Showing the picture: the heaviest presented frame of a battle split into
// drawing, scaling (or the OpenGL upload) and the transfer to the window
// system, at 1280 x 768 in a window and full screen, for the path that
// ZARVEX_PRESENT names (software or opengl; by default the game's own
// choice). For the figures of a desktop run it under Xvfb and a window
// manager on 2560 x 1440 and 3840 x 2160 screens, e.g.
//   DISPLAY=:1 QT_QPA_PLATFORM=xcb ZARVEX_PRESENT=software
//   bench/bench_whole_game --benchmark_filter=PresentedFrame
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "DesktopGame.h"
#include "app/App.h"
#include "app/Tick.h"
#include "audio/miniaudio/SoundBank.h"
#include "HeavyStates.h"
#include "battle/Board.h"
#include "battle/Simulation.h"
#include "core/Game.h"
#include "core/Random.h"
#include "platform/qt/CanvasShow.h"
#include "platform/qt/QtPlatform.h"
#include "render/DrawSurface.h"
#include "render/Frame.h"

namespace {

// Milliseconds since this process was started by the kernel.
double msSinceProcessStart() {
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string f;
    unsigned long long startTicks = 0;
    for (int i = 3; i <= 22 && fields >> f; ++i)
        if (i == 22) startTicks = std::stoull(f);
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double nowMs = double(boot.tv_sec) * 1000.0 + double(boot.tv_nsec) / 1e6;
    return nowMs - double(startTicks) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double peakMegabytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

// The real program's parts, wired and started the way the game starts
// (with the game controllers read every frame, none plugged in).
struct RealGame {
    RealGame() : random(12345), game(platform, sound, random), surface(platform.textRenderer(), &platform) {
        startUp(game, surface);
    }
    ~RealGame() { shutDown(game); }
    DesktopGame desktop;
    QtPlatform& platform = desktop.platform;
    SoundBank& sound = desktop.sound;
    SeededRandom random;
    Game game;
    DrawSurface surface;
};

RealGame* gGame = nullptr;

// The sizes the canvas is shown at: its own, a 1920 x 1080 window, and the
// whole screen.
struct ShowSize {
    const char* name;
    int width = 0, height = 0;  // the canvas widget; 0 for full screen
};
constexpr ShowSize kShowSizes[] = {{"1280x768 window", 1280, 768},
                                   {"1920x1080 window", 1920, 1080},
                                   {"full screen", 0, 0}};

void showAt(const ShowSize& size) {
    QtPlatform& p = gGame->platform;
    p.setFullScreen(size.width == 0);
    if (size.width != 0) {
        QMainWindow* w = p.window();
        w->resize(size.width, size.height + w->menuBar()->height());
    }
    for (int i = 0; i < 10; ++i) p.pollEvent();
    // A window manager takes its time to put a window in full screen.
    const QSize screen = p.window()->screen()->size();
    for (int i = 0; i < 200 && size.width == 0 && p.window()->size() != screen; ++i) {
        QThread::msleep(10);
        p.pollEvent();
    }
}

// The showing alone: the finished canvas scaled into the window.
void BM_ShowCanvas(benchmark::State& state) {
    showAt(kShowSizes[state.range(0)]);
    const Canvas& canvas = gGame->surface.canvas();
    for (auto _ : state) gGame->platform.present(canvas);
    const QSize area = gGame->platform.canvasWidget()->size();
    state.SetLabel(std::string(kShowSizes[state.range(0)].name) + ", canvas area " + std::to_string(area.width()) +
                   "x" + std::to_string(area.height()));
}
BENCHMARK(BM_ShowCanvas)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// A game holding the heaviest picture, with the real window's fonts.
std::unique_ptr<Game> heaviestPictureGame(SeededRandom& random) {
    auto picture = std::make_unique<Game>(gGame->platform, gGame->sound, random);
    picture->state.bigFont = gGame->game.state.bigFont;
    picture->state.smallFont = gGame->game.state.smallFont;
    heavy::buildHeaviestPicture(*picture);
    return picture;
}

// The frame of the game at its heaviest: the simulation's worst step and
// the drawing's worst picture in one frame, shown in the real window. The
// two cannot meet in one state (the full-size game-over flash destroys every
// warhead at once), so each frame steps one game and draws another; both run
// on the real window's platform.
void BM_HeaviestGameFrame(benchmark::State& state) {
    showAt(kShowSizes[state.range(0)]);
    state.SetLabel(kShowSizes[state.range(0)].name);
    QtPlatform& platform = gGame->platform;
    SoundBank& sound = gGame->sound;
    SeededRandom random(99);
    const std::unique_ptr<Game> heaviest = heaviestPictureGame(random);
    Game& picture = *heaviest;

    constexpr size_t kBatch = 64;
    std::vector<std::unique_ptr<Game>> battles;
    size_t next = kBatch;
    for (auto _ : state) {
        if (next == kBatch) {  // a step changes its game: step fresh copies
            state.PauseTiming();
            battles.clear();
            for (size_t i = 0; i < kBatch; ++i) {
                battles.push_back(std::make_unique<Game>(platform, sound, random));
                heavy::buildHeavyBattle(*battles.back());
            }
            next = 0;
            state.ResumeTiming();
        }
        platform.pollEvent();
        simulationStep(*battles[next++]);
        const FramePicture frame = tickFrame(picture);
        drawFrame(picture.state, frame, platform, gGame->surface);
    }
}
BENCHMARK(BM_HeaviestGameFrame)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The heaviest presented frame: each frame draws the heaviest picture and
// changes every pixel of it from the frame before (as a full-screen flash
// does), so that no part of the showing can be skipped. Frames come 60 a
// second, as the game's steps do, and each waits until the X server has
// taken the picture. Reported: the slowest frame, the median and the 99th
// percentile (on a busy machine the slowest is mostly when the scheduler
// ran us), the slowest and the 99th split into drawing, scaling (the OpenGL
// path: the upload) and the transfer (the rest of showing it, up to the X
// server's answer); and the process's CPU use in % of one core.
void BM_PresentedFrame(benchmark::State& state) {
    const ShowSize& size = kShowSizes[state.range(0)];
    showAt(size);
    QtPlatform& platform = gGame->platform;
    SeededRandom random(98);
    const std::unique_ptr<Game> heaviest = heaviestPictureGame(random);
    Game& picture = *heaviest;
    const FramePicture frame = tickFrame(picture);
    DrawSurface surface(platform.textRenderer(), nullptr);  // drawn here, shown below
    CanvasShow* show = platform.canvasShow();
    struct Split {
        double draw = 0, scale = 0, transfer = 0;
        double total() const { return draw + scale + transfer; }
    };
    std::vector<Split> splits;
    constexpr int kSettleFrames = 5;  // the window manager's work on the window
    bool flip = false;
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::microseconds(16667);
    auto next = Clock::now();
    double cpu = 0, wall = 0;
    Clock::time_point countedFrom;
    for (auto _ : state) {
        std::this_thread::sleep_until(next);
        next = std::max(next + period, Clock::now());
        double cpu0 = cpuSeconds();
        const auto t0 = Clock::now();
        drawFrame(picture.state, frame, platform, surface);
        const auto t1 = Clock::now();
        // Every other picture turned to its negative, outside the figures.
        const Canvas& canvas = surface.canvas();
        if ((flip = !flip)) {
            const double xorCpu = cpuSeconds();
            for (int y = 0; y < canvas.height; ++y)
                for (int x = 0; x < canvas.width; ++x) canvas.pixels[size_t(y) * size_t(canvas.stride) + x] ^= 0x00FFFFFFu;
            cpu0 += cpuSeconds() - xorCpu;
        }
        const auto t1b = Clock::now();
        platform.present(canvas);
        QGuiApplication::sync();
        const auto t2 = Clock::now();
        const double scale = show ? show->lastCost().scale : 0;
        const double ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); }(t2 - t1b);
        splits.push_back({std::chrono::duration<double, std::milli>(t1 - t0).count(), scale, ms - scale});
        if (splits.size() == size_t(kSettleFrames) + 1) countedFrom = t0;
        if (splits.size() > size_t(kSettleFrames)) cpu += cpuSeconds() - cpu0;
    }
    if (splits.size() > size_t(kSettleFrames))
        wall = std::chrono::duration<double>(Clock::now() - countedFrom).count();
    std::vector<Split> counted(splits.begin() + std::min<size_t>(splits.size(), kSettleFrames), splits.end());
    std::sort(counted.begin(), counted.end(), [](const Split& a, const Split& b) { return a.total() < b.total(); });
    const Split worst = counted.empty() ? Split{} : counted.back();
    const Split p99 = counted.empty() ? Split{} : counted[size_t(double(counted.size() - 1) * 0.99)];
    const Split median = counted.empty() ? Split{} : counted[counted.size() / 2];
    const QSize area = platform.canvasWidget()->size();
    state.SetLabel(std::string(size.name) + " " + std::to_string(area.width()) + "x" + std::to_string(area.height()) +
                   (show && show->usesOpenGL() ? ", opengl" : ", software"));
    state.counters["worst_ms"] = worst.total();
    state.counters["worst_draw"] = worst.draw;
    state.counters["worst_scale"] = worst.scale;
    state.counters["worst_transfer"] = worst.transfer;
    state.counters["p99_ms"] = p99.total();
    state.counters["p99_draw"] = p99.draw;
    state.counters["p99_scale"] = p99.scale;
    state.counters["p99_transfer"] = p99.transfer;
    state.counters["median_ms"] = median.total();
    state.counters["cpu_pct"] = wall > 0 ? cpu / wall * 100.0 : 0;
    // The window must not keep showing a canvas that is gone.
    platform.present(gGame->surface.canvas());
}
BENCHMARK(BM_PresentedFrame)
    ->Arg(0)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(600);

// The heaviest showing of a battle's frames as the game plays them (the
// same battle as below, with the real frame loop): only what changed is
// scaled and sent, so this is what a battle costs, where the frame above
// is the worst any picture can cost.
CanvasShow::Cost heaviestBattleShowing(const ShowSize& size) {
    showAt(size);
    heavy::buildQuietBattle(gGame->game);
    CanvasShow::Cost worst;
    for (int i = 0; i < 300; ++i) {
        runFrame(gGame->game, gGame->surface);
        const CanvasShow::Cost c = gGame->platform.canvasShow()->lastCost();
        if (i >= 20 && c.scale + c.transfer > worst.scale + worst.transfer) worst = c;
    }
    return worst;
}

// CPU use of a battle (a wave at level 57) running with the real frame loop
// and its waits, shown at each size; in % of one core.
double battleCpu(const ShowSize& size) {
    showAt(size);
    heavy::buildQuietBattle(gGame->game);
    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 300; ++i) runFrame(gGame->game, gGame->surface);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    return (cpuSeconds() - cpu0) / wall * 100.0;
}

// A key storm as the game meets it: in one frame, 60 key presses and their
// releases arrive through the real canvas (far more than any auto-repeat
// sends), and the frame's poll takes one entry. The queue merges and bounds
// them, so this is all the storm costs a frame.
void BM_KeyStormFrame(benchmark::State& state) {
    QtPlatform& platform = gGame->platform;
    QWidget* canvas = platform.canvasWidget();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    for (auto _ : state) {
        for (int i = 0; i < 60; ++i) {
            QCoreApplication::sendEvent(canvas, &press);
            QCoreApplication::sendEvent(canvas, &release);
        }
        benchmark::DoNotOptimize(platform.pollEvent());
    }
    while (platform.pollEvent().code != EventNone) {
    }
}
BENCHMARK(BM_KeyStormFrame)->Unit(benchmark::kMicrosecond);

// ---- The game clock through the real loop ----
// Steps and shown pictures a second over 10 s of the heaviest battle, run
// by the game's own frame loop (runFrame on one game clock) in the real
// window at each size, and the CPU it takes. The game clock holds 60 steps
// a second whatever the showing costs; pictures may drop when it is slow.

// The real platform with its polls (one a step) and its shown pictures
// counted on the way.
class CountingPlatform final : public Platform, public FramePresenter {
public:
    explicit CountingPlatform(QtPlatform& real) : real_(real) {}
    int64_t steps = 0;
    int64_t shown = 0;

    WindowEvent pollEvent() override {
        ++steps;
        return real_.pollEvent();
    }
    void present(const Canvas& canvas) override {
        ++shown;
        real_.present(canvas);
    }
    FramePresenter& framePresenter() override { return *this; }

    void becomeForegroundApp() override { real_.becomeForegroundApp(); }
    void openWindow(const std::string& t, int w, int h) override { real_.openWindow(t, w, h); }
    void buildMenus(const std::vector<MenuSpec>& m) override { real_.buildMenus(m); }
    void hideCursorOverCanvas() override { real_.hideCursorOverCanvas(); }
    void focusCanvas() override { real_.focusCanvas(); }
    void activateApp() override { real_.activateApp(); }
    void closeWindow() override { real_.closeWindow(); }
    void postMenuEvent(MenuId id) override { real_.postMenuEvent(id); }
    int64_t clockMicros() const override { return real_.clockMicros(); }
    void sleepUntilMicros(int64_t deadline) override { real_.sleepUntilMicros(deadline); }
    std::string applicationSupportDir() override { return real_.applicationSupportDir(); }
    std::string executablePath() override { return real_.executablePath(); }
    TextRenderer& textRenderer() override { return real_.textRenderer(); }
    void messageBox(const std::string& t, const std::string& b) override { real_.messageBox(t, b); }
    bool yesNoBox(const std::string& t, const std::string& b) override { return real_.yesNoBox(t, b); }
    std::string textInputBox(const std::string& t, const std::string& m, const std::string& i) override {
        return real_.textInputBox(t, m, i);
    }
    AlertButton aboutAlert(const std::string& m, const std::string& i, const std::string& a,
                           const std::string& b) override {
        return real_.aboutAlert(m, i, a, b);
    }
    bool openWebAddress(const std::string& a) override { return real_.openWebAddress(a); }
    std::string userFullName() override { return real_.userFullName(); }
    int64_t osMajorVersion() override { return real_.osMajorVersion(); }
    std::optional<std::string> cpuBrand() override { return real_.cpuBrand(); }
    std::string platformName() override { return real_.platformName(); }
    std::string formatGrouped(int64_t value) const override { return real_.formatGrouped(value); }

private:
    QtPlatform& real_;
};

struct PacedRun {
    double stepsPerSecond = 0;
    double shownPerSecond = 0;
    double cpuPercent = 0;
    double warheadsInFlight = 0;  // on average over the passes: how heavy it stayed
};

PacedRun pacedBattle(const ShowSize& size, double seconds) {
    showAt(size);
    CountingPlatform counting(gGame->platform);
    SeededRandom random(4242);
    Game battle(counting, gGame->sound, random);
    battle.state.bigFont = gGame->game.state.bigFont;
    battle.state.smallFont = gGame->game.state.smallFont;
    DrawSurface surface(counting.textRenderer(), &counting);
    heavy::buildHeavyBattle(battle);

    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    const auto until = wall0 + std::chrono::duration<double>(seconds);
    GameClock clock(counting.clockMicros());
    double warheads = 0;
    int64_t passes = 0;
    while (std::chrono::steady_clock::now() < until) {
        // The battle thins as warheads land and burst: a fresh heaviest one
        // whenever half of them are gone (a few microseconds).
        if (battle.state.warheads.size() < size_t(heavy::kWarheads / 2) || battle.state.gameOver != 0)
            heavy::buildHeavyBattle(battle);
        warheads += double(battle.state.warheads.size());
        ++passes;
        runFrame(battle, surface, clock);
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    PacedRun run;
    run.stepsPerSecond = double(counting.steps) / wall;
    run.shownPerSecond = double(counting.shown) / wall;
    run.cpuPercent = (cpuSeconds() - cpu0) / wall * 100.0;
    run.warheadsInFlight = passes > 0 ? warheads / double(passes) : 0;
    stopAllSounds(gGame->sound);
    return run;
}

void reportPacedBattles() {
    for (const ShowSize& size : kShowSizes) {
        const PacedRun run = pacedBattle(size, 10.0);
        std::printf(
            "game clock, heaviest battle, %s: %.1f steps/s (target 60), %.1f shown frames/s, CPU %.1f %% of one "
            "core, %.1f warheads in flight on average\n",
            size.name, run.stepsPerSecond, run.shownPerSecond, run.cpuPercent, run.warheadsInFlight);
    }
}
// ---- end of the game clock section ----

}  // namespace

int main(int argc, char** argv) {
    const double cpuAtMain = cpuSeconds();
    char pattern[] = "/tmp/zarvex-bench-XXXXXX";
    if (mkdtemp(pattern)) {
        // Keep the user's Hall of Fame and settings out of it.
        qputenv("XDG_DATA_HOME", pattern);
        qputenv("XDG_CONFIG_HOME", QByteArray(pattern) + "/config");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const QString screens = QString(pattern) + "/screens.json";
        QFile f(screens);
        if (f.open(QIODevice::WriteOnly))
            f.write(R"({"screens": [{"name": "Wide", "x": 0, "y": 0, "width": 2560, "height": 1440, "dpr": 1}]})");
        f.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).toUtf8());
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    // Start-up to the first drawn frame: the frame of the frame loop up to
    // the moment its picture is on the screen (before its sleep).
    auto real = std::make_unique<RealGame>();
    {
        const FrameResult first = playFrame(real->game, real->platform.pollEvent());
        drawFrame(real->game.state, first.picture, real->platform, real->surface);
    }
    const double startupMs = msSinceProcessStart();
    const double startupCpuMs = cpuSeconds() * 1000.0;
    const double mainCpuMs = (cpuSeconds() - cpuAtMain) * 1000.0;
    // Then what it opened after that frame (the sound device, the
    // controllers), in the next frame.
    const auto second = std::chrono::steady_clock::now();
    {
        const FrameResult next = playFrame(real->game, real->platform.pollEvent());
        drawFrame(real->game.state, next.picture, real->platform, real->surface);
    }
    const double openedAfterMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - second).count();

    const auto printStartUp = [&] {
        std::printf("start-up to the first drawn frame: %.0f ms (target at most 80); CPU %.0f ms, %.0f ms of it "
                    "from main on\n",
                    startupMs, startupCpuMs, mainCpuMs);
        std::printf("the next frame, which opens the sound device and the controllers: %.1f ms\n", openedAfterMs);
    };
    if (argc > 1 && std::string(argv[1]) == "--startup-only") {
        printStartUp();
        return 0;
    }

    // Idling on the title screen with the real loop and its waits.
    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 300; ++i) runFrame(real->game, real->surface);
    const double idleWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double idleCpu = (cpuSeconds() - cpu0) / idleWall * 100.0;

    gGame = real.get();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::vector<double> battle;
    for (const ShowSize& size : kShowSizes) battle.push_back(battleCpu(size));

    printStartUp();
    std::printf("CPU while idling on the title screen: %.1f %% of one core (target at most 10)\n", idleCpu);
    std::printf("peak memory: %.1f MB (target at most 120)\n", peakMegabytes());
    for (size_t i = 0; i < battle.size(); ++i)
        std::printf("CPU while a battle runs, %s: %.1f %% of one core\n", kShowSizes[i].name, battle[i]);
    for (const ShowSize& size : kShowSizes) {
        const CanvasShow::Cost c = heaviestBattleShowing(size);
        std::printf("heaviest showing of a battle frame, %s: %.2f ms (scale %.2f, transfer %.2f)\n", size.name,
                    c.scale + c.transfer, c.scale, c.transfer);
    }
    reportPacedBattles();
    gGame = nullptr;
    real.reset();
    return 0;
}
