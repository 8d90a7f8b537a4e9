#pragma once

#include <cstdint>
#include <vector>

#include "game/tuning.h"

struct CollisionWorld;

// The level's debug overlay, built once per loaded level from its collision world: a metric floor
// grid of lines, a floor plate at the world's floor height, and the greybox blocks as lit boxes
// (the built-in greybox level has no model of its own). Drawn with the debug program after the
// level, by render::Renderer::DrawDebugMesh.
namespace render {

// One vertex as the debug program reads it (stride 28): position, colour bytes read normalised, normal.
struct DebugVertex {
    float position[3];
    uint8_t colour[4];
    float normal[3];
};
static_assert(sizeof(DebugVertex) == 28, "the debug vertex layout is fixed");

struct DebugMesh {
    uint32_t vertexArray = 0;  // 0 = nothing to draw
    uint32_t vertexBuffer = 0;
    int32_t lineVertexCount = 0;
    int32_t triangleVertexCount = 0;

    // Triangles first, then lines over them; nothing without a vertex array. The program is bound
    // by the caller.
    void Draw() const;
    void Destroy();
};

// The overlay's vertices without the GL: grid lines (when the grid is on with a spacing above 0),
// then the floor plate and 36 vertices a block, counter-clockwise seen from outside.
void BuildLevelDebugVertices(const CollisionWorld& world, const tune::RendererTuning& settings,
                             std::vector<DebugVertex>& lines, std::vector<DebugVertex>& triangles);

}  // namespace render

// Builds and uploads the overlay for a loaded level (GL context current); a mesh that already
// holds buffers releases them first. With no vertices at all no GL object is made. Always true.
bool BuildLevelDebugMesh(render::DebugMesh& mesh, const CollisionWorld& world, const tune::RendererTuning& settings);
