#include "client/map_lights.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::vector<render::PointLight> MapPointLights(const std::vector<AreaLight>& areaLights, const tune::Tuning& tuning)
{
    std::vector<render::PointLight> lights;
    if (areaLights.empty()) {
        // A warm key, a cool fill and a green rim around the origin.
        lights.push_back({glm::vec3(-4.0f, 2.6f, 3.0f), glm::vec3(1.0f, 0.66f, 0.32f), 9.0f, 1.3f});
        lights.push_back({glm::vec3(6.0f, 2.2f, -4.0f), glm::vec3(0.36f, 0.62f, 1.0f), 11.0f, 1.1f});
        lights.push_back({glm::vec3(0.0f, 1.8f, -10.0f), glm::vec3(0.5f, 1.0f, 0.62f), 8.0f, 0.9f});
        return lights;
    }
    for (const AreaLight& area : areaLights) {
        render::PointLight light;
        light.position = area.position;
        light.colour = area.colour;
        light.radius = std::sqrt(std::max(area.energy, 0.0f)) * tuning.lighting.mapLightRadiusFactor;
        light.intensity = area.energy * tuning.lighting.mapLightIntensityFactor;
        lights.push_back(light);
    }
    std::printf("[light] %zu from the map%s\n", lights.size(),
                lights.size() > static_cast<size_t>(render::kMaxBlockLights) ? " (nearest 32 used per frame)" : "");
    return lights;
}

tune::LightingTuning FrameLightingBase(const tune::LightingTuning& lighting, bool lit)
{
    tune::LightingTuning frame = lighting;
    frame.lit = lit ? 1 : 0;
    frame.sunIntensity = lit ? lighting.litSunIntensity : lighting.fastSunIntensity;
    frame.ambientIntensity = lit ? lighting.litAmbientIntensity : lighting.fastAmbientIntensity;
    return frame;
}
