#pragma once
// A headless game client for server tests and load runs: a real UDP socket that speaks the
// project's own message codec, sends what a script tells it and keeps what the server sent back
// (accept or refusal, lobby states, snapshots decoded against the baselines it holds).
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "game/input_command.h"
#include "net/connection_messages.h"
#include "net/input_message.h"
#include "net/lobby_messages.h"
#include "net/protocol.h"
#include "net/snapshot_codec.h"
#include "net/udp_socket.h"

namespace testnet {

struct ReceivedSnapshot {
    net::SnapshotHeader header;
    net::SnapshotBody body;
    int bytes = 0;
};

class ScriptedClient {
public:
    // Opens a socket on a free local port and aims it at the server on 127.0.0.1:serverPort.
    bool Open(uint16_t serverPort);
    uint16_t LocalPort() const { return socket_.Port(); }
    net::Address ServerAddress() const { return server_; }

    // Sends one record to the server; false when it could not be encoded or sent.
    template <class Message>
    bool Send(const Message& message)
    {
        net::MessageBuffer<Message> words{};
        const int length = net::EncodeMessage(message, words);
        return length > 0 && SendBytes(words.data(), length);
    }
    bool SendBytes(const void* bytes, int length);

    bool SendConnect(uint8_t protocol = net::kProtocolVersion);
    bool SendLobby(net::LobbyAction action, uint16_t roomId = 0, uint8_t argument = 0);
    // Sends the newest `count` commands of the script so far (oldest first) with the newest
    // snapshot tick received as the acknowledgement.
    bool SendInput(int count = 3);
    // Appends the next command of this client (its tick counts up from 1) and returns it.
    InputCommand& NextCommand();

    // Reads every datagram waiting; returns how many were taken.
    int Poll();

    // The profile every lobby request carries.
    net::LobbyRequestMessage profile;

    // What arrived.
    bool accepted = false;
    net::AcceptMessage accept;
    bool refused = false;
    net::RefuseMessage refuse;
    int lobbyStates = 0;
    net::LobbyStateMessage lobby;
    std::vector<ReceivedSnapshot> snapshots;  // in arrival order
    uint32_t newestSnapshotTick = net::kNoTick;
    int otherDatagrams = 0;
    int undecodable = 0;
    int largestSnapshotBytes = 0;
    uint64_t snapshotBytes = 0;
    bool keepSnapshots = true;  // a long load run only counts them
    // When set, acknowledgements name this tick instead of the newest snapshot's.
    bool acknowledgeOverride = false;
    uint32_t acknowledgedTickOverride = net::kNoTick;

    std::vector<InputCommand> commands;  // every command made so far

private:
    void TakeSnapshot(net::BitReader& reader, int length);

    net::UdpSocket socket_;
    net::Address server_;
    std::map<uint32_t, net::SnapshotView> views_;  // by snapshot tick, the newest 64
};

// Polls every client until `done` holds or `rounds` rounds pass; between rounds calls `step`
// (which drives the server). Returns whether `done` held.
template <class Done, class Step>
bool PollUntil(std::vector<ScriptedClient*> clients, Done done, Step step, int rounds = 200)
{
    for (int i = 0; i < rounds; ++i) {
        for (ScriptedClient* client : clients) {
            client->Poll();
        }
        if (done()) {
            return true;
        }
        step();
    }
    return false;
}

}  // namespace testnet
