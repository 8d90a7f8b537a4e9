#include "client/healing_fields.h"

#include <algorithm>
#include <cmath>

#include "client/match_frame.h"
#include "client/world_objects.h"
#include "render/health_bomb_volume.h"

HealingFieldShape HealingFieldShapeOf(float age, double now, const tune::HealingFieldTuning& settings)
{
    const float lifetime = std::max(settings.lifetime, 0.001f);
    const float c = std::clamp(age / lifetime, 0.0f, 1.0f);
    const float m = std::min({1.0f, (1.0f - c) * 5.0f, age * 6.0f});
    const float pulse = static_cast<float>(std::sin(now * static_cast<double>(settings.pulseRate) * 6.283185307179586));
    const float k = 1.0f + settings.pulseDepth * pulse;
    HealingFieldShape shape;
    shape.radius = std::max(0.0f, settings.radius * m * (1.0f + settings.radiusPulse * pulse));
    shape.faceAlpha = settings.faceAlpha * k * m;
    shape.rimAlpha = settings.rimAlpha * k * m;
    return shape;
}

void DrawHealingFields(WorldObjects& objects, const MatchFrame& frame, HealthBombVolume& volume)
{
    volume.Clear();
    if (frame.tuning == nullptr || objects.healingFields.empty()) {
        return;
    }
    const tune::HealingFieldTuning& settings = frame.tuning->healingField;
    const glm::vec3 colour(settings.colour[0], settings.colour[1], settings.colour[2]);
    for (const HealingField& field : objects.healingFields) {
        const HealingFieldShape shape = HealingFieldShapeOf(field.age, frame.now, settings);
        volume.AddField(field.position, shape.radius, colour, shape.faceAlpha, shape.rimAlpha, settings.rimPower);
    }
    volume.Draw(frame.viewProj, frame.camera.eye);
}
