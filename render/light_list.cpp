#include "render/light_list.h"

#include <glad/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace render {

namespace {

float DistanceSquared(const PointLight& light, const glm::vec3& camera) {
    const float dx = light.position.x - camera.x;
    const float dy = light.position.y - camera.y;
    const float dz = light.position.z - camera.z;
    return dx * dx + dy * dy + dz * dz;
}

// Moves the 32 lights nearest the camera to the front, nearest first: a max-heap of the first 32
// by distance, each further light replacing the heap's farthest when strictly nearer.
void KeepNearest(std::vector<PointLight>& lights, const glm::vec3& camera) {
    struct Ranked {
        float distance;
        size_t index;
    };
    auto farther = [](const Ranked& a, const Ranked& b) { return a.distance < b.distance; };
    std::vector<Ranked> heap;
    heap.reserve(kMaxBlockLights);
    for (size_t i = 0; i < size_t(kMaxBlockLights); ++i) heap.push_back({DistanceSquared(lights[i], camera), i});
    std::make_heap(heap.begin(), heap.end(), farther);
    for (size_t i = kMaxBlockLights; i < lights.size(); ++i) {
        const float distance = DistanceSquared(lights[i], camera);
        if (distance < heap.front().distance) {
            std::pop_heap(heap.begin(), heap.end(), farther);
            heap.back() = {distance, i};
            std::push_heap(heap.begin(), heap.end(), farther);
        }
    }
    std::sort_heap(heap.begin(), heap.end(), farther);
    std::vector<PointLight> nearest;
    std::vector<uint8_t> taken(lights.size(), 0);
    nearest.reserve(lights.size());
    for (const Ranked& entry : heap) {
        nearest.push_back(lights[entry.index]);
        taken[entry.index] = 1;
    }
    for (size_t i = 0; i < lights.size(); ++i) {
        if (!taken[i]) nearest.push_back(lights[i]);
    }
    lights.swap(nearest);
}

}  // namespace

void PackLightBlock(std::vector<PointLight>& lights, const tune::LightingTuning& lighting,
                    const glm::vec3& cameraPosition, LightBlock& block, std::vector<LightCullEntry>& cullEntries) {
    block.fill(0.0f);
    const float* d = lighting.sunDirection;
    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (length > 1e-5f) {
        block[0] = d[0] / length;
        block[1] = d[1] / length;
        block[2] = d[2] / length;
    } else {
        block[1] = -1.0f;
    }
    block[3] = (lighting.sunOn & 0xFF) != 0 ? 1.0f : 0.0f;
    for (int c = 0; c < 3; ++c) {
        block[4 + c] = lighting.sunColour[c];
        block[8 + c] = lighting.skyAmbientColour[c];
        block[12 + c] = lighting.groundColour[c];
        block[20 + c] = cameraPosition[c];
    }
    block[7] = lighting.sunIntensity;
    block[11] = lighting.ambientIntensity;
    block[15] = lighting.groundBounceIntensity;
    if (lights.size() > size_t(kMaxBlockLights)) KeepNearest(lights, cameraPosition);
    const size_t n = std::min(lights.size(), size_t(kMaxBlockLights));
    block[16] = float(n);
    block[17] = float(std::max(lighting.bandCount, 0));
    block[18] = lighting.lightBlockScale;
    cullEntries.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const PointLight& light = lights[i];
        const float radius = std::max(light.radius, 0.001f);
        cullEntries[i] = {light.position.x, light.position.y, light.position.z, radius};
        float* slot = block.data() + 24 + 8 * i;
        slot[0] = light.position.x;
        slot[1] = light.position.y;
        slot[2] = light.position.z;
        slot[3] = radius;
        slot[4] = light.colour.r;
        slot[5] = light.colour.g;
        slot[6] = light.colour.b;
        slot[7] = light.intensity;
    }
}

int TouchingLights(const std::vector<LightCullEntry>& entries, const glm::vec3& boxMin, const glm::vec3& boxMax,
                   int32_t indices[kMaxSubmeshLights]) {
    int count = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const LightCullEntry& light = entries[i];
        const float dx = light.x - std::clamp(light.x, boxMin.x, boxMax.x);
        const float dy = light.y - std::clamp(light.y, boxMin.y, boxMax.y);
        const float dz = light.z - std::clamp(light.z, boxMin.z, boxMax.z);
        if (dx * dx + dy * dy + dz * dz >= light.radius * light.radius) continue;
        if (count == kMaxSubmeshLights) return -1;
        indices[count++] = int32_t(i);
    }
    return count;
}

bool LightList::CreateBuffer() {
    glCreateBuffers(1, &buffer);
    if (buffer == 0) return false;
    glNamedBufferStorage(buffer, GLsizeiptr(kLightBlockFloats * sizeof(float)), nullptr, GL_DYNAMIC_STORAGE_BIT);
    return true;
}

void LightList::Clear() {
    lights.clear();
    refusalReported = 0;
}

void LightList::Add(const PointLight& light) {
    // Lights of world objects arrive from the network: numbers that are not finite must not reach
    // the light block.
    const float numbers[8] = {light.position.x, light.position.y, light.position.z, light.colour.r,
                              light.colour.g,   light.colour.b,   light.radius,     light.intensity};
    for (const float value : numbers) {
        if (!std::isfinite(value)) return;
    }
    if (lights.size() >= size_t(kMaxListedLights)) {
        if (!refusalReported) {
            std::fprintf(stderr, "[light] ignoring point light past the %d-light cap\n", kMaxListedLights);
            refusalReported = 1;
        }
        return;
    }
    lights.push_back(light);
}

void LightList::Upload(const tune::LightingTuning& lighting, const glm::vec3& cameraPosition) {
    if (buffer == 0) return;
    LightBlock block;
    PackLightBlock(lights, lighting, cameraPosition, block, cullEntries);
    glNamedBufferSubData(buffer, 0, GLsizeiptr(sizeof block), block.data());
}

void LightList::Bind() const {
    if (buffer != 0) glBindBufferBase(GL_UNIFORM_BUFFER, 1, buffer);
}

void LightList::Destroy() {
    if (buffer != 0) glDeleteBuffers(1, &buffer);
    buffer = 0;
}

}  // namespace render
