#pragma once
// The vault's room is built in code, not loaded: the walls and the front lip with the apron before
// it, the two trapdoor halves of the checkered floor, the shaft below them, its lava and the crust
// floating on it. Each mesh is made of quads (and the crust of fans) and handed to the renderer's
// model builder as one model. Building the meshes needs no GL; BuildVaultModels does.
#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "render/static_model.h"
#include "ui/vault_settings.h"

namespace vault {

// A model under construction: its vertices and one or two parts.
struct VaultMesh {
    std::vector<render::PartVertex> vertices;
    std::vector<render::ModelPart> parts;
};

constexpr int kCrustPlates = 26;
constexpr int kCrustRimCorners = 7;
constexpr uint32_t kCrustSeed = 0xC0FFEE;

// Appends the corners a, b, c, d with the normal and the triangles (a, b, c) and (a, c, d) to the
// part (which must exist).
void AddQuad(VaultMesh& mesh, size_t part, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
             const glm::vec3& d, const glm::vec3& normal);

// The tile size the floor uses: the setting, at least 0.25.
float FloorTileSize(const VaultSettings& settings);

// One trapdoor half: the tiles whose centre lies in front of z = 0 (front) or not (back), each an
// upward quad at y = 0 in the part of its checker parity.
VaultMesh BuildVaultDoor(const VaultSettings& settings, bool front);
VaultMesh BuildVaultRoomMesh(const VaultSettings& settings);
VaultMesh BuildVaultPitMesh(const VaultSettings& settings);
VaultMesh BuildVaultLavaMesh(const VaultSettings& settings);
VaultMesh BuildVaultCrustMesh(const VaultSettings& settings);

struct VaultModels {
    render::StaticModel room;
    render::StaticModel pit;
    render::StaticModel lava;
    render::StaticModel crust;
    render::StaticModel frontDoor;
    render::StaticModel backDoor;

    void Destroy();
};

// Builds the six models on the GPU, each with its "[model]" line; false when one could not be
// built (the others are kept).
bool BuildVaultModels(const VaultSettings& settings, VaultModels& models);

}  // namespace vault
