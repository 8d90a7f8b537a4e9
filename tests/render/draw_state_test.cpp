#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include <glm/gtc/matrix_transform.hpp>

#include "game/asset_paths.h"
#include "game/collision_world.h"
#include "gl_test_context.h"
#include "render/debug_mesh.h"
#include "render/effects.h"
#include "render/health_bomb_volume.h"
#include "render/sprite_sheet.h"
#include "render/light_list.h"
#include "render/renderer.h"
#include "render/skinned_model.h"
#include "render/static_model.h"

namespace {

// A 2 x 2 m wall in the plane z = 0 facing +z, as one part.
bool BuildWall(render::StaticModel& model, glm::vec4 colour = glm::vec4(0.8f, 0.8f, 0.8f, 1.0f)) {
    const std::vector<render::PartVertex> vertices = {
        {{-1, -1, 0}, {0, 0, 1}}, {{1, -1, 0}, {0, 0, 1}}, {{1, 1, 0}, {0, 0, 1}}, {{-1, 1, 0}, {0, 0, 1}}};
    render::ModelPart part;
    part.indices = {0, 1, 2, 0, 2, 3};
    part.baseColour = colour;
    return model.BuildFromParts(vertices, {part}, "wall");
}

glm::mat4 LookAtWall(bool reversed) {
    const glm::mat4 projection = reversed ? glm::perspectiveRH_ZO(1.0f, 4.0f / 3.0f, 100.0f, 0.1f)
                                          : glm::perspectiveRH_NO(1.0f, 4.0f / 3.0f, 0.1f, 100.0f);
    return projection * glm::lookAt(glm::vec3(0, 0, 3), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
}

TEST(LightBlock, ReadsBackAsTheTableSays) {
    ASSERT_GL_CONTEXT();
    render::LightList list;
    ASSERT_TRUE(list.CreateBuffer());
    list.Add({glm::vec3(1, 2, 3), glm::vec3(0.5f, 0.25f, 1.0f), 4.0f, 2.0f});
    list.Add({glm::vec3(-1, 0, 0), glm::vec3(1.0f, 1.0f, 1.0f), 0.0f, 0.5f});
    tune::LightingTuning lighting;
    lighting.sunDirection[0] = 0.0f;
    lighting.sunDirection[1] = -2.0f;
    lighting.sunDirection[2] = 0.0f;
    lighting.bandCount = 3;
    lighting.lightBlockScale = 1.5f;
    list.Upload(lighting, glm::vec3(7, 8, 9));
    list.Bind();
    float block[280];
    std::memset(block, 0xFF, sizeof block);
    glGetNamedBufferSubData(list.buffer, 0, sizeof block, block);
    const float header[24] = {0, -1, 0, 1,  1.0f, 0.96f, 0.88f, 0.9f, 0.34f, 0.42f, 0.58f, 0.3f,
                              0.16f, 0.14f, 0.13f, 0.35f, 2, 3, 1.5f, 0, 7, 8, 9, 0};
    for (int i = 0; i < 24; ++i) EXPECT_EQ(block[i], header[i]) << "header float " << i;
    const float slots[16] = {1, 2, 3, 4, 0.5f, 0.25f, 1.0f, 2.0f, -1, 0, 0, 0.001f, 1, 1, 1, 0.5f};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(block[24 + i], slots[i]) << "slot float " << i;
    for (int i = 40; i < 280; ++i) ASSERT_EQ(block[i], 0.0f) << "float " << i;
    GLint bound = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, 1, &bound);
    EXPECT_EQ(uint32_t(bound), list.buffer);
    list.Destroy();
    EXPECT_EQ(list.buffer, 0u);
}

TEST(StaticDrawing, LevelSubmeshesGetTheirOwnLightLists) {
    ASSERT_GL_CONTEXT();
    const tune::Tuning tuning;
    render::Renderer renderer;
    ASSERT_TRUE(renderer.Init(tuning));
    render::StaticModel wall;
    ASSERT_TRUE(BuildWall(wall));
    struct Case {
        int touching;
        bool transformed;
        bool flag;
        int count;
    };
    const Case cases[] = {{0, false, true, 0}, {16, false, true, 16}, {17, false, true, -1},
                          {3, true, true, -1}, {3, false, false, -1}};
    for (const Case& c : cases) {
        render::LightList list;
        ASSERT_TRUE(list.CreateBuffer());
        list.Add({glm::vec3(50, 0, 0), glm::vec3(1), 1.0f, 1.0f});  // far away
        for (int i = 0; i < c.touching; ++i) list.Add({glm::vec3(0, 0, 0.5f), glm::vec3(1), 1.0f, 1.0f});
        renderer.BeginFrame(rendertest::kFrameWidth, rendertest::kFrameHeight, tuning);
        renderer.SetupLights(list, tuning.lighting, glm::vec3(0, 0, 3));
        renderer.perSubmeshLightLists = c.flag ? 1 : 0;
        const glm::mat4 model = c.transformed ? glm::translate(glm::mat4(1.0f), glm::vec3(0.1f, 0, 0)) : glm::mat4(1.0f);
        renderer.DrawStatic(wall, model, LookAtWall(true), tuning.lighting, nullptr, false, 1.0f);
        renderer.perSubmeshLightLists = 0;
        GLint count = 99;
        glGetUniformiv(renderer.staticProgram.program, renderer.staticProgram.UniformLocation("uLightListCount"), &count);
        EXPECT_EQ(count, c.count) << c.touching << " lights";
        if (c.count > 0) {
            GLint listed[16] = {};
            for (int i = 0; i < c.count; ++i) {
                const std::string name = "uLightList[" + std::to_string(i) + "]";
                glGetUniformiv(renderer.staticProgram.program, glGetUniformLocation(renderer.staticProgram.program, name.c_str()),
                               &listed[i]);
                EXPECT_EQ(listed[i], i + 1);
            }
        }
        EXPECT_EQ(renderer.submeshesDrawn, 1u);
        EXPECT_EQ(renderer.submeshesTotal, 1u);
        list.Destroy();
    }
    wall.Destroy();
    renderer.Destroy();
}

struct GlState {
    GLint depthFunc = 0;
    GLboolean depthMask = GL_FALSE;
    GLboolean depthTest = GL_FALSE;
    GLboolean blend = GL_TRUE;
    GLboolean cull = GL_FALSE;
    GLint cullMode = 0;
    GLint frontFace = 0;
    GLint polygonMode = 0;
    GLboolean colourMask = GL_FALSE;

    static GlState Read() {
        GlState s;
        glGetIntegerv(GL_DEPTH_FUNC, &s.depthFunc);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &s.depthMask);
        s.depthTest = glIsEnabled(GL_DEPTH_TEST);
        s.blend = glIsEnabled(GL_BLEND);
        s.cull = glIsEnabled(GL_CULL_FACE);
        glGetIntegerv(GL_CULL_FACE_MODE, &s.cullMode);
        glGetIntegerv(GL_FRONT_FACE, &s.frontFace);
        GLint modes[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        s.polygonMode = modes[0];
        GLboolean mask[4];
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        s.colourMask = mask[0] && mask[1] && mask[2] && mask[3];
        return s;
    }
};

TEST(DrawState, EachDrawLeavesTheFramesStateBehind) {
    ASSERT_GL_CONTEXT();
    for (const uint8_t reversed : {uint8_t(1), uint8_t(0)}) {
        tune::Tuning tuning;
        tuning.camera.reversedDepth = reversed;
        render::Renderer renderer;
        ASSERT_TRUE(renderer.Init(tuning));
        if (!reversed) glClipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
        render::StaticModel wall;
        ASSERT_TRUE(BuildWall(wall));
        wall.submeshes[0].doubleSided = 1;
        render::SkinnedModel character;
        ASSERT_TRUE(character.Load(AssetPath(tuning.armors[0].model).c_str()));
        render::LightList lights;
        ASSERT_TRUE(lights.CreateBuffer());
        CollisionWorld greybox;
        greybox.BuildGreybox();
        render::DebugMesh debugMesh;
        ASSERT_TRUE(BuildLevelDebugMesh(debugMesh, greybox, tuning.renderer));
        Effects effects;
        ASSERT_TRUE(effects.Init());
        effects.SpawnTracer(glm::vec3(-1, 0, 0), glm::vec3(1, 0.2f, 0), glm::vec3(1), 1.0f, 0.05f, 1.0f, 0.0f, 0.0f);
        effects.SpawnFlash(glm::vec3(0.0f), glm::vec3(1, 0.5f, 0.1f), 1.0f, 0.5f, 1.0f);
        effects.SpawnBeam(glm::vec3(0, -1, 0), glm::vec3(0, 1, 0), glm::vec3(0.3f, 0.7f, 1), 1.0f, 0.1f, 0.05f, 1.0f);
        HealthBombVolume volume;
        ASSERT_TRUE(volume.Init());
        SpriteSheet sheet;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(sheet.Load(AssetPath("sprites/resources.png"), 6, 2));
        testing::internal::GetCapturedStdout();
        sheet.outline = 1.5f;
        sheet.Queue(glm::vec3(0.0f), 0.7f, 2, 1, glm::vec3(1.0f), 1.0f);
        const glm::mat4 viewProj = LookAtWall(reversed);
        const tune::LightingTuning& lighting = tuning.lighting;
        const render::HitFlash flash = render::HitFlashOf(tuning.shotFeedback);
        const glm::vec4 red(1, 0, 0, 1);
        const GLint normal = reversed ? GL_GREATER : GL_LEQUAL;
        const GLint strict = reversed ? GL_GREATER : GL_LESS;
        const GLint prepass = reversed ? GL_GEQUAL : GL_LEQUAL;
        struct Case {
            const char* draw;
            std::function<void()> run;
            GLint depthFunc;
            bool depthMask;
        };
        const Case cases[] = {
            {"static", [&] { renderer.DrawStatic(wall, glm::mat4(1.0f), viewProj, lighting, nullptr, false, 1.0f); }, normal, true},
            {"static translucent outlined",
             [&] { renderer.DrawStatic(wall, glm::mat4(2.0f), viewProj, lighting, &red, true, 0.5f); }, normal, true},
            {"depth prepass", [&] { renderer.DrawDepthPrepass(wall, glm::mat4(1.0f), viewProj); }, prepass, false},
            {"restore depth", [&] { renderer.RestoreDepthState(); }, normal, true},
            {"debug mesh", [&] { renderer.DrawDebugMesh(debugMesh, viewProj); }, normal, true},
            {"effects", [&] {
                 effects.Draw(viewProj, glm::vec3(0, 0, 3), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
             }, normal, true},
            {"effects in wireframe", [&] {
                 glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
                 effects.Draw(viewProj, glm::vec3(0, 0, 3), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
             }, normal, true},
            {"health-bomb field from outside", [&] {
                 volume.Clear();
                 volume.AddField(glm::vec3(0.0f), 1.0f, glm::vec3(0.3f, 1, 0.4f), 0.1f, 0.6f, 2.0f);
                 volume.Draw(viewProj, glm::vec3(0, 0, 3));
             }, normal, true},
            {"health-bomb field from inside", [&] {
                 volume.Clear();
                 volume.AddField(glm::vec3(0, 0, 2.5f), 2.0f, glm::vec3(0.3f, 1, 0.4f), 0.1f, 0.6f, 2.0f);
                 volume.Draw(viewProj, glm::vec3(0, 0, 3));
             }, normal, true},
            {"sprites", [&] { sheet.Draw(viewProj, glm::vec3(1, 0, 0), glm::vec3(0, 1, 0)); }, normal, true},
            {"character", [&] {
                 renderer.ClearInstances();
                 const std::vector<glm::mat4> joints(character.skeleton.jointNames.size(), glm::mat4(1.0f));
                 const int first = renderer.AddInstances(joints, nullptr);
                 renderer.UploadInstances();
                 renderer.DrawCharacterInstance(character, first, glm::mat4(1.0f), viewProj, lighting, flash, 1.0f);
             }, normal, true},
            {"character faded", [&] { renderer.DrawCharacterFaded(character, 0, glm::mat4(1.0f), viewProj, lighting, flash, 0.4f); },
             strict, true},
            {"character double-sided", [&] {
                 character.doubleSided = 1;
                 renderer.DrawCharacterInstance(character, 0, glm::mat4(1.0f), viewProj, lighting, flash, 0.7f);
                 character.doubleSided = 0;
             }, strict, true},
            {"sky", [&] { renderer.DrawSky(GetSkyPreset(1), SunAngles{10.0f, 20.0f}, viewProj, glm::vec3(0, 0, 3), 1.0f); },
             strict, true},
            {"crosshair", [&] { renderer.DrawCrosshair(320, 240, tuning.renderer.crosshair, 2.0f); }, strict, true},
        };
        const int errorsBefore = rendertest::GlErrorsSoFar();
        renderer.BeginFrame(rendertest::kFrameWidth, rendertest::kFrameHeight, tuning);
        renderer.SetupLights(lights, lighting, glm::vec3(0, 0, 3));
        for (const Case& c : cases) {
            c.run();
            const GlState s = GlState::Read();
            const std::string what = std::string(c.draw) + (reversed ? ", reversed depth" : "");
            EXPECT_EQ(s.depthFunc, c.depthFunc) << what;
            EXPECT_EQ(bool(s.depthMask), c.depthMask) << what;
            EXPECT_TRUE(s.depthTest) << what;
            EXPECT_FALSE(s.blend) << what;
            EXPECT_TRUE(s.cull) << what;
            EXPECT_EQ(s.cullMode, GL_BACK) << what;
            EXPECT_EQ(s.frontFace, GL_CCW) << what;
            EXPECT_EQ(s.polygonMode, GL_FILL) << what;
            EXPECT_TRUE(s.colourMask) << what;
        }
        EXPECT_EQ(rendertest::GlErrorsSoFar(), errorsBefore);
        character.Destroy();
        wall.Destroy();
        lights.Destroy();
        debugMesh.Destroy();
        effects.Destroy();
        volume.Destroy();
        sheet.Destroy();
        renderer.Destroy();
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    }
}

}  // namespace
