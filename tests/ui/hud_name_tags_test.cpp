// Name tags: where they are refused (no name, off screen, behind the camera, faded out), how they
// shrink and fade with distance, and the role tag's box and gap.
#include "ui/hud_name_tags.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "hud_driver.h"
#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"

namespace hud_name_tags_test {

using hudtest::HudDriver;

// With the identity the anchor's x and y are its normalised coordinates.
const glm::mat4 kFlat(1.0f);

bool Draw(HudDriver& d, const glm::mat4& viewProj, const glm::vec3& anchor, const char* name, int32_t role,
          float distance) {
    bool drawn = false;
    d.Draw([&] {
        drawn = hud::DrawNameTags(d.ctx, viewProj, anchor, name, 1, role, distance, hud::kNameTagSettings);
    });
    return drawn;
}

TEST(HudNameTags, RefusedWithoutANameOffScreenBehindTheCameraOrFadedOut) {
    const glm::mat4 camera = glm::perspective(glm::radians(70.0f), 16.0f / 9.0f, 0.1f, 500.0f) *
                             glm::lookAt(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    struct Case {
        const glm::mat4* viewProj;
        glm::vec3 anchor;
        const char* name;
        float distance;
        bool drawn;
    };
    for (const Case& c : {Case{&kFlat, {0, 0, 0}, "ABC", 10, true}, Case{&kFlat, {0, 0, 0}, "", 10, false},
                          Case{&kFlat, {0, 0, 0}, nullptr, 10, false}, Case{&kFlat, {1.15f, 0, 0}, "ABC", 10, true},
                          Case{&kFlat, {1.25f, 0, 0}, "ABC", 10, false},
                          Case{&kFlat, {0, -1.25f, 0}, "ABC", 10, false},
                          Case{&camera, {0, 0, -10}, "ABC", 10, true}, Case{&camera, {0, 0, 10}, "ABC", 10, false},
                          // Beyond the fade's end, at it, and so close to it that the tag is all but clear.
                          Case{&kFlat, {0, 0, 0}, "ABC", 46.5f, false}, Case{&kFlat, {0, 0, 0}, "ABC", 46, false},
                          Case{&kFlat, {0, 0, 0}, "ABC", 45.5f, false}, Case{&kFlat, {0, 0, 0}, "ABC", 45, true},
                          Case{&kFlat, {0, 0, 0}, "ABC", std::nanf(""), false}}) {
        HudDriver d(1600, 900);
        const bool drawn = Draw(d, *c.viewProj, c.anchor, c.name, 0, c.distance);
        SCOPED_TRACE(testing::Message() << (c.name ? c.name : "null") << " at " << c.anchor.x << "," << c.anchor.y
                                        << "," << c.anchor.z << " distance " << c.distance);
        EXPECT_EQ(drawn, c.drawn);
        EXPECT_EQ(d.Texts().size(), c.drawn ? 2u : 0u);
    }
}

TEST(HudNameTags, ShrinkAndFadeWithDistanceBehindTheRoleTag) {
    struct Case {
        int32_t role;
        float distance;
        float scale;
        uint8_t alpha, shadow;
        float plate;  // the role tag's width, 0 for none
    };
    // Near: the full scale 1.25 and alpha 0.92; halfway through the fade both come down.
    for (const Case& c : {Case{0, 10, 1.25f, 235, 164, 0}, Case{0, 32, 1.075f, 117, 82, 0},
                          Case{1, 10, 1.25f, 235, 164, 34}, Case{2, 18, 1.25f, 235, 164, 42},
                          Case{1, 32, 1.075f, 117, 82, 0.86f * 34}}) {
        HudDriver d(1600, 900);
        ASSERT_TRUE(Draw(d, kFlat, {0.25f, 0.5f, 0}, "ABC", c.role, c.distance));
        SCOPED_TRACE(testing::Message() << "role " << c.role << " distance " << c.distance);
        const float sx = 1000.0f, sy = 225.0f, nameW = 24.0f * c.scale;
        const float gap = c.plate > 0 ? c.plate + 5 : 0, shadowGap = c.plate > 0 ? c.plate + 7 : 2;
        const float x0 = sx - (gap + nameW) / 2.0f;

        const auto shadow = d.Find("ABC", 0);
        const auto name = d.Find("ABC", 1);
        ASSERT_TRUE(shadow && name);
        EXPECT_FLOAT_EQ(shadow->x, hudtest::Pixel(x0 + shadowGap));
        EXPECT_FLOAT_EQ(shadow->y, sy + 2.0f);
        EXPECT_EQ(shadow->colour, hud::Black(c.shadow));
        EXPECT_FLOAT_EQ(name->x, hudtest::Pixel(x0 + gap));
        EXPECT_FLOAT_EQ(name->y, sy);
        EXPECT_NEAR(name->scale, c.scale, 1e-4f);
        EXPECT_EQ(name->colour, hud::WithAlpha(hud::TeamColour(1), c.alpha));

        const auto rects = d.Rects();
        if (c.plate == 0) {
            EXPECT_TRUE(rects.empty());
            EXPECT_EQ(d.Texts().size(), 2u);
            continue;
        }
        ASSERT_EQ(rects.size(), 1u);
        EXPECT_NEAR(rects[0].x, x0, 1e-3f);
        EXPECT_NEAR(rects[0].w, c.plate, 1e-3f);
        EXPECT_EQ(rects[0].colour >> 24, c.alpha);
        EXPECT_EQ(d.Texts().size(), 3u);
    }
}

}  // namespace hud_name_tags_test
