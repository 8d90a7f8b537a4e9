#pragma once

#include <string>

struct Level;

// A 320 x 180 top-down picture of the level (the highest surface at each point, shaded by height and
// slope, spawns marked in their team colour), written as PNG. One "[assetgen]" line and false on failure.
bool WriteMapPreview(const Level& level, const std::string& path);
