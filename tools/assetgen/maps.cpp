#include <cstdio>

#include "game/map_geometry.h"
#include "game/tuning.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/map_levels.h"

// Both maps are written at the game's map scale, so that the loader turns file units back into the
// metres they were designed in.
bool GenerateMaps(const std::string& root) {
    const float scale = MapScale(tune::Tuning{});
    if (!WriteLevel(BuildMapOne(), root, "maps/Map One", "map_one.glb", scale)) return false;
    if (!WriteLevel(BuildMapTwo(), root, "maps/Map Two", "Map_Two.glb", scale)) return false;
    return true;
}
