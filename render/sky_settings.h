#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <glm/vec3.hpp>

#include "game/tuning.h"

// The sky of a match: gradient, sun disc and glow, the cloud layer, and how the scene's light
// follows the sun's height. Two presets live in one process-wide table; a map names the one it
// uses, and preset 1 is refined at start-up from "skies/apocalypse.txt" ("key = value" lines).
// Nothing here touches the GL.
namespace tune {

// Preset 0's values; each field is set by the sky-file key of the same name.
struct SkyTuning {
    float horizon[3] = {0.0f, 0.0f, 0.0f};
    float middle[3] = {0.0f, 0.0f, 0.0f};
    float zenith[3] = {0.0f, 0.0f, 0.0f};
    float horizonFalloff = 4.2f;
    float zenithFalloff = 2.1f;
    float sunSizeDegrees = 3.2f;
    float sunColor[3] = {0.95f, 0.42f, 0.12f};
    float sunEdge = 0.12f;
    float sunGlowColor[3] = {0.95f, 0.38f, 0.11f};
    float sunGlowDegrees = 42.0f;
    float sunGlowStrength = 0.0f;
    uint8_t clouds = 0;
    float cloudColor[3] = {0.17f, 0.158f, 0.153f};
    float cloudSunColor[3] = {0.58f, 0.27f, 0.1f};
    float cloudCellMetres = 62.0f;
    float cloudBankMetres = 540.0f;
    float cloudCoverage = 0.25f;
    float cloudContrast = 1.7f;
    float cloudAltitude = 300.0f;
    float cloudThickness = 100.0f;
    float cloudDrift[3] = {5.0f, 0.0f, 2.0f};
    float cloudHorizonFade = 0.22f;
    float cloudUnderside = 0.75f;
    float cloudSideLift = 1.15f;
    float cloudSunLight = 0.45f;
    float cloudUnderLight = 0.55f;
    float cloudDepth = 0.2f;
    float sunLightIntensity = 1.15f;
    float duskLift = 0.35f;
    float duskColor[3] = {1.0f, 0.34f, 0.1f};
    float ambientIntensity = 0.34f;
    float ambientFromSky = 0.75f;
    float groundBounce[3] = {0.2f, 0.13f, 0.08f};

    // Applies one sky-file pair; false for an unknown key (matched exactly) or a value that does
    // not parse (a number, or three numbers separated by commas and/or blanks, and nothing after
    // but blanks; `clouds` is off for "off", "0" and "no", on for anything else).
    bool Set(const std::string& key, const std::string& value);
};

}  // namespace tune

struct SunAngles {
    float azimuth = 0.0f;    // degrees; 0 looks toward -z
    float elevation = 0.0f;  // degrees above the horizon
};

// The built-in preset 1 (the dusk sky) for i = 1, preset 0's values otherwise.
tune::SkyTuning MakeSkyPreset(int i);
// "skies/apocalypse.txt" for preset 1, null for the others.
const char* SkyPresetFile(int i);
// Preset i, or preset 0 for an index past the table.
const tune::SkyTuning& GetSkyPreset(uint8_t i);

// Rebuilds both presets from MakeSkyPreset and reads each preset's file under the assets folder;
// returns the number of settings applied.
int LoadSkyFile();
// Applies the "key = value" lines of one file to `sky` and returns how many it applied. A file
// that cannot be opened applies nothing and prints nothing; a line without '=' or a pair that
// Set refuses prints one "[sky]" line on standard error naming the file and line.
int ReadSkyFile(const std::string& path, tune::SkyTuning& sky);
// The same over a file's text; `path` names it in the lines.
int ReadSkySettings(std::string_view text, const std::string& path, tune::SkyTuning& sky);

// The sun of a match from its 16-bit seed: azimuth anywhere, elevation between 8 and 40 degrees.
SunAngles SunAnglesFromSeed(uint16_t seed);
// Unit vector toward the sun.
glm::vec3 SunDirection(const SunAngles& sun);
// The direction the sunlight travels (away from the sun).
glm::vec3 SunLightDirection(const SunAngles& sun);
// sin(elevation) clamped to 0..1.
float SunHeight(const SunAngles& sun);

// The frame's lighting: the base record with the sun, ambient and ground terms following the sky
// and the sun's height (dusk colour and the dusk lift near the horizon).
tune::LightingTuning BuildFrameLighting(const tune::LightingTuning& base, const tune::SkyTuning& sky,
                                        const SunAngles& sun);
