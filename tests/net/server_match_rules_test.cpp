// Kills and what follows them, as the players receive it: rewards, assists and bounties, lives,
// the death drop, the kill line and the win; and who counts as an ally.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/chat_messages.h"
#include "net/economy_messages.h"
#include "net/server.h"
#include "net/world_messages.h"
#include "server_rules_rig.h"

namespace matchrulestest {

using rulesrig::Rig;

constexpr uint8_t kRed = 0;
constexpr uint8_t kBlue = 1;

TEST(ServerMatchRules, AKillRewardsTheKillerAndTheAssistersAndDropsAndIsAnnounced)
{
    // Killer 0 (also holding credit: kill reward only), assisters 2 and 3, a stale credit of 4.
    Rig rig(0, 3, {kRed, kBlue, kRed, kRed, kRed});
    rig.server->tuning.match.drops.minCount = 2;
    rig.server->tuning.match.drops.maxCount = 2;
    const double now = 20.0;
    rig.Slot(1).bounty = 40;
    rig.server->RecordDamageCredit(1, 0, now - 1.0);
    rig.server->RecordDamageCredit(1, 2, now - 8.0);
    rig.server->RecordDamageCredit(1, 3, now - 0.5);
    rig.server->RecordDamageCredit(1, 4, now - 8.5);
    rig.ClearAll();

    testing::internal::CaptureStdout();
    rig.server->KillPlayer(1, now, 0);
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_NE(out.find("[server] room 1: dropped 2 iron coin(s)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[server] player 0 killed player 1 (BLUE, 2 lives left)\n"), std::string::npos) << out;
    const net::ClientSlot& victim = rig.Slot(1);
    EXPECT_EQ(victim.state.health, 0);
    EXPECT_EQ(victim.state.lives, 2);
    EXPECT_EQ(victim.deaths, 1);
    EXPECT_EQ(victim.bounty, 0u);
    EXPECT_EQ(victim.state.respawnTicks, 192);  // 3 s at 64 Hz
    EXPECT_EQ(rig.Slot(0).kills, 1);
    for (const net::DamageCredit& credit : victim.damageCredits) EXPECT_EQ(credit.attacker, -1);

    // slot, points after the kill: 300 + the bounty; 150 shared by two; nothing for stale damage.
    const std::vector<std::pair<int, uint32_t>> points = {{0, 340}, {1, 0}, {2, 75}, {3, 75}, {4, 0}};
    for (const auto& [slot, expected] : points) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(rig.Slot(slot).points, expected);
        EXPECT_EQ(rig.Slot(slot).pointsEarned, expected);
        const auto economy = rig.inboxes[static_cast<size_t>(slot)]->All<net::EconomyMessage>();
        EXPECT_EQ(economy.size(), slot == 4 ? 0u : 1u);
        if (!economy.empty()) {
            EXPECT_EQ(economy.back().metal, expected);
        }
        const auto kills = rig.inboxes[static_cast<size_t>(slot)]->All<net::KillEventMessage>();
        ASSERT_EQ(kills.size(), 1u);
        EXPECT_EQ(kills[0].victim, 1);
        const auto drops = rig.inboxes[static_cast<size_t>(slot)]->All<net::DropSpawnedMessage>();
        ASSERT_EQ(drops.size(), 1u);
        EXPECT_EQ(drops[0].drops.size(), 2u);
    }
    EXPECT_EQ(rig.server->roomDrops[0].items.size(), 2u);

    // A dead player cannot die again.
    rig.server->KillPlayer(1, now, 2);
    EXPECT_EQ(rig.Slot(1).deaths, 1);
    EXPECT_EQ(rig.Slot(2).kills, 0);
}

TEST(ServerMatchRules, ThreeAssistersShareByIntegerDivisionAtTheRoomRate)
{
    struct Case {
        uint16_t ratePercent;
        uint32_t share;
    };
    for (const Case& c : {Case{100, 50}, Case{50, 25}, Case{0, 0}}) {
        SCOPED_TRACE(c.ratePercent);
        Rig rig(0, 3, {kRed, kBlue, kRed, kRed, kRed});
        rig.RoomZero().settings.metalRatePercent = c.ratePercent;
        for (int assister = 2; assister <= 4; ++assister) rig.server->RecordDamageCredit(1, assister, 5.0);
        rig.server->KillPlayer(1, 6.0, 0);
        for (int assister = 2; assister <= 4; ++assister) EXPECT_EQ(rig.Slot(assister).points, c.share);
    }
}

TEST(ServerMatchRules, CreditGoesOnlyToEnemiesAndTheOldestEntryMakesRoom)
{
    Rig rig(0, 3, {kRed, kBlue, kRed});
    rig.server->RecordDamageCredit(0, 2, 1.0);  // an ally
    rig.server->RecordDamageCredit(0, 0, 1.0);  // himself
    rig.server->RecordDamageCredit(0, 9, 1.0);  // no such slot
    for (const net::DamageCredit& credit : rig.Slot(0).damageCredits) EXPECT_EQ(credit.attacker, -1);

    net::ClientSlot& victim = rig.Slot(0);
    for (int i = 0; i < net::kDamageCreditCount; ++i) {
        victim.damageCredits[static_cast<size_t>(i)] = {100 + i, 10.0 + i};
    }
    victim.damageCredits[3].time = 2.0;  // the oldest
    rig.server->RecordDamageCredit(0, 1, 30.0);
    EXPECT_EQ(victim.damageCredits[3].attacker, 1);
    EXPECT_EQ(victim.damageCredits[3].time, 30.0);
    rig.server->RecordDamageCredit(0, 1, 31.0);  // the same attacker refreshes his entry
    EXPECT_EQ(victim.damageCredits[3].time, 31.0);
    EXPECT_EQ(victim.damageCredits[0].attacker, 100);
}

TEST(ServerMatchRules, LivesFallOnlyWhereTheRoomCountsThem)
{
    struct Case {
        uint8_t mode;
        uint8_t livesSetting;
        uint8_t livesBefore;
        uint8_t livesAfter;
    };
    for (const Case& c : {Case{0, 3, 3, 2}, Case{0, 3, 0, 0}, Case{0, 100, 4, 4}, Case{1, 3, 4, 4}}) {
        SCOPED_TRACE(testing::Message() << int(c.mode) << " " << int(c.livesSetting));
        Rig rig(c.mode, c.livesSetting, {kRed, kBlue, kBlue});
        rig.Slot(0).state.lives = c.livesBefore;
        testing::internal::CaptureStdout();
        rig.server->KillPlayer(0, 3.0, -1);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(rig.Slot(0).state.lives, c.livesAfter);
        EXPECT_EQ(rig.Slot(0).deaths, 1);
        EXPECT_EQ(out.find("killed"), std::string::npos) << "no kill line without a killer";
    }
}

TEST(ServerMatchRules, AWipedTeamLosesAndTheRoomReturnsToItsLobbyAfterTheDelay)
{
    Rig rig(0, 1, {kRed, kBlue, kBlue});
    testing::internal::CaptureStdout();
    rig.server->KillPlayer(1, 10.0, 0);  // one blue left standing
    EXPECT_EQ(rig.RoomZero().winningSide, net::kSideNone);
    rig.server->KillPlayer(2, 11.0, 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[server] room 1: RED wins\n"), std::string::npos) << out;
    EXPECT_EQ(rig.RoomZero().winningSide, kRed);
    EXPECT_EQ(rig.RoomZero().wonAt, 11.0);

    rig.server->now = 11.0 + rig.server->tuning.match.postMatchDelay - 0.5;
    rig.server->SimulateTick();
    EXPECT_EQ(rig.RoomZero().started, 1);
    rig.server->now = 11.0 + rig.server->tuning.match.postMatchDelay;
    rig.server->SimulateTick();
    EXPECT_EQ(rig.RoomZero().started, 0);
}

TEST(ServerMatchRules, NoWinnerWhenBothTeamsFallTogetherOrWhereLivesAreUnlimited)
{
    {
        Rig rig(0, 1, {kRed, kBlue});
        rig.Slot(1).state.lives = 0;
        rig.Slot(1).state.health = 0;
        rig.Slot(1).state.respawnTicks = 1;  // out of lives, waiting
        rig.server->KillPlayer(0, 4.0, -1);
        EXPECT_EQ(rig.RoomZero().winningSide, net::kSideNone);
    }
    {
        Rig rig(0, 100, {kRed, kBlue});
        rig.server->KillPlayer(0, 4.0, 1);
        EXPECT_EQ(rig.RoomZero().winningSide, net::kSideNone);
    }
    EXPECT_EQ(Rig(0, 1, {kRed}).server->CountTeamMembers(0, kBlue), 0);
}

TEST(ServerMatchRules, InAFreeForAllRoomNobodyIsAnAlly)
{
    struct Case {
        uint8_t mode;
        bool allies;
    };
    for (const Case& c : {Case{0, true}, Case{1, false}, Case{7, true}}) {
        SCOPED_TRACE(int(c.mode));
        Rig rig(c.mode, 3, {kRed, kRed});
        rig.Slot(0).state.team = kRed;
        rig.Slot(1).state.team = kRed;
        EXPECT_EQ(rig.server->SameTeam(0, 1), c.allies);
        EXPECT_TRUE(rig.server->SameTeam(0, 0));
        EXPECT_EQ(rig.server->IsFriendlyDeployable(0, 1, kRed, 0), c.allies);
        EXPECT_TRUE(rig.server->IsFriendlyDeployable(0, 0, kRed, 0));
        EXPECT_FALSE(rig.server->IsFriendlyDeployable(0, 9, kRed, 0));
        EXPECT_EQ(rig.server->HasTeams(0), c.allies);
    }
}

TEST(ServerMatchRules, DamageScaleAndRewardsFollowTheRoomSettings)
{
    Rig rig(0, 3, {kRed});
    rig.RoomZero().settings.damagePercent = 50;
    EXPECT_FLOAT_EQ(rig.server->DamageScale(0), 0.5f);
    EXPECT_EQ(rig.server->DamageScale(5), 1.0f);  // a free slot
    rig.RoomZero().settings.metalRatePercent = 1;
    EXPECT_EQ(rig.server->ScaledReward(0, 10), 1);  // 0.1 rounds up to the least reward
    EXPECT_EQ(rig.server->ScaledReward(0, 0), 0);
    rig.RoomZero().settings.metalOn = 0;
    EXPECT_EQ(rig.server->ScaledReward(0, 300), 0);
}

TEST(ServerMatchRules, ARoomNoticeReachesEveryHumanOfTheRoomAsAServerText)
{
    Rig rig(0, 3, {kRed, kBlue, kRed});
    rig.Slot(2).room = -1;
    rig.server->SendRoomNotice(0, std::string(120, 'x'));
    for (int slot = 0; slot < 3; ++slot) {
        const auto lines = rig.inboxes[static_cast<size_t>(slot)]->All<net::ChatLineMessage>();
        ASSERT_EQ(lines.size(), slot == 2 ? 0u : 1u);
        if (slot != 2) {
            EXPECT_TRUE(lines[0].fromServer);
            EXPECT_EQ(lines[0].sender, slot);
            EXPECT_EQ(lines[0].text.size(), 96u);
        }
    }
}

}  // namespace matchrulestest
