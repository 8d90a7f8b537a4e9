#include "tools/assetgen/glb_builder.h"

#include <gtest/gtest.h>

#include <cstring>

#include <stb/stb_image.h>

#include "game/gltf_document.h"
#include "support/gltf_text.h"

namespace {

// A two-joint skinned quad with a texture, an extras-carrying marker and a one-channel clip.
GlbModel SampleModel() {
    GlbModel model;
    GlbImage image;
    image.name = "checker";
    image.width = 4;
    image.height = 4;
    for (int i = 0; i < 16; ++i) {
        const uint8_t v = ((i + i / 4) % 2) ? 230 : 40;
        image.rgba.insert(image.rgba.end(), {v, v, v, 255});
    }
    model.images.push_back(image);
    GlbMaterial material;
    material.name = "skin";
    material.image = 0;
    material.baseColor = {0.8f, 0.2f, 0.2f, 1.0f};
    model.materials.push_back(material);

    GlbPrimitive quad;
    quad.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    quad.normals.assign(4, glm::vec3(0, 0, 1));
    quad.uvs = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    quad.joints.assign(4, glm::u16vec4(0, 1, 0, 0));
    quad.weights = {{1, 0, 0, 0}, {1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}, {0, 1, 0, 0}};
    quad.indices = {0, 1, 2, 0, 2, 3};
    quad.material = 0;
    model.meshes.push_back({"quad", {quad}});

    GlbNode root;
    root.name = "root";
    root.translation = {0, 2, 0};
    root.children = {1};
    GlbNode tip;
    tip.name = "tip";
    tip.translation = {0, 1, 0};
    tip.rotation = glm::angleAxis(0.5f, glm::vec3(0, 0, 1));
    GlbNode body;
    body.name = "body";
    body.mesh = 0;
    body.skin = 0;
    GlbNode marker;
    marker.name = "red_spawn.001";
    marker.translation = {3, 0, -4};
    marker.extras["team"] = tinygltf::Value(std::string("blue"));
    marker.extras["facing_degrees"] = tinygltf::Value(45.0);
    marker.extras["collision"] = tinygltf::Value(false);
    model.nodes = {root, tip, body, marker};

    GlbSkin skin;
    skin.name = "rig";
    skin.joints = {0, 1};
    skin.inverseBindMatrices = {glm::mat4(1.0f), glm::mat4(1.0f)};
    skin.inverseBindMatrices[0][3][1] = -2.0f;
    skin.inverseBindMatrices[1][3][1] = -3.0f;
    model.skins.push_back(skin);

    GlbAnimation clip;
    clip.name = "idle";
    GlbChannel channel;
    channel.node = 1;
    channel.path = GlbPath::Rotation;
    channel.times = {0.0f, 0.5f, 1.0f};
    channel.values = {0, 0, 0, 1, 0, 0, 0.247404f, 0.968912f, 0, 0, 0, 1};
    clip.channels.push_back(channel);
    model.animations.push_back(clip);
    return model;
}

GltfDocument LoadBuiltGlb(const std::vector<unsigned char>& bytes) {
    GltfDocument doc;
    EXPECT_TRUE(LoadGltfDocumentFromBytes(doc, bytes.data(), bytes.size(), "sample.glb", "", "[test]"));
    return doc;
}

TEST(GlbBuilder, WritesTheSameBytesEveryTime) {
    const std::vector<unsigned char> first = BuildGlb(SampleModel());
    ASSERT_GT(first.size(), 20u);
    EXPECT_EQ(std::memcmp(first.data(), "glTF", 4), 0);
    EXPECT_EQ(BuildGlb(SampleModel()), first);
}

TEST(GlbBuilder, RoundTripsThroughTheReader) {
    const GltfDocument doc = LoadBuiltGlb(BuildGlb(SampleModel()));
    ASSERT_EQ(doc.model.nodes.size(), 4u);
    EXPECT_EQ(doc.model.nodes[3].name, "red_spawn.001");
    EXPECT_EQ(doc.parents, (std::vector<int>{-1, 0, -1, -1}));
    EXPECT_FLOAT_EQ(doc.worldMatrices[1][3][1], 3.0f);
    EXPECT_NE(GltfNodeExtras(doc, 3).find("\"facing_degrees\""), std::string::npos);
    EXPECT_NE(GltfNodeExtras(doc, 3).find("false"), std::string::npos);

    const tinygltf::Primitive& primitive = doc.model.meshes[0].primitives[0];
    std::vector<float> positions;
    ASSERT_TRUE(ReadGltfFloats(doc, GltfFindAttribute(primitive, "POSITION"), positions, 3));
    EXPECT_EQ(positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
    std::vector<uint32_t> indices;
    ASSERT_TRUE(ReadGltfIndices(doc, primitive.indices, indices));
    EXPECT_EQ(indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    std::vector<uint32_t> joints;
    ASSERT_TRUE(ReadGltfUnsigned(doc, GltfFindAttribute(primitive, "JOINTS_0"), joints, 4));
    EXPECT_EQ(joints[1], 1u);
    std::vector<float> weights;
    ASSERT_TRUE(ReadGltfFloats(doc, GltfFindAttribute(primitive, "WEIGHTS_0"), weights, 4));
    EXPECT_EQ(weights[8], 0.5f);

    ASSERT_EQ(doc.model.skins.size(), 1u);
    std::vector<float> inverseBind;
    ASSERT_TRUE(ReadGltfFloats(doc, doc.model.skins[0].inverseBindMatrices, inverseBind, 16));
    EXPECT_EQ(inverseBind[13], -2.0f);
    EXPECT_EQ(inverseBind[16 + 13], -3.0f);

    ASSERT_EQ(doc.model.animations.size(), 1u);
    const tinygltf::Animation& clip = doc.model.animations[0];
    EXPECT_EQ(clip.channels[0].target_path, "rotation");
    EXPECT_EQ(clip.samplers[0].interpolation, "LINEAR");
    std::vector<float> keys;
    ASSERT_TRUE(ReadGltfFloats(doc, clip.samplers[0].output, keys, 4));
    EXPECT_EQ(keys.size(), 12u);

    ASSERT_EQ(doc.model.materials.size(), 1u);
    EXPECT_EQ(doc.model.materials[0].pbrMetallicRoughness.baseColorTexture.index, 0);
    const unsigned char* png = nullptr;
    size_t pngSize = 0;
    ASSERT_TRUE(GltfImageBytes(doc, doc.model.textures[0].source, &png, &pngSize));
    ASSERT_GT(pngSize, 8u);
    EXPECT_EQ(std::memcmp(png, "\x89PNG", 4), 0);
}

// A black material with an emissive texture (the game's unlit kind) keeps both through the reader, and
// the texture decodes to the pixels given.
TEST(GlbBuilder, WritesAnEmbeddedEmissiveTexture) {
    GlbModel model = SampleModel();
    GlbImage lamp;
    lamp.name = "lamp";
    lamp.width = 2;
    lamp.height = 2;
    for (int i = 0; i < 4; ++i) lamp.rgba.insert(lamp.rgba.end(), {uint8_t(60 * i), 200, 255, 255});
    model.images.push_back(lamp);
    GlbMaterial glow;
    glow.name = "glow";
    glow.baseColor = {0.0f, 0.0f, 0.0f, 1.0f};
    glow.emissive = {1.0f, 0.5f, 0.25f};
    glow.emissiveImage = 1;
    model.materials.push_back(glow);
    model.meshes[0].primitives.push_back(model.meshes[0].primitives[0]);
    model.meshes[0].primitives[1].material = 1;
    EXPECT_EQ(BuildGlb(model), BuildGlb(model));

    const GltfDocument doc = LoadBuiltGlb(BuildGlb(model));
    ASSERT_EQ(doc.model.materials.size(), 2u);
    EXPECT_EQ(doc.model.materials[0].emissiveTexture.index, -1);
    const tinygltf::Material& written = doc.model.materials[1];
    EXPECT_EQ(written.pbrMetallicRoughness.baseColorFactor, (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(written.pbrMetallicRoughness.baseColorTexture.index, -1);
    EXPECT_EQ(written.emissiveFactor, (std::vector<double>{1.0, 0.5, 0.25}));
    ASSERT_GE(written.emissiveTexture.index, 0);
    ASSERT_LT(size_t(written.emissiveTexture.index), doc.model.textures.size());
    const unsigned char* png = nullptr;
    size_t pngSize = 0;
    ASSERT_TRUE(GltfImageBytes(doc, doc.model.textures[size_t(written.emissiveTexture.index)].source, &png, &pngSize));
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(png, int(pngSize), &width, &height, &channels, 4);
    ASSERT_NE(pixels, nullptr);
    const std::vector<uint8_t> decoded(pixels, pixels + size_t(width) * size_t(height) * 4);
    stbi_image_free(pixels);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(decoded, lamp.rgba);

    model.materials[1].emissiveImage = 2;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(BuildGlb(model).empty());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[assetgen] material glow: no image -1 or emissive image 2\n");
}

TEST(GlbBuilder, RefusesInconsistentRecords) {
    GlbModel model = SampleModel();
    model.meshes[0].primitives[0].indices.push_back(9);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(BuildGlb(model).empty());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[assetgen] mesh 0: index 9 past 4 vertices\n");

    model = SampleModel();
    model.meshes[0].primitives[0].uvs.pop_back();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(BuildGlb(model).empty());
    EXPECT_EQ(testsupport::CountLines(testing::internal::GetCapturedStderr()), 1);
}

// Every prefix of a valid file, and the file with its BIN chunk length pointing past the end, fails
// with one line and without reading outside the bytes (the sanitizer build checks the latter).
TEST(GlbBuilder, TruncatedFilesFailWithOneLine) {
    const std::vector<unsigned char> bytes = BuildGlb(SampleModel());
    for (size_t cut = 0; cut < bytes.size(); cut += (cut < 64 ? 1 : 97)) {
        const std::vector<unsigned char> part(bytes.begin(), bytes.begin() + long(cut));
        GltfDocument doc;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(LoadGltfDocumentFromBytes(doc, part.data(), part.size(), "cut.glb", "", "[map]")) << cut;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "[map] failed to parse cut.glb\n") << cut;
    }
    std::vector<unsigned char> broken = bytes;
    uint32_t jsonLength;
    std::memcpy(&jsonLength, broken.data() + 12, 4);
    const uint32_t huge = 0x7FFFFFF0u;
    std::memcpy(broken.data() + 20 + jsonLength, &huge, 4);
    GltfDocument doc;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadGltfDocumentFromBytes(doc, broken.data(), broken.size(), "bin.glb", "", "[map]"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[map] failed to parse bin.glb\n");
}

}  // namespace
