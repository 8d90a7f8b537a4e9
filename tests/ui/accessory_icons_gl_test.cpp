// The accessory icons baked on a real GL context (Xvfb in CI) from the generated accessories: each
// cell holds its model, opaque, on a transparent square, and the bake leaves the renderer and the
// framebuffer as it found them. Prints what one icon costs.
#include <glad/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/accessory_models.h"
#include "client/character_models.h"
#include "client/gl_window_fixture.h"
#include "game/asset_paths.h"
#include "render/light_list.h"
#include "render/renderer.h"
#include "ui/accessory_icons.h"

namespace accessory_icons_gl_test {

// The look of one baked cell.
struct CellSurvey {
    int opaque = 0;         // alpha 255
    int lit = 0;            // opaque and not black: the model's colour, not only its outline
    int see = 0;            // alpha 0
    int left = 128, top = 128, right = -1, bottom = -1;  // of every pixel with some alpha
    bool cornersClear = true;
};

CellSurvey SurveyCell(const std::vector<uint8_t>& atlas, int index) {
    CellSurvey survey;
    const int x0 = (index % 8) * 128, y0 = (index / 8) * 128;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const uint8_t* p = &atlas[(size_t(y0 + y) * 1024 + size_t(x0 + x)) * 4];
            const bool corner = (x < 8 || x >= 120) && (y < 8 || y >= 120);
            if (p[3] == 0) {
                ++survey.see;
                continue;
            }
            if (corner) survey.cornersClear = false;
            if (p[3] == 255) {
                ++survey.opaque;
                if (std::max({p[0], p[1], p[2]}) > 8) ++survey.lit;
            }
            survey.left = std::min(survey.left, x);
            survey.top = std::min(survey.top, y);
            survey.right = std::max(survey.right, x);
            survey.bottom = std::max(survey.bottom, y);
        }
    }
    return survey;
}

class AccessoryIconsGl : public clienttest::GlWindowTest {
protected:
    void SetUp() override {
        clienttest::GlWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        armoursLoaded = LoadArmourModels(armours, tune::Tuning{});
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        ASSERT_TRUE(armoursLoaded);
    }
    void TearDown() override {
        if (armoursLoaded) DestroyArmourModels(armours);
        clienttest::GlWindowTest::TearDown();
    }

    void BakeTheGeneratedAccessories(const tune::Tuning& tuning) {
        render::Renderer renderer;
        ASSERT_TRUE(renderer.Init(tuning));
        render::LightList lights;
        ASSERT_TRUE(lights.CreateBuffer());
        lights.Add(render::PointLight{glm::vec3(-4.0f, 2.6f, 3.0f), glm::vec3(1.0f, 0.66f, 0.32f), 9.0f, 1.3f});
        lights.Add(render::PointLight{glm::vec3(6.0f, 2.2f, -4.0f), glm::vec3(0.36f, 0.62f, 1.0f), 11.0f, 1.1f});
        AccessoryModels accessories;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int generated = LoadAccessoryModels(accessories, armours.models[0].skeleton, tuning, AssetsDir());
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        ASSERT_GT(generated, 0);
        std::vector<AccessoryIconSource> sources = AccessoryIconSources(accessories, armours.models[0].skeleton);
        sources.push_back(AccessoryIconSource{});  // one without a model

        // Settings a bounty outline might have left: the bake must end with the tuning's.
        renderer.outlineEnabled = 0;
        renderer.outlineWidth = 0.3f;
        const int width = 800, height = 600;
        AccessoryIcons icons;
        testing::internal::CaptureStdout();
        const auto start = std::chrono::steady_clock::now();
        icons.Bake(renderer, lights, tuning, sources, width, height);
        glFinish();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::string out = testing::internal::GetCapturedStdout();
        std::printf("[accessories] %d icons in %.1f ms, %.2f ms per icon (%d samples)\n", generated, seconds * 1e3,
                    seconds * 1e3 / generated, tuning.loop.multisampleSamples);
        EXPECT_EQ(out, "[accessories] " + std::to_string(generated) + " icon(s) baked\n");

        EXPECT_EQ(renderer.outlineEnabled, tuning.renderer.outline.enabled);
        EXPECT_EQ(renderer.outlineWidth, tuning.renderer.outline.width);
        GLint framebuffer = -1, viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(framebuffer, 0);
        EXPECT_EQ(viewport[2], width);
        EXPECT_EQ(viewport[3], height);
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));

        ASSERT_NE(icons.texture, 0u);
        ASSERT_EQ(icons.count, generated + 1);
        ASSERT_EQ(icons.rows, (generated + 1 + 7) / 8);
        std::vector<uint8_t> atlas(size_t(1024) * size_t(icons.rows * 128) * 4);
        glGetTextureImage(icons.texture, 0, GL_RGBA, GL_UNSIGNED_BYTE, GLsizei(atlas.size()), atlas.data());
        for (int i = 0; i < generated; ++i) {
            const std::string& name = accessories.catalogue[size_t(i)].id;
            EXPECT_TRUE(IsDrawable(icons.Lookup(i))) << name;
            const CellSurvey cell = SurveyCell(atlas, i);
            EXPECT_GT(cell.opaque, 128 * 128 / 20) << name;
            EXPECT_GT(cell.lit, cell.opaque / 4) << name;
            EXPECT_GT(cell.see, 128 * 128 / 4) << name;
            EXPECT_TRUE(cell.cornersClear) << name;
            // Fitted: large in the square, and clear of its edges.
            EXPECT_GE(std::max(cell.right - cell.left, cell.bottom - cell.top), 64) << name;
            EXPECT_GE(cell.left, 1) << name;
            EXPECT_GE(cell.top, 1) << name;
            EXPECT_LE(cell.right, 126) << name;
            EXPECT_LE(cell.bottom, 126) << name;
        }
        EXPECT_FALSE(icons.baked[size_t(generated)]);
        EXPECT_FALSE(IsDrawable(icons.Lookup(generated)));
        EXPECT_EQ(SurveyCell(atlas, generated).see, 128 * 128);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

        icons.Release();
        EXPECT_EQ(icons.texture, 0u);
        EXPECT_FALSE(IsDrawable(icons.Lookup(0)));
        DestroyAccessoryModels(accessories);
        lights.Destroy();
        renderer.Destroy();
    }

    ArmourModels armours;
    bool armoursLoaded = false;
};

TEST_F(AccessoryIconsGl, EachGeneratedAccessoryIsBakedOpaqueOnATransparentSquare) {
    BakeTheGeneratedAccessories(tune::Tuning{});
}

TEST_F(AccessoryIconsGl, WithoutMultisamplingOrReversedDepthEachIsBakedAsWell) {
    tune::Tuning tuning;
    tuning.loop.multisampleSamples = 0;
    tuning.camera.reversedDepth = 0;
    BakeTheGeneratedAccessories(tuning);
}

}  // namespace accessory_icons_gl_test
