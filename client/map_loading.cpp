#include "client/map_loading.h"

#include <cstdio>
#include <string>

#include "client/map_lights.h"
#include "game/asset_paths.h"
#include "game/match_options.h"

void LoadMap(ClientMap& map, int index, const tune::Tuning& tuning)
{
    if (index < 0 || index >= GetMapCount()) {
        index = 0;
    }
    if (index == map.index) {
        return;
    }
    const MapInfo& info = GetMapInfo(index);
    std::printf("[map] loading %s\n", info.displayName);
    map.geometry.Clear();
    map.model.Destroy();
    map.modelLoaded = false;
    map.debugMesh.Destroy();
    map.index = index;

    const std::string path = AssetPath(info.mapFile);
    map.loaded = LoadMapGeometry(map.geometry, path, MapScale(tuning));
    if (!map.loaded) {
        std::fprintf(stderr, "[map] falling back to the greybox test level\n");
        map.world.BuildGreybox();
        BuildLevelDebugMesh(map.debugMesh, map.world, tuning.renderer);
        map.lights = MapPointLights({}, tuning);
        return;
    }
    std::vector<Triangle> triangles = map.geometry.triangles;
    map.world.SetTriangles(std::move(triangles));
    map.lights = MapPointLights(map.geometry.lights, tuning);
    map.modelLoaded = map.model.Load(path.c_str(), render::LevelModelOptions(tuning));
    if (!map.modelLoaded) {
        std::fprintf(stderr, "[map] loaded for collision but not for drawing\n");
    }
}

void DestroyMap(ClientMap& map)
{
    map.model.Destroy();
    map.modelLoaded = false;
    map.debugMesh.Destroy();
    map.index = -1;
}
