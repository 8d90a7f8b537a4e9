// Feeds arbitrary bytes to the sky-file reader as the text of a file: it must never crash or read
// outside the text, it applies no more settings than the text has lines, and every number it
// leaves in the sky is finite, whatever the lines said.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "render/sky_settings.h"
#include "silent_target.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckFinite(const float* values, size_t count) {
    for (size_t i = 0; i < count; ++i) Check(std::isfinite(values[i]));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::SilenceTargetOutput(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (int preset = 0; preset < 2; ++preset) {
        tune::SkyTuning sky = MakeSkyPreset(preset);
        const int applied = ReadSkySettings(text, "fuzz.txt", sky);
        size_t lines = 0;
        for (const char c : text) lines += c == '\n' ? 1 : 0;
        Check(applied >= 0 && size_t(applied) <= lines + 1);
        Check(sky.clouds == 0 || sky.clouds == 1);
        const float* triples[] = {sky.horizon,      sky.middle,       sky.zenith,     sky.sunColor,  sky.sunGlowColor,
                                  sky.cloudColor,   sky.cloudSunColor, sky.cloudDrift, sky.duskColor, sky.groundBounce};
        for (const float* triple : triples) CheckFinite(triple, 3);
        const float singles[] = {sky.horizonFalloff,   sky.zenithFalloff,    sky.sunSizeDegrees,   sky.sunEdge,
                                 sky.sunGlowDegrees,   sky.sunGlowStrength,  sky.cloudCellMetres,  sky.cloudBankMetres,
                                 sky.cloudCoverage,    sky.cloudContrast,    sky.cloudAltitude,    sky.cloudThickness,
                                 sky.cloudHorizonFade, sky.cloudUnderside,   sky.cloudSideLift,    sky.cloudSunLight,
                                 sky.cloudUnderLight,  sky.cloudDepth,       sky.sunLightIntensity, sky.duskLift,
                                 sky.ambientIntensity, sky.ambientFromSky};
        CheckFinite(singles, sizeof singles / sizeof singles[0]);
    }
    return 0;
}
