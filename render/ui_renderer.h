#pragma once

#include <cstdint>
#include <vector>

#include "render/shader.h"

// The 2D batch under every menu, screen and HUD element: solid and outlined rectangles, text in
// the 8x8 bitmap font and cells of sprite sheets, queued during the frame in window pixels (origin
// top-left, y down) and drawn over the finished 3D frame. Rectangles and text go up as one upload
// and one draw ("ui" program); sheet cells as one draw per sheet command ("uisprite" program), all
// of them over the rectangles and text of the same batch. Only Init, Render and Shutdown touch GL,
// so everything else runs without a context. Main thread only.
//
// Colours are one u32 0xAABBGGRR: red in the low byte, so that its bytes in memory are R, G, B, A.
namespace render {

struct UiVertex {
    float x, y;
    float u, v;
    uint8_t colour[4];  // R, G, B, A
    float cell[4];      // the sheet cell's left, top, right, bottom texture coordinates; 0 for text
};
static_assert(sizeof(UiVertex) == 36, "the UI vertex layout is fixed");

struct UiDrawCmd {
    uint32_t texture = 0;  // 0 draws nothing
    int32_t columns = 1, rows = 1;
    int32_t textureWidth = 1, textureHeight = 1;
    float outline = 0.0f;  // pixels
    float shinePosition = -1.0f, shineWidth = 0.22f, shineStrength = 0.85f;
    float cooldownFraction = 0.0f, cooldownSecond = 0.72f;
    uint64_t firstVertex = 0;
    uint64_t vertexCount = 0;  // a multiple of 6
};

// The font atlas: 128 x 80 single-channel texels.
constexpr int32_t kFontAtlasWidth = 128;
constexpr int32_t kFontAtlasHeight = 80;

// Builds the atlas texels (row-major, kFontAtlasWidth x kFontAtlasHeight): glyphs 0-127 in 16 x 8
// cells of 8 x 8, glyph 1 replaced by the unlimited sign, and the solid block at x 0-15, y 64-79.
std::vector<uint8_t> BuildFontAtlas();

struct UiRenderer {
    Shader uiProgram;
    Shader spriteProgram;
    uint32_t vertexArray = 0;
    uint32_t vertexBuffer = 0;
    uint32_t fontTexture = 0;
    uint64_t capacity = 0;  // vertices the GPU buffer holds
    std::vector<UiVertex> uiVertices;
    std::vector<UiVertex> spriteVertices;
    std::vector<UiDrawCmd> commands;
    float outline = 0.0f;  // for later BeginSheet calls
    int32_t width = 0;
    int32_t height = 0;

    // Loads both programs, uploads the font atlas and makes the vertex array and a buffer of 4096
    // vertices. False when a program fails to load (the loader prints its own line).
    bool Init();
    void Shutdown();

    void BeginFrame(int32_t viewportWidth, int32_t viewportHeight);
    void PushQuad(float x, float y, float w, float h, float uLeft, float vTop, float uRight, float vBottom,
                  uint32_t colour);
    void FillRect(float x, float y, float w, float h, uint32_t colour);
    void StrokeRect(float x, float y, float w, float h, float thickness, uint32_t colour);
    void DrawText(float x, float y, const char* text, float scale, uint32_t colour);
    void DrawTextCentered(float cx, float y, const char* text, float scale, uint32_t colour);
    static float MeasureText(const char* text, float scale);

    void BeginSheet(uint32_t texture, int32_t columns, int32_t rows, int32_t textureWidth, int32_t textureHeight);
    void SetOutline(float width);
    void SetShine(float position, float width, float strength);
    void SetCooldown(float fraction, float second);
    void DrawSheetCell(float x, float y, float w, float h, int32_t column, int32_t row, uint32_t colour);
    void DrawSheetCellPart(float x, float y, float w, float h, int32_t column, int32_t row, uint32_t colour,
                           float s0, float t0, float s1, float t1);

    void Render();
    // Render, then start the lists again; cells drawn afterwards keep the last sheet and effects.
    void Flush();
    // Makes sure the GPU buffer holds `count` vertices: 4096 at least, twice the need when it grows.
    void ReserveVertices(uint64_t count);
};

}  // namespace render
