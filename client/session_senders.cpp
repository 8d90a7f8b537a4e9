// Everything the client sends besides the handshake and the leave message: input, lobby requests
// with the profile, chat, slash commands, level purchases and the keep-alive; and the pump that
// repeats a lobby action until the lobby state shows it took effect.
#include <algorithm>
#include <cstring>

#include "client/game_session.h"
#include "net/economy_messages.h"
#include "net/input_message.h"

namespace {

// At most `limit` characters of `text`, stopping at its end (a null text is empty).
std::string Bounded(const char* text, size_t limit)
{
    if (text == nullptr) {
        return {};
    }
    return std::string(text, strnlen(text, limit));
}

}  // namespace

void GameSession::SendInput(double now)
{
    if (state != State::Connected) {
        return;
    }
    const int rate = tuning.loop.tickRate;
    const double interval = rate < 2 ? 1.0 : 1.0 / static_cast<double>(rate);
    if (now - lastInputSent < interval && inputSent) {
        return;
    }
    lastInputSent = now;
    inputSent = true;

    // The newest commands, oldest first, repeated over several messages so a lost datagram costs
    // nothing: every command the server has not yet applied goes out again, up to the message's
    // limit, so neither a slow frame nor a skipped message leaves one sent once or never.
    int count = std::clamp(tuning.network.commandsPerInput, 1, net::kMaxInputCommands);
    if (newestPredictedTick > acknowledgedInputTick) {
        const uint32_t unapplied = newestPredictedTick - acknowledgedInputTick;
        count = std::max(count, static_cast<int>(std::min<uint32_t>(unapplied, net::kMaxInputCommands)));
    }
    net::InputMessage message;
    message.acknowledgedTick = newestSnapshotTick;
    for (int k = count - 1; k >= 0; --k) {
        if (newestPredictedTick < static_cast<uint32_t>(k) + 1u) {
            continue;  // tick 0 and below are never predicted
        }
        const uint32_t tick = newestPredictedTick - static_cast<uint32_t>(k);
        const PredictionEntry& entry = predictions[tick % kPredictionRingLength];
        if (entry.tick == tick) {
            message.commands[static_cast<size_t>(message.count++)] = entry.command;
        }
    }
    Send(message);
}

void GameSession::SendLobbyRequest(net::LobbyAction action, uint16_t roomId)
{
    net::LobbyRequestMessage message;
    message.action = action;
    message.roomId = roomId;
    message.armour = armour;
    message.primaryWeapon = primaryWeapon;
    message.secondaryWeapon = secondaryWeapon;
    message.power = power;
    message.accessories = appearance;
    message.skin = profileByte;
    message.settings = requestedSettings;
    message.wantedSide = wantedSide == 1 ? 1 : 0;
    message.password = roomPassword;
    message.argument = lobbyArgument < 0 ? 0 : static_cast<uint8_t>(lobbyArgument);
    message.name = playerName;
    message.ticket = gameTicket;
    Send(message);
}

void GameSession::QueueLobbyAction(net::LobbyAction action, uint16_t roomId)
{
    pendingAction = action;
    pendingRoomId = roomId;
    pendingLastSent = 0.0;
    pendingDeadline = 0.0;
}

void GameSession::PumpLobbyAction(double now)
{
    if (pendingAction == net::LobbyAction::KeepAlive || state != State::Connected) {
        return;
    }
    if (pendingDeadline == 0.0) {
        pendingDeadline = now + 3.0;
    }
    if (now > pendingDeadline) {
        pendingAction = net::LobbyAction::KeepAlive;  // the server never showed it: give up
        return;
    }
    bool done = false;
    if (hasLobbyView) {
        switch (pendingAction) {
        case net::LobbyAction::CreateRoom:
        case net::LobbyAction::JoinRoom: done = lobby.place == net::LobbyPlace::RoomLobby; break;
        case net::LobbyAction::LeaveRoom: done = lobby.place == net::LobbyPlace::NoRoom; break;
        case net::LobbyAction::StartMatch: done = lobby.place == net::LobbyPlace::Match; break;
        case net::LobbyAction::ChangeRoomSettings:
            done = lobby.settings == requestedSettings && lobby.hasPassword == !roomPassword.empty();
            break;
        case net::LobbyAction::SwitchSide: {
            const net::LobbyMember* self = net::FindLobbyMember(lobby, lobby.ownSlot);
            done = self != nullptr ? self->side == wantedSide : wantedSide == kNoSide;
            break;
        }
        default: break;
        }
    }
    if (done) {
        pendingAction = net::LobbyAction::KeepAlive;
        return;
    }
    if (pendingLastSent == 0.0 || now - pendingLastSent >= 0.1) {
        SendLobbyRequest(pendingAction, pendingRoomId);
        pendingLastSent = now;
    }
}

void GameSession::SendKeepAlive(double now)
{
    if (state != State::Connected) {
        return;
    }
    if (keepAliveSent && now - lastKeepAlive < 1.0) {
        return;
    }
    keepAliveSent = true;
    lastKeepAlive = now;
    SendLobbyRequest(net::LobbyAction::KeepAlive, 0);
}

void GameSession::SendChat(const char* text)
{
    if (state != State::Connected || text == nullptr) {
        return;
    }
    std::string line = Bounded(text, net::kMaxChatLength);
    const size_t last = line.find_last_not_of(' ');
    if (last == std::string::npos) {
        return;
    }
    line.erase(last + 1);
    line.erase(0, line.find_first_not_of(' '));
    Send(net::ChatMessage{line});
}

void GameSession::SendCommand(const char* text)
{
    if (state != State::Connected || text == nullptr || text[0] == '\0') {
        return;
    }
    Send(net::CommandMessage{Bounded(text, net::kMaxCommandLength)});
}

void GameSession::SendBuyLevel(uint8_t track, bool flag)
{
    if (state != State::Connected || track >= net::kLevelTrackCount) {
        return;
    }
    Send(net::BuyLevelMessage{track, flag});
}

void GameSession::RequestAddBot(uint8_t side)
{
    if (state != State::Connected) {
        return;
    }
    lobbyArgument = side == 1 ? 1 : 0;
    SendLobbyRequest(net::LobbyAction::AddBot, lobby.roomId);
    lobbyArgument = -1;
}

void GameSession::RequestRemoveMember(int id)
{
    if (id < 0) {
        return;
    }
    lobbyArgument = id;
    if (state == State::Connected) {
        SendLobbyRequest(net::LobbyAction::RemoveMember, lobby.roomId);
        lobbyArgument = -1;
    }
}

void GameSession::RequestRemoveBot(int id)
{
    if (state != State::Connected) {
        return;
    }
    lobbyArgument = id < 0 ? 255 : id;
    SendLobbyRequest(net::LobbyAction::RemoveBot, lobby.roomId);
    lobbyArgument = -1;
}

void GameSession::RequestSide(uint8_t side)
{
    if (side > 1) {
        return;
    }
    wantedSide = side;
    if (state == State::Connected) {
        QueueLobbyAction(net::LobbyAction::SwitchSide, lobby.roomId);
    }
}

void GameSession::RequestRoomSettings(const net::RoomSettings& settings)
{
    requestedSettings = settings;
    if (state == State::Connected) {
        QueueLobbyAction(net::LobbyAction::ChangeRoomSettings, lobby.roomId);
    }
}

void GameSession::SetRoomPassword(const char* text)
{
    roomPassword = Bounded(text, net::kMaxPasswordLength);
}

void GameSession::SetLoadout(uint8_t armourRow, uint8_t primary, uint8_t secondary, uint8_t powerRow)
{
    if (armourRow == armour && primary == primaryWeapon && secondary == secondaryWeapon && powerRow == power) {
        return;
    }
    armour = armourRow;
    primaryWeapon = primary;
    secondaryWeapon = secondary;
    power = powerRow;
    if (state == State::Connected) {
        SendLobbyRequest(net::LobbyAction::UpdateProfile, 0);
    }
}

void GameSession::SetAppearance(const uint8_t values[4])
{
    if (std::equal(appearance.begin(), appearance.end(), values)) {
        return;
    }
    std::copy(values, values + 4, appearance.begin());
    if (state == State::Connected) {
        SendLobbyRequest(net::LobbyAction::UpdateProfile, 0);
    }
}

void GameSession::SetProfileByte(uint8_t value)
{
    if (value == profileByte) {
        return;
    }
    profileByte = value;
    if (state == State::Connected) {
        SendLobbyRequest(net::LobbyAction::UpdateProfile, 0);
    }
}

void GameSession::SetPlayerName(const char* text)
{
    playerName = Bounded(text, net::kMaxPlayerNameLength);
}

void GameSession::SetGameTicket(const char* text)
{
    gameTicket = Bounded(text, net::kMaxTicketLength);
}
