#pragma once
// The point lights of one frame, before the renderer packs them: the sentries, the map's own
// lights and the nearest drops, in that order.
#include <vector>

#include "render/light_list.h"

struct MatchFrame;
struct WorldObjects;

// The drop lights a frame holds at most, whatever the tuning asks: the light block keeps 32.
constexpr int kMaxDropLights = render::kMaxBlockLights;

// Before the renderer's SetupLights, every frame: adds the live sentries (while playing), the map's
// lights (when lighting is on and the loadout screen is not shown) and the drops nearest the eye
// (while playing) to `lights`.
void AddFrameLights(const WorldObjects& objects, const MatchFrame& frame,
                    const std::vector<render::PointLight>& mapLights, render::LightList& lights);
