#pragma once
// The characters pass: every character placed by the instance pass drawn with its skinned model,
// the own one faded by the camera's nearness and shimmering while invisible, invisible remote
// ones showing only as a brief pulse, and each with a glowing outline that grows with its bounty.
#include <cstdint>

#include <glm/vec3.hpp>

#include "client/character_instances.h"
#include "client/character_view.h"
#include "client/match_frame.h"

namespace render {
struct Renderer;
}

// The own character's opacity in a match: the camera fade, held under the shimmer while its
// invisibility runs.
float OwnMatchOpacity(const MatchFrame& frame);

// A remote character's opacity, for its body and everything it holds and wears: its flicker pulse
// while invisible (0 between pulses), else 1.
float RemoteCharacterOpacity(const RemoteCharacterView& view, double now, const tune::Tuning& tuning);

// The outline a bounty earns. Off below a bounty of 1; its strength eases in up to a bounty of
// 1000, its width pulses.
struct OutlineLook {
    bool on = false;
    float strength = 0.0f;
    glm::vec3 colour{0.0f};
    float width = 0.0f;
};
OutlineLook BountyOutline(int64_t bounty, double now, const tune::RendererTuning& settings);

// The renderer's outline settings as the tuning record gives them.
void RestoreOutline(render::Renderer& renderer, const tune::RendererTuning& settings);

// Each frame in the "characters" phase, after the instances are uploaded: the own character (in a
// match or as the loadout preview) and every remote character in view.
void DrawCharacters(const CharacterFrame& characters, const MatchFrame& frame, const CharacterAssets& assets,
                    render::Renderer& renderer);
