#include "records/HighScoreFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// ---- Reading ---------------------------------------------------------------

// Up to `count` bytes from `offset`; fewer only at the end of the file or on
// a read error, which counts as the end (a damaged file reads as far as it
// goes).
std::size_t readAt(int fd, char* out, std::size_t count, std::size_t offset) {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, out + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

enum class NameEnd { Found, EndOfFile, TooFar };

// Looks for the byte that ends a name going on from `from`, no further than
// kMaxHighScoreScanBytes into the file.
NameEnd findNameEnd(int fd, std::size_t from, std::size_t& at) {
    char chunk[16 * 1024];
    for (std::size_t pos = from; pos < kMaxHighScoreScanBytes;) {
        const std::size_t want = std::min(sizeof chunk, kMaxHighScoreScanBytes - pos);
        const std::size_t got = readAt(fd, chunk, want, pos);
        const char* end = std::find_if(chunk, chunk + got, endsHighScoreName);
        if (end != chunk + got) {
            at = pos + static_cast<std::size_t>(end - chunk);
            return NameEnd::Found;
        }
        if (got < want) return NameEnd::EndOfFile;
        pos += got;
    }
    return NameEnd::TooFar;
}

// `bytes` are the first kMaxHighScoreFileBytes of a file that goes on. Keeps
// its whole entries; the one the limit cuts would be invented. The one
// exception is an entry whose name is longer than what is kept of a name:
// all of the name that counts has been read, so the rest of its line is
// skipped to reach the score, as for such a name anywhere else in the file.
std::string wholeEntriesBeforeLimit(int fd, std::string bytes) {
    const std::size_t whole = wholeEntriesLength(bytes);
    const std::string_view tail = std::string_view(bytes).substr(whole);
    std::size_t nameEnd = whole + static_cast<std::size_t>(std::find_if(tail.begin(), tail.end(), endsHighScoreName) - tail.begin());
    if (nameEnd - whole <= kMaxStoredNameBytes) {
        bytes.resize(whole);
        return bytes;
    }
    switch (nameEnd < bytes.size() ? NameEnd::Found : findNameEnd(fd, bytes.size(), nameEnd)) {
    case NameEnd::EndOfFile:
        return bytes;  // the file itself ends inside the name: its own fragment
    case NameEnd::TooFar:
        bytes.resize(whole);
        return bytes;
    case NameEnd::Found:
        break;
    }
    char rest[10];  // the line end (CR LF at most) and the 8 score bytes
    const std::size_t got = readAt(fd, rest, sizeof rest, nameEnd);
    bytes.resize(std::min(bytes.size(), nameEnd));  // the name as far as it was read
    bytes.append(rest, got);
    if (got == sizeof rest) bytes.resize(wholeEntriesLength(bytes));  // else the file ends here: all it holds
    return bytes;
}

// ---- Writing ---------------------------------------------------------------

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

    // One byte more than the limit tells a file that goes on from one that
    // ends right there.
    std::string bytes(kMaxHighScoreFileBytes + 1, '\0');
    bytes.resize(readAt(file.fd, bytes.data(), bytes.size(), 0));
    if (bytes.size() <= kMaxHighScoreFileBytes) return bytes;  // all of it, a damaged tail included
    bytes.resize(kMaxHighScoreFileBytes);
    return wholeEntriesBeforeLimit(file.fd, std::move(bytes));
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
