// The vault's room built in code: the trapdoor tiles cover the room exactly at any tile size, the
// walls, shaft and lava face where the camera and the items need them, and the crust is the same
// scattered set of plates every time, copied a room's width to either side.
#include <cmath>
#include <set>
#include <utility>

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "render/next_rand01.h"
#include "ui/vault_models.h"

namespace vault_models_test {

using vault::VaultMesh;
using vault::VaultSettings;

// Each triangle's winding agrees with its vertices' normal; returns the summed area.
double CheckedArea(const VaultMesh& mesh, size_t part) {
    double area = 0.0;
    const std::vector<uint32_t>& indices = mesh.parts[part].indices;
    EXPECT_EQ(indices.size() % 3, 0u);
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const render::PartVertex& a = mesh.vertices.at(indices[t]);
        const glm::vec3 b = mesh.vertices.at(indices[t + 1]).position;
        const glm::vec3 c = mesh.vertices.at(indices[t + 2]).position;
        const glm::vec3 cross = glm::cross(b - a.position, c - a.position);
        EXPECT_GT(glm::dot(cross, a.normal), 0.0f) << "triangle " << t / 3 << " faces away from its normal";
        area += 0.5 * glm::length(cross);
    }
    return area;
}

struct FloorCase {
    float width, depth, tile;
    int columns, rows;  // of the whole floor
};

TEST(VaultModels, TheTwoTrapdoorsCoverTheRoomExactly) {
    const FloorCase cases[] = {
        {12.0f, 8.0f, 1.0f, 12, 8},
        {12.0f, 8.0f, 0.7f, 18, 12},   // the last column and row clipped
        {12.0f, 8.0f, 0.1f, 48, 32},   // below 0.25 counts as 0.25
        {0.6f, 8.0f, 1.0f, 1, 8},      // narrower than a tile: one clipped column
    };
    for (const FloorCase& c : cases) {
        VaultSettings settings;
        settings.roomWidth = c.width;
        settings.roomDepth = c.depth;
        settings.floorTileSize = c.tile;
        const VaultMesh front = vault::BuildVaultDoor(settings, true);
        const VaultMesh back = vault::BuildVaultDoor(settings, false);
        ASSERT_EQ(front.parts.size(), 2u);
        ASSERT_EQ(back.parts.size(), 2u);
        EXPECT_EQ(front.vertices.size() + back.vertices.size(), size_t(c.columns * c.rows) * 4) << c.tile;
        double area = 0.0;
        for (const VaultMesh* door : {&front, &back}) {
            for (size_t p = 0; p < 2; ++p) area += CheckedArea(*door, p);
        }
        EXPECT_NEAR(area, double(c.width) * c.depth, 1e-3) << c.tile;
        // Each tile goes to the half its centre lies in.
        for (const VaultMesh* door : {&front, &back}) {
            for (size_t q = 0; q + 3 < door->vertices.size(); q += 4) {
                float centreZ = 0.0f;
                for (size_t k = 0; k < 4; ++k) {
                    const glm::vec3 p = door->vertices[q + k].position;
                    EXPECT_EQ(p.y, 0.0f);
                    EXPECT_LE(std::abs(p.x), c.width * 0.5f);
                    EXPECT_LE(std::abs(p.z), c.depth * 0.5f);
                    centreZ += p.z * 0.25f;
                }
                EXPECT_EQ(centreZ > 0.0f, door == &front) << c.tile;
            }
        }
    }
}

TEST(VaultModels, NeighbouringTilesAlternateBetweenTheTwoColours) {
    VaultSettings settings;
    const VaultMesh back = vault::BuildVaultDoor(settings, false);
    EXPECT_EQ(back.parts[0].baseColour, glm::vec4(settings.tileColourA, 1.0f));
    EXPECT_EQ(back.parts[1].baseColour, glm::vec4(settings.tileColourB, 1.0f));
    // 12 x 4 tiles: half of each parity.
    EXPECT_EQ(back.parts[0].indices.size(), 24u * 6);
    EXPECT_EQ(back.parts[1].indices.size(), 24u * 6);
    // The corner tile (0, 0) at (-6, -4) is of the first colour.
    const uint32_t first = back.parts[0].indices[0];
    std::set<std::pair<float, float>> corners;
    for (int k = 0; k < 4; ++k) corners.insert({back.vertices[first + k].position.x, back.vertices[first + k].position.z});
    EXPECT_TRUE(corners.count({-6.0f, -4.0f}));
}

TEST(VaultModels, TheRoomAndTheShaftFaceInwardsWithTheirColours) {
    VaultSettings settings;
    const VaultMesh room = vault::BuildVaultRoomMesh(settings);
    ASSERT_EQ(room.parts.size(), 2u);
    // Lip (3 faces) and three walls in the wall colour, the apron in the second tile colour.
    EXPECT_EQ(room.parts[0].indices.size(), 6u * 6);
    EXPECT_EQ(room.parts[1].indices.size(), 6u);
    EXPECT_NEAR(CheckedArea(room, 1), (12.0 + 4.0) * 3.0, 1e-3);
    EXPECT_NEAR(CheckedArea(room, 0), 2 * 12.0 * 0.3 + 12.0 * 0.15 + 12.0 * 4.5 + 2 * 8.0 * 4.5, 1e-2);
    EXPECT_EQ(room.parts[1].baseColour, glm::vec4(settings.tileColourB, 1.0f));

    const VaultMesh pit = vault::BuildVaultPitMesh(settings);
    ASSERT_EQ(pit.parts.size(), 2u);
    EXPECT_NEAR(CheckedArea(pit, 0), 2 * (12.0 + 8.0) * 3.9, 1e-2);
    EXPECT_NEAR(CheckedArea(pit, 1), 2 * (12.0 + 8.0) * 1.1, 1e-2);
    EXPECT_EQ(pit.parts[0].emissive, glm::vec3(0.0f));
    EXPECT_EQ(pit.parts[1].emissive, 0.35f * settings.lavaGlow);
    EXPECT_EQ(pit.parts[1].baseColour, glm::vec4(settings.pitWallColour, 1.0f));
    for (const render::PartVertex& v : pit.vertices) {
        EXPECT_LE(v.position.y, 0.0f);
        EXPECT_GE(v.position.y, -5.0f);
        // Inwards: the normal points towards the shaft's axis.
        EXPECT_LT(glm::dot(v.normal, glm::vec3(v.position.x, 0.0f, v.position.z)), 0.0f);
    }

    const VaultMesh lava = vault::BuildVaultLavaMesh(settings);
    ASSERT_EQ(lava.vertices.size(), 4u);
    EXPECT_NEAR(CheckedArea(lava, 0), 96.0, 1e-3);
    for (const render::PartVertex& v : lava.vertices) EXPECT_EQ(v.position.y, -5.0f);
    EXPECT_EQ(lava.parts[0].emissive, settings.lavaGlow);
}

TEST(VaultModels, TheCrustIsTheSameScatterOfPlatesCopiedToEitherSide) {
    VaultSettings settings;
    const VaultMesh crust = vault::BuildVaultCrustMesh(settings);
    ASSERT_EQ(crust.parts.size(), 1u);
    ASSERT_EQ(crust.vertices.size(), size_t(vault::kCrustPlates) * 3 * 8);
    ASSERT_EQ(crust.parts[0].indices.size(), size_t(vault::kCrustPlates) * 3 * 7 * 3);
    CheckedArea(crust, 0);
    for (int plate = 0; plate < vault::kCrustPlates; ++plate) {
        const size_t first = size_t(plate) * 24;
        for (int v = 0; v < 8; ++v) {
            const glm::vec3 left = crust.vertices[first + size_t(v)].position;
            const glm::vec3 middle = crust.vertices[first + 8 + size_t(v)].position;
            const glm::vec3 right = crust.vertices[first + 16 + size_t(v)].position;
            EXPECT_FLOAT_EQ(middle.x - left.x, 12.0f);
            EXPECT_FLOAT_EQ(right.x - middle.x, 12.0f);
            EXPECT_EQ(left.z, middle.z);
            EXPECT_EQ(right.z, middle.z);
            EXPECT_FLOAT_EQ(middle.y, 0.02f - 5.0f);
        }
        const glm::vec3 centre = crust.vertices[first + 8].position;
        EXPECT_LE(std::abs(centre.x), 6.0f);
        EXPECT_LE(std::abs(centre.z), 4.0f);
    }
    // The first plate from the stream seeded 0xC0FFEE.
    uint32_t state = vault::kCrustSeed;
    const float x = (NextRand01(state) - 0.5f) * 12.0f;
    const float z = (NextRand01(state) - 0.5f) * 8.0f;
    EXPECT_EQ(crust.vertices[8].position.x, x);
    EXPECT_EQ(crust.vertices[8].position.z, z);
    const VaultMesh again = vault::BuildVaultCrustMesh(settings);
    for (size_t v = 0; v < crust.vertices.size(); ++v) EXPECT_EQ(again.vertices[v].position, crust.vertices[v].position);
}

}  // namespace vault_models_test
