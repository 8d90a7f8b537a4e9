// The rules of a match around movement and shooting: allies, damage scale and maximum health,
// kills with their rewards, assists and bounties, lives and the win.
#include <algorithm>
#include <cstdio>

#include "game/map_geometry.h"
#include "game/progression.h"
#include "net/chat_messages.h"
#include "net/server.h"
#include "net/world_messages.h"

namespace net {
namespace {

constexpr int kKillReward = 300;
constexpr int kAssistReward = 150;
constexpr double kAssistWindow = 8.0;  // seconds: older damage earns no assist
constexpr int kMaxScore = 255;
constexpr size_t kServerTextLength = 96;

uint32_t SaturatingAdd(uint32_t a, uint32_t b)
{
    return a > UINT32_MAX - b ? UINT32_MAX : a + b;
}

void AddPoints(ClientSlot& client, uint32_t amount)
{
    client.points = SaturatingAdd(client.points, amount);
    client.pointsEarned = SaturatingAdd(client.pointsEarned, amount);
}

bool RoomInUse(const std::array<Room, kMaxRooms>& rooms, int room)
{
    return room >= 0 && room < kMaxRooms && rooms[static_cast<size_t>(room)].inUse;
}

}  // namespace


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

bool Server::IsFriendlyDeployable(int room, int slot, uint8_t ownerTeam, int ownerSlot) const
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return false;
    }
    if (slot == ownerSlot) {
        return true;
    }
    // Free-for-all: a deployable is friendly to its owner only.
    return HasTeams(room) && slots[static_cast<size_t>(slot)].state.team == ownerTeam;
}

bool Server::HasTeams(int room) const
{
    return TeamMode(room) != 1;
}

void Server::SendRoomNotice(int room, const std::string& text)
{
    if (room < 0 || room >= kMaxRooms) {
        return;
    }
    for (size_t i = 0; i < slots.size(); ++i) {
        const ClientSlot& client = slots[i];
        if (!client.inUse || client.bot || client.room != room) {
            continue;
        }
        // Each recipient sees itself as the sender of a server text.
        ChatLineMessage line;
        line.sender = static_cast<uint8_t>(i);
        line.fromServer = true;
        line.text = text.substr(0, kServerTextLength);
        SendMessage(client.address, line);
    }
}

float Server::DamageScale(int slot) const
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size() || !slots[static_cast<size_t>(slot)].inUse) {
        return 1.0f;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    float roomScale = 1.0f;
    if (RoomInUse(rooms, client.room)) {
        roomScale = static_cast<float>(rooms[static_cast<size_t>(client.room)].settings.damagePercent) * 0.01f;
    }
    return tuning.Armor(StateArmorRow(client.state)).damageFactor *
           StatMultiplier(client.state.upgradeLevels[kTrackDamage]) * roomScale;
}

void Server::RefreshMaxHealth(int slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return;
    }
    PlayerState& state = slots[static_cast<size_t>(slot)].state;
    const uint16_t fresh = MaxHealth(slot);
    const int gain = static_cast<int>(fresh) - static_cast<int>(state.maxHealth);
    state.maxHealth = fresh;
    if (gain >= 1 && state.respawnTicks == 0 && state.health > 0) {
        state.health = static_cast<uint16_t>(std::min(static_cast<int>(state.health) + gain, static_cast<int>(fresh)));
    }
}

int Server::ScaledReward(int room, int amount) const
{
    if (amount < 1 || !MetalOn(room)) {
        return 0;
    }
    const double value =
        static_cast<double>(rooms[static_cast<size_t>(room)].settings.metalRatePercent) * 0.01 * amount;
    if (!(value > 0.0)) {
        return 0;
    }
    return std::max(static_cast<int>(std::min(value + 0.5, 2147483647.0)), 1);
}

void Server::RecordDamageCredit(int victim, int attacker, double time)
{
    const int count = static_cast<int>(slots.size());
    if (victim < 0 || attacker < 0 || victim >= count || attacker >= count || victim == attacker ||
        SameTeam(victim, attacker)) {
        return;
    }
    std::array<DamageCredit, kDamageCreditCount>& credits = slots[static_cast<size_t>(victim)].damageCredits;
    for (DamageCredit& credit : credits) {
        if (credit.attacker == attacker) {
            credit.time = time;
            return;
        }
    }
    DamageCredit* oldest = &credits[0];
    for (DamageCredit& credit : credits) {
        if (credit.time < oldest->time) {
            oldest = &credit;
        }
    }
    oldest->attacker = attacker;
    oldest->time = time;
}

void Server::KillPlayer(int victim, double time, int killer)
{
    if (victim < 0 || static_cast<size_t>(victim) >= slots.size()) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(victim)];
    PlayerState& state = client.state;
    if (!client.inUse || state.respawnTicks != 0 || state.health == 0) {
        return;
    }
    const int room = client.room;

    // 1.
    state.health = 0;
    state.velocity = glm::vec3(0.0f);

    // 2. Rooms with unlimited lives and free-for-all rooms never consume lives.
    if (state.lives != 0) {
        const bool keepsLives = RoomInUse(rooms, room) && (rooms[static_cast<size_t>(room)].settings.lives >= 100 ||
                                                           TeamMode(room) == 1);
        if (!keepsLives) {
            state.lives -= 1;
        }
    }

    // 3.
    const bool hasKiller = killer >= 0 && static_cast<size_t>(killer) < slots.size() && killer != victim;
    client.deaths = static_cast<uint16_t>(std::min(client.deaths + 1, kMaxScore));
    if (hasKiller) {
        ClientSlot& other = slots[static_cast<size_t>(killer)];
        other.kills = static_cast<uint16_t>(std::min(other.kills + 1, kMaxScore));
    }

    // 4.
    AwardKill(victim, killer, time);

    // 5.
    const double ticks = std::max(static_cast<double>(std::max(tuning.loop.tickRate, 1)) *
                                      static_cast<double>(tuning.match.respawnDelay),
                                  1.0);
    state.respawnTicks = static_cast<uint16_t>(std::min(ticks, 65535.0));

    // 6.
    DropOnDeath(room, state.position);
    KillEventMessage event;
    event.victim = static_cast<uint8_t>(victim);
    event.armour = StateArmorRow(state);
    event.position = state.position;
    event.yaw = state.yaw;
    event.bodyYaw = state.bodyYaw;
    SendToRoom(room, event);

    // 7.
    if (hasKiller) {
        std::printf("[server] player %d killed player %d (%s, %d lives left)\n", killer, victim, TeamName(state.team),
                    static_cast<int>(state.lives));
    }

    // 8.
    CheckWin(room, time);
}

void Server::AwardKill(int victim, int killer, double time)
{
    if (victim < 0 || static_cast<size_t>(victim) >= slots.size()) {
        return;
    }
    ClientSlot& dead = slots[static_cast<size_t>(victim)];
    const int room = dead.room;

    // 1.
    const uint32_t bounty = dead.bounty;
    dead.bounty = 0;

    // 2.
    const bool hasKiller = killer >= 0 && static_cast<size_t>(killer) < slots.size() && killer != victim;
    if (hasKiller) {
        ClientSlot& winner = slots[static_cast<size_t>(killer)];
        const uint32_t reward = SaturatingAdd(static_cast<uint32_t>(ScaledReward(room, kKillReward)), bounty);
        AddPoints(winner, reward);
        SendEconomy(killer);
    }

    // 3. The killer's own credit earns him nothing beyond the kill.
    std::array<int, kDamageCreditCount> assisters{};
    int assists = 0;
    for (const DamageCredit& credit : dead.damageCredits) {
        const int attacker = credit.attacker;
        const bool present = attacker >= 0 && static_cast<size_t>(attacker) < slots.size() &&
                             slots[static_cast<size_t>(attacker)].inUse;
        if (!present || attacker == killer || attacker == victim || !(time - credit.time <= kAssistWindow)) {
            continue;
        }
        assisters[static_cast<size_t>(assists++)] = attacker;
    }
    if (assists >= 1) {
        const uint32_t share = static_cast<uint32_t>(ScaledReward(room, kAssistReward) / assists);
        for (int i = 0; i < assists; ++i) {
            AddPoints(slots[static_cast<size_t>(assisters[static_cast<size_t>(i)])], share);
            SendEconomy(assisters[static_cast<size_t>(i)]);
        }
    }

    // 4.
    dead.damageCredits.fill(DamageCredit{});
    SendEconomy(victim);
}

void Server::CheckWin(int room, double time)
{
    if (!RoomInUse(rooms, room)) {
        return;
    }
    const Room& record = rooms[static_cast<size_t>(room)];
    if (!record.started || record.winningSide != kSideNone || TeamMode(room) != 0 ||
        record.settings.lives >= 100) {
        return;
    }
    if (CountTeamMembers(room, kTeamRed) < 1 || CountTeamMembers(room, kTeamBlue) < 1) {
        return;
    }
    const int red = CountTeamStanding(room, kTeamRed);
    const int blue = CountTeamStanding(room, kTeamBlue);
    if ((red > 0) == (blue > 0)) {
        return;
    }
    AnnounceWinner(room, red < 1 ? kTeamBlue : kTeamRed, time);
}

void Server::AnnounceWinner(int room, uint8_t team, double time)
{
    if (!RoomInUse(rooms, room)) {
        return;
    }
    Room& record = rooms[static_cast<size_t>(room)];
    record.wonAt = time;
    record.winningSide = team;
    std::printf("[server] room %u: %s wins\n", static_cast<unsigned>(record.id), TeamName(team));
}

int Server::CountTeamMembers(int room, uint8_t team) const
{
    if (room < 0 || room >= kMaxRooms) {
        return 0;
    }
    int count = 0;
    for (const ClientSlot& client : slots) {
        if (client.inUse && client.room == room && client.state.team == team) {
            ++count;
        }
    }
    return count;
}

int Server::CountTeamStanding(int room, uint8_t team) const
{
    if (room < 0 || room >= kMaxRooms) {
        return 0;
    }
    int count = 0;
    for (const ClientSlot& client : slots) {
        const PlayerState& state = client.state;
        const bool alive = state.respawnTicks == 0 && state.health > 0;
        if (client.inUse && client.room == room && state.team == team && (state.lives > 0 || alive)) {
            ++count;
        }
    }
    return count;
}

}  // namespace net
