// The UI batch on the GPU: what Init makes, what a frame puts on the screen, when drawing makes no
// GL call at all, and how the buffer grows.
#include <glad/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "gl_test_context.h"
#include "render/ui_renderer.h"

namespace ui_renderer_gl_test {

int64_t BufferBytes(uint32_t buffer) {
    GLint64 size = -1;
    glGetNamedBufferParameteri64v(buffer, GL_BUFFER_SIZE, &size);
    return size;
}

// A 4 x 2 sheet of two 2 x 2 cells: red on the left, green on the right, sampled as sRGB.
uint32_t MakeTwoCellSheet() {
    const uint8_t texels[4 * 2 * 4] = {255, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255,
                                       255, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
    uint32_t texture = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, 1, GL_SRGB8_ALPHA8, 4, 2);
    glTextureSubImage2D(texture, 0, 0, 0, 4, 2, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTextureParameteri(texture, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTextureParameteri(texture, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

void StartFrame() {
    glBindFramebuffer(GL_FRAMEBUFFER, rendertest::SharedWindow()->framebuffer);
    glViewport(0, 0, rendertest::kFrameWidth, rendertest::kFrameHeight);
    glEnable(GL_FRAMEBUFFER_SRGB);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ExpectPixel(const rendertest::Frame& frame, int x, int y, int r, int g, int b) {
    const uint8_t* p = frame.At(x, y);
    EXPECT_LE(std::abs(p[0] - r), 1) << "red at " << x << ", " << y;
    EXPECT_LE(std::abs(p[1] - g), 1) << "green at " << x << ", " << y;
    EXPECT_LE(std::abs(p[2] - b), 1) << "blue at " << x << ", " << y;
}

TEST(UiRendererGl, InitLoadsBothProgramsTheAtlasAndABufferOf4096Vertices) {
    ASSERT_GL_CONTEXT();
    render::UiRenderer ui;
    ASSERT_TRUE(ui.Init());
    EXPECT_NE(ui.uiProgram.program, 0u);
    EXPECT_NE(ui.spriteProgram.program, 0u);
    EXPECT_NE(ui.vertexArray, 0u);
    EXPECT_TRUE(glIsTexture(ui.fontTexture));
    GLint width = 0, height = 0, format = 0;
    glGetTextureLevelParameteriv(ui.fontTexture, 0, GL_TEXTURE_WIDTH, &width);
    glGetTextureLevelParameteriv(ui.fontTexture, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTextureLevelParameteriv(ui.fontTexture, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, 128);
    EXPECT_EQ(height, 80);
    EXPECT_EQ(format, GL_R8);
    EXPECT_EQ(ui.capacity, 4096u);
    EXPECT_EQ(BufferBytes(ui.vertexBuffer), 4096 * 36);

    const uint32_t buffer = ui.vertexBuffer, texture = ui.fontTexture;
    ui.Shutdown();
    EXPECT_EQ(ui.vertexArray, 0u);
    EXPECT_EQ(ui.vertexBuffer, 0u);
    EXPECT_EQ(ui.fontTexture, 0u);
    EXPECT_EQ(ui.uiProgram.program, 0u);
    EXPECT_FALSE(glIsBuffer(buffer));
    EXPECT_FALSE(glIsTexture(texture));
}

TEST(UiRendererGl, AFrameShowsTextRectanglesAndSheetCellsInTheirColours) {
    ASSERT_GL_CONTEXT();
    render::UiRenderer ui;
    ASSERT_TRUE(ui.Init());
    const uint32_t sheet = MakeTwoCellSheet();
    const int errors = rendertest::GlErrorsSoFar();
    StartFrame();

    ui.BeginFrame(rendertest::kFrameWidth, rendertest::kFrameHeight);
    ui.DrawText(10.0f, 10.0f, "A", 4.0f, 0xff00ffff);   // yellow, 32 x 32
    ui.FillRect(100.0f, 20.0f, 30.0f, 30.0f, 0xff336699);  // a colour between black and white keeps its bytes
    ui.BeginSheet(sheet, 2, 1, 4, 2);
    ui.DrawSheetCell(200.0f, 100.0f, 40.0f, 40.0f, 1, 0, 0xffffffff);
    ui.DrawSheetCell(250.0f, 100.0f, 40.0f, 40.0f, 0, 0, 0xffffffff);
    ui.Render();
    EXPECT_EQ(rendertest::GlErrorsSoFar(), errors);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));

    const rendertest::Frame frame = rendertest::ReadFrame();
    // "A"'s top row is 0C: font pixels 2 and 3 lit, 0, 1 and 4 dark; each font pixel is 4 x 4 here.
    ExpectPixel(frame, 10 + 2 * 4 + 1, 11, 255, 255, 0);
    ExpectPixel(frame, 10 + 3 * 4 + 2, 12, 255, 255, 0);
    ExpectPixel(frame, 10 + 1, 11, 0, 0, 0);
    ExpectPixel(frame, 10 + 4 * 4 + 1, 11, 0, 0, 0);
    // Row 4 (3F) is lit from font pixel 0 to 5.
    ExpectPixel(frame, 10 + 1, 10 + 4 * 4 + 1, 255, 255, 0);
    ExpectPixel(frame, 115, 35, 0x99, 0x66, 0x33);
    ExpectPixel(frame, 220, 120, 0, 255, 0);
    ExpectPixel(frame, 270, 120, 255, 0, 0);
    ExpectPixel(frame, 245, 120, 0, 0, 0);

    glDeleteTextures(1, &sheet);
    ui.Shutdown();
}

TEST(UiRendererGl, AnEmptyFrameMakesNoGlCallAndOnlySheetCellsStillDraw) {
    ASSERT_GL_CONTEXT();
    render::UiRenderer ui;
    ASSERT_TRUE(ui.Init());
    const uint32_t sheet = MakeTwoCellSheet();
    StartFrame();

    glUseProgram(0);
    glBindVertexArray(0);
    glEnable(GL_CULL_FACE);
    ui.BeginFrame(rendertest::kFrameWidth, rendertest::kFrameHeight);
    ui.BeginSheet(sheet, 2, 1, 4, 2);  // a command without cells queues no vertex
    ui.Render();
    GLint program = -1, vertexArray = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(vertexArray, 0);

    ui.DrawSheetCell(0.0f, 0.0f, 20.0f, 20.0f, 1, 0, 0xffffffff);
    ui.Render();
    ExpectPixel(rendertest::ReadFrame(), 10, 10, 0, 255, 0);

    glDeleteTextures(1, &sheet);
    ui.Shutdown();
}

TEST(UiRendererGl, FlushDrawsAndLaterCellsKeepTheSheetFromVertexZero) {
    ASSERT_GL_CONTEXT();
    render::UiRenderer ui;
    ASSERT_TRUE(ui.Init());
    const uint32_t sheet = MakeTwoCellSheet();
    StartFrame();

    ui.BeginFrame(rendertest::kFrameWidth, rendertest::kFrameHeight);
    ui.BeginSheet(sheet, 2, 1, 4, 2);
    ui.SetCooldown(0.5f, 0.6f);
    ui.SetShine(0.3f, 0.1f, 0.5f);
    ui.DrawSheetCell(0.0f, 0.0f, 20.0f, 20.0f, 1, 0, 0xffffffff);
    ui.DrawText(50.0f, 50.0f, "x", 1.0f, 0xffffffff);
    ui.Flush();
    EXPECT_TRUE(ui.uiVertices.empty());
    EXPECT_TRUE(ui.spriteVertices.empty());
    ASSERT_EQ(ui.commands.size(), 1u);
    EXPECT_EQ(ui.commands[0].firstVertex, 0u);
    EXPECT_EQ(ui.commands[0].vertexCount, 0u);

    ui.DrawSheetCell(30.0f, 0.0f, 20.0f, 20.0f, 0, 0, 0xffffffff);
    ASSERT_EQ(ui.commands.size(), 1u);
    const render::UiDrawCmd& command = ui.commands[0];
    EXPECT_EQ(command.texture, sheet);
    EXPECT_EQ(command.firstVertex, 0u);
    EXPECT_EQ(command.vertexCount, 6u);
    EXPECT_FLOAT_EQ(command.cooldownFraction, 0.5f);
    EXPECT_FLOAT_EQ(command.cooldownSecond, 0.6f);
    EXPECT_FLOAT_EQ(command.shinePosition, 0.3f);
    EXPECT_FLOAT_EQ(command.shineWidth, 0.1f);
    EXPECT_FLOAT_EQ(command.shineStrength, 0.5f);
    EXPECT_FLOAT_EQ(ui.spriteVertices[0].x, 30.0f);

    glDeleteTextures(1, &sheet);
    ui.Shutdown();
}

TEST(UiRendererGl, TheBufferGrowsToTwiceTheNeedAndIsKeptWhenBigEnough) {
    ASSERT_GL_CONTEXT();
    render::UiRenderer ui;
    ASSERT_TRUE(ui.Init());
    StartFrame();
    ui.BeginFrame(rendertest::kFrameWidth, rendertest::kFrameHeight);
    for (int i = 0; i < 1000; ++i) ui.FillRect(float(i % 300), 0.0f, 1.0f, 1.0f, 0xff000000);
    const uint32_t first = ui.vertexBuffer;
    ui.Render();
    EXPECT_EQ(ui.capacity, 12000u);
    EXPECT_EQ(BufferBytes(ui.vertexBuffer), 12000 * 36);
    EXPECT_FALSE(glIsBuffer(first));

    const uint32_t grown = ui.vertexBuffer;
    ui.ReserveVertices(12000);
    ui.ReserveVertices(100);
    EXPECT_EQ(ui.vertexBuffer, grown);
    EXPECT_EQ(ui.capacity, 12000u);
    ui.Shutdown();
}

}  // namespace ui_renderer_gl_test
