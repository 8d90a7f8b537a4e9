#include "support/generated_map.h"

#include "game/asset_paths.h"
#include "game/map_geometry.h"
#include "game/tuning.h"

GeneratedMap LoadGeneratedMap(const std::string& relative) {
  GeneratedMap map;
  map.path = relative;
  const tune::Tuning tuning;
  MapGeometry geometry;
  if (!LoadMapGeometry(geometry, AssetPath(relative), MapScale(tuning))) return map;
  for (const SpawnPoint& spawn : geometry.spawns) map.spawns.push_back({spawn.position, spawn.facing});
  map.bounds = geometry.bounds;
  map.loaded = map.world.SetTriangles(std::move(geometry.triangles));
  return map;
}
