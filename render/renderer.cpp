#include "render/renderer.h"

#include <glad/gl.h>

#include "game/asset_paths.h"

namespace render {

HitFlash HitFlashOf(const tune::ShotFeedbackTuning& shotFeedback) {
    HitFlash flash;
    flash.colour = glm::vec3(shotFeedback.hitFlashColour[0], shotFeedback.hitFlashColour[1],
                             shotFeedback.hitFlashColour[2]);
    flash.strength = shotFeedback.hitFlashStrength;
    return flash;
}

std::string Renderer::ShaderFile(const char* name) const {
    return shadersDirectory.empty() ? ShaderPath(name) : JoinPath(shadersDirectory, name);
}

bool Renderer::Init(const tune::Tuning& tuning) {
    struct ProgramFiles {
        Shader* program;
        const char* vertex;
        const char* fragment;
    };
    const ProgramFiles programs[] = {
        {&skinnedProgram, "skinned.vert", "skinned.frag"},     {&debugProgram, "debug.vert", "debug.frag"},
        {&crosshairProgram, "crosshair.vert", "crosshair.frag"}, {&staticProgram, "static.vert", "static.frag"},
        {&depthOnlyProgram, "static.vert", "depthonly.frag"},  {&skyProgram, "sky.vert", "sky.frag"},
    };
    for (const ProgramFiles& files : programs) {
        if (!files.program->Load(ShaderFile(files.vertex).c_str(), ShaderFile(files.fragment).c_str())) return false;
    }
    glCreateVertexArrays(1, &skyVertexArray);
    reversedDepth = tuning.camera.reversedDepth;

    glCreateVertexArrays(1, &crosshairVertexArray);
    crosshairCapacity = 256;
    glCreateBuffers(1, &crosshairVertexBuffer);
    glNamedBufferStorage(crosshairVertexBuffer, GLsizeiptr(crosshairCapacity * sizeof(CrosshairVertex)), nullptr,
                         GL_DYNAMIC_STORAGE_BIT);
    glVertexArrayVertexBuffer(crosshairVertexArray, 0, crosshairVertexBuffer, 0, sizeof(CrosshairVertex));
    glEnableVertexArrayAttrib(crosshairVertexArray, 0);
    glVertexArrayAttribFormat(crosshairVertexArray, 0, 2, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribBinding(crosshairVertexArray, 0, 0);
    glEnableVertexArrayAttrib(crosshairVertexArray, 1);
    glVertexArrayAttribFormat(crosshairVertexArray, 1, 4, GL_UNSIGNED_BYTE, GL_TRUE, 8);
    glVertexArrayAttribBinding(crosshairVertexArray, 1, 0);

    EnsureInstanceCapacity(128);

    const uint8_t white[4] = {255, 255, 255, 255};
    glCreateTextures(GL_TEXTURE_2D, 1, &whiteTexture);
    glTextureStorage2D(whiteTexture, 1, GL_SRGB8_ALPHA8, 1, 1);
    glTextureSubImage2D(whiteTexture, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, white);

    glEnable(GL_FRAMEBUFFER_SRGB);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_DEPTH_TEST);
    if (reversedDepth) {
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
        glDepthFunc(GL_GREATER);
        glClearDepth(0.0);
    } else {
        glDepthFunc(GL_LEQUAL);
        glClearDepth(1.0);
    }
    return true;
}

bool Renderer::ReloadShaders() {
    bool all = true;
    for (Shader* program : {&skinnedProgram, &debugProgram, &crosshairProgram, &staticProgram, &depthOnlyProgram}) {
        all = program->Build() && all;
    }
    return all;
}

void Renderer::Destroy() {
    for (Shader* program : {&skinnedProgram, &staticProgram, &depthOnlyProgram, &debugProgram, &crosshairProgram}) {
        program->Destroy();
    }
    if (instanceTransformBuffer != 0) glDeleteBuffers(1, &instanceTransformBuffer);
    if (instanceValueBuffer != 0) glDeleteBuffers(1, &instanceValueBuffer);
    instanceTransformBuffer = instanceValueBuffer = 0;
    instanceCapacity = 0;
    if (crosshairVertexBuffer != 0) glDeleteBuffers(1, &crosshairVertexBuffer);
    if (crosshairVertexArray != 0) glDeleteVertexArrays(1, &crosshairVertexArray);
    crosshairVertexBuffer = crosshairVertexArray = 0;
    crosshairCapacity = 0;
    // The sky goes too: a renderer may be destroyed long before its context.
    skyProgram.Destroy();
    if (skyVertexArray != 0) glDeleteVertexArrays(1, &skyVertexArray);
    skyVertexArray = 0;
    if (whiteTexture != 0) glDeleteTextures(1, &whiteTexture);
    whiteTexture = 0;
}

void Renderer::BeginFrame(int width, int height, const tune::Tuning& tuning) {
    glViewport(0, 0, width, height);
    const float* clear = tuning.renderer.clearColour;
    glClearColor(clear[0], clear[1], clear[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (tuning.loop.multisampleSamples > 0) glEnable(GL_MULTISAMPLE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
}

void Renderer::RestoreDepthState() {
    glDepthMask(GL_TRUE);
    glDepthFunc(reversedDepth ? GL_GREATER : GL_LEQUAL);
}

void Renderer::SetWireframe(bool on) { wireframe = on ? 1 : 0; }

void Renderer::SetupLights(LightList& list, const tune::LightingTuning& lighting, const glm::vec3& cameraPosition) {
    list.Upload(lighting, cameraPosition);
    list.Bind();
    lightCullEntries = list.cullEntries;
}

void Renderer::EnsureInstanceCapacity(uint64_t n) {
    if (n > instanceCapacity) {
        if (instanceTransformBuffer != 0) glDeleteBuffers(1, &instanceTransformBuffer);
        instanceTransformBuffer = 0;
    } else if (instanceTransformBuffer != 0) {
        return;
    }
    if (instanceValueBuffer != 0) glDeleteBuffers(1, &instanceValueBuffer);
    instanceCapacity = n < 128 ? 128 : 2 * n;
    glCreateBuffers(1, &instanceTransformBuffer);
    glNamedBufferStorage(instanceTransformBuffer, GLsizeiptr(instanceCapacity * 64), nullptr, GL_DYNAMIC_STORAGE_BIT);
    glCreateBuffers(1, &instanceValueBuffer);
    glNamedBufferStorage(instanceValueBuffer, GLsizeiptr(instanceCapacity * 4), nullptr, GL_DYNAMIC_STORAGE_BIT);
}

}  // namespace render
