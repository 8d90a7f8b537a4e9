#include "client/ray_box.h"

#include <algorithm>
#include <cmath>

bool RayBoxHit(const glm::vec3& origin, const glm::vec3& direction, const glm::vec3& boxMin, const glm::vec3& boxMax,
               float maxDistance, float& entry)
{
    float nearest = 0.0f;
    float farthest = maxDistance;
    for (int axis = 0; axis < 3; ++axis) {
        const float d = direction[axis];
        if (std::abs(d) >= 1e-6f) {
            const float t1 = (boxMin[axis] - origin[axis]) / d;
            const float t2 = (boxMax[axis] - origin[axis]) / d;
            nearest = std::max(nearest, std::min(t1, t2));
            farthest = std::min(farthest, std::max(t1, t2));
            if (nearest > farthest) {
                return false;
            }
        } else if (origin[axis] < boxMin[axis] || origin[axis] > boxMax[axis]) {
            return false;
        }
    }
    entry = nearest;
    return true;
}
