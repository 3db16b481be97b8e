#include "records/ReplayFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "records/Replay.h"

namespace {

constexpr const char* kGameFolder = "zarvex";
constexpr const char* kReplayFolder = "replays";
constexpr const char* kReplayFiles[] = {"best.zvxr", "last.zvxr"};

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool isReplayFileName(std::string_view name) { return name == kReplayFiles[0] || name == kReplayFiles[1]; }

// "<replay file>.tmp.<pid>.<n>": a save of one of them, killed or going on.
bool isReplayTemporaryName(std::string_view name) {
    const auto tmp = name.find(".tmp.");
    if (tmp == std::string_view::npos || !isReplayFileName(name.substr(0, tmp))) return false;
    const std::string_view numbers = name.substr(tmp + 5);
    const auto dot = numbers.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == numbers.size()) return false;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        if (i != dot && (numbers[i] < '0' || numbers[i] > '9')) return false;
    return true;
}

// Whether the regular file `name` in the folder begins as every replay does.
bool startsAsReplay(int folderFd, const char* name) {
    const int fd = ::openat(folderFd, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    char magic[8] = {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::read(fd, magic, sizeof magic) == sizeof magic &&
                    std::memcmp(magic, "ZARVEXRP", sizeof magic) == 0;
    ::close(fd);
    return ok;
}

// What the old folder holds, when it holds only what the game put there.
struct OldFolder {
    bool ours = false;
    int replays = 0;
    int temporaries = 0;
};
OldFolder lookInto(const std::string& folder) {
    OldFolder found;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return found;  // a link is not ours to move
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0) return found;
    DIR* dir = ::fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return found;
    }
    bool foreign = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat est {};
        const bool regular = ::fstatat(folderFd, entry->d_name, &est, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(est.st_mode);
        if (regular && isReplayFileName(name) && startsAsReplay(folderFd, entry->d_name))
            ++found.replays;
        else if (regular && isReplayTemporaryName(name))
            ++found.temporaries;
        else
            foreign = true;
    }
    ::closedir(dir);
    found.ours = !foreign && found.replays > 0;
    return found;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string replayPath(const std::string& highScorePath, ReplayKind kind) {
    if (highScorePath.empty()) return {};
    return folderOf(highScorePath) + "/" + kGameFolder + "/" + kReplayFolder + "/" +
           kReplayFiles[kind == ReplayKind::Best ? 0 : 1];
}

HighScoreFileResult saveReplayFile(const std::string& path, std::string_view bytes) {
    if (!path.empty()) {
        // The game's folder, then its replays folder; existing ones are fine.
        const std::string replays = folderOf(path);
        ::mkdir(folderOf(replays).c_str(), 0777);
        ::mkdir(replays.c_str(), 0777);
    }
    return replaceHighScoreFile(path, bytes);
}

bool moveOldReplayFolder(const std::string& highScorePath) {
    if (highScorePath.empty()) return false;
    const std::string data = folderOf(highScorePath);
    const std::string old = data + "/" + kReplayFolder;
    const OldFolder found = lookInto(old);
    if (!found.ours) return false;
    // Saves of a copy of the older build still running are left to finish.
    std::size_t removed = 0;
    for (const char* file : kReplayFiles) removed += removeStaleTemporaryFiles(old + "/" + file);
    if (int(removed) < found.temporaries) return false;

    const std::string game = data + "/" + kGameFolder;
    const std::string now = game + "/" + kReplayFolder;
    ::mkdir(game.c_str(), 0777);
    if (::rename(old.c_str(), now.c_str()) == 0) return true;  // also over an empty folder
    if (errno != ENOTEMPTY && errno != EEXIST) return false;
    // The game's folder has replays already: the old ones join them where
    // they have no namesake, and the rest stays where it was.
    bool moved = false;
    for (const char* file : kReplayFiles) {
        const std::string from = old + "/" + file, to = now + "/" + file;
        if (exists(from) && !exists(to) && ::rename(from.c_str(), to.c_str()) == 0) moved = true;
    }
    ::rmdir(old.c_str());  // only once empty
    return moved;
}

void tidyReplayFolders(const std::string& highScorePath) {
    moveOldReplayFolder(highScorePath);
    for (ReplayKind kind : {ReplayKind::Best, ReplayKind::Last}) {
        const std::string path = replayPath(highScorePath, kind);
        if (!path.empty()) removeStaleTemporaryFiles(path);
    }
}

ReplayFileRead readReplayFile(const std::string& path) {
    ReplayFileRead result;
    if (path.empty()) {
        result.reason = "there is no data folder to keep replays in";
        return result;
    }
    // O_NONBLOCK: a FIFO in the file's place must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.reason = errno == ENOENT ? "there is none yet" : std::strerror(errno);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.reason = "it is not a file";
    } else if (st.st_size > off_t(kMaxReplayFileBytes)) {
        result.reason = "it is too large to be a replay";
    } else {
        result.bytes.resize(std::size_t(st.st_size));
        std::size_t got = 0;
        while (got < result.bytes.size()) {
            const ssize_t n = ::read(fd, result.bytes.data() + got, result.bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += std::size_t(n);
        }
        result.bytes.resize(got);
        result.ok = true;
    }
    ::close(fd);
    return result;
}

void deleteReplays(const std::string& highScorePath) {
    for (ReplayKind kind : {ReplayKind::Best, ReplayKind::Last}) {
        const std::string path = replayPath(highScorePath, kind);
        if (!path.empty()) deleteHighScoreFile(path);
    }
}
