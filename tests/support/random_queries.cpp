#include "support/random_queries.h"

namespace testsupport {

uint32_t QueryRandom::Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return uint32_t(state >> 33);
}

float QueryRandom::Uniform(float lo, float hi) { return lo + (hi - lo) * (float(Next() >> 8) / 8388608.0f); }

glm::vec3 QueryRandom::PointIn(const glm::vec3& lo, const glm::vec3& hi) {
    const float x = Uniform(lo.x, hi.x);
    const float y = Uniform(lo.y, hi.y);
    const float z = Uniform(lo.z, hi.z);
    return {x, y, z};
}

}  // namespace testsupport
