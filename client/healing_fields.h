#pragma once
// The areas of health bombs as the client shows them: each swells in over its first moments,
// pulses while it heals and shrinks away at the end of its lifetime.
#include <cstdint>

#include <glm/vec3.hpp>

#include "game/tuning.h"

struct HealthBombVolume;
struct MatchFrame;
struct WorldObjects;

struct HealingField {
    uint16_t id = 0;
    glm::vec3 position{0.0f};
    float age = 0.0f;  // seconds since it was announced
};

struct HealingFieldShape {
    float radius = 0.0f;
    float faceAlpha = 0.0f;
    float rimAlpha = 0.0f;
};

// The field's sphere at this age and clock reading; radius 0 once its lifetime is over.
HealingFieldShape HealingFieldShapeOf(float age, double now, const tune::HealingFieldTuning& settings);

// In the "effects" phase, after the effects are drawn: queues every field and draws them.
void DrawHealingFields(WorldObjects& objects, const MatchFrame& frame, HealthBombVolume& volume);
