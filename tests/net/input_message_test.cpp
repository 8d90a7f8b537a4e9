#include "net/input_message.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "wire_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

net::InputMessage EightCommands()
{
    net::InputMessage m;
    m.acknowledgedTick = 0xFFFFFFFE;
    m.count = 8;
    for (int i = 0; i < 8; ++i) {
        InputCommand& c = m.commands[static_cast<size_t>(i)];
        c.tick = 0xFFFFFFFCu + static_cast<uint32_t>(i);  // wraps through 0
        c.claimedViewTick = i == 0 ? kNoViewTick : static_cast<uint32_t>(i * 1000);
        c.forward = static_cast<int8_t>(i % 2 == 0 ? 127 : -127);
        c.side = static_cast<int8_t>(i * 10 - 40);
        c.buttons = static_cast<uint8_t>(0x7F >> i);
        c.weapon = static_cast<uint8_t>(9 - i);
        c.power = static_cast<uint8_t>(i % 5);
        c.yaw = static_cast<uint16_t>(65535 - i);
        c.pitch = static_cast<int16_t>(i % 2 == 0 ? -16201 : 16201);
    }
    return m;
}

TEST(InputMessage, EightCommandsRoundTripAcrossTheTickWrap)
{
    const net::InputMessage m = EightCommands();
    const Bytes bytes = wiretest::Encode(m);
    ASSERT_FALSE(bytes.empty());
    EXPECT_LE(bytes.size(), static_cast<size_t>(net::MessageCapacityWords(net::MessageType::Input) * 4));
    net::InputMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_EQ(back.acknowledgedTick, m.acknowledgedTick);
    ASSERT_EQ(back.count, 8);
    for (size_t i = 0; i < 8; ++i) {
        const InputCommand& a = m.commands[i];
        const InputCommand& b = back.commands[i];
        EXPECT_EQ(b.tick, a.tick);
        EXPECT_EQ(b.claimedViewTick, a.claimedViewTick);
        EXPECT_EQ(b.forward, a.forward);
        EXPECT_EQ(b.side, a.side);
        EXPECT_EQ(b.buttons, a.buttons);
        EXPECT_EQ(b.weapon, a.weapon);
        EXPECT_EQ(b.power, a.power);
        EXPECT_EQ(b.yaw, a.yaw);
        EXPECT_EQ(b.pitch, a.pitch);
    }
}

TEST(InputMessage, FollowsTheFieldTable)
{
    net::InputMessage m;
    m.acknowledgedTick = 77;
    m.count = 1;
    InputCommand& c = m.commands[0];
    c.tick = 100;
    c.claimedViewTick = 90;
    c.forward = -128;  // sent as -127
    c.side = 5;
    c.buttons = 0xFF;  // the low 7 bits travel
    c.weapon = 12;     // reads as row 0, and travels as row 0
    c.power = 7;       // likewise
    c.yaw = 0x1234;
    c.pitch = -1;
    const Bytes expected = wiretest::Raw(net::MessageType::Input)
                               .Bits(77, 32).Bits(1, 4)
                               .Bits(100, 32).Bits(90, 32).Bits(0, 8).Bits(132, 8).Bits(0x7F, 7)
                               .Bits(0, 4).Bits(0, 3).Bits(0x1234, 16).Bits(0xFFFF, 16).Bytes();
    EXPECT_EQ(wiretest::Encode(m), expected);
    net::InputMessage back;
    ASSERT_TRUE(wiretest::Decode(expected, back));
    EXPECT_EQ(back.commands[0].forward, -127);
    EXPECT_EQ(back.commands[0].pitch, -1);
}

TEST(InputMessage, NoCommandsIsAValidMessage)
{
    net::InputMessage m;
    net::InputMessage back;
    back.count = 3;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.count, 0);
    EXPECT_EQ(back.acknowledgedTick, net::kNoTick);
}

// One command laid out from the field table with raw wire values.
struct RawCommand {
    uint32_t tick = 10, view = 0, forward = 127, side = 127, buttons = 0, weapon = 0, power = 0, yaw = 0, pitch = 0;
};

Bytes RawInput(uint32_t count, const std::vector<RawCommand>& commands)
{
    wiretest::Raw raw(net::MessageType::Input);
    raw.Bits(5, 32).Bits(count, 4);
    for (const RawCommand& c : commands) {
        raw.Bits(c.tick, 32).Bits(c.view, 32).Bits(c.forward, 8).Bits(c.side, 8).Bits(c.buttons, 7);
        raw.Bits(c.weapon, 4).Bits(c.power, 3).Bits(c.yaw, 16).Bits(c.pitch, 16);
    }
    return raw.Bytes();
}

TEST(InputMessage, ReaderRefusesTheWholeMessageOnAnyBadCommand)
{
    std::vector<RawCommand> nine(9);
    for (size_t i = 0; i < nine.size(); ++i) {
        nine[i].tick = 100 + static_cast<uint32_t>(i);
    }
    net::InputMessage back;
    EXPECT_FALSE(wiretest::Decode(RawInput(9, nine), back)) << "nine commands, though 4 bits hold 9";
    nine.pop_back();
    EXPECT_TRUE(wiretest::Decode(RawInput(8, nine), back));

    const struct {
        const char* what;
        RawCommand second;
        bool accepted;
    } cases[] = {
        {"forward 254", {11, 0, 254, 0, 0, 0, 0, 0, 0}, true},
        {"forward 255", {11, 0, 255, 0, 0, 0, 0, 0, 0}, false},
        {"side 255", {11, 0, 0, 255, 0, 0, 0, 0, 0}, false},
        {"weapon 9", {11, 0, 0, 0, 0, 9, 0, 0, 0}, true},
        {"weapon 10", {11, 0, 0, 0, 0, 10, 0, 0, 0}, false},
        {"power 4", {11, 0, 0, 0, 0, 0, 4, 0, 0}, true},
        {"power 5", {11, 0, 0, 0, 0, 0, 5, 0, 0}, false},
        {"same tick", {10, 0, 0, 0, 0, 0, 0, 0, 0}, false},
        {"older tick", {9, 0, 0, 0, 0, 0, 0, 0, 0}, false},
        {"half a turn of ticks later", {10 + 0x80000000u, 0, 0, 0, 0, 0, 0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wiretest::Decode(RawInput(2, {RawCommand{}, c.second}), back), c.accepted) << c.what;
    }

    Bytes truncated = RawInput(2, {RawCommand{}, RawCommand{11}});
    truncated.resize(truncated.size() - 8);
    EXPECT_FALSE(wiretest::Decode(truncated, back));
}

TEST(InputMessage, WriterRefusesWhatTheReaderWouldRefuse)
{
    net::InputMessage m = EightCommands();
    m.count = 9;
    EXPECT_TRUE(wiretest::Encode(m).empty());
    m.count = -1;
    EXPECT_TRUE(wiretest::Encode(m).empty());
    m = EightCommands();
    m.commands[3].tick = m.commands[2].tick;
    EXPECT_TRUE(wiretest::Encode(m).empty());
}

TEST(InputMessage, PitchLimitsInTurnUnits)
{
    EXPECT_EQ(net::PitchLimitUnits(89.0f), 16201);
    EXPECT_EQ(net::PitchLimitUnits(-89.0f), -16201);
    EXPECT_EQ(net::PitchLimitUnits(0.0f), 0);
    net::InputMessage m = EightCommands();
    EXPECT_TRUE(net::InputPitchesWithin(m, -16201, 16201));
    m.commands[7].pitch = 16202;
    EXPECT_FALSE(net::InputPitchesWithin(m, -16201, 16201));
    m.count = 7;  // commands past the count do not matter
    EXPECT_TRUE(net::InputPitchesWithin(m, -16201, 16201));
    m.commands[0].pitch = -16202;
    EXPECT_FALSE(net::InputPitchesWithin(m, -16201, 16201));
}

}  // namespace
