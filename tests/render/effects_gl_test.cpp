// The GL side of effects, health-bomb fields, sprite sheets, the debug mesh and the profiler's
// phases: what each makes, grows and releases, and when it draws nothing at all.
#include <glad/gl.h>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <string>
#include <vector>

#include "game/asset_paths.h"
#include "game/collision_world.h"
#include "gl_test_context.h"
#include "render/debug_mesh.h"
#include "render/effects.h"
#include "render/frame_profiler.h"
#include "render/health_bomb_volume.h"
#include "render/sprite_sheet.h"
#include "support/temp_folder.h"

namespace effects_gl_test {

int64_t BufferBytes(uint32_t buffer) {
    GLint64 size = -1;
    glGetNamedBufferParameteri64v(buffer, GL_BUFFER_SIZE, &size);
    return size;
}

// The program in use and the blend switch, to tell that a draw made no GL call.
struct Bindings {
    GLint program = -1;
    GLint vertexArray = -1;
    GLboolean blend = GL_TRUE;
    static Bindings Read() {
        Bindings b;
        glGetIntegerv(GL_CURRENT_PROGRAM, &b.program);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &b.vertexArray);
        b.blend = glIsEnabled(GL_BLEND);
        return b;
    }
};

void ExpectUntouched(const char* what) {
    const Bindings b = Bindings::Read();
    EXPECT_EQ(b.program, 0) << what;
    EXPECT_EQ(b.vertexArray, 0) << what;
    EXPECT_FALSE(b.blend) << what;
}

void Unbind() {
    glUseProgram(0);
    glBindVertexArray(0);
    glDisable(GL_BLEND);
}

TEST(EffectsGl, InitMakesAFirstBufferOf4096VerticesAndGrowsItByTwiceTheNeed) {
    ASSERT_GL_CONTEXT();
    Effects effects;
    ASSERT_TRUE(effects.Init());
    EXPECT_NE(effects.vertexArray, 0u);
    EXPECT_EQ(effects.vertexCapacity, 4096u);
    EXPECT_EQ(BufferBytes(effects.vertexBuffer), 4096 * 28);
    const glm::mat4 viewProj(1.0f);

    // Nothing live: no GL call at all.
    Unbind();
    effects.Draw(viewProj, glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    ExpectUntouched("no effects");

    for (int i = 0; i < 5000; ++i) {
        effects.SpawnTracer(glm::vec3(0.0f, 0.0f, float(i) * 0.01f), glm::vec3(1.0f, 0.0f, float(i) * 0.01f),
                            glm::vec3(1.0f), 1.0f, 0.02f, 1.0f, 0.0f, 0.0f);
    }
    const uint32_t first = effects.vertexBuffer;
    const int errors = rendertest::GlErrorsSoFar();
    effects.Draw(viewProj, glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    EXPECT_EQ(effects.vertices.size(), 30000u);
    EXPECT_EQ(effects.vertexCapacity, 60000u);
    EXPECT_EQ(BufferBytes(effects.vertexBuffer), 60000 * 28);
    EXPECT_FALSE(glIsBuffer(first)) << "the smaller buffer is deleted";
    // A smaller frame reuses the buffer.
    const uint32_t grown = effects.vertexBuffer;
    effects.tracers.resize(10);
    effects.Draw(viewProj, glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    EXPECT_EQ(effects.vertexBuffer, grown);
    EXPECT_EQ(rendertest::GlErrorsSoFar(), errors);

    effects.Clear();
    EXPECT_NE(effects.vertexArray, 0u);
    effects.Destroy();
    EXPECT_EQ(effects.vertexArray, 0u);
    EXPECT_EQ(effects.vertexBuffer, 0u);
    EXPECT_EQ(effects.shader.program, 0u);
    EXPECT_FALSE(glIsBuffer(grown));
}

TEST(EffectsGl, ProgramsThatDoNotBuildLeaveNoGlObjects) {
    ASSERT_GL_CONTEXT();
    testsupport::TempFolder empty;
    Effects effects;
    effects.shadersDirectory = empty.Path();
    HealthBombVolume volume;
    volume.shadersDirectory = empty.Path();
    SpriteSheet sheet;
    sheet.shadersDirectory = empty.Path();
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(effects.Init());
    EXPECT_FALSE(volume.Init());
    EXPECT_FALSE(sheet.Load(AssetPath("sprites/resources.png"), 6, 2));
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "") << "no sheet line when the program fails";
    EXPECT_NE(errors.find("[shader] cannot open " + empty.Path() + "/effects.vert"), std::string::npos) << errors;
    EXPECT_NE(errors.find("[shader] cannot open " + empty.Path() + "/volume.vert"), std::string::npos) << errors;
    EXPECT_NE(errors.find("[shader] cannot open " + empty.Path() + "/sprite.vert"), std::string::npos) << errors;
    EXPECT_EQ(effects.vertexArray, 0u);
    EXPECT_EQ(effects.vertexBuffer, 0u);
    EXPECT_EQ(volume.vertexArray, 0u);
    EXPECT_EQ(volume.vertexBuffer, 0u);
    EXPECT_EQ(volume.indexBuffer, 0u);
    EXPECT_EQ(sheet.texture, 0u);
    EXPECT_EQ(sheet.vertexArray, 0u);
    EXPECT_EQ(sheet.columns, 6);
    EXPECT_EQ(sheet.rows, 2);

    // Fields still queue and sprites still queue; neither draws.
    volume.AddField(glm::vec3(0.0f), 1.0f, glm::vec3(1.0f), 0.2f, 0.5f, 2.0f);
    EXPECT_EQ(volume.fields.size(), 1u);
    sheet.Queue(glm::vec3(0.0f), 1.0f, 0, 0, glm::vec3(1.0f), 1.0f);
    effects.SpawnFlash(glm::vec3(0.0f), glm::vec3(1.0f), 1.0f, 1.0f, 1.0f);
    Unbind();
    volume.Draw(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, 5.0f));
    sheet.Draw(glm::mat4(1.0f), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    effects.Draw(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    ExpectUntouched("nothing built");
}

TEST(EffectsGl, TheVolumeHoldsItsSphereAndDrawsNothingWithAnEmptyQueue) {
    ASSERT_GL_CONTEXT();
    HealthBombVolume volume;
    ASSERT_TRUE(volume.Init());
    EXPECT_EQ(volume.indexCount, 4608u);
    EXPECT_EQ(BufferBytes(volume.vertexBuffer), 825 * 12);
    EXPECT_EQ(BufferBytes(volume.indexBuffer), 4608 * 4);
    GLint element = 0;
    glGetVertexArrayiv(volume.vertexArray, GL_ELEMENT_ARRAY_BUFFER_BINDING, &element);
    EXPECT_EQ(uint32_t(element), volume.indexBuffer);
    Unbind();
    volume.Draw(glm::mat4(1.0f), glm::vec3(0.0f));
    ExpectUntouched("no fields");
    volume.Destroy();
    EXPECT_EQ(volume.vertexArray, 0u);
    EXPECT_EQ(volume.indexBuffer, 0u);
    EXPECT_EQ(volume.shader.program, 0u);
}

// A 64 x 32 sheet of 4 x 2 frames of 16 x 16 texels, each frame one colour.
std::string WriteTestSheet(const std::string& folder) {
    std::vector<uint8_t> pixels(64 * 32 * 4);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = pixels.data() + (y * 64 + x) * 4;
            const int frame = (y / 16) * 4 + x / 16;
            p[0] = uint8_t(30 * frame + 20);
            p[1] = uint8_t(200 - 20 * frame);
            p[2] = uint8_t(frame % 2 ? 230 : 40);
            p[3] = 255;
        }
    }
    const std::string path = folder + "/test_sheet.png";
    stbi_write_png(path.c_str(), 64, 32, 4, pixels.data(), 64 * 4);
    return path;
}

TEST(EffectsGl, SpriteSheetsLoadTheirGridAndGrowTheirBuffer) {
    ASSERT_GL_CONTEXT();
    testsupport::TempFolder folder;
    const std::string path = WriteTestSheet(folder.Path());
    SpriteSheet sheet;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(sheet.Load(path, 0, -3));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[sprites] " + path + " loaded (64x32, 1x1 frames)\n");
    EXPECT_EQ(sheet.columns, 1);
    EXPECT_EQ(sheet.rows, 1);
    sheet.Queue(glm::vec3(0.0f), 1.0f, 1, 0, glm::vec3(1.0f), 1.0f);
    EXPECT_TRUE(sheet.sprites.empty()) << "column 1 of a one-column grid";

    // Loaded again with a grid: the first texture goes.
    const uint32_t firstTexture = sheet.texture;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(sheet.Load(path, 4, 2));
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(glIsTexture(firstTexture));
    EXPECT_EQ(sheet.textureWidth, 64);
    EXPECT_EQ(sheet.textureHeight, 32);
    EXPECT_EQ(sheet.vertexCapacity, 2048u);
    EXPECT_EQ(BufferBytes(sheet.vertexBuffer), 2048 * 52);
    GLint format = 0;
    glGetTextureLevelParameteriv(sheet.texture, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_SRGB8_ALPHA8);

    Unbind();
    sheet.Draw(glm::mat4(1.0f), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    ExpectUntouched("an empty queue");
    for (int i = 0; i < 512; ++i) sheet.Queue(glm::vec3(float(i), 0.0f, 0.0f), 1.0f, i % 4, i % 2, glm::vec3(1.0f), 1.0f);
    const int errors = rendertest::GlErrorsSoFar();
    sheet.Draw(glm::mat4(1.0f), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    EXPECT_EQ(sheet.vertices.size(), 3072u);
    EXPECT_EQ(sheet.vertexCapacity, 6144u);
    EXPECT_EQ(BufferBytes(sheet.vertexBuffer), 6144 * 52);
    EXPECT_EQ(sheet.sprites.size(), 512u) << "drawing keeps the queue";
    EXPECT_EQ(rendertest::GlErrorsSoFar(), errors);
    const uint32_t texture = sheet.texture;
    sheet.Destroy();
    EXPECT_EQ(sheet.texture, 0u);
    EXPECT_EQ(sheet.vertexArray, 0u);
    EXPECT_FALSE(glIsTexture(texture));
}

TEST(EffectsGl, ASheetThatDoesNotDecodeOrFitSaysSoOnStandardOutput) {
    ASSERT_GL_CONTEXT();
    testsupport::TempFolder folder;
    testsupport::WriteTextFile(folder.Path() + "/broken.png", "\x89PNG not really");
    // One texel wider than a texture may be.
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const std::vector<uint8_t> row(size_t(largest + 1) * 4, 200);
    ASSERT_TRUE(stbi_write_png((folder.Path() + "/wide.png").c_str(), largest + 1, 1, 4, row.data(), (largest + 1) * 4));
    for (const std::string& path :
         {folder.Path() + "/missing.png", folder.Path() + "/broken.png", folder.Path() + "/wide.png"}) {
        SpriteSheet sheet;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(sheet.Load(path, 2, 2));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "[sprites] could not load " + path + "\n");
        EXPECT_EQ(sheet.texture, 0u);
        EXPECT_EQ(sheet.shader.program, 0u);
        EXPECT_EQ(sheet.columns, 2);
        EXPECT_EQ(sheet.textureWidth, 1);
    }
}

TEST(EffectsGl, DebugMeshesHoldLinesThenTrianglesAndRebuildCleanly) {
    ASSERT_GL_CONTEXT();
    CollisionWorld world;
    world.BuildGreybox();
    render::DebugMesh mesh;
    ASSERT_TRUE(BuildLevelDebugMesh(mesh, world, tune::RendererTuning{}));
    EXPECT_EQ(mesh.lineVertexCount, 164);
    EXPECT_EQ(mesh.triangleVertexCount, int32_t(6 + 36 * world.boxes.size()));
    EXPECT_EQ(BufferBytes(mesh.vertexBuffer), int64_t(mesh.lineVertexCount + mesh.triangleVertexCount) * 28);
    GLint flags = -1;
    glGetNamedBufferParameteriv(mesh.vertexBuffer, GL_BUFFER_STORAGE_FLAGS, &flags);
    EXPECT_EQ(flags, 0);
    std::vector<render::DebugVertex> stored(size_t(mesh.lineVertexCount + mesh.triangleVertexCount));
    glGetNamedBufferSubData(mesh.vertexBuffer, 0, GLsizeiptr(stored.size() * 28), stored.data());
    EXPECT_EQ(stored[0].position[0], -40.0f);          // the first grid line
    EXPECT_EQ(stored[164].colour[0], 74);              // then the floor plate

    // Built again (the grid off): the old objects go.
    const uint32_t oldArray = mesh.vertexArray, oldBuffer = mesh.vertexBuffer;
    tune::RendererTuning noGrid;
    noGrid.debugGrid = 0;
    ASSERT_TRUE(BuildLevelDebugMesh(mesh, CollisionWorld{}, noGrid));
    EXPECT_FALSE(glIsVertexArray(oldArray));
    EXPECT_FALSE(glIsBuffer(oldBuffer));
    EXPECT_EQ(mesh.lineVertexCount, 0);
    EXPECT_EQ(mesh.triangleVertexCount, 6);
    mesh.Destroy();
    EXPECT_EQ(mesh.vertexArray, 0u);
    EXPECT_EQ(mesh.vertexBuffer, 0u);
    mesh.Draw();  // nothing left to draw
}

TEST(EffectsGl, PhaseTimingWaitsForTheGpuAndCountsEachPhase) {
    ASSERT_GL_CONTEXT();
    FrameProfiler profiler;
    profiler.enabled = 1;
    profiler.phases = 1;
    profiler.Start();
    profiler.BeginPhase(3);
    EXPECT_EQ(profiler.currentPhase, 3u);
    glClear(GL_COLOR_BUFFER_BIT);
    profiler.EndPhase();
    EXPECT_EQ(profiler.currentPhase, FrameProfiler::kNoPhase);
    EXPECT_GT(profiler.phaseTotals[3], 0.0);
    // Begun twice, a phase restarts: the first, long-looking interval is lost.
    profiler.BeginPhase(1);
    profiler.phaseStart -= 1000.0;
    profiler.BeginPhase(1);
    profiler.EndPhase();
    EXPECT_LT(profiler.phaseTotals[1], 1000.0);
    EXPECT_GE(profiler.phaseTotals[1], 0.0);
    for (const uint32_t other : {0u, 2u, 4u, 5u, 6u}) EXPECT_EQ(profiler.phaseTotals[other], 0.0);
}

}  // namespace effects_gl_test
