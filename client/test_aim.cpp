#include "client/test_aim.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <glm/geometric.hpp>

#include "game/collision_world.h"
#include "game/shot_geometry.h"

namespace {

constexpr float kSightRadius = 0.05f;
constexpr float kRadiansToDegrees = 57.29578f;

bool IsEnemy(const RemotePlayerView& player, uint8_t ownTeam)
{
    if (ownTeam == kTeamNone) return true;
    return (player.teamBlue ? kTeamBlue : kTeamRed) != ownTeam;
}

}  // namespace

bool AimAtNearestEnemy(InputCommand& command, const GameSession& session, const tune::Tuning& tuning,
                       const CollisionWorld& world)
{
    const PlayerState& own = session.own;
    command.forward = 0;
    command.side = 0;
    // The trigger stays held, at a wall too, so that the first round leaves as soon as an enemy shows.
    command.buttons = own.ammo == 0 ? kButtonReload : kButtonFire;
    const glm::vec3 origin = ViewOrigin(own, tuning, world);
    // The middle of the body, where a small spread still lands on it.
    const float chest = 0.55f * tuning.movement.standingHeight;
    std::optional<glm::vec3> best;
    std::optional<glm::vec3> hidden;  // the nearest enemy out of sight, walked toward while none is in it
    float bestDistance = 0.0f;
    float hiddenDistance = 0.0f;
    for (const RemotePlayerView& player : session.remotePlayers) {
        if (!IsEnemy(player, own.team) || player.spawnProtected) continue;
        const glm::vec3 target = player.position + glm::vec3(0.0f, chest, 0.0f);
        const float distance = glm::length(target - origin);
        if (world.SweepSphere(origin, target, kSightRadius).hit) {
            if (!hidden || distance < hiddenDistance) {
                hidden = target;
                hiddenDistance = distance;
            }
            continue;
        }
        if (!best || distance < bestDistance) {
            best = target;
            bestDistance = distance;
        }
    }
    if (!best && !hidden) return false;
    glm::vec3 d = (best ? *best : *hidden) - origin;
    if (!best) {
        command.forward = 127;
        d.y = 0.0f;
    }
    const float yaw = std::atan2(-d.x, -d.z) * kRadiansToDegrees;
    const float pitch = std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z)) * kRadiansToDegrees;
    const double wrapped = std::fmod(double(yaw) + 360.0, 360.0);
    command.yaw = uint16_t(std::min(std::trunc(wrapped * double(65536.0 / 360.0)), 65535.0));
    command.pitch = int16_t(std::clamp(std::trunc(pitch * (65536.0f / 360.0f)), -32768.0f, 32767.0f));
    return true;
}
