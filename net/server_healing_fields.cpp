// Healing fields on the server: dropping one, its pulses with overheal, its ageing; and the power
// dispatch that places every deployable.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "net/server.h"
#include "net/world_messages.h"

namespace net {
namespace {

constexpr uint32_t kHealingFieldIdMask = 0xFFFFu;  // ids travel in 16 bits
constexpr uint8_t kHealingHitKind = 1;

enum PowerRow : uint8_t { kPowerGrenade = 0, kPowerSentry = 1, kPowerInvisibility = 2, kPowerShield = 3, kPowerHealing = 4 };

uint32_t FollowingFieldId(uint32_t id)
{
    const uint32_t next = (id + 1u) & kHealingFieldIdMask;
    return next == 0 ? 1u : next;
}

bool FieldIdHeld(const std::vector<HealingField>& fields, uint32_t id)
{
    return std::any_of(fields.begin(), fields.end(), [id](const HealingField& field) { return field.id == id; });
}

}  // namespace

void AgeHealingFields(std::vector<HealingField>& fields, float dt, float lifetime)
{
    for (HealingField& field : fields) {
        field.age += dt;
        field.sinceLastPulse += dt;
    }
    fields.erase(std::remove_if(fields.begin(), fields.end(),
                                [lifetime](const HealingField& field) { return field.age >= lifetime; }),
                 fields.end());
}

bool InHealingField(const HealingField& field, const glm::vec3& point, float radius)
{
    const glm::vec3 offset = point - field.position;
    return glm::dot(offset, offset) <= radius * radius;
}

HealingField* Server::SpawnHealingField(int room, int owner, uint8_t team, const glm::vec3& position)
{
    if (room < 0 || room >= kMaxRooms) {
        return nullptr;
    }
    std::vector<HealingField>& fields = roomHealingFields[static_cast<size_t>(room)];
    if (static_cast<int>(fields.size()) >= kMaxHealingFieldsPerRoom) {
        return nullptr;
    }
    // A field can outlive a whole turn of the 16-bit counter, so live ids are skipped.
    uint32_t& counter = nextHealingFieldId[static_cast<size_t>(room)];
    uint32_t id = counter & kHealingFieldIdMask;
    if (id == 0) {
        id = 1;
    }
    while (FieldIdHeld(fields, id)) {
        id = FollowingFieldId(id);
    }
    counter = FollowingFieldId(id);
    HealingField field;
    field.id = id;
    field.owner = owner;
    field.team = team;
    field.position = position;
    fields.push_back(field);
    return &fields.back();
}

void Server::DropHealingField(int slot)
{
    const int room = RoomOfPlayer(slot);
    if (room < 0) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    const glm::vec3 centre = client.state.position + glm::vec3(0.0f, client.state.height * 0.5f, 0.0f);
    const HealingField* field = SpawnHealingField(room, slot, DeployableTeam(slot), centre);
    if (field == nullptr) {
        return;
    }
    std::printf("[server] room %u: player %d dropped healing field %u\n",
                static_cast<unsigned>(rooms[static_cast<size_t>(room)].id), slot, field->id);
    HealingFieldMessage message;
    message.id = static_cast<uint16_t>(field->id);
    message.owner = slot;
    message.team = field->team;
    message.position = field->position;
    SendToRoom(room, message);
}

void Server::StepHealingFields()
{
    const tune::HealingFieldTuning& fieldTuning = tuning.healingField;
    const int tickRate = std::max(tuning.loop.tickRate, 1);
    const double holdTicks = std::trunc(static_cast<double>(fieldTuning.overhealHoldTime) * tickRate);
    const uint16_t hold = static_cast<uint16_t>(std::clamp(holdTicks, 0.0, 65535.0));
    for (int room = 0; room < kMaxRooms; ++room) {
        std::vector<HealingField>& fields = roomHealingFields[static_cast<size_t>(room)];
        if (!rooms[static_cast<size_t>(room)].inUse || !rooms[static_cast<size_t>(room)].started) {
            fields.clear();
            continue;
        }
        for (HealingField& field : fields) {
            if (field.sinceLastPulse < fieldTuning.pulseInterval) {
                continue;
            }
            const float elapsed = field.sinceLastPulse;
            field.sinceLastPulse = 0.0f;
            for (size_t s = 0; s < slots.size(); ++s) {
                ClientSlot& client = slots[s];
                PlayerState& state = client.state;
                const int player = static_cast<int>(s);
                if (!client.inUse || client.room != room || state.respawnTicks != 0 || state.health == 0 ||
                    !IsFriendlyDeployable(room, player, field.team, field.owner)) {
                    continue;
                }
                const glm::vec3 centre = state.position + glm::vec3(0.0f, state.height * 0.5f, 0.0f);
                if (!InHealingField(field, centre, fieldTuning.radius)) {
                    continue;
                }
                const double most = state.maxHealth == 0 ? 1.0 : static_cast<double>(state.maxHealth);
                const double share = static_cast<double>(fieldTuning.healShare);
                const double amount = std::max(
                    1.0, std::trunc(static_cast<double>(elapsed) /
                                        std::max(static_cast<double>(fieldTuning.lifetime), 0.01) * most * share +
                                    0.5));
                const double ceiling = most + std::trunc(most * share + 0.5);
                const double raised = std::min(static_cast<double>(state.health) + amount, ceiling);
                const int health = static_cast<int>(std::min(raised, 65535.0));
                if (health <= state.health) {
                    continue;
                }
                const int rise = std::min(health - static_cast<int>(state.health), kMaxHitAmount);
                state.health = static_cast<uint16_t>(health);
                if (health > most) {
                    state.overhealHoldTicks = hold;
                }
                if (field.owner >= 0 && static_cast<size_t>(field.owner) < slots.size()) {
                    HitEventMessage hit;
                    hit.attacker = field.owner;
                    hit.victim = static_cast<uint8_t>(player);
                    hit.kind = kHealingHitKind;
                    hit.amount = rise;
                    hit.healing = true;
                    hit.position = centre;
                    SendToRoom(room, hit);
                }
            }
        }
    }
}

void Server::UsePower(int slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    if (!client.inUse || client.room < 0 || client.room >= kMaxRooms || !rooms[static_cast<size_t>(client.room)].inUse) {
        return;
    }
    switch (client.state.power) {
    case kPowerGrenade:
        ThrowGrenade(slot);
        break;
    case kPowerSentry:
        PlantSentry(slot);
        break;
    case kPowerShield:
        PutUpShield(slot);
        break;
    case kPowerHealing:
        DropHealingField(slot);
        break;
    default:
        // Invisibility lives in the player's state alone.
        break;
    }
}

}  // namespace net
