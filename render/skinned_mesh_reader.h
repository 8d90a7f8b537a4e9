#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "game/anim_rig.h"

struct GltfDocument;

// The CPU half of loading a character model: one skin's triangles, merged into one vertex and
// index list, grouped per material, with the skeleton, the clips and per-joint boxes. No GL here,
// so that a file's reading can be tested and fuzzed on its own.
namespace render {

// 32 bytes, the vertex of the skinned program.
struct SkinnedVertex {
    float position[3] = {0.0f, 0.0f, 0.0f};  // bind pose, model space
    uint32_t normal = 0;                     // GL_INT_2_10_10_10_REV
    float uv[2] = {0.0f, 0.0f};
    uint8_t joints[4] = {0, 0, 0, 0};
    uint8_t weights[4] = {0, 0, 0, 0};       // normalised, summing to 255 unless all 0
};
static_assert(sizeof(SkinnedVertex) == 32, "the skinned vertex layout is fixed");

struct SkinnedSubmesh {
    uint32_t firstIndex = 0;
    uint32_t indexCount = 0;
    int32_t materialIndex = -1;  // -1: no material
    uint32_t texture = 0;        // GL name, 0 = none
};

struct JointBox {
    glm::vec3 min{0.0f};
    glm::vec3 max{0.0f};
    uint8_t valid = 0;
};

struct SkinnedMeshData {
    std::vector<SkinnedVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<SkinnedSubmesh> submeshes;  // textures not yet made
    uint8_t doubleSided = 0;
    float alphaCutoff = 0.0f;
    uint8_t unlit = 0;
    anim::Skeleton skeleton;
    std::vector<anim::Clip> clips;
    std::vector<JointBox> jointBoxes;
};

// Reads the chosen skin's meshes. False, with one line on standard error ("[model] <path> has no
// skin", "[model] <path>: ..." for geometry that does not fit), when the file holds no usable
// character; a skeleton the clip loader refuses has already been reported by it.
bool ReadSkinnedMesh(const GltfDocument& doc, SkinnedMeshData& out);

// The texture that stands for a material: its emissive texture, else its base-colour texture;
// -1 for none. The image index behind it is the document's texture source.
int MaterialTexture(const GltfDocument& doc, int material);
// The image of a texture, -1 for none.
int TextureImage(const GltfDocument& doc, int texture);

}  // namespace render
