#pragma once
// A stand-in server for the session tests: a real UDP socket on loop-back that sends the project's
// own messages to one session and reads back what the session sent, by type.
#include <array>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "client/game_session.h"
#include "net/connection_messages.h"
#include "net/protocol.h"
#include "net/udp_socket.h"

namespace sessiontest {

struct Received {
    net::MessageType type = net::MessageType::Connect;
    std::vector<uint32_t> words;
    int length = 0;

    // The message's reader, standing after the header.
    net::BitReader Reader() const
    {
        net::BitReader reader(words.data(), static_cast<int>(words.size()), length * 8);
        reader.Read(24);
        return reader;
    }
};

struct StandInServer {
    net::UdpSocket socket;

    StandInServer() { EXPECT_TRUE(socket.Open(0)); }

    net::Address Address() const { return net::LoopbackAddress(socket.Port()); }

    // Connects `session` to this server with `tuning`.
    void Attach(GameSession& session, const tune::Tuning& tuning = tune::Tuning{})
    {
        ASSERT_TRUE(session.Connect(tuning, Address()));
    }

    template <class Message>
    void SendTo(const GameSession& session, const Message& message)
    {
        net::MessageBuffer<Message> words{};
        const int length = net::EncodeMessage(message, words);
        ASSERT_GT(length, 0);
        SendBytes(session, words.data(), length);
    }

    void SendBytes(const GameSession& session, const void* bytes, int length)
    {
        ASSERT_TRUE(socket.SendTo(net::LoopbackAddress(session.socket.Port()), bytes, length));
    }

    // Everything the session sent so far.
    std::vector<Received> Drain()
    {
        std::vector<Received> all;
        std::array<uint32_t, net::kDatagramWords> words{};
        for (;;) {
            net::Address from;
            const int length = socket.ReceiveFrom(from, words.data(), net::kDatagramBytes);
            if (length == net::UdpSocket::kDropped) {
                continue;
            }
            if (length <= 0) {
                break;
            }
            Received received;
            received.length = length;
            received.words.assign(words.begin(), words.begin() + (length + 3) / 4);
            net::BitReader reader(received.words.data(), static_cast<int>(received.words.size()), length * 8);
            EXPECT_EQ(reader.Read(16), net::kMagic);
            received.type = static_cast<net::MessageType>(reader.Read(8));
            all.push_back(std::move(received));
        }
        return all;
    }

    std::vector<Received> DrainOfType(net::MessageType type)
    {
        std::vector<Received> kept;
        for (Received& received : Drain()) {
            if (received.type == type) {
                kept.push_back(std::move(received));
            }
        }
        return kept;
    }
};

// Connects, polls once and accepts the session as `slot`.
inline void ConnectAs(StandInServer& server, GameSession& session, uint8_t slot, double now,
                      const tune::Tuning& tuning = tune::Tuning{})
{
    server.Attach(session, tuning);
    session.PollNetwork(now, nullptr);
    net::AcceptMessage accept;
    accept.slot = slot;
    server.SendTo(session, accept);
    session.PollNetwork(now, nullptr);
    ASSERT_TRUE(session.IsConnected());
    server.Drain();
}

}  // namespace sessiontest
