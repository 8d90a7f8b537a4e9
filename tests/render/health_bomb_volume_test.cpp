// The health-bomb field's sphere and queue without the GL.
#include "render/health_bomb_volume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include <glm/geometric.hpp>

namespace health_bomb_volume_test {

glm::vec3 Position(const std::vector<float>& positions, uint32_t index) {
    return glm::vec3(positions[3 * index], positions[3 * index + 1], positions[3 * index + 2]);
}

TEST(HealthBombVolume, TheUnitSphereHas825VerticesAnd4608IndicesWoundOutward) {
    std::vector<float> positions;
    std::vector<uint32_t> indices;
    HealthBombVolume::BuildSphere(positions, indices);
    ASSERT_EQ(positions.size(), 825u * 3u);
    ASSERT_EQ(indices.size(), 4608u);
    for (uint32_t i = 0; i < 825; ++i) EXPECT_NEAR(glm::length(Position(positions, i)), 1.0f, 1e-5f) << i;
    // Ring 0 is the top pole, ring 24 the bottom one; column 32 repeats column 0.
    EXPECT_NEAR(Position(positions, 0).y, 1.0f, 1e-6f);
    EXPECT_NEAR(Position(positions, 24 * 33 + 7).y, -1.0f, 1e-6f);
    for (uint32_t ring = 0; ring < 25; ++ring) {
        EXPECT_NEAR(glm::length(Position(positions, ring * 33 + 32) - Position(positions, ring * 33)), 0.0f, 1e-5f);
    }
    // The first quad: (0, 1, 33) and (1, 34, 33).
    const uint32_t first[6] = {0, 1, 33, 1, 34, 33};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(indices[size_t(k)], first[k]);
    int outward = 0, degenerate = 0;
    for (size_t t = 0; t < indices.size(); t += 3) {
        const glm::vec3 a = Position(positions, indices[t]);
        const glm::vec3 b = Position(positions, indices[t + 1]);
        const glm::vec3 c = Position(positions, indices[t + 2]);
        const glm::vec3 n = glm::cross(b - a, c - a);
        if (glm::length(n) < 1e-7f) {
            ++degenerate;  // the slivers at the poles
            continue;
        }
        outward += glm::dot(n, a + b + c) > 0.0f ? 1 : 0;
    }
    EXPECT_EQ(outward, 1536 - degenerate);  // every real triangle faces out: back-face culling hides the inside
    EXPECT_LE(degenerate, 64);
}

TEST(HealthBombVolume, FieldsNeedARadiusAndFiniteNumbers) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    HealthBombVolume volume;
    volume.AddField(glm::vec3(0.0f), 0.0f, glm::vec3(1.0f), 0.1f, 0.5f, 2.0f);
    volume.AddField(glm::vec3(0.0f), -1.0f, glm::vec3(1.0f), 0.1f, 0.5f, 2.0f);
    volume.AddField(glm::vec3(0.0f), nan, glm::vec3(1.0f), 0.1f, 0.5f, 2.0f);
    volume.AddField(glm::vec3(0.0f), inf, glm::vec3(1.0f), 0.1f, 0.5f, 2.0f);
    volume.AddField(glm::vec3(nan), 1.0f, glm::vec3(1.0f), 0.1f, 0.5f, 2.0f);
    volume.AddField(glm::vec3(0.0f), 1.0f, glm::vec3(inf), 0.1f, 0.5f, 2.0f);
    volume.AddField(glm::vec3(0.0f), 1.0f, glm::vec3(1.0f), nan, 0.5f, 2.0f);
    volume.AddField(glm::vec3(0.0f), 1.0f, glm::vec3(1.0f), 0.1f, -inf, 2.0f);
    volume.AddField(glm::vec3(0.0f), 1.0f, glm::vec3(1.0f), 0.1f, 0.5f, nan);
    EXPECT_TRUE(volume.fields.empty());
    volume.AddField(glm::vec3(1.0f, 2.0f, 3.0f), 4.0f, glm::vec3(0.2f, 1.0f, 0.4f), 0.1f, 0.5f, 2.0f);
    volume.AddField(glm::vec3(0.0f), 0.001f, glm::vec3(1.0f), 0.1f, 0.5f, 2.0f);
    ASSERT_EQ(volume.fields.size(), 2u);
    EXPECT_EQ(volume.fields[0].radius, 4.0f);
    EXPECT_EQ(volume.fields[0].rimPower, 2.0f);
    volume.Clear();
    EXPECT_TRUE(volume.fields.empty());
}

TEST(HealthBombVolume, TheCameraOnTheSurfaceSeesTheOutside) {
    struct Case {
        glm::vec3 camera;
        bool outside;
    };
    const glm::vec3 centre(1.0f, 2.0f, 3.0f);
    const Case cases[] = {{{3.0f, 2.0f, 3.0f}, true},  {{1.0f, 2.0f, 1.0f}, true}, {{10.0f, 0.0f, 0.0f}, true},
                          {{2.9f, 2.0f, 3.0f}, false}, {{1.0f, 2.0f, 3.0f}, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(SeesFieldFromOutside(c.camera, centre, 2.0f), c.outside)
            << c.camera.x << ", " << c.camera.y << ", " << c.camera.z;
    }
}

}  // namespace health_bomb_volume_test
