// The 32 rooms: creating, joining, leaving with the host hand-over and the closing of an empty
// room, the host's powers before the start, and the start of a match.
#include <algorithm>
#include <cstdio>
#include <string>

#include "game/match_options.h"
#include "net/lobby_messages.h"
#include "net/server.h"

namespace net {
namespace {

bool ValidRoomIndex(int room)
{
    return room >= 0 && room < kMaxRooms;
}

}  // namespace

int Server::FindRoomById(uint16_t id) const
{
    for (int i = 0; i < kMaxRooms; ++i) {
        const Room& room = rooms[static_cast<size_t>(i)];
        if (room.inUse && room.id == id) {
            return i;
        }
    }
    return -1;
}

int Server::MemberCount(int room) const
{
    if (!ValidRoomIndex(room)) {
        return 0;
    }
    int count = 0;
    for (const ClientSlot& slot : slots) {
        if (slot.inUse && slot.room == room) {
            ++count;
        }
    }
    return count;
}

int Server::SideCount(int room, uint8_t side) const
{
    if (!ValidRoomIndex(room)) {
        return 0;
    }
    int count = 0;
    for (const ClientSlot& slot : slots) {
        if (slot.inUse && slot.room == room && slot.chosenTeam == side) {
            ++count;
        }
    }
    return count;
}

uint8_t Server::SideForNewcomer(int room) const
{
    return SideCount(room, 1) < SideCount(room, 0) ? 1 : 0;
}

uint8_t Server::TeamMode(int room) const
{
    if (!ValidRoomIndex(room) || !rooms[static_cast<size_t>(room)].inUse) {
        return 0;
    }
    const uint8_t mode = rooms[static_cast<size_t>(room)].settings.gameMode;
    return mode < 2 ? mode : 0;
}

bool Server::MetalOn(int room) const
{
    return ValidRoomIndex(room) && rooms[static_cast<size_t>(room)].inUse &&
           rooms[static_cast<size_t>(room)].settings.metalOn != 0;
}

float Server::MetalRate(int room) const
{
    if (!ValidRoomIndex(room) || !rooms[static_cast<size_t>(room)].inUse) {
        return 1.0f;
    }
    return static_cast<float>(rooms[static_cast<size_t>(room)].settings.metalRatePercent) * 0.01f;
}

void Server::RefreshHasBots()
{
    hasBots = 0;
    for (const ClientSlot& slot : slots) {
        if (slot.inUse && slot.bot) {
            hasBots = 1;
            return;
        }
    }
}

void Server::SetLobbyNotice(int slot, const std::string& text)
{
    if (slot < 0 || slot >= static_cast<int>(slots.size())) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    client.notice = text.substr(0, kMaxNoticeLength);
    client.noticeUntil = now + kLobbyNoticeSeconds;
}

int Server::CreateRoom(int slot)
{
    if (slot < 0 || slot >= static_cast<int>(slots.size()) || !slots[static_cast<size_t>(slot)].inUse) {
        return -1;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    // Pressing "create" twice must not leave a trail of empty rooms behind.
    if (ValidRoomIndex(client.room)) {
        const Room& current = rooms[static_cast<size_t>(client.room)];
        if (current.inUse && !current.started && current.host == slot) {
            return client.room;
        }
    }

    int index = -1;
    for (int i = 0; i < kMaxRooms; ++i) {
        if (!rooms[static_cast<size_t>(i)].inUse) {
            index = i;
            break;
        }
    }
    if (index < 0) {
        return -1;
    }

    // Ids count 1..65535 and start again at 1; an id still held by a long-lived room is passed
    // over, so that a join by id can never reach the wrong room.
    uint16_t id = nextRoomId == 0 ? 1 : nextRoomId;
    while (FindRoomById(id) >= 0) {
        id = id == 65535 ? 1 : static_cast<uint16_t>(id + 1);
    }
    nextRoomId = id == 65535 ? 1 : static_cast<uint16_t>(id + 1);

    Room& room = rooms[static_cast<size_t>(index)];
    room = Room{};
    room.inUse = 1;
    room.id = id;
    room.host = slot;
    room.settings.lives = ClampLives(tuning.match.startingLives);
    room.settings.mapIndex = 0;
    LoadRoomMap(0);

    room.name = client.name.empty() ? "Player " + std::to_string(slot) + "'s Room" : client.name + "'s Room";
    room.name.resize(std::min<size_t>(room.name.size(), kMaxRoomNameLength));

    LeaveRoom(slot);
    client.room = index;
    client.chosenTeam = SideForNewcomer(index);
    SpawnPlayer(slot);
    std::printf("[server] client %d created room %u '%s'\n", slot, static_cast<unsigned>(room.id), room.name.c_str());
    return index;
}

bool Server::JoinRoom(int slot, uint16_t roomId, const std::string& password)
{
    if (slot < 0 || slot >= static_cast<int>(slots.size()) || !slots[static_cast<size_t>(slot)].inUse) {
        return false;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    const int index = FindRoomById(roomId);
    if (index < 0) {
        SetLobbyNotice(slot, "that room is gone");
        return false;
    }
    if (client.room == index) {
        return true;
    }
    const Room& room = rooms[static_cast<size_t>(index)];
    if (room.started && !room.settings.joiningAllowed) {
        SetLobbyNotice(slot, "that match has already started");
        return false;
    }
    if (MemberCount(index) >= tuning.network.maxClients) {
        SetLobbyNotice(slot, "that room is full");
        return false;
    }
    if (!room.password.empty() && password.substr(0, kMaxPasswordLength) != room.password) {
        SetLobbyNotice(slot, "wrong password");
        std::printf("[server] client %d failed the password on room %u\n", slot, static_cast<unsigned>(room.id));
        return false;
    }

    LeaveRoom(slot);
    client.room = index;
    client.chosenTeam = SideForNewcomer(index);
    SpawnPlayer(slot);
    std::printf("[server] client %d joined room %u (%d players)\n", slot, static_cast<unsigned>(room.id),
                MemberCount(index));
    return true;
}

void Server::LeaveRoom(int slot)
{
    if (slot < 0 || slot >= static_cast<int>(slots.size())) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    const int index = client.room;
    client.room = -1;
    client.chosenTeam = kSideNone;
    if (!ValidRoomIndex(index) || !rooms[static_cast<size_t>(index)].inUse) {
        return;
    }
    Room& room = rooms[static_cast<size_t>(index)];

    size_t lowestHuman = slots.size();
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].inUse && !slots[i].bot && slots[i].room == index) {
            lowestHuman = i;
            break;
        }
    }
    if (lowestHuman < slots.size()) {
        if (room.host == slot) {
            room.host = static_cast<int32_t>(lowestHuman);
            std::printf("[server] room %u host -> client %zu\n", static_cast<unsigned>(room.id), lowestHuman);
        }
        return;
    }

    // Bots never outlive their room's last human: their slots go back to the server.
    int removed = 0;
    for (ClientSlot& other : slots) {
        if (other.inUse && other.bot && other.room == index) {
            other = ClientSlot{};
            ++removed;
        }
    }
    if (removed > 0) {
        RefreshHasBots();
    }
    std::printf("[server] room %u closed (empty, %d bot(s) removed)\n", static_cast<unsigned>(room.id), removed);
    room = Room{};
}

void Server::RemoveMember(int hostSlot, int targetSlot)
{
    const int count = static_cast<int>(slots.size());
    if (hostSlot < 0 || hostSlot >= count || targetSlot < 0 || targetSlot >= count || hostSlot == targetSlot) {
        return;
    }
    const int index = slots[static_cast<size_t>(hostSlot)].room;
    if (!slots[static_cast<size_t>(hostSlot)].inUse || !ValidRoomIndex(index)) {
        return;
    }
    const Room& room = rooms[static_cast<size_t>(index)];
    ClientSlot& target = slots[static_cast<size_t>(targetSlot)];
    if (!room.inUse || room.started || room.host != hostSlot || !target.inUse || target.room != index) {
        return;
    }
    std::printf("[server] client %d removed client %d from room %u\n", hostSlot, targetSlot,
                static_cast<unsigned>(room.id));
    if (target.bot) {
        // A bot outside a room would hold its slot for ever: removing it frees the slot.
        target = ClientSlot{};
        RefreshHasBots();
        return;
    }
    LeaveRoom(targetSlot);
    SetLobbyNotice(targetSlot, "the host removed you from that room");
}

void Server::ChangeRoomSettings(int slot, const RoomSettings& settings, const std::string& password)
{
    if (slot < 0 || slot >= static_cast<int>(slots.size()) || !slots[static_cast<size_t>(slot)].inUse) {
        return;
    }
    const int index = slots[static_cast<size_t>(slot)].room;
    if (!ValidRoomIndex(index)) {
        return;
    }
    Room& room = rooms[static_cast<size_t>(index)];
    if (!room.inUse || room.started || room.host != slot || settings.mapIndex >= GetMapCount() ||
        settings.gameMode >= 2) {
        return;
    }
    // The wire already clamps what it reads; settings from anywhere else get the same limits.
    room.settings = settings;
    room.settings.lives = ClampLives(settings.lives);
    room.settings.joiningAllowed = settings.joiningAllowed != 0 ? 1 : 0;
    room.settings.damagePercent = ClampPercent(settings.damagePercent);
    room.settings.speedPercent = ClampPercent(settings.speedPercent);
    room.settings.healthPercent = ClampPercent(settings.healthPercent);
    room.settings.botSkill = settings.botSkill <= 2 ? settings.botSkill : 1;
    room.settings.metalOn = settings.metalOn != 0 ? 1 : 0;
    room.settings.metalRatePercent = ClampPercent(settings.metalRatePercent);
    LoadRoomMap(room.settings.mapIndex);
    room.password = password.substr(0, kMaxPasswordLength);
}

void Server::SwitchSide(int slot, uint8_t side)
{
    if (slot < 0 || slot >= static_cast<int>(slots.size()) || !slots[static_cast<size_t>(slot)].inUse) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    if (!ValidRoomIndex(client.room)) {
        return;
    }
    const Room& room = rooms[static_cast<size_t>(client.room)];
    if (!room.inUse || room.started || side > 1 || client.chosenTeam == side) {
        return;
    }
    // A move may even the sides or keep them as they are, never make them more uneven.
    if (client.chosenTeam != kSideNone && SideCount(client.room, side) >= SideCount(client.room, client.chosenTeam)) {
        return;
    }
    client.chosenTeam = side;
    client.state.team = side;
}

void Server::StartMatch(int slot)
{
    if (slot < 0 || slot >= static_cast<int>(slots.size()) || !slots[static_cast<size_t>(slot)].inUse) {
        return;
    }
    const int index = slots[static_cast<size_t>(slot)].room;
    if (!ValidRoomIndex(index)) {
        return;
    }
    Room& room = rooms[static_cast<size_t>(index)];
    if (!room.inUse || room.started || room.host != slot) {
        return;
    }
    room.started = 1;

    const uint8_t botSkill = room.settings.botSkill <= 2 ? room.settings.botSkill : 1;
    for (ClientSlot& member : slots) {
        if (member.inUse && member.bot && member.room == index) {
            member.botSkill = botSkill;
            // A fresh mind for a fresh match, but the same bot: its seed stays.
            member.brain = BotBrain{};
            member.brain.seed = member.botSeed;
        }
    }
    roomRoaming[static_cast<size_t>(index)] = RoomRoaming{};

    room.teamSpawns[0].clear();
    room.teamSpawns[1].clear();
    room.spawnRotation = 0;

    for (size_t i = 0; i < slots.size(); ++i) {
        ClientSlot& member = slots[i];
        if (!member.inUse || member.room != index) {
            continue;
        }
        member.points = 0;
        member.pointsSpent = 0;
        member.pointsEarned = 0;
        member.bounty = 0;
        member.damageCredits.fill(DamageCredit{});
        for (uint8_t& level : member.state.upgradeLevels) {
            level = 0;
        }
    }
    // Each message lists the room's bounties, so it goes out once every member is cleared: sent
    // member by member, the early ones would still carry the later ones' old bounties.
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].inUse && slots[i].room == index) {
            SendEconomy(static_cast<int>(i));
        }
    }

    room.winningSide = kSideNone;
    room.wonAt = 0.0;
    for (ClientSlot& member : slots) {
        if (member.inUse && member.room == index) {
            member.state.team = kSideNone;
            member.kills = 0;
            member.deaths = 0;
        }
    }

    const uint32_t mixed = static_cast<uint32_t>(room.id) * 40503u - tick * 1640531535u;
    room.matchSeed = static_cast<uint16_t>(mixed >> 8);

    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].inUse && slots[i].room == index) {
            SpawnPlayer(static_cast<int>(i));
        }
    }
    std::printf("[server] room %u started with %d players on '%s'\n", static_cast<unsigned>(room.id),
                MemberCount(index), GetMapInfo(room.settings.mapIndex).displayName);
}

}  // namespace net
