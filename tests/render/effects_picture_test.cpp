// Effects, healing fields, sprites and the debug mesh drawn and read back: each test draws over the
// cleared frame and looks at where the picture changed and to what.
#include <glad/gl.h>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include <glm/geometric.hpp>

#include "game/collision_world.h"
#include "gl_test_context.h"
#include "render/debug_mesh.h"
#include "render/effects.h"
#include "render/health_bomb_volume.h"
#include "render/sprite_sheet.h"
#include "support/temp_folder.h"
#include "tools/render_check/check_scene.h"

namespace effects_picture_test {

using rendertest::Frame;

constexpr int kW = rendertest::kFrameWidth;
constexpr int kH = rendertest::kFrameHeight;

class EffectPictures : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_GL_CONTEXT();
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
        ASSERT_TRUE(renderer.Init(tuning));
        camera.eye = glm::vec3(0.0f, 0.0f, 5.0f);
        camera.target = glm::vec3(0.0f);
    }
    void TearDown() override { renderer.Destroy(); }

    glm::mat4 ViewProj() const { return CheckViewProjection(camera, float(kW) / float(kH), true); }
    glm::vec3 Right() const {
        return glm::normalize(glm::cross(camera.target - camera.eye, glm::vec3(0.0f, 1.0f, 0.0f)));
    }
    // Where a world point lands, in pixels from the top left.
    glm::vec2 Pixel(const glm::vec3& p) const {
        const glm::vec4 clip = ViewProj() * glm::vec4(p, 1.0f);
        return glm::vec2((clip.x / clip.w * 0.5f + 0.5f) * kW, (0.5f - clip.y / clip.w * 0.5f) * kH);
    }
    void Clear() { renderer.BeginFrame(kW, kH, tuning); }

    tune::Tuning tuning;
    render::Renderer renderer;
    CheckCamera camera;
};

float DistanceToSegment(glm::vec2 p, glm::vec2 a, glm::vec2 b) {
    const glm::vec2 ab = b - a;
    const float t = std::clamp(glm::dot(p - a, ab) / glm::dot(ab, ab), 0.0f, 1.0f);
    return glm::length(p - (a + ab * t));
}

TEST_F(EffectPictures, ATracerBrightensOnlyPixelsAlongItsSegment) {
    Effects effects;
    ASSERT_TRUE(effects.Init());
    Clear();
    const Frame before = rendertest::ReadFrame();
    const glm::vec3 from(-2.0f, 0.6f, 0.0f), to(1.8f, -0.5f, -1.0f);
    effects.SpawnTracer(from, to, glm::vec3(1.0f, 0.86f, 0.45f), 1.2f, 0.06f, 0.5f, 0.0f, 0.0f);
    Clear();
    effects.Draw(ViewProj(), camera.eye, Right(), glm::vec3(0.0f, 1.0f, 0.0f));
    const Frame after = rendertest::ReadFrame();
    effects.Destroy();
    const glm::vec2 a = Pixel(from), b = Pixel(to);
    int brighter = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const float gain = after.Luminance(x, y) - before.Luminance(x, y);
            EXPECT_GE(gain, 0.0f);
            if (gain <= 1.0f) continue;
            ++brighter;
            EXPECT_LT(DistanceToSegment(glm::vec2(x + 0.5f, y + 0.5f), a, b), 3.0f) << x << ", " << y;
        }
    }
    // And it shows all along: every point of the segment's middle lights a pixel next to it.
    for (float t = 0.05f; t < 0.95f; t += 0.05f) {
        const glm::vec2 p = a + (b - a) * t;
        float best = 0.0f;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = int(p.x) + dx, y = int(p.y) + dy;
                best = std::max(best, after.Luminance(x, y) - before.Luminance(x, y));
            }
        }
        EXPECT_GT(best, 40.0f) << "at " << t;
    }
    EXPECT_GT(brighter, int(glm::length(b - a)));
}

// Mean luminance over the ring of pixels between radii r0 and r1 around a point.
float RingLuminance(const Frame& frame, glm::vec2 centre, float r0, float r1) {
    double sum = 0.0;
    int count = 0;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const float d = glm::length(glm::vec2(x + 0.5f, y + 0.5f) - centre);
            if (d < r0 || d >= r1) continue;
            sum += frame.Luminance(x, y);
            ++count;
        }
    }
    return count ? float(sum / count) : 0.0f;
}

TEST_F(EffectPictures, TheBlastIsBrightestAtItsCentre) {
    Effects effects;
    ASSERT_TRUE(effects.Init());
    const glm::vec3 centre(0.3f, -0.2f, 0.0f);
    // The flash in layers, wide and dim to small and white, and sparks thrown out from it.
    effects.SpawnFlash(centre, glm::vec3(1.0f, 0.45f, 0.12f), 0.25f, 3.0f, 0.5f);
    effects.SpawnFlash(centre, glm::vec3(1.0f, 0.7f, 0.3f), 0.3f, 1.6f, 0.35f);
    effects.SpawnFlash(centre, glm::vec3(1.0f, 0.95f, 0.8f), 0.4f, 0.7f, 0.2f);
    for (int i = 0; i < 24; ++i) {
        const float angle = float(i) * 0.2618f;
        effects.Spawn(centre, glm::vec3(std::cos(angle), std::sin(angle), 0.3f) * 12.0f, glm::vec3(1.0f, 0.6f, 0.2f),
                      0.35f, 0.06f, 0.0f, 3.0f, 0.6f);
    }
    effects.Update(0.08f);
    Clear();
    effects.Draw(ViewProj(), camera.eye, Right(), glm::vec3(0.0f, 1.0f, 0.0f));
    const Frame frame = rendertest::ReadFrame();
    effects.Destroy();
    const glm::vec2 c = Pixel(centre);
    float brightest = 0.0f;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) brightest = std::max(brightest, frame.Luminance(x, y));
    }
    EXPECT_GE(frame.Luminance(int(c.x), int(c.y)), brightest - 1.0f);
    const float inner = RingLuminance(frame, c, 0.0f, 8.0f);
    const float middle = RingLuminance(frame, c, 14.0f, 24.0f);
    const float outer = RingLuminance(frame, c, 30.0f, 45.0f);
    EXPECT_GT(inner, middle + 10.0f);
    EXPECT_GT(middle, outer + 10.0f);
    EXPECT_GT(outer, RingLuminance(frame, c, 120.0f, 200.0f));
}

float HueOf(const uint8_t* p) {
    const float r = p[0], g = p[1], b = p[2];
    const float hi = std::max({r, g, b}), lo = std::min({r, g, b});
    if (hi == lo) return -1.0f;
    float hue = 0.0f;
    if (hi == r) hue = 60.0f * std::fmod((g - b) / (hi - lo), 6.0f);
    else if (hi == g) hue = 60.0f * ((b - r) / (hi - lo) + 2.0f);
    else hue = 60.0f * ((r - g) / (hi - lo) + 4.0f);
    return hue < 0.0f ? hue + 360.0f : hue;
}

TEST_F(EffectPictures, TheFlamesAreOrange) {
    Effects effects;
    ASSERT_TRUE(effects.Init());
    // A stream from a nozzle on the left toward the right, puffs growing and slowing as they go.
    const glm::vec3 nozzle(-2.2f, -0.3f, 0.0f);
    for (int i = 0; i < 40; ++i) {
        const float spread = float((i * 7) % 11) / 10.0f - 0.5f;
        effects.Spawn(nozzle, glm::vec3(7.0f, 0.8f + spread, spread * 0.5f), glm::vec3(1.0f, 0.38f, 0.06f), 0.12f, 0.25f,
                      1.6f, 1.2f, 0.9f);
        effects.Update(0.012f);
    }
    Clear();
    const Frame before = rendertest::ReadFrame();
    effects.Draw(ViewProj(), camera.eye, Right(), glm::vec3(0.0f, 1.0f, 0.0f));
    const Frame after = rendertest::ReadFrame();
    effects.Destroy();
    int changed = 0, orange = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            if (after.Luminance(x, y) - before.Luminance(x, y) < 20.0f) continue;
            ++changed;
            const uint8_t* p = after.At(x, y);
            const float hue = HueOf(p);
            if (hue >= 12.0f && hue <= 45.0f && p[0] > p[1] && p[1] > p[2]) ++orange;
        }
    }
    ASSERT_GT(changed, 800);
    EXPECT_GT(orange, changed * 9 / 10);
}

// Fields are drawn in a dark room: the clear colour is black here.
class FieldPictures : public EffectPictures {
protected:
    void SetUp() override {
        EffectPictures::SetUp();
        tuning.renderer.clearColour[0] = tuning.renderer.clearColour[1] = tuning.renderer.clearColour[2] = 0.0f;
        ASSERT_TRUE(volume.Init());
    }
    void TearDown() override {
        volume.Destroy();
        EffectPictures::TearDown();
    }
    Frame DrawFields() {
        Clear();
        volume.Draw(ViewProj(), camera.eye);
        return rendertest::ReadFrame();
    }
    HealthBombVolume volume;
};

TEST_F(FieldPictures, OnAScanlineThroughAFieldTheRimIsBrighterThanTheCentre) {
    volume.AddField(glm::vec3(0.0f), 1.5f, glm::vec3(0.3f, 1.0f, 0.45f), 0.08f, 0.7f, 2.5f);
    const Frame frame = DrawFields();
    const glm::vec2 centre = Pixel(glm::vec3(0.0f));
    const int y = int(centre.y);
    // The silhouette's half width on screen, seen from 5 m: the tangent ray, not the radius.
    const float edge = Pixel(glm::vec3(1.5f / std::sqrt(1.0f - 1.5f * 1.5f / 25.0f), 0.0f, 0.0f)).x - centre.x;
    float centreGreen = frame.At(int(centre.x), y)[1];
    float rimGreen = 0.0f;
    for (int x = int(centre.x + edge * 0.8f); x < int(centre.x + edge); ++x) rimGreen = std::max(rimGreen, float(frame.At(x, y)[1]));
    EXPECT_GT(centreGreen, 5.0f) << "the face itself shows";
    EXPECT_GT(rimGreen, centreGreen + 40.0f);
    // Brightness grows from the centre toward the rim along the scanline.
    const float quarter = frame.At(int(centre.x + edge * 0.5f), y)[1];
    EXPECT_GT(quarter, centreGreen);
    EXPECT_GT(rimGreen, quarter);
    // Nothing outside the sphere.
    EXPECT_EQ(frame.At(int(centre.x + edge + 3.0f), y)[1], 0);
}

TEST_F(FieldPictures, FromInsideTheViewIsTinted) {
    const glm::vec3 colour(0.3f, 1.0f, 0.45f);
    volume.AddField(glm::vec3(0.2f, 0.0f, 4.5f), 3.0f, colour, 0.25f, 0.5f, 3.0f);
    ASSERT_FALSE(SeesFieldFromOutside(camera.eye, volume.fields[0].centre, volume.fields[0].radius));
    const Frame frame = DrawFields();
    int tinted = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const uint8_t* p = frame.At(x, y);
            tinted += (p[1] > 40 && p[1] > p[0] && p[1] > p[2]) ? 1 : 0;
        }
    }
    EXPECT_EQ(tinted, kW * kH);
}

TEST_F(FieldPictures, FieldsLeftQueuedWithoutClearDrawAgainBrighter) {
    volume.AddField(glm::vec3(0.0f), 1.2f, glm::vec3(1.0f, 0.4f, 0.8f), 0.2f, 0.4f, 2.0f);
    const Frame once = DrawFields();
    const Frame again = DrawFields();  // the same queue: the same picture
    volume.AddField(glm::vec3(0.0f), 1.2f, glm::vec3(1.0f, 0.4f, 0.8f), 0.2f, 0.4f, 2.0f);  // the next frame's, no Clear
    const Frame twice = DrawFields();
    volume.Clear();
    volume.AddField(glm::vec3(0.0f), 1.2f, glm::vec3(1.0f, 0.4f, 0.8f), 0.2f, 0.4f, 2.0f);
    const Frame cleared = DrawFields();
    const glm::vec2 c = Pixel(glm::vec3(0.0f));
    const rendertest::PixelBox box{int(c.x) - 20, int(c.y) - 20, int(c.x) + 20, int(c.y) + 20};
    EXPECT_EQ(rendertest::MeanDifference(once, again, box), 0.0f);
    EXPECT_EQ(rendertest::MeanDifference(once, cleared, box), 0.0f);
    EXPECT_GT(twice.Luminance(int(c.x), int(c.y)), once.Luminance(int(c.x), int(c.y)) + 10.0f);
    EXPECT_GT(rendertest::MeanDifference(once, twice, box), 10.0f);
}

TEST_F(EffectPictures, ASpriteShowsOnlyItsFramesColour) {
    // A 64 x 32 sheet, 4 x 2 frames of 16 texels, each frame its own colour; frame (c, r) is taken
    // from the top rows of the image for r = 0.
    testsupport::TempFolder folder;
    std::vector<uint8_t> pixels(64 * 32 * 4);
    auto frameColour = [](int column, int row) {
        const int f = row * 4 + column;
        return std::array<uint8_t, 3>{uint8_t(25 + 29 * f), uint8_t(220 - 23 * f), uint8_t(f % 2 ? 201 : 37)};
    };
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            const auto colour = frameColour(x / 16, y / 16);
            uint8_t* p = pixels.data() + (y * 64 + x) * 4;
            std::copy(colour.begin(), colour.end(), p);
            p[3] = 255;
        }
    }
    const std::string path = folder.Path() + "/frames.png";
    ASSERT_TRUE(stbi_write_png(path.c_str(), 64, 32, 4, pixels.data(), 64 * 4));
    SpriteSheet sheet;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(sheet.Load(path, 4, 2));
    testing::internal::GetCapturedStdout();
    const int frames[][2] = {{2, 0}, {1, 1}, {3, 1}, {0, 0}};
    for (const auto& f : frames) {
        sheet.Clear();
        sheet.Queue(glm::vec3(0.0f), 2.0f, f[0], f[1], glm::vec3(1.0f), 1.0f);
        Clear();
        sheet.Draw(ViewProj(), Right(), glm::vec3(0.0f, 1.0f, 0.0f));
        const Frame frame = rendertest::ReadFrame();
        const glm::vec2 lo = Pixel(glm::vec3(-1.0f, 1.0f, 0.0f)), hi = Pixel(glm::vec3(1.0f, -1.0f, 0.0f));
        const auto expected = frameColour(f[0], f[1]);
        int inside = 0;
        for (int y = int(lo.y) + 2; y < int(hi.y) - 1; ++y) {
            for (int x = int(lo.x) + 2; x < int(hi.x) - 1; ++x) {
                const uint8_t* p = frame.At(x, y);
                for (int k = 0; k < 3; ++k) ASSERT_LE(std::abs(int(p[k]) - int(expected[k])), 2) << x << ", " << y;
                ++inside;
            }
        }
        EXPECT_GT(inside, 2000) << "frame " << f[0] << ", " << f[1];
        // Outside the square the frame stays clear.
        const uint8_t* corner = frame.At(2, 2);
        EXPECT_EQ(int(corner[0]), 66);
    }
    sheet.Destroy();
}

TEST_F(EffectPictures, TheFloorPlateShowsFromAboveWithItsAxesThroughTheOrigin) {
    CollisionWorld world;
    render::DebugMesh mesh;
    tune::RendererTuning settings;
    settings.gridHalfExtent = 10.0f;
    settings.gridSpacing = 1.0f;
    ASSERT_TRUE(BuildLevelDebugMesh(mesh, world, settings));
    camera.eye = glm::vec3(0.0f, 9.0f, 4.0f);
    camera.target = glm::vec3(0.0f);
    Clear();
    renderer.DrawDebugMesh(mesh, ViewProj());
    const Frame frame = rendertest::ReadFrame();
    mesh.Destroy();
    auto near = [&](const glm::vec3& p, auto&& test) {
        const glm::vec2 at = Pixel(p);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (test(frame.At(int(at.x) + dx, int(at.y) + dy))) return true;
            }
        }
        return false;
    };
    const auto red = [](const uint8_t* p) { return p[0] > p[1] + 40 && p[0] > p[2] + 40; };
    const auto blue = [](const uint8_t* p) { return p[2] > p[0] + 40 && p[2] > p[1] + 20; };
    for (const float k : {-4.5f, -2.5f, 2.5f, 4.5f}) {
        EXPECT_TRUE(near(glm::vec3(k, 0.0f, 0.0f), red)) << "the x axis at " << k;
        EXPECT_FALSE(near(glm::vec3(k, 0.0f, 0.0f), blue)) << "the x axis at " << k;
        EXPECT_TRUE(near(glm::vec3(0.0f, 0.0f, k), blue)) << "the z axis at " << k;
        EXPECT_FALSE(near(glm::vec3(0.0f, 0.0f, k), red)) << "the z axis at " << k;
    }
    // Between the lines the plate shows: grey, and not the clear colour.
    for (const glm::vec3& p : {glm::vec3(1.5f, 0.0f, 1.5f), glm::vec3(-3.5f, 0.0f, -2.5f), glm::vec3(6.5f, 0.0f, 0.5f)}) {
        const glm::vec2 at = Pixel(p);
        const uint8_t* pixel = frame.At(int(at.x), int(at.y));
        EXPECT_FALSE(pixel[0] == 66 && pixel[1] == 70 && pixel[2] == 79) << p.x << ", " << p.z;
        EXPECT_LT(std::max({pixel[0], pixel[1], pixel[2]}) - std::min({pixel[0], pixel[1], pixel[2]}), 40);
        EXPECT_GT(pixel[0], 90);
    }
}

}  // namespace effects_picture_test
