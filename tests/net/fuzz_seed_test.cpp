// The committed seed datagrams of the wire fuzz targets must stay valid messages as the protocol
// evolves, or the fuzzers would start from noise.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "net/chat_messages.h"
#include "net/connection_messages.h"
#include "net/economy_messages.h"
#include "net/input_message.h"
#include "net/lobby_messages.h"
#include "net/snapshot_codec.h"
#include "net/world_messages.h"

namespace {

std::vector<std::vector<uint8_t>> Seeds(const std::string& target)
{
    const std::filesystem::path folder = std::filesystem::path(ZW_TEST_DATA_DIR).parent_path() / "fuzz" / "corpus" / target;
    std::vector<std::vector<uint8_t>> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return seeds;
}

template <class M>
bool Reads(net::BitReader reader)
{
    M message;
    return ReadMessage(reader, message);
}

bool ReadsAsServer(const std::vector<uint8_t>& bytes)
{
    net::OpenedDatagram opened;
    if (!net::OpenServerDatagram(bytes.data(), static_cast<int>(bytes.size()), opened)) {
        return false;
    }
    switch (opened.type) {
    case net::MessageType::Connect: return Reads<net::ConnectMessage>(opened.reader);
    case net::MessageType::Leave: return Reads<net::LeaveMessage>(opened.reader);
    case net::MessageType::Input: return Reads<net::InputMessage>(opened.reader);
    case net::MessageType::LobbyRequest: return Reads<net::LobbyRequestMessage>(opened.reader);
    case net::MessageType::Chat: return Reads<net::ChatMessage>(opened.reader);
    case net::MessageType::Command: return Reads<net::CommandMessage>(opened.reader);
    case net::MessageType::BuyLevel: return Reads<net::BuyLevelMessage>(opened.reader);
    default: return false;
    }
}

bool ReadsAsClient(const std::vector<uint8_t>& bytes)
{
    net::OpenedDatagram opened;
    if (!net::OpenClientDatagram(bytes.data(), static_cast<int>(bytes.size()), opened)) {
        return false;
    }
    switch (opened.type) {
    case net::MessageType::Accept: return Reads<net::AcceptMessage>(opened.reader);
    case net::MessageType::Refuse: return Reads<net::RefuseMessage>(opened.reader);
    case net::MessageType::LobbyState: return Reads<net::LobbyStateMessage>(opened.reader);
    case net::MessageType::HitEvent: return Reads<net::HitEventMessage>(opened.reader);
    case net::MessageType::DropSpawned: return Reads<net::DropSpawnedMessage>(opened.reader);
    case net::MessageType::DropTaken: return Reads<net::DropTakenMessage>(opened.reader);
    case net::MessageType::ProjectileSpawned: return Reads<net::ProjectileSpawnedMessage>(opened.reader);
    case net::MessageType::ProjectileDetonated: return Reads<net::ProjectileDetonatedMessage>(opened.reader);
    case net::MessageType::KillEvent: return Reads<net::KillEventMessage>(opened.reader);
    case net::MessageType::SentryStates: return Reads<net::SentryStatesMessage>(opened.reader);
    case net::MessageType::ShotEvent: return Reads<net::ShotEventMessage>(opened.reader);
    case net::MessageType::ShieldStates: return Reads<net::ShieldStatesMessage>(opened.reader);
    case net::MessageType::HealingField: return Reads<net::HealingFieldMessage>(opened.reader);
    case net::MessageType::ChatLine: return Reads<net::ChatLineMessage>(opened.reader);
    case net::MessageType::Kicked: return Reads<net::KickedMessage>(opened.reader);
    case net::MessageType::Economy: return Reads<net::EconomyMessage>(opened.reader);
    default: return false;
    }
}

TEST(FuzzSeeds, MessageSeedsAreValidMessages)
{
    const struct {
        const char* target;
        bool (*reads)(const std::vector<uint8_t>&);
        size_t atLeast;
    } targets[] = {
        {"server_inbound_fuzz", ReadsAsServer, 7},
        {"client_events_fuzz", ReadsAsClient, 15},
        {"lobby_state_fuzz", ReadsAsClient, 2},
    };
    for (const auto& t : targets) {
        const auto seeds = Seeds(t.target);
        EXPECT_GE(seeds.size(), t.atLeast) << t.target;
        for (const auto& seed : seeds) {
            EXPECT_TRUE(t.reads(seed)) << t.target << ": a seed of " << seed.size() << " bytes";
        }
    }
}

TEST(FuzzSeeds, SnapshotSeedWithoutBaselineDecodes)
{
    bool found = false;
    for (const auto& seed : Seeds("snapshot_fuzz")) {
        ASSERT_FALSE(seed.empty());
        if ((seed[0] & 1) != 0) {
            continue;  // needs the fuzz target's own baseline view
        }
        net::OpenedDatagram opened;
        ASSERT_TRUE(net::OpenClientDatagram(seed.data() + 1, static_cast<int>(seed.size() - 1), opened));
        net::SnapshotHeader header;
        auto body = std::make_unique<net::SnapshotBody>();
        EXPECT_TRUE(net::ReadSnapshotHeader(opened.reader, header));
        EXPECT_TRUE(net::ReadSnapshotBody(opened.reader, nullptr, *body));
        EXPECT_GT(body->view.present.count(), 0u);
        found = true;
    }
    EXPECT_TRUE(found);
}

}  // namespace
