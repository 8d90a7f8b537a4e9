#pragma once

// Driving the widget context without a GL context: frames are ended with the batch emptied first,
// so that rendering makes no GL call, and the quads a widget queued are read back as rectangles.

#include <cstdint>
#include <vector>

#include "ui/ui_context.h"

namespace uitest {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;

// One queued quad: its corners, the first vertex's texture coordinate and its colour.
struct Quad {
    float x = 0, y = 0, w = 0, h = 0;
    float u = 0, v = 0;
    uint32_t colour = 0;
    bool solid = false;  // samples the atlas's solid block: a rectangle, not a glyph
};

inline uint32_t ColourOf(const render::UiVertex& vertex) {
    return uint32_t(vertex.colour[0]) | uint32_t(vertex.colour[1]) << 8 | uint32_t(vertex.colour[2]) << 16 |
           uint32_t(vertex.colour[3]) << 24;
}

inline std::vector<Quad> Quads(const std::vector<render::UiVertex>& vertices) {
    std::vector<Quad> quads;
    for (size_t i = 0; i + 6 <= vertices.size(); i += 6) {
        const render::UiVertex& a = vertices[i];
        const render::UiVertex& c = vertices[i + 2];
        quads.push_back(Quad{a.x, a.y, c.x - a.x, c.y - a.y, a.u, a.v, ColourOf(a), a.u == 0.0625f && c.u == 0.0625f});
    }
    return quads;
}

inline std::vector<Quad> Quads(const ui::Context& ctx) { return Quads(ctx.batch.uiVertices); }

// The glyph a text quad shows, from its texture coordinate.
inline int GlyphOf(const Quad& quad) {
    const int column = int(quad.u * 128.0f) / 8, row = int(quad.v * 80.0f) / 8;
    return row * 16 + column;
}

inline void EndFrameWithoutDrawing(ui::Context& ctx) {
    ctx.batch.uiVertices.clear();
    ctx.batch.spriteVertices.clear();
    ctx.EndFrame();
}

inline ui::Input MouseAt(float x, float y, bool down = false, bool pressed = false) {
    ui::Input input;
    input.mouseX = x;
    input.mouseY = y;
    input.mouseDown = down ? 1 : 0;
    input.mousePressed = pressed ? 1 : 0;
    return input;
}

}  // namespace uitest
