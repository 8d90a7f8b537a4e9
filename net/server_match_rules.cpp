// Match rules that the tick already needs: who is whose ally, and how much health a player has.
#include <algorithm>

#include "game/progression.h"
#include "net/server.h"

namespace net {

uint16_t Server::MaxHealth(int slot) const
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return static_cast<uint16_t>(std::clamp(tuning.Armor(0).hitPoints, 1, 65535));
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    const PlayerState& state = client.state;
    double percent = 100.0;
    if (client.room >= 0 && client.room < kMaxRooms && rooms[static_cast<size_t>(client.room)].inUse) {
        percent = rooms[static_cast<size_t>(client.room)].settings.healthPercent;
    }
    // Armour sets the ceiling; it never reduces the damage taken.
    const double hitPoints = std::max(tuning.Armor(StateArmorRow(state)).hitPoints, 1);
    const double value =
        static_cast<double>(StatMultiplier(state.upgradeLevels[kTrackHealth])) * hitPoints * percent * 0.01 + 0.5;
    return static_cast<uint16_t>(std::clamp(value, 1.0, 65535.0));
}

bool Server::SameTeam(int a, int b) const
{
    const int count = static_cast<int>(slots.size());
    if (a < 0 || b < 0 || a >= count || b >= count) {
        return false;
    }
    if (a == b) {
        return true;
    }
    const ClientSlot& first = slots[static_cast<size_t>(a)];
    // In a free-for-all room nobody is anyone's ally, whatever team bytes the players carry.
    if (first.room >= 0 && first.room < kMaxRooms && rooms[static_cast<size_t>(first.room)].inUse &&
        rooms[static_cast<size_t>(first.room)].settings.gameMode == 1) {
        return false;
    }
    return first.state.team == slots[static_cast<size_t>(b)].state.team;
}

}  // namespace net
