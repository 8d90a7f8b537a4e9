#include "client/frame_lights.h"

#include <algorithm>
#include <array>
#include <utility>

#include "client/drop_presentation.h"
#include "client/game_session.h"
#include "client/match_frame.h"
#include "client/world_objects.h"

namespace {

constexpr int kLoadoutScreen = 2;
constexpr uint8_t kBlueTeam = 1;

}  // namespace

void AddFrameLights(const WorldObjects& objects, const MatchFrame& frame,
                    const std::vector<render::PointLight>& mapLights, render::LightList& lights)
{
    if (frame.tuning == nullptr) {
        return;
    }
    const tune::Tuning& tuning = *frame.tuning;
    if (frame.joined && frame.playing && frame.game != nullptr) {
        for (const net::SentryStateEntry& sentry : frame.game->sentries) {
            if (sentry.hitPoints <= 0) {
                continue;
            }
            render::PointLight light;
            light.position = glm::vec3(sentry.position.x, sentry.position.y + tuning.sentry.height, sentry.position.z);
            light.colour = sentry.team == kBlueTeam ? glm::vec3(0.45f, 0.7f, 1.0f) : glm::vec3(1.0f, 0.52f, 0.45f);
            light.intensity = tuning.sentry.lightIntensity;
            light.radius = tuning.sentry.lightRadius;
            lights.Add(light);
        }
    }
    if (tuning.lighting.lit != 0 && frame.screen != kLoadoutScreen) {
        for (const render::PointLight& light : mapLights) {
            lights.Add(light);
        }
    }
    if (!frame.playing) {
        return;
    }
    const tune::PickupTuning& pickups = tuning.match.pickups;
    const int wanted = std::clamp(static_cast<int>(pickups.maxLights), 0, kMaxDropLights);
    // The nearest drops by squared distance to the eye, kept sorted; ties keep the list's order.
    std::array<std::pair<float, const DeathDrop*>, kMaxDropLights> nearest{};
    int count = 0;
    for (const DeathDrop& drop : objects.drops.items) {
        const glm::vec3 d = drop.position - frame.camera.eye;
        const float distance = d.x * d.x + d.y * d.y + d.z * d.z;
        if (count == wanted && (count == 0 || !(distance < nearest[static_cast<size_t>(count - 1)].first))) {
            continue;
        }
        int at = count < wanted ? count++ : count - 1;
        while (at > 0 && distance < nearest[static_cast<size_t>(at - 1)].first) {
            nearest[static_cast<size_t>(at)] = nearest[static_cast<size_t>(at - 1)];
            --at;
        }
        nearest[static_cast<size_t>(at)] = {distance, &drop};
    }
    for (int i = 0; i < count; ++i) {
        const DeathDrop& drop = *nearest[static_cast<size_t>(i)].second;
        render::PointLight light;
        light.position = drop.position;
        light.colour = DropKindColour(drop.kind);
        light.intensity = pickups.lightIntensity;
        light.radius = pickups.lightRadius * DropPulse(drop, frame.now, tuning.match);
        lights.Add(light);
    }
}
