// The high-score file on a real file system: links, unwritable places,
// leftovers of killed saves, and the read limit.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "records/HighScoreFile.h"
#include "records/HighScores.h"
#include "records/Replay.h"
#include "records/ReplayFiles.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

constexpr uid_t kNobody = 65534;

void put(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }
std::string get(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.insert(e.path().filename().string());
    return out;
}
ino_t inodeOf(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Failures found by a check that may run in another process, one per line.
struct Failures {
    std::string text;
    void expect(bool ok, const std::string& what) {
        if (!ok) text += what + "\n";
    }
};

// File modes do not bind root. When the tests run as root, `check` runs in a
// child process that has become "nobody"; otherwise it runs here. Returns
// what it found wrong, or "SKIP" when nobody cannot reach the test folder.
std::string asOrdinaryUser(const fs::path& folder, const std::function<std::string()>& check) {
    if (::geteuid() != 0) return check();
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "no pipe\n";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string out = "cannot become nobody\n";
        if (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0)
            out = ::access(folder.c_str(), X_OK) == 0 ? check() : "SKIP";
        if (::write(pipeFds[1], out.data(), out.size()) < 0) _exit(3);
        _exit(0);
    }
    ::close(pipeFds[1]);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out += "the check as nobody did not finish\n";
    return out;
}

// Hands a file or folder to whoever asOrdinaryUser runs as.
void giveToUser(const fs::path& p) {
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(p.c_str(), kNobody, kNobody), 0);
    }
}

// Runs `work` in a child (as nobody when we are root) that is killed right
// after its `n`-th system call, which for a file is as good as any moment.
// False when it was killed, true when it finished first.
bool finishesBeforeKill(int n, const std::function<void()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            _exit(3);
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::raise(SIGSTOP);
        work();
        _exit(0);
    }
    int status = 0, stops = 0;  // each call stops on its way in and out
    ::waitpid(child, &status, 0);
    ::ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    for (;;) {
        ::ptrace(PTRACE_SYSCALL, child, nullptr, nullptr);
        if (::waitpid(child, &status, 0) != child || WIFEXITED(status) || WIFSIGNALED(status)) return true;
        if (WSTOPSIG(status) == (SIGTRAP | 0x80) && ++stops == 2 * n) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
    }
}

pid_t deadProcessId() {
    const pid_t pid = ::fork();
    if (pid == 0) _exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

class HighScoreFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = ::testing::TempDir() + "zvx-file-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        fs::permissions(dir, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    }
    void TearDown() override {
        for (const auto& e : fs::recursive_directory_iterator(dir))
            if (fs::is_directory(e.symlink_status())) fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    fs::path dir;
    const std::string kOld = serializeHighScores({{"OLD", 1}});
    const std::string kNew = serializeHighScores({{"NEW", 2}});
};

TEST_F(HighScoreFile, SavesGoThroughLinksWhichStayLinks) {
    fs::create_directories(dir / "sync");
    fs::create_directories(dir / "data" / "sub");
    const fs::path target = dir / "sync" / "scores.dat";
    put(target, kOld);
    const fs::path link = dir / "data" / "zvx_highscores.dat";
    fs::create_symlink(target, link);

    const HighScoreFileResult saved = replaceHighScoreFile(link, kNew);
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(saved.path, link.string());  // the name the player knows
    EXPECT_EQ(saved.target, target.string());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(get(target), kNew);
    EXPECT_EQ(readHighScoreFile(link), kNew);
    EXPECT_EQ(namesIn(dir / "sync"), (std::set<std::string>{"scores.dat"}));  // nothing left beside it

    // A relative chain: data/chain -> sub/hop -> ../../sync/later.dat (each
    // counted from its own folder), whose target does not exist yet.
    fs::create_symlink("sub/hop", dir / "data" / "chain");
    fs::create_symlink("../../sync/later.dat", dir / "data" / "sub" / "hop");
    EXPECT_TRUE(replaceHighScoreFile(dir / "data" / "chain", kNew));
    EXPECT_EQ(get(dir / "sync" / "later.dat"), kNew);
    EXPECT_TRUE(fs::is_symlink(dir / "data" / "chain"));
    EXPECT_TRUE(fs::is_symlink(dir / "data" / "sub" / "hop"));

    // Clearing deletes the target, not the link; the next save brings the
    // target back through the dangling link.
    EXPECT_TRUE(deleteHighScoreFile(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(readHighScoreFile(link), "");
    EXPECT_TRUE(replaceHighScoreFile(link, kOld));
    EXPECT_EQ(get(target), kOld);
    EXPECT_TRUE(fs::is_symlink(link));

    // A loop is a failure with its reason, and nothing is created.
    fs::create_symlink("loop-b", dir / "data" / "loop-a");
    fs::create_symlink("loop-a", dir / "data" / "loop-b");
    const auto before = namesIn(dir / "data");
    const HighScoreFileResult looped = replaceHighScoreFile(dir / "data" / "loop-a", kNew);
    EXPECT_FALSE(looped.ok);
    EXPECT_EQ(looped.error, ELOOP);
    EXPECT_EQ(looped.reason, "Too many levels of symbolic links");
    EXPECT_EQ(namesIn(dir / "data"), before);
}

TEST_F(HighScoreFile, DirectoryInTheWayIsReportedAndLeftAlone) {
    const fs::path path = dir / "zvx_highscores.dat";
    fs::create_directory(path);
    const HighScoreFileResult r = replaceHighScoreFile(path, kNew);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.path, path.string());
    EXPECT_EQ(r.reason, "Is a directory");
    EXPECT_FALSE(deleteHighScoreFile(path));
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(namesIn(dir).size(), 1u);
}

// A read-only folder with a writable file is rewritten in place; what cannot
// be written at all fails with its reason and keeps the old table.
TEST_F(HighScoreFile, UnwritablePlacesFallBackInPlaceOrSayWhy) {
    const fs::path ro = dir / "ro", rw = dir / "rw";
    fs::create_directories(ro / "empty");
    fs::create_directories(rw);
    put(ro / "hs.dat", kOld);
    put(ro / "clear.dat", kOld);
    put(rw / "locked.dat", kOld);
    for (const fs::path& p : {ro / "hs.dat", ro / "clear.dat", rw, rw / "locked.dat"}) giveToUser(p);
    fs::permissions(rw / "locked.dat", fs::perms::owner_read | fs::perms::others_read);
    const auto readOnlyFolder = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                fs::perms::others_exec;
    fs::permissions(ro / "empty", readOnlyFolder);
    fs::permissions(ro, readOnlyFolder);
    const ino_t inode = inodeOf(ro / "hs.dat");

    const std::string found = asOrdinaryUser(dir, [&] {
        Failures f;
        const HighScoreFileResult inPlace = replaceHighScoreFile(ro / "hs.dat", kNew);
        f.expect(inPlace.ok, "in-place save failed: " + inPlace.reason);
        f.expect(get(ro / "hs.dat") == kNew, "in-place save did not write the new table");
        f.expect(replaceHighScoreFile(ro / "hs.dat", "").ok && get(ro / "hs.dat").empty(), "not cut to length");
        f.expect(deleteHighScoreFile(ro / "clear.dat").ok && get(ro / "clear.dat").empty(), "clear did not empty");

        const HighScoreFileResult locked = replaceHighScoreFile(rw / "locked.dat", kNew);
        f.expect(!locked && locked.reason == "Permission denied", "read-only file: " + locked.reason);
        f.expect(get(rw / "locked.dat") == kOld, "read-only file was changed");

        // No file to rewrite: the reason names the folder in the way.
        for (const auto& [folder, why] : {std::pair{ro / "empty", " may not be written"s},
                                          std::pair{ro / "gone", " is missing and " + ro.string() + " may not be written"}}) {
            const HighScoreFileResult none = replaceHighScoreFile(folder / "hs.dat", kNew);
            f.expect(none.reason == "the folder " + folder.string() + why, "unwritable folder: " + none.reason);
        }
        return f.text;
    });
    if (found == "SKIP") GTEST_SKIP() << "the user nobody cannot reach " << dir << " to run the check as non-root";
    EXPECT_EQ(found, "");
    EXPECT_EQ(inodeOf(ro / "hs.dat"), inode);  // the same file, rewritten
    EXPECT_EQ(namesIn(ro), (std::set<std::string>{"clear.dat", "empty", "hs.dat"}));
    EXPECT_EQ(namesIn(ro / "empty").size(), 0u);
    EXPECT_EQ(namesIn(rw), (std::set<std::string>{"locked.dat"}));
}

// Where the folder takes no new file, the file is rewritten in place. Killed
// after any system call of the save, it reads (through `readBack`) as the
// old bytes or the new ones; false where system calls cannot be traced.
bool killsLeaveTheOldOrTheNew(const fs::path& path, const std::string& oldBytes, const std::string& newBytes,
                              const std::function<bool()>& save, const std::function<std::string()>& readBack) {
    const fs::path ro = path.parent_path();
    for (int n = 1;; ++n) {
        fs::permissions(ro, fs::perms::owner_all);
        put(path, oldBytes);
        giveToUser(path);
        fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                fs::perms::others_exec);
        const bool finished = finishesBeforeKill(n, [&] { _exit(save() ? 0 : 1); });
        const std::string now = readBack();
        EXPECT_TRUE(now == oldBytes || now == newBytes) << "killed after system call " << n;
        if (finished) {
            EXPECT_EQ(get(path), newBytes);
            return n > 1;
        }
    }
}

// The table, whether the new one is shorter, longer or empty (a clear).
TEST_F(HighScoreFile, KilledInPlaceSavesLeaveTheOldTableOrTheNew) {
    const fs::path ro = dir / "ro", path = ro / "zvx_highscores.dat";
    fs::create_directories(ro);
    std::vector<ScoreEntry> ten;
    for (int i = 0; i < 10; ++i) ten.push_back({"PLAYER NUMBER " + std::to_string(i), 1000 - i});
    const std::vector<ScoreEntry> two{{"ACE", 700}, {"BOB", 90}};
    const auto bytesOn = [&] { return serializeHighScores(parseHighScores(readHighScoreFile(path))); };
    const std::vector<ScoreEntry> none;
    for (const auto& [before, after] : {std::pair{ten, two}, std::pair{two, ten}, std::pair{ten, none}}) {
        const std::string newBytes = serializeHighScores(after);
        const auto save = [&] {
            return after.empty() ? deleteHighScoreFile(path).ok : replaceHighScoreFile(path, newBytes).ok;
        };
        if (!killsLeaveTheOldOrTheNew(path, serializeHighScores(before), newBytes, save, bytesOn))
            GTEST_SKIP() << "system calls cannot be traced here";
        EXPECT_EQ(namesIn(ro), (std::set<std::string>{"zvx_highscores.dat"}));  // saved in place
    }
}

// A replay (best.zvxr), shorter or longer than the one it replaces: what is
// read is always one whole replay, never a damaged file.
TEST_F(HighScoreFile, KilledInPlaceReplaySavesLeaveTheOldReplayOrTheNew) {
    const fs::path ro = dir / "ro", path = ro / "best.zvxr";
    fs::create_directories(ro);
    const auto replayOf = [](int frames) {
        GameState start;
        setInitialValues(start);
        ReplayWriter w;
        w.start(start, RandomState{1, 2, 3, 4}, 0, "1.01");
        for (int f = 0; f < frames; ++f) w.frame(WindowEvent{EventCanvas, MenuNone, CanvasMoved, f % 1280, 5, 0});
        return w.finish({});
    };
    const std::string longer = replayOf(400), shorter = replayOf(3);
    const auto replayOn = [&] {
        const auto r = parseReplay(readReplayFile(path).bytes);
        return std::holds_alternative<Replay>(r) ? std::get<Replay>(r).end.frames == 3 ? shorter : longer
                                                 : std::string("damaged");
    };
    for (const auto& [before, after] : {std::pair{longer, shorter}, std::pair{shorter, longer}}) {
        if (!killsLeaveTheOldOrTheNew(path, before, after, [&] { return saveReplayFile(path, after).ok; }, replayOn))
            GTEST_SKIP() << "system calls cannot be traced here";
    }
}

TEST_F(HighScoreFile, StaleTemporaryFilesGoOthersStay) {
    const fs::path path = dir / "zvx_highscores.dat";
    put(path, kOld);
    const std::string dead = std::to_string(deadProcessId()), self = std::to_string(::getpid());
    int hold[2];
    ASSERT_EQ(::pipe(hold), 0);
    const pid_t live = ::fork();  // another copy of the game, saving right now
    if (live == 0) {
        char c;
        ::close(hold[1]);
        while (::read(hold[0], &c, 1) < 0) {}
        _exit(0);
    }
    ::close(hold[0]);

    const std::set<std::string> kept{"zvx_highscores.dat",
                                     "zvx_highscores.dat.tmp." + std::to_string(live) + ".0",
                                     "zvx_highscores.dat.tmp." + dead,
                                     "zvx_highscores.dat.tmp." + dead + ".0.bak",
                                     "zvx_highscores.dat.tmp.+" + dead + ".0",
                                     "zvx_highscores.dat.tmp.99999999999.0",
                                     "other.dat.tmp." + dead + ".0",
                                     "zvx_highscores.dat.tmp." + dead + ".9"};  // a directory
    for (const std::string& name : kept)
        if (name != "zvx_highscores.dat" && !name.ends_with(".9")) put(dir / name, "x");
    fs::create_directory(dir / ("zvx_highscores.dat.tmp." + dead + ".9"));
    put(dir / ("zvx_highscores.dat.tmp." + dead + ".0"), "x");
    put(dir / ("zvx_highscores.dat.tmp." + self + ".12"), "x");  // an earlier process with our id

    EXPECT_EQ(removeStaleTemporaryFiles(path), 2u);
    EXPECT_EQ(namesIn(dir), kept);
    put(dir / (".tmp." + dead + ".0"), "x");  // matches the pattern of a file with no name
    EXPECT_EQ(removeStaleTemporaryFiles(dir.string() + "/"), 0u);
    fs::remove(dir / (".tmp." + dead + ".0"));

    // A save clears them too, and leaves nothing of its own.
    put(dir / ("zvx_highscores.dat.tmp." + dead + ".1"), "x");
    EXPECT_TRUE(replaceHighScoreFile(path, kNew));
    EXPECT_EQ(namesIn(dir), kept);
    EXPECT_EQ(get(path), kNew);

    ::close(hold[1]);
    ::waitpid(live, nullptr, 0);
}

// A file over the read limit reads its whole entries before the limit; only
// the entry the limit cuts is left out. A file that itself ends inside an
// entry keeps that fragment as one more entry.
TEST_F(HighScoreFile, ReadLimitKeepsWholeEntriesOnly) {
    const fs::path path = dir / "zvx_highscores.dat";
    const auto load = [&] { return parseHighScores(readHighScoreFile(path)); };
    std::vector<ScoreEntry> fill(4480, {"FILLING", -1});  // 16 bytes each: 70 KiB
    put(path, serializeHighScores(fill));
    auto read = load();
    EXPECT_EQ(read.size(), kMaxHighScoreFileBytes / 16);
    EXPECT_TRUE(std::all_of(read.begin(), read.end(), [](const ScoreEntry& e) { return e.score == -1; }));

    // A 19-byte entry first puts the limit 5 bytes into a score.
    fill.insert(fill.begin(), {"LEADER1234", 5});
    const std::string shifted = serializeHighScores(fill);
    put(path, shifted);
    read = load();
    ASSERT_EQ(read.size(), 1 + 4094u);
    EXPECT_EQ(read.front().score, 5);
    EXPECT_TRUE(std::all_of(read.begin() + 1, read.end(), [](const ScoreEntry& e) { return e.score == -1; }));
    put(path, shifted.substr(0, kMaxHighScoreFileBytes + 1));
    EXPECT_EQ(load().size(), 1 + 4094u);
    put(path, shifted.substr(0, kMaxHighScoreFileBytes));  // a damaged file that ends there
    read = load();
    ASSERT_EQ(read.size(), 1 + 4095u);
    EXPECT_EQ(read.back().score, 0xFF'FFFF'FFFF);

    // A name longer than is kept, across the limit or ending just before
    // it: its score is read.
    for (const std::size_t length : {std::size_t{100} << 10, kMaxHighScoreFileBytes - 10 - 3}) {
        put(path, serializeHighScores({{"A", 1}}) + std::string(length, 'n') + "\r\n\x4D\0\0\0\0\0\0\0B\n"s);
        read = load();
        ASSERT_EQ(read.size(), 2u) << length;
        EXPECT_EQ(read[1].name.size(), kMaxStoredNameBytes);
        EXPECT_EQ(read[1].score, 77);
    }
}

}  // namespace
