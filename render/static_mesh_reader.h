#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

struct GltfDocument;

// The CPU half of loading a rigid model: every mesh node's triangles placed into the model's space,
// one vertex and index list, submeshes per material (cut into spatial chunks for the level), and the
// mesh-less named nodes as sockets. No GL here.
namespace render {

// 24 bytes, the vertex of the static program.
struct StaticVertex {
    float position[3] = {0.0f, 0.0f, 0.0f};
    uint32_t normal = 0;  // GL_INT_2_10_10_10_REV
    float uv[2] = {0.0f, 0.0f};
};
static_assert(sizeof(StaticVertex) == 24, "the static vertex layout is fixed");

struct StaticSubmesh {
    uint32_t firstIndex = 0;
    uint32_t indexCount = 0;
    glm::vec4 baseColour{0.8f, 0.8f, 0.8f, 0.8f};
    uint32_t texture = 0;  // GL name, 0 = none
    uint8_t doubleSided = 0;
    uint8_t alphaBlend = 0;
    uint8_t unlit = 0;
    glm::vec3 emissive{0.0f};
    glm::vec3 boxMin{0.0f};  // model space; a box with min == max is never culled
    glm::vec3 boxMax{0.0f};
};

struct ModelSocket {
    std::string name;
    glm::mat4 transform{1.0f};
};

struct StaticModelOptions {
    std::vector<std::string> skipPrefixes;  // lower-case; such nodes add no geometry
    uint8_t worldTransforms = 0;            // place nodes by their world transform, not relative to the root
    float scale = 1.0f;                     // uniform, applied after the node transform
    int32_t textureSizeCap = 1024;          // pixels; below 1 no cap
    float anisotropy = 8.0f;
    float chunkSize = 0.0f;                 // metres; 0 or less: one submesh per material
};

struct StaticMeshData {
    std::vector<StaticVertex> vertices;
    std::vector<uint32_t> indices;
    glm::mat4 rootTransform{1.0f};
    glm::vec3 boundsMin{0.0f};
    glm::vec3 boundsMax{0.0f};
    std::vector<StaticSubmesh> submeshes;
    std::vector<int> submeshTextures;  // per submesh, the glTF texture to make (-1 none)
    std::vector<ModelSocket> sockets;
};

// Reads the model. False with one line on standard error ("[model] <path> has no nodes",
// "[model] <path> has no geometry", or a line naming what does not fit).
bool ReadStaticMesh(const GltfDocument& doc, const StaticModelOptions& options, StaticMeshData& out);

// ASCII lower-case copy; null reads as "".
std::string ToLowerCopy(const char* text);

// The node's transform relative to the root node: the product of the local transforms from the node
// up to, not including, the root (all ancestors when the root is not among them).
glm::mat4 RootRelativeMatrix(const GltfDocument& doc, int node, int root);

}  // namespace render
