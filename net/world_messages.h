#pragma once
// Server-to-room messages about the match world: hits, drops, projectiles, kills, sentries, shots,
// shields and healing fields.
#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "game/player_state.h"
#include "net/bit_stream.h"
#include "net/protocol.h"

namespace net {

constexpr int kMaxHitAmount = 4095;
constexpr uint32_t kMaxDropsPerMessage = 8;
constexpr uint32_t kMaxSentriesPerMessage = 24;
constexpr uint32_t kMaxShieldsPerMessage = 24;
constexpr uint32_t kMaxShotPellets = 32;
constexpr int kMaxWorldObjectHitPoints = 1023;

// Hit kinds of a shot: a body region below 6, then these.
constexpr uint8_t kHitKindSentry = 6;
constexpr uint8_t kHitKindShield = 7;

struct HitEventMessage {
    static constexpr MessageType kType = MessageType::HitEvent;
    int attacker = 0;  // a slot; the writer refuses the message for a negative attacker
    uint8_t victim = 0;
    uint8_t kind = 0;
    int amount = 0;  // its absolute value travels, at most 4095
    bool lethal = false;
    bool healing = false;
    glm::vec3 position{0.0f};
};

struct DropSpawnEntry {
    uint32_t id = 0;
    uint8_t kind = 0;  // 0 iron coin, 1 stardust
    glm::vec3 position{0.0f};
    glm::vec3 velocity{0.0f};
    float spin = 0.0f;
};

// One message holds 1 to 8 drops; a writer sends the first 8 and refuses an empty list, so a
// sender with more sends further messages. A reader that runs off the datagram keeps the drops it
// read whole (and still returns false).
struct DropSpawnedMessage {
    static constexpr MessageType kType = MessageType::DropSpawned;
    std::vector<DropSpawnEntry> drops;
};

struct DropTakenMessage {
    static constexpr MessageType kType = MessageType::DropTaken;
    uint32_t dropId = 0;
    uint8_t slot = 0;
};

struct ProjectileSpawnedMessage {
    static constexpr MessageType kType = MessageType::ProjectileSpawned;
    uint32_t id = 0;   // 24 bits on the wire
    uint8_t kind = 0;  // 0 rocket, 1 grenade
    int owner = 0;     // a slot; the writer refuses the message for a negative owner
    glm::vec3 position{0.0f};
    glm::vec3 velocity{0.0f};
};

struct ProjectileDetonatedMessage {
    static constexpr MessageType kType = MessageType::ProjectileDetonated;
    uint32_t id = 0;  // 24 bits on the wire
    glm::vec3 position{0.0f};
};

struct KillEventMessage {
    static constexpr MessageType kType = MessageType::KillEvent;
    uint8_t victim = 0;
    uint8_t armour = 0;
    glm::vec3 position{0.0f};
    float yaw = 0.0f;
    float bodyYaw = 0.0f;
};

struct SentryStateEntry {
    uint32_t id = 0;         // low 12 bits travel
    int owner = 0;           // a slot; a negative owner makes the writer refuse the list
    uint8_t team = kTeamNone;  // 0, 1, or none
    glm::vec3 position{0.0f};
    float baseYaw = 0.0f;
    float yaw = 0.0f;
    float pitch = 0.0f;
    int hitPoints = 0;        // capped at 1023
    uint32_t shotsFired = 0;  // modulo 8 on the wire
    int target = -1;          // slot, -1 none
};

// A room's sentries; a writer sends the first 24.
struct SentryStatesMessage {
    static constexpr MessageType kType = MessageType::SentryStates;
    std::vector<SentryStateEntry> sentries;
};

// Weapon row 1..9, 1 to 32 pellets and no infinite or NaN coordinate, or the shot is not sent (and
// a reader refuses it).
struct ShotRecord {
    uint8_t weapon = 1;
    glm::vec3 origin{0.0f};
    std::vector<glm::vec3> pelletEnds;
};

struct ShotEventMessage {
    static constexpr MessageType kType = MessageType::ShotEvent;
    uint8_t shooter = 0;
    ShotRecord shot;
};

struct ShieldStateEntry {
    uint32_t id = 0;      // low 12 bits travel
    int owner = 0;        // a slot; a negative owner makes the writer refuse the list
    uint8_t team = kTeamNone;  // 0, 1, or none
    glm::vec3 position{0.0f};
    float yaw = 0.0f;
    int hitPoints = 0;  // capped at 1023
    float age = 0.0f;   // seconds
};

// A room's shields; a writer sends the first 24.
struct ShieldStatesMessage {
    static constexpr MessageType kType = MessageType::ShieldStates;
    std::vector<ShieldStateEntry> shields;
};

struct HealingFieldMessage {
    static constexpr MessageType kType = MessageType::HealingField;
    uint16_t id = 0;
    int owner = 0;       // a slot; the writer refuses the message for a negative owner
    uint8_t team = kTeamNone;  // 0, 1, or none
    glm::vec3 position{0.0f};
};

bool WriteMessage(BitWriter& writer, const HitEventMessage& message);
bool ReadMessage(BitReader& reader, HitEventMessage& message);
bool WriteMessage(BitWriter& writer, const DropSpawnedMessage& message);
bool ReadMessage(BitReader& reader, DropSpawnedMessage& message);
bool WriteMessage(BitWriter& writer, const DropTakenMessage& message);
bool ReadMessage(BitReader& reader, DropTakenMessage& message);
bool WriteMessage(BitWriter& writer, const ProjectileSpawnedMessage& message);
bool ReadMessage(BitReader& reader, ProjectileSpawnedMessage& message);
bool WriteMessage(BitWriter& writer, const ProjectileDetonatedMessage& message);
bool ReadMessage(BitReader& reader, ProjectileDetonatedMessage& message);
bool WriteMessage(BitWriter& writer, const KillEventMessage& message);
bool ReadMessage(BitReader& reader, KillEventMessage& message);
bool WriteMessage(BitWriter& writer, const SentryStatesMessage& message);
bool ReadMessage(BitReader& reader, SentryStatesMessage& message);
bool WriteMessage(BitWriter& writer, const ShotEventMessage& message);
bool ReadMessage(BitReader& reader, ShotEventMessage& message);
bool WriteMessage(BitWriter& writer, const ShieldStatesMessage& message);
bool ReadMessage(BitReader& reader, ShieldStatesMessage& message);
bool WriteMessage(BitWriter& writer, const HealingFieldMessage& message);
bool ReadMessage(BitReader& reader, HealingFieldMessage& message);

// The shot record alone (weapon, pellet count, origin, pellet ends), for a caller that reads the
// shooter itself.
bool ReadShotRecord(BitReader& reader, ShotRecord& shot);

}  // namespace net
