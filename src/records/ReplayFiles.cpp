#include "records/ReplayFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "records/Replay.h"

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

std::string replayPath(const std::string& highScorePath, ReplayKind kind) {
    if (highScorePath.empty()) return {};
    return folderOf(highScorePath) + "/replays/" + (kind == ReplayKind::Best ? "best.zvxr" : "last.zvxr");
}

HighScoreFileResult saveReplayFile(const std::string& path, std::string_view bytes) {
    if (!path.empty()) ::mkdir(folderOf(path).c_str(), 0777);  // an existing folder is fine
    return replaceHighScoreFile(path, bytes);
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
