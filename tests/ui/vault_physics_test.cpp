// The vault's rigid-body world: fixed sub-steps with the remainder carried, resting and sleeping,
// impact records, bounces, walls and the floor, the open pit, dragging, removal and the clamps of
// AddBox.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "ui/vault_physics_world.h"

namespace vaultphysicstest {

using vault::PhysicsBody;
using vault::PhysicsImpact;
using vault::PhysicsSettings;
using vault::PhysicsWorld;

const glm::quat kIdentity(1.0f, 0.0f, 0.0f, 0.0f);
const glm::vec3 kHalf(0.3f, 0.2f, 0.25f);

// The vault's own room: 12 wide, 8 deep, 4.5 high.
PhysicsWorld VaultWorld(const PhysicsSettings& settings = PhysicsSettings{})
{
    return PhysicsWorld(settings, vault::PhysicsBounds{glm::vec3(-6.0f, 0.0f, -4.0f), glm::vec3(6.0f, 4.5f, 4.0f)});
}

PhysicsSettings Weightless()
{
    PhysicsSettings settings;
    settings.gravity = 0.0f;
    return settings;
}

int AddAt(PhysicsWorld& world, const glm::vec3& position, const glm::vec3& velocity = glm::vec3(0.0f),
          const glm::vec3& spin = glm::vec3(0.0f), const glm::quat& orientation = kIdentity)
{
    return world.AddBox(kHalf, position, orientation, velocity, spin, 1.0f);
}

// Steps 60 frames a second until every body sleeps or `seconds` have passed.
void RunUntilAsleep(PhysicsWorld& world, float seconds, std::vector<PhysicsImpact>* impacts)
{
    for (int frame = 0; frame < int(seconds * 60.0f) && !world.AllAsleep(); ++frame) {
        world.Step(1.0f / 60.0f, impacts);
    }
}

bool SameBits(const PhysicsBody& a, const PhysicsBody& b)
{
    return std::memcmp(&a.position, &b.position, sizeof a.position) == 0 &&
           std::memcmp(&a.orientation, &b.orientation, sizeof a.orientation) == 0 &&
           std::memcmp(&a.velocity, &b.velocity, sizeof a.velocity) == 0 &&
           std::memcmp(&a.angularVelocity, &b.angularVelocity, sizeof a.angularVelocity) == 0;
}

TEST(VaultPhysics, FramesRunWholeSubStepsAndCarryTheRest)
{
    const float h = PhysicsSettings{}.fixedStep;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        std::vector<float> frames;
        std::vector<int> subSteps;
    };
    // In 32-bit floats 0.1 s is 23.99999 steps: 23 run and almost a whole step is carried, so the
    // next tenth runs 24. A longer frame counts as a tenth, its excess dropped.
    const Case cases[] = {
        {"a tenth, then more tenths", {0.1f, 0.1f, 0.1f}, {23, 24, 24}},
        {"one second", {1.0f, 1.0f}, {23, 24}},
        {"sixtieths", {1.0f / 60.0f, 1.0f / 60.0f, 1.0f / 60.0f}, {4, 4, 4}},
        {"twentieths", {0.05f, 0.05f}, {12, 12}},
        {"exactly one step", {h, h}, {1, 1}},
        {"less than a step, twice", {0.003f, 0.003f}, {0, 1}},
        {"none, negative, not a number", {0.0f, -1.0f, nan, 0.1f}, {0, 0, 0, 23}},
    };
    for (const Case& c : cases) {
        PhysicsWorld world = VaultWorld();
        for (size_t i = 0; i < c.frames.size(); ++i) {
            EXPECT_EQ(world.Step(c.frames[i], nullptr), c.subSteps[i]) << c.name << ", frame " << i;
            EXPECT_GE(world.accumulator, 0.0f) << c.name;
            EXPECT_LT(world.accumulator, h) << c.name;
        }
    }
}

TEST(VaultPhysics, AFixedStepThatIsNoTimeRunsNothing)
{
    for (float step : {0.0f, -0.01f, std::numeric_limits<float>::quiet_NaN()}) {
        PhysicsSettings settings;
        settings.fixedStep = step;
        PhysicsWorld world = VaultWorld(settings);
        AddAt(world, glm::vec3(0.0f, 2.0f, 0.0f));
        EXPECT_EQ(world.Step(0.1f, nullptr), 0) << step;
        EXPECT_EQ(world.Settle(4.0f), 0) << step;
        EXPECT_EQ(world.bodies[0].position, glm::vec3(0.0f, 2.0f, 0.0f));
    }
}

TEST(VaultPhysics, ALongFrameMovesTheWorldOnlyATenth)
{
    PhysicsWorld tenth = VaultWorld();
    AddAt(tenth, glm::vec3(0.0f, 3.0f, 0.0f), glm::vec3(1.0f, 0.0f, 0.5f), glm::vec3(0.3f, 1.0f, 0.0f));
    PhysicsWorld second = tenth;
    tenth.Step(0.1f, nullptr);
    second.Step(1.0f, nullptr);
    EXPECT_TRUE(SameBits(tenth.bodies[0], second.bodies[0]));
    EXPECT_EQ(tenth.accumulator, second.accumulator);
}

TEST(VaultPhysics, SettleTruncatesItsStepsStopsWhenAllSleepAndLeavesTheAccumulator)
{
    EXPECT_EQ(VaultWorld().Settle(4.0f), 0) << "an empty world is asleep";

    // A body falling into the open pit never touches anything, so it never sleeps.
    PhysicsWorld falling = VaultWorld();
    AddAt(falling, glm::vec3(0.0f, 1.0f, 0.0f));
    falling.SetFloor(false);
    falling.accumulator = 0.003f;
    EXPECT_EQ(falling.Settle(4.0f), 959) << "4.0 / 0.0041666669 is 959.99994 in floats";
    EXPECT_EQ(falling.accumulator, 0.003f);
    EXPECT_EQ(falling.Settle(-1.0f), 0);
    EXPECT_EQ(falling.Settle(std::numeric_limits<float>::quiet_NaN()), 0);

    PhysicsWorld resting = VaultWorld();
    AddAt(resting, glm::vec3(-2.0f, 0.6f, 0.0f));
    AddAt(resting, glm::vec3(2.0f, 1.5f, 1.0f), glm::vec3(0.0f), glm::vec3(0.0f, 2.0f, 3.0f));
    const int steps = resting.Settle(4.0f);
    EXPECT_GT(steps, 0);
    EXPECT_LT(steps, 959);
    EXPECT_TRUE(resting.AllAsleep());
    EXPECT_EQ(resting.Settle(4.0f), 0) << "a world whose bodies all sleep runs no sub-step";
}

TEST(VaultPhysics, ADroppedBoxLandsOnceAndComesToRest)
{
    PhysicsWorld world = VaultWorld();
    const glm::quat tilted = glm::angleAxis(0.5f, glm::normalize(glm::vec3(1.0f, 0.2f, 0.7f)));
    AddAt(world, glm::vec3(0.5f, 2.5f, -1.0f), glm::vec3(0.0f, -2.0f, 0.0f), glm::vec3(1.0f, -2.0f, 0.5f), tilted);
    std::vector<PhysicsImpact> impacts;
    RunUntilAsleep(world, 10.0f, &impacts);

    ASSERT_TRUE(world.AllAsleep());
    ASSERT_FALSE(impacts.empty());
    EXPECT_EQ(impacts[0].body, 0);
    EXPECT_EQ(impacts[0].firstTouch, 1);
    EXPECT_GT(impacts[0].speed, 5.0f);
    EXPECT_LT(impacts[0].point.y, 0.05f) << "the corner that hit the floor";
    for (size_t i = 1; i < impacts.size(); ++i) {
        EXPECT_EQ(impacts[i].firstTouch, 0) << i;
        EXPECT_GE(impacts[i].speed, 0.8f) << "slower touches of a touched body are not reported";
    }

    // It lies flat on one face, and stays exactly there.
    const PhysicsBody resting = world.bodies[0];
    const float height = resting.position.y;
    EXPECT_TRUE(std::fabs(height - kHalf.x) < 0.01f || std::fabs(height - kHalf.y) < 0.01f ||
                std::fabs(height - kHalf.z) < 0.01f)
        << height;
    EXPECT_EQ(resting.velocity, glm::vec3(0.0f));
    EXPECT_EQ(resting.angularVelocity, glm::vec3(0.0f));
    impacts.clear();
    for (int frame = 0; frame < 30; ++frame) {
        world.Step(1.0f / 60.0f, &impacts);
    }
    EXPECT_TRUE(impacts.empty());
    EXPECT_TRUE(SameBits(world.bodies[0], resting));
}

// The offset of the box's corner that points most against `normal` (the one that meets the surface).
glm::vec3 LeadingCorner(const PhysicsBody& body, const glm::vec3& normal)
{
    const glm::mat3 rotation = glm::mat3_cast(body.orientation);
    glm::vec3 best(0.0f);
    for (int k = 0; k < 8; ++k) {
        const glm::vec3 r =
            rotation * glm::vec3(k & 1 ? kHalf.x : -kHalf.x, k & 2 ? kHalf.y : -kHalf.y, k & 4 ? kHalf.z : -kHalf.z);
        if (k == 0 || glm::dot(r, normal) < glm::dot(best, normal)) {
            best = r;
        }
    }
    return best;
}

TEST(VaultPhysics, OnlyImpactsAboveTheThresholdBounce)
{
    struct Case {
        const char* name;
        glm::vec3 normal;   // of the surface met
        float surface;      // its offset along the normal
        float speed;        // toward it
        float bounce;       // share of the speed the corner leaves with
    };
    const Case cases[] = {
        {"slow onto the floor", glm::vec3(0.0f, 1.0f, 0.0f), 0.0f, 0.3f, 0.0f},
        {"fast onto the floor", glm::vec3(0.0f, 1.0f, 0.0f), 0.0f, 3.0f, 0.42f},
        {"slow into the right wall", glm::vec3(-1.0f, 0.0f, 0.0f), -6.0f, 0.3f, 0.0f},
        {"fast into the right wall", glm::vec3(-1.0f, 0.0f, 0.0f), -6.0f, 3.0f, 0.42f},
        {"fast into the back wall", glm::vec3(0.0f, 0.0f, 1.0f), -4.0f, 3.0f, 0.42f},
    };
    // Without friction and tilted so that a single corner leads, that corner leaves with the
    // restitution's share of its approach.
    PhysicsSettings settings = Weightless();
    settings.friction = 0.0f;
    const glm::quat tilted = glm::angleAxis(0.4f, glm::normalize(glm::vec3(1.0f, 0.3f, 0.8f)));
    for (const Case& c : cases) {
        PhysicsWorld world = VaultWorld(settings);
        AddAt(world, glm::vec3(0.0f, 2.0f, 0.0f), -c.speed * c.normal, glm::vec3(0.0f), tilted);
        PhysicsBody& body = world.bodies[0];
        // One third of a sub-step's travel away from the surface, so the first sub-step meets it.
        const glm::vec3 corner = LeadingCorner(body, c.normal);
        const float gap = c.speed * settings.fixedStep / 3.0f;
        body.position += c.normal * (c.surface + gap - glm::dot(body.position + corner, c.normal));
        world.SubStep(settings.fixedStep, nullptr);
        const glm::vec3 cornerVelocity = world.bodies[0].velocity + glm::cross(world.bodies[0].angularVelocity, corner);
        EXPECT_NEAR(glm::dot(cornerVelocity, c.normal), c.bounce * c.speed, 1e-3f * c.speed) << c.name;
        EXPECT_EQ(world.touched[0], 1) << c.name;
    }
}

TEST(VaultPhysics, PairsBounceOnlyWhenFastAndShareTheirSlowApproach)
{
    struct Case {
        float speed;       // of each body toward the other
        float separating;  // each one's speed apart afterwards
    };
    const Case cases[] = {{1.0f, 0.2f}, {0.1f, 0.0f}};
    for (const Case& c : cases) {
        PhysicsWorld world = VaultWorld(Weightless());
        AddAt(world, glm::vec3(-0.2f, 2.0f, 0.0f), glm::vec3(c.speed, 0.0f, 0.0f));
        AddAt(world, glm::vec3(0.2f, 2.0f, 0.0f), glm::vec3(-c.speed, 0.0f, 0.0f));
        world.SubStep(world.settings.fixedStep, nullptr);
        EXPECT_NEAR(world.bodies[0].velocity.x, -c.separating, 1e-3f) << c.speed;
        EXPECT_NEAR(world.bodies[1].velocity.x, c.separating, 1e-3f) << c.speed;
        EXPECT_EQ(world.bodies[0].angularVelocity, glm::vec3(0.0f)) << "pairs do not turn bodies";
        // The overlap beyond the slop of 0.004 is gone.
        const float radius = (kHalf.x + kHalf.y + kHalf.z) / 3.0f;
        EXPECT_NEAR(world.bodies[1].position.x - world.bodies[0].position.x,
                    2.0f * radius - 0.004f + 2.0f * c.separating * world.settings.fixedStep, 1e-4f);
    }
}

TEST(VaultPhysics, APairTouchIsReportedOnlyAsAFirstTouch)
{
    // A box that lands on another before it ever touches the floor still reports its landing.
    PhysicsWorld world = VaultWorld();
    AddAt(world, glm::vec3(0.0f, 0.5f, 0.0f));
    world.Settle(4.0f);
    ASSERT_TRUE(world.AllAsleep());
    AddAt(world, glm::vec3(0.05f, 2.0f, 0.0f));
    std::vector<PhysicsImpact> impacts;
    for (int frame = 0; frame < 60 && !world.touched[1]; ++frame) {
        world.Step(1.0f / 60.0f, &impacts);
    }
    // The first box, woken by the fall, reports its hard knock on the floor as a touched body does.
    ASSERT_FALSE(impacts.empty());
    EXPECT_EQ(impacts[0].body, 1);
    EXPECT_EQ(impacts[0].firstTouch, 1);
    EXPECT_GT(impacts[0].speed, 3.0f);
    EXPECT_GT(impacts[0].point.y, world.bodies[0].position.y);
    EXPECT_LT(impacts[0].point.y, world.bodies[1].position.y);
    for (size_t i = 1; i < impacts.size(); ++i) {
        EXPECT_EQ(impacts[i].body, 0) << i;
        EXPECT_EQ(impacts[i].firstTouch, 0) << i;
        EXPECT_LT(impacts[i].point.y, 0.05f) << i;
    }

    // Two fresh bodies meeting in the air report one first touch each; after that, pairs are quiet.
    PhysicsWorld air = VaultWorld(Weightless());
    AddAt(air, glm::vec3(-1.0f, 2.0f, 0.0f), glm::vec3(3.0f, 0.0f, 0.0f));
    AddAt(air, glm::vec3(1.0f, 2.0f, 0.0f), glm::vec3(-3.0f, 0.0f, 0.0f));
    impacts.clear();
    for (int frame = 0; frame < 30; ++frame) {
        air.Step(1.0f / 60.0f, &impacts);
    }
    ASSERT_EQ(impacts.size(), 2u);
    EXPECT_EQ(impacts[0].body, 0);
    EXPECT_EQ(impacts[1].body, 1);
    EXPECT_EQ(impacts[0].firstTouch, 1);
    EXPECT_NEAR(impacts[0].speed, 6.0f, 0.1f);
    EXPECT_NEAR(impacts[0].point.x, 0.0f, 0.1f);
    air.bodies[0].position = glm::vec3(-1.0f, 2.0f, 0.0f);
    air.bodies[0].velocity = glm::vec3(3.0f, 0.0f, 0.0f);
    air.bodies[1].position = glm::vec3(1.0f, 2.0f, 0.0f);
    air.bodies[1].velocity = glm::vec3(-3.0f, 0.0f, 0.0f);
    impacts.clear();
    for (int frame = 0; frame < 30; ++frame) {
        air.Step(1.0f / 60.0f, &impacts);
    }
    EXPECT_TRUE(impacts.empty());
    EXPECT_GT(air.bodies[1].position.x - air.bodies[0].position.x, 0.4f) << "they met and parted again";
}

TEST(VaultPhysics, WallsAndTheFloorKeepThrownBodiesInside)
{
    struct Throw {
        glm::vec3 velocity;
        glm::vec3 spin;
    };
    const Throw throws[] = {
        {glm::vec3(16.0f, 2.0f, 0.0f), glm::vec3(0.0f, 0.0f, 9.0f)},
        {glm::vec3(-16.0f, -8.0f, 11.0f), glm::vec3(4.0f, -6.0f, 2.0f)},
        {glm::vec3(3.0f, -16.0f, -16.0f), glm::vec3(-8.0f, 0.0f, 8.0f)},
        {glm::vec3(0.0f, -30.0f, 0.0f), glm::vec3(0.0f)},
    };
    for (const Throw& t : throws) {
        PhysicsWorld world = VaultWorld();
        AddAt(world, glm::vec3(0.0f, 1.5f, 0.0f), t.velocity, t.spin,
              glm::angleAxis(0.7f, glm::normalize(glm::vec3(0.3f, 1.0f, -0.4f))));
        for (int frame = 0; frame < 300; ++frame) {
            world.Step(1.0f / 60.0f, nullptr);
            const PhysicsBody& body = world.bodies[0];
            const glm::mat3 rotation = glm::mat3_cast(body.orientation);
            for (int k = 0; k < 8; ++k) {
                const glm::vec3 corner = body.position +
                    rotation * glm::vec3(k & 1 ? kHalf.x : -kHalf.x, k & 2 ? kHalf.y : -kHalf.y, k & 4 ? kHalf.z : -kHalf.z);
                ASSERT_GE(corner.x, -6.0f - 1e-4f) << frame;
                ASSERT_LE(corner.x, 6.0f + 1e-4f) << frame;
                ASSERT_GE(corner.z, -4.0f - 1e-4f) << frame;
                ASSERT_LE(corner.z, 4.0f + 1e-4f) << frame;
                ASSERT_GE(corner.y, -1e-4f) << frame;
            }
        }
    }
}

TEST(VaultPhysics, TakingTheFloorAwayWakesRestingBodiesAndTheyFallWithoutLimit)
{
    PhysicsWorld world = VaultWorld();
    AddAt(world, glm::vec3(-1.0f, 0.3f, 0.0f));
    AddAt(world, glm::vec3(1.0f, 0.3f, 0.0f));
    world.Settle(4.0f);
    ASSERT_TRUE(world.AllAsleep());

    world.SetFloor(true);
    EXPECT_TRUE(world.AllAsleep()) << "setting the floor it already has changes nothing";
    world.SetFloor(false);
    EXPECT_EQ(world.floor, 0);
    EXPECT_EQ(world.bodies[0].asleep, 0);
    EXPECT_EQ(world.bodies[1].asleep, 0);
    for (int frame = 0; frame < 180; ++frame) {
        world.Step(1.0f / 60.0f, nullptr);
    }
    EXPECT_LT(world.bodies[0].position.y, -15.0f);
    EXPECT_LT(world.bodies[1].position.y, -15.0f);
    EXPECT_LT(world.bodies[0].velocity.y, -25.0f) << "still falling";

    // With the floor back, a new box rests on it again.
    world.SetFloor(true);
    AddAt(world, glm::vec3(0.0f, 1.0f, 2.0f));
    RunUntilAsleep(world, 10.0f, nullptr);
    EXPECT_EQ(world.bodies[2].asleep, 1);
    EXPECT_NEAR(world.bodies[2].position.y, kHalf.y, 0.01f);
}

TEST(VaultPhysics, SetVelocityWakesAndThrowsADraggedBody)
{
    PhysicsWorld world = VaultWorld();
    AddAt(world, glm::vec3(0.0f, 0.2f, 0.0f));
    world.Settle(4.0f);
    ASSERT_EQ(world.bodies[0].asleep, 1);
    world.bodies[0].restTimer = 0.3f;

    struct Case {
        float spinDamping;
        float spinKept;
    };
    const Case cases[] = {{0.25f, 0.75f}, {2.0f, 0.0f}, {-1.0f, 1.0f}};
    for (const Case& c : cases) {
        PhysicsWorld dragged = world;
        dragged.bodies[0].angularVelocity = glm::vec3(0.0f, 2.0f, 0.0f);
        dragged.SetVelocity(0, glm::vec3(6.0f, 3.0f, 0.0f), c.spinDamping);
        EXPECT_EQ(dragged.bodies[0].asleep, 0);
        EXPECT_EQ(dragged.bodies[0].restTimer, 0.0f);
        EXPECT_EQ(dragged.bodies[0].velocity, glm::vec3(6.0f, 3.0f, 0.0f));
        EXPECT_FLOAT_EQ(dragged.bodies[0].angularVelocity.y, 2.0f * c.spinKept) << c.spinDamping;
    }

    // Released, the body keeps its velocity: it flies off and lands further on.
    world.SetVelocity(0, glm::vec3(6.0f, 3.0f, 0.0f), 1.0f);
    world.Step(0.1f, nullptr);
    EXPECT_GT(world.bodies[0].position.x, 0.5f);
    EXPECT_GT(world.bodies[0].position.y, 0.3f);

    // Indices out of range and removed bodies are left alone.
    PhysicsWorld untouched = VaultWorld();
    AddAt(untouched, glm::vec3(0.0f, 1.0f, 0.0f));
    AddAt(untouched, glm::vec3(1.0f, 1.0f, 0.0f));
    untouched.RemoveBody(1);
    const PhysicsWorld before = untouched;
    for (int index : {-1, 2, 1}) {
        untouched.SetVelocity(index, glm::vec3(5.0f), 1.0f);
    }
    EXPECT_TRUE(SameBits(untouched.bodies[0], before.bodies[0]));
    EXPECT_TRUE(SameBits(untouched.bodies[1], before.bodies[1]));
}

TEST(VaultPhysics, ARemovedBodyKeepsItsIndexTakesNoPartAndWakesTheOthers)
{
    PhysicsWorld world = VaultWorld();
    EXPECT_EQ(AddAt(world, glm::vec3(-1.0f, 0.2f, 0.0f)), 0);
    EXPECT_EQ(AddAt(world, glm::vec3(1.0f, 0.2f, 0.0f)), 1);
    world.Settle(4.0f);
    ASSERT_TRUE(world.AllAsleep());

    world.RemoveBody(0);
    EXPECT_EQ(world.bodies.size(), 2u);
    EXPECT_EQ(world.bodies[0].active, 0);
    EXPECT_EQ(world.bodies[1].asleep, 0) << "removal wakes every body";
    world.RemoveBody(-1);
    world.RemoveBody(2);
    EXPECT_EQ(world.bodies[1].active, 1);
    EXPECT_EQ(AddAt(world, glm::vec3(0.0f, 3.0f, 0.0f)), 2);

    // The removed body hangs where it was; a box thrown through it passes.
    const PhysicsBody removed = world.bodies[0];
    world.bodies[2].position = glm::vec3(-2.5f, 0.2f, 0.0f);
    world.bodies[2].velocity = glm::vec3(8.0f, 0.0f, 0.0f);
    std::vector<PhysicsImpact> impacts;
    for (int frame = 0; frame < 20; ++frame) {
        world.Step(1.0f / 60.0f, &impacts);
    }
    EXPECT_TRUE(SameBits(world.bodies[0], removed));
    for (const PhysicsImpact& impact : impacts) {
        EXPECT_NE(impact.body, 0);
    }
    EXPECT_GT(world.bodies[2].position.x, -0.5f) << "past the removed body";
}

TEST(VaultPhysics, ASleepingBodyIsAWallToASlowOneAndWakesForAFastOne)
{
    struct Case {
        float speed;
        bool wakes;
    };
    const Case cases[] = {{0.3f, false}, {2.0f, true}};
    for (const Case& c : cases) {
        PhysicsWorld world = VaultWorld();
        AddAt(world, glm::vec3(0.0f, 0.2f, 0.0f));
        world.Settle(4.0f);
        ASSERT_TRUE(world.AllAsleep());
        const glm::vec3 rest = world.bodies[0].position;
        AddAt(world, glm::vec3(-0.48f, 0.2f, 0.0f), glm::vec3(c.speed, 0.0f, 0.0f));
        world.Step(world.settings.fixedStep, nullptr);
        EXPECT_EQ(world.bodies[0].asleep, c.wakes ? 0 : 1) << c.speed;
        if (!c.wakes) {
            EXPECT_EQ(world.bodies[0].position, rest);
            EXPECT_LE(world.bodies[1].velocity.x, 1e-4f) << "stopped against it";
        } else {
            EXPECT_GT(world.bodies[0].velocity.x, 0.5f);
        }
    }
}

TEST(VaultPhysics, ABodyThatNeverTouchedNeverSleeps)
{
    PhysicsWorld world = VaultWorld(Weightless());
    AddAt(world, glm::vec3(0.0f, 2.0f, 0.0f));
    world.Settle(3.0f);
    EXPECT_EQ(world.bodies[0].asleep, 0);
    EXPECT_EQ(world.bodies[0].position, glm::vec3(0.0f, 2.0f, 0.0f));
}

TEST(VaultPhysics, AddBoxClampsItsInputAndClearEmptiesTheWorld)
{
    PhysicsWorld world = VaultWorld();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    world.AddBox(glm::vec3(0.0f, -1.0f, nan), glm::vec3(0.0f, 1.0f, 0.0f), glm::quat(0.0f, 0.0f, 0.0f, 0.0f),
                 glm::vec3(0.0f), glm::vec3(0.0f), 0.0f);
    const PhysicsBody& tiny = world.bodies[0];
    EXPECT_EQ(tiny.halfExtents, glm::vec3(0.01f));
    EXPECT_FLOAT_EQ(tiny.inverseMass, 1000.0f);
    EXPECT_EQ(tiny.orientation, kIdentity);

    world.AddBox(glm::vec3(0.5f, 0.2f, 0.1f), glm::vec3(0.0f, 1.0f, 0.0f), glm::quat(2.0f, 0.0f, 0.0f, 0.0f),
                 glm::vec3(0.0f), glm::vec3(0.0f), 2.0f);
    const PhysicsBody& box = world.bodies[1];
    EXPECT_EQ(box.orientation, kIdentity);
    EXPECT_FLOAT_EQ(box.inverseMass, 0.5f);
    // A solid box: 3 / (m (b² + c²)) and so on.
    EXPECT_FLOAT_EQ(box.inverseInertia.x, 3.0f / (2.0f * (0.04f + 0.01f)));
    EXPECT_FLOAT_EQ(box.inverseInertia.y, 3.0f / (2.0f * (0.25f + 0.01f)));
    EXPECT_FLOAT_EQ(box.inverseInertia.z, 3.0f / (2.0f * (0.25f + 0.04f)));
    EXPECT_EQ(world.touched, (std::vector<uint8_t>{0, 0}));

    world.Step(0.05f, nullptr);
    world.Clear();
    EXPECT_TRUE(world.bodies.empty());
    EXPECT_TRUE(world.touched.empty());
    EXPECT_EQ(world.accumulator, 0.0f);
    EXPECT_TRUE(world.AllAsleep());
    EXPECT_EQ(AddAt(world, glm::vec3(0.0f, 1.0f, 0.0f)), 0);
}

TEST(VaultPhysics, ARunRepeatsToTheBit)
{
    auto run = [] {
        PhysicsWorld world = VaultWorld();
        for (int i = 0; i < 12; ++i) {
            AddAt(world, glm::vec3(float(i % 4) - 1.5f, 1.0f + 0.6f * float(i), float(i / 4) - 1.0f),
                  glm::vec3(0.0f, -2.0f, 0.0f), glm::vec3(float(i) * 0.5f - 3.0f, 1.0f, 2.0f));
        }
        for (int frame = 0; frame < 120; ++frame) {
            world.Step(1.0f / 60.0f, nullptr);
        }
        return world;
    };
    const PhysicsWorld a = run();
    const PhysicsWorld b = run();
    for (size_t i = 0; i < a.bodies.size(); ++i) {
        EXPECT_TRUE(SameBits(a.bodies[i], b.bodies[i])) << i;
    }
}

}  // namespace vaultphysicstest
