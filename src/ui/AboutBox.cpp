#include "ui/AboutBox.h"

#include <string>

namespace {

constexpr const char* kAboutTitle = "ZARVEX 1.01";
constexpr const char* kOkButton = "Ok";
constexpr const char* kOtherAppsButton = "See My Other Apps";
constexpr const char* kUnknownCpu = "Unknown CPU";
constexpr const char* kCredits =
    "\n\r"
    "Code, sound and pictures by the ZARVEX team\n"
    "Write to us through our project page\n";

// The processor name as shown: leading blanks and tabs dropped, at most
// kCpuBrandLimit bytes without splitting a UTF-8 character, and "Unknown
// CPU" when the system gave nothing usable.
std::string cpuName(const std::optional<std::string>& brand) {
    if (!brand) return kUnknownCpu;
    const std::string& b = *brand;
    size_t start = 0;
    while (start < b.size() && (b[start] == ' ' || b[start] == '\t')) ++start;
    std::string name = b.substr(start);
    if (name.size() > kCpuBrandLimit) {
        size_t cut = kCpuBrandLimit;
        // Step back over continuation bytes so the cut falls between characters.
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    if (name.empty()) return kUnknownCpu;
    return name;
}

bool allowedInQuery(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    switch (c) {
        case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+':
        case ',': case '-': case '.': case '/': case ':': case ';': case '=': case '?':
        case '@': case '_': case '~':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string versionPart(int64_t osMajorVersion) {
    // The major version in plain decimal, without grouping: "14" for 14,
    // "6" for a Linux 6 kernel.
    return std::to_string(osMajorVersion);
}

std::string aboutText(const std::string& platformName, int64_t osMajorVersion,
                      const std::optional<std::string>& cpuBrand) {
    return "A retro arcade game for " + platformName + "\nmade with great angst\n\rRunning on " + platformName +
           " " + versionPart(osMajorVersion) + " and " + cpuName(cpuBrand) + kCredits;
}

std::string escapeForQuery(const std::string& text) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (allowedInQuery(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

bool openPage(Platform& platform, const std::string& page) {
    if (platform.openWebAddress(page)) return true;
    return platform.openWebAddress(escapeForQuery(page));
}

void aboutBox(Game& game) {
    Platform& p = game.platform;
    p.activateApp();
    const std::string body = aboutText(p.platformName(), p.osMajorVersion(), p.cpuBrand());
    if (p.aboutAlert(kAboutTitle, body, kOkButton, kOtherAppsButton) == AlertSecond) {
        // Nothing is reported when the page cannot be opened: the box just closes.
        openPage(p, kProjectPage);
    }
}
