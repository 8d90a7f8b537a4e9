// The level debug overlay's vertices, built without the GL.
#include "render/debug_mesh.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "game/collision_world.h"

namespace debug_mesh_test {

using Colour = std::array<uint8_t, 4>;

const Colour kOrdinary = {56, 62, 76, 255};
const Colour kFifth = {92, 100, 122, 255};
const Colour kXAxis = {70, 95, 150, 255};   // the line x = 0
const Colour kZAxis = {150, 70, 70, 255};   // the line z = 0
const Colour kPlate = {74, 78, 88, 255};
const Colour kBlock = {132, 136, 146, 255};

Colour ColourOf(const render::DebugVertex& v) { return {v.colour[0], v.colour[1], v.colour[2], v.colour[3]}; }
glm::vec3 At(const render::DebugVertex& v) { return glm::vec3(v.position[0], v.position[1], v.position[2]); }
glm::vec3 NormalOf(const render::DebugVertex& v) { return glm::vec3(v.normal[0], v.normal[1], v.normal[2]); }

glm::vec3 TriangleNormal(const render::DebugVertex* v) {
    const glm::vec3 a = At(v[0]), b = At(v[1]), c = At(v[2]);
    return glm::cross(b - a, c - a);
}

TEST(DebugMesh, TheDefaultGridHas41LinesEachWayInItsColours) {
    const CollisionWorld world;
    const tune::RendererTuning settings;
    std::vector<render::DebugVertex> lines, triangles;
    render::BuildLevelDebugVertices(world, settings, lines, triangles);
    ASSERT_EQ(lines.size(), 164u);
    for (int axis = 0; axis < 2; ++axis) {
        for (int i = 0; i < 41; ++i) {
            const render::DebugVertex& from = lines[size_t(axis * 82 + 2 * i)];
            const render::DebugVertex& to = lines[size_t(axis * 82 + 2 * i + 1)];
            const float t = -40.0f + 2.0f * float(i);
            // Lines of constant x run along z, then lines of constant z along x.
            const glm::vec3 a = axis == 0 ? glm::vec3(t, 0.002f, -40.0f) : glm::vec3(-40.0f, 0.002f, t);
            const glm::vec3 b = axis == 0 ? glm::vec3(t, 0.002f, 40.0f) : glm::vec3(40.0f, 0.002f, t);
            EXPECT_EQ(At(from), a);
            EXPECT_EQ(At(to), b);
            Colour expected = kOrdinary;
            if (t == 0.0f) {
                expected = axis == 0 ? kXAxis : kZAxis;
            } else if (int(std::fabs(t)) % 10 == 0) {
                expected = kFifth;  // every fifth line: 10, 20, 30 and 40 m out
            }
            EXPECT_EQ(ColourOf(from), expected) << "axis " << axis << " at " << t;
            EXPECT_EQ(ColourOf(to), expected) << "axis " << axis << " at " << t;
            EXPECT_EQ(NormalOf(from), glm::vec3(0.0f, 1.0f, 0.0f));
        }
    }
}

TEST(DebugMesh, TheFloorPlateStaysWithoutAGridAndFacesUp) {
    struct Case {
        uint8_t grid;
        float spacing, halfExtent, floorY;
        size_t lines;
        float plateHalf;
    };
    const Case cases[] = {
        {1, 2.0f, 40.0f, 0.0f, 164, 40.0f}, {1, 0.0f, 40.0f, 0.0f, 0, 40.0f},  {0, 2.0f, 40.0f, -1.5f, 0, 40.0f},
        {1, -1.0f, 40.0f, 0.0f, 0, 40.0f},  {0, 2.0f, 0.25f, 2.0f, 0, 1.0f},   {1, 0.5f, 0.5f, 0.0f, 12, 1.0f},
    };
    for (const Case& c : cases) {
        CollisionWorld world;
        world.floorY = c.floorY;
        tune::RendererTuning settings;
        settings.debugGrid = c.grid;
        settings.gridSpacing = c.spacing;
        settings.gridHalfExtent = c.halfExtent;
        std::vector<render::DebugVertex> lines, triangles;
        render::BuildLevelDebugVertices(world, settings, lines, triangles);
        EXPECT_EQ(lines.size(), c.lines) << int(c.grid) << ", " << c.spacing << ", " << c.halfExtent;
        ASSERT_EQ(triangles.size(), 6u);
        for (int t = 0; t < 2; ++t) {
            const glm::vec3 n = TriangleNormal(&triangles[size_t(3 * t)]);
            EXPECT_GT(n.y, 0.0f) << "plate triangle " << t << " must face up to survive culling";
        }
        for (const render::DebugVertex& v : triangles) {
            EXPECT_EQ(std::fabs(v.position[0]), c.plateHalf);
            EXPECT_EQ(std::fabs(v.position[2]), c.plateHalf);
            EXPECT_EQ(v.position[1], c.floorY);
            EXPECT_EQ(ColourOf(v), kPlate);
        }
    }
}

TEST(DebugMesh, AGridWithTooManyLinesIsLeftOutWithItsLine) {
    const float cases[][2] = {{40.0f, 1e-5f}, {std::numeric_limits<float>::infinity(), 2.0f}, {1e9f, 1.0f}};
    for (const auto& c : cases) {
        tune::RendererTuning settings;
        settings.gridHalfExtent = c[0];
        settings.gridSpacing = c[1];
        std::vector<render::DebugVertex> lines, triangles;
        testing::internal::CaptureStderr();
        render::BuildLevelDebugVertices(CollisionWorld{}, settings, lines, triangles);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(errors.rfind("[debug] ", 0), 0u) << errors;
        EXPECT_TRUE(lines.empty());
        EXPECT_EQ(triangles.size(), 6u);
    }
}

TEST(DebugMesh, GreyboxBlocksAreThirtySixVerticesFacingOut) {
    CollisionWorld world;
    world.BuildGreybox();
    ASSERT_FALSE(world.boxes.empty());
    std::vector<render::DebugVertex> lines, triangles;
    render::BuildLevelDebugVertices(world, tune::RendererTuning{}, lines, triangles);
    ASSERT_EQ(triangles.size(), 6u + 36u * world.boxes.size());
    for (size_t b = 0; b < world.boxes.size(); ++b) {
        const Aabb& box = world.boxes[b];
        const glm::vec3 centre = (box.min + box.max) * 0.5f;
        for (int t = 0; t < 12; ++t) {
            const render::DebugVertex* v = &triangles[6 + 36 * b + 3 * size_t(t)];
            const glm::vec3 stated = NormalOf(v[0]);
            const glm::vec3 wound = TriangleNormal(v);
            // Counter-clockwise seen from outside: the winding agrees with the stated normal, which
            // points away from the block's centre.
            EXPECT_GT(glm::dot(wound, stated), 0.0f) << "block " << b << " triangle " << t;
            EXPECT_GT(glm::dot(At(v[0]) - centre, stated), 0.0f) << "block " << b << " triangle " << t;
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(ColourOf(v[k]), kBlock);
                for (int axis = 0; axis < 3; ++axis) {
                    EXPECT_TRUE(v[k].position[axis] == box.min[axis] || v[k].position[axis] == box.max[axis]);
                }
            }
        }
    }
}

}  // namespace debug_mesh_test
