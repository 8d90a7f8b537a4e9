#include "game/gltf_document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/gltf_text.h"

using testsupport::ByteWriter;
using testsupport::CountLines;
using testsupport::GltfText;

namespace {

bool LoadText(GltfDocument& doc, const std::string& text) {
    return LoadGltfDocumentFromBytes(doc, reinterpret_cast<const unsigned char*>(text.data()), text.size(), "test",
                                     "", "[test]");
}

// One buffer laid out as:
//   0: 3 positions, VEC3 float, in a view with byteStride 16 (4 bytes of padding per element)
//  48: 6 indices u8          54: 6 indices u16 (at 56 after padding)     68: 6 indices u32
//  92: 2 colours VEC4 normalised u8                                     100: 3 normalised i16 (SCALAR)
// 108: 2 unnormalised u16 VEC2
std::vector<uint8_t> MixedBuffer() {
    ByteWriter w;
    const float positions[3][3] = {{1, 2, 3}, {4, 5, 6}, {-7, 8.5f, 9}};
    for (const auto& p : positions) {
        w.F32(p[0]);
        w.F32(p[1]);
        w.F32(p[2]);
        w.F32(99.0f);  // padding that the stride skips
    }
    for (uint8_t i : {0, 1, 2, 2, 1, 0}) w.U8(i);
    w.Pad4();
    for (uint16_t i : {0, 2, 1, 1, 2, 0}) w.U16(i);
    w.Pad4();
    for (uint32_t i : {2, 1, 0, 0, 1, 2}) w.U32(i);
    for (uint8_t c : {255, 0, 51, 128, 0, 255, 255, 255}) w.U8(c);
    for (int16_t s : {32767, -32768, -16384}) w.I16(s);
    w.Pad4();
    for (uint16_t s : {7, 65535, 300, 0}) w.U16(s);
    return w.bytes;
}

const char* kMixedBody = R"(,
 "bufferViews":[
  {"buffer":0,"byteOffset":0,"byteLength":48,"byteStride":16},
  {"buffer":0,"byteOffset":48,"byteLength":6},
  {"buffer":0,"byteOffset":56,"byteLength":12},
  {"buffer":0,"byteOffset":68,"byteLength":24},
  {"buffer":0,"byteOffset":92,"byteLength":8},
  {"buffer":0,"byteOffset":100,"byteLength":6},
  {"buffer":0,"byteOffset":108,"byteLength":8}],
 "accessors":[
  {"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
  {"bufferView":1,"componentType":5121,"count":6,"type":"SCALAR"},
  {"bufferView":2,"componentType":5123,"count":6,"type":"SCALAR"},
  {"bufferView":3,"componentType":5125,"count":6,"type":"SCALAR"},
  {"bufferView":4,"componentType":5121,"normalized":true,"count":2,"type":"VEC4"},
  {"bufferView":5,"componentType":5122,"normalized":true,"count":3,"type":"SCALAR"},
  {"bufferView":6,"componentType":5123,"count":2,"type":"VEC2"},
  {"componentType":5126,"count":2,"type":"VEC3"}],
 "meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1},
                          {"attributes":{"POSITION":0},"indices":2,"mode":1}]}],
 "nodes":[{"mesh":0}])";

TEST(GltfDocument, ReadsFloatsThroughTheViewStride) {
    GltfDocument doc;
    ASSERT_TRUE(LoadText(doc, GltfText(MixedBuffer(), kMixedBody)));
    std::vector<float> values;
    ASSERT_TRUE(ReadGltfFloats(doc, 0, values, 3));
    EXPECT_EQ(values, (std::vector<float>{1, 2, 3, 4, 5, 6, -7, 8.5f, 9}));
    EXPECT_FALSE(ReadGltfFloats(doc, 0, values, 2)) << "a VEC3 accessor read as pairs";
    EXPECT_TRUE(values.empty());
}

TEST(GltfDocument, ReadsIndicesOfEveryWidth) {
    GltfDocument doc;
    ASSERT_TRUE(LoadText(doc, GltfText(MixedBuffer(), kMixedBody)));
    const struct {
        int accessor;
        std::vector<uint32_t> expected;
    } cases[] = {
        {1, {0, 1, 2, 2, 1, 0}},
        {2, {0, 2, 1, 1, 2, 0}},
        {3, {2, 1, 0, 0, 1, 2}},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> indices;
        ASSERT_TRUE(ReadGltfIndices(doc, c.accessor, indices)) << c.accessor;
        EXPECT_EQ(indices, c.expected) << c.accessor;
    }
    std::vector<uint32_t> indices;
    EXPECT_FALSE(ReadGltfIndices(doc, 0, indices)) << "float positions are not indices";
    EXPECT_FALSE(ReadGltfIndices(doc, 4, indices)) << "a VEC4 is not an index list";
    EXPECT_FALSE(ReadGltfIndices(doc, 99, indices));
    EXPECT_FALSE(ReadGltfIndices(doc, -1, indices));
}

TEST(GltfDocument, ConvertsIntegerComponentsToFloats) {
    GltfDocument doc;
    ASSERT_TRUE(LoadText(doc, GltfText(MixedBuffer(), kMixedBody)));
    std::vector<float> values;
    ASSERT_TRUE(ReadGltfFloats(doc, 4, values, 4));
    ASSERT_EQ(values.size(), 8u);
    EXPECT_EQ(values[0], 1.0f);
    EXPECT_EQ(values[1], 0.0f);
    EXPECT_EQ(values[2], 51.0f / 255.0f);
    EXPECT_EQ(values[3], 128.0f / 255.0f);
    ASSERT_TRUE(ReadGltfFloats(doc, 5, values, 1));
    EXPECT_EQ(values, (std::vector<float>{1.0f, -1.0f, -16384.0f / 32767.0f})) << "-32768 clamps to -1";
    ASSERT_TRUE(ReadGltfFloats(doc, 6, values, 2));
    EXPECT_EQ(values, (std::vector<float>{7, 65535, 300, 0})) << "not normalised: the plain value";
    ASSERT_TRUE(ReadGltfFloats(doc, 7, values, 3));
    EXPECT_EQ(values, std::vector<float>(6, 0.0f)) << "no buffer view reads as zeros";
    std::vector<uint32_t> joints;
    ASSERT_TRUE(ReadGltfUnsigned(doc, 4, joints, 4));
    EXPECT_EQ(joints, (std::vector<uint32_t>{255, 0, 51, 128, 0, 255, 255, 255}));
}

TEST(GltfDocument, AbsentModeMeansTriangles) {
    GltfDocument doc;
    ASSERT_TRUE(LoadText(doc, GltfText(MixedBuffer(), kMixedBody)));
    const auto& primitives = doc.model.meshes[0].primitives;
    EXPECT_EQ(GltfPrimitiveMode(primitives[0]), TINYGLTF_MODE_TRIANGLES);
    EXPECT_EQ(GltfPrimitiveMode(primitives[1]), TINYGLTF_MODE_LINE);
    EXPECT_EQ(GltfPrimitiveMode(tinygltf::Primitive{}), TINYGLTF_MODE_TRIANGLES);
    EXPECT_EQ(GltfFindAttribute(primitives[0], "POSITION"), 0);
    EXPECT_EQ(GltfFindAttribute(primitives[0], "NORMAL"), -1);
}

glm::vec3 Apply(const glm::mat4& m, glm::vec3 p) {
    const glm::vec4 r = m * glm::vec4(p, 1.0f);
    return {r.x, r.y, r.z};
}

TEST(GltfDocument, WorldMatricesFollowTheParents) {
    // Node 0 moves by (10, 0, 0) and turns 90 degrees about y; its child 1 doubles and moves by (0, 0, 1);
    // node 2 (child of 1) has a plain matrix moving by (0, 3, 0); node 3 is listed as a child of both 0 and 1
    // and keeps its first parent.
    const std::string body = R"(,
     "nodes":[
      {"translation":[10,0,0],"rotation":[0,0.70710678,0,0.70710678],"children":[1,3]},
      {"translation":[0,0,1],"scale":[2,2,2],"children":[2,3]},
      {"matrix":[1,0,0,0, 0,1,0,0, 0,0,1,0, 0,3,0,1]},
      {"name":"shared"}])";
    GltfDocument doc;
    ASSERT_TRUE(LoadText(doc, GltfText({0, 0, 0, 0}, body)));
    EXPECT_EQ(doc.parents, (std::vector<int>{-1, 0, 1, 0}));
    // Child 1's origin: (0, 0, 1) turned 90 degrees about y is (1, 0, 0), plus (10, 0, 0).
    const glm::vec3 origin1 = Apply(doc.worldMatrices[1], {0, 0, 0});
    EXPECT_NEAR(origin1.x, 11.0f, 1e-5f);
    EXPECT_NEAR(origin1.z, 0.0f, 1e-5f);
    // Node 2's origin: (0, 3, 0) scaled by 2 is (0, 6, 0) above node 1.
    const glm::vec3 origin2 = Apply(doc.worldMatrices[2], {0, 0, 0});
    EXPECT_NEAR(origin2.x, 11.0f, 1e-5f);
    EXPECT_NEAR(origin2.y, 6.0f, 1e-5f);
    EXPECT_EQ(doc.worldMatrices[3], doc.worldMatrices[0]);
}

TEST(GltfDocument, CyclesAreCutInsteadOfFollowed) {
    const std::string body = R"(,
     "nodes":[{"translation":[1,0,0],"children":[1]},{"translation":[0,1,0],"children":[2]},
              {"translation":[0,0,1],"children":[0]},{"children":[3]}])";
    GltfDocument doc;
    ASSERT_TRUE(LoadText(doc, GltfText({0, 0, 0, 0}, body)));
    int roots = 0;
    for (int p : doc.parents) roots += p == -1;
    EXPECT_EQ(roots, 2) << "one link of the three-node cycle is cut; a self-child is ignored";
    for (const glm::mat4& m : doc.worldMatrices) {
        for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(m[i / 4][i % 4]));
    }
    EXPECT_EQ(doc.parents[3], -1);
}

TEST(GltfDocument, KeepsNodeExtrasAsJsonText) {
    const std::string body = R"(,
     "nodes":[{"name":"a","extras":{"team":"red","facing_degrees":90}},{"name":"b"}])";
    GltfDocument doc;
    ASSERT_TRUE(LoadText(doc, GltfText({0, 0, 0, 0}, body)));
    const std::string& extras = GltfNodeExtras(doc, 0);
    EXPECT_NE(extras.find("\"team\""), std::string::npos) << extras;
    EXPECT_NE(extras.find("\"red\""), std::string::npos) << extras;
    EXPECT_NE(extras.find("90"), std::string::npos) << extras;
    EXPECT_EQ(GltfNodeExtras(doc, 1), "");
    EXPECT_EQ(GltfNodeExtras(doc, 7), "");
}

// Each case must fail with exactly one line, naming the path, and leave the document empty.
TEST(GltfDocument, MalformedInputFailsWithOneLine) {
    const std::vector<uint8_t> buffer(16, 0);
    const struct {
        const char* what;
        std::string text;
        const char* expected;
    } cases[] = {
        {"not JSON", "{\"asset\":", "[test] failed to parse test\n"},
        {"empty", "", "[test] failed to parse test\n"},
        {"accessor past its view",
         GltfText(buffer, R"(,"bufferViews":[{"buffer":0,"byteLength":16}],
                  "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"VEC3"}])"),
         "[test] failed to load buffers for test\n"},
        {"accessor offset past its view",
         GltfText(buffer, R"(,"bufferViews":[{"buffer":0,"byteLength":16}],
                  "accessors":[{"bufferView":0,"byteOffset":8,"componentType":5126,"count":1,"type":"VEC3"}])"),
         "[test] failed to load buffers for test\n"},
        {"stride walks past its view",
         GltfText(buffer, R"(,"bufferViews":[{"buffer":0,"byteLength":16,"byteStride":16}],
                  "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"SCALAR"}])"),
         "[test] failed to load buffers for test\n"},
        {"view past its buffer",
         GltfText(buffer, R"(,"bufferViews":[{"buffer":0,"byteOffset":8,"byteLength":12}])"),
         "[test] failed to load buffers for test\n"},
        {"huge count", GltfText(buffer, R"(,"bufferViews":[{"buffer":0,"byteLength":16}],
                  "accessors":[{"bufferView":0,"componentType":5126,"count":4611686018427387904,"type":"VEC4"}])"),
         "[test] failed to load buffers for test\n"},
        {"external file outside the folder",
         R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":4,"uri":"/etc/hostname"}]})",
         "[test] failed to parse test\n"},
    };
    for (const auto& c : cases) {
        GltfDocument doc;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(LoadText(doc, c.text)) << c.what;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err, c.expected) << c.what;
        EXPECT_EQ(CountLines(err), 1) << c.what;
        EXPECT_TRUE(doc.model.nodes.empty() && doc.worldMatrices.empty()) << c.what;
    }
}

TEST(GltfDocument, MissingFileFailsWithOneLine) {
    GltfDocument doc;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadGltfDocument(doc, "no/such/file.glb", "[map]"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[map] failed to parse no/such/file.glb\n");
}

}  // namespace

namespace {

// A .gltf may keep its buffer in a file beside it, but not outside its folder.
TEST(GltfDocument, ExternalBuffersOnlyFromTheDocumentsFolder) {
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "zw_gltf_external";
    std::filesystem::create_directories(folder / "inner");
    const std::vector<uint8_t> bytes = {0, 0, 128, 63};  // 1.0f
    std::ofstream(folder / "inner" / "data.bin", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 4);
    std::ofstream(folder / "outside.bin", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 4);
    const std::string accessors = R"(,"bufferViews":[{"buffer":0,"byteLength":4}],
        "accessors":[{"bufferView":0,"componentType":5126,"count":1,"type":"SCALAR"}]})";
    const std::string beside = (folder / "inner" / "beside.gltf").string();
    std::ofstream(beside) << R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":4,"uri":"data.bin"}])" << accessors;
    const std::string escaping = (folder / "inner" / "escaping.gltf").string();
    std::ofstream(escaping) << R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":4,"uri":"../outside.bin"}])"
                            << accessors;
    GltfDocument doc;
    ASSERT_TRUE(LoadGltfDocument(doc, beside, "[test]"));
    std::vector<float> values;
    ASSERT_TRUE(ReadGltfFloats(doc, 0, values, 1));
    EXPECT_EQ(values, std::vector<float>{1.0f});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadGltfDocument(doc, escaping, "[test]"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[test] failed to parse " + escaping + "\n");
    std::filesystem::remove_all(folder);
}

}  // namespace
