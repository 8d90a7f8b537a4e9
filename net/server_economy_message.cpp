// The economy message: what one player has to spend, has spent, has earned and carries as a
// bounty, with the bounties of everyone in the same room.
#include <algorithm>

#include "net/economy_messages.h"
#include "net/server.h"

namespace net {

void Server::SendEconomy(int slot)
{
    if (slot < 0 || slot >= static_cast<int>(slots.size())) {
        return;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    if (!client.inUse || client.bot) {
        return;
    }
    EconomyMessage message;
    message.metal = client.points;
    message.metalSpent = client.pointsSpent;
    message.bounty = client.bounty;
    message.metalEarned = client.pointsEarned;
    if (client.room >= 0 && client.room < kMaxRooms && rooms[static_cast<size_t>(client.room)].inUse) {
        for (size_t i = 0; i < slots.size(); ++i) {
            const ClientSlot& member = slots[i];
            if (member.inUse && member.room == client.room && member.bounty >= 1) {
                BountyEntry entry;
                entry.slot = static_cast<uint8_t>(i);
                entry.bounty = static_cast<int>(std::min<uint32_t>(member.bounty, kMaxWireBounty));
                message.bounties.push_back(entry);
            }
        }
    }
    SendMessage(client.address, message);
}

}  // namespace net
