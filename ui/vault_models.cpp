#include "ui/vault_models.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

#include "render/next_rand01.h"

namespace vault {

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr float kLipDepth = 0.15f;
constexpr float kApronOverhang = 2.0f;  // the apron reaches past the side walls
constexpr float kGlowBand = 1.1f;       // the lowest stretch of the shaft that the lava lights

render::ModelPart Part(const glm::vec3& colour, const glm::vec3& glow) {
    render::ModelPart part;
    part.baseColour = glm::vec4(colour, 1.0f);
    part.emissive = glow;
    return part;
}

// A rectangle from `corner` along the edges u and v, wound so that it faces `normal`.
void AddRect(VaultMesh& mesh, size_t part, const glm::vec3& corner, glm::vec3 u, glm::vec3 v,
             const glm::vec3& normal) {
    if (glm::dot(glm::cross(u, v), normal) < 0.0f) std::swap(u, v);
    AddQuad(mesh, part, corner, corner + u, corner + u + v, corner + v, normal);
}

// The four walls of a box from y = top down to y = bottom over x0..x1, z0..z1, facing inwards.
void AddInwardWalls(VaultMesh& mesh, size_t part, float x0, float x1, float z0, float z1, float bottom, float top) {
    const glm::vec3 up(0.0f, top - bottom, 0.0f);
    AddRect(mesh, part, glm::vec3(x0, bottom, z0), glm::vec3(x1 - x0, 0, 0), up, glm::vec3(0, 0, 1));
    AddRect(mesh, part, glm::vec3(x0, bottom, z1), glm::vec3(x1 - x0, 0, 0), up, glm::vec3(0, 0, -1));
    AddRect(mesh, part, glm::vec3(x0, bottom, z0), glm::vec3(0, 0, z1 - z0), up, glm::vec3(1, 0, 0));
    AddRect(mesh, part, glm::vec3(x1, bottom, z0), glm::vec3(0, 0, z1 - z0), up, glm::vec3(-1, 0, 0));
}

}  // namespace

void AddQuad(VaultMesh& mesh, size_t part, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
             const glm::vec3& d, const glm::vec3& normal) {
    const uint32_t base = uint32_t(mesh.vertices.size());
    for (const glm::vec3& corner : {a, b, c, d}) mesh.vertices.push_back(render::PartVertex{corner, normal});
    std::vector<uint32_t>& indices = mesh.parts[part].indices;
    indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
}

float FloorTileSize(const VaultSettings& settings) { return std::max(settings.floorTileSize, 0.25f); }

VaultMesh BuildVaultDoor(const VaultSettings& settings, bool front) {
    const float tile = FloorTileSize(settings);
    const float x0 = -settings.roomWidth * 0.5f, x1 = settings.roomWidth * 0.5f;
    const float z0 = -settings.roomDepth * 0.5f, z1 = settings.roomDepth * 0.5f;
    const int nx = std::max(1, int(std::ceil(settings.roomWidth / tile)));
    const int nz = std::max(1, int(std::ceil(settings.roomDepth / tile)));
    VaultMesh mesh;
    mesh.parts = {Part(settings.tileColourA, glm::vec3(0.0f)), Part(settings.tileColourB, glm::vec3(0.0f))};
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < nz; ++j) {
            const float ax = std::min(x0 + float(i) * tile, x1), bx = std::min(x0 + float(i + 1) * tile, x1);
            const float az = std::min(z0 + float(j) * tile, z1), bz = std::min(z0 + float(j + 1) * tile, z1);
            if ((((az + bz) * 0.5f) > 0.0f) != front) continue;
            AddRect(mesh, size_t((i + j) % 2), glm::vec3(ax, 0.0f, az), glm::vec3(bx - ax, 0, 0),
                    glm::vec3(0, 0, bz - az), glm::vec3(0, 1, 0));
        }
    }
    return mesh;
}

VaultMesh BuildVaultRoomMesh(const VaultSettings& settings) {
    const float x0 = -settings.roomWidth * 0.5f, x1 = settings.roomWidth * 0.5f;
    const float z0 = -settings.roomDepth * 0.5f, z1 = settings.roomDepth * 0.5f;
    const float height = settings.roomHeight;
    const float lip = std::max(settings.lipHeight, 0.0f);
    const float apron = std::max(settings.apronLength, 0.0f);
    VaultMesh mesh;
    mesh.parts = {Part(settings.wallColour, glm::vec3(0.0f)), Part(settings.tileColourB, glm::vec3(0.0f))};
    const glm::vec3 across(x1 - x0, 0, 0);
    // The front lip: its back face, its top and its front face.
    AddRect(mesh, 0, glm::vec3(x0, 0, z1), across, glm::vec3(0, lip, 0), glm::vec3(0, 0, 1));
    AddRect(mesh, 0, glm::vec3(x0, lip, z1), across, glm::vec3(0, 0, kLipDepth), glm::vec3(0, 1, 0));
    AddRect(mesh, 0, glm::vec3(x0, 0, z1 + kLipDepth), across, glm::vec3(0, lip, 0), glm::vec3(0, 0, 1));
    AddRect(mesh, 1, glm::vec3(x0 - kApronOverhang, 0, z1), glm::vec3(x1 - x0 + 2 * kApronOverhang, 0, 0),
            glm::vec3(0, 0, apron), glm::vec3(0, 1, 0));
    const glm::vec3 up(0, height, 0);
    AddRect(mesh, 0, glm::vec3(x0, 0, z0), across, up, glm::vec3(0, 0, 1));
    AddRect(mesh, 0, glm::vec3(x0, 0, z0), glm::vec3(0, 0, z1 - z0), up, glm::vec3(1, 0, 0));
    AddRect(mesh, 0, glm::vec3(x1, 0, z0), glm::vec3(0, 0, z1 - z0), up, glm::vec3(-1, 0, 0));
    return mesh;
}

VaultMesh BuildVaultPitMesh(const VaultSettings& settings) {
    const float x0 = -settings.roomWidth * 0.5f, x1 = settings.roomWidth * 0.5f;
    const float z0 = -settings.roomDepth * 0.5f, z1 = settings.roomDepth * 0.5f;
    const float bottom = -settings.pitDepth;
    const float split = kGlowBand - settings.pitDepth;
    VaultMesh mesh;
    mesh.parts = {Part(settings.pitWallColour, glm::vec3(0.0f)), Part(settings.pitWallColour, 0.35f * settings.lavaGlow)};
    AddInwardWalls(mesh, 0, x0, x1, z0, z1, split, 0.0f);
    AddInwardWalls(mesh, 1, x0, x1, z0, z1, bottom, split);
    return mesh;
}

VaultMesh BuildVaultLavaMesh(const VaultSettings& settings) {
    const float x0 = -settings.roomWidth * 0.5f, z0 = -settings.roomDepth * 0.5f;
    VaultMesh mesh;
    mesh.parts = {Part(settings.lavaColour, settings.lavaGlow)};
    AddRect(mesh, 0, glm::vec3(x0, -settings.pitDepth, z0), glm::vec3(settings.roomWidth, 0, 0),
            glm::vec3(0, 0, settings.roomDepth), glm::vec3(0, 1, 0));
    return mesh;
}

VaultMesh BuildVaultCrustMesh(const VaultSettings& settings) {
    const float width = settings.roomWidth, depth = settings.roomDepth;
    const float y = 0.02f - settings.pitDepth;
    VaultMesh mesh;
    mesh.parts = {Part(settings.crustColour, glm::vec3(0.0f))};
    std::vector<uint32_t>& indices = mesh.parts[0].indices;
    uint32_t state = kCrustSeed;
    for (int plate = 0; plate < kCrustPlates; ++plate) {
        const float cx = (NextRand01(state) - 0.5f) * width;
        const float cz = (NextRand01(state) - 0.5f) * depth;
        const float size = 0.35f + 0.7f * NextRand01(state);
        float radius[kCrustRimCorners];
        for (float& r : radius) r = (0.6f + 0.4f * NextRand01(state)) * size;
        // Copies a room's width to either side, so the crust reads as drifting past the shaft.
        for (const float shift : {-width, 0.0f, width}) {
            const glm::vec3 centre(cx + shift, y, cz);
            const uint32_t base = uint32_t(mesh.vertices.size());
            mesh.vertices.push_back(render::PartVertex{centre, glm::vec3(0, 1, 0)});
            for (int k = 0; k < kCrustRimCorners; ++k) {
                const float angle = float(k) * kTwoPi / float(kCrustRimCorners);
                const glm::vec3 rim(std::cos(angle) * radius[k], 0.0f, std::sin(angle) * radius[k] * 0.8f);
                mesh.vertices.push_back(render::PartVertex{centre + rim, glm::vec3(0, 1, 0)});
            }
            for (uint32_t k = 0; k < uint32_t(kCrustRimCorners); ++k) {
                indices.insert(indices.end(),
                               {base, base + 1 + (k + 1) % uint32_t(kCrustRimCorners), base + 1 + k});
            }
        }
    }
    return mesh;
}

void VaultModels::Destroy() {
    for (render::StaticModel* model : {&room, &pit, &lava, &crust, &frontDoor, &backDoor}) model->Destroy();
}

bool BuildVaultModels(const VaultSettings& settings, VaultModels& models) {
    struct Build {
        render::StaticModel* model;
        VaultMesh mesh;
        const char* name;
    };
    Build builds[] = {
        {&models.room, BuildVaultRoomMesh(settings), "vault room"},
        {&models.pit, BuildVaultPitMesh(settings), "vault pit"},
        {&models.lava, BuildVaultLavaMesh(settings), "vault lava"},
        {&models.crust, BuildVaultCrustMesh(settings), "vault crust"},
        {&models.frontDoor, BuildVaultDoor(settings, true), "vault door (front)"},
        {&models.backDoor, BuildVaultDoor(settings, false), "vault door (back)"},
    };
    bool all = true;
    for (Build& build : builds) {
        if (!build.model->BuildFromParts(build.mesh.vertices, build.mesh.parts, build.name)) all = false;
    }
    return all;
}

}  // namespace vault
