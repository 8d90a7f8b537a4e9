// Feeds arbitrary bytes to the map sidecar reader: well-formed or not, it must never crash or read
// out of bounds, and every light it yields holds finite numbers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "game/map_geometry.h"

namespace {

bool Finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<AreaLight> lights;
    ReadGameplayLights(std::string_view(reinterpret_cast<const char*>(data), size), 1.18f, lights);
    for (const AreaLight& light : lights) {
        if (!Finite(light.position) || !Finite(light.colour) || !std::isfinite(light.energy) ||
            !std::isfinite(light.size)) {
            std::abort();
        }
    }
    return 0;
}
