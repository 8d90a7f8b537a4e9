#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "render/static_mesh_reader.h"

namespace tune {
struct Tuning;
}

// A rigid model on the GPU: the level, weapons, accessories, sentries, shields, grenades, and
// models built in code. One vertex and one index buffer; each material one or more submeshes (the
// level is cut into chunks so that it can be culled and lit piece by piece); mesh-less named nodes
// are sockets such as a weapon's "barrel".
namespace render {

// A vertex of a model built in code.
struct PartVertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f, 1.0f, 0.0f};
};

// A piece of a model built in code: its triangles and material.
struct ModelPart {
    std::vector<uint32_t> indices;
    glm::vec4 baseColour{0.8f, 0.8f, 0.8f, 1.0f};
    uint8_t doubleSided = 0;
    uint8_t alphaBlend = 0;
    uint8_t unlit = 0;
    glm::vec3 emissive{0.0f};
};

struct StaticModel {
    uint32_t vertexArray = 0;
    uint32_t vertexBuffer = 0;
    uint32_t indexBuffer = 0;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    glm::mat4 rootTransform{1.0f};  // the local transform of the file's root node
    glm::vec3 boundsMin{0.0f};      // of every vertex as stored
    glm::vec3 boundsMax{0.0f};
    std::vector<StaticSubmesh> submeshes;
    std::vector<ModelSocket> sockets;
    std::vector<uint32_t> textures;

    // False after one "[model]" line naming the file; the model then holds nothing of this load.
    bool Load(const char* path, const StaticModelOptions& options);
    // A model from parts made in code; `name` is used in messages.
    bool BuildFromParts(const std::vector<PartVertex>& vertices, const std::vector<ModelPart>& parts,
                        const std::string& name);
    void Destroy();
    // The socket named `name` (ignoring case), else the first whose name continues the query with
    // '_' or '.' ("barrel" finds "Barrel", then "barrel_01" or "barrel.L", never "barrelx").
    bool FindSocket(const char* name, glm::mat4& out) const;
};

// The level's load options as the client passes them: spawn markers skipped, nodes placed by their
// world transforms, the map scale, and the renderer's texture cap, anisotropy and chunk size.
StaticModelOptions LevelModelOptions(const tune::Tuning& tuning);

}  // namespace render
