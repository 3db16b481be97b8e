#include "platform/qt/ViewSettings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#include "platform/SystemInfo.h"

namespace {

// Every remembered choice: its group and key in the file and its field. A
// new choice is one more line here.
struct Key {
    std::string_view group;
    std::string_view name;
    bool ViewSettings::*field;
};
constexpr Key kKeys[] = {
    {"sound", "muted", &ViewSettings::muted},
    {"view", "fullScreen", &ViewSettings::fullScreen},
    {"view", "showFrameRate", &ViewSettings::showFrameRate},
};

// The file name of earlier versions, moved to the new one on first load.
constexpr const char* kOldFileName = "zarvex.ini";
constexpr const char* kFileName = "zarvex.conf";

// The game's folder in the XDG config home, worked out here rather than by
// Qt, which takes a missing HOME for the root folder and a relative
// XDG_CONFIG_HOME as it stands; empty without any home folder.
std::string settingsFolder() {
    const std::string config = systemConfigHome();
    return config.empty() ? std::string() : config + "/zarvex";
}

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// Only a plain true or false counts; anything else keeps the default.
void readFlag(std::string_view value, bool& flag) {
    std::string lower(value);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "true") flag = true;
    if (lower == "false") flag = false;
}

// The whole file at `path` when it is a regular file of at most
// kMaxViewSettingsBytes; nothing otherwise. O_NONBLOCK: opening a FIFO put
// in its place must not wait for a writer.
bool readSmallFile(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= off_t(kMaxViewSettingsBytes);
    if (ok) {
        // One byte more than the limit tells a file that grew meanwhile.
        text.assign(kMaxViewSettingsBytes + 1, '\0');
        std::size_t got = 0;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += std::size_t(n);
        }
        text.resize(got);
        ok = got <= kMaxViewSettingsBytes;
    }
    ::close(fd);
    return ok;
}

}  // namespace

ViewSettings parseViewSettings(std::string_view text) {
    ViewSettings settings;
    std::string_view group;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            // The keys under a broken group line belong to no group of ours.
            group = line.back() == ']' ? trimmed(line.substr(1, line.size() - 2)) : std::string_view();
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = trimmed(line.substr(0, equals));
        for (const Key& key : kKeys)
            if (key.group == group && key.name == name) readFlag(trimmed(line.substr(equals + 1)), settings.*key.field);
    }
    return settings;
}

std::string formatViewSettings(const ViewSettings& settings) {
    std::string text;
    std::string_view group;
    for (const Key& key : kKeys) {
        if (key.group != group) {
            if (!text.empty()) text += '\n';
            group = key.group;
            text += "[" + std::string(group) + "]\n";
        }
        text += std::string(key.name) + "=" + (settings.*key.field ? "true" : "false") + "\n";
    }
    return text;
}

QString viewSettingsFile() {
    const std::string folder = settingsFolder();
    return folder.empty() ? QString() : QFile::decodeName(QByteArray::fromStdString(folder + "/" + kFileName));
}

ViewSettings loadViewSettings() {
    const std::string folder = settingsFolder();
    if (folder.empty()) return {};
    const std::string file = folder + "/" + kFileName, old = folder + "/" + kOldFileName;
    std::string text;
    if (readSmallFile(file, text)) return parseViewSettings(text);
    // The earlier name, moved once to the new one; where it cannot be
    // moved it is still read, and the next save writes the new name.
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0 && errno == ENOENT && readSmallFile(old, text)) {
        ::rename(old.c_str(), file.c_str());
        return parseViewSettings(text);
    }
    return {};
}

void saveViewSettings(const ViewSettings& settings) {
    const QString file = viewSettingsFile();
    if (file.isEmpty()) return;
    QDir().mkpath(QFileInfo(file).path());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return;
    const std::string text = formatViewSettings(settings);
    out.write(text.data(), qint64(text.size()));
    out.commit();
}
