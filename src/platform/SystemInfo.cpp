#include "platform/SystemInfo.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

std::string fullNameFromGecos(std::string_view gecos) {
    const auto comma = gecos.find(',');
    return std::string(gecos.substr(0, comma));
}

std::string systemUserFullName() {
    const passwd* pw = getpwuid(getuid());
    if (!pw || !pw->pw_gecos) return {};
    return fullNameFromGecos(pw->pw_gecos);
}

std::string accountHomeFolder() {
    const passwd* pw = getpwuid(getuid());
    if (!pw || !pw->pw_dir) return {};
    return pw->pw_dir;
}

std::string xdgFolderFrom(std::string_view xdgValue, std::string_view home, std::string_view accountHome,
                          std::string_view inHome) {
    const auto absolute = [](std::string_view p) { return !p.empty() && p.front() == '/'; };
    if (absolute(xdgValue)) return std::string(xdgValue);
    const std::string_view folder = absolute(home) ? home : accountHome;
    if (!absolute(folder)) return {};
    return std::string(folder) + (folder.back() == '/' ? "" : "/") + std::string(inHome);
}

namespace {
std::string systemXdgFolder(const char* variable, std::string_view inHome) {
    const char* xdg = std::getenv(variable);
    const char* home = std::getenv("HOME");
    return xdgFolderFrom(xdg ? xdg : "", home ? home : "", accountHomeFolder(), inHome);
}
}  // namespace

std::string systemDataHome() { return systemXdgFolder("XDG_DATA_HOME", ".local/share"); }
std::string systemConfigHome() { return systemXdgFolder("XDG_CONFIG_HOME", ".config"); }

int64_t majorVersionFromRelease(std::string_view release) {
    int64_t v = 0;
    size_t i = 0;
    for (; i < release.size() && release[i] >= '0' && release[i] <= '9'; ++i) {
        if (v > 1'000'000) return 0;  // no such kernel; do not overflow
        v = v * 10 + (release[i] - '0');
    }
    return i == 0 ? 0 : v;
}

int64_t systemOsMajorVersion() {
    utsname u{};
    if (uname(&u) != 0) return 0;
    return majorVersionFromRelease(u.release);
}

std::optional<std::string> cpuBrandFromCpuinfo(std::string_view cpuinfo) {
    constexpr std::string_view kKey = "model name";
    size_t pos = 0;
    while (pos < cpuinfo.size()) {
        size_t end = cpuinfo.find('\n', pos);
        if (end == std::string_view::npos) end = cpuinfo.size();
        std::string_view line = cpuinfo.substr(pos, end - pos);
        pos = end + 1;
        if (line.substr(0, kKey.size()) != kKey) continue;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        if (value.empty()) return std::nullopt;
        if (value.size() > 1024) value = value.substr(0, 1024);
        return std::string(value);
    }
    return std::nullopt;
}

std::optional<std::string> systemCpuBrand() {
    std::ifstream in("/proc/cpuinfo");
    if (!in) return std::nullopt;
    // The first processor's entry comes first; a few KiB are plenty.
    std::string text(64 * 1024, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return cpuBrandFromCpuinfo(text);
}
