#pragma once
// A server put together by hand (no Start) whose socket and players' addresses are real local UDP
// sockets, so that a rule's messages can be read back by type exactly as each player receives them.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "net/bit_stream.h"
// Every reader Inbox::All may name: its call is qualified, so only readers declared before it count.
#include "net/chat_messages.h"
#include "net/connection_messages.h"
#include "net/economy_messages.h"
#include "net/lobby_messages.h"
#include "net/protocol.h"
#include "net/world_messages.h"
#include "net/server.h"
#include "net/udp_socket.h"
#include "server_bare_setup.h"

namespace rulesrig {

// What one player's socket received, kept whole so that each test decodes the types it checks.
struct Inbox {
    net::UdpSocket socket;
    std::vector<std::vector<uint32_t>> datagrams;

    void Drain()
    {
        std::array<uint32_t, 512> words{};
        net::Address from;
        for (;;) {
            const int length = socket.ReceiveFrom(from, words.data(), static_cast<int>(words.size() * 4));
            if (length == net::UdpSocket::kDropped) {
                continue;
            }
            if (length <= 0) {
                return;
            }
            datagrams.emplace_back(words.begin(), words.begin() + (length + 3) / 4);
        }
    }

    // Every message of this type received so far, decoded, in arrival order.
    template <class Message>
    std::vector<Message> All()
    {
        Drain();
        std::vector<Message> out;
        for (const std::vector<uint32_t>& words : datagrams) {
            net::OpenedDatagram opened;
            if (!net::OpenClientDatagram(words.data(), static_cast<int>(words.size() * 4), opened) ||
                opened.type != Message::kType) {
                continue;
            }
            Message message;
            if (net::ReadMessage(opened.reader, message)) {
                out.push_back(message);
            }
        }
        return out;
    }

    void Clear()
    {
        Drain();
        datagrams.clear();
    }
};

struct Rig {
    std::unique_ptr<net::Server> server;
    std::vector<std::unique_ptr<Inbox>> inboxes;

    // Room 0 (id 1) running on the greybox, in `mode` with `lives`, and one human per team entry.
    Rig(uint8_t mode, uint8_t lives, const std::vector<uint8_t>& teams, int slotCount = 8)
    {
        server = baresrv::MakeBareServer(slotCount);
        EXPECT_TRUE(server->socket.Open(0));
        baresrv::UseGreybox(*server, {});
        baresrv::OpenRoom(*server, 0, true, mode, lives);
        for (size_t i = 0; i < teams.size(); ++i) {
            auto inbox = std::make_unique<Inbox>();
            EXPECT_TRUE(inbox->socket.Open(0));
            net::ClientSlot& client = baresrv::Occupy(*server, static_cast<int>(i), 0, teams[i]);
            client.address = net::LoopbackAddress(inbox->socket.Port());
            inboxes.push_back(std::move(inbox));
        }
    }

    net::ClientSlot& Slot(int slot) { return server->slots[static_cast<size_t>(slot)]; }
    net::Room& RoomZero() { return server->rooms[0]; }

    void ClearAll()
    {
        for (auto& inbox : inboxes) {
            inbox->Clear();
        }
    }
};

}  // namespace rulesrig
