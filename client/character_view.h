#pragma once
// The characters as placed in this frame: the own one and every remote one the interpolation
// shows, each with its model matrix, the weapon in its hand and where its shots leave, and the
// per-slot records that live across frames (animators, throw clocks, hit flashes). Built by the
// character instance pass; the shot, beam and world passes read it.
#include <array>
#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "client/held_items.h"
#include "game/character_animator.h"
#include "game/hit_volumes.h"
#include "net/protocol.h"

namespace render {
struct SkinnedModel;
}

struct RemoteCharacterView {
    uint32_t id = 0;           // the player slot
    int firstBone = -1;        // in the frame's instance list, -1 when out of view
    bool inView = false;
    glm::mat4 model{1.0f};
    bool weaponPlaced = false;
    glm::mat4 weapon{1.0f};
    glm::vec3 muzzle{0.0f};
    glm::vec3 aim{0.0f, 0.0f, -1.0f};
    glm::vec3 position{0.0f};
    int weaponRow = 0;
    WornAccessories accessories{};
    uint8_t skin = 0;          // 1-based, 0 none
    uint8_t armour = 0;
    bool ember = false;
    bool firing = false;
    bool grenadeHeld = false;
    bool grenadeThrown = false;
    bool invisible = false;
    // The model it is drawn with and, for a skin's model, its joints' rig joints (null for the
    // rig's own joints); set when it is in view.
    const render::SkinnedModel* skinned = nullptr;
    const std::vector<int32_t>* skinJointMap = nullptr;
};

struct OwnCharacterView {
    bool shown = false;        // playing, or the loadout preview
    bool alive = false;
    glm::mat4 model{1.0f};
    int firstBone = -1;
    float opacity = 1.0f;      // the camera fade, with the invisibility shimmer
    bool weaponPlaced = false; // a weapon in the hand this frame
    glm::mat4 weapon{1.0f};
    glm::vec3 muzzle{0.0f};    // (0, 0, 0) when no weapon is placed
    const render::SkinnedModel* skinned = nullptr;
    const std::vector<int32_t>* skinJointMap = nullptr;
};

struct CharacterFrame {
    OwnCharacterView own;
    std::vector<RemoteCharacterView> remotes;  // in the interpolation's order

    // Per player slot, across frames.
    std::array<anim::Animator, net::kMaxPlayers> slotAnimators;
    std::array<float, net::kMaxPlayers> throwTimes{};
    std::array<HitFlash, net::kMaxPlayers> hitFlashes{};
    HitFlash ownHitFlash;

    // Reused each frame for the hit-flash values of one character.
    std::vector<float> flashWeights;
    std::vector<float> flashValues;
};
