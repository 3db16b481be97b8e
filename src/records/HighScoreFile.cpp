#include "records/HighScoreFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace {

// Closes the descriptor when it goes out of scope.
struct FileHandle {
    int fd = -1;
    ~FileHandle() {
        if (fd >= 0) ::close(fd);
    }
    int release() {
        const int f = fd;
        fd = -1;
        return f;
    }
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Makes the rename itself durable. Best effort: a folder that cannot be
// synced still holds the new file.
void syncFolder(const std::string& folder) {
    FileHandle dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0) ::fsync(dir.fd);
}

// Opens a fresh file beside `path` under a name no other file has:
// path + ".tmp." + process id + "." + a counter. O_EXCL never reuses a
// leftover of an earlier run, whatever it is.
int createTempBeside(const std::string& path, std::string& tempPath) {
    static uint64_t counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST && errno != EINTR) return -1;
    }
    return -1;
}

}  // namespace

std::string readHighScoreFile(const std::string& path) {
    if (path.empty()) return {};
    // O_NONBLOCK: opening a FIFO put in the file's place must not wait for
    // a writer. Only a regular file is read.
    FileHandle file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) return {};
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) return {};

    std::string bytes;
    bytes.resize(kMaxHighScoreFileBytes);
    std::size_t got = 0;
    while (got < kMaxHighScoreFileBytes) {
        const ssize_t n = ::read(file.fd, bytes.data() + got, kMaxHighScoreFileBytes - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;  // a read error: keep what was read, as for a damaged file
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

bool replaceHighScoreFile(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;

    struct stat old {};
    const bool haveOld = ::stat(path.c_str(), &old) == 0;
    if (haveOld) {
        if (S_ISDIR(old.st_mode)) return false;
        // Writing in place would have failed on a write-protected file; so
        // does replacing it.
        if (::access(path.c_str(), W_OK) != 0) return false;
    }

    std::string tempPath;
    FileHandle temp{createTempBeside(path, tempPath)};
    if (temp.fd < 0) return false;

    bool ok = writeAll(temp.fd, bytes);
    if (ok && haveOld && S_ISREG(old.st_mode)) ::fchmod(temp.fd, old.st_mode & 07777);
    ok = ok && ::fsync(temp.fd) == 0;
    ok = (::close(temp.release()) == 0) && ok;
    if (!ok || ::rename(tempPath.c_str(), path.c_str()) != 0) {
        ::unlink(tempPath.c_str());
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}

void deleteHighScoreFile(const std::string& path) {
    if (path.empty()) return;
    ::unlink(path.c_str());  // never rmdir: a directory in its place stays
}
