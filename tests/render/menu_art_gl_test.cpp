// The painted title menu with the GL: the generated art loads and draws, a click goes through a
// whole draw, and a missing or unusable picture leaves the menu art not ready.
#include <glad/gl.h>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "game/asset_paths.h"
#include "gl_test_context.h"
#include "render/menu_art.h"
#include "support/temp_folder.h"

namespace menu_art_gl_test {

namespace fs = std::filesystem;

// The generated menu pictures copied into `root`/menu, leaving out `skipped`.
void CopyMenuArt(const std::string& root, const std::string& skipped) {
    fs::create_directories(fs::path(root) / "menu");
    for (const auto& entry : fs::directory_iterator(fs::path(AssetsDir()) / "menu")) {
        if (entry.path().filename() == skipped) continue;
        fs::copy_file(entry.path(), fs::path(root) / "menu" / entry.path().filename());
    }
}

ui::Input MouseAt(float x, float y, uint8_t down, uint8_t pressed) {
    ui::Input input;
    input.mouseX = x;
    input.mouseY = y;
    input.mouseDown = down;
    input.mousePressed = pressed;
    return input;
}

float MeanLuminance(const rendertest::Frame& frame, const rendertest::PixelBox& box) {
    double sum = 0.0;
    int count = 0;
    for (int y = box.y0; y < box.y1; ++y) {
        for (int x = box.x0; x < box.x1; ++x, ++count) sum += frame.Luminance(x, y);
    }
    return count ? float(sum / count) : 0.0f;
}

TEST(MenuArtGl, TheGeneratedArtLoadsDrawsAndTakesAClick) {
    ASSERT_GL_CONTEXT();
    render::MenuArt art;
    testing::internal::CaptureStdout();
    const bool ready = art.Init();
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(ready) << out;
    EXPECT_EQ(out, "[menuart] loaded 8 layers, " + std::to_string(art.sparkSites.size()) + " spark sites\n");
    EXPECT_GT(art.sparkSites.size(), 1000u) << "the character should give plenty of places for sparks";

    // Each painted button is a shape in an otherwise transparent picture.
    ASSERT_EQ(art.buttons.size(), 5u);
    for (size_t i = 0; i < art.buttons.size(); ++i) {
        const render::MenuArt::Button& button = art.buttons[i];
        EXPECT_EQ(button.action, int32_t(i) + 1);
        EXPECT_NE(button.texture, 0u);
        const size_t inside = size_t(std::count(button.hitMask.begin(), button.hitMask.end(), uint8_t(1)));
        EXPECT_GT(inside, 1000u) << "button " << i;
        EXPECT_LT(inside, button.hitMask.size() / 20) << "button " << i;
        EXPECT_EQ(button.hitMask.front(), 0) << "button " << i;
        EXPECT_EQ(button.hitMask.back(), 0) << "button " << i;
    }

    const int width = rendertest::kFrameWidth, height = rendertest::kFrameHeight;
    const render::MenuLayout layout = render::MenuLayoutFor(width, height);
    // The middle of the first button (play) in this window, found from its own mask.
    double sumX = 0.0, sumY = 0.0;
    int over = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (art.HoveredButton(layout, float(x) + 0.5f, float(y) + 0.5f) != 0) continue;
            sumX += x + 0.5;
            sumY += y + 0.5;
            ++over;
        }
    }
    ASSERT_GT(over, 100);
    const float playX = float(sumX / over), playY = float(sumY / over);
    ASSERT_EQ(art.HoveredButton(layout, playX, playY), 0);
    const rendertest::PixelBox playBox{int(playX) - 20, int(playY) - 4, int(playX) + 20, int(playY) + 4};

    const int errors = rendertest::GlErrorsSoFar();
    glViewport(0, 0, width, height);
    // Frame time 0 keeps the sparks still, so that the two pictures differ only by the hover.
    EXPECT_EQ(art.Draw(width, height, MouseAt(-100.0f, -100.0f, 0, 0), 0.5f, 0.0f), 0);
    const rendertest::Frame idle = rendertest::ReadFrame();
    EXPECT_EQ(art.Draw(width, height, MouseAt(playX, playY, 0, 0), 0.5f, 0.0f), 0);
    const rendertest::Frame hovered = rendertest::ReadFrame();
    EXPECT_GT(MeanLuminance(hovered, playBox), MeanLuminance(idle, playBox) + 1.0f) << "a hovered button brightens";
    EXPECT_LT(rendertest::MeanDifference(idle, hovered, rendertest::PixelBox{200, 0, width, height}), 0.01f)
        << "nothing else changes";

    EXPECT_EQ(art.Draw(width, height, MouseAt(playX, playY, 1, 1), 0.6f, 1.0f), 0);
    EXPECT_EQ(art.sparks.size(), 55u);
    EXPECT_EQ(art.Draw(width, height, MouseAt(playX, playY, 0, 0), 0.7f, 0.016f), 1);
    EXPECT_EQ(art.Draw(width, height, MouseAt(playX, playY, 0, 0), 3.0f, 0.016f), 0);
    EXPECT_EQ(rendertest::GlErrorsSoFar(), errors);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &source);
    glGetIntegerv(GL_BLEND_DST_RGB, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(art.lastWidth, width);
    EXPECT_EQ(art.lastHeight, height);

    // More vertices than the buffer holds: it is made again at twice the need, and the draw empties the list.
    EXPECT_EQ(art.capacity, 4096u);
    for (int i = 0; i < 700; ++i) art.PushQuad(float(i % 300), 10.0f, 2.0f, 2.0f, 1.0f, 1.0f, 1.0f, 0.5f);
    art.DrawLayer(art.whiteTexture, -1.0f, 1.0f, glm::vec3(1.0f));
    EXPECT_EQ(art.capacity, 8400u);
    GLint64 bytes = 0;
    glGetNamedBufferParameteri64v(art.vertexBuffer, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 8400 * 32);
    EXPECT_TRUE(art.vertices.empty());
    EXPECT_EQ(rendertest::GlErrorsSoFar(), errors);

    const uint32_t background = art.backgroundTexture, play = art.buttons[0].texture;
    art.Shutdown();
    EXPECT_FALSE(art.ready);
    EXPECT_TRUE(art.buttons.empty());
    EXPECT_EQ(art.vertexArray, 0u);
    EXPECT_EQ(art.program.program, 0u);
    EXPECT_FALSE(glIsTexture(background));
    EXPECT_FALSE(glIsTexture(play));
    EXPECT_EQ(art.Draw(width, height, MouseAt(playX, playY, 1, 1), 0.0f, 0.016f), 0);
}

TEST(MenuArtGl, AMissingOrUnusablePictureLeavesTheArtNotReady) {
    ASSERT_GL_CONTEXT();
    {
        testsupport::TempFolder assets;
        CopyMenuArt(assets.Path(), "quit_button.png");
        render::MenuArt art;
        art.assetsDirectory = assets.Path();
        testing::internal::CaptureStdout();
        EXPECT_FALSE(art.Init());
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "[menuart] missing " + assets.Path() + "/menu/quit_button.png\n");
        EXPECT_FALSE(art.ready);
        EXPECT_EQ(art.Draw(320, 240, MouseAt(0.0f, 0.0f, 0, 0), 0.0f, 0.016f), 0);
        art.Shutdown();
    }
    {
        // A character without one opaque pixel on the spark grid: not ready, and nothing to say.
        testsupport::TempFolder assets;
        CopyMenuArt(assets.Path(), "character.png");
        const std::vector<uint8_t> clear(12 * 12 * 4, 0);
        ASSERT_TRUE(stbi_write_png((assets.Path() + "/menu/character.png").c_str(), 12, 12, 4, clear.data(), 12 * 4));
        render::MenuArt art;
        art.assetsDirectory = assets.Path();
        testing::internal::CaptureStdout();
        EXPECT_FALSE(art.Init());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_TRUE(art.sparkSites.empty());
        EXPECT_EQ(art.buttons.size(), 5u);
        art.Shutdown();
    }
    {
        testsupport::TempFolder shaders;
        render::MenuArt art;
        art.shadersDirectory = shaders.Path();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(art.Init());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find("[shader] cannot open " + shaders.Path() + "/menuart.vert"), std::string::npos) << errors;
        EXPECT_EQ(art.vertexArray, 0u);
        EXPECT_EQ(art.backgroundTexture, 0u);
    }
}

}  // namespace menu_art_gl_test
