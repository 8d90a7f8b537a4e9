#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "render/shader.h"

// One PNG cut into a grid of equal frames (columns x rows, row 0 at the top of the image) with its
// own texture and its own copy of the sprite program. World sprites (camera-facing squares, such as
// the icons of dropped items) are queued each frame (Clear, then Queue) and drawn after the
// effects; the HUD draws the same frames through its own renderer. Main thread only.
//
// The texture holds the image's sRGB colours and is sampled as sRGB, so that a frame drawn at
// colour 1 and alpha 1 shows the image's own bytes.

// One vertex as the sprite program reads it (stride 52): position, texture coordinate, colour and
// alpha, and the sprite's frame rectangle (left, top, right, bottom texture coordinates).
struct SpriteVertex {
    float position[3];
    float uv[2];
    float colour[4];
    float frame[4];
};
static_assert(sizeof(SpriteVertex) == 52, "the sprite vertex layout is fixed");

// The vertex count the buffer grows to when `needed` no longer fits in `capacity` (0: no buffer
// yet): 1024 below 1024, else twice the need; `capacity` when it fits.
uint64_t SpriteCapacityFor(uint64_t needed, uint64_t capacity);

struct SpriteSheet {
    struct WorldSprite {
        glm::vec3 centre{0.0f};
        float halfSize = 0.0f;
        float s0 = 0.0f, t0 = 0.0f, s1 = 0.0f, t1 = 0.0f;  // the frame's texture rectangle
        glm::vec3 colour{1.0f};                            // multiplies the texture
        float alpha = 1.0f;
    };

    render::Shader shader;
    uint32_t vertexArray = 0;
    uint32_t vertexBuffer = 0;
    uint32_t texture = 0;
    int32_t textureWidth = 1;
    int32_t textureHeight = 1;
    float outline = 0.0f;  // outline thickness in texels; 0 draws none
    uint64_t vertexCapacity = 0;
    int32_t columns = 1;
    int32_t rows = 1;
    std::vector<WorldSprite> sprites;    // this frame's queue
    std::vector<SpriteVertex> vertices;  // rebuilt by every draw, keeps its memory
    std::string shadersDirectory;        // "" = the shaders folder beside the executable

    // The grid (0 or less counts as 1) is stored before anything can fail. False when the program
    // does not build (its own line) or the image does not decode ("[sprites] could not load <path>"
    // on standard output); the sheet then has no texture and draws nothing. A sheet loaded again
    // releases what it held first.
    bool Load(const std::string& path, int32_t columns, int32_t rows);
    void Destroy();

    // Queues a square of edge `size` showing frame (column, row); nothing for a frame outside the
    // grid or numbers that are not finite.
    void Queue(const glm::vec3& centre, float size, int32_t column, int32_t row, const glm::vec3& colour, float alpha);
    // Empties the queue; drawing does not.
    void Clear();

    // Rebuilds the vertex scratch from the queue: six vertices a sprite, squares spanned by `right`
    // and `up`.
    void BuildVertices(const glm::vec3& right, const glm::vec3& up);
    // Draws the queue; no GL call when it is empty or there is no texture.
    void Draw(const glm::mat4& viewProj, const glm::vec3& right, const glm::vec3& up);

    void EnsureCapacity(uint64_t needed);
};
