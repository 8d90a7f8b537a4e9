#include "net/lobby_messages.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wire_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct RawRequest {
    uint32_t action = 2, roomId = 0xBEEF, armour = 4, primary = 9, secondary = 1, power = 4;
    uint32_t accessories[4] = {1, 2, 254, 255};
    uint32_t skin = 7;
    uint32_t mode = 1, map = 15, lives = 99, joining = 1, damage = 10000, speed = 0, health = 250;
    uint32_t skill = 2, metalOn = 1, metalRate = 125, side = 1;
    std::string password = "abcdefghijklmnopqrstuvwx";
    uint32_t argument = 200;
    std::string name = "Fourteen Chars";
    std::string ticket = std::string(64, 'T');
};

// The request laid out from the field table, independently of the codec.
Bytes Layout(const RawRequest& r, uint32_t passwordLength, uint32_t nameLength, uint32_t ticketLength)
{
    wiretest::Raw raw(net::MessageType::LobbyRequest);
    raw.Bits(r.action, 4).Bits(r.roomId, 16).Bits(r.armour, 3).Bits(r.primary, 4).Bits(r.secondary, 4).Bits(r.power, 3);
    for (const uint32_t a : r.accessories) {
        raw.Bits(a, 8);
    }
    raw.Bits(r.skin, 8);
    raw.Bits(r.mode, 3).Bits(r.map, 4).Bits(r.lives, 7).Bits(r.joining, 1);
    raw.Bits(r.damage, 14).Bits(r.speed, 14).Bits(r.health, 14);
    raw.Bits(r.skill, 2).Bits(r.metalOn, 1).Bits(r.metalRate, 14).Bits(r.side, 1);
    raw.Bits(passwordLength, 5);
    for (uint32_t i = 0; i < passwordLength; ++i) {
        raw.Bits(i < r.password.size() ? static_cast<uint8_t>(r.password[i]) : 'p', 7);
    }
    raw.Bits(r.argument, 8);
    raw.Bits(nameLength, 4);
    for (uint32_t i = 0; i < nameLength; ++i) {
        raw.Bits(i < r.name.size() ? static_cast<uint8_t>(r.name[i]) : 'n', 7);
    }
    raw.Bits(ticketLength, 7);
    for (uint32_t i = 0; i < ticketLength; ++i) {
        raw.Bits('T', 7);
    }
    return raw.Bytes();
}

Bytes Layout(const RawRequest& r)
{
    return Layout(r, static_cast<uint32_t>(r.password.size()), static_cast<uint32_t>(r.name.size()),
                  static_cast<uint32_t>(r.ticket.size()));
}

net::LobbyRequestMessage RequestAtLimits()
{
    net::LobbyRequestMessage m;
    m.action = net::LobbyAction::JoinRoom;
    m.roomId = 0xBEEF;
    m.armour = 4;
    m.primaryWeapon = 9;
    m.secondaryWeapon = 1;
    m.power = 4;
    m.accessories = {1, 2, 254, 255};
    m.skin = 7;
    m.settings.gameMode = 1;
    m.settings.mapIndex = 15;
    m.settings.lives = 99;
    m.settings.joiningAllowed = 1;
    m.settings.damagePercent = 10000;
    m.settings.speedPercent = 0;
    m.settings.healthPercent = 250;
    m.settings.botSkill = 2;
    m.settings.metalOn = 1;
    m.settings.metalRatePercent = 125;
    m.wantedSide = 1;
    m.password = "abcdefghijklmnopqrstuvwx";
    m.argument = 200;
    m.name = "Fourteen Chars";
    m.ticket = std::string(64, 'T');
    return m;
}

TEST(LobbyRequest, WriterFollowsTheFieldTableAndRoundTripsAtTheLimits)
{
    const net::LobbyRequestMessage m = RequestAtLimits();
    const Bytes bytes = wiretest::Encode(m);
    EXPECT_EQ(bytes, Layout(RawRequest{}));
    net::LobbyRequestMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_EQ(back.action, m.action);
    EXPECT_EQ(back.roomId, m.roomId);
    EXPECT_EQ(back.armour, m.armour);
    EXPECT_EQ(back.primaryWeapon, m.primaryWeapon);
    EXPECT_EQ(back.secondaryWeapon, m.secondaryWeapon);
    EXPECT_EQ(back.power, m.power);
    EXPECT_EQ(back.accessories, m.accessories);
    EXPECT_EQ(back.skin, m.skin);
    EXPECT_EQ(back.settings, m.settings);
    EXPECT_EQ(back.wantedSide, 1);
    EXPECT_EQ(back.password, m.password);
    EXPECT_EQ(back.argument, m.argument);
    EXPECT_EQ(back.name, m.name);
    EXPECT_EQ(back.ticket, m.ticket);
    EXPECT_LE(bytes.size(), static_cast<size_t>(net::MessageCapacityWords(net::MessageType::LobbyRequest) * 4));
}

TEST(LobbyRequest, ThirtyCharacterPasswordIsAcceptedAndCutToTwentyFour)
{
    RawRequest r;
    r.password = "abcdefghijklmnopqrstuvwxyz0123";
    net::LobbyRequestMessage back;
    ASSERT_TRUE(wiretest::Decode(Layout(r), back));
    EXPECT_EQ(back.password, "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(back.name, r.name);  // the fields after the password are still in step
    EXPECT_EQ(back.ticket, r.ticket);
}

TEST(LobbyRequest, ReaderRefusesValuesOnePastTheirRange)
{
    struct Case {
        const char* what;
        RawRequest request;
        uint32_t nameLength = 14, ticketLength = 64;
    };
    std::vector<Case> cases(6);
    cases[0].what = "action 11";
    cases[0].request.action = 11;
    cases[1].what = "armour 5";
    cases[1].request.armour = 5;
    cases[2].what = "primary 10";
    cases[2].request.primary = 10;
    cases[3].what = "secondary 10";
    cases[3].request.secondary = 10;
    cases[4].what = "power 5";
    cases[4].request.power = 5;
    cases[5].what = "name 15";
    cases[5].nameLength = 15;
    Case ticket;
    ticket.what = "ticket 65";
    ticket.ticketLength = 65;
    cases.push_back(ticket);
    for (const Case& c : cases) {
        net::LobbyRequestMessage back;
        EXPECT_FALSE(wiretest::Decode(Layout(c.request, 24, c.nameLength, c.ticketLength), back)) << c.what;
    }
}

TEST(LobbyRequest, WriterRefusesOutOfRangeRowsAndCutsLongTexts)
{
    net::LobbyRequestMessage bad = RequestAtLimits();
    bad.primaryWeapon = 10;
    EXPECT_TRUE(wiretest::Encode(bad).empty());
    bad = RequestAtLimits();
    bad.action = static_cast<net::LobbyAction>(11);
    EXPECT_TRUE(wiretest::Encode(bad).empty());

    net::LobbyRequestMessage longTexts = RequestAtLimits();
    longTexts.password = std::string(40, 'p');
    longTexts.name = std::string(20, 'n');
    longTexts.ticket = std::string(100, 't');
    net::LobbyRequestMessage back;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(longTexts), back));
    EXPECT_EQ(back.password, std::string(24, 'p'));
    EXPECT_EQ(back.name, std::string(14, 'n'));
    EXPECT_EQ(back.ticket, std::string(64, 't'));
}

TEST(LobbyRequest, SettingsAreClampedOnBothSides)
{
    // Unlimited lives (200) must not wrap in 7 bits; 14-bit percentages above 10000 are clamped.
    net::LobbyRequestMessage m;
    m.settings.lives = 200;
    m.settings.damagePercent = 60000;
    net::LobbyRequestMessage back;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.settings.lives, 100);
    EXPECT_EQ(back.settings.damagePercent, 10000);

    RawRequest r;
    r.lives = 0;
    r.health = 16383;
    ASSERT_TRUE(wiretest::Decode(Layout(r), back));
    EXPECT_EQ(back.settings.lives, 1);
    EXPECT_EQ(back.settings.healthPercent, 10000);
}

TEST(LobbyRequest, ASevenBitWireKeepsTheLowBitsOfEachCharacter)
{
    net::LobbyRequestMessage m;
    m.name = "\xC1\xE2";
    net::LobbyRequestMessage back;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.name, "Ab");
}

net::LobbyMember Member(int slot)
{
    net::LobbyMember member;
    member.slot = static_cast<uint8_t>(slot);
    member.isHost = slot == 0;
    member.name = std::string(14, static_cast<char>('a' + slot % 26));
    member.side = static_cast<uint8_t>(slot % 3 == 2 ? 255 : slot % 3);
    member.armour = static_cast<uint8_t>(slot % 5);
    member.kills = 255;
    member.deaths = slot;
    member.role = static_cast<uint8_t>(slot % 3);
    member.isBot = slot % 2 == 1;
    member.accessories = {static_cast<uint8_t>(slot), 255, 0, 1};
    member.skin = 255;
    return member;
}

void ExpectSameMember(const net::LobbyMember& a, const net::LobbyMember& b)
{
    EXPECT_EQ(a.slot, b.slot);
    EXPECT_EQ(a.isHost, b.isHost);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.side, b.side);
    EXPECT_EQ(a.armour, b.armour);
    EXPECT_EQ(a.kills, b.kills);
    EXPECT_EQ(a.deaths, b.deaths);
    EXPECT_EQ(a.role, b.role);
    EXPECT_EQ(a.isBot, b.isBot);
    EXPECT_EQ(a.accessories, b.accessories);
    EXPECT_EQ(a.skin, b.skin);
}

net::LobbyStateMessage FullRoom()
{
    net::LobbyStateMessage m;
    m.place = net::LobbyPlace::Match;
    m.ownSlot = 3;
    m.winningSide = 1;
    m.notice = std::string(64, '!');
    m.roomId = 65535;
    m.roomName = std::string(23, 'R');
    m.isHost = true;
    m.settings.gameMode = 1;
    m.settings.lives = 100;
    m.settings.metalRatePercent = 10000;
    m.hasPassword = true;
    m.matchSeed = 0xA5A5;
    for (int slot = 0; slot < 32; ++slot) {
        m.members.push_back(Member(slot));
    }
    return m;
}

TEST(LobbyState, FullRoomRoundTripsWithinItsDatagram)
{
    const net::LobbyStateMessage m = FullRoom();
    const Bytes bytes = wiretest::Encode(m);
    ASSERT_FALSE(bytes.empty());
    EXPECT_LE(bytes.size(), 1200u);
    net::LobbyStateMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_EQ(back.place, m.place);
    EXPECT_EQ(back.ownSlot, 3);
    EXPECT_EQ(back.winningSide, 1);
    EXPECT_EQ(back.notice, m.notice);
    EXPECT_EQ(back.roomId, m.roomId);
    EXPECT_EQ(back.roomName, m.roomName);
    EXPECT_TRUE(back.isHost);
    EXPECT_EQ(back.settings, m.settings);
    EXPECT_TRUE(back.hasPassword);
    EXPECT_EQ(back.matchSeed, m.matchSeed);
    ASSERT_EQ(back.members.size(), 32u);
    for (size_t i = 0; i < 32; ++i) {
        ExpectSameMember(back.members[i], m.members[i]);
    }
    EXPECT_TRUE(back.rooms.empty());
}

TEST(LobbyState, WriterSendsTheFirstThirtyTwoMembersAndCapsCountsAndTexts)
{
    net::LobbyStateMessage m = FullRoom();
    m.place = net::LobbyPlace::RoomLobby;
    m.winningSide = 7;
    m.notice = std::string(70, 'x');
    m.roomName = std::string(30, 'y');
    m.members.push_back(Member(40));
    m.members[0].kills = 300;
    m.members[0].deaths = -3;
    m.members[0].name = std::string(15, 'z');
    net::LobbyStateMessage back;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.winningSide, 255);
    EXPECT_EQ(back.notice, std::string(64, 'x'));
    EXPECT_EQ(back.roomName, std::string(23, 'y'));
    ASSERT_EQ(back.members.size(), 32u);
    EXPECT_EQ(back.members[0].kills, 255);
    EXPECT_EQ(back.members[0].deaths, 0);
    EXPECT_EQ(back.members[0].name, std::string(14, 'z'));
}

net::LobbyRoomEntry Room(int index)
{
    net::LobbyRoomEntry room;
    room.id = static_cast<uint16_t>(1000 + index);
    room.name = std::string(23, static_cast<char>('A' + index % 26));
    room.memberCount = index == 0 ? 256 : index;
    room.started = index % 2 == 0;
    room.hasPassword = index % 3 == 0;
    room.gameMode = static_cast<uint8_t>(index % 2);
    room.open = index % 4 == 0;
    return room;
}

TEST(LobbyState, RoomListRoundTripsAndCapsAtThirtyTwo)
{
    net::LobbyStateMessage m;
    m.place = net::LobbyPlace::NoRoom;
    m.ownSlot = 255;
    m.members.push_back(Member(1));  // not sent outside a room
    for (int i = 0; i < 33; ++i) {
        m.rooms.push_back(Room(i));
    }
    m.rooms[1].memberCount = 400;
    const Bytes bytes = wiretest::Encode(m);
    EXPECT_LE(bytes.size(), 1200u);
    net::LobbyStateMessage back;
    back.members.push_back(Member(9));  // a reused record forgets what it held
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_EQ(back.place, net::LobbyPlace::NoRoom);
    EXPECT_EQ(back.winningSide, 255);
    EXPECT_TRUE(back.members.empty());
    ASSERT_EQ(back.rooms.size(), 32u);
    for (size_t i = 0; i < 32; ++i) {
        const net::LobbyRoomEntry expected = Room(static_cast<int>(i));
        EXPECT_EQ(back.rooms[i].id, expected.id);
        EXPECT_EQ(back.rooms[i].name, expected.name);
        EXPECT_EQ(back.rooms[i].memberCount, i == 1 ? 256 : expected.memberCount);
        EXPECT_EQ(back.rooms[i].started, expected.started);
        EXPECT_EQ(back.rooms[i].hasPassword, expected.hasPassword);
        EXPECT_EQ(back.rooms[i].gameMode, expected.gameMode);
        EXPECT_EQ(back.rooms[i].open, expected.open);
    }
}

TEST(LobbyState, ReaderRefusesCountsPastThirtyTwoAndPlaceThree)
{
    net::LobbyStateMessage back;
    const Bytes thirtyThreeRooms =
        wiretest::Raw(net::MessageType::LobbyState).Bits(0, 2).Bits(1, 8).Bits(2, 2).Bits(0, 7).Bits(33, 6).Bytes();
    EXPECT_FALSE(wiretest::Decode(thirtyThreeRooms, back));
    const Bytes placeThree =
        wiretest::Raw(net::MessageType::LobbyState).Bits(3, 2).Bits(1, 8).Bits(2, 2).Bits(0, 7).Bits(0, 6).Bytes();
    EXPECT_FALSE(wiretest::Decode(placeThree, back));
    const Bytes empty =
        wiretest::Raw(net::MessageType::LobbyState).Bits(0, 2).Bits(1, 8).Bits(2, 2).Bits(0, 7).Bits(0, 6).Bytes();
    EXPECT_TRUE(wiretest::Decode(empty, back));
}

TEST(LobbyState, ReaderKeepsTheFirstFourteenCharactersOfAFifteenCharacterName)
{
    wiretest::Raw raw(net::MessageType::LobbyState);
    raw.Bits(1, 2).Bits(4, 8).Bits(2, 2).Bits(0, 7);
    raw.Bits(77, 16).Text("room", 5, 7).Bits(0, 1);
    raw.Bits(0, 3).Bits(0, 4).Bits(3, 7).Bits(0, 1).Bits(100, 14).Bits(100, 14).Bits(100, 14).Bits(1, 2).Bits(1, 1).Bits(100, 14);
    raw.Bits(0, 1).Bits(9, 16);
    raw.Bits(1, 6);
    raw.Bits(4, 8).Bits(1, 1).Text("ABCDEFGHIJKLMNO", 4, 7).Bits(3, 2).Bits(2, 3).Bits(1, 8).Bits(2, 8).Bits(1, 2).Bits(0, 1);
    raw.Bits(0, 8).Bits(0, 8).Bits(0, 8).Bits(0, 8).Bits(0, 8);
    net::LobbyStateMessage back;
    ASSERT_TRUE(wiretest::Decode(raw.Bytes(), back));
    ASSERT_EQ(back.members.size(), 1u);
    EXPECT_EQ(back.members[0].name, "ABCDEFGHIJKLMN");
    EXPECT_EQ(back.members[0].side, 255);
    EXPECT_EQ(back.members[0].kills, 1);
    EXPECT_EQ(back.members[0].deaths, 2);
    EXPECT_EQ(back.matchSeed, 9);
}

TEST(LobbyState, TruncatedMessageIsIgnored)
{
    Bytes bytes = wiretest::Encode(FullRoom());
    bytes.resize(bytes.size() / 2 / 4 * 4);
    net::LobbyStateMessage back;
    EXPECT_FALSE(wiretest::Decode(bytes, back));
}

// Names, room names and notices are stored with only their printable bytes; the password and the
// ticket are not shown to anyone and stay as they came.
TEST(LobbyMessages, ReadersKeepOnlyPrintableBytesOfShownTexts)
{
    const std::string dirty{'\0', 'A', '\x01', 'b', '\x1b', 'c', '\x7f'};  // 7 bits a character
    net::LobbyRequestMessage request;
    request.name = dirty;
    request.password = "p\x01w";
    request.ticket = "t\x02k";
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(request), request));
    EXPECT_EQ(request.name, "Abc");
    EXPECT_EQ(request.password, "p\x01w");
    EXPECT_EQ(request.ticket, "t\x02k");

    net::LobbyStateMessage room = FullRoom();
    room.notice = dirty;
    room.roomName = dirty;
    room.members[3].name = dirty;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(room), room));
    EXPECT_EQ(room.notice, "Abc");
    EXPECT_EQ(room.roomName, "Abc");
    EXPECT_EQ(room.members[3].name, "Abc");
    EXPECT_EQ(room.members[4].name, Member(4).name);

    net::LobbyStateMessage list;
    list.rooms.push_back(Room(0));
    list.rooms[0].name = dirty;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(list), list));
    ASSERT_EQ(list.rooms.size(), 1u);
    EXPECT_EQ(list.rooms[0].name, "Abc");
}

}  // namespace
