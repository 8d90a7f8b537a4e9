// Burning: a player set alight by a flame takes damage at every interval until it runs out, he
// dies, or he is protected.
#include <algorithm>
#include <cmath>

#include "net/server.h"
#include "net/world_messages.h"

namespace net {
namespace {

constexpr uint8_t kBurnHitKind = 1;

void StopBurning(ClientSlot& client)
{
    client.burningUntil = 0.0;
    client.nextBurn = 0.0;
    client.burner = -1;
}

}  // namespace

void Server::StepBurning(double time)
{
    const double interval = tuning.match.flame.burnInterval;
    if (!(interval > 0.0)) {
        return;
    }
    const float centre = tuning.movement.standingHeight * 0.5f;
    for (size_t i = 0; i < slots.size(); ++i) {
        ClientSlot& client = slots[i];
        const int room = client.room;
        if (!client.inUse || room < 0 || room >= kMaxRooms || !rooms[static_cast<size_t>(room)].inUse ||
            !rooms[static_cast<size_t>(room)].started) {
            continue;
        }
        PlayerState& state = client.state;
        if (state.respawnTicks != 0 || state.health == 0 || state.spawnProtectionTicks != 0) {
            StopBurning(client);
            continue;
        }
        // One burn a step at most: the next burn is always moved past now.
        if (time < client.burningUntil && time >= client.nextBurn) {
            client.nextBurn += interval;
            if (!(client.nextBurn > time)) {
                client.nextBurn = time + interval;
            }
            const double scaled = std::trunc(static_cast<double>(DamageScale(client.burner)) *
                                                 static_cast<double>(tuning.match.flame.burnDamage) +
                                             0.5);
            if (!(scaled >= 1.0)) {
                continue;
            }
            const int damage = static_cast<int>(std::min(scaled, static_cast<double>(kMaxHitAmount)));
            const int burner = client.burner;
            RecordDamageCredit(static_cast<int>(i), burner, time);
            const bool lethal = damage >= state.health;
            if (lethal) {
                StopBurning(client);
                KillPlayer(static_cast<int>(i), time, burner);
            } else {
                state.health = static_cast<uint16_t>(state.health - damage);
            }
            // Without a burner there is no attacker to name, and the hit event cannot be written.
            if (burner >= 0 && static_cast<size_t>(burner) < slots.size()) {
                HitEventMessage hit;
                hit.attacker = burner;
                hit.victim = static_cast<uint8_t>(i);
                hit.kind = kBurnHitKind;
                hit.amount = damage;
                hit.lethal = lethal;
                hit.position = state.position + glm::vec3(0.0f, centre, 0.0f);
                SendToRoom(room, hit);
            }
        }
    }
}

}  // namespace net
