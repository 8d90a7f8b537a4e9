#include "net/bot_brain.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr float kTick = 1.0f / 64.0f;

// One bot standing at the origin facing -z, and the enemies it sees, stepped tick by tick.
struct BotRig {
    tune::Tuning tuning;
    net::BotBrain brain;
    PlayerState state;
    std::vector<net::BotTarget> targets;
    const net::NavGraph* graph = nullptr;
    uint8_t primary = kWeaponM4;
    uint8_t secondary = kWeaponPistol;
    uint8_t power = kPowerGrenade;
    uint8_t skill = 1;
    double now = 10.0;
    InputCommand command;

    BotRig()
    {
        brain.seed = 1234;
        state.health = 100;
        state.height = 1.8f;
        state.onGround = 1;
        state.ammo = 100;
        state.powerCooldown = 60;  // no power unless a test wants one
    }

    // An enemy straight ahead (-z) at `distance` from the bot's eye, at eye height.
    void EnemyAhead(int id, float distance, bool visible = true, float side = 0.0f)
    {
        net::BotTarget t;
        t.id = id;
        t.feet = glm::vec3(side, 0.0f, -distance);
        t.aimPoint = t.feet + glm::vec3(0.0f, 0.8f * 1.8f, 0.0f);
        const glm::vec3 d = t.aimPoint - net::Bot::EyePoint(state);
        t.distance = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        t.visible = visible ? 1 : 0;
        t.health = 100.0f;
        targets.push_back(t);
    }

    void Step()
    {
        net::BotContext context;
        context.graph = graph;
        context.tuning = &tuning;
        context.targets = targets.data();
        context.targetCount = static_cast<int32_t>(targets.size());
        context.now = now;
        context.dt = kTick;
        context.primaryWeapon = primary;
        context.secondaryWeapon = secondary;
        context.power = power;
        context.skill = skill;
        net::Bot::Think(command, brain, state, context);
        now += kTick;
    }

    // Steps until the command fires (or `seconds` pass); the seconds it took, or -1.
    double SecondsUntilFire(double seconds)
    {
        const double start = now;
        while (now - start < seconds) {
            Step();
            if (command.buttons & kButtonFire) {
                return now - kTick - start;
            }
        }
        return -1.0;
    }
};

TEST(BotBrainTest, SmallOperations)
{
    struct Wrap { float in, out; };
    for (const Wrap c : {Wrap{190.0f, -170.0f}, Wrap{-180.0f, -180.0f}, Wrap{180.0f, -180.0f}, Wrap{725.0f, 5.0f},
                         Wrap{-190.0f, 170.0f}}) {
        EXPECT_FLOAT_EQ(net::Bot::WrapAngle(c.in), c.out) << c.in;
    }
    // The short way round, scaled by the gain, clamped by the rate.
    EXPECT_FLOAT_EQ(net::Bot::TurnToward(350.0f, 10.0f, 1000.0f, 32.0f, 0.015625f), 360.0f);
    EXPECT_FLOAT_EQ(net::Bot::TurnToward(0.0f, 90.0f, 64.0f, 100.0f, 0.015625f), 1.0f);
    EXPECT_FLOAT_EQ(net::Bot::TurnToward(0.0f, -90.0f, 64.0f, 100.0f, 0.015625f), -1.0f);

    EXPECT_NEAR(net::Bot::YawTo(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -5.0f)), 0.0f, 1e-5f);
    EXPECT_NEAR(net::Bot::YawTo(glm::vec3(0.0f), glm::vec3(-5.0f, 0.0f, 0.0f)), 90.0f, 1e-4f);
    EXPECT_NEAR(net::Bot::PitchTo(glm::vec3(0.0f), glm::vec3(0.0f, 5.0f, -5.0f)), 45.0f, 1e-4f);
    EXPECT_FLOAT_EQ(net::Bot::Unit(0xFF000000u), 0.0f);
    EXPECT_NEAR(net::Bot::RandRange(0x00FFFFFFu, 2.0f, 4.0f), 4.0f, 1e-5f);

    struct Score { uint8_t row; float distance, score; };
    for (const Score c : {Score{kWeaponNone, 10.0f, -1000.0f}, Score{kWeaponShotgun, 30.0f, -116.0f},
                          Score{kWeaponM4, 30.0f, 10.0f - 10.0f / 55.0f * 10.0f}, Score{kWeaponRpg, 5.0f, -54.0f},
                          Score{kWeaponRpg, 16.0f, 10.0f}, Score{kWeaponFlamer, 3.5f, 10.0f}}) {
        EXPECT_NEAR(net::Bot::RangeScore(c.row, c.distance), c.score, 1e-4f) << int(c.row) << " " << c.distance;
    }
}

TEST(BotBrainTest, PersonalityStaysInsideItsProfile)
{
    for (uint8_t skill = 0; skill <= 3; ++skill) {
        const net::BotSkillProfile p = net::Bot::SkillProfile(skill);
        for (uint32_t seed : {0u, 1u, 77u, 0xDEADBEEFu}) {
            const net::BotPersonality a = net::Bot::MakePersonality(seed, skill);
            EXPECT_GE(a.reactionTime, 0.8f * p.reaction - 1e-6f);
            EXPECT_LE(a.reactionTime, 1.25f * p.reaction + 1e-6f);
            EXPECT_GE(a.turnRate, 0.85f * p.turnRate - 1e-3f);
            EXPECT_LE(a.turnRate, 1.2f * p.turnRate + 1e-3f);
            EXPECT_GE(a.aimErrorTurning, 1.4f * a.aimError - 1e-5f);
            EXPECT_LE(a.strafeChance, 1.0f);
            // The same seed and skill always give the same bot.
            const net::BotPersonality b = net::Bot::MakePersonality(seed, skill);
            EXPECT_EQ(a.memory, b.memory);
            EXPECT_EQ(a.closeness, b.closeness);
        }
    }
    EXPECT_EQ(net::Bot::SkillProfile(3).reaction, net::Bot::SkillProfile(1).reaction);
    EXPECT_EQ(net::Bot::SkillProfile(200).memory, net::Bot::SkillProfile(1).memory);
    EXPECT_FLOAT_EQ(net::Bot::SkillProfile(0).turnRate, 185.0f);
    EXPECT_FLOAT_EQ(net::Bot::SkillProfile(2).aimError, 0.95f);
}

TEST(BotBrainTest, FiresOnlyAfterItsReactionTimeAndLaterAfterASwitch)
{
    BotRig bot;
    bot.EnemyAhead(7, 15.0f);
    const double firstShot = bot.SecondsUntilFire(2.0);
    const float reaction = bot.brain.personality.reactionTime;
    EXPECT_GT(reaction, 0.2f);
    EXPECT_LT(reaction, 0.33f);
    EXPECT_GE(firstShot, reaction - 1e-9);
    EXPECT_LT(firstShot, reaction + 2.0 * kTick);

    // The first target goes out of sight; a second shows up within a second: the switch delay adds.
    bot.targets.clear();
    bot.EnemyAhead(7, 15.0f, false);
    for (int i = 0; i < 16; ++i) {
        bot.Step();
    }
    bot.targets.clear();
    bot.EnemyAhead(8, 12.0f, true, 0.5f);
    const double secondShot = bot.SecondsUntilFire(2.0);
    EXPECT_GE(secondShot, reaction + bot.brain.personality.switchDelay - 1e-9);
}

TEST(BotBrainTest, RemembersALostTargetForItsMemoryAndTurnsTowardWhereItWasSeen)
{
    BotRig bot;
    bot.EnemyAhead(3, 10.0f, true, -10.0f);  // 45 degrees to the left
    bot.Step();
    ASSERT_EQ(bot.brain.targetId, 3);
    bot.targets[0].visible = 0;
    const float memory = bot.brain.personality.memory;
    EXPECT_GT(memory, 2.0f);
    EXPECT_LT(memory, 3.4f);
    const double lostAt = bot.now - kTick;
    while (bot.now - lostAt < memory - 0.05) {
        bot.Step();
        ASSERT_EQ(bot.brain.targetId, 3);
    }
    EXPECT_GT(bot.brain.yaw, 30.0f);  // turned most of the way to the last seen point
    for (int i = 0; i < 8; ++i) {
        bot.Step();
    }
    EXPECT_EQ(bot.brain.targetId, -1);
    EXPECT_EQ(bot.brain.hasLastSeenPoint, 0);
}

TEST(BotBrainTest, FiresOnlyInsideTheHeldWeaponsRangeBand)
{
    struct Case {
        uint8_t weapon;
        float distance;
        bool fires;
    };
    const Case cases[] = {
        {kWeaponRpg, 5.0f, false},  // below 0.6 of its 9 m minimum
        {kWeaponRpg, 20.0f, true},
        {kWeaponRpg, 40.0f, false},  // beyond its 38 m
        {kWeaponShotgun, 10.0f, true},
        {kWeaponShotgun, 16.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.weapon) << " at " << c.distance);
        BotRig bot;
        bot.primary = c.weapon;
        bot.secondary = c.weapon;
        bot.state.ammo = 1;
        bot.EnemyAhead(1, c.distance);
        EXPECT_EQ(bot.SecondsUntilFire(1.5) >= 0.0, c.fires);
    }
}

TEST(BotBrainTest, SwitchesWeaponsByRangeAndNotAgainForAWhile)
{
    BotRig bot;
    bot.primary = kWeaponShotgun;
    bot.secondary = kWeaponM4;
    bot.EnemyAhead(1, 30.0f);
    bot.Step();
    EXPECT_EQ(bot.brain.currentWeapon, kWeaponM4);
    EXPECT_EQ(bot.command.weapon, kWeaponM4);
    const double switchedAt = bot.now - kTick;

    bot.targets.clear();
    bot.EnemyAhead(1, 3.0f);
    while (bot.now - switchedAt <= 1.2) {
        bot.Step();
        ASSERT_EQ(bot.brain.currentWeapon, kWeaponM4);
    }
    bot.Step();
    EXPECT_EQ(bot.brain.currentWeapon, kWeaponShotgun);
}

TEST(BotBrainTest, AutomaticWeaponsFireInBurstsAndOthersEveryTick)
{
    BotRig automatic;
    automatic.EnemyAhead(1, 15.0f);
    int switches = 0;
    bool last = false;
    int fired = 0;
    for (int i = 0; i < 64 * 4; ++i) {
        automatic.Step();
        const bool fire = (automatic.command.buttons & kButtonFire) != 0;
        switches += fire != last ? 1 : 0;
        fired += fire ? 1 : 0;
        last = fire;
    }
    EXPECT_GE(switches, 4);
    EXPECT_GT(fired, 64);

    BotRig single;
    single.primary = kWeaponPistol;
    single.secondary = kWeaponPistol;
    single.EnemyAhead(1, 15.0f);
    ASSERT_GE(single.SecondsUntilFire(1.0), 0.0);
    for (int i = 0; i < 64; ++i) {
        single.Step();
        EXPECT_TRUE(single.command.buttons & kButtonFire) << i;
    }
}

TEST(BotBrainTest, ReloadsAnEmptyMagazineInsteadOfFiring)
{
    BotRig bot;
    bot.EnemyAhead(1, 15.0f);
    bot.state.ammo = 0;
    for (int i = 0; i < 40; ++i) {
        bot.Step();
        EXPECT_TRUE(bot.command.buttons & kButtonReload);
        EXPECT_FALSE(bot.command.buttons & kButtonFire);
    }
    bot.state.reloadTicks = 30;  // reloading: no second request
    bot.Step();
    EXPECT_FALSE(bot.command.buttons & kButtonReload);
}

TEST(BotBrainTest, ADeadBotSendsOnlyItsLoadoutAndViewAndDropsTargetAndPath)
{
    BotRig bot;
    bot.EnemyAhead(1, 15.0f);
    for (int i = 0; i < 40; ++i) {
        bot.Step();
    }
    bot.brain.pathLength = 3;
    bot.state.health = 0;
    bot.state.yaw = -90.0f;
    bot.state.pitch = 10.0f;
    bot.state.lastCommandTick = 99;
    bot.Step();
    EXPECT_EQ(bot.command.tick, 99u);
    EXPECT_EQ(bot.command.claimedViewTick, kNoViewTick);
    EXPECT_EQ(bot.command.buttons, 0);
    EXPECT_EQ(bot.command.forward, 0);
    EXPECT_EQ(bot.command.side, 0);
    EXPECT_EQ(bot.command.weapon, kWeaponM4);
    EXPECT_EQ(bot.command.power, kPowerGrenade);
    EXPECT_EQ(bot.command.yaw, static_cast<uint16_t>(270.0f * 182.04445f));
    EXPECT_EQ(bot.command.pitch, static_cast<int16_t>(10.0f * 182.04445f));
    EXPECT_EQ(bot.brain.targetId, -1);
    EXPECT_EQ(bot.brain.pathLength, 0);
    EXPECT_EQ(bot.brain.pathGoal, -1);

    // Without the tuning a bot does nothing at all.
    net::BotBrain brain;
    InputCommand command;
    net::Bot::Think(command, brain, bot.state, net::BotContext{});
    EXPECT_EQ(brain.initialised, 0);
}

TEST(BotBrainTest, UsesItsPowerWhenItsConditionHolds)
{
    BotRig bot;
    bot.power = kPowerHealthBomb;
    bot.state.powerCooldown = 0;
    bot.state.health = 80;
    for (int i = 0; i < 64 * 3; ++i) {
        bot.Step();
        ASSERT_FALSE(bot.command.buttons & kButtonPower);
    }
    bot.state.health = 50;
    int uses = 0;
    for (int i = 0; i < 64 * 6; ++i) {
        bot.Step();
        uses += (bot.command.buttons & kButtonPower) ? 1 : 0;
    }
    EXPECT_GE(uses, 1);
    EXPECT_LE(uses, 3);  // at most one use per two seconds
}

// A flat 30 m floor's graph for the path tests.
struct FloorGraph {
    CollisionWorld world;
    net::NavGraph graph;
    FloorGraph()
    {
        std::vector<Triangle> triangles;
        triangles.push_back({{glm::vec3(-15, 0, -15), glm::vec3(15, 0, -15), glm::vec3(15, 0, 15)}});
        triangles.push_back({{glm::vec3(-15, 0, -15), glm::vec3(15, 0, 15), glm::vec3(-15, 0, 15)}});
        world.SetTriangles(std::move(triangles));
        graph.Build(world, tune::Tuning{}, {});
    }
};

TEST(BotBrainTest, RequestsPathsFollowsThemAndAdvancesAtEachNode)
{
    FloorGraph floor;
    BotRig bot;
    bot.graph = &floor.graph;
    bot.Step();
    ASSERT_EQ(bot.brain.pathRequestPending, 1);
    EXPECT_EQ(bot.brain.requestGoalNode, -1);  // nobody to chase: a wander goal
    EXPECT_EQ(bot.brain.requestStartNode, floor.graph.Nearest(glm::vec3(0.0f)));

    // The server answers with a path straight ahead: the first node is within reach, the second not.
    bot.brain.pathRequestPending = 0;
    bot.brain.path[0] = floor.graph.Nearest(glm::vec3(0.0f, 0.0f, -0.75f));
    bot.brain.path[1] = floor.graph.Nearest(glm::vec3(0.0f, 0.0f, -9.0f));
    bot.brain.pathLength = 2;
    bot.brain.pathIndex = 0;
    bot.Step();
    EXPECT_EQ(bot.brain.pathIndex, 1);
    EXPECT_EQ(bot.command.forward, 0);
    bot.Step();
    EXPECT_EQ(bot.brain.pathIndex, 1);
    EXPECT_GT(bot.command.forward, 100);
    EXPECT_TRUE(bot.command.buttons & kButtonSprint);
}

TEST(BotBrainTest, AStuckBotWalksAsideAndDropsItsPath)
{
    FloorGraph floor;
    BotRig bot;
    bot.graph = &floor.graph;
    bot.Step();
    bot.brain.pathRequestPending = 0;
    bot.brain.path[0] = floor.graph.Nearest(glm::vec3(0.0f, 0.0f, -12.0f));
    bot.brain.pathLength = 1;
    bot.brain.pathIndex = 0;
    bot.brain.repathTime = bot.now + 30.0;
    // It means to move but never does.
    double unstuckAt = -1.0;
    for (int i = 0; i < 64 && unstuckAt < 0.0; ++i) {
        bot.Step();
        if (bot.brain.unstuckUntil > 0.0) {
            unstuckAt = bot.now - kTick;
        }
    }
    ASSERT_GT(unstuckAt, 0.0);
    EXPECT_GT(unstuckAt - 10.0, 0.7);
    EXPECT_EQ(bot.brain.pathLength, 0);
    EXPECT_EQ(bot.brain.pathGoal, -1);
    EXPECT_DOUBLE_EQ(bot.brain.unstuckUntil, unstuckAt + 0.8);
    EXPECT_GE(bot.brain.unstuckAngle, -140.0f);
    EXPECT_LE(bot.brain.unstuckAngle, 140.0f);
    const float angle = bot.brain.unstuckAngle * 0.017453292f;
    EXPECT_NEAR(bot.command.forward, static_cast<int>(std::cos(angle) * 127.0f), 1);
    EXPECT_NEAR(bot.command.side, static_cast<int>(std::sin(angle) * 127.0f), 1);
}

TEST(BotBrainTest, SameInputsGiveTheSameCommands)
{
    BotRig a;
    BotRig b;
    for (BotRig* bot : {&a, &b}) {
        bot->EnemyAhead(1, 12.0f, true, 3.0f);
        bot->EnemyAhead(2, 20.0f, true, -4.0f);
        bot->targets[1].aimingAtMe = 1;
    }
    for (int i = 0; i < 64 * 3; ++i) {
        a.Step();
        b.Step();
        ASSERT_EQ(a.command.yaw, b.command.yaw);
        ASSERT_EQ(a.command.buttons, b.command.buttons);
        ASSERT_EQ(a.command.side, b.command.side);
    }
    // A threatened bot dodges sideways once its dodge delay has passed.
    EXPECT_GE(a.brain.threatStart, 0.0);
}

}  // namespace
