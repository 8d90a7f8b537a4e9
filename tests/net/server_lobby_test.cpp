// The lobby over a real loopback socket: lobby requests are fed to the handler as the intake
// would after the header, and the lobby states the server sends are read back with the codec.
// The server is never started; time moves only through the `now` handed to it.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/accessory_catalogue.h"
#include "game/asset_paths.h"
#include "game/skin_catalogue.h"
#include "game/tuning.h"
#include "net/economy_messages.h"
#include "net/lobby_messages.h"
#include "net/server.h"
#include "net/udp_socket.h"

namespace {

class ServerLobbyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(net::StartupSockets());
        server = std::make_unique<net::Server>();
        server->tuning = tune::Tuning::CopyForServer(tune::g_tuning);
        server->slots.resize(12);
        ASSERT_TRUE(server->socket.Open(0));
        ASSERT_TRUE(client.Open(0));
        address = net::LoopbackAddress(client.Port());
    }

    // A connected human whose datagrams all arrive at the one test socket.
    net::ClientSlot& LobbyHuman(int slot, const std::string& name)
    {
        net::ClientSlot& human = server->slots[static_cast<size_t>(slot)];
        human.inUse = 1;
        human.name = name;
        human.address = address;
        return human;
    }

    // Feeds one request to the handler exactly as the intake would: the reader after the header.
    void Request(int slot, const net::LobbyRequestMessage& request)
    {
        std::array<uint32_t, net::kDatagramWords> words{};
        net::BitWriter writer(words.data(), static_cast<int>(words.size()));
        ASSERT_TRUE(net::WriteMessage(writer, request));
        writer.Flush();
        ASSERT_FALSE(writer.Overflowed());
        net::OpenedDatagram opened;
        ASSERT_TRUE(net::OpenServerDatagram(words.data(), writer.ByteLength(), opened));
        server->HandleLobbyRequest(slot, opened.reader);
    }

    // Every lobby state waiting on the test socket, in arrival order; other messages are counted.
    std::vector<net::LobbyStateMessage> LobbyStates()
    {
        std::vector<net::LobbyStateMessage> states;
        std::array<uint32_t, net::kDatagramWords> words{};
        net::Address from;
        int length = 0;
        while ((length = client.ReceiveFrom(from, words.data(), net::kDatagramBytes)) > 0) {
            net::OpenedDatagram opened;
            EXPECT_TRUE(net::OpenClientDatagram(words.data(), length, opened));
            if (opened.type == net::MessageType::LobbyState) {
                net::LobbyStateMessage state;
                EXPECT_TRUE(net::ReadMessage(opened.reader, state));
                states.push_back(state);
            } else if (opened.type == net::MessageType::Economy) {
                net::EconomyMessage economy;
                EXPECT_TRUE(net::ReadMessage(opened.reader, economy));
                economies.push_back(economy);
            }
        }
        return states;
    }

    // The state sent to one slot by one broadcast at `time`.
    net::LobbyStateMessage StateFor(int slot, double time)
    {
        server->now = time;
        server->BroadcastLobbyState(time);
        for (const net::LobbyStateMessage& state : LobbyStates()) {
            if (state.ownSlot == slot) return state;
        }
        ADD_FAILURE() << "no lobby state for slot " << slot << " at " << time;
        return {};
    }

    std::unique_ptr<net::Server> server;
    net::UdpSocket client;
    net::Address address;
    std::vector<net::EconomyMessage> economies;
};

TEST_F(ServerLobbyTest, EveryHumanGetsOneLobbyStateEachFifthOfASecond)
{
    LobbyHuman(1, "Ann");
    LobbyHuman(4, "Bob");
    server->slots[6].inUse = 1;
    server->slots[6].bot = 1;
    server->slots[6].address = address;  // a bot is never sent anything, whatever it holds

    const std::vector<std::pair<double, int>> schedule = {
        {0.0, 2}, {0.1, 0}, {0.19, 0}, {0.2, 2}, {0.35, 0}, {0.45, 2}, {5.0, 2}};
    for (const auto& [time, expected] : schedule) {
        SCOPED_TRACE(time);
        server->BroadcastLobbyState(time);
        const std::vector<net::LobbyStateMessage> states = LobbyStates();
        ASSERT_EQ(static_cast<int>(states.size()), expected);
        if (expected == 2) {
            EXPECT_EQ(states[0].ownSlot + states[1].ownSlot, 5);
            EXPECT_EQ(states[0].place, net::LobbyPlace::NoRoom);
        }
    }
}

TEST_F(ServerLobbyTest, OutsideARoomTheStateListsTheRoomsInUse)
{
    LobbyHuman(0, "Ann");
    LobbyHuman(2, "Bob");
    LobbyHuman(3, "Cid");
    LobbyHuman(5, "Dee");
    ASSERT_EQ(server->CreateRoom(0), 0);
    ASSERT_EQ(server->CreateRoom(2), 1);
    ASSERT_TRUE(server->JoinRoom(3, server->rooms[1].id, ""));
    server->rooms[1].started = 1;
    server->rooms[1].password = "pw";
    server->rooms[1].settings.gameMode = 1;

    const net::LobbyStateMessage state = StateFor(5, 1.0);
    EXPECT_EQ(state.place, net::LobbyPlace::NoRoom);
    EXPECT_EQ(state.winningSide, net::kSideNone);
    EXPECT_TRUE(state.notice.empty());
    ASSERT_EQ(state.rooms.size(), 2u);
    EXPECT_EQ(state.rooms[0].id, 1);
    EXPECT_EQ(state.rooms[0].name, "Ann's Room");
    EXPECT_EQ(state.rooms[0].memberCount, 1);
    EXPECT_FALSE(state.rooms[0].started);
    EXPECT_FALSE(state.rooms[0].hasPassword);
    EXPECT_TRUE(state.rooms[0].open);
    EXPECT_EQ(state.rooms[1].id, 2);
    EXPECT_EQ(state.rooms[1].memberCount, 2);
    EXPECT_TRUE(state.rooms[1].started);
    EXPECT_TRUE(state.rooms[1].hasPassword);
    EXPECT_EQ(state.rooms[1].gameMode, 1);
    EXPECT_FALSE(state.rooms[1].open);
}

TEST_F(ServerLobbyTest, InARoomTheStateDescribesItAndItsMembersInSlotOrder)
{
    server->tuning.account.enabled = 0;
    LoadAccessoryCatalogue(server->accessoryCatalogue, AssetsDir());
    ScanSkins(server->skinCatalogue, AssetsDir());
    const int halo = FindAccessory(server->accessoryCatalogue, "halo") + 1;
    const int banner = FindAccessory(server->accessoryCatalogue, "banner") + 1;
    const int topHat = FindAccessory(server->accessoryCatalogue, "top_hat") + 1;
    ASSERT_GT(halo, 0);
    ASSERT_GT(banner, 0);
    ASSERT_GT(topHat, 0);
    ASSERT_GE(server->skinCatalogue.names.size(), 1u);

    LobbyHuman(7, "");
    LobbyHuman(2, "");
    net::LobbyRequestMessage create;
    create.action = net::LobbyAction::CreateRoom;
    create.name = "Host";
    create.armour = 3;
    create.primaryWeapon = 6;
    create.secondaryWeapon = 9;
    create.power = 4;
    // The same head piece twice, and a head piece where the waist goes: both are dropped.
    create.accessories = {static_cast<uint8_t>(halo), static_cast<uint8_t>(halo), static_cast<uint8_t>(banner),
                          static_cast<uint8_t>(topHat)};
    create.skin = 1;
    Request(7, create);
    ASSERT_EQ(server->slots[7].room, 0);

    net::LobbyRequestMessage join;
    join.action = net::LobbyAction::JoinRoom;
    join.roomId = server->rooms[0].id;
    join.name = "Guest";
    join.skin = 200;  // no such skin
    Request(2, join);
    ASSERT_EQ(server->slots[2].room, 0);
    server->slots[9].inUse = 1;
    server->slots[9].bot = 1;
    server->slots[9].room = 0;
    server->slots[9].chosenTeam = 0;
    server->slots[9].name = "Bot";
    server->slots[7].kills = 300;
    server->slots[7].role = 2;

    const net::LobbyStateMessage host = StateFor(7, 1.0);
    EXPECT_EQ(host.place, net::LobbyPlace::RoomLobby);
    EXPECT_EQ(host.ownSlot, 7);
    EXPECT_EQ(host.roomId, server->rooms[0].id);
    EXPECT_EQ(host.roomName, "Host's Room");
    EXPECT_TRUE(host.isHost);
    EXPECT_EQ(host.settings, server->rooms[0].settings);
    EXPECT_FALSE(host.hasPassword);
    ASSERT_EQ(host.members.size(), 3u);
    EXPECT_EQ(host.members[0].slot, 2);
    EXPECT_EQ(host.members[0].name, "Guest");
    EXPECT_FALSE(host.members[0].isHost);
    EXPECT_EQ(host.members[0].side, 1);
    EXPECT_EQ(host.members[0].skin, 0);
    EXPECT_EQ(host.members[1].slot, 7);
    EXPECT_TRUE(host.members[1].isHost);
    EXPECT_EQ(host.members[1].side, 0);
    EXPECT_EQ(host.members[1].armour, 3);
    EXPECT_EQ(host.members[1].kills, 255);
    EXPECT_EQ(host.members[1].role, 2);
    EXPECT_EQ(host.members[1].skin, 1);
    const std::array<uint8_t, 4> cleaned = {static_cast<uint8_t>(halo), 0, static_cast<uint8_t>(banner), 0};
    EXPECT_EQ(host.members[1].accessories, cleaned);
    EXPECT_EQ(host.members[2].slot, 9);
    EXPECT_TRUE(host.members[2].isBot);

    const net::LobbyStateMessage guest = StateFor(2, 2.0);
    EXPECT_FALSE(guest.isHost);
    EXPECT_EQ(guest.place, net::LobbyPlace::RoomLobby);

    // The loadout as asked for.
    EXPECT_EQ(server->slots[7].armour, 3);
    EXPECT_EQ(server->slots[7].primaryWeapon, 6);
    EXPECT_EQ(server->slots[7].secondaryWeapon, 9);
    EXPECT_EQ(server->slots[7].power, 4);
}

TEST_F(ServerLobbyTest, OwnershipIsEnforcedWhenTheAccountServiceIsOn)
{
    server->tuning.account.enabled = 1;
    LoadAccessoryCatalogue(server->accessoryCatalogue, AssetsDir());
    ScanSkins(server->skinCatalogue, AssetsDir());
    const uint8_t halo = static_cast<uint8_t>(FindAccessory(server->accessoryCatalogue, "halo") + 1);
    const uint8_t topHat = static_cast<uint8_t>(FindAccessory(server->accessoryCatalogue, "top_hat") + 1);
    net::ClientSlot& human = LobbyHuman(1, "Ann");
    human.ownedAccessories = {halo};
    human.ownedSkins = {static_cast<uint16_t>(2 << 8 | 1)};  // skin 2 for armour 1 only
    ASSERT_GE(server->skinCatalogue.names.size(), 2u);

    net::LobbyRequestMessage request;
    request.accessories = {topHat, halo, 0, 0};
    request.armour = 1;
    request.skin = 2;
    Request(1, request);
    const std::array<uint8_t, 4> owned = {0, halo, 0, 0};
    EXPECT_EQ(human.accessories, owned);
    EXPECT_EQ(human.requestedAccessories, request.accessories);
    EXPECT_EQ(human.skin, 2);

    request.armour = 2;
    Request(1, request);
    EXPECT_EQ(human.skin, 0);
    EXPECT_EQ(human.requestedSkin, 2);
}

TEST_F(ServerLobbyTest, ARunningMatchKeepsItsLoadoutAndMalformedRequestsChangeNothing)
{
    net::ClientSlot& human = LobbyHuman(3, "Ann");
    net::LobbyRequestMessage request;
    request.action = net::LobbyAction::CreateRoom;
    request.name = "Ann";
    request.primaryWeapon = 2;
    Request(3, request);
    ASSERT_EQ(human.room, 0);
    server->rooms[0].started = 1;

    request.action = net::LobbyAction::UpdateProfile;
    request.primaryWeapon = 7;
    request.armour = 4;
    request.name = "Annie";
    Request(3, request);
    EXPECT_EQ(human.primaryWeapon, 2);
    EXPECT_EQ(human.armour, 0);
    EXPECT_EQ(human.name, "Annie");

    // A request cut short changes nothing.
    std::array<uint32_t, net::kDatagramWords> words{};
    net::BitWriter writer(words.data(), static_cast<int>(words.size()));
    net::WriteHeader(writer, net::MessageType::LobbyRequest);
    writer.Write(static_cast<uint32_t>(net::LobbyAction::LeaveRoom), 4);
    writer.Flush();
    net::OpenedDatagram opened;
    ASSERT_TRUE(net::OpenServerDatagram(words.data(), writer.ByteLength(), opened));
    server->HandleLobbyRequest(3, opened.reader);
    EXPECT_EQ(human.room, 0);
    EXPECT_EQ(human.name, "Annie");

    // Back in the lobby the host adds a bot; leaving as the last human takes it along.
    server->rooms[0].started = 0;
    request.action = net::LobbyAction::AddBot;
    Request(3, request);
    EXPECT_EQ(server->MemberCount(0), 2);
    EXPECT_TRUE(server->hasBots);

    request.action = net::LobbyAction::LeaveRoom;
    Request(3, request);
    EXPECT_EQ(human.room, -1);
    EXPECT_FALSE(server->rooms[0].inUse);
    EXPECT_FALSE(server->hasBots);
}

TEST_F(ServerLobbyTest, ANoticeIsCarriedForSixSecondsThenTheStateCarriesNone)
{
    LobbyHuman(1, "Ann");
    server->now = 10.0;
    net::LobbyRequestMessage join;
    join.action = net::LobbyAction::JoinRoom;
    join.roomId = 4242;
    Request(1, join);

    EXPECT_EQ(StateFor(1, 10.0).notice, "that room is gone");
    EXPECT_EQ(StateFor(1, 15.5).notice, "that room is gone");
    EXPECT_EQ(StateFor(1, 16.0).notice, "");

    // A newer refusal replaces the text and restarts the six seconds.
    server->now = 20.0;
    server->SetLobbyNotice(1, std::string(80, 'x'));
    EXPECT_EQ(StateFor(1, 25.0).notice, std::string(64, 'x'));
    server->SetLobbyNotice(1, "");
    EXPECT_EQ(StateFor(1, 25.5).notice, "");
}

TEST_F(ServerLobbyTest, TheHostsRoomActionsArriveThroughRequestsAndTheMatchStartSendsTheEconomy)
{
    LobbyHuman(0, "Ann").points = 77;
    LobbyHuman(1, "Bob").bounty = 5;
    net::LobbyRequestMessage request;
    request.action = net::LobbyAction::CreateRoom;
    Request(0, request);
    const uint16_t id = server->rooms[0].id;

    request.action = net::LobbyAction::ChangeRoomSettings;
    request.settings.lives = 7;
    request.password = "pw";
    Request(0, request);
    EXPECT_EQ(server->rooms[0].settings.lives, 7);
    EXPECT_EQ(server->rooms[0].password, "pw");

    request = {};
    request.action = net::LobbyAction::JoinRoom;
    request.roomId = id;
    request.password = "pw";
    Request(1, request);
    ASSERT_EQ(server->slots[1].room, 0);
    EXPECT_EQ(server->slots[1].chosenTeam, 1);

    request.action = net::LobbyAction::SwitchSide;
    request.wantedSide = 0;  // 1 against 1: refused
    Request(1, request);
    EXPECT_EQ(server->slots[1].chosenTeam, 1);

    request.action = net::LobbyAction::RemoveMember;
    request.argument = 0;  // not the host
    Request(1, request);
    EXPECT_EQ(server->slots[0].room, 0);

    LobbyStates();
    request.action = net::LobbyAction::StartMatch;
    Request(1, request);  // not the host
    EXPECT_FALSE(server->rooms[0].started);
    Request(0, request);
    EXPECT_TRUE(server->rooms[0].started);
    LobbyStates();
    ASSERT_EQ(economies.size(), 2u);
    for (const net::EconomyMessage& economy : economies) {
        EXPECT_EQ(economy.metal, 0);
        EXPECT_EQ(economy.metalSpent, 0);
        EXPECT_EQ(economy.metalEarned, 0);
        EXPECT_EQ(economy.bounty, 0);
        EXPECT_TRUE(economy.bounties.empty());
    }
    const net::LobbyStateMessage state = StateFor(1, 3.0);
    EXPECT_EQ(state.place, net::LobbyPlace::Match);
    EXPECT_EQ(state.matchSeed, server->rooms[0].matchSeed);
    EXPECT_TRUE(state.hasPassword);
}

}  // namespace
