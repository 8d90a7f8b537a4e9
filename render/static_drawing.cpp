#include <glad/gl.h>

#include <glm/gtc/type_ptr.hpp>

#include "render/renderer.h"
#include "render/static_model.h"

namespace render {

namespace {

bool IsDegenerate(const StaticSubmesh& submesh) { return submesh.boxMin == submesh.boxMax; }

// The axis-aligned box around the eight corners of a box moved by the matrix (w = 1, no division).
void TransformBox(const glm::mat4& m, const glm::vec3& lo, const glm::vec3& hi, glm::vec3& outMin, glm::vec3& outMax) {
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p((corner & 1) ? hi.x : lo.x, (corner & 2) ? hi.y : lo.y, (corner & 4) ? hi.z : lo.z);
        const glm::vec3 moved = glm::vec3(m * glm::vec4(p, 1.0f));
        outMin = corner == 0 ? moved : glm::min(outMin, moved);
        outMax = corner == 0 ? moved : glm::max(outMax, moved);
    }
}

void DrawIndexed(uint32_t firstIndex, uint32_t indexCount) {
    glDrawElements(GL_TRIANGLES, GLsizei(indexCount), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(uintptr_t(firstIndex) * 4));
}

// Face culling follows each submesh's sidedness, switched only where it changes.
struct CullTracker {
    bool on = true;
    void Follow(bool doubleSided) {
        if (doubleSided && on) {
            glDisable(GL_CULL_FACE);
            on = false;
        } else if (!doubleSided && !on) {
            glEnable(GL_CULL_FACE);
            on = true;
        }
    }
    void End() {
        if (!on) glEnable(GL_CULL_FACE);
        on = true;
    }
};

}  // namespace

void Renderer::DrawOutlinePass(Shader& program, const std::function<void()>& drawGeometry) {
    program.SetInt("uOutlinePass", 1);
    program.SetFloat("uOutline", outlineWidth);
    program.SetVec3("uOutlineColor", outlineColour);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    drawGeometry();
    glCullFace(GL_BACK);
    program.SetInt("uOutlinePass", 0);
    program.SetFloat("uOutline", 0.0f);
}

void Renderer::DrawStatic(const StaticModel& model, const glm::mat4& modelMatrix, const glm::mat4& viewProj,
                          const tune::LightingTuning& lighting, const glm::vec4* colourOverride, bool outline,
                          float opacity) {
    if (model.submeshes.empty() || !(opacity > 0.0f)) return;
    const bool translucent = opacity < 1.0f;
    if (translucent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
    }
    Shader& program = staticProgram;
    program.Use();
    program.SetFloat("uOpacity", opacity);
    program.SetMat4("uModel", glm::value_ptr(modelMatrix));
    program.SetMat4("uViewProj", glm::value_ptr(viewProj));
    program.SetFloat("uGloss", lighting.gloss);
    program.SetFloat("uSpecular", lighting.specular);
    program.SetFloat("uRim", lighting.rim);
    glBindVertexArray(model.vertexArray);

    if (outline && outlineEnabled && outlineWidth > 0.0f) {
        DrawOutlinePass(program, [&model] {
            for (const StaticSubmesh& submesh : model.submeshes) DrawIndexed(submesh.firstIndex, submesh.indexCount);
        });
    }

    const Frustum frustum = ExtractFrustum(viewProj);
    submeshesDrawn = 0;
    submeshesTotal = uint32_t(model.submeshes.size());
    const bool transformed = modelMatrix != glm::mat4(1.0f);
    CullTracker culling;
    int32_t lightList[kMaxSubmeshLights];
    for (const StaticSubmesh& submesh : model.submeshes) {
        const bool degenerate = IsDegenerate(submesh);
        if (!degenerate) {
            glm::vec3 lo = submesh.boxMin;
            glm::vec3 hi = submesh.boxMax;
            if (transformed) TransformBox(modelMatrix, submesh.boxMin, submesh.boxMax, lo, hi);
            if (!BoxInFrustum(frustum, lo, hi)) continue;
        }
        ++submeshesDrawn;
        int lightCount = -1;
        if (perSubmeshLightLists && !transformed && !degenerate) {
            lightCount = TouchingLights(lightCullEntries, submesh.boxMin, submesh.boxMax, lightList);
            if (lightCount > 0) program.SetIntArray("uLightList", lightList, lightCount);
        }
        program.SetInt("uLightListCount", lightCount);

        if (colourOverride) {
            program.SetVec4("uBaseColor", glm::value_ptr(*colourOverride));
            program.SetInt("uHasTexture", 0);
            const float none[3] = {0.0f, 0.0f, 0.0f};
            program.SetVec3("uEmissive", none);
            program.SetFloat("uLightBoost", 1.0f);
            program.SetInt("uAlphaBlend", 0);
            program.SetInt("uAlbedo", 0);
        } else {
            program.SetVec4("uBaseColor", glm::value_ptr(submesh.baseColour));
            program.SetInt("uHasTexture", submesh.texture != 0 ? 1 : 0);
            program.SetVec3("uEmissive", glm::value_ptr(submesh.emissive));
            program.SetFloat("uLightBoost", submesh.unlit ? lighting.unlitLightBoost : 1.0f);
            program.SetInt("uAlphaBlend", submesh.alphaBlend);
            program.SetInt("uAlbedo", 0);
            if (submesh.texture != 0) glBindTextureUnit(0, submesh.texture);
        }
        culling.Follow(submesh.doubleSided != 0);
        DrawIndexed(submesh.firstIndex, submesh.indexCount);
    }
    culling.End();
    if (translucent) {
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }
}

void Renderer::DrawDepthPrepass(const StaticModel& model, const glm::mat4& modelMatrix, const glm::mat4& viewProj) {
    if (model.submeshes.empty()) return;
    Shader& program = depthOnlyProgram;
    program.Use();
    program.SetMat4("uModel", glm::value_ptr(modelMatrix));
    program.SetMat4("uViewProj", glm::value_ptr(viewProj));
    program.SetFloat("uOutline", 0.0f);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    const Frustum frustum = ExtractFrustum(viewProj);
    glBindVertexArray(model.vertexArray);
    CullTracker culling;
    for (const StaticSubmesh& submesh : model.submeshes) {
        if (!IsDegenerate(submesh) && !BoxInFrustum(frustum, submesh.boxMin, submesh.boxMax)) continue;
        culling.Follow(submesh.doubleSided != 0);
        DrawIndexed(submesh.firstIndex, submesh.indexCount);
    }
    culling.End();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_FALSE);
    glDepthFunc(reversedDepth ? GL_GEQUAL : GL_LEQUAL);
}

}  // namespace render
