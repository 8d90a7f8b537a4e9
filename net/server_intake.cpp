#include <algorithm>
#include <array>
#include <cstdio>

#include "net/chat_messages.h"
#include "net/connection_messages.h"
#include "net/economy_messages.h"
#include "net/server.h"

namespace net {

void Server::ReceivePackets(double time)
{
    const int budget = std::max(4 * static_cast<int>(slots.size()), 64);
    int connectsLeft = kMaxConnectsPerPass;
    std::array<uint32_t, kDatagramWords> words{};
    for (int taken = 0; taken < budget;) {
        Address from;
        const int length = socket.ReceiveFrom(from, words.data(), kDatagramBytes);
        if (length == UdpSocket::kDropped) {
            ++taken;  // thrown away by the socket, but it still cost a read
            continue;
        }
        if (length <= 0) {
            break;
        }
        ++taken;
        HandleDatagram(from, words.data(), length, time, connectsLeft);
    }
}

void Server::HandleDatagram(const Address& from, const void* bytes, int length, double time, int& connectsLeft)
{
    OpenedDatagram opened;
    if (!OpenServerDatagram(bytes, length, opened)) {
        return;
    }
    BitReader& reader = opened.reader;

    if (opened.type == MessageType::Connect) {
        if (connectsLeft <= 0) {
            return;
        }
        --connectsLeft;
        ConnectMessage connect;
        if (ReadMessage(reader, connect)) {
            HandleConnect(from, time, connect.protocolVersion);
        }
        return;
    }

    const int index = FindClientByAddress(from);
    if (index < 0) {
        return;
    }
    ClientSlot& slot = slots[static_cast<size_t>(index)];
    if (slot.messageTick != tick) {
        slot.messageTick = tick;
        slot.messagesThisTick = 0;
    }
    if (slot.messagesThisTick >= kMaxMessagesPerClientTick) {
        return;
    }
    ++slot.messagesThisTick;

    bool heard = false;  // the rule for the messages that keep a client alive without input
    switch (opened.type) {
    case MessageType::Leave: DisconnectClient(index, "client left"); return;
    case MessageType::Input: HandleInput(index, reader, time); return;
    case MessageType::LobbyRequest:
        HandleLobbyRequest(index, reader);
        heard = true;
        break;
    case MessageType::Chat:
        HandleChat(index, reader, time);
        heard = true;
        break;
    case MessageType::Command:
        HandleCommand(index, reader, time);
        heard = true;
        break;
    case MessageType::BuyLevel: {
        BuyLevelMessage buy;
        if (ReadMessage(reader, buy)) {
            BuyLevel(index, buy.track, buy.flag);
        }
        heard = true;
        break;
    }
    default: return;
    }
    // A handler may have freed the slot; a free slot keeps its default record.
    if (heard && !reader.Overflowed() && slot.inUse) {
        slot.lastHeard = time;
    }
}

void Server::HandleConnect(const Address& from, double time, uint32_t protocol)
{
    const int existing = FindClientByAddress(from);
    if (existing >= 0) {
        // A repeated Connect means our Accept was lost: answer again, whatever it now claims.
        AcceptMessage accept;
        accept.slot = static_cast<uint8_t>(existing);
        accept.serverTick = tick;
        SendMessage(from, accept);
        return;
    }
    if (protocol != kProtocolVersion) {
        RefuseMessage refuse;
        refuse.reason = static_cast<uint8_t>(RefuseReason::ProtocolMismatch);
        SendMessage(from, refuse);
        std::printf("[server] refused a client speaking protocol %u; this server speaks %u\n",
                    static_cast<unsigned>(protocol), static_cast<unsigned>(kProtocolVersion));
        return;
    }
    int index = -1;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].inUse) {
            index = static_cast<int>(i);
            break;
        }
    }
    if (index < 0) {
        RefuseMessage refuse;
        refuse.reason = static_cast<uint8_t>(RefuseReason::ServerFull);
        SendMessage(from, refuse);
        return;
    }

    ClientSlot& slot = slots[static_cast<size_t>(index)];
    slot = ClientSlot{};
    slot.inUse = 1;
    slot.address = from;
    slot.lastHeard = time;
    slot.room = -1;
    slot.acknowledgedTick = kNoTick;
    slot.state = PlayerState{};
    slot.state.height = tuning.movement.standingHeight;
    for (PlayerMask& mask : slot.sentMasks) {
        mask.reset();
    }

    AcceptMessage accept;
    accept.slot = static_cast<uint8_t>(index);
    accept.serverTick = tick;
    SendMessage(from, accept);
    std::printf("[server] client %d connected from %s (%d online)\n", index, FormatAddress(from).c_str(),
                CountClients());
}

bool Server::ReadInputCommands(BitReader& reader, InputMessage& batch, int32_t minimumPitch, int32_t maximumPitch)
{
    // The codec refuses a count above 8, an axis above 254, a weapon of 10 or more, a power of 5
    // or more and ticks that do not increase; the pitch limits are the server's own.
    return ReadMessage(reader, batch) && InputPitchesWithin(batch, minimumPitch, maximumPitch);
}

void Server::HandleInput(int index, BitReader& reader, double time)
{
    if (index < 0 || index >= static_cast<int>(slots.size())) {
        return;
    }
    InputMessage batch;
    if (!ReadInputCommands(reader, batch, PitchLimitUnits(tuning.camera.minPitch),
                           PitchLimitUnits(tuning.camera.maxPitch))) {
        return;
    }
    ClientSlot& slot = slots[static_cast<size_t>(index)];
    slot.lastHeard = time;

    // The acknowledged snapshot becomes the delta baseline only while its history entry still
    // holds it and it was really sent to this client; its age gives a round-trip sample.
    const uint32_t acknowledged = batch.acknowledgedTick;
    if (acknowledged != kNoTick) {
        const size_t entry = acknowledged % kHistoryLength;
        if (history[entry].tick == acknowledged && slot.sentTicks[entry] == acknowledged &&
            tick - acknowledged < static_cast<uint32_t>(kHistoryLength) &&
            (slot.acknowledgedTick == kNoTick || TickIsLater(acknowledged, slot.acknowledgedTick))) {
            slot.acknowledgedTick = acknowledged;
            const double sample = time - history[entry].time;
            if (sample >= 0.0 && (slot.smallestRoundTrip < 0.0 || sample < slot.smallestRoundTrip)) {
                slot.smallestRoundTrip = sample;
            }
        }
    }

    if (slot.room < 0 || slot.room >= kMaxRooms) {
        return;
    }
    const Room& room = rooms[static_cast<size_t>(slot.room)];
    if (!room.inUse || !room.started) {
        return;
    }

    const int limit = std::clamp(tuning.network.inputQueueLimit, 1, kInputQueueCapacity);
    const int allowanceBuffer = std::max(limit, 8);
    const double tickRate = static_cast<double>(std::max(tuning.loop.tickRate, 1));
    for (int i = 0; i < batch.count; ++i) {
        InputCommand command = batch.commands[static_cast<size_t>(i)];
        if (slot.hasFirstInput) {
            if (!TickIsLater(command.tick, slot.lastQueuedTick)) {
                continue;  // already queued: the client repeats its recent commands
            }
            // A client may not run further ahead of real time than the buffer allows.
            const double allowed = std::max(time - slot.firstInputTime, 0.0) * tickRate + allowanceBuffer;
            if (static_cast<double>(command.tick - slot.firstInputTick) > allowed) {
                continue;
            }
        } else {
            slot.hasFirstInput = 1;
            slot.firstInputTick = command.tick;
            slot.firstInputTime = time;
        }
        slot.lastQueuedTick = command.tick;

        const uint8_t primary = slot.primaryWeapon;
        const uint8_t secondary = slot.secondaryWeapon;
        if (command.weapon != 0 && command.weapon != primary && command.weapon != secondary) {
            const uint8_t current = slot.state.weapon;
            command.weapon = current == 0 || current == primary || current == secondary ? current : primary;
        }
        command.power = slot.power;

        slot.latestInputTick = command.tick;
        while (slot.queueCount >= limit) {
            slot.queueHead = (slot.queueHead + 1) % kInputQueueCapacity;
            --slot.queueCount;
        }
        slot.inputQueue[static_cast<size_t>((slot.queueHead + slot.queueCount) % kInputQueueCapacity)] = command;
        ++slot.queueCount;
    }
}

void Server::DisconnectClient(int index, const char* reason)
{
    if (index < 0 || index >= static_cast<int>(slots.size()) || !slots[static_cast<size_t>(index)].inUse) {
        return;
    }
    LeaveRoom(index);
    std::printf("[server] client %d disconnected (%s)\n", index, reason);
    slots[static_cast<size_t>(index)] = ClientSlot{};
}

int Server::FindClientByAddress(const Address& address) const
{
    for (size_t i = 0; i < slots.size(); ++i) {
        // Bots carry no address, so no datagram can ever speak for one.
        if (slots[i].inUse && !slots[i].bot && slots[i].address == address) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace net
