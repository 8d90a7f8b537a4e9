#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/asset_paths.h"
#include "game/map_geometry.h"
#include "game/match_options.h"
#include "gl_test_context.h"
#include "model_fixtures.h"
#include "render/skinned_model.h"
#include "render/static_model.h"
#include "support/gltf_text.h"
#include "support/temp_folder.h"

namespace {

using testsupport::TempFolder;

std::string WriteModel(const TempFolder& folder, const std::string& name, const GlbModel& model) {
    const std::vector<unsigned char> bytes = rendertest::GlbBytes(model);
    const std::string path = folder.Path() + "/" + name;
    testsupport::WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
    return path;
}

GLint TextureLevelValue(uint32_t texture, GLenum name) {
    GLint value = 0;
    glGetTextureLevelParameteriv(texture, 0, name, &value);
    return value;
}

TEST(ModelUpload, LargeTexturesAreHalvedToTheCap) {
    ASSERT_GL_CONTEXT();
    TempFolder folder;
    GlbModel model;
    GlbPrimitive panel = rendertest::Triangle();
    panel.uvs = {{0, 0}, {1, 0}, {0, 1}};
    panel.material = 0;
    rendertest::AddRigidNode(model, "panel", {panel});
    model.images.push_back(rendertest::PlainImage("big", 4096, 2048, 90, 120, 200));
    model.materials.push_back({.name = "paint", .image = 0});
    const std::string path = WriteModel(folder, "panel.glb", model);
    render::StaticModel loaded;
    render::StaticModelOptions options;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(loaded.Load(path.c_str(), options));
    const std::string report = testing::internal::GetCapturedStdout();
    EXPECT_NE(report.find("[model] texture 4096x2048 -> 1024x512 (11 mips)\n"), std::string::npos) << report;
    ASSERT_EQ(loaded.textures.size(), 1u);
    const uint32_t texture = loaded.submeshes[0].texture;
    EXPECT_EQ(texture, loaded.textures[0]);
    EXPECT_EQ(TextureLevelValue(texture, GL_TEXTURE_WIDTH), 1024);
    EXPECT_EQ(TextureLevelValue(texture, GL_TEXTURE_HEIGHT), 512);
    EXPECT_EQ(TextureLevelValue(texture, GL_TEXTURE_INTERNAL_FORMAT), GL_SRGB8_ALPHA8);
    GLint levels = 0;
    glGetTextureParameteriv(texture, GL_TEXTURE_IMMUTABLE_LEVELS, &levels);
    EXPECT_EQ(levels, 11);
    loaded.Destroy();
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(loaded.vertexArray, 0u);
}

TEST(ModelUpload, MaterialsSharingAnImageShareOneTexture) {
    ASSERT_GL_CONTEXT();
    TempFolder folder;
    GlbPrimitive a = rendertest::Triangle();
    a.material = 0;
    GlbPrimitive b = rendertest::Triangle(glm::vec3(2, 0, 0));
    b.material = 1;
    GlbModel rigid;
    rendertest::AddRigidNode(rigid, "pair", {a, b});
    rigid.images.push_back(rendertest::PlainImage("shared", 8, 8, 200, 10, 10));
    rigid.materials.push_back({.name = "one", .image = 0});
    rigid.materials.push_back({.name = "two", .image = 0, .doubleSided = true});
    render::StaticModel model;
    ASSERT_TRUE(model.Load(WriteModel(folder, "pair.glb", rigid).c_str(), render::StaticModelOptions{}));
    EXPECT_EQ(model.textures.size(), 1u);
    ASSERT_EQ(model.submeshes.size(), 2u);
    EXPECT_EQ(model.submeshes[0].texture, model.submeshes[1].texture);
    model.Destroy();

    GlbModel character = rendertest::SkinnedFixture({a, b});
    for (GlbPrimitive& primitive : character.meshes[0].primitives) {
        primitive.joints.assign(3, glm::u16vec4(0));
        primitive.weights.assign(3, glm::vec4(1, 0, 0, 0));
    }
    character.images = rigid.images;
    character.materials = rigid.materials;
    render::SkinnedModel skinned;
    ASSERT_TRUE(skinned.Load(WriteModel(folder, "character.glb", character).c_str()));
    EXPECT_EQ(skinned.textures.size(), 1u);
    EXPECT_EQ(skinned.albedoTexture, skinned.textures[0]);
    EXPECT_EQ(skinned.doubleSided, 1);
    skinned.Destroy();
    EXPECT_TRUE(skinned.textures.empty());
}

TEST(ModelUpload, AnImageInAFileOfItsOwnGivesNoTexture) {
    ASSERT_GL_CONTEXT();
    TempFolder folder;
    testsupport::ByteWriter buffer;
    for (float v : {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f}) buffer.F32(v);
    const std::string body =
        ",\"bufferViews\":[{\"buffer\":0,\"byteLength\":36}],"
        "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\",\"min\":[0,0,0],\"max\":[1,1,0]}],"
        "\"images\":[{\"uri\":\"paint.png\"}],\"textures\":[{\"source\":0}],"
        "\"materials\":[{\"pbrMetallicRoughness\":{\"baseColorTexture\":{\"index\":0}}}],"
        "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0},\"material\":0}]}],"
        "\"nodes\":[{\"mesh\":0}],\"scenes\":[{\"nodes\":[0]}]";
    testsupport::WriteTextFile(folder.Path() + "/paint.png", "not decoded");
    const std::string path = folder.Path() + "/outside.gltf";
    testsupport::WriteTextFile(path, testsupport::GltfText(buffer.bytes, body));
    render::StaticModel model;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(model.Load(path.c_str(), render::StaticModelOptions{}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(model.textures.empty());
    EXPECT_EQ(model.submeshes[0].texture, 0u);
    model.Destroy();
}

TEST(ModelUpload, ACharacterWithoutGeometryReleasesItsTextures) {
    ASSERT_GL_CONTEXT();
    TempFolder folder;
    GlbPrimitive plate = rendertest::Triangle();
    plate.material = 0;
    GlbModel model = rendertest::SkinnedFixture({plate});
    model.nodes[2].skin = -1;  // the only mesh is not skinned
    model.images.push_back(rendertest::PlainImage("paint", 4, 4, 1, 2, 3));
    model.materials.push_back({.name = "paint", .image = 0});
    render::SkinnedModel skinned;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(skinned.Load(WriteModel(folder, "hollow.glb", model).c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[model] nothing to upload\n");
    EXPECT_TRUE(skinned.textures.empty());
    EXPECT_EQ(skinned.albedoTexture, 0u);
    EXPECT_EQ(skinned.vertexArray, 0u);
}

TEST(ModelUpload, CorruptFilesFailWithOneLine) {
    ASSERT_GL_CONTEXT();
    TempFolder folder;
    struct Spoil {
        const char* what;
        void (*apply)(std::string&);
    };
    const Spoil spoils[] = {
        {"truncated", [](std::string& b) { b.resize(b.size() / 2); }},
        {"header only", [](std::string& b) { b.resize(12); }},
        {"no magic", [](std::string& b) { b[0] = 'X'; }},
        {"json garbage", [](std::string& b) { for (size_t i = 24; i < 80; ++i) b[i] = '#'; }},
        {"empty", [](std::string& b) { b.clear(); }},
        {"chunk length past the end", [](std::string& b) { b[12] = char(0xFF); b[13] = char(0xFF); }},
    };
    const std::string sources[] = {AssetPath("models/weapons/grenade.glb"), AssetPath("models/characters/character_blue.glb")};
    for (const std::string& source : sources) {
        const std::string original = testsupport::ReadTextFile(source);
        ASSERT_GT(original.size(), 100u);
        for (const Spoil& spoil : spoils) {
            std::string bytes = original;
            spoil.apply(bytes);
            const std::string path = folder.Path() + "/spoiled.glb";
            testsupport::WriteTextFile(path, bytes);
            testing::internal::CaptureStderr();
            bool loaded = false;
            if (source.find("characters") != std::string::npos) {
                render::SkinnedModel model;
                loaded = model.Load(path.c_str());
                EXPECT_EQ(model.vertexArray, 0u);
                EXPECT_TRUE(model.textures.empty());
            } else {
                render::StaticModel model;
                loaded = model.Load(path.c_str(), render::StaticModelOptions{});
                EXPECT_EQ(model.vertexArray, 0u);
            }
            const std::string errors = testing::internal::GetCapturedStderr();
            EXPECT_FALSE(loaded) << spoil.what;
            EXPECT_EQ(testsupport::CountLines(errors), 1) << spoil.what << ": " << errors;
            EXPECT_EQ(errors.rfind("[model] ", 0), 0u) << spoil.what << ": " << errors;
        }
    }
}

TEST(ModelUpload, TheDrawnLevelCoversItsCollisionBounds) {
    ASSERT_GL_CONTEXT();
    const tune::Tuning tuning;
    uint32_t count = 0;
    const MapInfo* maps = GetMapList(&count);
    ASSERT_GE(count, 2u);
    for (uint32_t i = 0; i < count; ++i) {
        const std::string path = AssetPath(maps[i].mapFile);
        MapGeometry collision;
        ASSERT_TRUE(LoadMapGeometry(collision, path, MapScale(tuning)));
        render::StaticModel level;
        ASSERT_TRUE(level.Load(path.c_str(), render::LevelModelOptions(tuning)));
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(level.boundsMin[axis], collision.bounds.min[axis], 1e-3f) << maps[i].mapFile << " axis " << axis;
            EXPECT_NEAR(level.boundsMax[axis], collision.bounds.max[axis], 1e-3f) << maps[i].mapFile << " axis " << axis;
        }
        EXPECT_GT(level.submeshes.size(), 1u);  // chunked for culling
        level.Destroy();
    }
}

}  // namespace
