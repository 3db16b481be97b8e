#pragma once
// Player names as text: UTF-8 that is always well formed, cut by
// characters (code points), never inside one.
#include <cstddef>
#include <string>
#include <string_view>

// Longest name the player can enter, in characters.
inline constexpr std::size_t kMaxNameChars = 32;

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// The bytes with every ill-formed sequence replaced by U+FFFD, one per
// maximal ill-formed part; well-formed text comes back unchanged.
std::string toValidUtf8(std::string_view bytes);

// The first `count` characters of well-formed UTF-8 text.
std::string firstChars(std::string_view text, std::size_t count);

// The name as the Hall of Fame stores it: well-formed UTF-8, each LF, CR and
// NUL turned into a blank (those bytes end a name in the file, so they
// would split or cut it on the next load), then the first 32 characters.
std::string cleanEnteredName(std::string_view answer);
