#include <cmath>

#include "render/renderer.h"

namespace render {

Frustum ExtractFrustum(const glm::mat4& m) {
    // Rows of the column-major matrix.
    glm::vec4 r[4];
    for (int i = 0; i < 4; ++i) r[i] = glm::vec4(m[0][i], m[1][i], m[2][i], m[3][i]);
    Frustum frustum;
    frustum.planes[0] = r[3] + r[0];
    frustum.planes[1] = r[3] - r[0];
    frustum.planes[2] = r[3] + r[1];
    frustum.planes[3] = r[3] - r[1];
    frustum.planes[4] = r[3] + r[2];
    frustum.planes[5] = r[3] - r[2];
    for (glm::vec4& plane : frustum.planes) {
        const float length = std::sqrt(plane.x * plane.x + plane.y * plane.y + plane.z * plane.z);
        if (length > 1e-6f) plane /= length;
    }
    return frustum;
}

bool BoxInFrustum(const Frustum& frustum, const glm::vec3& boxMin, const glm::vec3& boxMax) {
    for (const glm::vec4& plane : frustum.planes) {
        const float x = plane.x > 0.0f ? boxMax.x : boxMin.x;
        const float y = plane.y > 0.0f ? boxMax.y : boxMin.y;
        const float z = plane.z > 0.0f ? boxMax.z : boxMin.z;
        if (plane.x * x + plane.y * y + plane.z * z + plane.w < 0.0f) return false;
    }
    return true;
}

bool BoxInFrustum(const glm::mat4& viewProj, const glm::vec3& boxMin, const glm::vec3& boxMax) {
    return BoxInFrustum(ExtractFrustum(viewProj), boxMin, boxMax);
}

}  // namespace render
