// Death drops on the server: each lies untouchable for its first moments, then the nearest live
// player of the room takes it and everyone there hears who did; a stopped room keeps none.
#include <gtest/gtest.h>

#include "net/server.h"
#include "net/world_messages.h"
#include "server_rules_rig.h"

namespace dropstest {

using rulesrig::Rig;

constexpr float kTickSeconds = 1.0f / 64.0f;

// Three drops rolled at slot 0's feet, then laid at rest at his centre so that none rolls away.
Rig& DropAtSlotZero(Rig& rig)
{
    rig.server->tuning.match.drops.minCount = 3;
    rig.server->tuning.match.drops.maxCount = 3;
    rig.server->DropOnDeath(0, rig.Slot(0).state.position);
    for (DeathDrop& drop : rig.server->roomDrops[0].items) {
        drop.position = rig.Slot(0).state.position + glm::vec3(0.0f, 0.9f, 0.0f);
        drop.velocity = glm::vec3(0.0f);
        drop.resting = 1;
    }
    return rig;
}

TEST(ServerDrops, ALivePlayerTakesDropsOnceTheyMayBePickedUp)
{
    Rig rig(0, 3, {0, 1});
    rig.Slot(1).state.position = glm::vec3(40.0f, 0.0f, 40.0f);
    DropAtSlotZero(rig);
    const auto spawned = rig.inboxes[1]->All<net::DropSpawnedMessage>();
    ASSERT_EQ(spawned.size(), 1u);
    ASSERT_EQ(spawned[0].drops.size(), 3u);

    rig.server->StepDrops(0.3f);  // younger than the pickup age
    EXPECT_TRUE(rig.inboxes[1]->All<net::DropTakenMessage>().empty());
    rig.server->StepDrops(0.1f);
    for (const auto& inbox : rig.inboxes) {
        const auto taken = inbox->All<net::DropTakenMessage>();
        ASSERT_EQ(taken.size(), 3u);
        for (size_t i = 0; i < taken.size(); ++i) {
            EXPECT_EQ(taken[i].slot, 0);
            EXPECT_EQ(taken[i].dropId, spawned[0].drops[i].id);
        }
    }
    // Taken drops float up briefly and are gone.
    for (int i = 0; i < 20; ++i) rig.server->StepDrops(kTickSeconds);
    EXPECT_TRUE(rig.server->roomDrops[0].items.empty());
}

TEST(ServerDrops, TheDeadTakeNothingAndAStoppedRoomKeepsNoDrops)
{
    Rig rig(0, 3, {0, 1});
    rig.Slot(1).state.position = glm::vec3(40.0f, 0.0f, 40.0f);
    DropAtSlotZero(rig);
    rig.Slot(0).state.health = 0;
    rig.server->StepDrops(0.5f);
    EXPECT_TRUE(rig.inboxes[0]->All<net::DropTakenMessage>().empty());
    EXPECT_EQ(rig.server->roomDrops[0].items.size(), 3u);

    rig.RoomZero().started = 0;
    rig.server->StepDrops(kTickSeconds);
    EXPECT_TRUE(rig.server->roomDrops[0].items.empty());
}

TEST(ServerDrops, EveryDeathRollsFromTheNextSeed)
{
    Rig rig(0, 3, {0});
    const uint32_t first = rig.server->dropSequence;
    EXPECT_EQ(first, 0x9E3779B9u);
    testing::internal::CaptureStdout();
    rig.server->tuning.match.drops.minCount = 0;
    rig.server->tuning.match.drops.maxCount = 0;
    rig.server->DropOnDeath(0, glm::vec3(0.0f));
    rig.server->DropOnDeath(-1, glm::vec3(0.0f));  // no such room: nothing, not even a seed
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "[server] room 1: death drop rolled nothing\n");
    EXPECT_EQ(rig.server->dropSequence, first + 1);
}

}  // namespace dropstest
