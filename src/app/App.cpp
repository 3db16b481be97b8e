#include "app/App.h"

#include "app/Recorder.h"
#include "app/Replayer.h"
#include "battle/Field.h"
#include "core/Game.h"
#include "records/HighScoreFile.h"
#include "records/HighScores.h"
#include "records/ReplayFiles.h"
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
    gs.highScorePath = highScorePathIn(dataFolder);
    const std::string exe = platform.executablePath();
    gs.resourceDir = resourceDirFor(exe);
    setInitialValues(gs);

    gs.bigFont = surface.loadFont(kSystemUiFontFamily, 104, FontBold);
    gs.smallFont = surface.loadFont(kSystemUiFontFamily, 16, 0);

    // A sound that cannot be had is simply silent; start-up goes on.
    game.sound.initSound();
    for (SoundId slot : kSoundLoadOrder) game.sound.loadSound(slot, gs.resourceDir + kSoundFiles[slot]);

    // Temporary files of saves killed half-way in an earlier run go before
    // the table is read; the replays' folder is tidied the same way (and
    // moved into the game's own folder from where an earlier build kept it).
    removeStaleTemporaryFiles(gs.highScorePath);
    tidyReplayFolders(gs.highScorePath);
    loadHighScores(game);

    platform.activateApp();
    platform.openWindow(kWindowTitle, int(field::kWidth), int(field::kHeight));
    platform.buildMenus(menuBar(executableName(exe)));
    platform.hideCursorOverCanvas();
    platform.focusCanvas();
}

FrameResult takeStep(Game& game, DrawSurface& surface) {
    const WindowEvent event = game.platform.pollEvent();
    FrameResult step = playFrame(game, event);
    if (step.end == FrameEnd::Quit) return step;
    // Watching a replay is modal, like a dialog: the step goes on after it.
    if (event.code == EventMenu && event.menuId == MenuWatchBestGame && game.state.inGame == 0) {
        const WatchEnd watched =
            watchReplayFile(game, surface, replayPath(game.state.highScorePath, ReplayKind::Best));
        if (watched == WatchEnd::Quit) step.end = FrameEnd::Quit;
        if (watched == WatchEnd::Close) step.end = FrameEnd::Close;
    }
    return step;
}

FrameEnd runFrame(Game& game, DrawSurface& surface, GameClock& clock) {
    Platform& platform = game.platform;
    int due = 0;
    while ((due = clock.takeDueSteps(platform.clockMicros())) == 0) platform.sleepUntilMicros(clock.nextDeadline());

    FrameResult step;
    for (int i = 0; i < due; ++i) {
        const int64_t began = platform.clockMicros();
        step = takeStep(game, surface);
        if (step.end == FrameEnd::Quit) return FrameEnd::Quit;
        if (step.end == FrameEnd::Close) break;
        // A step that took longer than a whole catch-up waited on a modal
        // box or a watched replay: the game goes on from the present, with
        // this step's picture, and owes nothing for the wait.
        const int64_t ended = platform.clockMicros();
        if (ended - began > kMaxStepsPerPicture * kStepMicros) {
            clock.restart(ended);
            break;
        }
    }
    // Drawing reads the state and changes nothing, so the steps taken
    // without a picture lose nothing but the picture.
    drawFrame(game.state, step.picture, platform, surface);
    platform.sleepUntilMicros(clock.nextDeadline());
    return step.end;
}

FrameEnd runFrame(Game& game, DrawSurface& surface) {
    GameClock clock(game.platform.clockMicros());
    return runFrame(game, surface, clock);
}

void frameLoop(Game& game, DrawSurface& surface) {
    GameClock clock(game.platform.clockMicros());
    while (runFrame(game, surface, clock) == FrameEnd::Continue) {
    }
}

void shutDown(Game& game) {
    // A game still on when the program ends ends with it (unrecorded in the
    // Hall of Fame).
    if (game.state.inGame != 0) noteGameEnding(game);
    stopAllSounds(game.sound);
    game.platform.closeWindow();
}

int runGame(Platform& platform, SoundOutput& sound, RandomSource& random, const std::string& replayToWatch) {
    RecordingPlatform recording(platform);
    Game game(recording, sound, random);
    GameRecorder recorder(game);
    recording.setRecorder(&recorder);
    DrawSurface surface(platform.textRenderer(), &platform.framePresenter());
    startUp(game, surface);
    WatchEnd watched = WatchEnd::Played;
    if (!replayToWatch.empty()) watched = watchReplayFile(game, surface, replayToWatch);
    if (watched != WatchEnd::Close && watched != WatchEnd::Quit) frameLoop(game, surface);
    shutDown(game);
    return 0;
}
