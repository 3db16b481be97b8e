// zarvex_snapshot OUTPUT_FOLDER
//
// Draws a set of hand-made game states with the game's own drawing code and
// Qt's text rendering, one frame each, and saves every picture as a PNG in
// OUTPUT_FOLDER. Runs headless (it picks Qt's offscreen platform unless
// another one is asked for).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Scene.h"
#include "ScriptedPlatform.h"
#include "ScriptedRandom.h"
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

using scene::addEntry;
using scene::addInterceptor;
using scene::addWarhead;

struct Fonts {
    FontHandle big = 0;
    FontHandle small = 0;
};

// Everything one picture needs; a fresh one per picture.
struct Scene {
    explicit Scene(uint64_t seed) : seeded(seed), game(platform, sound, random) {
        random.setFallback(&seeded);
        setInitialValues(game.state);
        platform.now = 123456;
        game.state.mouseX = -1;  // no crosshair unless the scene aims
    }
    ScriptedPlatform platform;
    SoundRecorder sound;
    SeededRandom seeded;
    ScriptedRandom random;  // seeded draws, unless a scene scripts some
    Game game;
};

// Blasts as the snapshot shows them: growing while fully opaque, fading
// otherwise.
void addBlast(GameState& gs, float x, float y, float radius, int64_t r, int64_t g, int64_t b, int64_t alpha) {
    scene::addExplosion(gs, x, y, radius, r, g, b, alpha >= 255, alpha);
}

// A wave in full swing: every kind of warhead, interceptors on their way,
// bursts growing and fading, a repaired city and launchers in every state
// of supply.
void battle(Game& game) {
    GameState& gs = game.state;
    gs.inGame = 1;
    gs.level = 12;
    gs.score = 23450;
    newBoard(game);
    setupWave(game, gs.level);
    gs.intermission = 0;

    const int64_t ammo[6] = {12, 5, 2, 0, 7, 9};
    for (size_t i = 0; i < gs.sites.size(); ++i) gs.sites[i].ammo = ammo[i];
    gs.sites[3].alive = 0;         // a fallen city
    gs.sites[4].repairTimer = 150;  // a city just rebuilt

    // ICBMs and a MIRV about to split.
    addWarhead(gs, 90, 0, 260, 330);
    addWarhead(gs, 700, 0, 610, 250);
    Warhead& mirv = addWarhead(gs, 1180, 0, 1050, 170);
    mirv.splitY = 200;
    // Fragments fanning out from a split at (420, 160).
    for (float dx : {-70.0f, -10.0f, 55.0f}) {
        Warhead& f = addWarhead(gs, 420, 160, 420 + dx, 300);
        f.fragment = 1;
    }
    // SEEKERS heading for the best-stocked site.
    Warhead& s1 = addWarhead(gs, 300, 0, 240, 420);
    s1.seeker = 1;
    Warhead& s2 = addWarhead(gs, 1240, 0, 1150, 380);
    s2.seeker = 1;
    // ZIG-ZAGERS.
    Warhead& z1 = addWarhead(gs, 820, 0, 860, 300);
    z1.zigzag = 1;
    Warhead& z2 = addWarhead(gs, 960, 0, 930, 460);
    z2.zigzag = 1;
    // THROBBERS, one swollen, one shrunk; their alarm reddens the sky.
    Warhead& t1 = addWarhead(gs, 560, 0, 540, 380);
    t1.evasive = 1;
    t1.pulse = 1.6f;
    Warhead& t2 = addWarhead(gs, 1000, 0, 1010, 220);
    t2.evasive = 1;
    t2.pulse = 0.2f;
    gs.alarmPhase = 1.3f;

    addInterceptor(gs, 364, 330, 520);
    addInterceptor(gs, 546, 600, 430);
    addInterceptor(gs, 1092, 1070, 600);

    addBlast(gs, 700, 330, 37, 255, 160, 0, 255);   // growing interceptor bursts
    addBlast(gs, 150, 470, 25, 255, 200, 0, 255);
    addBlast(gs, 420, 160, 43, 255, 255, 100, 140);  // the split flash, fading
    addBlast(gs, 900, 520, 61, 255, 140, 0, 90);     // a burst fading out
    addBlast(gs, 910, 718, 91, 0, 255, 0, 60);       // the repair flash's last glow

    gs.mouseX = 760;
    gs.mouseY = 380;
}

bool save(const DrawSurface& surface, const QString& folder, const std::string& name) {
    const Canvas& c = surface.canvas();
    const QImage image(reinterpret_cast<const uchar*>(c.pixels), c.width, c.height,
                       static_cast<qsizetype>(c.stride) * 4, QImage::Format_RGB32);
    const QString path = QDir(folder).filePath(QString::fromStdString(name + ".png"));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "zarvex_snapshot: cannot write %s\n", path.toLocal8Bit().constData());
        return false;
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argc > 0 ? argv[0] : "zarvex_snapshot");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "zarvex_snapshot: cannot create %s\n", argv[1]);
        return 1;
    }

    QtTextRenderer text;
    DrawSurface surface(text);
    Fonts fonts;
    fonts.big = surface.loadFont(".AppleSystemUIFont", 104, FontBold);
    fonts.small = surface.loadFont(".AppleSystemUIFont", 16, 0);

    struct Shot {
        const char* name;
        std::function<void(Scene&)> setUp;
    };
    const std::vector<Shot> shots = {
        {"title", [](Scene& s) {
             addEntry(s.game.state, "Ada Lovelace", 148250);
             addEntry(s.game.state, "Grace", 9000);
             s.game.state.titlePhase = 0.95f;
         }},
        {"title_empty", [](Scene& s) { s.game.state.titlePhase = 3.5f; }},
        {"intel", [](Scene& s) { s.game.state.intelShown = 1; }},
        {"sector_1", [](Scene& s) {
             s.game.state.inGame = 1;
             newBoard(s.game);
             setupWave(s.game, 1);
         }},
        {"sector_2", [](Scene& s) {
             s.game.state.inGame = 1;
             s.game.state.level = 2;
             s.game.state.lastBonus = 3600;
             newBoard(s.game);
             setupWave(s.game, 2);
         }},
        {"battle", [](Scene& s) { battle(s.game); }},
        {"shake_static", [](Scene& s) {
             battle(s.game);
             s.game.state.shakeTimer = 30;
             s.game.state.staticTimer = 30;
             // Shake (+6, -5), the static's jolt (+8, +2), nine grey bands,
             // then the draw that brings the light streaks (those come
             // from the seeded generator).
             s.random.push({14, 3, 20, 10});
             s.random.push({120, 3, 90, 260, 1, 160, 300, 5, 70, 410, 2, 200, 455, 1, 120,
                            530, 4, 60, 610, 2, 180, 690, 3, 100, 740, 1, 150});
             s.random.push(9);
         }},
        {"game_over", [](Scene& s) {
             battle(s.game);
             GameState& gs = s.game.state;
             for (size_t i = 0; i < gs.sites.size(); ++i) gs.sites[i].alive = 0;
             gs.gameOver = 1;
             addBlast(gs, 640, 384, 1603, 255, 255, 255, 70);  // the flash, fading
         }},
        {"paused", [](Scene& s) {
             battle(s.game);
             s.game.state.paused = 1;
         }},
        {"game_over_paused", [](Scene& s) {
             battle(s.game);
             s.game.state.gameOver = 1;
             s.game.state.paused = 1;
         }},
    };

    int failures = 0;
    uint64_t seed = 20240601;
    for (const Shot& shot : shots) {
        Scene scene(seed++);
        scene.game.state.bigFont = fonts.big;
        scene.game.state.smallFont = fonts.small;
        shot.setUp(scene);
        const FramePicture picture = tickFrame(scene.game);
        drawFrame(scene.game.state, picture, scene.platform, surface);
        if (!save(surface, folder, shot.name)) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
