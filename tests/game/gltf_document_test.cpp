#include "game/gltf_document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/gltf_text.h"
#include "support/temp_folder.h"

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
         "[test] test is too large to load (accessor values over 8388608)\n"},
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
    const testsupport::TempFolder temp;
    const std::filesystem::path folder = temp.Path();
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
}

}  // namespace

namespace {

// A .glb from its JSON text and binary chunk, each padded to 4 bytes.
std::string GlbBytes(std::string json, std::string bin) {
    while (json.size() % 4 != 0) json += ' ';
    while (bin.size() % 4 != 0) bin += '\0';
    ByteWriter w;
    const size_t total = 12 + 8 + json.size() + (bin.empty() ? 0 : 8 + bin.size());
    for (char c : std::string("glTF")) w.U8(uint8_t(c));
    w.U32(2);
    w.U32(uint32_t(total));
    w.U32(uint32_t(json.size()));
    w.U32(0x4E4F534Au);
    for (char c : json) w.U8(uint8_t(c));
    if (!bin.empty()) {
        w.U32(uint32_t(bin.size()));
        w.U32(0x004E4942u);
        for (char c : bin) w.U8(uint8_t(c));
    }
    return std::string(w.bytes.begin(), w.bytes.end());
}

struct CapturedLoad {
    bool ok = false;
    std::string err;
};

CapturedLoad LoadCapturingErrors(GltfDocument& doc, const std::string& bytes) {
    testing::internal::CaptureStderr();
    CapturedLoad result;
    result.ok = LoadText(doc, bytes);
    result.err = testing::internal::GetCapturedStderr();
    return result;
}

// The parser throws on some documents it cannot read; the load fails with its line instead of
// ending the process.
TEST(GltfDocument, WhatTheParserThrowsIsAFailedParse) {
    const std::string glb = GlbBytes(R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":0}]})", std::string(8, '\0'));
    ASSERT_EQ(glb.size(), 92u);
    GltfDocument doc;
    const CapturedLoad load = LoadCapturingErrors(doc, glb);
    EXPECT_FALSE(load.ok);
    EXPECT_EQ(load.err, "[test] failed to parse test\n");
    EXPECT_TRUE(doc.model.buffers.empty());
}

std::string RepeatedText(const std::string& head, const std::string& item, size_t count, const std::string& tail) {
    std::string text = head;
    for (size_t i = 0; i < count; ++i) text += (i ? "," : "") + item;
    return text + tail;
}

// Small documents that ask for more than any real asset: each fails at once with one line.
TEST(GltfDocument, DocumentsPastTheBudgetFailWithOneLine) {
    const std::string values = "accessor values over 8388608)\n";
    const std::string bigPositions = R"({"componentType":5126,"count":500000,"type":"VEC3"})";
    const struct {
        const char* what;
        std::string text;
        std::string expected;
    } cases[] = {
        {"an accessor without a buffer view",
         R"({"asset":{"version":"2.0"},"accessors":[{"componentType":5126,"count":16777216,"type":"MAT4"}]})",
         values},
        {"one more value than the budget",
         R"({"asset":{"version":"2.0"},"accessors":[{"componentType":5126,"count":8388609,"type":"SCALAR"}]})", values},
        {"accessors that add up past it",
         RepeatedText(R"({"asset":{"version":"2.0"},"accessors":[)", R"({"componentType":5121,"count":3000000,"type":"SCALAR"})",
                      3, "]}"),
         values},
        {"primitives sharing one accessor",
         RepeatedText(R"({"asset":{"version":"2.0"},"nodes":[{"mesh":0}],"meshes":[{"primitives":[)",
                      R"({"attributes":{"POSITION":0}})", 20, "]}],\"accessors\":[" + bigPositions + "]}"),
         values},
        {"nodes placing one mesh",
         RepeatedText(R"({"asset":{"version":"2.0"},"nodes":[)", R"({"mesh":0})", 20,
                      R"(],"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"accessors":[)" + bigPositions +
                          "]}"),
         values},
        {"animation channels sharing keys",
         RepeatedText(R"({"asset":{"version":"2.0"},"nodes":[{"name":"j"}],
             "accessors":[{"componentType":5126,"count":400000,"type":"SCALAR"},
                          {"componentType":5126,"count":400000,"type":"VEC4"}],
             "animations":[{"samplers":[{"input":0,"output":1}],"channels":[)",
                      R"({"sampler":0,"target":{"node":0,"path":"rotation"}})", 12, "]}]}"),
         values},
        {"JSON objects", RepeatedText(R"({"asset":{"version":"2.0"},"nodes":[)", "{}", 40000, "]}"),
         "JSON objects over 32768)\n"},
        {"JSON items", RepeatedText(R"({"asset":{"version":"2.0"},"extras":[)", "0", 300000, "]}"),
         "JSON items over 262144)\n"},
        {"JSON items of a binary file",
         GlbBytes(RepeatedText(R"({"asset":{"version":"2.0"},"extras":[)", "0", 300000, "]}"), ""),
         "JSON items over 262144)\n"},
        {"bytes", std::string(size_t(GltfBudget::kBytes) + 1, ' '), "bytes over 67108864)\n"},
    };
    for (const auto& c : cases) {
        GltfDocument doc;
        const CapturedLoad load = LoadCapturingErrors(doc, c.text);
        EXPECT_FALSE(load.ok) << c.what;
        EXPECT_EQ(load.err, "[test] test is too large to load (" + c.expected) << c.what;
        EXPECT_TRUE(doc.model.accessors.empty() && doc.model.nodes.empty()) << c.what;
    }
}

TEST(GltfDocument, ADocumentAtTheBudgetLoads) {
    const std::string text = R"({"asset":{"version":"2.0"},"extras":["{[,\"],"],
        "accessors":[{"componentType":5126,"count":8388608,"type":"SCALAR"}]})";
    GltfDocument doc;
    const CapturedLoad load = LoadCapturingErrors(doc, text);
    EXPECT_TRUE(load.ok) << load.err;
    EXPECT_EQ(GltfAccessorCount(doc, 0), GltfBudget::kValues);
}

TEST(GltfDocument, ExternalFilesCountAgainstTheByteBudget) {
    const testsupport::TempFolder temp;
    const std::string folder = temp.Path();
    // Sparse on disk: its size alone must refuse it, before anything is read.
    std::ofstream(folder + "/big.bin").close();
    std::filesystem::resize_file(folder + "/big.bin", GltfBudget::kBytes);
    const std::string path = folder + "/big.gltf";
    std::ofstream(path) << R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":67108864,"uri":"big.bin"}]})";
    GltfDocument doc;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadGltfDocument(doc, path, "[test]"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[test] " + path + " is too large to load (bytes over 67108864)\n");
}

// One buffer: four positions, the sparse indices (u16 1, 3; u8 2; u32 0 and 3), the replacing
// positions, and two u16 indices.
std::vector<uint8_t> SparseBuffer() {
    ByteWriter w;
    for (float v : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}) w.F32(v);  //  0: 48 bytes
    for (uint16_t i : {1, 3}) w.U16(i);                                // 48: 4 bytes
    for (float v : {-1, -2, -3, -4, -5, -6}) w.F32(v);                  // 52: 24 bytes
    w.U8(2);                                                           // 76: 1 byte
    w.Pad4();
    for (uint32_t i : {0, 3}) w.U32(i);                                // 80: 8 bytes
    for (uint16_t i : {7, 9}) w.U16(i);                                // 88: 4 bytes
    return w.bytes;
}

std::string SparseText(const std::string& accessors) {
    return GltfText(SparseBuffer(), R"(,"bufferViews":[
        {"buffer":0,"byteOffset":0,"byteLength":48},{"buffer":0,"byteOffset":48,"byteLength":4},
        {"buffer":0,"byteOffset":52,"byteLength":24},{"buffer":0,"byteOffset":76,"byteLength":1},
        {"buffer":0,"byteOffset":80,"byteLength":8},{"buffer":0,"byteOffset":88,"byteLength":4}],
        "accessors":[)" + accessors + "]");
}

TEST(GltfDocument, ReadsSparseAccessors) {
    const std::string accessors = R"(
        {"bufferView":0,"componentType":5126,"count":4,"type":"VEC3",
         "sparse":{"count":2,"indices":{"bufferView":1,"componentType":5123},"values":{"bufferView":2}}},
        {"componentType":5126,"count":3,"type":"VEC3",
         "sparse":{"count":1,"indices":{"bufferView":3,"componentType":5121},"values":{"bufferView":2,"byteOffset":12}}},
        {"componentType":5123,"count":5,"type":"SCALAR",
         "sparse":{"count":2,"indices":{"bufferView":4,"componentType":5125},"values":{"bufferView":5}}})";
    GltfDocument doc;
    const CapturedLoad load = LoadCapturingErrors(doc, SparseText(accessors));
    ASSERT_TRUE(load.ok) << load.err;
    std::vector<float> values;
    ASSERT_TRUE(ReadGltfFloats(doc, 0, values, 3));
    EXPECT_EQ(values, (std::vector<float>{1, 2, 3, -1, -2, -3, 7, 8, 9, -4, -5, -6}));
    ASSERT_TRUE(ReadGltfFloats(doc, 1, values, 3));
    EXPECT_EQ(values, (std::vector<float>{0, 0, 0, 0, 0, 0, -4, -5, -6})) << "zeros with element 2 replaced";
    std::vector<uint32_t> indices;
    ASSERT_TRUE(ReadGltfIndices(doc, 2, indices));
    EXPECT_EQ(indices, (std::vector<uint32_t>{7, 0, 0, 9, 0}));
}

TEST(GltfDocument, MalformedSparseAccessorsFailWithOneLine) {
    const struct {
        const char* what;
        const char* sparse;
    } cases[] = {
        {"an index past the count", R"({"count":1,"indices":{"bufferView":3,"componentType":5121},"values":{"bufferView":2}})"},
        {"more replacements than elements",
         R"({"count":3,"indices":{"bufferView":4,"componentType":5121},"values":{"bufferView":2}})"},
        {"indices past their view", R"({"count":2,"indices":{"bufferView":3,"componentType":5121},"values":{"bufferView":2}})"},
        {"values past their view",
         R"({"count":2,"indices":{"bufferView":1,"componentType":5123},"values":{"bufferView":2,"byteOffset":4}})"},
        {"float indices", R"({"count":1,"indices":{"bufferView":4,"componentType":5126},"values":{"bufferView":2}})"},
        {"no indices view", R"({"count":1,"indices":{"bufferView":9,"componentType":5121},"values":{"bufferView":2}})"},
        {"a negative offset",
         R"({"count":1,"indices":{"bufferView":3,"componentType":5121,"byteOffset":-1},"values":{"bufferView":2}})"},
    };
    for (const auto& c : cases) {
        GltfDocument doc;
        const CapturedLoad load = LoadCapturingErrors(
            doc, SparseText(std::string(R"({"componentType":5126,"count":2,"type":"VEC3","sparse":)") + c.sparse + "}"));
        EXPECT_FALSE(load.ok) << c.what;
        EXPECT_EQ(load.err, "[test] failed to load buffers for test\n") << c.what;
    }
}

// Matrix columns of 1- and 2-byte components start on 4-byte boundaries; the last element of a view
// needs no padding after its last column.
TEST(GltfDocument, SmallComponentMatricesEndWithoutTheirLastPadding) {
    ByteWriter w;
    for (uint8_t b : {1, 2, 0, 0, 3, 4, 0, 0, 5, 6, 0, 0, 7, 8}) w.U8(b);  // MAT2 u8 x 2: 14 bytes
    w.Pad4();                                                                // 16
    for (uint8_t b : {1, 2, 3, 0, 4, 5, 6, 0, 0xF9, 8, 9}) w.U8(b);         // MAT3 i8: 11 bytes
    w.Pad4();                                                                // 28
    for (int16_t v : {1, -2, 3}) w.I16(v);                                   // MAT3 i16: 22 bytes
    w.U16(0);
    for (int16_t v : {4, 5, 6}) w.I16(v);
    w.U16(0);
    for (int16_t v : {7, 8, -9}) w.I16(v);
    const std::string body = R"(,"bufferViews":[
        {"buffer":0,"byteOffset":0,"byteLength":14},{"buffer":0,"byteOffset":16,"byteLength":11},
        {"buffer":0,"byteOffset":28,"byteLength":22},{"buffer":0,"byteOffset":0,"byteLength":13}],
        "accessors":[{"bufferView":0,"componentType":5121,"count":2,"type":"MAT2"},
                     {"bufferView":1,"componentType":5120,"count":1,"type":"MAT3"},
                     {"bufferView":2,"componentType":5122,"count":1,"type":"MAT3"}])";
    GltfDocument doc;
    const CapturedLoad load = LoadCapturingErrors(doc, GltfText(w.bytes, body));
    ASSERT_TRUE(load.ok) << load.err;
    std::vector<float> values;
    ASSERT_TRUE(ReadGltfFloats(doc, 0, values, 4));
    EXPECT_EQ(values, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(ReadGltfFloats(doc, 1, values, 9));
    EXPECT_EQ(values, (std::vector<float>{1, 2, 3, 4, 5, 6, -7, 8, 9}));
    ASSERT_TRUE(ReadGltfFloats(doc, 2, values, 9));
    EXPECT_EQ(values, (std::vector<float>{1, -2, 3, 4, 5, 6, 7, 8, -9}));

    // One byte short of the last column is still outside the view.
    const std::string shortBody = R"(,"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":13}],
        "accessors":[{"bufferView":0,"componentType":5121,"count":2,"type":"MAT2"}])";
    const CapturedLoad cut = LoadCapturingErrors(doc, GltfText(w.bytes, shortBody));
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.err, "[test] failed to load buffers for test\n");
}

}  // namespace
