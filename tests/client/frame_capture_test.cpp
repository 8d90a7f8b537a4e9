// The frame written by `--capture`, read back from the PNG; and the two window titles.
#include <string>

#include <glad/gl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include "client/frame_capture.h"
#include "client/window_title.h"
#include "gl_window_fixture.h"
#include "support/temp_folder.h"

namespace framecapturetest {

using testing::HasSubstr;
using FrameCapture = clienttest::GlWindowTest;

TEST_F(FrameCapture, TheTopOfTheFrameIsTheTopOfTheImage)
{
    glDisable(GL_FRAMEBUFFER_SRGB);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 32, 64, 32);  // GL's upper half
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, 64, 32);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glFinish();

    testsupport::TempFolder folder;
    const std::string path = folder.Path() + "/frame.png";
    testing::internal::CaptureStdout();
    ASSERT_TRUE(CaptureFrame(path, 64, 64));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[capture] wrote " + path + " (64x64)\n");
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 64);
    EXPECT_EQ(channels, 3);
    EXPECT_EQ(pixels[0], 255);                      // top row: red
    EXPECT_EQ(pixels[2], 0);
    EXPECT_EQ(pixels[(63 * 64) * 3 + 2], 255);      // bottom row: blue
    EXPECT_EQ(pixels[(63 * 64) * 3 + 0], 0);
    stbi_image_free(pixels);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(CaptureFrame(folder.Path() + "/no/such/folder/frame.png", 64, 64));
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("[capture] failed to write "));
}

TEST(WindowTitle, JoinedAndLocalTitlesCarryTheirFigures)
{
    JoinedTitleFigures figures;
    figures.fps = 59.6;
    figures.speed = 7.2;
    figures.online = true;
    figures.players = 9;
    figures.downloadKBps = 24.25;
    figures.corrections = 3;
    EXPECT_EQ(JoinedTitle(figures), "Zell War -- 60 fps | 7.2 m/s | online | 9 players | down 24.2 KB/s | 3 corrections");
    figures.online = false;
    EXPECT_THAT(JoinedTitle(figures), HasSubstr(" | connecting... | "));
    EXPECT_EQ(LocalTitle(144.0, 0.0, 77, "M4", false), "Zell War -- 144 fps | 0.0 m/s | tick 77 | M4");
    EXPECT_EQ(LocalTitle(30.0, 3.05, 5, "NONE", true), "Zell War -- 30 fps | 3.0 m/s | tick 5 | NONE | airborne");
}

}  // namespace framecapturetest
