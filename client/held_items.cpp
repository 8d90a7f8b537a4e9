#include "client/held_items.h"

#include <glm/ext/matrix_transform.hpp>

#include "client/game_session.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

const net::LobbyMember* MemberOf(const GameSession& game, int id)
{
    return game.hasLobbyView ? net::FindLobbyMember(game.lobby, id) : nullptr;
}

}  // namespace

glm::mat4 PlaceInHand(const glm::mat4& model, const glm::mat4& handJoint, const glm::mat4& grip, float scale,
                      const glm::vec3& offset)
{
    glm::mat4 x = model * handJoint * grip;
    if (scale != 1.0f) {
        x[0] *= scale;
        x[1] *= scale;
        x[2] *= scale;
    }
    x[3] = x[0] * offset.x + x[1] * offset.y + x[2] * offset.z + x[3];
    return x;
}

void ToggleWornAccessory(WornAccessories& ids, AccessorySlot slotClass, uint8_t id, uint8_t empty)
{
    int positions[kLoadoutPositions];
    int n = 0;
    for (int p = 0; p < kLoadoutPositions; ++p) {
        if (LoadoutPositionSlot(p) == slotClass) {
            positions[n++] = p;
        }
    }
    if (n == 0 || id == empty) {
        return;
    }
    const auto at = [&](int k) -> uint8_t& { return ids[static_cast<size_t>(positions[k])]; };
    for (int k = 0; k < n; ++k) {
        if (at(k) == id) {  // worn: take it off, the later ones move up
            for (int j = k; j < n - 1; ++j) {
                at(j) = at(j + 1);
            }
            at(n - 1) = empty;
            return;
        }
    }
    for (int k = 0; k < n; ++k) {
        if (at(k) == empty) {
            at(k) = id;
            return;
        }
    }
    for (int j = 0; j < n - 1; ++j) {  // full: the oldest is dropped
        at(j) = at(j + 1);
    }
    at(n - 1) = id;
}

bool NoAccessories(const WornAccessories& ids)
{
    for (const uint8_t id : ids) {
        if (id != 0) {
            return false;
        }
    }
    return true;
}

uint8_t AccessoryIdOf(int index)
{
    return index >= 0 && index < 255 ? static_cast<uint8_t>(index + 1) : 0;
}

SentryParts SentryPartMatrices(const glm::vec3& position, float baseYaw, float aimYaw, float pitch, float sentryScale)
{
    const float s = sentryScale;
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    SentryParts parts;
    parts.base = glm::rotate(glm::translate(glm::mat4(1.0f), position), baseYaw * kDegreesToRadians + 3.1415927f, up);
    parts.yawMount = glm::translate(parts.base, glm::vec3(0.0f, 0.1412f * s, 0.0f));
    parts.yawMount = glm::rotate(parts.yawMount, (aimYaw - baseYaw) * kDegreesToRadians, up);
    parts.yawMount = glm::translate(parts.yawMount, glm::vec3(0.0f, -0.1412f * s, 0.0f));
    parts.head = glm::translate(parts.yawMount, glm::vec3(0.0f, 0.2352f * s, -0.024f * s));
    parts.head = glm::rotate(parts.head, pitch * kDegreesToRadians, glm::vec3(1.0f, 0.0f, 0.0f));
    parts.head = glm::translate(parts.head, glm::vec3(0.0f, -0.2352f * s, 0.024f * s));
    return parts;
}

uint8_t PlayerSkin(const GameSession& game, int id)
{
    const net::LobbyMember* member = MemberOf(game, id);
    return member != nullptr ? member->skin : 0;
}

WornAccessories PlayerAccessories(const GameSession& game, int id)
{
    const net::LobbyMember* member = MemberOf(game, id);
    return member != nullptr ? member->accessories : WornAccessories{};
}
