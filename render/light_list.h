#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "game/tuning.h"

// The point lights of one frame, packed with the frame's sun, ambient and ground lighting into the
// light block: one uniform buffer of 1,120 bytes at uniform binding 1, read by the lit programs.
// Layout (32-bit floats): sun direction and switch (0), sun colour and intensity (16), sky ambient
// colour and intensity (32), ground bounce colour and intensity (48), point-light count (64), band
// count (68), point-light scale (72), camera position (80), then 32 slots of {position, radius,
// colour, intensity} from 96.
namespace render {

struct PointLight {
    glm::vec3 position{0.0f};  // metres
    glm::vec3 colour{1.0f};    // linear RGB
    float radius = 0.0f;       // metres
    float intensity = 0.0f;
};

struct LightCullEntry {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float radius = 0.001f;  // never below 0.001
};

constexpr int kMaxListedLights = 256;    // lights a list holds
constexpr int kMaxBlockLights = 32;      // the nearest of them reach the block
constexpr size_t kLightBlockFloats = 280;  // 1,120 bytes
using LightBlock = std::array<float, kLightBlockFloats>;

struct LightList {
    std::vector<PointLight> lights;
    std::vector<LightCullEntry> cullEntries;
    uint32_t buffer = 0;
    uint8_t refusalReported = 0;  // the cap's line is printed once per fill

    bool CreateBuffer();
    // Empties the list for a new set of lights.
    void Clear();
    // Appends unless a number of the light is not finite (ignored without a line) or the list
    // already holds 256 lights; the first refusal of a fill prints
    // "[light] ignoring point light past the 256-light cap" on standard error.
    void Add(const PointLight& light);
    // Packs the block (the 32 lights nearest the camera when there are more) and uploads it;
    // rewrites the culling entries. Nothing without a buffer.
    void Upload(const tune::LightingTuning& lighting, const glm::vec3& cameraPosition);
    void Bind() const;
    void Destroy();
};

constexpr int kMaxSubmeshLights = 16;

// The lights whose sphere reaches into the box (squared distance from the centre to the box below
// the radius squared), in list order: their count and indices, or -1 (use every light) when more
// than 16 do.
int TouchingLights(const std::vector<LightCullEntry>& entries, const glm::vec3& boxMin, const glm::vec3& boxMax,
                   int32_t indices[kMaxSubmeshLights]);

// The packing of Upload without the GL: reorders `lights` so that the first 32 are the nearest in
// increasing distance when it holds more, fills the block and the culling entries.
void PackLightBlock(std::vector<PointLight>& lights, const tune::LightingTuning& lighting,
                    const glm::vec3& cameraPosition, LightBlock& block, std::vector<LightCullEntry>& cullEntries);

}  // namespace render
