#include "ui/icon_camera.h"

#include <algorithm>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/vec4.hpp>

namespace {

// About five radii away, seen from the front right and above.
constexpr glm::vec3 kEyeDirection(2.2425847f, 1.8348418f, 4.0774264f);
constexpr float kFieldOfView = 0.418879f;  // 24 degrees
constexpr float kNearRadii = 0.2501062f;
constexpr float kFarRadii = 15.006371f;
constexpr float kFilledSpan = 1.8f;  // of the clip square's 2
constexpr float kMaxZoom = 4.0f;

glm::vec3 BoxCorner(const glm::vec3& lo, const glm::vec3& hi, int corner) {
    return glm::vec3((corner & 1) ? hi.x : lo.x, (corner & 2) ? hi.y : lo.y, (corner & 4) ? hi.z : lo.z);
}

}  // namespace

IconCamera FitIconCamera(const glm::vec3& localMin, const glm::vec3& localMax, const glm::mat4& model,
                         bool reversedDepth) {
    glm::vec3 corners[8];
    glm::vec3 lo(0.0f), hi(0.0f);
    for (int i = 0; i < 8; ++i) {
        corners[i] = glm::vec3(model * glm::vec4(BoxCorner(localMin, localMax, i), 1.0f));
        lo = i == 0 ? corners[i] : glm::min(lo, corners[i]);
        hi = i == 0 ? corners[i] : glm::max(hi, corners[i]);
    }
    IconCamera camera;
    camera.centre = (lo + hi) * 0.5f;
    camera.radius = std::max(glm::length(hi - lo) * 0.5f, 0.0001f);
    const float r = camera.radius;
    camera.eye = camera.centre + r * kEyeDirection;
    const glm::mat4 view = glm::lookAt(camera.eye, camera.centre, glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::mat4 projection = reversedDepth
                                     ? glm::perspectiveRH_ZO(kFieldOfView, 1.0f, kFarRadii * r, kNearRadii * r)
                                     : glm::perspectiveRH_ZO(kFieldOfView, 1.0f, kNearRadii * r, kFarRadii * r);
    const glm::mat4 viewProj = projection * view;

    float xMin = 0.0f, xMax = 0.0f, yMin = 0.0f, yMax = 0.0f;
    bool any = false;
    for (const glm::vec3& corner : corners) {
        const glm::vec4 clip = viewProj * glm::vec4(corner, 1.0f);
        if (!(clip.w > 1e-6f)) continue;
        const float x = std::clamp(clip.x / clip.w, -1.0f, 1.0f);
        const float y = std::clamp(clip.y / clip.w, -1.0f, 1.0f);
        xMin = any ? std::min(xMin, x) : x;
        xMax = any ? std::max(xMax, x) : x;
        yMin = any ? std::min(yMin, y) : y;
        yMax = any ? std::max(yMax, y) : y;
        any = true;
    }
    const float extent = std::max(xMax - xMin, yMax - yMin);
    const float s = extent <= 0.001f ? 1.0f : std::min(kFilledSpan / extent, kMaxZoom);
    camera.zoom = s;
    // Scales clip x and y and shifts them by a multiple of w, so the shift survives the divide.
    glm::mat4 fit(1.0f);
    fit[0][0] = s;
    fit[1][1] = s;
    fit[3][0] = -(xMin + xMax) * 0.5f * s;
    fit[3][1] = -(yMin + yMax) * 0.5f * s;
    camera.viewProj = fit * viewProj;
    return camera;
}

float IconOutlineWidth(const IconCamera& camera) { return 2.0f * camera.radius / camera.zoom * 0.01171875f; }
