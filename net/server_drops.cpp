// Death drops: rolled out of a dead player's body, stepped with the shared drop rules and picked
// up by whoever of the room walks over them.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "net/server.h"
#include "net/world_messages.h"

namespace net {
namespace {

constexpr uint8_t kDropKindStardust = 1;

}  // namespace

void Server::DropOnDeath(int room, const glm::vec3& position)
{
    if (room < 0 || room >= kMaxRooms) {
        return;
    }
    const uint32_t seed = dropSequence;
    dropSequence += 1;
    std::vector<DeathDrop> spawned;
    RollDeathDrop(roomDrops[static_cast<size_t>(room)], position, seed, tuning.match.drops, spawned);
    const unsigned roomId = rooms[static_cast<size_t>(room)].id;
    if (spawned.empty()) {
        std::printf("[server] room %u: death drop rolled nothing\n", roomId);
        return;
    }
    std::printf("[server] room %u: dropped %d %s\n", roomId, static_cast<int>(spawned.size()),
                spawned.front().kind == kDropKindStardust ? "stardust" : "iron coin(s)");
    // One message carries at most 8 drops; a larger roll goes out in further messages.
    for (size_t first = 0; first < spawned.size(); first += kMaxDropsPerMessage) {
        DropSpawnedMessage message;
        const size_t last = std::min(spawned.size(), first + kMaxDropsPerMessage);
        for (size_t i = first; i < last; ++i) {
            const DeathDrop& drop = spawned[i];
            DropSpawnEntry entry;
            entry.id = drop.id;
            entry.kind = drop.kind;
            entry.position = drop.position;
            entry.velocity = drop.velocity;
            entry.spin = drop.spin;
            message.drops.push_back(entry);
        }
        SendToRoom(room, message);
    }
}

void Server::StepDrops(float dt)
{
    const float centre = tuning.movement.standingHeight * 0.5f;
    for (int room = 0; room < kMaxRooms; ++room) {
        IdList<DeathDrop>& drops = roomDrops[static_cast<size_t>(room)];
        const Room& record = rooms[static_cast<size_t>(room)];
        if (!record.inUse || !record.started) {
            drops.items.clear();
            continue;
        }
        const ServerMap& map = MapOfRoom(room);
        AdvanceDrops(drops, dt, map.world, tuning.match.drops, map.floorHeight);
        if (drops.items.empty()) {
            continue;
        }
        for (size_t i = 0; i < slots.size(); ++i) {
            const ClientSlot& client = slots[i];
            if (!client.inUse || client.room != room || client.state.respawnTicks != 0 || client.state.health == 0) {
                continue;
            }
            const glm::vec3 point = client.state.position + glm::vec3(0.0f, centre, 0.0f);
            for (uint32_t id = FindNearestDrop(drops, point, tuning.match.drops); id != 0;
                 id = FindNearestDrop(drops, point, tuning.match.drops)) {
                MarkDropTaken(drops, id);
                DropTakenMessage taken;
                taken.dropId = id;
                taken.slot = static_cast<uint8_t>(i);
                SendToRoom(room, taken);
            }
        }
    }
}

}  // namespace net
