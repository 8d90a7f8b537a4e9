// World sprites queued and turned into vertices without the GL.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/sprite_sheet.h"

namespace sprite_queue_test {

TEST(SpriteQueue, FramesAreInsetRectanglesOfTheGrid) {
    struct Case {
        int32_t columns, rows, column, row;
        float s0, t0, s1, t1;
    };
    const Case cases[] = {
        {4, 4, 1, 2, 0.2505f, 0.5005f, 0.4995f, 0.7495f},
        {4, 4, 0, 0, 0.0005f, 0.0005f, 0.2495f, 0.2495f},
        {6, 2, 5, 1, 5.0f / 6.0f + 0.0005f, 0.5005f, 0.9995f, 0.9995f},
        {1, 1, 0, 0, 0.0005f, 0.0005f, 0.9995f, 0.9995f},
    };
    for (const Case& c : cases) {
        SpriteSheet sheet;
        sheet.columns = c.columns;
        sheet.rows = c.rows;
        sheet.Queue(glm::vec3(1.0f, 2.0f, 3.0f), 0.7f, c.column, c.row, glm::vec3(1.0f, 0.8f, 0.2f), 0.5f);
        ASSERT_EQ(sheet.sprites.size(), 1u);
        const SpriteSheet::WorldSprite& sprite = sheet.sprites[0];
        EXPECT_FLOAT_EQ(sprite.s0, c.s0);
        EXPECT_FLOAT_EQ(sprite.t0, c.t0);
        EXPECT_FLOAT_EQ(sprite.s1, c.s1);
        EXPECT_FLOAT_EQ(sprite.t1, c.t1);
        EXPECT_FLOAT_EQ(sprite.halfSize, 0.35f);  // the size given is the whole edge
    }
}

TEST(SpriteQueue, FramesOutsideTheGridAndNumbersThatAreNotFiniteAreIgnored) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    SpriteSheet sheet;
    sheet.columns = 6;
    sheet.rows = 2;
    const int32_t frames[][2] = {{-1, 0}, {6, 0}, {0, 2}, {0, -1}, {100, 100}};
    for (const auto& frame : frames) sheet.Queue(glm::vec3(0.0f), 1.0f, frame[0], frame[1], glm::vec3(1.0f), 1.0f);
    sheet.Queue(glm::vec3(nan, 0.0f, 0.0f), 1.0f, 0, 0, glm::vec3(1.0f), 1.0f);
    sheet.Queue(glm::vec3(0.0f), inf, 0, 0, glm::vec3(1.0f), 1.0f);
    sheet.Queue(glm::vec3(0.0f), 1.0f, 0, 0, glm::vec3(1.0f, nan, 1.0f), 1.0f);
    sheet.Queue(glm::vec3(0.0f), 1.0f, 0, 0, glm::vec3(1.0f), -inf);
    EXPECT_TRUE(sheet.sprites.empty());
    sheet.Queue(glm::vec3(0.0f), 1.0f, 5, 1, glm::vec3(1.0f), 1.0f);
    EXPECT_EQ(sheet.sprites.size(), 1u);
    sheet.Clear();
    EXPECT_TRUE(sheet.sprites.empty());
}

TEST(SpriteQueue, SixVerticesASpriteWithRowZeroAtTheTop) {
    SpriteSheet sheet;
    sheet.columns = 4;
    sheet.rows = 4;
    sheet.Queue(glm::vec3(0.0f, 1.0f, 0.0f), 2.0f, 1, 2, glm::vec3(0.5f, 0.25f, 1.0f), 0.75f);
    sheet.Queue(glm::vec3(5.0f, 1.0f, 0.0f), 1.0f, 3, 0, glm::vec3(1.0f), 1.0f);
    sheet.BuildVertices(glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    ASSERT_EQ(sheet.vertices.size(), 12u);
    const SpriteSheet::WorldSprite& sprite = sheet.sprites[0];
    for (int i = 0; i < 6; ++i) {
        const SpriteVertex& v = sheet.vertices[size_t(i)];
        // Left corners take s0, right ones s1; top corners t0 (the upper row of the image), bottom t1.
        EXPECT_EQ(v.uv[0], v.position[0] < 0.0f ? sprite.s0 : sprite.s1) << "vertex " << i;
        EXPECT_EQ(v.uv[1], v.position[1] > 1.0f ? sprite.t0 : sprite.t1) << "vertex " << i;
        EXPECT_EQ(std::fabs(v.position[0]), 1.0f);
        EXPECT_EQ(std::fabs(v.position[1] - 1.0f), 1.0f);
        EXPECT_EQ(v.colour[0], 0.5f);
        EXPECT_EQ(v.colour[1], 0.25f);
        EXPECT_EQ(v.colour[2], 1.0f);
        EXPECT_EQ(v.colour[3], 0.75f);
        const float frame[4] = {sprite.s0, sprite.t0, sprite.s1, sprite.t1};
        for (int k = 0; k < 4; ++k) EXPECT_EQ(v.frame[k], frame[k]);
    }
    // The two triangles are counter-clockwise facing the camera (+z here).
    for (int t = 0; t < 2; ++t) {
        const SpriteVertex* v = sheet.vertices.data() + 3 * t;
        const glm::vec3 a(v[0].position[0], v[0].position[1], v[0].position[2]);
        const glm::vec3 b(v[1].position[0], v[1].position[1], v[1].position[2]);
        const glm::vec3 c(v[2].position[0], v[2].position[1], v[2].position[2]);
        const glm::vec3 e1 = b - a, e2 = c - a;
        EXPECT_GT(e1.x * e2.y - e1.y * e2.x, 0.0f) << "triangle " << t;
    }
    EXPECT_EQ(sheet.vertices[6].frame[0], sheet.sprites[1].s0);
}

TEST(SpriteQueue, TheVertexBufferGrowsToTheFloorOrTwiceTheNeed) {
    struct Case {
        uint64_t needed, capacity, grown;
    };
    const Case cases[] = {{0, 0, 1024},       {1023, 0, 1024},       {1024, 0, 2048},
                          {2048, 2048, 2048}, {3072, 2048, 6144},    {6, 6144, 6144}};
    for (const Case& c : cases) EXPECT_EQ(SpriteCapacityFor(c.needed, c.capacity), c.grown) << c.needed;
}

}  // namespace sprite_queue_test
