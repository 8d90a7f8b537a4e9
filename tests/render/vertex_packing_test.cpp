#include "render/vertex_packing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct WeightCase {
    float in[4];
    uint8_t out[4];
};

TEST(VertexPacking, WeightsRoundToBytesThatSumTo255) {
    const WeightCase cases[] = {
        {{0.5f, 0.5f, 0.0f, 0.0f}, {127, 128, 0, 0}},   // 127.5 goes up, then the first largest gives one back
        {{1.0f, 0.0f, 0.0f, 0.0f}, {255, 0, 0, 0}},
        {{0.0f, 0.0f, 0.0f, 0.0f}, {0, 0, 0, 0}},       // no joint: no correction
        {{2.0f, 1.0f, 1.0f, 0.0f}, {127, 64, 64, 0}},   // scaled to sum 1 first: 128 + 64 + 64, less one
        {{1.0f, 1.0f, 1.0f, 0.0f}, {85, 85, 85, 0}},
        {{NAN, 1.0f, 0.0f, 0.0f}, {0, 255, 0, 0}},      // not a number counts as 0
        {{-1.0f, 2.0f, 0.0f, 0.0f}, {0, 255, 0, 0}},    // negatives clamp after scaling
    };
    for (const WeightCase& c : cases) {
        uint8_t out[4];
        render::QuantiseWeights(c.in, out);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], c.out[i]) << "weight " << i << " of " << c.in[0] << "," << c.in[1];
        const int sum = out[0] + out[1] + out[2] + out[3];
        EXPECT_TRUE(sum == 0 || sum == 255);
    }
}

TEST(VertexPacking, NormalsPackTenBitsEachRoundingHalvesAway) {
    struct Case {
        float x, y, z;
        uint32_t packed;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 0.0f, 511u << 10},
        {-1.0f, 0.0f, 0.0f, 0x201u},                  // -511 in 10 bits
        {2.0f, -3.0f, 0.0f, 511u | 0x201u << 10},     // clamped
        {0.25f, 0.0f, -0.25f, 128u | 0x380u << 20},   // 127.75 -> 128, -127.75 -> -128
        {NAN, 0.0f, 0.0f, 0u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(render::PackNormal(c.x, c.y, c.z), c.packed) << c.x << " " << c.y << " " << c.z;
    }
}

}  // namespace
