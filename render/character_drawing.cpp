#include <glad/gl.h>

#include <glm/gtc/type_ptr.hpp>

#include "render/renderer.h"
#include "render/skinned_model.h"

namespace render {

namespace {

// Each submesh binds its own texture, else the model's albedo, else white: never the previous
// submesh's.
void DrawSkinnedSubmeshes(const SkinnedModel& model, uint32_t whiteTexture) {
    for (const SkinnedSubmesh& submesh : model.submeshes) {
        const uint32_t texture = submesh.texture != 0 ? submesh.texture
                                 : model.albedoTexture != 0 ? model.albedoTexture
                                                            : whiteTexture;
        glBindTextureUnit(0, texture);
        glDrawElements(GL_TRIANGLES, GLsizei(submesh.indexCount), GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(uintptr_t(submesh.firstIndex) * 4));
    }
}

}  // namespace

void Renderer::ClearInstances() {
    instanceTransforms.clear();
    instanceValues.clear();
}

int Renderer::AddInstances(const std::vector<glm::mat4>& transforms, const std::vector<float>* values) {
    if (transforms.empty()) return -1;
    const int first = int(instanceTransforms.size());
    instanceTransforms.insert(instanceTransforms.end(), transforms.begin(), transforms.end());
    if (values && values->size() == transforms.size()) {
        instanceValues.insert(instanceValues.end(), values->begin(), values->end());
    }
    instanceValues.resize(instanceTransforms.size(), 0.0f);
    return first;
}

void Renderer::SetInstanceValues(int first, const std::vector<float>& values) {
    if (first < 0 || size_t(first) + values.size() > instanceValues.size()) return;
    std::copy(values.begin(), values.end(), instanceValues.begin() + first);
}

void Renderer::UploadInstances() {
    if (instanceTransforms.empty()) return;
    EnsureInstanceCapacity(instanceTransforms.size());
    glNamedBufferSubData(instanceTransformBuffer, 0, GLsizeiptr(instanceTransforms.size() * 64),
                         instanceTransforms.data());
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, instanceTransformBuffer);
    glNamedBufferSubData(instanceValueBuffer, 0, GLsizeiptr(instanceValues.size() * 4), instanceValues.data());
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 2, instanceValueBuffer);
}

void Renderer::DrawCharacterInstance(const SkinnedModel& model, int boneOffset, const glm::mat4& modelMatrix,
                                     const glm::mat4& viewProj, const tune::LightingTuning& lighting,
                                     const HitFlash& hitFlash, float opacity) {
    if (boneOffset < 0 || !(opacity > 0.0f)) return;
    const bool translucent = opacity < 1.0f;
    if (translucent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
    }
    Shader& program = skinnedProgram;
    program.Use();
    program.SetFloat("uOpacity", opacity);
    program.SetMat4("uModel", glm::value_ptr(modelMatrix));
    program.SetMat4("uViewProj", glm::value_ptr(viewProj));
    program.SetInt("uBoneOffset", boneOffset);
    program.SetInt("uAlbedo", 0);
    program.SetFloat("uLightBoost", model.unlit ? lighting.unlitLightBoost : 1.0f);
    program.SetFloat("uAlphaCutoff", model.alphaCutoff);
    program.SetVec3("uHitColor", glm::value_ptr(hitFlash.colour));
    program.SetFloat("uHitStrength", hitFlash.strength);
    glBindTextureUnit(0, model.albedoTexture);
    glBindVertexArray(model.vertexArray);
    if (outlineEnabled && outlineWidth > 0.0f) {
        const uint32_t white = whiteTexture;
        DrawOutlinePass(program, [&model, white] { DrawSkinnedSubmeshes(model, white); });
    }
    if (model.doubleSided) {
        glDisable(GL_CULL_FACE);
        DrawSkinnedSubmeshes(model, whiteTexture);
        glEnable(GL_CULL_FACE);
    } else {
        DrawSkinnedSubmeshes(model, whiteTexture);
    }
    if (translucent) {
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }
}

void Renderer::DrawCharacterFaded(const SkinnedModel& model, int boneOffset, const glm::mat4& modelMatrix,
                                  const glm::mat4& viewProj, const tune::LightingTuning& lighting,
                                  const HitFlash& hitFlash, float opacity) {
    if (boneOffset < 0 || !(opacity > 0.0f)) return;
    if (opacity >= 1.0f) {
        DrawCharacterInstance(model, boneOffset, modelMatrix, viewProj, lighting, hitFlash, 1.0f);
        return;
    }
    const uint8_t savedEnabled = outlineEnabled;
    const float savedWidth = outlineWidth;
    const float savedColour[3] = {outlineColour[0], outlineColour[1], outlineColour[2]};
    outlineEnabled = 0;
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    DrawCharacterInstance(model, boneOffset, modelMatrix, viewProj, lighting, hitFlash, 1.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    outlineEnabled = savedEnabled;
    outlineWidth = savedWidth;
    for (int c = 0; c < 3; ++c) outlineColour[c] = savedColour[c];
    glDepthFunc(reversedDepth ? GL_GEQUAL : GL_LEQUAL);
    DrawCharacterInstance(model, boneOffset, modelMatrix, viewProj, lighting, hitFlash, opacity);
    glDepthFunc(reversedDepth ? GL_GREATER : GL_LESS);
}

}  // namespace render
