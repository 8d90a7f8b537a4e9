// The aim of the game's test hook: the nearest enemy in sight, or a walk toward one out of sight,
// with the trigger held; team-mates and spawn-protected enemies are passed over.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "client/test_aim.h"
#include "game/collision_world.h"

namespace testaimtest {

// A wall across the x axis at z = -5, in front of a player at the origin looking along -z.
CollisionWorld WallInFront()
{
    CollisionWorld world;
    std::vector<Triangle> wall(2);
    wall[0].v[0] = glm::vec3(-20.0f, -5.0f, -5.0f);
    wall[0].v[1] = glm::vec3(20.0f, -5.0f, -5.0f);
    wall[0].v[2] = glm::vec3(20.0f, 20.0f, -5.0f);
    wall[1].v[0] = glm::vec3(-20.0f, -5.0f, -5.0f);
    wall[1].v[1] = glm::vec3(20.0f, 20.0f, -5.0f);
    wall[1].v[2] = glm::vec3(-20.0f, 20.0f, -5.0f);
    EXPECT_TRUE(world.SetTriangles(wall));
    return world;
}

RemotePlayerView Player(int id, const glm::vec3& position, bool blue, bool spawnProtected = false)
{
    RemotePlayerView player;
    player.id = id;
    player.position = position;
    player.teamBlue = blue;
    player.spawnProtected = spawnProtected;
    return player;
}

// Degrees between two yaws the short way round. The shots leave from the view point behind the
// player, so the enemies off to a side stand far enough for its offset to matter little.
float AngleBetween(float from, float to)
{
    return std::fabs(std::remainder(from - to, 360.0f));
}

TEST(TestAim, TurnsToTheNearestEnemyInSightOrWalksTowardOneOutOfSight)
{
    const tune::Tuning tuning;
    const CollisionWorld walled = WallInFront();
    const CollisionWorld open;
    const struct {
        const char* name;
        const CollisionWorld* world;
        std::vector<RemotePlayerView> players;
        uint16_t ammo;
        bool turned;
        float yaw;  // degrees, when turned
        int8_t forward;
        uint8_t buttons;
    } cases[] = {
        {"an enemy ahead, a team-mate nearer", &open,
         {Player(1, {0.0f, 0.0f, -3.0f}, false), Player(2, {0.0f, 0.0f, -12.0f}, true)}, 30, true, 0.0f, 0, kButtonFire},
        {"the nearer enemy behind the wall, the other in sight to the right", &walled,
         {Player(1, {0.0f, 0.0f, -8.0f}, true), Player(2, {60.0f, 0.0f, 0.0f}, true)}, 30, true, 270.0f, 0, kButtonFire},
        {"an enemy only behind the wall: a walk toward it", &walled,
         {Player(1, {0.0f, 0.0f, -8.0f}, true)}, 30, true, 0.0f, 127, kButtonFire},
        {"an enemy to the left, the magazine empty", &open,
         {Player(1, {-60.0f, 0.0f, 0.0f}, true)}, 0, true, 90.0f, 0, kButtonReload},
        {"a spawn-protected enemy only", &open, {Player(1, {0.0f, 0.0f, -10.0f}, true, true)}, 30, false, 0.0f, 0,
         kButtonFire},
        {"team-mates only", &open, {Player(1, {0.0f, 0.0f, -10.0f}, false)}, 30, false, 0.0f, 0, kButtonFire},
    };
    for (const auto& c : cases) {
        GameSession session;
        session.own.position = glm::vec3(0.0f);
        session.own.team = kTeamRed;
        session.own.health = 100;
        session.own.ammo = c.ammo;
        session.remotePlayers = c.players;
        InputCommand command;
        command.yaw = 12345;
        command.forward = 50;
        EXPECT_EQ(AimAtNearestEnemy(command, session, tuning, *c.world), c.turned) << c.name;
        EXPECT_EQ(command.forward, c.forward) << c.name;
        EXPECT_EQ(command.side, 0) << c.name;
        EXPECT_EQ(command.buttons, c.buttons) << c.name;
        if (c.turned) {
            EXPECT_LT(AngleBetween(CommandYawDegrees(command), c.yaw), 8.0f) << c.name;
        } else {
            EXPECT_EQ(command.yaw, 12345) << c.name;
        }
        if (c.forward != 0) {
            EXPECT_EQ(command.pitch, 0) << c.name;
        }
    }
}

}  // namespace testaimtest
