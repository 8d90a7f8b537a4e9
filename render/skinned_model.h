#pragma once

#include <cstdint>
#include <vector>

#include "game/anim_rig.h"
#include "render/skinned_mesh_reader.h"

// A character model on the GPU: one skin's triangles in one vertex and index buffer, a submesh per
// material, its embedded textures, per-joint boxes in joint space, and the skeleton and clips of
// the same file. Loaded with the GL context current; Destroy releases it.
namespace render {

struct SkinnedModel {
    uint32_t vertexArray = 0;
    uint32_t vertexBuffer = 0;
    uint32_t indexBuffer = 0;
    uint32_t albedoTexture = 0;         // the first material's texture, 0 = none
    std::vector<uint32_t> textures;     // every texture this model made
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    uint8_t doubleSided = 0;            // some material is double-sided
    float alphaCutoff = 0.0f;           // of the last MASK material
    uint8_t unlit = 0;                  // some material is emissive-only
    std::vector<SkinnedSubmesh> submeshes;
    anim::Skeleton skeleton;
    std::vector<JointBox> jointBoxes;
    std::vector<anim::Clip> clips;

    // False after one "[model]" line; the model then holds no GPU objects.
    bool Load(const char* path);
    void Destroy();
};

}  // namespace render
