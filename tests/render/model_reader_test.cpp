#include <gtest/gtest.h>

#include <string>

#include "game/gltf_document.h"
#include "render/model_image.h"
#include "render/skinned_mesh_reader.h"
#include "render/static_mesh_reader.h"
#include "render/static_model.h"
#include "model_fixtures.h"

namespace {

using rendertest::Parse;

GlbPrimitive Weighted(glm::u16vec4 joints, glm::vec4 weights) {
    GlbPrimitive primitive = rendertest::Triangle();
    primitive.joints.assign(3, joints);
    primitive.weights.assign(3, weights);
    return primitive;
}

TEST(SkinnedMeshReader, WeightsJointsAndJointBoxes) {
    GlbModel model = rendertest::SkinnedFixture({Weighted({0, 1, 0, 0}, {0.5f, 0.5f, 0.0f, 0.0f}),
                                                  Weighted({2, 0, 0, 0}, {1.0f, 0.0f, 0.0f, 0.0f}),
                                                  Weighted({1, 0, 0, 0}, {0.0f, 0.0f, 0.0f, 0.0f})});
    const GltfDocument doc = Parse(model);
    render::SkinnedMeshData data;
    ASSERT_TRUE(render::ReadSkinnedMesh(doc, data));
    ASSERT_EQ(data.vertices.size(), 9u);
    ASSERT_EQ(data.indices.size(), 9u);
    const render::SkinnedVertex& even = data.vertices[0];
    EXPECT_EQ(even.weights[0], 127);
    EXPECT_EQ(even.weights[1], 128);
    // Joint 2 equals the joint count (2): it becomes joint 0.
    EXPECT_EQ(data.vertices[3].joints[0], 0);
    EXPECT_EQ(data.vertices[3].weights[0], 255);
    // All-zero weights stay zero and belong to no joint's box.
    EXPECT_EQ(data.vertices[6].weights[0] + data.vertices[6].weights[1], 0);
    ASSERT_EQ(data.jointBoxes.size(), 2u);
    // Joint 1's box holds the first triangle (its dominant byte) moved by its inverse bind (y - 1).
    ASSERT_TRUE(data.jointBoxes[1].valid);
    EXPECT_EQ(data.jointBoxes[1].min, glm::vec3(0.0f, -1.0f, 0.0f));
    EXPECT_EQ(data.jointBoxes[1].max, glm::vec3(1.0f, 0.0f, 0.0f));
    ASSERT_TRUE(data.jointBoxes[0].valid);
    EXPECT_EQ(data.jointBoxes[0].max, glm::vec3(1.0f, 1.0f, 0.0f));
    ASSERT_EQ(data.submeshes.size(), 1u);
    EXPECT_EQ(data.submeshes[0].materialIndex, -1);
}

TEST(SkinnedMeshReader, OnlyTrianglesWithPositionsAddGeometry) {
    GlbModel model = rendertest::SkinnedFixture({Weighted({0, 0, 0, 0}, {1, 0, 0, 0}),
                                                  Weighted({0, 0, 0, 0}, {1, 0, 0, 0}),
                                                  Weighted({0, 0, 0, 0}, {1, 0, 0, 0})});
    GltfDocument doc = Parse(model);
    auto& primitives = doc.model.meshes[0].primitives;
    primitives[0].mode = TINYGLTF_MODE_LINE;
    primitives[1].mode = TINYGLTF_MODE_POINTS;
    render::SkinnedMeshData data;
    ASSERT_TRUE(render::ReadSkinnedMesh(doc, data));
    EXPECT_EQ(data.vertices.size(), 3u);
    primitives[2].attributes.erase("POSITION");
    ASSERT_TRUE(render::ReadSkinnedMesh(doc, data));
    EXPECT_TRUE(data.vertices.empty());
}

TEST(SkinnedMeshReader, MaterialsGroupSubmeshesAndSetFlags) {
    GlbPrimitive a = Weighted({0, 0, 0, 0}, {1, 0, 0, 0});
    a.material = 1;
    GlbPrimitive b = Weighted({0, 0, 0, 0}, {1, 0, 0, 0});
    b.material = 0;
    GlbPrimitive c = Weighted({0, 0, 0, 0}, {1, 0, 0, 0});
    c.material = 1;
    GlbModel model = rendertest::SkinnedFixture({a, b, c});
    model.images.push_back(rendertest::PlainImage("glow", 2, 2, 255, 0, 0));
    model.materials.push_back({.name = "plate", .doubleSided = true});
    model.materials.push_back({.name = "light", .baseColor = {0, 0, 0, 1}, .emissiveImage = 0});
    GltfDocument doc = Parse(model);
    doc.model.materials[1].alphaMode = "MASK";
    doc.model.materials[1].alphaCutoff = 0.3;
    render::SkinnedMeshData data;
    ASSERT_TRUE(render::ReadSkinnedMesh(doc, data));
    ASSERT_EQ(data.submeshes.size(), 2u);
    EXPECT_EQ(data.submeshes[0].materialIndex, 0);
    EXPECT_EQ(data.submeshes[0].indexCount, 3u);
    EXPECT_EQ(data.submeshes[1].materialIndex, 1);
    EXPECT_EQ(data.submeshes[1].firstIndex, 3u);
    EXPECT_EQ(data.submeshes[1].indexCount, 6u);
    EXPECT_EQ(data.doubleSided, 1);
    EXPECT_EQ(data.unlit, 1);
    EXPECT_FLOAT_EQ(data.alphaCutoff, 0.3f);
    EXPECT_EQ(render::TextureImage(doc, render::MaterialTexture(doc, 1)), 0);
    EXPECT_EQ(render::MaterialTexture(doc, 0), -1);
}

TEST(StaticMeshReader, ChunksSplitTrianglesByCentroidCell) {
    GlbModel model;
    GlbPrimitive near;
    near.positions = {{7.8f, 0, 0}, {7.9f, 0, 1}, {8.0f, 0, 0}, {8.1f, 0, 0}, {8.0f, 0, 1}, {8.2f, 0, 0},
                      {-0.2f, 0, 0}, {-0.1f, 0, 1}, {0.0f, 0, 0}};
    near.indices = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    rendertest::AddRigidNode(model, "ground", {near});
    const GltfDocument doc = Parse(model);
    render::StaticModelOptions options;
    options.chunkSize = 8.0f;
    render::StaticMeshData data;
    ASSERT_TRUE(render::ReadStaticMesh(doc, options, data));
    // Centroids at x = 7.9 (cell 0), 8.1 (cell 1) and -0.1 (cell -1), written cell by cell.
    ASSERT_EQ(data.submeshes.size(), 3u);
    EXPECT_FLOAT_EQ(data.submeshes[0].boxMin.x, -0.2f);
    EXPECT_FLOAT_EQ(data.submeshes[1].boxMax.x, 8.0f);
    EXPECT_FLOAT_EQ(data.submeshes[2].boxMin.x, 8.0f);
    for (const render::StaticSubmesh& submesh : data.submeshes) EXPECT_EQ(submesh.indexCount, 3u);
    options.chunkSize = 0.0f;
    ASSERT_TRUE(render::ReadStaticMesh(doc, options, data));
    EXPECT_EQ(data.submeshes.size(), 1u);
}

TEST(StaticMeshReader, ScaleAppliesAfterTheNodeTransformAndSkipsMarkers) {
    GlbModel model;
    rendertest::AddRigidNode(model, "Floor", {rendertest::Triangle()}, glm::vec3(10.0f, 0.0f, 0.0f));
    rendertest::AddRigidNode(model, "Red_Spawn.001", {rendertest::Triangle(glm::vec3(100.0f))});
    rendertest::AddRigidNode(model, "barrel", {}, glm::vec3(1.0f, 2.0f, 3.0f));
    const GltfDocument doc = Parse(model);
    render::StaticModelOptions options;
    options.skipPrefixes = {"red_spawn"};
    options.worldTransforms = 1;
    options.scale = 2.0f;
    render::StaticMeshData data;
    ASSERT_TRUE(render::ReadStaticMesh(doc, options, data));
    EXPECT_EQ(data.vertices.size(), 3u);
    EXPECT_EQ(data.boundsMin, glm::vec3(20.0f, 0.0f, 0.0f));
    EXPECT_EQ(data.boundsMax, glm::vec3(22.0f, 2.0f, 0.0f));
    ASSERT_EQ(data.sockets.size(), 1u);
    EXPECT_EQ(glm::vec3(data.sockets[0].transform[3]), glm::vec3(2.0f, 4.0f, 6.0f));
}

TEST(StaticMeshReader, BlackMaterialWithAnEmissiveTextureIsUnlitWhiteAndTextured) {
    GlbModel model;
    GlbPrimitive lamp = rendertest::Triangle();
    lamp.uvs = {{0, 0}, {1, 0}, {0, 1}};
    lamp.material = 0;
    rendertest::AddRigidNode(model, "lamp", {lamp});
    model.images.push_back(rendertest::PlainImage("glow", 2, 2, 0, 255, 0));
    model.materials.push_back({.name = "glow", .baseColor = {0, 0, 0, 1}, .emissive = {0.5f, 1.0f, 0.25f}, .emissiveImage = 0});
    const GltfDocument doc = Parse(model);
    render::StaticMeshData data;
    ASSERT_TRUE(render::ReadStaticMesh(doc, render::StaticModelOptions{}, data));
    ASSERT_EQ(data.submeshes.size(), 1u);
    EXPECT_EQ(data.submeshes[0].unlit, 1);
    EXPECT_EQ(data.submeshes[0].baseColour, glm::vec4(1.0f));
    EXPECT_EQ(data.submeshes[0].emissive, glm::vec3(0.5f, 1.0f, 0.25f));
    EXPECT_EQ(render::TextureImage(doc, data.submeshTextures[0]), 0);
}

TEST(StaticMeshReader, FilesThatDoNotFitFailWithOneLine) {
    struct Case {
        const char* what;
        void (*spoil)(GltfDocument&);
        const char* line;
    };
    const Case cases[] = {
        {"only an empty", [](GltfDocument& doc) { doc.model.nodes[0].mesh = -1; }, "[model] fixture.glb has no geometry\n"},
        {"no nodes", [](GltfDocument& doc) { doc.model.nodes.clear(); doc.model.scenes.clear(); doc.parents.clear(); doc.worldMatrices.clear(); },
         "[model] fixture.glb has no nodes\n"},
    };
    GlbModel model;
    rendertest::AddRigidNode(model, "solid", {rendertest::Triangle()});
    for (const Case& c : cases) {
        GltfDocument doc = Parse(model);
        c.spoil(doc);
        render::StaticMeshData data;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(render::ReadStaticMesh(doc, render::StaticModelOptions{}, data)) << c.what;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line) << c.what;
    }
}

TEST(ModelReaders, IndicesPastTheVerticesFailTheLoad) {
    GlbModel rigid;
    rendertest::AddRigidNode(rigid, "solid", {rendertest::Triangle()});
    std::vector<unsigned char> bytes = rendertest::GlbBytes(rigid);
    // The u16 indices 0, 1, 2 follow the floats; make the last one 7.
    const unsigned char pattern[] = {0, 0, 1, 0, 2, 0};
    const auto at = std::search(bytes.begin(), bytes.end(), std::begin(pattern), std::end(pattern));
    ASSERT_NE(at, bytes.end());
    *(at + 4) = 7;
    GltfDocument doc;
    ASSERT_TRUE(rendertest::ParseBytes(bytes, doc));
    render::StaticMeshData data;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(render::ReadStaticMesh(doc, render::StaticModelOptions{}, data));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[model] fixture.glb: index 7 past 3 vertices\n");
}

TEST(StaticModel, FindSocketPrefersTheExactNameThenASuffix) {
    struct Case {
        std::vector<std::string> names;
        const char* query;
        int found;  // index, or -1
    };
    const Case cases[] = {
        {{"barrel_01", "Barrel"}, "barrel", 1}, {{"barrelx", "barrel_01"}, "barrel", 1},
        {{"barrelx", "barrel.L"}, "BARREL", 1}, {{"barrelx"}, "barrel", -1},
        {{"barrel"}, nullptr, -1},
    };
    for (const Case& c : cases) {
        render::StaticModel model;
        for (size_t i = 0; i < c.names.size(); ++i) {
            glm::mat4 transform(1.0f);
            transform[3][0] = float(i);
            model.sockets.push_back({c.names[i], transform});
        }
        glm::mat4 out(0.0f);
        const bool found = model.FindSocket(c.query, out);
        EXPECT_EQ(found, c.found >= 0) << (c.query ? c.query : "null");
        if (found) {
            EXPECT_EQ(out[3][0], float(c.found));
        }
    }
}

// Writes a big-endian 32-bit value into the PNG header of the document's first image.
void PatchPngHeader(GltfDocument& doc, size_t offset, uint32_t value) {
    const tinygltf::BufferView& view = doc.model.bufferViews[size_t(doc.model.images[0].bufferView)];
    unsigned char* png = doc.model.buffers[size_t(view.buffer)].data.data() + view.byteOffset;
    for (int i = 0; i < 4; ++i) png[offset + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

TEST(ModelImages, EmptyOversizedAndBrokenImagesAreRefusedWithTheirLine) {
    GlbModel model;
    rendertest::AddRigidNode(model, "panel", {rendertest::Triangle()});
    model.images.push_back(rendertest::PlainImage("paint", 4, 2, 10, 20, 30));
    struct Case {
        size_t offset;  // into the PNG: 16 width, 20 height, 0 signature
        uint32_t value;
        render::ImageRead read;
        const char* line;
    };
    const Case cases[] = {
        {16, 4, render::ImageRead::Decoded, ""},
        {16, 9000, render::ImageRead::Failed, "[model] embedded texture 9000x2 is outside 1..8192 pixels\n"},
        {20, 0x7FFFFFFF, render::ImageRead::Failed, "[model] bad image\n"},
        {20, 0, render::ImageRead::Failed, "[model] bad image\n"},
        {0, 0, render::ImageRead::Failed, "[model] bad image\n"},
    };
    for (const Case& c : cases) {
        GltfDocument doc = Parse(model);
        PatchPngHeader(doc, c.offset, c.value);
        render::DecodedImage image;
        testing::internal::CaptureStderr();
        EXPECT_EQ(render::DecodeEmbeddedImage(doc, 0, image, "[model] bad image"), c.read) << c.value;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line) << c.value;
        if (c.read == render::ImageRead::Decoded) {
            EXPECT_EQ(image.width, 4);
            EXPECT_EQ(image.height, 2);
            EXPECT_EQ(image.rgba[0], 10);
        } else {
            EXPECT_TRUE(image.rgba.empty());
        }
    }
    GltfDocument doc = Parse(model);
    render::DecodedImage image;
    EXPECT_EQ(render::DecodeEmbeddedImage(doc, 3, image, "[model] bad image"), render::ImageRead::NotEmbedded);
}

TEST(ModelImages, HalvingStopsAtTheCapOrAtOnePixel) {
    struct Case {
        int width, height, cap, outWidth, outHeight, levels;
    };
    const Case cases[] = {{4096, 2048, 1024, 1024, 512, 11}, {3, 3, 1, 1, 1, 1}, {64, 32, 0, 64, 32, 7},
                          {16, 1, 4, 16, 1, 5}};
    for (const Case& c : cases) {
        render::DecodedImage image;
        image.width = c.width;
        image.height = c.height;
        image.rgba.assign(size_t(c.width) * size_t(c.height) * 4, 200);
        render::HalveToCap(image, c.cap);
        EXPECT_EQ(image.width, c.outWidth);
        EXPECT_EQ(image.height, c.outHeight);
        EXPECT_EQ(image.rgba.size(), size_t(c.outWidth) * size_t(c.outHeight) * 4);
        EXPECT_EQ(render::MipLevels(image.width, image.height), c.levels);
    }
    render::DecodedImage square{2, 2, {10, 0, 0, 0, 11, 0, 0, 0, 12, 0, 0, 0, 14, 0, 0, 0}};
    render::HalveToCap(square, 1);
    EXPECT_EQ(square.rgba[0], 11);  // (10 + 11 + 12 + 14) / 4, truncated
}

}  // namespace
