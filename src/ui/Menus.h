#pragma once
// The menu bar and the difficulty setting.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Game.h"
#include "platform/Platform.h"

// The menus in the order they appear: the application menu (titled with the
// executable's name, holding About and Quit), "File" and "Difficulty".
std::vector<MenuSpec> menuBar(const std::string& executableName);

// Easy (1), Normal (2) or Hard (3): sets `difficulty` and `speedFactor`
// and starts a new game at once, even when the setting is already in
// force. A game in progress is dropped without a Hall of Fame check.
void selectDifficulty(Game& game, int64_t id);
