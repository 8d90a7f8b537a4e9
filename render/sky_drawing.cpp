#include <glad/gl.h>

#include <cmath>

#include <glm/gtc/type_ptr.hpp>
#include <glm/mat4x4.hpp>

#include "render/renderer.h"

namespace render {

void Renderer::DrawSky(const tune::SkyTuning& sky, const SunAngles& sun, const glm::mat4& viewProj,
                       const glm::vec3& cameraPosition, float time) {
    Shader& program = skyProgram;
    program.Use();
    const glm::mat4 inverse = glm::inverse(viewProj);
    program.SetMat4("uInverseViewProj", glm::value_ptr(inverse));
    program.SetFloat("uFarDepth", reversedDepth ? 0.0f : 1.0f);
    program.SetVec3("uHorizon", sky.horizon);
    program.SetVec3("uMiddle", sky.middle);
    program.SetVec3("uZenith", sky.zenith);
    program.SetFloat("uHorizonFalloff", sky.horizonFalloff);
    program.SetFloat("uZenithFalloff", sky.zenithFalloff);
    const glm::vec3 toSun = SunDirection(sun);
    program.SetVec3("uToSun", glm::value_ptr(toSun));
    program.SetVec3("uSunColor", sky.sunColor);
    program.SetFloat("uSunCos", std::cos(sky.sunSizeDegrees * 0.0174533f));
    program.SetFloat("uSunEdge", sky.sunEdge);
    program.SetVec3("uSunGlowColor", sky.sunGlowColor);
    program.SetFloat("uSunGlowCos", std::cos(sky.sunGlowDegrees * 0.0174533f));
    program.SetFloat("uSunGlowStrength", sky.sunGlowStrength);

    program.SetInt("uCloudsOn", sky.clouds ? 1 : 0);
    program.SetVec3("uCloudColor", sky.cloudColor);
    program.SetVec3("uCloudSunColor", sky.cloudSunColor);
    program.SetFloat("uCloudCellMetres", sky.cloudCellMetres);
    program.SetFloat("uCloudBankMetres", sky.cloudBankMetres);
    program.SetFloat("uCloudCoverage", sky.cloudCoverage);
    program.SetFloat("uCloudContrast", sky.cloudContrast);
    program.SetFloat("uCloudAltitude", sky.cloudAltitude);
    program.SetFloat("uCloudThickness", sky.cloudThickness);
    const float offset[3] = {sky.cloudDrift[0] * time, sky.cloudDrift[1] * time, sky.cloudDrift[2] * time};
    program.SetVec3("uCloudOffset", offset);
    program.SetFloat("uCloudHorizonFade", sky.cloudHorizonFade);
    program.SetFloat("uCloudUnderside", sky.cloudUnderside);
    program.SetFloat("uCloudSideLift", sky.cloudSideLift);
    program.SetFloat("uCloudSunLight", sky.cloudSunLight);
    program.SetFloat("uCloudUnderLight", sky.cloudUnderLight);
    program.SetFloat("uCloudDepth", sky.cloudDepth);

    program.SetVec3("uCameraPosition", glm::value_ptr(cameraPosition));
    program.SetFloat("uSunHeight", SunHeight(sun));
    program.SetFloat("uDuskLift", sky.duskLift);

    glDepthMask(GL_FALSE);
    glDepthFunc(reversedDepth ? GL_GEQUAL : GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    glBindVertexArray(skyVertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glDepthFunc(reversedDepth ? GL_GREATER : GL_LESS);
}

}  // namespace render
