#pragma once

// What a map file yields: the collision triangles (handed to CollisionWorld::SetTriangles), the spawn
// points with team and facing, the area lights of the gameplay sidecar and the level's bounds.
//
// A map is a binary glTF file. Every node is considered once, in the file's node order:
//   - a node with a skin is ignored;
//   - a node whose lower-cased name starts with "red_spawn", "blue_spawn" or "ffa_spawn", or whose
//     extras say "gameplay_type": "spawn", is a spawn marker; extras "team": "red" / "blue" override
//     the team from the name. A marker without a mesh spawns at its origin; a marker with a mesh
//     spawns at the middle of its bounds' floor and is not solid;
//   - extras "collision": false drop a mesh node entirely (also a marker);
//   - every other mesh contributes its triangle primitives as collision triangles.
// Extras keys: "gameplay_type" (string), "team" (string, case-sensitive), "facing_degrees" (number,
// yaw 0 looks along -z), "collision" (boolean, default true).
//
// The sidecar "<map path without extension>.gameplay.json" holds {"area_lights": [{"position":
// [x, y, z], "color_linear": [r, g, b], "blender_energy_watts": w, "size_metres": s}, ...]}.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <glm/vec3.hpp>

#include "game/collision_world.h"
#include "game/team.h"

struct GltfDocument;
namespace tune {
struct Tuning;
}

struct SpawnPoint {
    glm::vec3 position{0.0f, 0.0f, 0.0f};  // the feet point, metres
    float facing = 0.0f;                    // degrees; yaw Y looks along (-sin Y, 0, -cos Y)
    uint8_t team = kTeamNone;
};

struct AreaLight {
    glm::vec3 position{0.0f, 0.0f, 0.0f};  // metres
    glm::vec3 colour{1.0f, 1.0f, 1.0f};    // linear RGB
    float energy = 100.0f;                  // watts as the editor exports them
    float size = 1.0f;                      // metres
};

struct MapGeometry {
    std::vector<Triangle> triangles;  // world space, metres
    std::vector<SpawnPoint> spawns;   // in node order
    std::vector<AreaLight> lights;    // in sidecar order
    Aabb bounds;                      // over every collision triangle vertex

    void Clear();
    // Vertical distance from the point down to the highest triangle below it within maxDistance, or -1.
    float DistanceToFloor(const glm::vec3& point, float maxDistance) const;
};

struct SpawnKind {
    const char* name;
    uint8_t team;
};

// "red_spawn" 0, "blue_spawn" 1, "ffa_spawn" 255.
const std::array<SpawnKind, 3>& GetSpawnKinds();
// "RED", "BLUE", else "NONE".
const char* TeamName(uint8_t team);
// 0 <-> 1; anything else gives 255.
uint8_t OpposingTeam(uint8_t team);
// Clears `out`, then appends every spawn of that team, in order.
void CollectTeamSpawns(const MapGeometry& map, uint8_t team, std::vector<const SpawnPoint*>& out);

// Metres per map file unit: standing height / map reference height x map scale factor, or the factor
// alone when the reference height is not above 0.
float MapScale(const tune::Tuning& tuning);

// Loads a map at `scale` metres per file unit (not above 0: 1). True when at least one collision
// triangle was read. Prints the report to standard output ("[map] spawns: ...", the summary line and
// one line per spawn) and the failures and spawn warnings to standard error. A vertex or spawn whose
// position (placed and scaled) is not a finite number refuses the whole map, which is left empty:
// "[map] <path>: node '<name>' has a position that is not finite". An accessor that several
// primitives or nodes share is read once.
bool LoadMapGeometry(MapGeometry& map, const std::string& path, float scale);

// The same from a parsed document (`path` names it in messages and locates the sidecar; an empty
// path reads no sidecar). The map tests and the fuzz target use it.
bool LoadMapGeometryFromDocument(MapGeometry& map, const GltfDocument& doc, const std::string& path, float scale);

// The sidecar's path for a map path: the last "." of the file name onwards replaced by
// ".gameplay.json"; empty when the file name has no ".".
std::string GameplayJsonPath(const std::string& mapPath);

// Appends the sidecar's lights, positions and sizes times `scale`. Silent: a missing or unreadable
// sidecar gives no lights, a malformed one the lights that can still be made out, each field that
// cannot be read (or holds a number that is not finite) keeping its default. A well-formed sidecar
// is read as JSON (the top-level "area_lights"; a repeated key keeps its last value); any other is
// scanned for light objects, stepping over strings (the first "area_lights" key at any depth; the
// first of a repeated key). Numbers are read the same whatever the process locale.
void LoadGameplayJson(const std::string& path, float scale, std::vector<AreaLight>& lights);
// The same over the sidecar's text.
void ReadGameplayLights(std::string_view text, float scale, std::vector<AreaLight>& lights);

// Node extras readers over the extras' JSON text; a missing key or a value of another kind gives the
// default ("" for strings).
std::string GetExtraString(const std::string& extras, const char* key);
float GetExtraFloat(const std::string& extras, const char* key, float fallback);
bool GetExtraBool(const std::string& extras, const char* key, bool fallback);

// The translation column of the node's world matrix.
glm::vec3 NodeWorldPosition(const GltfDocument& doc, int node);
