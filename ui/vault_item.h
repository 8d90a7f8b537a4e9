#pragma once
// The records the 3D vault keeps per item and hands back to its caller: an entry of the account's
// vault list, an item model with its placement, an item lying in (or arriving into, or leaving)
// the room, and the events drained each frame for sounds.
#include <cstdint>
#include <string>

#include <glm/gtc/quaternion.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

namespace render {
struct StaticModel;
}

namespace vault {

// One item of the account's vault as the scene is told of it.
struct VaultEntry {
    std::string name;    // the account's item id
    int32_t model = -1;  // index into the scene's item models
    int32_t rarity = 0;  // 0 common, 1 rare, 2 legendary, 3 omega
};

// How an item model is drawn: the model (null for none) and where it sits in its own frame (for an
// accessory, as worn on the base rig in its bind pose).
struct VaultItemModel {
    const render::StaticModel* model = nullptr;
    glm::mat4 placement{1.0f};
};

struct VaultItem {
    std::string name;
    int32_t model = -1;
    int32_t rarity = 0;
    int32_t body = -1;  // in the physics world, -1 until it exists
    float scale = 1.0f;
    glm::quat orientation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 modelOffset{0.0f};  // moves the placed model's box centre to the body's centre
    glm::vec3 halfExtents{0.2f};
    uint8_t arriving = 0;
    float age = 0.0f;
    glm::vec3 spot{0.0f};  // where it lies before it has a body
    float fadeStart = -1.0f;
    float lastBoltTime = -1.0f;
    uint8_t movedOut = 0;
    float movedOutTimer = 0.0f;
    float landingShine = 0.0f;
    float highlight = 0.0f;
    uint8_t thrown = 0;
    uint8_t gone = 0;
    float dissolveTimer = 0.0f;
};

// What a pending event says happened.
enum VaultEventKind : uint32_t {
    kVaultItemAdded = 0,
    kVaultItemDropped = 1,   // its body appears above its spot
    kVaultImpact = 2,
    kVaultItemLanded = 3,    // carries the item's name
    kVaultOmegaFanfare = 4,
    kVaultPitOpens = 5,
    kVaultPitCloses = 6,
    kVaultItemDestroyed = 7,
};

struct VaultEvent {
    uint32_t kind = 0;
    uint32_t rarity = 0;
    float volume = 1.0f;
    std::string name;
};

// The scene's part of the window in pixels, top-left origin (as the screen's layout gives it).
struct VaultViewport {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

}  // namespace vault
