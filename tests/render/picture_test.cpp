// Pictures drawn by the renderer and read back: each test draws a small scene twice, with and
// without the feature, and checks what changed where it should.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include <glm/gtc/matrix_transform.hpp>

#include "game/asset_paths.h"
#include "game/match_options.h"
#include "gl_test_context.h"
#include "tools/render_check/check_scene.h"

namespace {

using rendertest::Frame;
using rendertest::PixelBox;

constexpr int kW = rendertest::kFrameWidth;
constexpr int kH = rendertest::kFrameHeight;

float Hue(const uint8_t* p, float& saturation, float& value) {
    const float r = p[0] / 255.0f, g = p[1] / 255.0f, b = p[2] / 255.0f;
    const float hi = std::max({r, g, b});
    const float lo = std::min({r, g, b});
    value = hi;
    saturation = hi > 0.0f ? (hi - lo) / hi : 0.0f;
    if (hi == lo) return 0.0f;
    float hue = 0.0f;
    if (hi == r) hue = 60.0f * std::fmod((g - b) / (hi - lo), 6.0f);
    else if (hi == g) hue = 60.0f * ((b - r) / (hi - lo) + 2.0f);
    else hue = 60.0f * ((r - g) / (hi - lo) + 4.0f);
    return hue < 0.0f ? hue + 360.0f : hue;
}

// The armour whose colour a pixel shows: 0..3 by hue (blue, green, orange, pink), 4 white, -1 none.
int ArmourClass(const uint8_t* p) {
    float saturation = 0.0f, value = 0.0f;
    const float hue = Hue(p, saturation, value);
    if (saturation < 0.12f && value > 0.55f) return 4;
    if (saturation < 0.3f || value < 0.2f) return -1;
    const float hues[4] = {220.0f, 125.0f, 29.0f, 328.0f};
    for (int i = 0; i < 4; ++i) {
        float d = std::fabs(hue - hues[i]);
        d = std::min(d, 360.0f - d);
        if (d < 25.0f) return i;
    }
    return -1;
}

// A 2 x 2 m wall at z = 0 facing +z.
bool BuildWall(render::StaticModel& model, glm::vec4 colour, float half = 1.0f) {
    const std::vector<render::PartVertex> vertices = {{{-half, -half, 0}, {0, 0, 1}},
                                                      {{half, -half, 0}, {0, 0, 1}},
                                                      {{half, half, 0}, {0, 0, 1}},
                                                      {{-half, half, 0}, {0, 0, 1}}};
    render::ModelPart part;
    part.indices = {0, 1, 2, 0, 2, 3};
    part.baseColour = colour;
    return model.BuildFromParts(vertices, {part}, "wall");
}

class Pictures : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_GL_CONTEXT();
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
        ASSERT_TRUE(renderer.Init(scene.tuning));
        scene.tuning.renderer.crosshair.enabled = 0;
    }
    void TearDown() override {
        scene.Destroy();
        renderer.Destroy();
    }

    glm::mat4 ViewProj() const { return CheckViewProjection(scene.camera, float(kW) / float(kH), renderer.reversedDepth != 0); }

    // The screen rectangle around a standing character's feet point.
    PixelBox CharacterBox(const glm::vec3& feet) const {
        const glm::mat4 viewProj = ViewProj();
        PixelBox box{kW, kH, 0, 0};
        for (float dx : {-0.6f, 0.6f}) {
            for (float dy : {0.0f, 1.95f}) {
                const glm::vec4 clip = viewProj * glm::vec4(feet + glm::vec3(dx, dy, 0.0f), 1.0f);
                const int x = int((clip.x / clip.w * 0.5f + 0.5f) * kW);
                const int y = int((0.5f - clip.y / clip.w * 0.5f) * kH);
                box.x0 = std::min(box.x0, x);
                box.x1 = std::max(box.x1, x);
                box.y0 = std::min(box.y0, y);
                box.y1 = std::max(box.y1, y);
            }
        }
        return box;
    }

    // A wall behind the characters, the characters (faded and flashed as they say), in the base
    // lighting: a white sun and a bluish sky.
    Frame DrawWallAndCharacters(const render::StaticModel* wall, const glm::mat4& wallMatrix) {
        if (scene.lights.buffer == 0) scene.lights.CreateBuffer();
        renderer.BeginFrame(kW, kH, scene.tuning);
        const glm::mat4 viewProj = ViewProj();
        const tune::LightingTuning& lighting = scene.tuning.lighting;
        renderer.SetupLights(scene.lights, lighting, scene.camera.eye);
        if (wall) renderer.DrawStatic(*wall, wallMatrix, viewProj, lighting, nullptr, false, 1.0f);
        if (!scene.characters.empty()) {
            scene.UploadCharacters(renderer);
            const render::HitFlash flash = render::HitFlashOf(scene.tuning.shotFeedback);
            for (const CheckCharacter& character : scene.characters) {
                renderer.DrawCharacterFaded(scene.armours[size_t(character.armour)], character.boneOffset,
                                            character.modelMatrix, viewProj, lighting, flash, character.opacity);
            }
        }
        return rendertest::ReadFrame();
    }

    void LookAtRow() {
        scene.camera.eye = glm::vec3(0.0f, 1.1f, 6.5f);
        scene.camera.target = glm::vec3(0.0f, 0.95f, 0.0f);
        scene.camera.fieldOfView = 50.0f;
    }

    render::Renderer renderer;
    CheckScene scene;
};

TEST_F(Pictures, EachArmourColourShowsInItsCharactersBox) {
    ASSERT_TRUE(scene.LoadArmours());
    LookAtRow();
    for (int i = 0; i < 5; ++i) scene.AddCharacter(i, CheckMotion::Idle, glm::vec3(-3.2f + 1.6f * float(i), 0, 0), 180.0f);
    scene.Pose(0.25f);
    const Frame frame = DrawWallAndCharacters(nullptr, glm::mat4(1.0f));
    for (int i = 0; i < 5; ++i) {
        const PixelBox box = CharacterBox(scene.characters[size_t(i)].feet);
        int counts[5] = {0, 0, 0, 0, 0};
        int pixels = 0;
        for (int y = std::max(box.y0, 0); y < std::min(box.y1, kH); ++y) {
            for (int x = std::max(box.x0, 0); x < std::min(box.x1, kW); ++x) {
                const int armour = ArmourClass(frame.At(x, y));
                if (armour >= 0) ++counts[armour];
                ++pixels;
            }
        }
        ASSERT_GT(pixels, 200) << "armour " << i;
        EXPECT_GT(counts[i], pixels / 20) << "armour " << i;
        for (int other = 0; other < 5; ++other) {
            if (other == i) continue;
            EXPECT_GT(counts[i], counts[other]) << "armour " << i << " against " << other;
        }
    }
}

TEST_F(Pictures, RunningDiffersFromIdle) {
    ASSERT_TRUE(scene.LoadArmours());
    LookAtRow();
    scene.AddCharacter(1, CheckMotion::Idle, glm::vec3(0.0f), 150.0f);
    scene.Pose(0.3f);
    const Frame idle = DrawWallAndCharacters(nullptr, glm::mat4(1.0f));
    const Frame again = DrawWallAndCharacters(nullptr, glm::mat4(1.0f));
    scene.characters.clear();
    scene.time = 0.0f;
    scene.AddCharacter(1, CheckMotion::Run, glm::vec3(0.0f), 150.0f);
    scene.Pose(0.3f);
    const Frame running = DrawWallAndCharacters(nullptr, glm::mat4(1.0f));
    const PixelBox box = CharacterBox(glm::vec3(0.0f));
    EXPECT_EQ(rendertest::MeanDifference(idle, again, box), 0.0f);
    EXPECT_GT(rendertest::MeanDifference(idle, running, box), 3.0f);
}

TEST_F(Pictures, AFadedCharacterShowsTheWallAndAFlashedOneTurnsToTheHitColour) {
    ASSERT_TRUE(scene.LoadArmours());
    LookAtRow();
    render::StaticModel wall;
    ASSERT_TRUE(BuildWall(wall, glm::vec4(0.1f, 0.6f, 0.9f, 1.0f), 3.0f));
    const glm::mat4 behind = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 1.0f, -1.0f));
    const Frame wallOnly = DrawWallAndCharacters(&wall, behind);
    CheckCharacter& character = scene.AddCharacter(2, CheckMotion::Idle, glm::vec3(0.0f), 180.0f);
    scene.Pose(0.25f);
    const Frame opaque = DrawWallAndCharacters(&wall, behind);
    character.opacity = 0.4f;
    const Frame faded = DrawWallAndCharacters(&wall, behind);
    character.opacity = 1.0f;
    character.values.assign(character.values.size(), 1.0f);
    const Frame flashed = DrawWallAndCharacters(&wall, behind);
    wall.Destroy();

    const PixelBox box = CharacterBox(glm::vec3(0.0f));
    const float opaqueOff = rendertest::MeanDifference(opaque, wallOnly, box);
    const float fadedOff = rendertest::MeanDifference(faded, wallOnly, box);
    EXPECT_GT(opaqueOff, 5.0f);
    EXPECT_GT(fadedOff, 1.0f);              // still there
    EXPECT_LT(fadedOff, opaqueOff * 0.75f);  // but the wall shows through

    // The hit colour (1, 0.32, 0.24) as the sRGB frame stores it.
    const float hit[3] = {255.0f, 153.0f, 135.0f};
    double plainDistance = 0.0, flashedDistance = 0.0;
    int pixels = 0;
    for (int y = std::max(box.y0, 0); y < std::min(box.y1, kH); ++y) {
        for (int x = std::max(box.x0, 0); x < std::min(box.x1, kW); ++x) {
            const uint8_t* w = wallOnly.At(x, y);
            const uint8_t* o = opaque.At(x, y);
            if (std::abs(w[0] - o[0]) + std::abs(w[1] - o[1]) + std::abs(w[2] - o[2]) < 30) continue;  // not the character
            for (int c = 0; c < 3; ++c) {
                plainDistance += std::fabs(o[c] - hit[c]);
                flashedDistance += std::fabs(flashed.At(x, y)[c] - hit[c]);
            }
            ++pixels;
        }
    }
    ASSERT_GT(pixels, 100);
    EXPECT_LT(flashedDistance / pixels, plainDistance / pixels - 60.0);
}

TEST_F(Pictures, OutlinesAppearOnlyWhenOn) {
    ASSERT_TRUE(scene.LoadArmours());
    LookAtRow();
    scene.tuning.lighting.bandCount = 0;
    render::StaticModel wall;
    ASSERT_TRUE(BuildWall(wall, glm::vec4(1.0f), 3.0f));
    const glm::mat4 behind = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 1.0f, -1.0f));
    scene.AddCharacter(4, CheckMotion::Idle, glm::vec3(0.0f), 180.0f);
    scene.Pose(0.25f);
    auto darkPixels = [](const Frame& frame) {
        int dark = 0;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const uint8_t* p = frame.At(x, y);
                if (std::max({p[0], p[1], p[2]}) < 24) ++dark;
            }
        }
        return dark;
    };
    renderer.outlineWidth = 0.05f;
    renderer.outlineEnabled = 1;
    const Frame on = DrawWallAndCharacters(&wall, behind);
    renderer.outlineEnabled = 0;
    const Frame off = DrawWallAndCharacters(&wall, behind);
    EXPECT_GT(darkPixels(on), darkPixels(off) + 150);

    // A static model drawn without its outline flag ignores the renderer's outline.
    scene.characters.clear();
    render::StaticModel gun;
    ASSERT_TRUE(gun.Load(AssetPath(scene.tuning.weapons[1].model).c_str(), render::StaticModelOptions{}));
    const glm::mat4 gunMatrix = glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 1.0f, 0.0f)), glm::vec3(4.0f));
    auto drawGun = [&](bool flag) {
        DrawWallAndCharacters(&wall, behind);
        const tune::LightingTuning& lighting = scene.tuning.lighting;
        renderer.DrawStatic(gun, glm::rotate(gunMatrix, 1.5708f, glm::vec3(0, 1, 0)), ViewProj(), lighting, nullptr, flag, 1.0f);
        return rendertest::ReadFrame();
    };
    renderer.outlineEnabled = 0;
    const Frame gunPlain = drawGun(true);
    renderer.outlineEnabled = 1;
    const Frame gunUnflagged = drawGun(false);
    const Frame gunOutlined = drawGun(true);
    gun.Destroy();
    wall.Destroy();
    EXPECT_EQ(rendertest::MeanDifference(gunPlain, gunUnflagged, rendertest::WholeFrame(gunPlain)), 0.0f);
    EXPECT_GT(darkPixels(gunOutlined), darkPixels(gunPlain) + 50);
}

TEST_F(Pictures, ThePointLightBrightensItsWall) {
    scene.tuning.lighting.sunOn = 0;
    scene.camera.eye = glm::vec3(0.0f, 0.0f, 3.0f);
    scene.camera.target = glm::vec3(0.0f);
    render::StaticModel wall;
    ASSERT_TRUE(BuildWall(wall, glm::vec4(0.7f, 0.7f, 0.7f, 1.0f), 1.5f));
    auto drawLit = [&](bool light) {
        scene.lights.Clear();
        if (light) scene.lights.Add({glm::vec3(-0.8f, 0.0f, 0.5f), glm::vec3(1.0f, 0.9f, 0.7f), 2.5f, 3.0f});
        renderer.perSubmeshLightLists = 1;
        const Frame frame = DrawWallAndCharacters(&wall, glm::mat4(1.0f));
        renderer.perSubmeshLightLists = 0;
        return frame;
    };
    const Frame dark = drawLit(false);
    const Frame lit = drawLit(true);
    wall.Destroy();
    auto meanLuminance = [](const Frame& f, int x0, int x1) {
        double sum = 0.0;
        for (int y = kH / 3; y < 2 * kH / 3; ++y) {
            for (int x = x0; x < x1; ++x) sum += f.Luminance(x, y);
        }
        return sum / ((x1 - x0) * (kH / 3));
    };
    const double leftDark = meanLuminance(dark, kW / 4, kW / 2 - 10);
    const double leftLit = meanLuminance(lit, kW / 4, kW / 2 - 10);
    const double rightLit = meanLuminance(lit, kW / 2 + 10, 3 * kW / 4);
    EXPECT_GT(leftLit, leftDark + 30.0);
    EXPECT_GT(leftLit, rightLit + 15.0);
}

TEST_F(Pictures, TheSkyIsBrightestTowardTheSun) {
    const SunAngles sun{30.0f, 20.0f};
    auto drawSky = [&](float azimuth) {
        const SunAngles facing{azimuth, sun.elevation};
        scene.camera.eye = glm::vec3(0.0f, 2.0f, 0.0f);
        scene.camera.target = scene.camera.eye + SunDirection(facing);
        scene.camera.fieldOfView = 60.0f;
        renderer.BeginFrame(kW, kH, scene.tuning);
        renderer.DrawSky(GetSkyPreset(1), sun, ViewProj(), scene.camera.eye, 3.0f);
        return rendertest::ReadFrame();
    };
    const Frame toward = drawSky(sun.azimuth);
    const Frame away = drawSky(sun.azimuth + 180.0f);
    // The brightest pixels of the frame looking at the sun gather around its centre.
    float brightest = 0.0f;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) brightest = std::max(brightest, toward.Luminance(x, y));
    }
    double sumX = 0.0, sumY = 0.0;
    int count = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            if (toward.Luminance(x, y) < brightest - 2.0f) continue;
            sumX += x;
            sumY += y;
            ++count;
        }
    }
    ASSERT_GT(count, 0);
    EXPECT_NEAR(sumX / count, kW / 2, 4.0);
    EXPECT_NEAR(sumY / count, kH / 2, 4.0);
    // Around the sun the sky is brighter than the same patch of sky opposite it.
    auto patch = [](const Frame& f) {
        double sum = 0.0;
        for (int y = kH / 2 - 40; y < kH / 2 + 40; ++y) {
            for (int x = kW / 2 - 40; x < kW / 2 + 40; ++x) sum += f.Luminance(x, y);
        }
        return sum / (80.0 * 80.0);
    };
    EXPECT_GT(patch(toward), patch(away) + 20.0);
}

TEST_F(Pictures, TheUnlitLaserEmitterGlowsInTheDark) {
    scene.tuning.lighting.sunOn = 0;
    tune::LightingTuning darkness = scene.tuning.lighting;
    darkness.ambientIntensity = 0.0f;
    darkness.groundBounceIntensity = 0.0f;
    darkness.rim = 0.0f;
    darkness.specular = 0.0f;
    render::StaticModel laser;
    ASSERT_TRUE(laser.Load(AssetPath(scene.tuning.weapons[3].model).c_str(), render::StaticModelOptions{}));
    scene.camera.eye = glm::vec3(0.9f, 0.15f, 0.25f);
    scene.camera.target = glm::vec3(0.0f, 0.02f, 0.25f);
    scene.camera.nearPlane = 0.01f;
    auto drawLaser = [&](const glm::vec4* colourOverride) {
        if (scene.lights.buffer == 0) scene.lights.CreateBuffer();
        renderer.BeginFrame(kW, kH, scene.tuning);
        renderer.SetupLights(scene.lights, darkness, scene.camera.eye);
        renderer.DrawStatic(laser, glm::mat4(1.0f), ViewProj(), darkness, colourOverride, false, 1.0f);
        return rendertest::ReadFrame();
    };
    const glm::vec4 grey(0.6f, 0.6f, 0.6f, 1.0f);
    const Frame glowing = drawLaser(nullptr);
    const Frame plain = drawLaser(&grey);
    laser.Destroy();
    auto bright = [](const Frame& frame) {
        int count = 0;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) count += frame.Luminance(x, y) > 120.0f ? 1 : 0;
        }
        return count;
    };
    EXPECT_GT(bright(glowing), 100);
    EXPECT_EQ(bright(plain), 0);
}

TEST_F(Pictures, PrepassAndReversedDepthDrawTheSameImage) {
    ASSERT_TRUE(scene.LoadLevel("maps/Map One/map_one.glb"));
    ASSERT_TRUE(scene.LoadArmours());
    ASSERT_TRUE(scene.LoadProps());
    ASSERT_TRUE(scene.ArrangeCheck());
    scene.Pose(0.4f);
    Frame reference;
    bool first = true;
    for (const uint8_t reversed : {uint8_t(1), uint8_t(0)}) {
        renderer.Destroy();
        scene.tuning.camera.reversedDepth = reversed;
        glClipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
        ASSERT_TRUE(renderer.Init(scene.tuning));
        for (const bool prepass : {true, false}) {
            CheckDrawOptions options;
            options.depthPrepass = prepass;
            options.crosshair = false;
            scene.Draw(renderer, kW, kH, options);
            const Frame frame = rendertest::ReadFrame();
            if (first) {
                reference = frame;
                first = false;
                // The level, characters and props fill the frame: no pixel keeps the clear colour.
                int cleared = 0;
                for (int y = 0; y < kH; ++y) {
                    for (int x = 0; x < kW; ++x) {
                        const uint8_t* p = frame.At(x, y);
                        cleared += (p[0] == 66 && p[1] == 70 && p[2] == 79) ? 1 : 0;
                    }
                }
                EXPECT_EQ(cleared, 0);
                continue;
            }
            int differing = 0;
            for (size_t i = 0; i < frame.rgb.size(); ++i) differing += std::abs(frame.rgb[i] - reference.rgb[i]) > 24 ? 1 : 0;
            const std::string what = std::string(reversed ? "reversed" : "forward") + (prepass ? " with prepass" : "");
            EXPECT_LT(rendertest::MeanDifference(frame, reference, rendertest::WholeFrame(frame)), 0.3f) << what;
            EXPECT_LT(differing, int(frame.rgb.size() / 500)) << what;
        }
    }
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
}

}  // namespace
