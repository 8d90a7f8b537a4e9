#include "support/net/scripted_client.h"

#include <algorithm>

namespace testnet {

bool ScriptedClient::Open(uint16_t serverPort)
{
    server_ = net::LoopbackAddress(serverPort);
    return net::StartupSockets() && socket_.Open(0);
}

bool ScriptedClient::SendBytes(const void* bytes, int length)
{
    return socket_.SendTo(server_, bytes, length);
}

bool ScriptedClient::SendConnect(uint8_t protocol)
{
    net::ConnectMessage connect;
    connect.protocolVersion = protocol;
    return Send(connect);
}

bool ScriptedClient::SendLobby(net::LobbyAction action, uint16_t roomId, uint8_t argument)
{
    net::LobbyRequestMessage request = profile;
    request.action = action;
    request.roomId = roomId;
    request.argument = argument;
    return Send(request);
}

InputCommand& ScriptedClient::NextCommand()
{
    InputCommand command;
    command.tick = commands.empty() ? 1u : commands.back().tick + 1u;
    command.weapon = profile.primaryWeapon;
    command.power = profile.power;
    commands.push_back(command);
    return commands.back();
}

bool ScriptedClient::SendInput(int count)
{
    net::InputMessage input;
    input.acknowledgedTick = acknowledgeOverride ? acknowledgedTickOverride : newestSnapshotTick;
    const int available = static_cast<int>(commands.size());
    input.count = std::min({count, available, net::kMaxInputCommands});
    for (int i = 0; i < input.count; ++i) {
        input.commands[i] = commands[available - input.count + i];
    }
    return Send(input);
}

int ScriptedClient::Poll()
{
    int taken = 0;
    for (;;) {
        std::array<uint32_t, net::kDatagramWords + 1> words{};
        net::Address from;
        const int length = socket_.ReceiveFrom(from, words.data(), net::kDatagramBytes);
        if (length == net::UdpSocket::kDropped) {
            continue;
        }
        if (length <= 0) {
            break;
        }
        ++taken;
        net::OpenedDatagram opened;
        if (!(from == server_) || !net::OpenClientDatagram(words.data(), length, opened)) {
            ++undecodable;
            continue;
        }
        switch (opened.type) {
        case net::MessageType::Accept:
            accepted = net::ReadMessage(opened.reader, accept);
            break;
        case net::MessageType::Refuse:
            refused = net::ReadMessage(opened.reader, refuse);
            break;
        case net::MessageType::LobbyState:
            if (net::ReadMessage(opened.reader, lobby)) {
                ++lobbyStates;
            } else {
                ++undecodable;
            }
            break;
        case net::MessageType::Snapshot: TakeSnapshot(opened.reader, length); break;
        default: ++otherDatagrams; break;
        }
    }
    return taken;
}

void ScriptedClient::TakeSnapshot(net::BitReader& reader, int length)
{
    ReceivedSnapshot snapshot;
    snapshot.bytes = length;
    if (!net::ReadSnapshotHeader(reader, snapshot.header)) {
        ++undecodable;
        return;
    }
    const net::SnapshotView* baseline = nullptr;
    if (snapshot.header.baselineTick != net::kNoTick) {
        const auto found = views_.find(snapshot.header.baselineTick);
        if (found == views_.end()) {
            ++undecodable;  // the server coded against a snapshot this client never received
            return;
        }
        baseline = &found->second;
    }
    if (!net::ReadSnapshotBody(reader, baseline, snapshot.body)) {
        ++undecodable;
        return;
    }
    const uint32_t tick = snapshot.header.serverTick;
    views_[tick] = snapshot.body.view;
    while (views_.size() > 64) {
        views_.erase(views_.begin());
    }
    if (newestSnapshotTick == net::kNoTick || net::TickIsLater(tick, newestSnapshotTick)) {
        newestSnapshotTick = tick;
    }
    largestSnapshotBytes = std::max(largestSnapshotBytes, length);
    snapshotBytes += static_cast<uint64_t>(length);
    if (keepSnapshots) {
        snapshots.push_back(std::move(snapshot));
    } else {
        snapshots.clear();
        snapshots.push_back(std::move(snapshot));
    }
}

}  // namespace testnet
