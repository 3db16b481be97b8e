#include "app/App.h"

#include "app/Dispatch.h"
#include "app/Tick.h"
#include "battle/Field.h"
#include "battle/Simulation.h"
#include "core/Game.h"
#include "core/Screen.h"
#include "records/HighScoreFile.h"
#include "records/HighScores.h"
#include "render/DrawSurface.h"
#include "render/Frame.h"
#include "ui/Menus.h"

std::string withTrailingSlash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') return folder;
    return folder + "/";
}

std::string resourceDirFor(const std::string& executablePath) {
    const auto slash = executablePath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
    return folder + kResourceFolder;
}

std::string executableName(const std::string& executablePath) {
    const auto slash = executablePath.rfind('/');
    return slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
}

void startUp(Game& game, DrawSurface& surface) {
    Platform& platform = game.platform;
    GameState& gs = game.state;

    platform.becomeForegroundApp();
    // The five lists start empty; the board is built by the first game.
    // Without a data folder (no home folder at all) the path stays empty:
    // the game runs and keeps its table in memory, writing nothing anywhere.
    const std::string dataFolder = platform.applicationSupportDir();
    gs.highScorePath = dataFolder.empty() ? std::string() : withTrailingSlash(dataFolder) + kHighScoreFileName;
    const std::string exe = platform.executablePath();
    gs.resourceDir = resourceDirFor(exe);
    setInitialValues(gs);

    gs.bigFont = surface.loadFont(kSystemUiFontFamily, 104, FontBold);
    gs.smallFont = surface.loadFont(kSystemUiFontFamily, 16, 0);

    // A sound that cannot be had is simply silent; start-up goes on.
    game.sound.initSound();
    for (SoundId slot : kSoundLoadOrder) game.sound.loadSound(slot, gs.resourceDir + kSoundFiles[slot]);

    // Temporary files of saves killed half-way in an earlier run go before
    // the table is read.
    removeStaleTemporaryFiles(gs.highScorePath);
    loadHighScores(game);

    platform.activateApp();
    platform.openWindow(kWindowTitle, int(field::kWidth), int(field::kHeight));
    platform.buildMenus(menuBar(executableName(exe)));
    platform.hideCursorOverCanvas();
    platform.focusCanvas();
}

FrameEnd runFrame(Game& game, DrawSurface& surface) {
    GameState& gs = game.state;
    const WindowEvent event = game.platform.pollEvent();
    gs.event = event.code;
    if (!dispatchEvent(game, event)) return FrameEnd::Quit;

    if (battleRuns(gs)) simulationStep(game);
    const FramePicture picture = tickFrame(game);
    drawFrame(gs, picture, game.platform, surface);
    game.platform.sleepMs(kFrameSleepMs);
    return event.code == EventClose ? FrameEnd::Close : FrameEnd::Continue;
}

void frameLoop(Game& game, DrawSurface& surface) {
    while (runFrame(game, surface) == FrameEnd::Continue) {
    }
}

void shutDown(Game& game) {
    for (int64_t slot = 0; slot < kSoundSlots; ++slot) game.sound.stopSound(SoundId(slot));
    game.platform.closeWindow();
}

int runGame(Platform& platform, SoundOutput& sound, RandomSource& random) {
    Game game(platform, sound, random);
    DrawSurface surface(platform.textRenderer(), &platform.framePresenter());
    startUp(game, surface);
    frameLoop(game, surface);
    shutDown(game);
    return 0;
}
