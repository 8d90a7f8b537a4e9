#pragma once
// The level's own point lights: the map's area lights turned into point lights, or three built-in
// lights for a map that has none.
#include <vector>

#include "game/map_geometry.h"
#include "game/tuning.h"
#include "render/light_list.h"

// Radius sqrt(max(power, 0)) x the radius factor, intensity power x the intensity factor; prints
// the "[light]" line for a map's lights.
std::vector<render::PointLight> MapPointLights(const std::vector<AreaLight>& areaLights, const tune::Tuning& tuning);

// The frame's base lighting: the record with its lighting flag set to `lit` and the sun and
// ambient intensities of that mode.
tune::LightingTuning FrameLightingBase(const tune::LightingTuning& lighting, bool lit);
