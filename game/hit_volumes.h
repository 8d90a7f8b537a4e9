#pragma once

#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "game/anim_rig.h"

// Body regions of a hit: the head scores a headshot.
enum BodyRegion : uint8_t {
    kRegionHead = 0,
    kRegionTorso = 1,
    kRegionLeftArm = 2,
    kRegionRightArm = 3,
    kRegionLeftLeg = 4,
    kRegionRightLeg = 5,
    kRegionNone = 6,
};

constexpr int kHitboxTableRows = 13;

// One oriented box on a joint, in the joint's local space.
struct Hitbox {
    glm::vec3 offset = glm::vec3(0.0f);
    glm::vec3 halfExtents = glm::vec3(0.0f);
    int32_t joint = -1;
    uint8_t region = kRegionNone;
    glm::mat4 localMatrix = glm::mat4(1.0f);  // translate(offset) x rotation
};

struct HitboxSet {
    std::vector<Hitbox> boxes;          // in table order; rows whose joint is missing are left out
    std::vector<uint8_t> jointRegion;   // per joint: region of the last box on it, kRegionNone without one
};

struct HitboxHit {
    bool hit = false;
    float distance = 0.0f;
    glm::vec3 point = glm::vec3(0.0f);
    glm::vec3 normal = glm::vec3(0.0f);
    uint8_t region = kRegionTorso;
    int32_t joint = -1;
};

// One row of the fixed table of damage volumes.
struct HitboxRow {
    const char* joint;
    uint8_t region;
    float offset[3];
    float rotation[4];  // x, y, z, w
    float halfExtents[3];
};

// The thirteen rows, in order.
const HitboxRow* HitboxTable();

// Rebuilds the set on the skeleton's joint names; true when at least one box was made.
bool BuildHitboxes(HitboxSet& set, const anim::Skeleton& skeleton);

// The nearest box a ray hits. `joints` are the posed model-space joint matrices, `model` places the
// character in the world; with a unit direction distances are world units. A ray that starts
// inside a box does not hit that box.
HitboxHit RaycastHitboxes(const HitboxSet& set, const std::vector<glm::mat4>& joints, const glm::mat4& model,
                          const glm::vec3& origin, const glm::vec3& direction, float maxDistance);

inline bool IsHeadshot(uint8_t region) { return region == kRegionHead; }

// Per-region timers of the hit tint.
struct HitFlash {
    float timers[6] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

    void Clear();
    void Trigger(uint8_t region, float seconds);
    void Decay(float dt);
    bool Any() const;
    // One weight per joint of the set: how strongly its region still flashes, 0..1.
    static void JointWeights(const HitboxSet& set, const HitFlash& flash, float duration, std::vector<float>& out);
};
