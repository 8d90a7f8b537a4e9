#pragma once

// Small character and rigid models for the model tests, written with the asset generator's .glb
// writer and parsed back through the glTF layer.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/gltf_document.h"
#include "tools/assetgen/glb_builder.h"

namespace rendertest {

// A plain RGBA image of one colour.
inline GlbImage PlainImage(const std::string& name, int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    GlbImage image;
    image.name = name;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height; ++i) image.rgba.insert(image.rgba.end(), {r, g, b, 255});
    return image;
}

// Two joints ("root", "child") skinning the given triangles; node 2 holds the mesh.
inline GlbModel SkinnedFixture(const std::vector<GlbPrimitive>& primitives) {
    GlbModel model;
    GlbNode root;
    root.name = "root";
    root.children = {1};
    GlbNode child;
    child.name = "child";
    child.translation = {0.0f, 1.0f, 0.0f};
    GlbNode body;
    body.name = "body";
    body.mesh = 0;
    body.skin = 0;
    model.nodes = {root, child, body};
    model.meshes.push_back({"body", primitives});
    GlbSkin skin;
    skin.name = "rig";
    skin.joints = {0, 1};
    skin.inverseBindMatrices = {glm::mat4(1.0f), glm::mat4(1.0f)};
    skin.inverseBindMatrices[1][3][1] = -1.0f;
    model.skins.push_back(skin);
    return model;
}

inline GlbPrimitive Triangle(glm::vec3 offset = glm::vec3(0.0f)) {
    GlbPrimitive primitive;
    primitive.positions = {offset + glm::vec3(0, 0, 0), offset + glm::vec3(1, 0, 0), offset + glm::vec3(0, 1, 0)};
    primitive.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    primitive.indices = {0, 1, 2};
    return primitive;
}

// One node per primitive list entry, named as given; `nodeNames` may hold mesh-less sockets ("" mesh = -1).
inline void AddRigidNode(GlbModel& model, const std::string& name, const std::vector<GlbPrimitive>& primitives,
                         glm::vec3 translation = glm::vec3(0.0f)) {
    GlbNode node;
    node.name = name;
    node.translation = translation;
    if (!primitives.empty()) {
        model.meshes.push_back({name, primitives});
        node.mesh = int(model.meshes.size()) - 1;
    }
    model.nodes.push_back(node);
}

inline std::vector<unsigned char> GlbBytes(const GlbModel& model) {
    std::vector<unsigned char> bytes = BuildGlb(model);
    EXPECT_FALSE(bytes.empty());
    return bytes;
}

inline bool ParseBytes(const std::vector<unsigned char>& bytes, GltfDocument& doc, const std::string& name = "fixture.glb") {
    return LoadGltfDocumentFromBytes(doc, bytes.data(), bytes.size(), name, "", "[model]");
}

inline GltfDocument Parse(const GlbModel& model) {
    GltfDocument doc;
    EXPECT_TRUE(ParseBytes(GlbBytes(model), doc));
    return doc;
}

}  // namespace rendertest
