#pragma once
// The menu bar, and the settings behind the Difficulty menu.
#include <string>
#include <vector>

#include "core/Platform.h"

// The menus in the order they appear: the application menu (titled with the
// executable's name, holding About and Quit), "File" and "Difficulty".
std::vector<MenuSpec> menuBar(const std::string& executableName);

// What a Difficulty item sets: Easy 0 and 0.6, Normal 1 and 1.0, Hard 2 and
// 1.8. Any other id counts as Normal.
struct Difficulty {
    int64_t difficulty = 1;
    float speedFactor = 1.0f;
};
Difficulty difficultyFor(MenuId id);
