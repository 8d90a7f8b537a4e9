#pragma once

#include <cstdint>

#include <glm/glm.hpp>

namespace ui {
struct Context;
}

namespace hud {

struct NameTagSettings {
    float headHeight = 1.95f;  // metres above the player's origin; the caller raises the anchor by it
    float fadeStart = 18.0f;   // metres from the camera
    float fadeEnd = 46.0f;
    float alpha = 0.92f;
    float scale = 1.25f;
    float farScaleFactor = 0.72f;  // of the scale, at the fade's end
};

inline constexpr NameTagSettings kNameTagSettings{};

// One player's name over its head in the team's colour, behind the player's role tag when it has
// one, shrinking and fading with `distance` (from the camera to the player). True when drawn:
// nothing for an empty name, an anchor off screen or behind the camera, or a player beyond the fade.
bool DrawNameTags(ui::Context& ctx, const glm::mat4& viewProj, const glm::vec3& anchor, const char* name,
                  int32_t team, int32_t role, float distance, const NameTagSettings& settings);

}  // namespace hud
