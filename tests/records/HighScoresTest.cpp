// The Hall of Fame as the game uses it: file, dialogs and sounds.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "ScriptedPlatform.h"
#include "ScriptedRandom.h"
#include "SoundRecorder.h"
#include "records/HighScoreFile.h"
#include "records/HighScores.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// Sound calls go to the recorder and, in order with the dialogs, to the
// platform's log.
struct LoggedSound final : SoundOutput {
    SoundRecorder& rec;
    ScriptedPlatform& p;
    LoggedSound(SoundRecorder& r, ScriptedPlatform& pl) : rec(r), p(pl) {}
    bool initSound() override { return rec.initSound(); }
    bool loadSound(SoundId s, const std::string& f) override { return rec.loadSound(s, f); }
    bool isSoundLoaded(SoundId s) const override { return rec.isSoundLoaded(s); }
    void playSound(SoundId s, PlayFlags f, int64_t v) override {
        p.log.push_back("play:" + std::to_string(s) + "," + std::to_string(f) + "," + std::to_string(v));
        rec.playSound(s, f, v);
    }
    void stopSound(SoundId s) override { p.log.push_back("stop:" + std::to_string(s)); rec.stopSound(s); }
    void setSoundPan(SoundId s, int64_t pan) override { rec.setSoundPan(s, pan); }
    int64_t soundStatus(SoundId s) const override { return rec.soundStatus(s); }
};

std::string tenEntriesDownTo5000() {
    std::vector<ScoreEntry> t;
    for (int i = 0; i < 10; ++i) t.push_back({"P" + std::to_string(i), 9000 - 400 * i - (i == 9 ? 400 : 0)});
    return serializeHighScores(t);
}

class HighScores : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = ::testing::TempDir() + "zvx-hs-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        game.state.highScorePath = (dir / "zvx_highscores.dat").string();
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    void write(const std::string& bytes) { std::ofstream(path(), std::ios::binary) << bytes; }
    std::string read() const {
        std::ifstream in(path(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string path() const { return game.state.highScorePath; }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        game.state.highScores.forEach([&](const ScoreEntry& e) { out.push_back(e.name); });
        return out;
    }
    void record(int64_t score, const std::string& answer) {
        platform.textAnswers = {answer};
        game.state.score = score;
        recordHighScore(game);
    }
    // No file but the high-score file is left in the folder.
    size_t filesInFolder() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }

    fs::path dir;
    ScriptedPlatform platform;
    SoundRecorder recorder;
    LoggedSound sound{recorder, platform};
    ScriptedRandom random;
    Game game{platform, sound, random};
};

TEST_F(HighScores, FirstGameQualifiesWithZeroAndWritesTheFile) {
    loadHighScores(game);
    EXPECT_TRUE(game.state.highScores.empty());
    platform.fullName = "Ada Lovelace";
    record(0, "ACE");
    EXPECT_EQ(platform.log, (std::vector<std::string>{
        "play:12,0,-1", "activateApp", "textInputBox:HIGH SCORE UNLOCKED!|Enter name for posterity:|Ada Lovelace"}));
    EXPECT_EQ(read(), serializeHighScores({{"ACE", 0}}));
    record(700, "ACE");
    record(90, "BOB");
    EXPECT_EQ(read(), serializeHighScores({{"ACE", 700}, {"BOB", 90}, {"ACE", 0}}));
    EXPECT_EQ(filesInFolder(), 1u);  // no temporary file left behind
}

TEST_F(HighScores, QualificationNeedsMoreThanTheTenth) {
    write(tenEntriesDownTo5000());
    record(5000, "LOW");
    EXPECT_TRUE(platform.log.empty());
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(read(), tenEntriesDownTo5000());
    record(5001, "NEW");
    ASSERT_EQ(game.state.highScores.size(), 10u);
    EXPECT_EQ(game.state.highScores[9].name, "NEW");
    const auto onDisk = parseHighScores(read());
    ASSERT_EQ(onDisk.size(), 10u);
    EXPECT_EQ(onDisk[9].score, 5001);
}

// A hand-made file of more than ten keeps its best ten: a score between the
// tenth and the twelfth does not qualify (it would come eleventh and be
// dropped after the name was typed), one above the tenth is kept.
TEST_F(HighScores, SameScoreGoesBelowAndOversizedFilesKeepTheirBestTen) {
    std::vector<ScoreEntry> twelve;
    for (int i = 0; i < 12; ++i) twelve.push_back({"F" + std::to_string(i), 1200 - 100 * i});
    write(serializeHighScores(twelve));
    loadHighScores(game);
    EXPECT_EQ(game.state.highScores.size(), 10u);
    record(250, "ELEVENTH");  // above the file's lowest (100), below the tenth (300)
    EXPECT_TRUE(platform.log.empty());
    record(301, "TENTH");
    const auto disk = parseHighScores(read());
    ASSERT_EQ(disk.size(), 10u);
    EXPECT_EQ(disk[8].name, "F8");
    EXPECT_EQ(disk[9].name, "TENTH");

    fs::remove(path());
    record(300, "FIRST");
    record(300, "SECOND");
    EXPECT_EQ(names(), (std::vector<std::string>{"FIRST", "SECOND"}));
}

TEST_F(HighScores, EnteredNamesAreCutCleanedAndKeptInUtf8) {
    record(10, std::string(40, 'W'));
    record(20, "Zoë Ærøskøbing 日本");
    record(30, "two\nlines");
    loadHighScores(game);
    EXPECT_EQ(names(), (std::vector<std::string>{"two lines", "Zoë Ærøskøbing 日本", std::string(32, 'W')}));
    platform.fullName = "Bad \xFF name";  // not UTF-8: no default offered
    record(40, "");
    EXPECT_EQ(platform.log.back(), "textInputBox:HIGH SCORE UNLOCKED!|Enter name for posterity:|");
}

TEST_F(HighScores, EmptyAnswerStoresNothingAndLeavesTheFileAlone) {
    write("ACE\n\xBC\x02\0\0\0\0\0\0"s);
    const auto before = fs::last_write_time(path());
    record(800, "");
    EXPECT_EQ(recorder.playsOf(SoundHighScore).size(), 1u);
    EXPECT_EQ(read(), "ACE\n\xBC\x02\0\0\0\0\0\0"s);
    EXPECT_EQ(fs::last_write_time(path()), before);
    EXPECT_EQ(names(), (std::vector<std::string>{"ACE"}));
}

TEST_F(HighScores, FailedSaveKeepsTheOldFileAndTheEntryInMemory) {
    const std::string old = tenEntriesDownTo5000();
    write(old);
    // A full disk: writes beyond 16 bytes fail.
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &small);
    record(9999, "DISKFULL");
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(read(), old);
    EXPECT_EQ(names().front(), "DISKFULL");
    EXPECT_EQ(filesInFolder(), 1u);
    // The player is told once, after the name entry, and the game goes on.
    EXPECT_EQ(platform.log, (std::vector<std::string>{
        "play:12,0,-1", "activateApp", "textInputBox:HIGH SCORE UNLOCKED!|Enter name for posterity:|Test Player",
        "activateApp", "messageBox:Score Not Saved|Your score could not be saved to " + path() + ": File too large"}));
    loadHighScores(game);
    EXPECT_EQ(names().front(), "P0");

    // A directory in the file's place is neither read nor replaced.
    fs::remove(path());
    fs::create_directory(path());
    platform.log.clear();
    record(5, "DIR");
    EXPECT_TRUE(fs::is_directory(path()));
    EXPECT_EQ(names(), (std::vector<std::string>{"DIR"}));
    EXPECT_EQ(filesInFolder(), 1u);
    EXPECT_EQ(platform.logged("messageBox:"), (std::vector<std::string>{
        "messageBox:Score Not Saved|Your score could not be saved to " + path() + ": Is a directory"}));

    // Through a link, the box names the link, the path the player knows.
    fs::remove(path());
    fs::create_directory(dir / "target");
    fs::create_symlink(dir / "target", path());
    platform.log.clear();
    record(6, "LINK");
    EXPECT_EQ(platform.logged("messageBox:"), (std::vector<std::string>{
        "messageBox:Score Not Saved|Your score could not be saved to " + path() + ": Is a directory"}));
}

// Without a home folder the game has no data folder: the path is empty, the
// entry lives in memory, nothing is written anywhere, and the player is told.
TEST_F(HighScores, NoDataFolderSavesNothingAndSaysSo) {
    game.state.highScorePath.clear();
    const fs::path before = fs::current_path();
    fs::current_path(dir);  // where a relative path would land
    record(300, "ACE");
    record(200, "BOB");
    fs::current_path(before);
    EXPECT_EQ(filesInFolder(), 0u);
    EXPECT_EQ(names(), (std::vector<std::string>{"BOB"}));  // each record starts from the empty table
    EXPECT_EQ(platform.logged("messageBox:"),
              std::vector<std::string>(2, "messageBox:Score Not Saved|Your score could not be saved to "
                                          "zvx_highscores.dat: no home folder"));
    showHallOfFame(game);
    EXPECT_EQ(game.state.hallText, "Top High Scores:\n\r");
}

TEST_F(HighScores, UnwritableFolderOrFileKeepsTheOldFile) {
    const std::string old = "OLD\n\x01\0\0\0\0\0\0\0"s;
    write(old);
    if (geteuid() != 0) {
        // Neither the folder nor the file writable (a writable file in a
        // read-only folder is rewritten in place).
        fs::permissions(path(), fs::perms::owner_read);
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        record(50, "NEW");
        EXPECT_EQ(read(), old);
        fs::permissions(dir, fs::perms::owner_all);
        fs::permissions(path(), fs::perms::owner_read);
        record(60, "NEWER");
        EXPECT_EQ(read(), old);
        EXPECT_EQ(platform.logged("messageBox:"),
                  std::vector<std::string>(2, "messageBox:Score Not Saved|Your score could not be saved to " +
                                                  path() + ": Permission denied"));
        return;
    }
    // As root file modes do not stop a write: try as an ordinary user, who
    // may read the folder and the file but write neither.
    fs::permissions(dir, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(path(), fs::perms::owner_read | fs::perms::others_read);
    EXPECT_EXIT(
        {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
            record(50, "NEW");
            const std::string box = "messageBox:Score Not Saved|Your score could not be saved to " + path() +
                                    ": Permission denied";
            _exit(read() == old && names().front() == "NEW" && platform.logged("messageBox:") ==
                  std::vector<std::string>{box} ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(HighScores, ReadingIsBoundedForHugeFiles) {
    // 4 GiB of NUL bytes (sparse): each 9 bytes would be one entry.
    { std::ofstream(path()).flush(); }
    fs::resize_file(path(), 4ull << 30);
    const auto start = std::chrono::steady_clock::now();
    loadHighScores(game);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_LE(game.state.highScores.size(), kMaxHighScoreFileBytes / 9 + 1);
    // One "name" of 8 MiB.
    write(std::string(8 << 20, 'n') + "\n" + std::string(8, '\0'));
    loadHighScores(game);
    ASSERT_EQ(game.state.highScores.size(), 1u);
    EXPECT_EQ(game.state.highScores[0].name.size(), kMaxStoredNameBytes);
}

TEST_F(HighScores, HallOfFameTextSoundsAndDialogOrder) {
    write(serializeHighScores({{"ACE", 12000}, {"BOB", 90}}));
    recorder.playing[SoundTitle] = true;
    showHallOfFame(game);
    EXPECT_EQ(game.state.hallText, "Top High Scores:\n\rACE - 12,000\nBOB - 90\n");
    EXPECT_EQ(platform.log, (std::vector<std::string>{
        "stop:0", "play:14,0,-1", "activateApp",
        "messageBox:ZARVEX Hall of Fame|Top High Scores:\n\rACE - 12,000\nBOB - 90\n\n", "play:0,0,-1",
        "activateApp"}));

    fs::remove(path());
    platform.log.clear();
    recorder.finish(SoundTitle);
    showHallOfFame(game);  // title music not playing: nothing to stop
    EXPECT_EQ(platform.log.at(0), "play:14,0,-1");
    EXPECT_EQ(platform.logged("messageBox:").at(0), "messageBox:ZARVEX Hall of Fame|Top High Scores:\n\r\n");

    platform.log.clear();
    game.state.inGame = 1;
    showHallOfFame(game);
    EXPECT_TRUE(platform.log.empty());
}

TEST_F(HighScores, ClearAsksAndDeletesOnlyOnYes) {
    write(serializeHighScores({{"ACE", 700}}));
    loadHighScores(game);
    const auto before = fs::last_write_time(path());
    clearHighScores(game);  // No
    EXPECT_EQ(platform.log, (std::vector<std::string>{"activateApp", "yesNoBox:Confirm|Delete High Scores?"}));
    EXPECT_EQ(read(), serializeHighScores({{"ACE", 700}}));
    EXPECT_EQ(fs::last_write_time(path()), before);
    EXPECT_EQ(game.state.highScores.size(), 1u);

    platform.yesNoAnswers = {true, true};
    game.state.inGame = 1;  // also during a game
    clearHighScores(game);
    EXPECT_FALSE(fs::exists(path()));
    EXPECT_TRUE(game.state.highScores.empty());
    clearHighScores(game);  // no file: no error
    EXPECT_TRUE(recorder.calls.empty());
}

}  // namespace
