#pragma once
// The server's hit targets: one authoritative character rig with its damage volumes, and per player
// the animator that poses those volumes in world space once per tick.
#include <array>
#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "game/anim_rig.h"
#include "game/character_animator.h"
#include "game/hit_volumes.h"
#include "game/tuning.h"

namespace net {

constexpr int kCombatVolumeCount = 13;

struct CombatRig {
    anim::Rig rig;
    HitboxSet volumes;  // exactly 13 once loaded
};

struct PosedVolume {
    glm::mat4 inverseWorld = glm::mat4(1.0f);
    glm::vec3 halfExtents = glm::vec3(0.0f);
    int32_t joint = -1;
    uint32_t region = kRegionTorso;  // the low byte is the body region
};

// What the lag-compensation ring copies every tick.
struct PosedSet {
    std::array<PosedVolume, kCombatVolumeCount> volumes{};
    glm::vec3 position = glm::vec3(0.0f);
    uint16_t count = 0;
    glm::vec3 centre = glm::vec3(0.0f);
    float radius = 0.0f;
    uint8_t posed = 0;  // 1 while the current life has a running animator
};

struct CombatPose {
    const CombatRig* rig = nullptr;         // not owned
    const tune::Tuning* tuning = nullptr;   // not owned
    anim::Animator animator;
    std::vector<glm::mat4> skinning;        // scratch for the animator
    PosedSet set;
};

struct PosedVolumeHit {
    uint8_t hit = 0;
    float distance = 0.0f;  // the maximum distance when nothing is hit
    glm::vec3 point = glm::vec3(0.0f);
    glm::vec3 normal = glm::vec3(0.0f);
    uint8_t region = kRegionTorso;
    int32_t joint = -1;
};

}  // namespace net
