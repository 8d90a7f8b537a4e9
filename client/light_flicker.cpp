#include "client/light_flicker.h"

#include <algorithm>
#include <cmath>

float LightFlicker(double time, int index, const tune::InvisibilityTuning& settings)
{
    const double period = std::max(static_cast<double>(settings.pulsePeriod), 0.05);
    const double width = std::max(static_cast<double>(settings.pulseWidth), 0.01);
    double t = std::fmod(static_cast<double>(index) * 0.37 + time, period);
    if (t < 0.0) {
        t += period;
    }
    if (t >= width) {
        return 0.0f;
    }
    return static_cast<float>(std::sin(t / width * 3.14159265358979323846));
}

float LightFlickerScaled(double time, int index, const tune::InvisibilityTuning& settings)
{
    return LightFlicker(time, index, settings) * settings.pulsePeak;
}

float LightFlickerRange(double time, int index, const tune::InvisibilityTuning& settings)
{
    return settings.pulseMin + LightFlicker(time, index, settings) * (settings.pulseMax - settings.pulseMin);
}
