#include <glad/gl.h>

#include <algorithm>

#include "render/renderer.h"

namespace render {

namespace {

void AppendQuad(std::vector<CrosshairVertex>& out, float x, float y, float hx, float hy, const float colour[4]) {
    CrosshairVertex vertex;
    for (int c = 0; c < 4; ++c) vertex.colour[c] = uint8_t(std::clamp(colour[c], 0.0f, 1.0f) * 255.0f);
    const float corners[6][2] = {{x - hx, y - hy}, {x + hx, y - hy}, {x + hx, y + hy},
                                 {x - hx, y - hy}, {x + hx, y + hy}, {x - hx, y + hy}};
    for (const auto& corner : corners) {
        vertex.x = corner[0];
        vertex.y = corner[1];
        out.push_back(vertex);
    }
}

}  // namespace

void BuildCrosshair(const tune::CrosshairTuning& style, float spread, std::vector<CrosshairVertex>& out) {
    out.clear();
    if (!style.enabled) return;
    out.reserve(64);
    const float h = style.thickness * 0.5f;
    const float l = style.length * 0.5f;
    const float c = l + (spread + style.gap);
    auto arms = [&](float grow, const float colour[4]) {
        AppendQuad(out, c, 0.0f, l + grow, h + grow, colour);
        AppendQuad(out, -c, 0.0f, l + grow, h + grow, colour);
        AppendQuad(out, 0.0f, c, h + grow, l + grow, colour);
        AppendQuad(out, 0.0f, -c, h + grow, l + grow, colour);
        if (style.centreDot) {
            const float dot = style.dotSize * 0.5f + grow;
            AppendQuad(out, 0.0f, 0.0f, dot, dot, colour);
        }
    };
    if (style.outline) arms(style.outlineWidth, style.outlineColour);
    arms(0.0f, style.colour);
}

void Renderer::DrawCrosshair(int viewportWidth, int viewportHeight, const tune::CrosshairTuning& style, float spread) {
    if (!style.enabled) return;
    BuildCrosshair(style, spread, crosshairVertices);
    const uint64_t count = crosshairVertices.size();
    if (count > crosshairCapacity) {
        glDeleteBuffers(1, &crosshairVertexBuffer);
        crosshairCapacity = 2 * count;
        glCreateBuffers(1, &crosshairVertexBuffer);
        glNamedBufferStorage(crosshairVertexBuffer, GLsizeiptr(crosshairCapacity * sizeof(CrosshairVertex)), nullptr,
                             GL_DYNAMIC_STORAGE_BIT);
        glVertexArrayVertexBuffer(crosshairVertexArray, 0, crosshairVertexBuffer, 0, sizeof(CrosshairVertex));
    }
    glNamedBufferSubData(crosshairVertexBuffer, 0, GLsizeiptr(count * sizeof(CrosshairVertex)), crosshairVertices.data());
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    crosshairProgram.Use();
    const float viewport[2] = {float(viewportWidth), float(viewportHeight)};
    crosshairProgram.SetVec2("uViewportSize", viewport);
    glBindVertexArray(crosshairVertexArray);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(count));
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace render
