#include <algorithm>
#include <cmath>
#include <cstdio>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/mat3x3.hpp>
#include <glm/matrix.hpp>

#include "game/angles.h"
#include "game/asset_paths.h"
#include "game/rig_loader.h"
#include "net/server.h"

namespace net {
namespace {

bool RigReady(const CombatPose& pose)
{
    return pose.rig != nullptr && pose.tuning != nullptr &&
           pose.rig->volumes.boxes.size() == static_cast<size_t>(kCombatVolumeCount);
}

}  // namespace

bool Server::LoadCombatRig(CombatRig& rig, const tune::Tuning& tuning)
{
    rig.volumes = HitboxSet{};
    const std::string path = AssetPath(tuning.Armor(0).model);
    if (anim::LoadRig(rig.rig, path) && !rig.rig.clips.empty() && BuildHitboxes(rig.volumes, rig.rig.skeleton) &&
        rig.volumes.boxes.size() == static_cast<size_t>(kCombatVolumeCount)) {
        return true;
    }
    rig.volumes = HitboxSet{};
    std::fprintf(stderr, "[combat] missing authoritative animation rig or damage volumes: %s\n", path.c_str());
    return false;
}

void Server::BindAnimator(CombatPose& pose, const CombatRig* rig, const tune::Tuning* tuning)
{
    pose.rig = rig;
    pose.tuning = tuning;
    ResetAnimator(pose);
}

void Server::ResetAnimator(CombatPose& pose)
{
    pose.set = PosedSet{};
    // A fresh animator: a new life must not inherit the clocks, weights or death pose of the last.
    pose.animator = anim::Animator{};
    if (RigReady(pose)) {
        pose.animator.Reset(&pose.rig->rig.skeleton, &pose.rig->rig.clips, pose.tuning->rig,
                            pose.tuning->movement.pose);
    }
}

void Server::AdvanceAnimation(CombatPose& pose, const PlayerState& state, float dt)
{
    PosedSet& set = pose.set;
    set.count = 0;
    set.position = state.position;
    if (!RigReady(pose)) {
        return;
    }
    if (state.respawnTicks != 0 || state.health == 0) {
        set.posed = 0;
        return;
    }
    if (set.posed == 0) {
        ResetAnimator(pose);
        set.position = state.position;
        set.posed = 1;
    }
    const tune::Tuning& tuning = *pose.tuning;
    const tune::ModelPoseTuning& modelPose = tuning.movement.pose;
    anim::Animator& animator = pose.animator;

    animator.SetHoldStyle(tuning.Weapon(StateWeaponRow(state)).holdStyle);
    if (state.throwTicks != 0) {
        animator.throwClock =
            static_cast<float>(state.throwTicks - 1) / static_cast<float>(std::max(tuning.loop.tickRate, 1));
    } else {
        animator.throwClock = state.cookTicks > 0 ? 0.0f : -1.0f;
    }
    const float horizontalSpeed =
        std::sqrt(state.velocity.x * state.velocity.x + state.velocity.z * state.velocity.z);
    animator.Advance(std::max(dt, 0.0f), horizontalSpeed, state.onGround != 0);

    float modelYaw = state.yaw;
    float upperYaw = 0.0f;
    float lowerYaw = 0.0f;
    if (modelPose.yawMode == 0) {
        modelYaw = state.bodyYaw;
        upperYaw = AngleDelta(state.bodyYaw, state.yaw);
    } else if (modelPose.yawMode == 1) {
        lowerYaw = AngleDelta(state.yaw, state.bodyYaw);
    }
    animator.ComputeJointMatrices(upperYaw, lowerYaw, pose.skinning);

    const glm::vec3 origin(state.position.x,
                           state.position.y + modelPose.modelHeightOffset + modelPose.modelScale * animator.rootBob,
                           state.position.z);
    glm::mat4 model = glm::translate(glm::mat4(1.0f), origin);
    model = glm::rotate(model, (modelYaw + modelPose.modelYawOffset) * kDegToRad, glm::vec3(0.0f, 1.0f, 0.0f));
    model = glm::scale(model, glm::vec3(modelPose.modelScale));

    std::array<glm::vec3, kCombatVolumeCount> centres{};
    std::array<float, kCombatVolumeCount> reaches{};
    const int32_t jointCount = static_cast<int32_t>(animator.jointMatrices.size());
    for (const Hitbox& box : pose.rig->volumes.boxes) {
        if (box.joint < 0 || box.joint >= jointCount || set.count >= kCombatVolumeCount) {
            continue;
        }
        const glm::mat4 world = model * animator.jointMatrices[static_cast<size_t>(box.joint)] * box.localMatrix;
        PosedVolume& volume = set.volumes[set.count];
        volume.inverseWorld = glm::inverse(world);
        volume.halfExtents = box.halfExtents;
        volume.joint = box.joint;
        volume.region = box.region;
        centres[set.count] = glm::vec3(world[3]);
        reaches[set.count] = glm::length(glm::vec3(world[0])) * box.halfExtents.x +
                             glm::length(glm::vec3(world[1])) * box.halfExtents.y +
                             glm::length(glm::vec3(world[2])) * box.halfExtents.z;
        ++set.count;
    }
    if (set.count == 0) {
        set.centre = glm::vec3(0.0f);
        set.radius = 0.0f;
        return;
    }
    glm::vec3 sum(0.0f);
    for (int i = 0; i < set.count; ++i) {
        sum += centres[i];
    }
    set.centre = sum / static_cast<float>(set.count);
    float radius = 0.0f;
    for (int i = 0; i < set.count; ++i) {
        radius = std::max(radius, glm::length(centres[i] - set.centre) + reaches[i]);
    }
    set.radius = radius;
}

PosedVolumeHit Server::RaycastPosedVolumes(const PosedSet& set, const glm::vec3& origin, const glm::vec3& direction,
                                           float maxDistance)
{
    PosedVolumeHit result;
    result.distance = maxDistance;
    if (set.count < 1 || set.count > kCombatVolumeCount || !(maxDistance > 0.0f)) {
        return result;
    }
    if (set.radius > 0.0f) {
        const glm::vec3 v = origin - set.centre;
        const float c = glm::dot(v, v) - set.radius * set.radius;
        if (c > 0.0f) {
            const float b = glm::dot(direction, v);
            if (b > 0.0f) {
                return result;  // the sphere lies behind the origin
            }
            const float discriminant = b * b - c;
            if (discriminant < 0.0f) {
                return result;
            }
            if (glm::dot(set.centre - origin, direction) - std::sqrt(discriminant) > maxDistance) {
                return result;
            }
        }
    }
    for (int i = 0; i < set.count; ++i) {
        const PosedVolume& volume = set.volumes[i];
        const glm::vec3 p = glm::vec3(volume.inverseWorld * glm::vec4(origin, 1.0f));
        const glm::vec3 q = glm::vec3(volume.inverseWorld * glm::vec4(direction, 0.0f));
        float tmin = 0.0f;
        float tmax = result.distance;
        int axis = -1;
        float sign = 0.0f;
        bool missed = false;
        for (int a = 0; a < 3 && !missed; ++a) {
            const float h = volume.halfExtents[a];
            if (std::fabs(q[a]) < 1e-8f) {
                missed = std::fabs(p[a]) > h;
                continue;
            }
            const float t1 = (-h - p[a]) / q[a];
            const float t2 = (h - p[a]) / q[a];
            const float nearT = std::min(t1, t2);
            const float farT = std::max(t1, t2);
            if (nearT > tmin) {
                tmin = nearT;
                axis = a;
                sign = t1 <= t2 ? -1.0f : 1.0f;
            }
            tmax = std::min(tmax, farT);
            missed = tmax < tmin;
        }
        // tmin stays 0 for a ray that starts inside the volume, so that volume is never hit.
        if (missed || !(tmin > 0.0f && tmin < result.distance)) {
            continue;
        }
        result.hit = 1;
        result.distance = tmin;
        result.point = origin + direction * tmin;
        result.region = static_cast<uint8_t>(volume.region & 0xFFu);
        result.joint = volume.joint;
        result.normal = glm::vec3(0.0f);
        if (axis >= 0) {
            glm::vec3 local(0.0f);
            local[axis] = sign;
            // Normals go to world space through the inverse transpose of the volume's matrix.
            result.normal = glm::normalize(glm::transpose(glm::mat3(volume.inverseWorld)) * local);
        }
    }
    return result;
}

}  // namespace net
