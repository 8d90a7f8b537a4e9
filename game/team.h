#pragma once

#include <cstdint>

// Teams travel and are stored as one byte; a player or spawn of no team plays free-for-all.
enum Team : uint8_t { kTeamRed = 0, kTeamBlue = 1, kTeamNone = 255 };
