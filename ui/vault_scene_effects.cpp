// The light show of the vault: the beams, rays and rising sparks of an arriving item, the
// lightning around an arriving omega item, and the bursts of a destroyed one.
#include <algorithm>
#include <cmath>

#include "render/next_rand01.h"
#include "ui/vault_scene.h"

namespace vault {

namespace {

constexpr float kPi = 3.14159265359f;
constexpr float kOneFrame = 0.0001f;  // a beam spawned each frame lives for that frame only

// The joints of a jagged line from `from` to `to` in `pieces` pieces; inner joints are pushed
// aside most in the middle.
std::vector<glm::vec3> BoltJoints(const glm::vec3& from, const glm::vec3& to, int pieces, uint32_t& stream) {
    std::vector<glm::vec3> joints(size_t(pieces) + 1);
    for (int i = 0; i <= pieces; ++i) {
        const float t = float(i) / float(pieces);
        glm::vec3 p = from + (to - from) * t;
        if (i > 0 && i < pieces) {
            const float reach = std::sin(kPi * t) + 0.4f;
            const float dx = (NextRand01(stream) - 0.5f) * reach * 1.3f;
            const float dz = (NextRand01(stream) - 0.5f) * reach * 1.3f;
            const float dy = (NextRand01(stream) - 0.5f) * reach * 1.3f * 0.4f;
            p += glm::vec3(dx, dy, dz);
        }
        joints[size_t(i)] = p;
    }
    return joints;
}

}  // namespace

void VaultScene::SpawnArrivalEffects(const VaultItem& item, float dt, float g, float now) {
    const VaultSettings& s = *settings;
    const int rarity = ClampRarity(item.rarity);
    const glm::vec3& colour = RarityColourOf(s, rarity);
    const glm::vec3 top = item.spot + glm::vec3(0.0f, s.roomHeight + 8.0f, 0.0f);
    const glm::vec3 bottom = item.spot + glm::vec3(0.0f, 0.01f, 0.0f);
    const float widening = s.beamEndWidening;
    const float pulse = std::sin(float(rarity) + 3.0f * now);

    float width = s.beamWidth * 1.2f;
    effects.SpawnBeam(top, bottom, colour, s.beamIntensity * (0.252f + 0.028f * pulse) * g, width, width * widening,
                      kOneFrame);
    width = s.beamWidth * 0.55f;
    effects.SpawnBeam(top, bottom, colour, s.beamIntensity * (0.495f + 0.055f * pulse) * g, width, width * widening,
                      kOneFrame);
    effects.SpawnBeam(top, bottom, colour * 0.55f + glm::vec3(0.45f), s.beamIntensity * 0.6f * g, s.beamCoreWidth,
                      s.beamCoreWidth * widening, kOneFrame);

    const uint32_t nameSeed = HashItemName(item.name) | 1u;
    for (int j = 0; j < s.beamRayCount; ++j) {
        uint32_t stream = 7919u * uint32_t(j) + nameSeed;
        const float a0 = 2.0f * kPi * NextRand01(stream);
        const float w = 0.25f + 0.35f * NextRand01(stream);
        const float rho = (0.15f + 0.3f * NextRand01(stream)) * s.beamWidth * widening;
        const float k = 1.3f + NextRand01(stream);
        const float theta = a0 + w * now;
        const glm::vec3 offset(std::cos(theta) * rho, 0.0f, 0.6f * std::sin(theta) * rho);
        const glm::vec3 from = top + (widening > 0.0f ? offset / widening : offset);
        effects.SpawnBeam(from, bottom + offset, colour, s.beamIntensity * (0.132f + 0.088f * std::sin(k * now + a0)) * g,
                          s.beamWidth * 0.08f, s.beamWidth * 0.16f * widening, kOneFrame);
    }

    uint32_t stream = NextStreamSeed();
    const float r0 = NextRand01(stream);
    for (int k = 0; r0 + float(k) < dt * 40.0f * g; ++k) {
        const float a = 2.0f * kPi * NextRand01(stream);
        const float d = NextRand01(stream) * s.beamWidth;
        const float rise = 1.2f + 1.8f * NextRand01(stream);
        const float height = 2.5f * NextRand01(stream);
        const glm::vec3 at(item.spot.x + std::cos(a) * d * 0.45f, item.spot.y + height,
                           item.spot.z + std::sin(a) * d * 0.45f);
        effects.Spawn(at, glm::vec3(0.0f, rise, 0.0f), colour, 1.4f * g, 0.07f, 0.0f, 0.4f, 0.9f);
    }
}

void VaultScene::SpawnBoltVolley(const VaultItem& item) {
    const VaultSettings& s = *settings;
    const glm::vec3 target = item.body >= 0 && size_t(item.body) < world.bodies.size()
                                 ? world.bodies[size_t(item.body)].position
                                 : item.spot;
    const int pieces = std::max(2, s.boltSegments);
    const float lifetime = 1.1f * s.boltInterval;
    uint32_t stream = NextStreamSeed();
    auto drawPieces = [&](const std::vector<glm::vec3>& joints) {
        for (size_t i = 0; i + 1 < joints.size(); ++i) {
            effects.SpawnTracer(joints[i], joints[i + 1], s.boltColour, 3.2f, s.boltWidth, lifetime, 0.0f, 0.0f);
            effects.SpawnTracer(joints[i], joints[i + 1], s.boltColour, 1.0f, s.boltWidth * 2.6f, lifetime, 0.0f, 0.0f);
        }
    };
    for (int bolt = 0; bolt < s.boltCount; ++bolt) {
        const float sx = (NextRand01(stream) - 0.5f) * 2.0f * s.boltSpread;
        const float sz = (NextRand01(stream) - 0.5f) * 2.0f * s.boltSpread;
        const glm::vec3 from(target.x + sx, s.roomHeight + 4.0f, target.z + sz);
        const float reach = (0.3f + 0.7f * NextRand01(stream)) * s.boltSpread;
        const float angle = 2.0f * kPi * NextRand01(stream);
        const float distance = reach * NextRand01(stream);
        const glm::vec3 to(target.x + std::cos(angle) * distance, target.y + 0.02f, target.z + std::sin(angle) * distance);
        const std::vector<glm::vec3> joints = BoltJoints(from, to, pieces, stream);
        drawPieces(joints);
        if (NextRand01(stream) < 0.6f) {
            const glm::vec3 fork = joints[size_t(pieces / 2)];
            const float drop = 2.5f + 1.5f * NextRand01(stream);
            const float side = (NextRand01(stream) - 0.5f) * 3.0f;
            const float across = (NextRand01(stream) - 0.5f) * 3.0f;
            drawPieces(BoltJoints(fork, fork + glm::vec3(side, -drop, across), 4, stream));
        }
    }
}

void VaultScene::SpawnBurst(const glm::vec3& at, float scale) {
    static const glm::vec3 kColours[4] = {glm::vec3(1.0f, 0.42f, 0.06f), glm::vec3(0.85f, 0.16f, 0.03f),
                                          glm::vec3(1.0f, 0.42f, 0.06f), glm::vec3(1.0f, 0.8f, 0.3f)};
    uint32_t stream = NextStreamSeed();
    for (int spark = 0; spark < 22; ++spark) {
        const float heading = 2.0f * kPi * NextRand01(stream);
        const float across = (0.4f + 1.6f * NextRand01(stream)) * scale;
        const float up = (1.2f + 2.6f * NextRand01(stream)) * scale;
        const float lifetime = 0.35f + 0.4f * NextRand01(stream);
        effects.Spawn(at, glm::vec3(std::cos(heading) * across, up, std::sin(heading) * across), kColours[spark % 4], 1.6f,
                      0.07f * scale, 0.18f * scale, 2.5f, lifetime);
    }
}

}  // namespace vault
