#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

// Rigid models built from simple solids (boxes, tapered cylinders, ellipsoids, rings), one triangle list
// per material. The same kit becomes a .glb model and, drawn flat from the side, its HUD icon, so the
// picture always matches the model.
struct KitMaterial {
    std::string name;
    glm::vec4 colour{0.8f, 0.8f, 0.8f, 1.0f};  // linear RGBA
    float metallic = 0.0f;
    float roughness = 0.8f;
    glm::vec3 emissive{0.0f, 0.0f, 0.0f};
    bool doubleSided = false;
    bool blend = false;
    // A light that scene lights must not shade: the model gets a black base colour and a small texture
    // of `colour` as its emissive texture, which the game draws unlit. Icons still paint `colour`.
    bool unlit = false;
};

struct KitSolid {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<uint32_t> indices;  // triangles, counter-clockwise seen from outside
};

struct Kit {
    std::vector<KitMaterial> materials;
    std::vector<KitSolid> solids;  // one per material, same index
};

int AddMaterial(Kit& kit, const KitMaterial& material);

// Placement of a solid: translate(centre) x rotation by yaw (about y), then pitch (about x), then roll
// (about z), in degrees.
glm::mat4 Place(glm::vec3 centre, float pitchDegrees = 0, float yawDegrees = 0, float rollDegrees = 0);

// Placement of a solid whose local z axis runs from `from` to `to`, centred between them.
glm::mat4 PlaceAlong(glm::vec3 from, glm::vec3 to);

void AddBox(Kit& kit, int material, const glm::mat4& place, glm::vec3 half);
// A cylinder along the local z axis from -halfLength (radius `back`) to +halfLength (radius `front`);
// a radius of 0 makes a cone. Both ends are capped.
void AddCylinder(Kit& kit, int material, const glm::mat4& place, float back, float front, float halfLength, int sides = 16);
void AddEllipsoid(Kit& kit, int material, const glm::mat4& place, glm::vec3 radii, int rings = 10, int sides = 16);
// A ring in the local x-y plane around the z axis.
void AddTorus(Kit& kit, int material, const glm::mat4& place, float radius, float tube, int sides = 24, int tubeSides = 8);

// Box of every vertex.
void KitBounds(const Kit& kit, glm::vec3& lo, glm::vec3& hi);
