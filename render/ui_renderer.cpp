#include "render/ui_renderer.h"

#include <glad/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "game/asset_paths.h"
#include "render/font8x8_basic.h"

namespace render {

namespace {

constexpr uint64_t kMinimumCapacity = 4096;
constexpr float kCellInset = 0.0005f;

// Glyph 1 shows the unlimited sign (two small rings side by side): row, then the columns it sets.
constexpr struct {
    int row;
    uint8_t bits;
} kUnlimitedSign[] = {{2, 0x66}, {3, 0x99}, {4, 0x99}, {5, 0x66}};

UiVertex MakeVertex(float x, float y, float u, float v, uint32_t colour, const float cell[4]) {
    UiVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.u = u;
    vertex.v = v;
    for (int i = 0; i < 4; ++i) vertex.colour[i] = uint8_t(colour >> (8 * i));
    for (int i = 0; i < 4; ++i) vertex.cell[i] = cell[i];
    return vertex;
}

void AppendQuad(std::vector<UiVertex>& out, float x, float y, float w, float h, float uLeft, float vTop, float uRight,
                float vBottom, uint32_t colour, const float cell[4]) {
    out.push_back(MakeVertex(x, y, uLeft, vTop, colour, cell));
    out.push_back(MakeVertex(x + w, y, uRight, vTop, colour, cell));
    out.push_back(MakeVertex(x + w, y + h, uRight, vBottom, colour, cell));
    out.push_back(MakeVertex(x, y, uLeft, vTop, colour, cell));
    out.push_back(MakeVertex(x + w, y + h, uRight, vBottom, colour, cell));
    out.push_back(MakeVertex(x, y + h, uLeft, vBottom, colour, cell));
}

}  // namespace

std::vector<uint8_t> BuildFontAtlas() {
    std::vector<uint8_t> texels(size_t(kFontAtlasWidth) * size_t(kFontAtlasHeight), 0);
    const auto setRow = [&texels](int glyph, int row, uint8_t bits) {
        const int x = 8 * (glyph % 16);
        const int y = 8 * (glyph / 16) + row;
        for (int b = 0; b < 8; ++b)
            texels[size_t(y) * kFontAtlasWidth + size_t(x + b)] = (bits >> b) & 1 ? 255 : 0;
    };
    for (int glyph = 0; glyph < 128; ++glyph)
        for (int row = 0; row < 8; ++row) setRow(glyph, row, kFont8x8Basic[glyph][row]);
    for (int row = 0; row < 8; ++row) setRow(1, row, 0);
    for (const auto& line : kUnlimitedSign) setRow(1, line.row, line.bits);
    for (int y = 64; y < 80; ++y)
        for (int x = 0; x < 16; ++x) texels[size_t(y) * kFontAtlasWidth + size_t(x)] = 255;
    return texels;
}

bool UiRenderer::Init() {
    if (!uiProgram.Load(ShaderPath("ui.vert").c_str(), ShaderPath("ui.frag").c_str())) return false;
    if (!spriteProgram.Load(ShaderPath("ui.vert").c_str(), ShaderPath("uisprite.frag").c_str())) return false;

    const std::vector<uint8_t> atlas = BuildFontAtlas();
    glCreateTextures(GL_TEXTURE_2D, 1, &fontTexture);
    glTextureStorage2D(fontTexture, 1, GL_R8, kFontAtlasWidth, kFontAtlasHeight);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTextureSubImage2D(fontTexture, 0, 0, 0, kFontAtlasWidth, kFontAtlasHeight, GL_RED, GL_UNSIGNED_BYTE,
                        atlas.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTextureParameteri(fontTexture, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTextureParameteri(fontTexture, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTextureParameteri(fontTexture, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTextureParameteri(fontTexture, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    glCreateVertexArrays(1, &vertexArray);
    const struct {
        GLuint index;
        GLint size;
        GLenum type;
        GLboolean normalised;
        GLuint offset;
    } attributes[] = {{0, 2, GL_FLOAT, GL_FALSE, offsetof(UiVertex, x)},
                      {1, 2, GL_FLOAT, GL_FALSE, offsetof(UiVertex, u)},
                      {2, 4, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(UiVertex, colour)},
                      {3, 4, GL_FLOAT, GL_FALSE, offsetof(UiVertex, cell)}};
    for (const auto& attribute : attributes) {
        glEnableVertexArrayAttrib(vertexArray, attribute.index);
        glVertexArrayAttribFormat(vertexArray, attribute.index, attribute.size, attribute.type, attribute.normalised,
                                  attribute.offset);
        glVertexArrayAttribBinding(vertexArray, attribute.index, 0);
    }
    ReserveVertices(kMinimumCapacity);
    return true;
}

void UiRenderer::Shutdown() {
    uiProgram.Destroy();
    spriteProgram.Destroy();
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    if (fontTexture != 0) glDeleteTextures(1, &fontTexture);
    vertexArray = vertexBuffer = fontTexture = 0;
    capacity = 0;
}

void UiRenderer::BeginFrame(int32_t viewportWidth, int32_t viewportHeight) {
    width = viewportWidth;
    height = viewportHeight;
    uiVertices.clear();
    spriteVertices.clear();
    commands.clear();
}

void UiRenderer::PushQuad(float x, float y, float w, float h, float uLeft, float vTop, float uRight, float vBottom,
                          uint32_t colour) {
    const float noCell[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    AppendQuad(uiVertices, x, y, w, h, uLeft, vTop, uRight, vBottom, colour, noCell);
}

void UiRenderer::FillRect(float x, float y, float w, float h, uint32_t colour) {
    // The texel at (8, 68), inside the solid block.
    PushQuad(x, y, w, h, 0.0625f, 0.85f, 0.0625f, 0.85f, colour);
}

void UiRenderer::StrokeRect(float x, float y, float w, float h, float thickness, uint32_t colour) {
    const float t = thickness;
    FillRect(x, y, w, t, colour);
    FillRect(x, y + h - t, w, t, colour);
    FillRect(x, y + t, t, h - 2.0f * t, colour);
    FillRect(x + w - t, y + t, t, h - 2.0f * t, colour);
}

void UiRenderer::DrawText(float x, float y, const char* text, float scale, uint32_t colour) {
    if (text == nullptr) return;
    const float advance = 8.0f * scale;
    // Glyphs start on whole pixels so that nearest sampling keeps every font pixel the same size.
    const float x0 = std::floor(x + 0.5f);
    const float y0 = std::floor(y + 0.5f);
    float penX = x0, penY = y0;
    for (const char* p = text; *p != '\0'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\n') {
            penX = x0;
            penY += advance;
            continue;
        }
        if (c != ' ' && c < 128) {
            const float column = float(8 * (c % 16)), row = float(8 * (c / 16));
            // Half a texel in from the cell's edges, so that no neighbouring glyph bleeds in.
            PushQuad(penX, penY, advance, advance, column / 128.0f + 1.0f / 256.0f, row / 80.0f + 1.0f / 160.0f,
                     (column + 8.0f) / 128.0f - 1.0f / 256.0f, (row + 8.0f) / 80.0f - 1.0f / 160.0f, colour);
        }
        penX += advance;
    }
}

void UiRenderer::DrawTextCentered(float cx, float y, const char* text, float scale, uint32_t colour) {
    DrawText(cx - MeasureText(text, scale) / 2.0f, y, text, scale, colour);
}

float UiRenderer::MeasureText(const char* text, float scale) {
    if (text == nullptr) return 0.0f;
    size_t longest = 0, line = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\n') {
            line = 0;
            continue;
        }
        longest = std::max(longest, ++line);
    }
    return float(longest) * 8.0f * scale;
}

void UiRenderer::BeginSheet(uint32_t texture, int32_t columns, int32_t rows, int32_t textureWidth,
                            int32_t textureHeight) {
    UiDrawCmd command;
    command.texture = texture;
    command.columns = std::max(columns, 1);
    command.rows = std::max(rows, 1);
    command.textureWidth = std::max(textureWidth, 1);
    command.textureHeight = std::max(textureHeight, 1);
    command.outline = outline;
    command.firstVertex = spriteVertices.size();
    // A command that drew nothing would only cost a draw call: the new one takes its place.
    if (!commands.empty() && commands.back().vertexCount == 0)
        commands.back() = command;
    else
        commands.push_back(command);
}

void UiRenderer::SetOutline(float outlineWidth) {
    outline = outlineWidth;
    if (!commands.empty()) commands.back().outline = outlineWidth;
}

void UiRenderer::SetShine(float position, float shineWidth, float strength) {
    if (commands.empty()) return;
    UiDrawCmd& command = commands.back();
    command.shinePosition = position;
    command.shineWidth = std::max(shineWidth, 0.0001f);
    command.shineStrength = strength;
}

void UiRenderer::SetCooldown(float fraction, float second) {
    if (commands.empty()) return;
    UiDrawCmd& command = commands.back();
    command.cooldownFraction = fraction >= 0.0f ? std::min(fraction, 1.0f) : 0.0f;  // NaN gives 0
    command.cooldownSecond = second;
}

void UiRenderer::DrawSheetCell(float x, float y, float w, float h, int32_t column, int32_t row, uint32_t colour) {
    DrawSheetCellPart(x, y, w, h, column, row, colour, 0.0f, 0.0f, 1.0f, 1.0f);
}

void UiRenderer::DrawSheetCellPart(float x, float y, float w, float h, int32_t column, int32_t row, uint32_t colour,
                                   float s0, float t0, float s1, float t1) {
    if (commands.empty()) return;
    UiDrawCmd& command = commands.back();
    if (command.texture == 0 || column < 0 || column >= command.columns || row < 0 || row >= command.rows) return;
    // The inset keeps nearest and linear sampling inside the cell.
    const float cell[4] = {float(column) / float(command.columns) + kCellInset,
                           float(row) / float(command.rows) + kCellInset,
                           float(column + 1) / float(command.columns) - kCellInset,
                           float(row + 1) / float(command.rows) - kCellInset};
    const float du = cell[2] - cell[0], dv = cell[3] - cell[1];
    AppendQuad(spriteVertices, x, y, w, h, cell[0] + du * s0, cell[1] + dv * t0, cell[0] + du * s1, cell[1] + dv * t1,
               colour, cell);
    command.vertexCount += 6;
}

void UiRenderer::ReserveVertices(uint64_t count) {
    if (count <= capacity && vertexBuffer != 0) return;
    // Init asks for exactly the minimum and gets exactly that, not twice it.
    capacity = count <= kMinimumCapacity ? kMinimumCapacity : 2 * count;
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    glCreateBuffers(1, &vertexBuffer);
    glNamedBufferStorage(vertexBuffer, GLsizeiptr(capacity * sizeof(UiVertex)), nullptr, GL_DYNAMIC_STORAGE_BIT);
    glVertexArrayVertexBuffer(vertexArray, 0, vertexBuffer, 0, sizeof(UiVertex));
}

void UiRenderer::Render() {
    if (uiVertices.empty() && spriteVertices.empty()) return;
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_CULL_FACE);
    glBindVertexArray(vertexArray);
    const float viewport[2] = {float(width), float(height)};

    if (!uiVertices.empty()) {
        ReserveVertices(uiVertices.size());
        glNamedBufferSubData(vertexBuffer, 0, GLsizeiptr(uiVertices.size() * sizeof(UiVertex)), uiVertices.data());
        uiProgram.Use();
        uiProgram.SetVec2("uViewport", viewport);
        uiProgram.SetInt("uFont", 0);
        glBindTextureUnit(0, fontTexture);
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(uiVertices.size()));
    }

    if (!spriteVertices.empty()) {
        ReserveVertices(spriteVertices.size());
        glNamedBufferSubData(vertexBuffer, 0, GLsizeiptr(spriteVertices.size() * sizeof(UiVertex)),
                             spriteVertices.data());
        spriteProgram.Use();
        spriteProgram.SetVec2("uViewport", viewport);
        spriteProgram.SetInt("uSheet", 0);
        for (const UiDrawCmd& command : commands) {
            if (command.texture == 0 || command.vertexCount == 0) continue;
            const float outlineReach[2] = {command.outline / float(command.textureWidth),
                                           command.outline / float(command.textureHeight)};
            const float shine[3] = {command.shinePosition, command.shineWidth, command.shineStrength};
            const float cooldown[2] = {command.cooldownFraction, command.cooldownSecond};
            spriteProgram.SetVec2("uOutline", outlineReach);
            spriteProgram.SetVec3("uShine", shine);
            spriteProgram.SetVec2("uCooldown", cooldown);
            glBindTextureUnit(0, command.texture);
            glDrawArrays(GL_TRIANGLES, GLint(command.firstVertex), GLsizei(command.vertexCount));
        }
    }

    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
}

void UiRenderer::Flush() {
    Render();
    uiVertices.clear();
    spriteVertices.clear();
    if (commands.empty()) return;
    UiDrawCmd last = commands.back();
    last.firstVertex = 0;
    last.vertexCount = 0;
    commands.clear();
    commands.push_back(last);
}

}  // namespace render
