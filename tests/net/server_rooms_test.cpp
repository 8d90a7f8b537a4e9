// Rooms on a server that was never started: slots are marked in use by hand and the room
// handlers are called directly, so each rule is seen without the network in between.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/match_options.h"
#include "game/tuning.h"
#include "net/server.h"
#include "net/server_maps.h"
#include "support/temp_folder.h"

namespace {

class ServerRoomsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = std::make_unique<net::Server>();
        server->tuning = tune::Tuning::CopyForServer(tune::g_tuning);
        server->slots.resize(40);
        server->now = 100.0;
    }

    net::ClientSlot& Human(int slot, const std::string& name = "")
    {
        net::ClientSlot& client = server->slots[static_cast<size_t>(slot)];
        client.inUse = 1;
        client.name = name.empty() ? "P" + std::to_string(slot) : name;
        return client;
    }

    // A bot put into a room by hand, as the bot code will.
    void RoomsBot(int slot, int room, uint8_t side)
    {
        net::ClientSlot& bot = server->slots[static_cast<size_t>(slot)];
        bot.inUse = 1;
        bot.bot = 1;
        bot.room = room;
        bot.chosenTeam = side;
        server->hasBots = 1;
    }

    net::Room& RoomOf(int slot) { return server->rooms[static_cast<size_t>(server->slots[static_cast<size_t>(slot)].room)]; }

    int RoomsInUse() const
    {
        int count = 0;
        for (const net::Room& room : server->rooms) count += room.inUse ? 1 : 0;
        return count;
    }

    std::unique_ptr<net::Server> server;
};

TEST_F(ServerRoomsTest, CreatingARoomMakesTheCreatorItsHostAndTwiceGivesTheSameRoom)
{
    Human(3, "Ann");
    testing::internal::CaptureStdout();
    const int room = server->CreateRoom(3);
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_EQ(room, 0);
    EXPECT_NE(log.find("[server] client 3 created room 1 'Ann's Room'\n"), std::string::npos) << log;

    const net::Room& record = server->rooms[0];
    EXPECT_TRUE(record.inUse);
    EXPECT_EQ(record.id, 1);
    EXPECT_EQ(record.host, 3);
    EXPECT_FALSE(record.started);
    EXPECT_EQ(record.winningSide, net::kSideNone);
    EXPECT_TRUE(record.password.empty());
    EXPECT_EQ(record.settings.lives, ClampLives(server->tuning.match.startingLives));
    EXPECT_TRUE(server->maps[0].loaded);
    EXPECT_EQ(server->slots[3].room, 0);
    EXPECT_EQ(server->slots[3].chosenTeam, 0);
    EXPECT_GT(server->slots[3].state.health, 0);  // spawned into the room's lobby

    EXPECT_EQ(server->CreateRoom(3), 0);
    EXPECT_EQ(RoomsInUse(), 1);
    EXPECT_EQ(server->nextRoomId, 2);

    // Without a name the room is named after the slot.
    Human(7).name.clear();
    ASSERT_EQ(server->CreateRoom(7), 1);
    EXPECT_EQ(server->rooms[1].name, "Player 7's Room");
}

TEST_F(ServerRoomsTest, TheThirtyThirdRoomCannotBeCreatedAndItsCreatorStaysWhereItIs)
{
    for (int slot = 0; slot < net::kMaxRooms; ++slot) {
        Human(slot);
        ASSERT_EQ(server->CreateRoom(slot), slot);
    }
    Human(35);
    ASSERT_TRUE(server->JoinRoom(35, server->rooms[4].id, ""));
    EXPECT_EQ(server->CreateRoom(35), -1);
    EXPECT_EQ(server->slots[35].room, 4);
    EXPECT_EQ(server->MemberCount(4), 2);
    EXPECT_TRUE(server->slots[35].notice.empty());
}

TEST_F(ServerRoomsTest, RoomIdsRunTo65535ThenStartAgainAt1PassingOverIdsInUse)
{
    Human(1);
    Human(2);
    Human(3);
    server->nextRoomId = 65535;
    ASSERT_EQ(server->CreateRoom(1), 0);
    ASSERT_EQ(server->CreateRoom(2), 1);
    EXPECT_EQ(server->rooms[0].id, 65535);
    EXPECT_EQ(server->rooms[1].id, 1);

    server->nextRoomId = 65535;  // both 65535 and 1 are still held
    ASSERT_EQ(server->CreateRoom(3), 2);
    EXPECT_EQ(server->rooms[2].id, 2);
    EXPECT_EQ(server->FindRoomById(2), 2);
    EXPECT_EQ(server->FindRoomById(0), -1);
    EXPECT_EQ(server->FindRoomById(3), -1);
}

TEST_F(ServerRoomsTest, JoinRefusalsBecomeNoticesThatLastSixSeconds)
{
    Human(0, "Host");
    Human(1);
    Human(2);
    Human(3);
    ASSERT_EQ(server->CreateRoom(0), 0);
    const uint16_t id = server->rooms[0].id;

    struct Case {
        const char* what;
        uint16_t id;
        std::string password;
        void (*arrange)(net::Server&);
        const char* notice;
    };
    const std::vector<Case> cases = {
        {"unknown id", static_cast<uint16_t>(id + 1), "", [](net::Server&) {}, "that room is gone"},
        {"started, joining off", id, "",
         [](net::Server& s) {
             s.rooms[0].started = 1;
             s.rooms[0].settings.joiningAllowed = 0;
         },
         "that match has already started"},
        {"full", id, "", [](net::Server& s) { s.tuning.network.maxClients = 1; }, "that room is full"},
        {"wrong password", id, "guess", [](net::Server& s) { s.rooms[0].password = "secret"; }, "wrong password"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        net::Server& s = *server;
        s.rooms[0].started = 0;
        s.rooms[0].password.clear();
        s.tuning.network.maxClients = 128;
        s.slots[1].notice.clear();
        c.arrange(s);
        s.now += 1.0;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(s.JoinRoom(1, c.id, c.password));
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(s.slots[1].room, -1);
        EXPECT_EQ(s.slots[1].notice, c.notice);
        EXPECT_DOUBLE_EQ(s.slots[1].noticeUntil, s.now + 6.0);
        EXPECT_EQ(log.find("failed the password") != std::string::npos, std::string(c.notice) == "wrong password")
            << log;
    }

    // Joining a started match is allowed when the host allows it.
    server->rooms[0].started = 1;
    server->rooms[0].settings.joiningAllowed = 1;
    server->rooms[0].password.clear();
    testing::internal::CaptureStdout();
    EXPECT_TRUE(server->JoinRoom(2, id, ""));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("[server] client 2 joined room 1 (2 players)\n"),
              std::string::npos);
    EXPECT_EQ(server->slots[2].chosenTeam, 1);
    // Joining the room one is in already succeeds and changes nothing.
    EXPECT_TRUE(server->JoinRoom(2, id, "anything"));
    EXPECT_EQ(server->MemberCount(0), 2);
}

TEST_F(ServerRoomsTest, APasswordOfThirtyCharactersIsComparedOnItsFirst24)
{
    Human(0);
    Human(1);
    Human(2);
    ASSERT_EQ(server->CreateRoom(0), 0);
    const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
    net::RoomSettings settings = server->rooms[0].settings;
    server->ChangeRoomSettings(0, settings, thirty);
    EXPECT_EQ(server->rooms[0].password, thirty.substr(0, 24));

    const uint16_t id = server->rooms[0].id;
    EXPECT_FALSE(server->JoinRoom(1, id, thirty.substr(0, 23)));
    EXPECT_TRUE(server->JoinRoom(1, id, thirty.substr(0, 24) + "######"));
    EXPECT_TRUE(server->JoinRoom(2, id, thirty));

    // No password given takes the password away.
    server->ChangeRoomSettings(0, settings, "");
    EXPECT_TRUE(server->rooms[0].password.empty());
}

TEST_F(ServerRoomsTest, WhenTheHostLeavesTheLowestHumanSlotBecomesHost)
{
    Human(5);
    Human(9);
    Human(7);
    ASSERT_EQ(server->CreateRoom(5), 0);
    const uint16_t id = server->rooms[0].id;
    ASSERT_TRUE(server->JoinRoom(9, id, ""));
    ASSERT_TRUE(server->JoinRoom(7, id, ""));
    RoomsBot(2, 0, 0);  // a lower slot, but a bot never hosts

    testing::internal::CaptureStdout();
    server->LeaveRoom(5);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(server->rooms[0].host, 7);
    EXPECT_NE(log.find("[server] room 1 host -> client 7\n"), std::string::npos) << log;
    EXPECT_EQ(server->slots[5].room, -1);
    EXPECT_EQ(server->slots[5].chosenTeam, net::kSideNone);

    // A member who is not the host leaves without a hand-over.
    testing::internal::CaptureStdout();
    server->LeaveRoom(9);
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("host ->"), std::string::npos);
    EXPECT_EQ(server->rooms[0].host, 7);
}

TEST_F(ServerRoomsTest, WhenTheLastHumanLeavesTheRoomClosesAndItsBotsAreFreed)
{
    Human(4);
    Human(6);
    ASSERT_EQ(server->CreateRoom(4), 0);
    ASSERT_EQ(server->CreateRoom(6), 1);
    RoomsBot(1, 0, 0);
    RoomsBot(2, 0, 1);
    RoomsBot(3, 1, 0);  // in the other room: stays

    testing::internal::CaptureStdout();
    server->LeaveRoom(4);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("[server] room 1 closed (empty, 2 bot(s) removed)\n"), std::string::npos) << log;
    EXPECT_FALSE(server->rooms[0].inUse);
    EXPECT_EQ(server->rooms[0].id, 0);
    EXPECT_FALSE(server->slots[1].inUse);
    EXPECT_FALSE(server->slots[2].bot);
    EXPECT_EQ(server->slots[2].room, -1);
    EXPECT_TRUE(server->slots[3].inUse);
    EXPECT_TRUE(server->hasBots);

    testing::internal::CaptureStdout();
    server->LeaveRoom(6);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("[server] room 2 closed (empty, 1 bot(s) removed)\n"),
              std::string::npos);
    EXPECT_FALSE(server->hasBots);
    EXPECT_EQ(RoomsInUse(), 0);

    // Leaving when in no room changes nothing and prints nothing.
    testing::internal::CaptureStdout();
    server->LeaveRoom(4);
    EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());
}

TEST_F(ServerRoomsTest, SidesMayBeSwitchedOnlyTowardTheSmallerSideBeforeTheStart)
{
    // 2 against 2: nobody may switch.
    for (int slot = 0; slot < 5; ++slot) Human(slot);
    ASSERT_EQ(server->CreateRoom(0), 0);
    const uint16_t id = server->rooms[0].id;
    for (int slot = 1; slot < 4; ++slot) ASSERT_TRUE(server->JoinRoom(slot, id, ""));
    EXPECT_EQ(server->SideCount(0, 0), 2);
    EXPECT_EQ(server->SideCount(0, 1), 2);
    EXPECT_EQ(server->slots[0].chosenTeam, 0);
    EXPECT_EQ(server->slots[1].chosenTeam, 1);
    server->SwitchSide(0, 1);
    server->SwitchSide(1, 0);
    EXPECT_EQ(server->slots[0].chosenTeam, 0);
    EXPECT_EQ(server->slots[1].chosenTeam, 1);

    // 3 against 2: the side with 3 may move, the side with 2 may not.
    ASSERT_TRUE(server->JoinRoom(4, id, ""));
    ASSERT_EQ(server->slots[4].chosenTeam, 0);
    server->SwitchSide(1, 0);
    EXPECT_EQ(server->slots[1].chosenTeam, 1);
    server->SwitchSide(4, 1);
    EXPECT_EQ(server->slots[4].chosenTeam, 1);
    EXPECT_EQ(server->slots[4].state.team, 1);

    // Nothing for a side other than 0 or 1, nor once the match runs.
    server->SwitchSide(0, 2);
    EXPECT_EQ(server->slots[0].chosenTeam, 0);
    server->rooms[0].started = 1;
    server->SwitchSide(0, 1);
    EXPECT_EQ(server->slots[0].chosenTeam, 0);

    // A member without a side may take either.
    server->rooms[0].started = 0;
    server->slots[2].chosenTeam = net::kSideNone;
    server->SwitchSide(2, 0);
    EXPECT_EQ(server->slots[2].chosenTeam, 0);
}

TEST_F(ServerRoomsTest, SettingsChangeOnlyByTheHostBeforeTheStartAndAreClamped)
{
    Human(0);
    Human(1);
    ASSERT_EQ(server->CreateRoom(0), 0);
    ASSERT_TRUE(server->JoinRoom(1, server->rooms[0].id, ""));
    const net::RoomSettings before = server->rooms[0].settings;

    net::RoomSettings wanted;
    wanted.gameMode = 1;
    wanted.mapIndex = 1;
    wanted.lives = 0;
    wanted.joiningAllowed = 1;
    wanted.damagePercent = 20000;
    wanted.speedPercent = 150;
    wanted.healthPercent = 10001;
    wanted.botSkill = 3;
    wanted.metalOn = 0;
    wanted.metalRatePercent = 250;

    struct Refused {
        const char* what;
        int slot;
        net::RoomSettings settings;
        bool started;
    };
    net::RoomSettings badMap = wanted;
    badMap.mapIndex = static_cast<uint8_t>(GetMapCount());
    net::RoomSettings badMode = wanted;
    badMode.gameMode = 2;
    for (const Refused& r : std::vector<Refused>{{"not the host", 1, wanted, false},
                                                 {"map beyond the list", 0, badMap, false},
                                                 {"unknown mode", 0, badMode, false},
                                                 {"after the start", 0, wanted, true}}) {
        SCOPED_TRACE(r.what);
        server->rooms[0].started = r.started ? 1 : 0;
        server->ChangeRoomSettings(r.slot, r.settings, "pw");
        EXPECT_EQ(server->rooms[0].settings, before);
        EXPECT_TRUE(server->rooms[0].password.empty());
    }
    server->rooms[0].started = 0;
    EXPECT_FALSE(server->maps[1].loaded);

    testing::internal::CaptureStdout();
    server->ChangeRoomSettings(0, wanted, "pw");
    testing::internal::GetCapturedStdout();
    const net::RoomSettings& now = server->rooms[0].settings;
    EXPECT_EQ(now.gameMode, 1);
    EXPECT_EQ(now.mapIndex, 1);
    EXPECT_EQ(now.lives, 1);
    EXPECT_EQ(now.joiningAllowed, 1);
    EXPECT_EQ(now.damagePercent, 10000);
    EXPECT_EQ(now.speedPercent, 150);
    EXPECT_EQ(now.healthPercent, 10000);
    EXPECT_EQ(now.botSkill, 1);
    EXPECT_EQ(now.metalOn, 0);
    EXPECT_EQ(now.metalRatePercent, 250);
    EXPECT_EQ(server->rooms[0].password, "pw");
    EXPECT_TRUE(server->maps[1].loaded);

    wanted.lives = 200;
    server->ChangeRoomSettings(0, wanted, "");
    EXPECT_EQ(server->rooms[0].settings.lives, 100);
}

TEST_F(ServerRoomsTest, StartingAMatchResetsTheMembersAndDerivesTheMatchSeed)
{
    Human(2);
    Human(8);
    ASSERT_EQ(server->CreateRoom(2), 0);
    ASSERT_TRUE(server->JoinRoom(8, server->rooms[0].id, ""));
    RoomsBot(5, 0, 0);
    net::Room& room = server->rooms[0];
    room.settings.botSkill = 2;
    room.winningSide = 1;
    room.wonAt = 55.0;
    room.spawnRotation = 9;
    room.teamSpawns[0].resize(3);
    for (const int slot : {2, 5, 8}) {
        net::ClientSlot& member = server->slots[static_cast<size_t>(slot)];
        member.points = 10;
        member.pointsSpent = 20;
        member.pointsEarned = 30;
        member.bounty = 40;
        member.kills = 3;
        member.deaths = 4;
        member.damageCredits[2] = {1, 90.0};
        member.state.upgradeLevels[kTrackDamage] = 5;
        member.state.team = 1;
        member.state.lives = 1;
    }

    server->StartMatch(8);  // not the host
    EXPECT_FALSE(room.started);

    server->tick = 123456;
    testing::internal::CaptureStdout();
    server->StartMatch(2);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(room.started);
    EXPECT_NE(log.find("[server] room 1 started with 3 players on 'SUBLEVEL'\n"), std::string::npos) << log;
    const uint32_t mixed = 1u * 40503u - 123456u * 1640531535u;
    EXPECT_EQ(room.matchSeed, static_cast<uint16_t>(mixed >> 8));
    EXPECT_EQ(room.winningSide, net::kSideNone);
    EXPECT_EQ(room.wonAt, 0.0);
    EXPECT_EQ(room.spawnRotation, 0u);
    EXPECT_TRUE(room.teamSpawns[0].empty());
    EXPECT_EQ(server->slots[5].botSkill, 2);
    for (const int slot : {2, 5, 8}) {
        SCOPED_TRACE(slot);
        const net::ClientSlot& member = server->slots[static_cast<size_t>(slot)];
        EXPECT_EQ(member.points, 0u);
        EXPECT_EQ(member.pointsSpent, 0u);
        EXPECT_EQ(member.pointsEarned, 0u);
        EXPECT_EQ(member.bounty, 0u);
        EXPECT_EQ(member.kills, 0);
        EXPECT_EQ(member.deaths, 0);
        EXPECT_EQ(member.damageCredits[2].attacker, -1);
        EXPECT_EQ(member.state.upgradeLevels[kTrackDamage], 0);
        // Everyone starts the match afresh on the side chosen in the lobby, with every life.
        EXPECT_EQ(member.state.team, member.chosenTeam);
        EXPECT_EQ(member.state.lives, room.settings.lives);
        EXPECT_GT(member.state.health, 0);
    }

    // A running match is started once; a second start changes nothing.
    const uint16_t seed = room.matchSeed;
    server->tick += 1000;
    server->StartMatch(2);
    EXPECT_EQ(room.matchSeed, seed);
}

TEST_F(ServerRoomsTest, TheHostRemovesMembersOnlyBeforeTheStart)
{
    Human(0);
    Human(1);
    Human(2);
    ASSERT_EQ(server->CreateRoom(0), 0);
    ASSERT_TRUE(server->JoinRoom(1, server->rooms[0].id, ""));
    ASSERT_TRUE(server->JoinRoom(2, server->rooms[0].id, ""));
    RoomsBot(3, 0, 1);

    server->RemoveMember(1, 2);  // not the host
    EXPECT_EQ(server->slots[2].room, 0);
    server->rooms[0].started = 1;
    server->RemoveMember(0, 2);
    EXPECT_EQ(server->slots[2].room, 0);
    server->rooms[0].started = 0;
    server->RemoveMember(0, 0);  // not oneself
    EXPECT_EQ(server->slots[0].room, 0);

    testing::internal::CaptureStdout();
    server->RemoveMember(0, 2);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("[server] client 0 removed client 2 from room 1\n"),
              std::string::npos);
    EXPECT_EQ(server->slots[2].room, -1);
    EXPECT_EQ(server->slots[2].notice, "the host removed you from that room");
    EXPECT_DOUBLE_EQ(server->slots[2].noticeUntil, server->now + 6.0);

    // A bot taken out of the room gives its slot back.
    testing::internal::CaptureStdout();
    server->RemoveMember(0, 3);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(server->slots[3].inUse);
    EXPECT_FALSE(server->hasBots);
}

TEST_F(ServerRoomsTest, SmallQueriesOutsideAndInsideARoom)
{
    EXPECT_EQ(server->MemberCount(-1), 0);
    EXPECT_EQ(server->MemberCount(32), 0);
    EXPECT_EQ(server->TeamMode(-1), 0);
    EXPECT_EQ(server->TeamMode(40), 0);
    EXPECT_FALSE(server->MetalOn(-1));
    EXPECT_FLOAT_EQ(server->MetalRate(-1), 1.0f);
    EXPECT_FALSE(server->MetalOn(3));  // a free room

    Human(0);
    ASSERT_EQ(server->CreateRoom(0), 0);
    net::Room& room = server->rooms[0];
    EXPECT_TRUE(server->MetalOn(0));
    room.settings.metalRatePercent = 150;
    EXPECT_FLOAT_EQ(server->MetalRate(0), 1.5f);
    room.settings.gameMode = 1;
    EXPECT_EQ(server->TeamMode(0), 1);
    room.settings.gameMode = 5;
    EXPECT_EQ(server->TeamMode(0), 0);
    EXPECT_EQ(server->MemberCount(0), 1);
    EXPECT_EQ(server->SideForNewcomer(0), 1);

    RoomsBot(9, -1, net::kSideNone);
    server->hasBots = 0;
    server->RefreshHasBots();
    EXPECT_TRUE(server->hasBots);
    server->slots[9] = net::ClientSlot{};
    server->RefreshHasBots();
    EXPECT_FALSE(server->hasBots);
}

TEST_F(ServerRoomsTest, LoadRoomMapLoadsTheGeneratedMapOnceAndSharesIt)
{
    testing::internal::CaptureStdout();
    net::ServerMap& map = server->LoadRoomMap(0);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("[server] map 0 'SUBLEVEL' ready\n"), std::string::npos) << log;
    ASSERT_TRUE(map.loaded);
    EXPECT_FALSE(map.geometry.triangles.empty());
    EXPECT_FALSE(map.geometry.spawns.empty());
    EXPECT_EQ(map.world.triangles.size(), map.geometry.triangles.size());
    EXPECT_TRUE(map.world.boxes.empty());
    EXPECT_FLOAT_EQ(map.floorHeight, map.geometry.bounds.min.y - server->tuning.match.killFloorDepth);

    // An index past the 16 records is map 0; a loaded record is not loaded again.
    testing::internal::CaptureStdout();
    EXPECT_EQ(&server->LoadRoomMap(16), &map);
    EXPECT_EQ(&server->LoadRoomMap(-3), &map);
    EXPECT_EQ(&server->LoadRoomMap(0), &map);
    EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());

    testing::internal::CaptureStdout();
    net::ServerMap& mesa = server->LoadRoomMap(1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("[server] map 1 'MESA' ready\n"), std::string::npos);
    EXPECT_NE(&mesa, &map);
    EXPECT_FALSE(mesa.world.triangles.empty());
}

TEST_F(ServerRoomsTest, AMapFileThatCannotBeReadGivesTheGreyboxLevel)
{
    testsupport::TempFolder folder;
    auto map = std::make_unique<net::ServerMap>();
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(net::FillServerMap(*map, 3, "NOWHERE", folder.Path() + "/missing.glb", server->tuning));
    testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("[server] map 3 'NOWHERE' did not load; greybox instead\n"), std::string::npos) << errors;
    EXPECT_FALSE(map->world.boxes.empty());
    EXPECT_TRUE(map->world.triangles.empty());
    EXPECT_TRUE(map->geometry.spawns.empty());
    EXPECT_FLOAT_EQ(map->floorHeight, -1000.0f);
}

}  // namespace
