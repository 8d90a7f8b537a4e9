// The match economy: passive income and bounties once a second, and the levels a player buys
// with his points.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "game/progression.h"
#include "net/server.h"

namespace net {
namespace {

constexpr uint8_t kTopLevel = 20;
constexpr double kEconomyInterval = 1.0;  // seconds between steps
constexpr double kLongestEconomyStep = 5.0;  // a pause longer than this pays no more
constexpr double kIncomePerSecond = 2.0;

bool IsAlive(const PlayerState& state)
{
    return state.respawnTicks == 0 && state.health > 0;
}

}  // namespace

void Server::BuyLevel(int slot, uint8_t track, bool repeat)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size() || track >= kUpgradeTrackCount) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    const int room = client.room;
    if (!client.inUse || room < 0 || room >= kMaxRooms || !rooms[static_cast<size_t>(room)].inUse ||
        !rooms[static_cast<size_t>(room)].started || !MetalOn(room)) {
        return;
    }
    uint8_t& level = client.state.upgradeLevels[track];
    int bought = 0;
    while (level < kTopLevel) {
        const uint32_t cost = static_cast<uint32_t>(StatUpgradeCost(level));
        if (client.points < cost) {
            break;
        }
        client.points -= cost;
        client.pointsSpent = client.pointsSpent > UINT32_MAX - cost ? UINT32_MAX : client.pointsSpent + cost;
        level += 1;
        ++bought;
        if (!repeat) {
            break;
        }
    }
    if (bought == 0) {
        return;
    }
    if (track == kTrackHealth) {
        RefreshMaxHealth(slot);
    }
    SendEconomy(slot);
}

void Server::EconomyStep(double time)
{
    const double elapsed = time - lastEconomyStep;
    if (!(elapsed >= kEconomyInterval)) {
        return;
    }
    const double dt = std::min(elapsed, kLongestEconomyStep);
    lastEconomyStep = time;
    for (int room = 0; room < kMaxRooms; ++room) {
        const Room& record = rooms[static_cast<size_t>(room)];
        if (!record.inUse || !record.started || !MetalOn(room)) {
            continue;
        }
        int members = 0;
        uint64_t wealth = 0;
        for (const ClientSlot& client : slots) {
            if (client.inUse && client.room == room) {
                ++members;
                wealth += static_cast<uint64_t>(client.points) + client.pointsSpent;
            }
        }
        if (members < 1) {
            continue;
        }
        const int average = static_cast<int>(std::min<uint64_t>(wealth / static_cast<uint64_t>(members), INT_MAX));
        const double income = static_cast<double>(record.settings.metalRatePercent) * 0.01 * kIncomePerSecond * dt;
        for (size_t i = 0; i < slots.size(); ++i) {
            ClientSlot& client = slots[i];
            if (!client.inUse || client.room != room) {
                continue;
            }
            if (IsAlive(client.state)) {
                client.incomeRemainder += income;
                const double whole = std::min(std::floor(client.incomeRemainder), 4294967295.0);
                client.incomeRemainder -= whole;
                const uint32_t gain = static_cast<uint32_t>(whole);
                client.points = client.points > UINT32_MAX - gain ? UINT32_MAX : client.points + gain;
            }
            const uint64_t total = static_cast<uint64_t>(client.points) + client.pointsSpent;
            const uint32_t wealthOfMember = static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
            client.bounty = members > 1 ? static_cast<uint32_t>(LeadBonus(wealthOfMember, average)) : 0u;
            if (client.bot) {
                AutoPurchase(static_cast<int>(i));
            }
            SendEconomy(static_cast<int>(i));
        }
    }
}

}  // namespace net
