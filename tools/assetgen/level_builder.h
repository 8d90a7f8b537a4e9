#pragma once

// Building blocks for the generated levels. A level is described in metres (y up, yaw 0 looking
// along -z) as pieces of solid geometry, spawn markers and area lights; WriteLevel converts it to map
// file units (metres / map scale), and writes the .glb, its ".gameplay.json" sidecar and a top-down
// "preview.png" beside it.
//
// Every face is emitted with its own vertices, a flat normal, planar texture coordinates (metres /
// the material's tile size, along the two axes the face spans most) and counter-clockwise winding
// seen from the side its outward normal points to.

#include <cstdint>
#include <string>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "tools/assetgen/glb_builder.h"

struct LevelMaterial {
    std::string name;
    GlbImage image;
    glm::vec4 baseColor{1.0f, 1.0f, 1.0f, 1.0f};
    glm::vec3 emissive{0.0f, 0.0f, 0.0f};
    float roughness = 0.9f;
    float metallic = 0.0f;
    float tile = 2.0f;                            // metres per texture repeat
    glm::vec3 previewColour{0.5f, 0.5f, 0.5f};    // linear 0..1, for the top-down preview
};

// Geometry of one material inside a piece.
struct LevelSurface {
    int material = 0;
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<uint32_t> indices;
};

// One node of the map: solid unless `collision` is false (decoration the loader leaves out).
struct LevelPiece {
    std::string name;
    bool collision = true;
    bool inPreview = true;  // ceilings stay out of the top-down picture
    std::vector<LevelSurface> surfaces;
};

struct LevelSpawn {
    std::string name;           // "red_spawn.001", "blue_spawn.002", "ffa_spawn.003", ...
    glm::vec3 position{0.0f};   // feet point, metres
    bool hasFacing = false;     // written as extras "facing_degrees" when set
    float facing = 0.0f;
};

struct LevelLight {
    glm::vec3 position{0.0f};   // metres
    glm::vec3 colour{1.0f};     // linear RGB
    float energy = 100.0f;      // watts
    float size = 1.0f;          // metres
};

struct Level {
    std::vector<LevelMaterial> materials;
    std::vector<LevelPiece> pieces;
    std::vector<LevelSpawn> spawns;
    std::vector<LevelLight> lights;
};

int AddMaterial(Level& level, const LevelMaterial& material);
// Returns the piece's index (pieces are referred to by index: adding one may move the others).
int AddPiece(Level& level, const std::string& name, bool collision = true);

// A planar quad p0 p1 p2 p3 (in order around its edge) and a triangle, wound to face `outward`.
void AddQuad(Level& level, int piece, int material, const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2,
             const glm::vec3& p3, const glm::vec3& outward);
void AddTriangle(Level& level, int piece, int material, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
                 const glm::vec3& outward);

// An axis-aligned solid box. `faces` leaves out sides: bit 0 -x, 1 +x, 2 -y (bottom), 3 +y, 4 -z, 5 +z.
constexpr unsigned kAllFaces = 0x3F;
constexpr unsigned kNoBottom = kAllFaces & ~4u;
void AddBox(Level& level, int piece, int material, const glm::vec3& lo, const glm::vec3& hi,
            unsigned faces = kNoBottom);
// A box turned by `yawDegrees` about the vertical through its centre (bottom face left out).
void AddTurnedBox(Level& level, int piece, int material, const glm::vec3& centre, const glm::vec3& halfExtents,
                  float yawDegrees);
// A solid ramp over the rectangle lo.x..hi.x, lo.z..hi.z: its top rises from lo.y to hi.y along
// `direction` (0 +x, 1 -x, 2 +z, 3 -z); vertical sides, no bottom.
void AddRamp(Level& level, int piece, int material, const glm::vec3& lo, const glm::vec3& hi, int direction);
// `count` solid steps, each `rise` higher and `run` deeper than the one before, starting at the
// corner `start` (the low front edge's left end seen walking up), climbing along `direction` (as for
// AddRamp), `width` wide. The first step's top is at start.y + rise.
void AddStairs(Level& level, int piece, int material, const glm::vec3& start, int direction, int count, float rise,
               float run, float width);
// A vertical prism with `sides` faces (a pillar), from y0 to y1.
void AddPrism(Level& level, int piece, int material, const glm::vec3& centreBottom, float radius, int sides, float y1);
// A heightfield of nx x nz cells of `cell` metres from (x0, z0); `heights` holds (nx + 1) x (nz + 1)
// corner heights, row by row along x.
void AddHeightfield(Level& level, int piece, int material, float x0, float z0, float cell, int nx, int nz,
                    const std::vector<float>& heights);

// Writes "<root>/<folder>/<fileName>", its sidecar and "<root>/<folder>/preview.png" at `scale` metres
// per file unit. One "[assetgen]" line and false on failure.
bool WriteLevel(const Level& level, const std::string& root, const std::string& folder, const std::string& fileName,
                float scale);

// The triangles of every solid piece, in metres (for the preview and the generator's own checks).
struct LevelTriangle {
    glm::vec3 v[3];
    int material;
};
std::vector<LevelTriangle> SolidTriangles(const Level& level, bool previewOnly);
