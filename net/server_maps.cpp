// The map worlds rooms play in: one per map index, loaded the first time a room asks for it and
// shared by every room on that map for the life of the server.
#include "net/server_maps.h"

#include <cstdio>
#include <vector>

#include "game/asset_paths.h"
#include "game/map_geometry.h"
#include "game/match_options.h"

namespace net {

bool FillServerMap(ServerMap& map, int index, const char* displayName, const std::string& path,
                   const tune::Tuning& tuning)
{
    if (LoadMapGeometry(map.geometry, path, MapScale(tuning)) && map.world.SetTriangles(map.geometry.triangles)) {
        map.floorHeight = map.geometry.bounds.min.y - tuning.match.killFloorDepth;
        std::printf("[server] map %d '%s' ready\n", index, displayName);
        return true;
    }
    std::fprintf(stderr, "[server] map %d '%s' did not load; greybox instead\n", index, displayName);
    // Spawn points read from a file that failed belong to a level that is not there.
    map.geometry.Clear();
    map.world.BuildGreybox();
    map.floorHeight = ServerMap{}.floorHeight;
    return false;
}

ServerMap& Server::LoadRoomMap(int mapIndex)
{
    const int index = mapIndex >= 0 && mapIndex < kMaxMaps ? mapIndex : 0;
    ServerMap& map = maps[static_cast<size_t>(index)];
    if (map.loaded) {
        return map;
    }
    map.loaded = true;
    const MapInfo& info = GetMapInfo(index);
    FillServerMap(map, index, info.displayName, AssetPath(info.mapFile), tuning);
    std::vector<glm::vec3> spawnPositions;
    for (const SpawnPoint& spawn : map.geometry.spawns) {
        spawnPositions.push_back(spawn.position);
    }
    map.nav.Build(map.world, tuning, spawnPositions);
    std::printf("[server] map %d nav: %d nodes, %d links, %.0f ms\n", index, map.nav.nodeCount, map.nav.linkCount,
                map.nav.buildSeconds * 1000.0);
    return map;
}

}  // namespace net
