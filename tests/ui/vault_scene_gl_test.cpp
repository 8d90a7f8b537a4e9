// The vault scene drawn on a real GL context (Xvfb in CI) at a fixed frame time with a generated
// accessory: the room's six models are built with their lines, an arriving omega item stands in
// a beam of its colour, falls, and comes to rest on the floor, after which the picture holds still.
#include <glad/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "client/accessory_models.h"
#include "client/character_models.h"
#include "client/gl_window_fixture.h"
#include "game/asset_paths.h"
#include "render/renderer.h"
#include "ui/accessory_icons.h"
#include "ui/vault_scene.h"

namespace vault_scene_gl_test {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr float kDt = 1.0f / 30.0f;

struct Picture {
    std::vector<uint8_t> rgb;  // bottom row first, as GL reads it
    const uint8_t* At(int x, int y) const { return rgb.data() + (size_t(kHeight - 1 - y) * kWidth + size_t(x)) * 3; }
};

Picture ReadBack() {
    Picture picture;
    picture.rgb.resize(size_t(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
}

// Mean absolute channel difference in a square of `half` pixels around (cx, cy), top-left origin.
float Difference(const Picture& a, const Picture& b, int cx, int cy, int half) {
    double sum = 0.0;
    int count = 0;
    for (int y = std::max(cy - half, 0); y < std::min(cy + half, kHeight); ++y) {
        for (int x = std::max(cx - half, 0); x < std::min(cx + half, kWidth); ++x) {
            for (int c = 0; c < 3; ++c) sum += std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c]));
            count += 3;
        }
    }
    return count ? float(sum / count) : 0.0f;
}

class VaultSceneGl : public testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const bool created = window.Create(kWidth, kHeight, "vault", 0, 0);
        armoursLoaded = created && LoadArmourModels(armours, tuning);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        ASSERT_TRUE(created);
        clienttest::PinGlDriver();
        ASSERT_TRUE(armoursLoaded);
    }
    void TearDown() override {
        if (armoursLoaded) DestroyArmourModels(armours);
        if (window.handle != nullptr) window.Destroy();
    }

    // The pixel of a world point in the whole-window viewport, top-left origin.
    glm::vec2 PixelOf(const vault::VaultScene& scene, const glm::vec3& point) const {
        const glm::vec4 clip = scene.camera.viewProj * glm::vec4(point, 1.0f);
        const glm::vec3 ndc = glm::vec3(clip) / clip.w;
        return glm::vec2((ndc.x + 1.0f) * 0.5f * kWidth, (1.0f - ndc.y) * 0.5f * kHeight);
    }

    Window window;
    tune::Tuning tuning;
    ArmourModels armours;
    bool armoursLoaded = false;
};

TEST_F(VaultSceneGl, AnOmegaItemShinesFallsAndComesToRestOnTheFloor) {
    tuning.loop.multisampleSamples = 0;
    render::Renderer renderer;
    ASSERT_TRUE(renderer.Init(tuning));
    AccessoryModels accessories;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int generated = LoadAccessoryModels(accessories, armours.models[0].skeleton, tuning, AssetsDir());
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    ASSERT_GT(generated, 0);
    std::vector<vault::VaultItemModel> itemModels;
    for (const AccessoryIconSource& source : AccessoryIconSources(accessories, armours.models[0].skeleton)) {
        itemModels.push_back(vault::VaultItemModel{source.model, source.transform});
    }
    // The bulkiest accessory, so that it shows from above however it lands.
    int chosen = -1;
    float bulk = 0.0f;
    for (size_t i = 0; i < itemModels.size(); ++i) {
        if (itemModels[i].model == nullptr) continue;
        const glm::vec3 size = itemModels[i].model->boundsMax - itemModels[i].model->boundsMin;
        const float smallest = std::min({size.x, size.y, size.z}) / std::max({size.x, size.y, size.z, 1e-6f});
        if (smallest > bulk) {
            bulk = smallest;
            chosen = int(i);
        }
    }
    ASSERT_GE(chosen, 0);

    const vault::VaultSettings settings;
    vault::VaultScene scene;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(scene.Init(&settings));
    const std::string lines = testing::internal::GetCapturedStdout();
    for (const char* name : {"vault room", "vault pit", "vault lava", "vault crust", "vault door (front)",
                             "vault door (back)"}) {
        EXPECT_NE(lines.find(std::string("[model] ") + name + ": "), std::string::npos) << name;
    }
    EXPECT_NE(lines.find("[model] vault crust: 624 verts, 1 part(s), built"), std::string::npos) << lines;
    scene.SetItemModels(itemModels);

    const vault::VaultViewport view{0, 0, kWidth, kHeight};
    float clock = 0.0f;
    auto frame = [&]() {
        clock += kDt;
        scene.Update(kDt, clock);
        scene.TakeEvents();
    };
    auto draw = [&]() {
        renderer.BeginFrame(kWidth, kHeight, tuning);
        scene.Draw(renderer, tuning.lighting, view, kHeight, clock);
        glFinish();
        return ReadBack();
    };

    const Picture empty = draw();
    scene.AddItem({"omega", chosen, 3});
    const vault::VaultItem& item = scene.items[0];
    const glm::vec2 spot = PixelOf(scene, item.spot + glm::vec3(0.0f, 1.5f, 0.0f));

    // In its beam: purple where the room was grey.
    while (clock < 1.0f) frame();
    const Picture beam = draw();
    int purple = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = beam.At(x, y);
            if (p[2] > p[1] + 40 && p[0] > p[1] + 20) ++purple;
        }
    }
    EXPECT_GT(purple, 200);
    EXPECT_GT(Difference(beam, empty, int(spot.x), int(spot.y), 6), 10.0f);

    // Falling: its body well above the floor, and there in the picture.
    while (scene.items[0].body < 0 || scene.world.bodies[size_t(scene.items[0].body)].position.y > 4.0f) frame();
    const glm::vec3 high = scene.world.bodies[size_t(scene.items[0].body)].position;
    const Picture falling = draw();
    frame();
    EXPECT_LT(scene.world.bodies[size_t(scene.items[0].body)].position.y, high.y);
    const glm::vec2 highPixel = PixelOf(scene, high);

    // At rest long after the landing's shine: on the floor, and the picture holds still.
    while (clock < 16.0f) frame();
    const vault::PhysicsBody& body = scene.world.bodies[size_t(item.body)];
    EXPECT_TRUE(scene.world.AllAsleep());
    EXPECT_LT(body.position.y, 0.5f);
    EXPECT_GT(body.position.y, 0.0f);
    EXPECT_FALSE(scene.items[0].arriving);
    const Picture rest = draw();
    frame();
    frame();
    const Picture later = draw();
    const glm::vec2 restPixel = PixelOf(scene, body.position);
    EXPECT_EQ(Difference(rest, later, kWidth / 2, kHeight / 2, kWidth), 0.0f);
    EXPECT_GT(Difference(rest, empty, int(restPixel.x), int(restPixel.y), 4), 4.0f);
    EXPECT_GT(Difference(falling, rest, int(highPixel.x), int(highPixel.y), 4), 4.0f);

    // The scene left the outline and the viewport as it found them.
    EXPECT_EQ(renderer.outlineWidth, tuning.renderer.outline.width);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    scene.Shutdown();
    DestroyAccessoryModels(accessories);
    renderer.Destroy();
}

}  // namespace vault_scene_gl_test
