#include "net/economy_messages.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "wire_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(BuyLevel, TracksBelowFiveRoundTripAndFiveIsRefused)
{
    for (uint8_t track = 0; track < 5; ++track) {
        net::BuyLevelMessage m;
        m.track = track;
        m.flag = track % 2 == 1;
        net::BuyLevelMessage back;
        ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
        EXPECT_EQ(back.track, track);
        EXPECT_EQ(back.flag, m.flag);
    }
    net::BuyLevelMessage five;
    five.track = 5;
    EXPECT_TRUE(wiretest::Encode(five).empty());
    net::BuyLevelMessage back;
    EXPECT_FALSE(wiretest::Decode(wiretest::Raw(net::MessageType::BuyLevel).Bits(5, 3).Bits(0, 1).Bytes(), back));
}

TEST(Economy, FiguresAreClampedAndAFullBountyListFits)
{
    net::EconomyMessage m;
    m.metal = 2000000;
    m.metalSpent = -5;
    m.bounty = 1048576;
    m.metalEarned = 1048575;
    for (int slot = 0; slot < 256; ++slot) {
        m.bounties.push_back({static_cast<uint8_t>(slot), slot == 7 ? 5000 : slot + 1});
    }
    const Bytes bytes = wiretest::Encode(m);
    ASSERT_FALSE(bytes.empty());
    EXPECT_LE(bytes.size(), 1200u);
    net::EconomyMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_TRUE(back.figuresComplete);
    EXPECT_EQ(back.metal, 1048576);
    EXPECT_EQ(back.metalSpent, 0);
    EXPECT_EQ(back.bounty, 1048576);
    EXPECT_EQ(back.metalEarned, 1048575);
    ASSERT_EQ(back.bounties.size(), 256u);
    EXPECT_EQ(back.bounties[7].bounty, 2047);
    EXPECT_EQ(back.bounties[255].slot, 255);
    EXPECT_EQ(back.bounties[255].bounty, 256);

    m.bounties.push_back({1, 1});
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.bounties.size(), 256u);
    EXPECT_FALSE(wiretest::Decode(
        wiretest::Raw(net::MessageType::Economy).Bits(0, 21).Bits(0, 21).Bits(0, 21).Bits(0, 21).Bits(257, 9).Bytes(),
        back));
}

TEST(Economy, AnOverrunBountyListIsRefusedButTheFiguresWereRead)
{
    wiretest::Raw raw(net::MessageType::Economy);
    raw.Bits(10, 21).Bits(20, 21).Bits(30, 21).Bits(40, 21).Bits(100, 9).Bits(3, 8).Bits(9, 11);
    net::EconomyMessage back;
    EXPECT_FALSE(wiretest::Decode(raw.Bytes(), back));
    EXPECT_TRUE(back.figuresComplete);
    EXPECT_EQ(back.metal, 10);
    EXPECT_EQ(back.metalEarned, 40);

    const Bytes cut = wiretest::Raw(net::MessageType::Economy).Bits(10, 21).Bits(20, 21).Bytes();
    EXPECT_FALSE(wiretest::Decode(cut, back));
    EXPECT_FALSE(back.figuresComplete);
}

}  // namespace
