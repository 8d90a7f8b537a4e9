// The map's gameplay sidecar: the area lights beside a map file.
//
// Sidecars are written by an editor export script and then often touched up by hand, so a file that
// is not well-formed JSON still gives every light that can be made out. A well-formed file is read as
// JSON; any other is scanned for light objects, stepping over strings so that a brace or bracket
// quoted in a name neither invents a light nor hides the rest. Numbers are read the same way on both
// roads and never through the C library, whose decimal point follows the process locale.

#include "game/map_geometry.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "game/decimal_number.h"
#include "game/json_reader.h"

namespace {

constexpr std::string_view kAreaLightsKey = "area_lights";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct LightDefaults {
    glm::vec3 position{0.0f, 0.0f, 0.0f};
    glm::vec3 colour{1.0f, 1.0f, 1.0f};
    float energy = 100.0f;
    float size = 1.0f;
};

// A position or size that is finite as read can still overflow once scaled; it keeps its default
// then, as an unreadable one does.
AreaLight ScaledLight(const LightDefaults& read, float scale) {
    const LightDefaults defaults;
    AreaLight light;
    const glm::vec3 position = {read.position.x * scale, read.position.y * scale, read.position.z * scale};
    const bool positionFits = std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z);
    const glm::vec3 fallback = {defaults.position.x * scale, defaults.position.y * scale, defaults.position.z * scale};
    light.position = positionFits ? position : fallback;
    light.colour = read.colour;
    light.energy = read.energy;
    const float size = read.size * scale;
    light.size = std::isfinite(size) ? size : defaults.size * scale;
    return light;
}

// A light placed at infinity or with a NaN colour would poison every lit pixel: a number that does
// not narrow to a finite float counts as unreadable and leaves its field at the default.
bool FiniteNumber(const json::Value& value, float& out) {
    if (value.kind != json::Kind::Number) return false;
    const float narrowed = value.AsNumber(0.0f);
    if (!std::isfinite(narrowed)) return false;
    out = narrowed;
    return true;
}

// --- Well-formed sidecars -----------------------------------------------------------------------

// "[x, y, z]": the first three items, all of them numbers, or the field keeps its default.
void JsonThree(const json::Value& value, glm::vec3& field) {
    if (value.kind != json::Kind::Array || value.Size() < 3) return;
    float values[3] = {};
    for (uint64_t i = 0; i < 3; ++i) {
        if (!FiniteNumber(value.At(i), values[i])) return;
    }
    field = {values[0], values[1], values[2]};
}

void JsonNumber(const json::Value& value, float& field) {
    float read = 0.0f;
    if (FiniteNumber(value, read)) field = read;
}

void LightsFromJson(const json::Value& document, float scale, std::vector<AreaLight>& lights) {
    const json::Value& list = document.Find(std::string(kAreaLightsKey));
    if (list.kind != json::Kind::Array) return;
    for (const json::Value& item : list.items) {
        if (item.kind != json::Kind::Object) continue;
        LightDefaults read;
        JsonThree(item.Find("position"), read.position);
        JsonThree(item.Find("color_linear"), read.colour);
        JsonNumber(item.Find("blender_energy_watts"), read.energy);
        JsonNumber(item.Find("size_metres"), read.size);
        lights.push_back(ScaledLight(read, scale));
    }
}

// --- Scanning what is not well-formed -------------------------------------------------------------

bool IsSidecarSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsSidecarDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipSidecarSpace(std::string_view text, size_t at) {
    while (at < text.size() && IsSidecarSpace(text[at])) ++at;
    return at;
}

// `at` is on an opening double quote: the index just past the closing one, or the end of the text
// when the string never closes.
size_t SkipSidecarString(std::string_view text, size_t at) {
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\\') {
            ++at;
        } else if (text[at] == '"') {
            return at + 1;
        }
    }
    return text.size();
}

// Where the value of `key` starts: the first string equal to the key (as written, between its
// quotes) that is followed by a colon, at `depth` levels of braces and brackets below `from` (any
// depth when negative). npos when there is none before `to`.
size_t FindSidecarKey(std::string_view text, size_t from, size_t to, std::string_view key, int depth) {
    int level = 0;
    size_t at = from;
    while (at < to) {
        const char c = text[at];
        if (c == '{' || c == '[') {
            ++level;
            ++at;
        } else if (c == '}' || c == ']') {
            --level;
            ++at;
        } else if (c == '"') {
            const size_t end = SkipSidecarString(text, at);
            const bool sameText = end - at == key.size() + 2 && text.substr(at + 1, key.size()) == key;
            at = end;
            if (sameText && (depth < 0 || level == depth)) {
                const size_t colon = SkipSidecarSpace(text, at);
                if (colon < to && text[colon] == ':') return SkipSidecarSpace(text, colon + 1);
            }
        } else {
            ++at;
        }
    }
    return std::string_view::npos;
}

// A decimal number at `at` (an optional sign, digits with an optional point, an optional exponent);
// false, with `at` unchanged, when none starts there or it is not finite.
bool ReadSidecarNumber(std::string_view text, size_t& at, float& out) {
    size_t end = at;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    const size_t wholeStart = end;
    while (end < text.size() && IsSidecarDigit(text[end])) ++end;
    bool anyDigit = end > wholeStart;
    if (end < text.size() && text[end] == '.') {
        const size_t fractionStart = ++end;
        while (end < text.size() && IsSidecarDigit(text[end])) ++end;
        anyDigit = anyDigit || end > fractionStart;
    }
    if (!anyDigit) return false;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && IsSidecarDigit(text[exponent])) {
            while (exponent < text.size() && IsSidecarDigit(text[exponent])) ++exponent;
            end = exponent;
        }
    }
    // Narrowed exactly as a number of a well-formed file is.
    json::Value number;
    number.kind = json::Kind::Number;
    number.number = DecimalToDouble(text.substr(at, end - at));
    if (!FiniteNumber(number, out)) return false;
    at = end;
    return true;
}

void ScanNumber(std::string_view object, const char* key, float& field) {
    size_t at = FindSidecarKey(object, 0, object.size(), key, 1);
    float value = 0.0f;
    if (at != std::string_view::npos && ReadSidecarNumber(object, at, value)) field = value;
}

// "[x, y, z]": all three or the field keeps its default (the closing bracket is not checked).
void ScanThree(std::string_view object, const char* key, glm::vec3& field) {
    size_t at = FindSidecarKey(object, 0, object.size(), key, 1);
    if (at == std::string_view::npos || at >= object.size() || object[at] != '[') return;
    ++at;
    float values[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            at = SkipSidecarSpace(object, at);
            if (at >= object.size() || object[at] != ',') return;
            ++at;
        }
        at = SkipSidecarSpace(object, at);
        if (!ReadSidecarNumber(object, at, values[i])) return;
    }
    field = {values[0], values[1], values[2]};
}

// The first "area_lights" key anywhere, then each object of its list at the list's own level. A
// closing brace with no object open is stray and passed over; the list ends at its closing bracket
// or at the end of the text. Within an object, the first of a repeated key counts.
void ScanLights(std::string_view text, float scale, std::vector<AreaLight>& lights) {
    size_t at = FindSidecarKey(text, 0, text.size(), kAreaLightsKey, -1);
    if (at == std::string_view::npos || at >= text.size() || text[at] != '[') return;
    int depth = 0;
    size_t objectStart = 0;
    for (++at; at < text.size();) {
        const char c = text[at];
        if (c == '"') {
            at = SkipSidecarString(text, at);
            continue;
        }
        if (c == '{') {
            if (depth == 0) objectStart = at;
            ++depth;
        } else if (c == '}' && depth > 0) {
            if (depth == 1) {
                const std::string_view object = text.substr(objectStart, at - objectStart + 1);
                LightDefaults read;
                ScanThree(object, "position", read.position);
                ScanThree(object, "color_linear", read.colour);
                ScanNumber(object, "blender_energy_watts", read.energy);
                ScanNumber(object, "size_metres", read.size);
                lights.push_back(ScaledLight(read, scale));
            }
            --depth;
        } else if (c == ']' && depth == 0) {
            return;
        }
        ++at;
    }
}

}  // namespace

std::string GameplayJsonPath(const std::string& mapPath) {
    const size_t slash = mapPath.find_last_of("/\\");
    const size_t dot = mapPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return mapPath.substr(0, dot) + ".gameplay.json";
}

void LoadGameplayJson(const std::string& path, float scale, std::vector<AreaLight>& lights) {
    const std::string sidecar = GameplayJsonPath(path);
    if (sidecar.empty()) return;
    FILE* file = std::fopen(sidecar.c_str(), "rb");
    if (!file) return;
    std::string text;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) return;
    ReadGameplayLights(text, scale, lights);
}

void ReadGameplayLights(std::string_view text, float scale, std::vector<AreaLight>& lights) {
    std::string_view body = text;
    if (body.starts_with(kByteOrderMark)) body.remove_prefix(kByteOrderMark.size());
    json::Value document;
    if (json::Parse(body, document)) {
        LightsFromJson(document, scale, lights);
    } else {
        ScanLights(body, scale, lights);
    }
}
