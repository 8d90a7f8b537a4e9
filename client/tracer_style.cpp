#include "client/tracer_style.h"

TracerStyle TracerStyleOf(const tune::Tuning& tuning, int weaponRow)
{
    const tune::ShotFeedbackTuning& feedback = tuning.shotFeedback;
    const tune::WeaponTuning& row = tuning.Weapon(weaponRow);
    TracerStyle style;
    style.colour = glm::vec3(feedback.tracerColour[0], feedback.tracerColour[1], feedback.tracerColour[2]);
    style.intensity = feedback.tracerIntensity;
    style.width = feedback.tracerWidth;
    style.lifetime = feedback.tracerLifetime;
    style.speed = feedback.tracerTravelling != 0 ? feedback.tracerSpeed : 0.0f;
    style.tail = feedback.tracerTail;
    if (row.tracerColour[0] >= 0.0f) {
        style.colour = glm::vec3(row.tracerColour[0], row.tracerColour[1], row.tracerColour[2]);
    }
    if (row.tracerIntensity > 0.0f) {
        style.intensity = row.tracerIntensity;
    }
    if (row.tracerWidth > 0.0f) {
        style.width = row.tracerWidth;
    }
    if (row.tracerLifetime > 0.0f) {
        style.lifetime = row.tracerLifetime;
    }
    return style;
}
