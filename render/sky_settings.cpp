#include "render/sky_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>

#include "game/asset_paths.h"
#include "game/decimal_number.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

tune::SkyTuning g_skyPresets[2] = {MakeSkyPreset(0), MakeSkyPreset(1)};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one decimal number at `at` (no leading blanks): [+|-]digits[.digits][(e|E)[+|-]digits].
// False for anything else or a value outside the float range.
bool ReadNumber(std::string_view text, size_t& at, float& out) {
    const size_t start = at;
    size_t i = at;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        size_t exponentDigits = 0;
        while (j < text.size() && IsDigit(text[j])) ++j, ++exponentDigits;
        if (exponentDigits == 0) return false;
        i = j;
    }
    const double value = DecimalToDouble(text.substr(start, i - start));
    if (!(std::fabs(value) <= double(std::numeric_limits<float>::max()))) return false;
    out = float(value);
    at = i;
    return true;
}

bool ParseFloat(const std::string& value, float& out) {
    size_t at = 0;
    while (at < value.size() && IsBlank(value[at])) ++at;
    float parsed = 0.0f;
    if (!ReadNumber(value, at, parsed)) return false;
    while (at < value.size() && IsBlank(value[at])) ++at;
    if (at != value.size()) return false;
    out = parsed;
    return true;
}

bool ParseTriple(const std::string& value, float out[3]) {
    size_t at = 0;
    float parsed[3];
    for (int k = 0; k < 3; ++k) {
        while (at < value.size() && (IsBlank(value[at]) || (k > 0 && value[at] == ','))) ++at;
        if (!ReadNumber(value, at, parsed[k])) return false;
    }
    while (at < value.size() && (IsBlank(value[at]) || value[at] == ',')) ++at;
    if (at != value.size()) return false;
    std::copy(parsed, parsed + 3, out);
    return true;
}

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

void SetColour(float out[3], float r, float g, float b) {
    out[0] = r;
    out[1] = g;
    out[2] = b;
}

}  // namespace

namespace tune {

bool SkyTuning::Set(const std::string& key, const std::string& value) {
    struct FloatKey {
        const char* name;
        float SkyTuning::*field;
    };
    struct TripleKey {
        const char* name;
        float (SkyTuning::*field)[3];
    };
    static const FloatKey kFloats[] = {
        {"horizon_falloff", &SkyTuning::horizonFalloff},
        {"zenith_falloff", &SkyTuning::zenithFalloff},
        {"sun_size_degrees", &SkyTuning::sunSizeDegrees},
        {"sun_edge", &SkyTuning::sunEdge},
        {"sun_glow_degrees", &SkyTuning::sunGlowDegrees},
        {"sun_glow_strength", &SkyTuning::sunGlowStrength},
        {"cloud_cell_metres", &SkyTuning::cloudCellMetres},
        {"cloud_bank_metres", &SkyTuning::cloudBankMetres},
        {"cloud_coverage", &SkyTuning::cloudCoverage},
        {"cloud_contrast", &SkyTuning::cloudContrast},
        {"cloud_altitude", &SkyTuning::cloudAltitude},
        {"cloud_thickness", &SkyTuning::cloudThickness},
        {"cloud_horizon_fade", &SkyTuning::cloudHorizonFade},
        {"cloud_underside", &SkyTuning::cloudUnderside},
        {"cloud_side_lift", &SkyTuning::cloudSideLift},
        {"cloud_sun_light", &SkyTuning::cloudSunLight},
        {"cloud_under_light", &SkyTuning::cloudUnderLight},
        {"cloud_depth", &SkyTuning::cloudDepth},
        {"sun_light_intensity", &SkyTuning::sunLightIntensity},
        {"dusk_lift", &SkyTuning::duskLift},
        {"ambient_intensity", &SkyTuning::ambientIntensity},
        {"ambient_from_sky", &SkyTuning::ambientFromSky},
    };
    static const TripleKey kTriples[] = {
        {"horizon", &SkyTuning::horizon},
        {"middle", &SkyTuning::middle},
        {"zenith", &SkyTuning::zenith},
        {"sun_color", &SkyTuning::sunColor},
        {"sun_glow_color", &SkyTuning::sunGlowColor},
        {"cloud_color", &SkyTuning::cloudColor},
        {"cloud_sun_color", &SkyTuning::cloudSunColor},
        {"cloud_drift", &SkyTuning::cloudDrift},
        {"dusk_color", &SkyTuning::duskColor},
        {"ground_bounce", &SkyTuning::groundBounce},
    };
    if (key == "clouds") {
        clouds = (value == "off" || value == "0" || value == "no") ? 0 : 1;
        return true;
    }
    for (const FloatKey& entry : kFloats) {
        if (key == entry.name) return ParseFloat(value, this->*entry.field);
    }
    for (const TripleKey& entry : kTriples) {
        if (key == entry.name) return ParseTriple(value, this->*entry.field);
    }
    return false;
}

}  // namespace tune

tune::SkyTuning MakeSkyPreset(int i) {
    tune::SkyTuning sky;
    if (i != 1) return sky;
    SetColour(sky.horizon, 0.78f, 0.255f, 0.055f);
    SetColour(sky.middle, 0.46f, 0.145f, 0.045f);
    SetColour(sky.zenith, 0.155f, 0.058f, 0.042f);
    sky.sunGlowStrength = 0.44f;
    sky.clouds = 1;
    return sky;
}

const char* SkyPresetFile(int i) { return i == 1 ? "skies/apocalypse.txt" : nullptr; }

const tune::SkyTuning& GetSkyPreset(uint8_t i) { return g_skyPresets[i < 2 ? i : 0]; }

int ReadSkySettings(std::string_view text, const std::string& path, tune::SkyTuning& sky) {
    int applied = 0;
    int lineNumber = 0;
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        std::string line(text.substr(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        ++lineNumber;
        const size_t comment = line.find('#');
        if (comment != std::string::npos) line.erase(comment);
        line = Trim(line);
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr, "[sky] %s:%d expected key = value\n", path.c_str(), lineNumber);
            continue;
        }
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        if (!sky.Set(key, value)) {
            std::fprintf(stderr, "[sky] %s:%d could not use %s = %s\n", path.c_str(), lineNumber, key.c_str(),
                         value.c_str());
            continue;
        }
        ++applied;
    }
    return applied;
}

int ReadSkyFile(const std::string& path, tune::SkyTuning& sky) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return 0;
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ReadSkySettings(text, path, sky);
}

int LoadSkyFile() {
    int applied = 0;
    for (int i = 0; i < 2; ++i) {
        g_skyPresets[i] = MakeSkyPreset(i);
        if (const char* file = SkyPresetFile(i)) applied += ReadSkyFile(AssetPath(file), g_skyPresets[i]);
    }
    return applied;
}

SunAngles SunAnglesFromSeed(uint16_t seed) {
    uint32_t h = 0x9E3779B9u - uint32_t(seed) * 1640531535u;
    h = (h ^ (h >> 15)) * 739982445u;
    h = (h ^ (h >> 12)) * 0x297A2D39u;
    h = h ^ (h >> 15);
    SunAngles sun;
    sun.azimuth = float(h & 0xFFFFu) * 0.005493164f;
    sun.elevation = 8.0f + float(h >> 16) * 0.0004882887f;
    return sun;
}

glm::vec3 SunDirection(const SunAngles& sun) {
    const float a = sun.azimuth * kDegreesToRadians;
    const float e = sun.elevation * kDegreesToRadians;
    const glm::vec3 v{-std::sin(a) * std::cos(e), std::sin(e), -std::cos(a) * std::cos(e)};
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? v / length : glm::vec3(0.0f, 1.0f, 0.0f);
}

glm::vec3 SunLightDirection(const SunAngles& sun) { return -SunDirection(sun); }

float SunHeight(const SunAngles& sun) {
    return std::clamp(std::sin(sun.elevation * kDegreesToRadians), 0.0f, 1.0f);
}

tune::LightingTuning BuildFrameLighting(const tune::LightingTuning& base, const tune::SkyTuning& sky,
                                        const SunAngles& sun) {
    const float h = SunHeight(sun);
    const float lift = h + (1.0f - h) * sky.duskLift;
    tune::LightingTuning lighting = base;
    const glm::vec3 direction = SunLightDirection(sun);
    lighting.sunDirection[0] = direction.x;
    lighting.sunDirection[1] = direction.y;
    lighting.sunDirection[2] = direction.z;
    lighting.sunOn = 1;
    for (int c = 0; c < 3; ++c) {
        lighting.sunColour[c] = sky.duskColor[c] * (1.0f - h) + sky.sunColor[c] * h;
        lighting.skyAmbientColour[c] = (sky.horizon[c] + sky.middle[c]) / 2.0f * sky.ambientFromSky;
        lighting.groundColour[c] = sky.groundBounce[c];
    }
    lighting.sunIntensity = sky.sunLightIntensity * lift;
    lighting.ambientIntensity = sky.ambientIntensity * lift;
    return lighting;
}
