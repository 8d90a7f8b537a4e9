#pragma once
// What characters hold and wear: the matrices that put a weapon or a grenade in the hand, the
// worn-accessory rule, the three posed parts of a sentry, and what the lobby says each player
// wears.
#include <array>
#include <cstdint>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "game/accessory_catalogue.h"

struct GameSession;

// M x J x grip, scaled by `scale` (unless exactly 1) and moved by `offset` in the scaled frame:
// M x J x grip x scale(s) x translate(offset).
glm::mat4 PlaceInHand(const glm::mat4& model, const glm::mat4& handJoint, const glm::mat4& grip, float scale,
                      const glm::vec3& offset);

using WornAccessories = std::array<uint8_t, kLoadoutPositions>;

// Wears `id` in the positions of `slotClass`, or takes it off when it is worn there; a full class
// drops its oldest. `empty` is the id of an empty position.
void ToggleWornAccessory(WornAccessories& ids, AccessorySlot slotClass, uint8_t id, uint8_t empty);
bool NoAccessories(const WornAccessories& ids);
// The 1-based id of catalogue index `index`: 0 from 255 on.
uint8_t AccessoryIdOf(int index);

struct SentryParts {
    glm::mat4 base{1.0f};
    glm::mat4 yawMount{1.0f};
    glm::mat4 head{1.0f};
};
// The base turned to its yaw, the mount to the aim yaw, the head to the pitch; angles in degrees.
SentryParts SentryPartMatrices(const glm::vec3& position, float baseYaw, float aimYaw, float pitch, float sentryScale);

// What the lobby view says the player with this id wears: its skin byte and four accessory ids;
// 0 and four zeros when no member has the id.
uint8_t PlayerSkin(const GameSession& game, int id);
WornAccessories PlayerAccessories(const GameSession& game, int id);
