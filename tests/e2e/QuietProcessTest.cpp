// The real game program, started as a player would start it on a machine
// with no sound system at all: it runs silently and prints nothing.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The environment of this process with `set` replacing what it names.
std::vector<std::string> environmentWith(const std::vector<std::pair<std::string, std::string>>& set) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const auto& [name, value] : set) replaced |= entry.rfind(name + "=", 0) == 0;
        if (!replaced) env.push_back(entry);
    }
    for (const auto& [name, value] : set) env.push_back(name + "=" + value);
    return env;
}

}  // namespace

TEST(E2EProcess, WithoutASoundSystemTheGamePrintsNothing) {
    std::string pattern = ::testing::TempDir() + "zarvex-quiet-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    fs::create_directories(dir / "data");
    fs::create_directories(dir / "config");
    // A private runtime folder, as a desktop session has: without one Qt
    // warns that it makes its own.
    fs::create_directories(dir / "runtime");
    fs::permissions(dir / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    { std::ofstream(dir / "alsa.conf").flush(); }

    // No sound system, whatever this machine has: no PulseAudio server at
    // that address, no ALSA device in an empty ALSA configuration, no JACK
    // server of that name. The player's own data and settings stay apart.
    const std::vector<std::string> env = environmentWith({
        {"QT_QPA_PLATFORM", "offscreen"},
        {"XDG_DATA_HOME", (dir / "data").string()},
        {"XDG_CONFIG_HOME", (dir / "config").string()},
        {"XDG_RUNTIME_DIR", (dir / "runtime").string()},
        {"PULSE_SERVER", "unix:" + (dir / "no-pulse-server").string()},
        {"ALSA_CONFIG_PATH", (dir / "alsa.conf").string()},
        {"JACK_DEFAULT_SERVER", "zarvex-test-no-server"},
    });
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const std::string out = (dir / "stdout").string(), err = (dir / "stderr").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char binary[] = ZARVEX_GAME_BINARY;
    char* argv[] = {binary, nullptr};
    pid_t game = 0;
    ASSERT_EQ(posix_spawn(&game, binary, &files, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&files);

    // Two seconds of the title screen with its tune, then the end.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    int status = 0;
    EXPECT_EQ(waitpid(game, &status, WNOHANG), 0) << "the game ended by itself, status " << status;
    kill(game, SIGTERM);
    waitpid(game, &status, 0);

    EXPECT_EQ(linesOf(out), std::vector<std::string>{});
    // Qt's offscreen platform, which these tests run on, cannot size or
    // raise a window and says so each time it is asked; a desktop's window
    // system does both. Nothing else may appear.
    const std::set<std::string> offscreenNotices = {"This plugin does not support propagateSizeHints()",
                                                    "This plugin does not support raise()"};
    std::vector<std::string> printed;
    for (const std::string& line : linesOf(err))
        if (!offscreenNotices.count(line)) printed.push_back(line);
    EXPECT_EQ(printed, std::vector<std::string>{});

    std::error_code ec;
    fs::remove_all(dir, ec);
}
