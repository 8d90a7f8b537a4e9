#include "render/debug_mesh.h"

#include <glad/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <glm/gtc/type_ptr.hpp>

#include "game/collision_world.h"
#include "render/renderer.h"

namespace render {

namespace {

constexpr uint8_t kGridColour[4] = {56, 62, 76, 255};
constexpr uint8_t kFifthLineColour[4] = {92, 100, 122, 255};
constexpr uint8_t kXZeroColour[4] = {70, 95, 150, 255};   // the line x = 0, along z
constexpr uint8_t kZZeroColour[4] = {150, 70, 70, 255};   // the line z = 0, along x
constexpr uint8_t kPlateColour[4] = {74, 78, 88, 255};
constexpr uint8_t kBlockColour[4] = {132, 136, 146, 255};
constexpr float kGridHeight = 0.002f;
// More lines than this in either direction would take longer to build than the grid is worth (and
// a spacing tiny against the extent would stop the running sum from advancing).
constexpr double kMaxGridLines = 4096.0;

DebugVertex Vertex(const glm::vec3& p, const uint8_t colour[4], const glm::vec3& normal) {
    DebugVertex v{};
    v.position[0] = p.x;
    v.position[1] = p.y;
    v.position[2] = p.z;
    std::copy(colour, colour + 4, v.colour);
    v.normal[0] = normal.x;
    v.normal[1] = normal.y;
    v.normal[2] = normal.z;
    return v;
}

void AddGrid(float e, float s, std::vector<DebugVertex>& lines) {
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const double count = (2.0 * double(e)) / double(s) + 1.0;
    if (!std::isfinite(e) || !(count <= kMaxGridLines)) {
        std::fprintf(stderr, "[debug] grid %g m wide every %g m has too many lines; the floor plate is drawn without it\n",
                     2.0 * double(e), double(s));
        return;
    }
    for (int axis = 0; axis < 2; ++axis) {
        const uint8_t* zeroColour = axis == 0 ? kXZeroColour : kZZeroColour;
        for (float t = -e; t <= e + 0.001f; t += s) {
            const uint8_t* colour = kGridColour;
            if (t == 0.0f) {
                colour = zeroColour;
            } else if (int64_t(std::fabs(t / s)) % 5 == 0) {
                colour = kFifthLineColour;
            }
            if (axis == 0) {
                lines.push_back(Vertex({t, kGridHeight, -e}, colour, up));
                lines.push_back(Vertex({t, kGridHeight, e}, colour, up));
            } else {
                lines.push_back(Vertex({-e, kGridHeight, t}, colour, up));
                lines.push_back(Vertex({e, kGridHeight, t}, colour, up));
            }
        }
    }
}

void AddBlock(const Aabb& box, std::vector<DebugVertex>& triangles) {
    const glm::vec3& a = box.min;
    const glm::vec3& b = box.max;
    const glm::vec3 corners[8] = {{a.x, a.y, a.z}, {b.x, a.y, a.z}, {b.x, b.y, a.z}, {a.x, b.y, a.z},
                                  {a.x, a.y, b.z}, {b.x, a.y, b.z}, {b.x, b.y, b.z}, {a.x, b.y, b.z}};
    struct Face {
        int corner[4];
        glm::vec3 normal;
    };
    const Face faces[6] = {{{4, 5, 6, 7}, {0, 0, 1}},  {{1, 0, 3, 2}, {0, 0, -1}}, {{5, 1, 2, 6}, {1, 0, 0}},
                           {{0, 4, 7, 3}, {-1, 0, 0}}, {{3, 7, 6, 2}, {0, 1, 0}},  {{0, 1, 5, 4}, {0, -1, 0}}};
    for (const Face& face : faces) {
        for (const int k : {0, 1, 2, 0, 2, 3}) triangles.push_back(Vertex(corners[face.corner[k]], kBlockColour, face.normal));
    }
}

}  // namespace

void BuildLevelDebugVertices(const CollisionWorld& world, const tune::RendererTuning& settings,
                             std::vector<DebugVertex>& lines, std::vector<DebugVertex>& triangles) {
    lines.clear();
    triangles.clear();
    if (settings.debugGrid && settings.gridSpacing > 0.0f) AddGrid(settings.gridHalfExtent, settings.gridSpacing, lines);
    // The plate is wound counter-clockwise seen from above, so that back-face culling keeps it.
    const float m = std::max(settings.gridHalfExtent, 1.0f);
    const float y = world.floorY;
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    for (const glm::vec3& p : {glm::vec3(-m, y, -m), glm::vec3(m, y, m), glm::vec3(m, y, -m), glm::vec3(-m, y, -m),
                               glm::vec3(-m, y, m), glm::vec3(m, y, m)}) {
        triangles.push_back(Vertex(p, kPlateColour, up));
    }
    for (const Aabb& box : world.boxes) AddBlock(box, triangles);
}

void DebugMesh::Draw() const {
    if (vertexArray == 0) return;
    glBindVertexArray(vertexArray);
    if (triangleVertexCount > 0) glDrawArrays(GL_TRIANGLES, lineVertexCount, triangleVertexCount);
    if (lineVertexCount >= 1) glDrawArrays(GL_LINES, 0, lineVertexCount);
}

void DebugMesh::Destroy() {
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    vertexArray = vertexBuffer = 0;
}

void Renderer::DrawDebugMesh(const DebugMesh& mesh, const glm::mat4& viewProj) {
    debugProgram.Use();
    debugProgram.SetMat4("uViewProj", glm::value_ptr(viewProj));
    mesh.Draw();
}

}  // namespace render

bool BuildLevelDebugMesh(render::DebugMesh& mesh, const CollisionWorld& world, const tune::RendererTuning& settings) {
    mesh.Destroy();
    std::vector<render::DebugVertex> lines;
    std::vector<render::DebugVertex> triangles;
    render::BuildLevelDebugVertices(world, settings, lines, triangles);
    mesh.lineVertexCount = int32_t(lines.size());
    mesh.triangleVertexCount = int32_t(triangles.size());
    if (lines.empty() && triangles.empty()) return true;
    lines.insert(lines.end(), triangles.begin(), triangles.end());
    glCreateBuffers(1, &mesh.vertexBuffer);
    glNamedBufferStorage(mesh.vertexBuffer, GLsizeiptr(lines.size() * sizeof(render::DebugVertex)), lines.data(), 0);
    glCreateVertexArrays(1, &mesh.vertexArray);
    glVertexArrayVertexBuffer(mesh.vertexArray, 0, mesh.vertexBuffer, 0, sizeof(render::DebugVertex));
    const struct {
        GLuint index;
        GLint size;
        GLenum type;
        GLboolean normalised;
        GLuint offset;
    } attributes[] = {{0, 3, GL_FLOAT, GL_FALSE, 0}, {1, 4, GL_UNSIGNED_BYTE, GL_TRUE, 12}, {2, 3, GL_FLOAT, GL_FALSE, 16}};
    for (const auto& attribute : attributes) {
        glEnableVertexArrayAttrib(mesh.vertexArray, attribute.index);
        glVertexArrayAttribFormat(mesh.vertexArray, attribute.index, attribute.size, attribute.type,
                                  attribute.normalised, attribute.offset);
        glVertexArrayAttribBinding(mesh.vertexArray, attribute.index, 0);
    }
    return true;
}
