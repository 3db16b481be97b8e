#pragma once
// The About box: the game's name, what it runs on, the credits, and a
// button that opens our project page.
#include <cstdint>
#include <optional>
#include <string>

#include "core/Game.h"
#include "core/Platform.h"

// Our project page, opened by "See My Other Apps". The build passes it in
// (ZARVEX_HOMEPAGE), the same address the package and its metainfo name.
#ifndef ZARVEX_HOMEPAGE
#error "ZARVEX_HOMEPAGE, the project page, comes from the build (CMake cache value of that name)"
#endif
inline constexpr const char* kProjectPage = ZARVEX_HOMEPAGE;

// The longest processor name the box shows, in bytes.
inline constexpr size_t kCpuBrandLimit = 1024;

// Shows the box modally; the second button opens the project page.
void aboutBox(Game& game);

// The box's informative text.
std::string aboutText(const std::string& platformName, int64_t osMajorVersion,
                      const std::optional<std::string>& cpuBrand);

// The operating system's major version as the box writes it.
std::string versionPart(int64_t osMajorVersion);

// Percent-escapes every byte that may not stand in the query of a web
// address (letters, digits and !$&'()*+,-./:;=?@_~ stay as they are).
std::string escapeForQuery(const std::string& text);

// Opens the page: first as given; if that is not taken as a web address,
// once more percent-escaped. Returns whether either attempt opened it.
bool openPage(Platform& platform, const std::string& page);
