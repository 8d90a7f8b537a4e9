#include "game/hit_volumes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The damage volumes of the character rig. Left and right rows differ in the last digit in two
// places; the values are kept exactly as measured on the rig.
const HitboxRow kRows[kHitboxTableRows] = {
    {"head", kRegionHead, {0.0f, 0.2126736f, 0.0f}, {0, 0, 0, 1}, {0.235621f, 0.2163548f, 0.2427295f}},
    {"torso_bottom", kRegionTorso, {0.0f, 0.0486952f, 0.0116392f}, {0, 0, 0, 1}, {0.144662f, 0.0719782f, 0.1191547f}},
    {"torso_top", kRegionTorso, {0.0f, 0.0369872f, 0.0146107f}, {0, 0, 0, 1}, {0.144662f, 0.0924088f, 0.1221262f}},
    {"upper_arm.l", kRegionLeftArm, {0.0120308f, 0.0504036f, -0.0084412f}, {0, 0, 0, 1}, {0.0507815f, 0.0776988f, 0.0646865f}},
    {"forearm.l", kRegionLeftArm, {0.0095903f, 0.0083374f, -0.0052046f}, {0, 0, 0, 1}, {0.0542733f, 0.0470434f, 0.0781415f}},
    {"hand.l", kRegionLeftArm, {-0.0066395f, 0.0575563f, 0.0094105f}, {0, 0, 0, 1}, {0.0443537f, 0.0476058f, 0.0600741f}},
    {"upper_arm.r", kRegionRightArm, {-0.0120309f, 0.0504036f, -0.0084412f}, {0, 0, 0, 1}, {0.0507815f, 0.0776988f, 0.0646865f}},
    {"forearm.r", kRegionRightArm, {-0.0095903f, 0.0083374f, -0.0052046f}, {0, 0, 0, 1}, {0.0542733f, 0.0470435f, 0.0781415f}},
    {"hand.r", kRegionRightArm, {0.0066395f, 0.0575563f, 0.0094105f}, {0, 0, 0, 1}, {0.0443537f, 0.0476058f, 0.0600741f}},
    {"upper_leg.l", kRegionLeftLeg, {0.0064386f, 0.0860311f, -0.0113768f}, {0, 0, 0, 1}, {0.0951328f, 0.067101f, 0.0782384f}},
    {"lower_leg.l", kRegionLeftLeg, {0.0027241f, 0.094421f, -0.0065831f}, {0, 0, 0, 1}, {0.0924093f, 0.0940434f, 0.0816012f}},
    {"upper_leg.r", kRegionRightLeg, {-0.0064386f, 0.0860311f, -0.0113768f}, {0, 0, 0, 1}, {0.0951328f, 0.067101f, 0.0782384f}},
    {"lower_leg.r", kRegionRightLeg, {-0.0027241f, 0.094421f, -0.0065831f}, {0, 0, 0, 1}, {0.0924093f, 0.0940434f, 0.0816012f}},
};

}  // namespace

const HitboxRow* HitboxTable() { return kRows; }

bool BuildHitboxes(HitboxSet& set, const anim::Skeleton& skeleton) {
    set.boxes.clear();
    set.jointRegion.assign(skeleton.jointNames.size(), kRegionNone);
    for (const HitboxRow& row : kRows) {
        int32_t joint = -1;
        for (size_t j = 0; j < skeleton.jointNames.size(); ++j) {
            if (skeleton.jointNames[j] == row.joint) {
                joint = static_cast<int32_t>(j);
                break;
            }
        }
        if (joint < 0) continue;
        const float x = row.rotation[0], y = row.rotation[1], z = row.rotation[2], w = row.rotation[3];
        Hitbox box;
        box.offset = glm::vec3(row.offset[0], row.offset[1], row.offset[2]);
        box.halfExtents = glm::vec3(row.halfExtents[0], row.halfExtents[1], row.halfExtents[2]);
        box.joint = joint;
        box.region = row.region;
        glm::mat4& m = box.localMatrix;
        m[0] = glm::vec4(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + w * z), 2.0f * (x * z - w * y), 0.0f);
        m[1] = glm::vec4(2.0f * (x * y - w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + w * x), 0.0f);
        m[2] = glm::vec4(2.0f * (x * z + w * y), 2.0f * (y * z - w * x), 1.0f - 2.0f * (x * x + y * y), 0.0f);
        m[3] = glm::vec4(box.offset, 1.0f);
        set.jointRegion[joint] = row.region;
        set.boxes.push_back(box);
    }
    return !set.boxes.empty();
}

HitboxHit RaycastHitboxes(const HitboxSet& set, const std::vector<glm::mat4>& joints, const glm::mat4& model,
                          const glm::vec3& origin, const glm::vec3& direction, float maxDistance) {
    HitboxHit result;
    result.distance = maxDistance;
    for (const Hitbox& box : set.boxes) {
        if (box.joint < 0 || static_cast<size_t>(box.joint) >= joints.size()) continue;
        const glm::mat4 world = model * joints[box.joint] * box.localMatrix;
        const glm::vec3 h = box.halfExtents;

        // Cheap sphere test around the box before the inverse.
        const glm::vec3 axis0(world[0]);
        const float axisScale = axis0.x * axis0.x + axis0.y * axis0.y + axis0.z * axis0.z;
        const float radiusSquared = (h.x * h.x + h.y * h.y + h.z * h.z) * axisScale;
        const float radius = std::sqrt(radiusSquared);
        const glm::vec3 c = glm::vec3(world[3]) - origin;
        const float p = c.x * direction.x + c.y * direction.y + c.z * direction.z;
        if (p < -radius || p > result.distance + radius) continue;
        const glm::vec3 off = c - direction * p;
        if (off.x * off.x + off.y * off.y + off.z * off.z > radiusSquared) continue;

        const glm::mat4 inverse = glm::inverse(world);
        const glm::vec3 o = glm::vec3(inverse * glm::vec4(origin, 1.0f));
        const glm::vec3 d = glm::vec3(inverse * glm::vec4(direction, 0.0f));
        float tNear = 0.0f;
        float tFar = result.distance;
        int axis = -1;
        float sign = 0.0f;
        bool missed = false;
        for (int i = 0; i < 3 && !missed; ++i) {
            if (std::fabs(d[i]) >= 1e-8f) {
                const float t1 = (-h[i] - o[i]) / d[i];
                const float t2 = (h[i] - o[i]) / d[i];
                float entry = t1, exit = t2, entrySign = -1.0f;
                if (t1 > t2) {
                    entry = t2;
                    exit = t1;
                    entrySign = 1.0f;
                }
                if (entry > tNear) {
                    tNear = entry;
                    axis = i;
                    sign = entrySign;
                }
                tFar = std::min(tFar, exit);
                if (tNear > tFar) missed = true;
            } else if (std::fabs(o[i]) > h[i]) {
                missed = true;
            }
        }
        if (missed || !(tNear > 0.0f) || !(tNear < result.distance)) continue;
        result.hit = true;
        result.distance = tNear;
        result.point = origin + direction * tNear;
        result.region = box.region;
        result.joint = box.joint;
        glm::vec3 local(0.0f);
        local[axis] = sign;  // tNear > 0 means some axis moved it
        const glm::vec3 n = glm::mat3(world) * local;
        const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        result.normal = length > 0.0f ? n / length : glm::vec3(0.0f);
    }
    return result;
}

void HitFlash::Clear() {
    for (float& timer : timers) timer = 0.0f;
}

void HitFlash::Trigger(uint8_t region, float seconds) {
    if (region >= 6) return;
    timers[region] = std::max(timers[region], seconds);
}

void HitFlash::Decay(float dt) {
    for (float& timer : timers) {
        if (timer > 0.0f) timer = std::max(timer - dt, 0.0f);
    }
}

bool HitFlash::Any() const {
    for (float timer : timers) {
        if (timer > 0.0f) return true;
    }
    return false;
}

void HitFlash::JointWeights(const HitboxSet& set, const HitFlash& flash, float duration, std::vector<float>& out) {
    out.assign(set.jointRegion.size(), 0.0f);
    if (!(duration > 0.0f) || !flash.Any()) return;
    const float scale = 1.0f / duration;
    for (size_t j = 0; j < set.jointRegion.size(); ++j) {
        const uint8_t region = set.jointRegion[j];
        if (region < 6) out[j] = std::clamp(flash.timers[region] * scale, 0.0f, 1.0f);
    }
}
