#include "render/renderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/asset_paths.h"
#include "gl_test_context.h"
#include "support/temp_folder.h"

namespace {

GLint Integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLint BufferSize(uint32_t buffer) {
    GLint size = 0;
    glGetNamedBufferParameteriv(buffer, GL_BUFFER_SIZE, &size);
    return size;
}

TEST(RendererSetup, ClearedFrameReadsTheSrgbClearColour) {
    ASSERT_GL_CONTEXT();
    const tune::Tuning tuning;
    render::Renderer renderer;
    ASSERT_TRUE(renderer.Init(tuning));
    renderer.BeginFrame(rendertest::kFrameWidth, rendertest::kFrameHeight, tuning);
    const rendertest::Frame frame = rendertest::ReadFrame();
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{160, 120}, std::pair{319, 239}}) {
        const uint8_t* p = frame.At(x, y);
        EXPECT_EQ(p[0], 66);
        EXPECT_EQ(p[1], 70);
        EXPECT_EQ(p[2], 79);
    }
    renderer.Destroy();
}

TEST(RendererSetup, DepthConventionFollowsTheReversedDepthFlag) {
    ASSERT_GL_CONTEXT();
    struct Case {
        uint8_t reversed;
        GLint depthFunc;
        float clearDepth;
        GLint clipDepth;
    };
    for (const Case& c : {Case{1, GL_GREATER, 0.0f, GL_ZERO_TO_ONE}, Case{0, GL_LEQUAL, 1.0f, -1}}) {
        glClipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
        tune::Tuning tuning;
        tuning.camera.reversedDepth = c.reversed;
        render::Renderer renderer;
        ASSERT_TRUE(renderer.Init(tuning));
        EXPECT_EQ(renderer.reversedDepth, c.reversed);
        EXPECT_EQ(Integer(GL_DEPTH_FUNC), c.depthFunc);
        GLfloat clear = -1.0f;
        glGetFloatv(GL_DEPTH_CLEAR_VALUE, &clear);
        EXPECT_EQ(clear, c.clearDepth);
        EXPECT_EQ(Integer(GL_CLIP_DEPTH_MODE), c.clipDepth == -1 ? GL_NEGATIVE_ONE_TO_ONE : c.clipDepth);
        EXPECT_TRUE(glIsEnabled(GL_FRAMEBUFFER_SRGB));
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        renderer.Destroy();
    }
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
}

TEST(RendererSetup, MultisampleAndWireframeFollowTheFrame) {
    ASSERT_GL_CONTEXT();
    tune::Tuning tuning;
    render::Renderer renderer;
    ASSERT_TRUE(renderer.Init(tuning));
    glDisable(GL_MULTISAMPLE);
    tuning.loop.multisampleSamples = 0;
    renderer.BeginFrame(64, 64, tuning);
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
    tuning.loop.multisampleSamples = 4;
    renderer.BeginFrame(64, 64, tuning);
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));
    tuning.loop.multisampleSamples = 0;
    renderer.BeginFrame(64, 64, tuning);
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));  // never switched off again

    GLint mode[2] = {0, 0};
    renderer.SetWireframe(true);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);  // not before the next frame
    renderer.BeginFrame(64, 64, tuning);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    renderer.SetWireframe(false);
    renderer.BeginFrame(64, 64, tuning);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    renderer.Destroy();
}

TEST(RendererSetup, InstanceBuffersGrowToTwiceTheNeed) {
    ASSERT_GL_CONTEXT();
    render::Renderer renderer;
    ASSERT_TRUE(renderer.Init(tune::Tuning{}));
    EXPECT_EQ(renderer.instanceCapacity, 256u);
    EXPECT_EQ(BufferSize(renderer.instanceTransformBuffer), 256 * 64);
    const uint32_t transforms = renderer.instanceTransformBuffer;
    renderer.EnsureInstanceCapacity(256);
    EXPECT_EQ(renderer.instanceTransformBuffer, transforms);

    renderer.ClearInstances();
    const std::vector<glm::mat4> joints(200, glm::mat4(1.0f));
    const std::vector<float> values(57, 0.5f);
    EXPECT_EQ(renderer.AddInstances(joints, nullptr), 0);
    EXPECT_EQ(renderer.AddInstances(std::vector<glm::mat4>(57, glm::mat4(2.0f)), &values), 200);
    renderer.UploadInstances();
    EXPECT_EQ(renderer.instanceCapacity, 514u);
    EXPECT_EQ(BufferSize(renderer.instanceTransformBuffer), 514 * 64);
    EXPECT_EQ(BufferSize(renderer.instanceValueBuffer), 514 * 4);
    float uploaded[2] = {0.0f, 0.0f};
    glGetNamedBufferSubData(renderer.instanceValueBuffer, 199 * 4, 8, uploaded);
    EXPECT_EQ(uploaded[0], 0.0f);
    EXPECT_EQ(uploaded[1], 0.5f);
    GLint bound = 0;
    glGetIntegeri_v(GL_SHADER_STORAGE_BUFFER_BINDING, 2, &bound);
    EXPECT_EQ(uint32_t(bound), renderer.instanceValueBuffer);
    renderer.Destroy();
    EXPECT_EQ(renderer.instanceTransformBuffer, 0u);
    EXPECT_EQ(renderer.crosshairVertexArray, 0u);
}

TEST(RendererSetup, InstanceValuesFollowTheirTransforms) {
    render::Renderer renderer;
    const std::vector<glm::mat4> three(3, glm::mat4(1.0f));
    const std::vector<float> two = {1.0f, 2.0f};
    const std::vector<float> three_values = {3.0f, 4.0f, 5.0f};
    EXPECT_EQ(renderer.AddInstances({}, nullptr), -1);
    EXPECT_EQ(renderer.AddInstances(three, &two), 0);
    EXPECT_EQ(renderer.instanceValues, std::vector<float>(3, 0.0f));
    EXPECT_EQ(renderer.AddInstances(three, &three_values), 3);
    EXPECT_EQ(renderer.instanceValues, (std::vector<float>{0, 0, 0, 3, 4, 5}));
    renderer.SetInstanceValues(-1, two);
    renderer.SetInstanceValues(5, two);  // one past the end
    EXPECT_EQ(renderer.instanceValues, (std::vector<float>{0, 0, 0, 3, 4, 5}));
    renderer.SetInstanceValues(4, two);
    EXPECT_EQ(renderer.instanceValues, (std::vector<float>{0, 0, 0, 3, 1, 2}));
    renderer.ClearInstances();
    EXPECT_TRUE(renderer.instanceTransforms.empty());
    EXPECT_TRUE(renderer.instanceValues.empty());
}

TEST(RendererSetup, MissingProgramFilesFailInitWhereTheyShould) {
    ASSERT_GL_CONTEXT();
    struct Case {
        const char* missing;
        int programsBuilt;  // of skinned, debug, crosshair, static, depth-only, sky, in load order
    };
    for (const Case& c : {Case{"sky.frag", 5}, Case{"skinned.vert", 0}}) {
        testsupport::TempFolder folder;
        std::filesystem::copy(ShadersDir(), folder.Path(), std::filesystem::copy_options::recursive);
        std::filesystem::remove(folder.Path() + "/" + c.missing);
        render::Renderer renderer;
        renderer.shadersDirectory = folder.Path();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(renderer.Init(tune::Tuning{}));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "[shader] cannot open " + folder.Path() + "/" + c.missing + "\n");
        const render::Shader* order[] = {&renderer.skinnedProgram, &renderer.debugProgram, &renderer.crosshairProgram,
                                         &renderer.staticProgram,  &renderer.depthOnlyProgram, &renderer.skyProgram};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(order[i]->program != 0, i < c.programsBuilt) << c.missing << " " << i;
        renderer.Destroy();
    }
}

TEST(RendererSetup, ReloadRebuildsEveryProgramButTheSky) {
    ASSERT_GL_CONTEXT();
    render::Renderer renderer;
    ASSERT_TRUE(renderer.Init(tune::Tuning{}));
    const uint32_t sky = renderer.skyProgram.program;
    const uint32_t skinned = renderer.skinnedProgram.program;
    EXPECT_TRUE(renderer.ReloadShaders());
    EXPECT_EQ(renderer.skyProgram.program, sky);
    EXPECT_NE(renderer.skinnedProgram.program, skinned);
    renderer.Destroy();
}

}  // namespace
