#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/gltf_document.h"
#include "support/temp_folder.h"
#include "tools/assetgen/generators.h"

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const char* kFiles[] = {
    "maps/Map One/map_one.glb", "maps/Map One/map_one.gameplay.json", "maps/Map One/preview.png",
    "maps/Map Two/Map_Two.glb", "maps/Map Two/Map_Two.gameplay.json", "maps/Map Two/preview.png",
};

TEST(MapsGenerator, WritesTheSameBytesEveryRun) {
    const testsupport::TempFolder folder;
    const std::filesystem::path base = folder.Path();
    ASSERT_TRUE(GenerateMaps((base / "a").string()));
    ASSERT_TRUE(GenerateMaps((base / "b").string()));
    for (const char* file : kFiles) {
        const std::string a = ReadAll(base / "a" / file);
        ASSERT_FALSE(a.empty()) << file;
        EXPECT_TRUE(a == ReadAll(base / "b" / file)) << file;
    }
}

// The renderer draws the same files: every level mesh carries a material with an embedded texture.
TEST(MapsGenerator, LevelMeshesHaveTexturedMaterials) {
    for (const char* file : {kFiles[0], kFiles[3]}) {
        GltfDocument doc;
        ASSERT_TRUE(LoadGltfDocument(doc, std::string("assets/") + file, "[test]")) << file;
        ASSERT_FALSE(doc.model.meshes.empty());
        for (const tinygltf::Mesh& mesh : doc.model.meshes) {
            for (const tinygltf::Primitive& primitive : mesh.primitives) {
                ASSERT_GE(primitive.material, 0) << mesh.name;
                const tinygltf::Material& material = doc.model.materials[size_t(primitive.material)];
                const int texture = material.pbrMetallicRoughness.baseColorTexture.index;
                ASSERT_GE(texture, 0) << material.name;
                const unsigned char* png = nullptr;
                size_t size = 0;
                EXPECT_TRUE(GltfImageBytes(doc, doc.model.textures[size_t(texture)].source, &png, &size))
                    << material.name;
                EXPECT_GE(GltfFindAttribute(primitive, "NORMAL"), 0);
                EXPECT_GE(GltfFindAttribute(primitive, "TEXCOORD_0"), 0);
            }
        }
    }
}

}  // namespace
