#pragma once

// A small writer of binary glTF 2.0 (.glb) files for the asset generator, over tinygltf's writer.
// Describe the model as plain records, then BuildGlb / WriteGlb. The bytes depend only on the records:
// two runs write identical files.
//
//     GlbModel model;
//     model.images.push_back(MakeImage("stone", 64, 64, pixels));          // RGBA8, embedded as PNG
//     model.materials.push_back({.name = "stone", .image = 0});
//     GlbPrimitive box;                                                     // fill positions, normals,
//     box.material = 0;                                                     // uvs, indices (triangles)
//     model.meshes.push_back({"crate", {box}});
//     GlbNode node;
//     node.name = "crate";
//     node.mesh = 0;
//     node.translation = {0, 1, 0};
//     node.extras["collision"] = tinygltf::Value(false);                    // written as node extras
//     model.nodes.push_back(node);
//     WriteGlb(model, root + "/models/crate.glb");
//
// Conventions: node indices are positions in `nodes`; a node not listed as anyone's child is a root of
// the one scene (unless `roots` is given). Vertex attributes are written as float accessors, joints as
// u16, indices as u16 when every index fits, else u32. Every accessor has its own buffer view in one
// buffer, 4-byte aligned; POSITION gets its min and max.

#include <cstdint>
#include <string>
#include <vector>

#include <glm/gtc/quaternion.hpp>
#include <glm/gtc/type_precision.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <tiny_gltf.h>

struct GlbPrimitive {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;      // empty, or one per position
    std::vector<glm::vec2> uvs;          // TEXCOORD_0: empty, or one per position
    std::vector<glm::vec4> colors;       // COLOR_0: empty, or one per position
    std::vector<glm::u16vec4> joints;    // JOINTS_0 (indices into the skin's joint list): empty or one per position
    std::vector<glm::vec4> weights;      // WEIGHTS_0: empty, or one per position
    std::vector<uint32_t> indices;       // triangles (mode 4); empty: consecutive vertices form triangles
    int material = -1;                   // index into GlbModel::materials, -1 for none
};

struct GlbMesh {
    std::string name;
    std::vector<GlbPrimitive> primitives;
};

// An RGBA8 image, embedded in the file as PNG.
struct GlbImage {
    std::string name;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width x height x 4 bytes, rows top to bottom
};

// A metallic-roughness material. `image` and `emissiveImage` are indices into GlbModel::images (each
// image gets its own texture with a repeating, mip-mapped linear sampler), -1 for none. The game draws a
// material with a black base colour (r, g, b below 0.01), no base texture and an emissive texture as
// that texture, unlit: the way to make a light that scene lights do not shade.
struct GlbMaterial {
    std::string name;
    glm::vec4 baseColor{1.0f, 1.0f, 1.0f, 1.0f};  // linear RGBA, multiplies the texture
    int image = -1;
    float metallic = 0.0f;
    float roughness = 1.0f;
    glm::vec3 emissive{0.0f, 0.0f, 0.0f};  // multiplies the emissive texture
    int emissiveImage = -1;                // written as the material's emissiveTexture
    bool doubleSided = false;
    bool blend = false;  // alphaMode BLEND instead of OPAQUE
};

struct GlbNode {
    std::string name;
    int mesh = -1;  // index into GlbModel::meshes
    int skin = -1;  // index into GlbModel::skins
    glm::vec3 translation{0.0f, 0.0f, 0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};  // glm order w, x, y, z
    glm::vec3 scale{1.0f, 1.0f, 1.0f};
    std::vector<int> children;
    tinygltf::Value::Object extras;  // written as the node's "extras" object when not empty
};

struct GlbSkin {
    std::string name;
    std::vector<int> joints;                     // node indices
    std::vector<glm::mat4> inverseBindMatrices;  // one per joint
    int skeleton = -1;                           // optional root node
};

enum class GlbPath { Translation, Rotation, Scale };
enum class GlbInterpolation { Linear, Step, CubicSpline };

// One animated property of one node. `values` holds, per key, 3 floats (translation, scale) or 4
// (rotation quaternion x, y, z, w); CUBICSPLINE holds in-tangent, value, out-tangent per key.
struct GlbChannel {
    int node = -1;
    GlbPath path = GlbPath::Translation;
    GlbInterpolation interpolation = GlbInterpolation::Linear;
    std::vector<float> times;
    std::vector<float> values;
};

struct GlbAnimation {
    std::string name;
    std::vector<GlbChannel> channels;
};

struct GlbModel {
    std::vector<GlbMesh> meshes;
    std::vector<GlbImage> images;
    std::vector<GlbMaterial> materials;
    std::vector<GlbNode> nodes;
    std::vector<GlbSkin> skins;
    std::vector<GlbAnimation> animations;
    std::vector<int> roots;  // scene roots; empty: every node nobody lists as a child, in order
};

// The .glb bytes of the model; empty (after one "[assetgen]" line) when the records are inconsistent
// (an attribute array whose size differs from the positions', an index out of range, ...).
std::vector<unsigned char> BuildGlb(const GlbModel& model);

// BuildGlb, then writes the file, creating its folders. One "[assetgen]" line and false on failure.
bool WriteGlb(const GlbModel& model, const std::string& path);

// PNG encoding of RGBA8 pixels (stb_image_write, deterministic). False for a size that does not match.
bool EncodePng(int width, int height, const std::vector<uint8_t>& rgba, std::vector<unsigned char>& png);

// EncodePng, then writes the file, creating its folders. One "[assetgen]" line and false on failure.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

// Writes bytes to a file, creating its folders. One "[assetgen]" line and false on failure.
bool WriteFileBytes(const std::string& path, const void* data, size_t size);
