// The match economy as the players see it: passive income and bounties once a second, and the
// levels a player buys with his points (also through a real BuyLevel datagram).
#include <gtest/gtest.h>

#include <vector>

#include "game/progression.h"
#include "net/economy_messages.h"
#include "net/server.h"
#include "server_rules_rig.h"

namespace economytest {

using rulesrig::Rig;

TEST(ServerEconomy, TheStepPaysIncomeOncePerSecondAtMostFiveSecondsAndSetsBounties)
{
    Rig rig(0, 3, {0, 1});
    rig.Slot(0).points = 1000;
    rig.server->lastEconomyStep = 10.0;

    rig.server->EconomyStep(10.5);  // too soon
    EXPECT_TRUE(rig.inboxes[0]->All<net::EconomyMessage>().empty());

    rig.server->EconomyStep(11.0);
    EXPECT_EQ(rig.Slot(0).points, 1002u);
    EXPECT_EQ(rig.Slot(1).points, 2u);
    // Slot 0 leads the average of 500 by 502: (502 - 400) / 2.
    EXPECT_EQ(rig.Slot(0).bounty, 51u);
    EXPECT_EQ(rig.Slot(1).bounty, 0u);
    const auto economy = rig.inboxes[1]->All<net::EconomyMessage>();
    ASSERT_EQ(economy.size(), 1u);
    EXPECT_EQ(economy[0].metal, 2);
    ASSERT_EQ(economy[0].bounties.size(), 1u);
    EXPECT_EQ(economy[0].bounties[0].slot, 0);
    EXPECT_EQ(economy[0].bounties[0].bounty, 51);

    // A pause of 12 s pays 5 s; a dead player earns nothing but still hears the figures.
    rig.Slot(1).state.health = 0;
    rig.server->EconomyStep(23.0);
    EXPECT_EQ(rig.Slot(0).points, 1012u);
    EXPECT_EQ(rig.Slot(1).points, 2u);
    EXPECT_EQ(rig.inboxes[1]->All<net::EconomyMessage>().size(), 2u);
}

TEST(ServerEconomy, IncomeFollowsTheRoomRateAndKeepsItsFractions)
{
    struct Case {
        uint16_t ratePercent;
        uint8_t metalOn;
        std::vector<uint32_t> pointsAfterEachSecond;
    };
    const std::vector<Case> cases = {
        {100, 1, {2, 4, 6}},
        {25, 1, {0, 1, 1}},
        {150, 1, {3, 6, 9}},
        {100, 0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ratePercent);
        Rig rig(0, 3, {0});
        rig.RoomZero().settings.metalRatePercent = c.ratePercent;
        rig.RoomZero().settings.metalOn = c.metalOn;
        for (size_t second = 0; second < c.pointsAfterEachSecond.size(); ++second) {
            rig.server->EconomyStep(1.0 + static_cast<double>(second));
            EXPECT_EQ(rig.Slot(0).points, c.pointsAfterEachSecond[second]);
        }
        EXPECT_EQ(rig.Slot(0).bounty, 0u) << "alone in the room: no bounty";
    }
}

TEST(ServerEconomy, TheServerFrameRunsTheStep)
{
    Rig rig(0, 3, {0});
    rig.server->Update(1.0);
    EXPECT_EQ(rig.Slot(0).points, 2u);
    EXPECT_EQ(rig.inboxes[0]->All<net::EconomyMessage>().size(), 1u);
}

TEST(ServerEconomy, BuyingLevelsSpendsPointsLevelByLevel)
{
    struct Case {
        uint32_t points;
        uint8_t level;
        bool repeat;
        uint8_t levelAfter;
        uint32_t pointsAfter;
    };
    const std::vector<Case> cases = {
        {99, 0, false, 0, 99},           // not enough
        {100, 0, false, 1, 0},           // exactly enough
        {1000, 0, false, 1, 900},        // one level without the repeat flag
        {1000, 0, true, 5, 0},           // 100 + 150 + 200 + 250 + 300
        {1249, 0, true, 5, 249},         // stops where the next level is unaffordable
        {100000, 19, true, 20, 98950},   // stops at the top
        {100000, 20, false, 20, 100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.points << " " << int(c.level) << " " << c.repeat);
        Rig rig(0, 3, {0});
        net::ClientSlot& client = rig.Slot(0);
        client.points = c.points;
        client.state.upgradeLevels[kTrackDamage] = c.level;
        rig.server->BuyLevel(0, kTrackDamage, c.repeat);
        EXPECT_EQ(client.state.upgradeLevels[kTrackDamage], c.levelAfter);
        EXPECT_EQ(client.points, c.pointsAfter);
        EXPECT_EQ(client.pointsSpent, c.points - c.pointsAfter);
        EXPECT_EQ(rig.inboxes[0]->All<net::EconomyMessage>().size(), c.levelAfter != c.level ? 1u : 0u);
    }
}

TEST(ServerEconomy, AHealthLevelRaisesMaximumAndCurrentHealth)
{
    Rig rig(0, 3, {0});
    net::ClientSlot& client = rig.Slot(0);
    client.points = 100;
    const uint16_t before = client.state.maxHealth;
    rig.server->BuyLevel(0, kTrackHealth, false);
    const uint16_t after = static_cast<uint16_t>(StatMultiplier(1) * before + 0.5);
    EXPECT_GT(after, before);
    EXPECT_EQ(client.state.maxHealth, after);
    EXPECT_EQ(client.state.health, after);
}

TEST(ServerEconomy, PurchasesAreRefusedOutsideARunningMatchWithTheEconomyOn)
{
    enum Refusal { kNotStarted, kMetalOff, kBadTrack, kNoRoom };
    for (Refusal refusal : {kNotStarted, kMetalOff, kBadTrack, kNoRoom}) {
        SCOPED_TRACE(refusal);
        Rig rig(0, 3, {0});
        rig.Slot(0).points = 1000;
        uint8_t track = kTrackSpeed;
        if (refusal == kNotStarted) rig.RoomZero().started = 0;
        if (refusal == kMetalOff) rig.RoomZero().settings.metalOn = 0;
        if (refusal == kBadTrack) track = 5;
        if (refusal == kNoRoom) rig.Slot(0).room = -1;
        rig.server->BuyLevel(0, track, true);
        EXPECT_EQ(rig.Slot(0).points, 1000u);
        EXPECT_TRUE(rig.inboxes[0]->All<net::EconomyMessage>().empty());
    }
}

TEST(ServerEconomy, ABuyLevelDatagramBuysForItsSender)
{
    Rig rig(0, 3, {0, 1});
    rig.Slot(1).points = 500;
    net::BuyLevelMessage buy;
    buy.track = kTrackShotSpeed;
    buy.flag = true;
    net::MessageBuffer<net::BuyLevelMessage> words{};
    const int length = net::EncodeMessage(buy, words);
    ASSERT_GT(length, 0);
    int connectsLeft = 4;
    rig.server->HandleDatagram(rig.Slot(1).address, words.data(), length, 2.0, connectsLeft);
    EXPECT_EQ(rig.Slot(1).state.upgradeLevels[kTrackShotSpeed], 3);  // 100 + 150 + 200
    EXPECT_EQ(rig.Slot(1).points, 50u);
    EXPECT_EQ(rig.Slot(1).lastHeard, 2.0);
    EXPECT_EQ(rig.Slot(0).state.upgradeLevels[kTrackShotSpeed], 0);
}

}  // namespace economytest
