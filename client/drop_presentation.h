#pragma once
// How a dropped pick-up looks: its colour by kind, the stepped pulse of its glow, the frame of its
// spinning icon in the resources sheet, and the sprite each drop shows this frame (fading out once
// taken, blinking before it expires, bobbing while it rests).
#include <cstdint>

#include <glm/vec3.hpp>

#include "game/death_drop.h"
#include "game/id_list.h"
#include "game/tuning.h"

struct MatchFrame;
struct SpriteSheet;
struct WorldObjects;

// Stardust (kind 1) is pale blue, everything else gold.
glm::vec3 DropKindColour(uint8_t kind);
// A stepped triangle wave between the pulse's low and high ends, offset by the drop's phase.
float DropPulse(const DeathDrop& drop, double now, const tune::MatchTuning& match);
// The sheet column of the drop's icon animation this frame.
int DropFrame(const DeathDrop& drop, double now, const tune::MatchTuning& match);
// The sheet row of the kind's icon.
int DropRow(uint8_t kind, const tune::MatchTuning& match);

struct DropSprite {
    bool shown = false;  // false while an expiring drop blinks off
    glm::vec3 centre{0.0f};
    float size = 0.0f;
    int column = 0;
    int row = 0;
    glm::vec3 colour{1.0f};
    float alpha = 1.0f;
};

DropSprite DropSpriteOf(const DeathDrop& drop, double now, const tune::MatchTuning& match);

// In the effects phase: empties the sheet's queue and queues every drop's sprite; the frame loop
// draws the sheet in the "sprites" phase.
void QueueDropSprites(const WorldObjects& objects, const MatchFrame& frame, SpriteSheet& resources);
