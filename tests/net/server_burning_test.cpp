// Burning on the server: a tick of damage every interval while it lasts, announced as a hit from
// the burner; it stops at the end, on protection, and with the death it causes.
#include <gtest/gtest.h>

#include <vector>

#include "net/server.h"
#include "net/world_messages.h"
#include "server_rules_rig.h"

namespace burningtest {

using rulesrig::Rig;

// Slot 0 (red) set alight by slot 1 (blue) from 10 s to 12 s, unprotected.
void SetAlight(Rig& rig)
{
    net::ClientSlot& client = rig.Slot(0);
    client.state.spawnProtectionTicks = 0;
    client.burningUntil = 12.0;
    client.nextBurn = 10.0;
    client.burner = 1;
}

TEST(ServerBurning, BurnsEveryIntervalUntilItRunsOut)
{
    Rig rig(0, 3, {0, 1});
    SetAlight(rig);
    const int full = rig.Slot(0).state.health;
    // time of the step, health lost in total after it
    const std::vector<std::pair<double, int>> steps = {
        {9.9, 0}, {10.0, 3}, {10.2, 3}, {10.5, 6}, {11.0, 9}, {11.5, 12}, {11.9, 12}, {12.0, 12}, {13.0, 12}};
    for (const auto& [time, lost] : steps) {
        SCOPED_TRACE(time);
        rig.server->StepBurning(time);
        EXPECT_EQ(full - rig.Slot(0).state.health, lost);
    }
    const auto hits = rig.inboxes[1]->All<net::HitEventMessage>();
    ASSERT_EQ(hits.size(), 4u);
    EXPECT_EQ(hits[0].attacker, 1);
    EXPECT_EQ(hits[0].victim, 0);
    EXPECT_EQ(hits[0].kind, 1);
    EXPECT_EQ(hits[0].amount, 3);
    EXPECT_FALSE(hits[0].lethal);
    EXPECT_FLOAT_EQ(hits[0].position.y, rig.Slot(0).state.position.y + 0.9f);
    EXPECT_EQ(rig.Slot(0).damageCredits[0].attacker, 1);
}

TEST(ServerBurning, ALateStepBurnsOnceAndScalesWithTheBurnersDamage)
{
    Rig rig(0, 3, {0, 1});
    SetAlight(rig);
    rig.RoomZero().settings.damagePercent = 200;
    const int full = rig.Slot(0).state.health;
    rig.server->StepBurning(11.7);
    EXPECT_EQ(full - rig.Slot(0).state.health, 6);
    EXPECT_DOUBLE_EQ(rig.Slot(0).nextBurn, 12.2);
}

TEST(ServerBurning, ProtectionOrDeathPutsTheFireOut)
{
    for (bool isProtected : {true, false}) {
        SCOPED_TRACE(isProtected);
        Rig rig(0, 3, {0, 1});
        SetAlight(rig);
        if (isProtected) {
            rig.Slot(0).state.spawnProtectionTicks = 5;
        } else {
            rig.Slot(0).state.health = 0;
            rig.Slot(0).state.respawnTicks = 10;
        }
        const int health = rig.Slot(0).state.health;
        rig.server->StepBurning(10.0);
        EXPECT_EQ(rig.Slot(0).state.health, health);
        EXPECT_EQ(rig.Slot(0).burningUntil, 0.0);
        EXPECT_EQ(rig.Slot(0).burner, -1);
    }
}

TEST(ServerBurning, ALethalBurnIsAKillForTheBurner)
{
    Rig rig(0, 3, {0, 1});
    SetAlight(rig);
    rig.Slot(0).state.health = 3;
    testing::internal::CaptureStdout();
    rig.server->StepBurning(10.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[server] player 1 killed player 0"), std::string::npos) << out;
    EXPECT_EQ(rig.Slot(0).state.health, 0);
    EXPECT_EQ(rig.Slot(1).kills, 1);
    EXPECT_EQ(rig.Slot(0).burningUntil, 0.0);
    const auto hits = rig.inboxes[0]->All<net::HitEventMessage>();
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_TRUE(hits[0].lethal);
    EXPECT_EQ(rig.inboxes[0]->All<net::KillEventMessage>().size(), 1u);
}

}  // namespace burningtest
