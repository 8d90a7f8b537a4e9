// Weapons in the hand, the worn-accessory rule, sentry parts and what the lobby says players wear.
#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "client/game_session.h"
#include "client/held_items.h"

namespace helditemstest {

TEST(HeldItems, TheGripIsScaledOnlyWhenItIsNotOneAndTheOffsetFollowsTheScale)
{
    const glm::mat4 model = glm::translate(glm::mat4(1.0f), glm::vec3(10.0f, 0.0f, 0.0f));
    const glm::mat4 hand = glm::rotate(glm::mat4(1.0f), 1.5707964f, glm::vec3(0.0f, 0.0f, 1.0f));
    const glm::mat4 grip = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::vec3 offset(0.5f, 0.0f, 0.0f);

    const glm::mat4 unscaled = PlaceInHand(model, hand, grip, 1.0f, offset);
    const glm::mat4 expected = model * hand * grip * glm::translate(glm::mat4(1.0f), offset);
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(glm::length(unscaled[c] - expected[c]), 0.0f, 1e-5f) << c;
    }
    const glm::mat4 scaled = PlaceInHand(model, hand, grip, 2.0f, offset);
    const glm::mat4 expectedScaled = model * hand * grip * glm::scale(glm::mat4(1.0f), glm::vec3(2.0f)) *
                                     glm::translate(glm::mat4(1.0f), offset);
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(glm::length(scaled[c] - expectedScaled[c]), 0.0f, 1e-5f) << c;
    }
}

TEST(HeldItems, WearingAndTakingOffFollowTheSlotsPositions)
{
    using Ids = WornAccessories;
    const struct {
        const char* what;
        Ids before;
        AccessorySlot slot;
        uint8_t id;
        Ids after;
    } cases[] = {
        {"a hat into the first empty head position", {0, 0, 0, 0}, kSlotHead, 5, {5, 0, 0, 0}},
        {"a second hat", {5, 0, 0, 0}, kSlotHead, 7, {5, 7, 0, 0}},
        {"a third hat drops the oldest", {5, 7, 0, 0}, kSlotHead, 9, {7, 9, 0, 0}},
        {"taking off the first hat moves the second up", {5, 7, 0, 0}, kSlotHead, 5, {7, 0, 0, 0}},
        {"the one back position is replaced", {5, 7, 3, 0}, kSlotBack, 4, {5, 7, 4, 0}},
        {"and taken off", {5, 7, 3, 0}, kSlotBack, 3, {5, 7, 0, 0}},
        {"the waist", {0, 0, 0, 0}, kSlotWaist, 8, {0, 0, 0, 8}},
        {"no position of that class", {1, 2, 3, 4}, kSlotNone, 6, {1, 2, 3, 4}},
        {"the empty id itself", {1, 2, 3, 4}, kSlotHead, 0, {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        Ids ids = c.before;
        ToggleWornAccessory(ids, c.slot, c.id, 0);
        EXPECT_EQ(ids, c.after) << c.what;
    }
    EXPECT_TRUE(NoAccessories({0, 0, 0, 0}));
    EXPECT_FALSE(NoAccessories({0, 0, 0, 1}));
    EXPECT_EQ(AccessoryIdOf(0), 1);
    EXPECT_EQ(AccessoryIdOf(254), 255);
    EXPECT_EQ(AccessoryIdOf(255), 0);
}

TEST(HeldItems, SentryPartsTurnAboutTheirPivots)
{
    const glm::vec3 at(2.0f, 0.0f, -3.0f);
    const SentryParts level = SentryPartMatrices(at, 0.0f, 0.0f, 0.0f, 2.25f);
    // Facing its yaw means facing +z at yaw 0: the base is turned half a turn.
    EXPECT_NEAR(glm::length(glm::vec3(level.base[3]) - at), 0.0f, 1e-5f);
    EXPECT_NEAR(level.base[2].z, -1.0f, 1e-5f);
    EXPECT_NEAR(glm::length(level.head[3] - level.base[3]), 0.0f, 1e-5f);

    // Aiming 90 degrees from the base yaw turns the mount about its own vertical axis: the mount's
    // pivot stays above the base.
    const SentryParts turned = SentryPartMatrices(at, 0.0f, 90.0f, 0.0f, 2.25f);
    const glm::vec4 pivot(0.0f, 0.1412f * 2.25f, 0.0f, 1.0f);
    EXPECT_NEAR(glm::length(turned.yawMount * pivot - level.yawMount * pivot), 0.0f, 1e-5f);
    EXPECT_NEAR(std::abs(glm::dot(glm::vec3(turned.yawMount[2]), glm::vec3(level.yawMount[2]))), 0.0f, 1e-5f);

    // Pitching the head keeps its hinge in place.
    const SentryParts pitched = SentryPartMatrices(at, 0.0f, 0.0f, 30.0f, 2.25f);
    const glm::vec4 hinge(0.0f, 0.2352f * 2.25f, -0.024f * 2.25f, 1.0f);
    EXPECT_NEAR(glm::length(pitched.head * hinge - level.head * hinge), 0.0f, 1e-5f);
}

TEST(HeldItems, TheLobbySaysWhatEachPlayerWears)
{
    GameSession game;
    EXPECT_EQ(PlayerSkin(game, 3), 0);
    game.hasLobbyView = true;
    net::LobbyMember member;
    member.slot = 3;
    member.skin = 2;
    member.accessories = {4, 0, 1, 0};
    game.lobby.members.push_back(member);
    EXPECT_EQ(PlayerSkin(game, 3), 2);
    EXPECT_EQ(PlayerAccessories(game, 3), (WornAccessories{4, 0, 1, 0}));
    EXPECT_EQ(PlayerAccessories(game, 4), WornAccessories{});
}

}  // namespace helditemstest
