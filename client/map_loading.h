#pragma once
// The client's level: one of the built-in maps loaded for collision (prediction, the camera, local
// effects) and for drawing, with its point lights; the greybox with its debug overlay when the map
// file cannot be read.
#include <vector>

#include "game/collision_world.h"
#include "game/map_geometry.h"
#include "game/tuning.h"
#include "render/debug_mesh.h"
#include "render/light_list.h"
#include "render/static_model.h"

struct ClientMap {
    int index = -1;  // none loaded yet
    MapGeometry geometry;
    CollisionWorld world;
    bool loaded = false;  // the map file gave its collision
    render::StaticModel model;
    bool modelLoaded = false;
    render::DebugMesh debugMesh;              // only the greybox has one
    std::vector<render::PointLight> lights;   // the map's own, or the built-in three
};

// Loads map `index` (the first map for an index outside the list); nothing when it is the one
// already loaded. Never fails: a map that cannot be read becomes the greybox, a model that cannot
// be drawn leaves collision only; each says so in one line.
void LoadMap(ClientMap& map, int index, const tune::Tuning& tuning);
void DestroyMap(ClientMap& map);
