#include "client/flame_burst.h"

#include <cmath>

#include <glm/geometric.hpp>

#include "client/rand01.h"
#include "render/effects.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kTwoPi = 6.2831853f;

}  // namespace

void FlameBurst(Effects& effects, const glm::vec3& point, const glm::vec3& direction, const tune::FlameTuning& flame)
{
    const float length = glm::length(direction);
    if (!(length > 1e-6f)) {
        return;
    }
    const glm::vec3 axis = direction / length;
    // Two unit vectors across the axis; the helper is whichever world axis is farther from it.
    const glm::vec3 helper = std::fabs(axis.y) < 0.9f ? glm::vec3(0.0f, 1.0f, 0.0f) : glm::vec3(1.0f, 0.0f, 0.0f);
    const glm::vec3 side = glm::normalize(glm::cross(axis, helper));
    const glm::vec3 lift = glm::cross(side, axis);

    // The look values: size at birth, size growth per second, lifetime and intensity.
    const float size = flame.lookValues[0];
    const float growth = flame.lookValues[1];
    const float lifetime = flame.lookValues[2];
    const float intensity = flame.lookValues[3];
    const glm::vec3 hot(flame.hotColour[0], flame.hotColour[1], flame.hotColour[2]);
    const glm::vec3 cool(flame.coolColour[0], flame.coolColour[1], flame.coolColour[2]);

    const int count = static_cast<int>(flame.burstCount);
    for (int i = 0; i < count; ++i) {
        const float tilt = Rand01() * flame.burstConeAngle * kDegreesToRadians;
        const float azimuth = Rand01() * kTwoPi;
        const float speed = flame.particleSpeed * (1.0f + (2.0f * Rand01() - 1.0f) * flame.burstSpeedSpread);
        const glm::vec3 colour = glm::mix(hot, cool, Rand01());
        const glm::vec3 heading = axis * std::cos(tilt) +
                                  (side * std::cos(azimuth) + lift * std::sin(azimuth)) * std::sin(tilt);
        effects.Spawn(point, heading * speed, colour, intensity, size, growth, flame.dragRate, lifetime);
    }
}
