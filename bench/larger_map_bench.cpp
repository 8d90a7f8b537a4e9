// The level the movement benchmarks share: the larger generated map, loaded once.

#include <cstdio>

#include "bench/bench_level.h"
#include "game/asset_paths.h"
#include "game/map_geometry.h"
#include "game/tuning.h"

namespace {

constexpr const char* kMapPaths[] = {"maps/Map One/map_one.glb", "maps/Map Two/Map_Two.glb"};

BenchLevel LoadLargerMap() {
  const tune::Tuning tuning;
  BenchLevel best;
  size_t bestTriangles = 0;
  for (const char* path : kMapPaths) {
    MapGeometry map;
    if (!LoadMapGeometry(map, AssetPath(path), MapScale(tuning))) continue;
    if (map.triangles.size() <= bestTriangles) continue;
    BenchLevel candidate;
    candidate.name = path;
    candidate.killHeight = map.bounds.min.y - tuning.match.killFloorDepth;
    for (const SpawnPoint& spawn : map.spawns) candidate.spawns.push_back(spawn.position);
    const size_t triangles = map.triangles.size();
    if (!candidate.world.SetTriangles(std::move(map.triangles))) continue;
    bestTriangles = triangles;
    best = std::move(candidate);
  }
  if (bestTriangles == 0) {
    std::fprintf(stderr, "[bench] no generated map loaded; using the greybox level\n");
    best.name = "greybox";
    best.world.BuildGreybox();
  }
  if (best.spawns.empty()) best.spawns.push_back(glm::vec3(0.0f));
  std::printf("[bench] level %s: %zu triangles, %zu spawns\n", best.name.c_str(), best.world.triangles.size(),
              best.spawns.size());
  return best;
}

}  // namespace

const BenchLevel& LargerGeneratedMap() {
  static const BenchLevel level = LoadLargerMap();
  return level;
}
