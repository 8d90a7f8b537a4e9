#include "tools/assetgen/kit_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <glm/common.hpp>

namespace {

// A small plain image of a linear colour, stored as sRGB bytes as textures are.
GlbImage PlainImage(const std::string& name, glm::vec4 colour) {
    GlbImage image;
    image.name = name;
    image.width = 4;
    image.height = 4;
    uint8_t rgba[4];
    for (int c = 0; c < 4; ++c) {
        const float linear = std::clamp(colour[c], 0.0f, 1.0f);
        const float encoded = c < 3 ? std::pow(linear, 1.0f / 2.2f) : linear;
        rgba[c] = static_cast<uint8_t>(std::lround(encoded * 255.0f));
    }
    for (int i = 0; i < image.width * image.height; ++i) image.rgba.insert(image.rgba.end(), rgba, rgba + 4);
    return image;
}

// Texture coordinates for a solid: each vertex projected onto the plane its normal faces most,
// one texture repeat per 10 cm.
std::vector<glm::vec2> BoxProjectedUvs(const KitSolid& solid) {
    std::vector<glm::vec2> uvs(solid.positions.size());
    for (size_t i = 0; i < solid.positions.size(); ++i) {
        const glm::vec3& p = solid.positions[i];
        const glm::vec3 n = i < solid.normals.size() ? glm::abs(solid.normals[i]) : glm::vec3(0.0f, 1.0f, 0.0f);
        glm::vec2 uv;
        if (n.x >= n.y && n.x >= n.z) {
            uv = {p.z, p.y};
        } else if (n.y >= n.z) {
            uv = {p.x, p.z};
        } else {
            uv = {p.x, p.y};
        }
        uvs[i] = uv * 10.0f;
    }
    return uvs;
}

}  // namespace

int AddKitNode(GlbModel& model, const Kit& kit, const std::string& name) {
    GlbMesh mesh;
    mesh.name = name;
    for (size_t m = 0; m < kit.materials.size() && m < kit.solids.size(); ++m) {
        const KitSolid& solid = kit.solids[m];
        if (solid.indices.empty()) continue;
        const KitMaterial& source = kit.materials[m];
        GlbMaterial material;
        material.name = name + "_" + source.name;
        material.baseColor = source.colour;
        material.metallic = source.metallic;
        material.roughness = source.roughness;
        material.emissive = glm::min(source.emissive, glm::vec3(1.0f));
        material.doubleSided = source.doubleSided;
        material.blend = source.blend;
        if (source.unlit) {
            model.images.push_back(PlainImage(material.name, source.colour));
            material.emissiveImage = static_cast<int>(model.images.size()) - 1;
            material.baseColor = {0.0f, 0.0f, 0.0f, 1.0f};
        }
        model.materials.push_back(material);
        GlbPrimitive primitive;
        primitive.positions = solid.positions;
        primitive.normals = solid.normals;
        primitive.indices = solid.indices;
        // A textured material needs texture coordinates to sample its texture with.
        if (material.image >= 0 || material.emissiveImage >= 0) primitive.uvs = BoxProjectedUvs(solid);
        primitive.material = static_cast<int>(model.materials.size()) - 1;
        mesh.primitives.push_back(std::move(primitive));
    }
    model.meshes.push_back(std::move(mesh));
    GlbNode node;
    node.name = name;
    node.mesh = static_cast<int>(model.meshes.size()) - 1;
    model.nodes.push_back(node);
    return static_cast<int>(model.nodes.size()) - 1;
}

int AddSocketNode(GlbModel& model, int parent, const std::string& name, glm::vec3 position) {
    GlbNode node;
    node.name = name;
    node.translation = position;
    model.nodes.push_back(node);
    const int index = static_cast<int>(model.nodes.size()) - 1;
    if (parent >= 0) model.nodes[parent].children.push_back(index);
    return index;
}
