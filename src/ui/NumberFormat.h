#pragma once
// Numbers as the player reads them: digits grouped in the style of the
// user's locale ("10,000" or "10.000").
#include <cstdint>
#include <string>

#include "core/Platform.h"

std::string formatNumber(const Platform& platform, int64_t value);
