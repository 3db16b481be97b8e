#include "records/NameText.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Length of the well-formed sequence starting at s[i], or 0 when it is
// ill-formed; then `bad` holds the length of its maximal ill-formed part
// (the lead byte and the continuation bytes that still fit), at least 1.
std::size_t sequenceAt(std::string_view s, std::size_t i, std::size_t& bad) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    bad = 1;
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) lo = 0xA0;  // no overlong forms
        if (lead == 0xED) hi = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) lo = 0x90;  // no overlong forms
        if (lead == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;  // a stray continuation byte, C0, C1 or F5..FF
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= s.size()) return 0;
        const unsigned char c = byte(i + k);
        const unsigned char min = (k == 1) ? lo : 0x80;
        const unsigned char max = (k == 1) ? hi : 0xBF;
        if (c < min || c > max) return 0;
        bad = k + 1;
    }
    return length;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t bad = 0;
        const std::size_t n = sequenceAt(bytes, i, bad);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string toValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t bad = 0;
        const std::size_t n = sequenceAt(bytes, i, bad);
        if (n == 0) {
            out += kReplacement;
            i += bad;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string firstChars(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t chars = 0; chars < count && i < text.size(); ++chars) {
        ++i;  // past the lead byte, then past its continuation bytes
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return std::string(text.substr(0, i));
}

std::string cleanEnteredName(std::string_view answer) {
    std::string name = toValidUtf8(answer);
    for (char& c : name)
        if (c == '\n' || c == '\r' || c == '\0') c = ' ';
    return firstChars(name, kMaxNameChars);
}
