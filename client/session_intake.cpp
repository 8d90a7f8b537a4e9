// What each server message does to the session. Every message is read by the shared codec; one
// that was not read whole changes nothing. Event lists keep their caps, so a list nobody takes
// stops growing.
#include <algorithm>
#include <utility>

#include "client/game_session.h"
#include "net/economy_messages.h"

namespace {

template <class List, class Record>
void AppendCapped(List& list, Record&& record, size_t cap)
{
    if (list.size() < cap) {
        list.push_back(std::forward<Record>(record));
    }
}

template <class List>
List TakeList(List& list)
{
    List taken = std::move(list);
    list.clear();
    return taken;
}

}  // namespace

void GameSession::OnChatLine(net::BitReader& reader)
{
    net::ChatLineMessage line;
    if (!net::ReadMessage(reader, line)) {
        return;
    }
    if (chatLines.size() >= kMaxChatLines) {
        chatLines.erase(chatLines.begin());
    }
    chatLines.push_back(std::move(line));
}

void GameSession::OnKillEvent(net::BitReader& reader)
{
    net::KillEventMessage message;
    if (!net::ReadMessage(reader, message)) {
        return;
    }
    const KillEventRecord record{message.victim, message.armour, message.position, message.yaw, message.bodyYaw};
    for (KillEventRecord& existing : killEvents) {
        if (existing.victim == record.victim) {
            existing = record;
            return;
        }
    }
    AppendCapped(killEvents, record, kMaxKillEvents);
}

void GameSession::OnHitEvent(net::BitReader& reader)
{
    net::HitEventMessage message;
    if (net::ReadMessage(reader, message)) {
        AppendCapped(hitEvents, message, kMaxHitEvents);
    }
}

void GameSession::OnHealingField(net::BitReader& reader)
{
    net::HealingFieldMessage message;
    if (net::ReadMessage(reader, message)) {
        AppendCapped(healingFields, message, kMaxHealingFields);
    }
}

void GameSession::OnDropSpawned(net::BitReader& reader)
{
    if (!net::ReadMessage(reader, dropScratch)) {
        return;
    }
    for (const net::DropSpawnEntry& drop : dropScratch.drops) {
        AppendCapped(dropsSpawned, drop, kMaxDropEvents);
    }
}

void GameSession::OnDropTaken(net::BitReader& reader)
{
    net::DropTakenMessage message;
    if (net::ReadMessage(reader, message)) {
        AppendCapped(dropsTaken, message, kMaxDropEvents);
    }
}

void GameSession::OnProjectileSpawned(net::BitReader& reader)
{
    net::ProjectileSpawnedMessage message;
    if (net::ReadMessage(reader, message)) {
        AppendCapped(projectilesSpawned, message, kMaxProjectileEvents);
    }
}

void GameSession::OnProjectileDetonated(net::BitReader& reader)
{
    net::ProjectileDetonatedMessage message;
    if (net::ReadMessage(reader, message)) {
        AppendCapped(projectileDetonations, message, kMaxProjectileEvents);
    }
}

void GameSession::OnSentryStates(net::BitReader& reader)
{
    if (net::ReadMessage(reader, sentryScratch)) {
        std::swap(sentries, sentryScratch.sentries);
    }
}

void GameSession::OnShieldStates(net::BitReader& reader)
{
    if (net::ReadMessage(reader, shieldScratch)) {
        std::swap(shields, shieldScratch.shields);
    }
}

void GameSession::OnShotEvent(net::BitReader& reader)
{
    if (!net::ReadMessage(reader, shotScratch)) {
        return;  // cut short, or a weapon, pellet count or coordinate out of range
    }
    // The own shots were shown when they were predicted.
    const bool inMatch = hasLobbyView && lobby.place == net::LobbyPlace::Match;
    if (static_cast<int>(shotScratch.shooter) == ownSlot || state != State::Connected || !inMatch ||
        shotEvents.size() >= kMaxShotEvents) {
        return;
    }
    ShotEventRecord& record = shotEvents.emplace_back();
    record.shooter = shotScratch.shooter;
    record.weapon = shotScratch.shot.weapon;
    record.origin = shotScratch.shot.origin;
    record.pelletCount = static_cast<int>(shotScratch.shot.pelletEnds.size());
    std::copy(shotScratch.shot.pelletEnds.begin(), shotScratch.shot.pelletEnds.end(), record.pelletEnds.begin());
}

void GameSession::OnKicked(net::BitReader& reader)
{
    net::KickedMessage message;
    if (!net::ReadMessage(reader, message)) {
        return;
    }
    kicked = true;
    kickReason = std::move(message.reason);
    Disconnect();
}

void GameSession::OnEconomy(net::BitReader& reader)
{
    net::EconomyMessage message;
    if (!net::ReadMessage(reader, message)) {
        return;
    }
    economy.metal = message.metal;
    economy.metalSpent = message.metalSpent;
    economy.bounty = message.bounty;
    if (message.metalEarned > economy.metalEarned) {
        economy.metalEarnedSum += message.metalEarned - economy.metalEarned;
    }
    economy.metalEarned = message.metalEarned;
    economy.bountyBySlot.fill(0);
    for (const net::BountyEntry& entry : message.bounties) {
        economy.bountyBySlot[entry.slot] = static_cast<uint16_t>(std::clamp(entry.bounty, 0, 2047));
    }
}

void GameSession::OnLobbyState(net::BitReader& reader)
{
    net::LobbyStateMessage& message = lobbyScratch;
    if (!net::ReadMessage(reader, message)) {
        return;
    }
    const bool inRoom = message.place != net::LobbyPlace::NoRoom;
    if (pendingAction != net::LobbyAction::ChangeRoomSettings) {
        // The lobby screen edits start from what the room has.
        requestedSettings = inRoom ? message.settings : net::RoomSettings{};
    }
    if (pendingAction != net::LobbyAction::SwitchSide) {
        wantedSide = kNoSide;
        for (const net::LobbyMember& member : message.members) {
            if (member.slot == message.ownSlot) {
                wantedSide = member.side;
                break;
            }
        }
    }
    const net::LobbyPlace oldPlace = hasLobbyView ? lobby.place : net::LobbyPlace::NoRoom;
    const uint16_t oldRoom = hasLobbyView ? lobby.roomId : 0;
    if (message.place != oldPlace &&
        (message.place == net::LobbyPlace::Match || oldPlace == net::LobbyPlace::Match)) {
        // A match starts or ends for this client.
        ResetMatchState();
        ResetOwnPlayer();
    }
    if (!(message.place == net::LobbyPlace::Match && message.roomId == oldRoom)) {
        shotEvents.clear();
    }
    std::swap(lobby, message);
    hasLobbyView = true;
}

std::vector<net::ChatLineMessage> GameSession::TakeChatLines() { return TakeList(chatLines); }
std::vector<KillEventRecord> GameSession::TakeKillEvents() { return TakeList(killEvents); }
std::vector<net::HitEventMessage> GameSession::TakeHitEvents() { return TakeList(hitEvents); }
std::vector<ShotEventRecord> GameSession::TakeShotEvents() { return TakeList(shotEvents); }
std::vector<net::HealingFieldMessage> GameSession::TakeHealingFields() { return TakeList(healingFields); }
std::vector<net::ProjectileSpawnedMessage> GameSession::TakeProjectilesSpawned()
{
    return TakeList(projectilesSpawned);
}
std::vector<net::ProjectileDetonatedMessage> GameSession::TakeProjectileDetonations()
{
    return TakeList(projectileDetonations);
}
std::vector<net::DropSpawnEntry> GameSession::TakeDropsSpawned() { return TakeList(dropsSpawned); }
std::vector<net::DropTakenMessage> GameSession::TakeDropsTaken() { return TakeList(dropsTaken); }
