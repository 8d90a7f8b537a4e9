#include "tools/assetgen/character_clips.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include <glm/gtc/matrix_transform.hpp>

#include "game/tuning.h"
#include "tools/assetgen/humanoid_rig.h"

namespace {

constexpr float kKeysPerSecond = 30.0f;
constexpr float kPi = 3.14159265f;

// Degrees about x (lean forward), y (turn left) and z (roll right), applied yaw, then pitch, then roll.
glm::quat Euler(const glm::vec3& degrees) {
    return glm::angleAxis(glm::radians(degrees.y), glm::vec3(0, 1, 0)) *
           glm::angleAxis(glm::radians(degrees.x), glm::vec3(1, 0, 0)) *
           glm::angleAxis(glm::radians(degrees.z), glm::vec3(0, 0, 1));
}

// A body posture in a few readable angles (degrees); index 0 is the left limb, 1 the right.
struct LegStance {
    float swing = 4.0f;   // thigh forward of straight down
    float spread = 4.0f;  // thigh outwards
    float knee = 8.0f;    // bend
    float toe = 0.0f;     // toes below level, in the pelvis's frame
    float splay = 6.0f;   // toes outwards
};

struct ArmStance {
    float raise = 8.0f;    // upper arm forward of straight down (90 = pointing ahead)
    float spread = 12.0f;  // upper arm outwards
    float elbow = 18.0f;
    float twist = 0.0f;    // upper arm about its own axis
    float wrist = 5.0f;
};

struct Stance {
    glm::vec3 rootOffset{0.0f};  // moves both roots
    glm::vec3 body{0.0f};        // turns the whole body about the pelvis
    glm::vec3 hips{0.0f};
    glm::vec3 waist{0.0f};
    glm::vec3 chest{2.0f, 0.0f, 0.0f};
    glm::vec3 head{-2.0f, 0.0f, 0.0f};
    float shrug[2] = {0.0f, 0.0f};
    LegStance legs[2];
    ArmStance arms[2];
};

float Mix(float a, float b, float t) { return a + (b - a) * t; }
glm::vec3 Mix(const glm::vec3& a, const glm::vec3& b, float t) { return a + (b - a) * t; }

Stance Mix(const Stance& a, const Stance& b, float t) {
    Stance s;
    s.rootOffset = Mix(a.rootOffset, b.rootOffset, t);
    s.body = Mix(a.body, b.body, t);
    s.hips = Mix(a.hips, b.hips, t);
    s.waist = Mix(a.waist, b.waist, t);
    s.chest = Mix(a.chest, b.chest, t);
    s.head = Mix(a.head, b.head, t);
    for (int i = 0; i < 2; ++i) {
        s.shrug[i] = Mix(a.shrug[i], b.shrug[i], t);
        const LegStance &la = a.legs[i], &lb = b.legs[i];
        s.legs[i] = {Mix(la.swing, lb.swing, t), Mix(la.spread, lb.spread, t), Mix(la.knee, lb.knee, t),
                     Mix(la.toe, lb.toe, t), Mix(la.splay, lb.splay, t)};
        const ArmStance &aa = a.arms[i], &ab = b.arms[i];
        s.arms[i] = {Mix(aa.raise, ab.raise, t), Mix(aa.spread, ab.spread, t), Mix(aa.elbow, ab.elbow, t),
                     Mix(aa.twist, ab.twist, t), Mix(aa.wrist, ab.wrist, t)};
    }
    return s;
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

// Eased interpolation through keyed stances at the given times.
Stance Through(const std::vector<std::pair<float, Stance>>& keys, float t) {
    if (t <= keys.front().first) return keys.front().second;
    for (size_t i = 1; i < keys.size(); ++i) {
        if (t <= keys[i].first) {
            const float span = keys[i].first - keys[i - 1].first;
            return Mix(keys[i - 1].second, keys[i].second, Smooth((t - keys[i - 1].first) / span));
        }
    }
    return keys.back().second;
}

constexpr int kLegJoints[2][3] = {{kRigUpperLegL, kRigLowerLegL, kRigFootL}, {kRigUpperLegR, kRigLowerLegR, kRigFootR}};
constexpr int kArmJoints[2][4] = {{kRigShoulderL, kRigUpperArmL, kRigForearmL, kRigHandL},
                                  {kRigShoulderR, kRigUpperArmR, kRigForearmR, kRigHandR}};

// Direction of a limb hanging down, swung forward by `forward` and out to its side by `out` degrees.
glm::vec3 LimbDirection(float forward, float out, float side) {
    const float f = glm::radians(forward), o = glm::radians(out) * side;
    return glm::vec3(std::cos(f) * std::sin(o), -std::cos(f) * std::cos(o), std::sin(f));
}

RigPose PoseFromStance(const Stance& s) {
    RigPose pose = RigBindPose();
    const RigPose bind = pose;
    const glm::quat body = Euler(s.body);
    pose.translation[kRigPelvis] = bind.translation[kRigPelvis] + s.rootOffset;
    pose.rotation[kRigPelvis] = body * Euler(s.hips);
    pose.translation[kRigTorsoBottom] = s.rootOffset + body * bind.translation[kRigTorsoBottom];
    pose.rotation[kRigTorsoBottom] = body * Euler(s.waist);
    pose.rotation[kRigTorsoTop] = Euler(s.chest);
    pose.rotation[kRigHead] = Euler(s.head);

    const glm::quat pelvis = pose.rotation[kRigPelvis];
    for (int i = 0; i < 2; ++i) {
        const float side = i == 0 ? 1.0f : -1.0f;
        const LegStance& leg = s.legs[i];
        RigAimBone(pose, kLegJoints[i][0], pelvis * LimbDirection(leg.swing, leg.spread, side));
        pose.rotation[kLegJoints[i][1]] = glm::angleAxis(glm::radians(leg.knee), glm::vec3(1, 0, 0));
        const float toe = glm::radians(leg.toe), splay = glm::radians(leg.splay) * side;
        const glm::vec3 foot(std::cos(toe) * std::sin(splay), -std::sin(toe), std::cos(toe) * std::cos(splay));
        RigAimBone(pose, kLegJoints[i][2], pelvis * foot);
    }
    for (int i = 0; i < 2; ++i) {
        const float side = i == 0 ? 1.0f : -1.0f;
        const int* arm = kArmJoints[i];
        pose.rotation[arm[0]] =
            bind.rotation[arm[0]] * glm::angleAxis(glm::radians(s.shrug[i]) * side, glm::vec3(0, 0, 1));
        const ArmStance& a = s.arms[i];
        const glm::quat chest = RigWorldRotation(pose, kRigTorsoTop);
        RigAimBone(pose, arm[1], chest * LimbDirection(a.raise, a.spread, side));
        pose.rotation[arm[1]] =
            glm::normalize(pose.rotation[arm[1]] * glm::angleAxis(glm::radians(a.twist) * side, glm::vec3(0, 1, 0)));
        pose.rotation[arm[2]] = glm::angleAxis(glm::radians(a.elbow), glm::vec3(1, 0, 0));
        pose.rotation[arm[3]] = glm::angleAxis(glm::radians(a.wrist), glm::vec3(1, 0, 0));
    }
    return pose;
}

// Lowest point of the skinned mesh in a pose, over the vertices of the given joints (all when empty).
float LowestPoint(const GlbPrimitive& mesh, const RigPose& pose, const std::vector<int>& joints) {
    const std::array<glm::mat4, kRigJointCount> world = RigPoseWorld(pose);
    std::array<glm::mat4, kRigJointCount> skin{};
    for (int j = 0; j < kRigJointCount; ++j) skin[j] = world[j] * glm::inverse(RigBindWorld(j));
    float lowest = 1e9f;
    for (size_t v = 0; v < mesh.positions.size(); ++v) {
        if (!joints.empty() && std::find(joints.begin(), joints.end(), int(mesh.joints[v].x)) == joints.end()) continue;
        glm::vec4 p(0.0f);
        for (int k = 0; k < 4; ++k) {
            if (mesh.weights[v][k] > 0.0f) p += skin[mesh.joints[v][k]] * glm::vec4(mesh.positions[v], 1.0f) * mesh.weights[v][k];
        }
        lowest = std::min(lowest, p.y);
    }
    return lowest;
}

// Lowers or raises the body so that the soles rest on the floor.
Stance Planted(const GlbPrimitive& mesh, Stance s) {
    const float lowest = LowestPoint(mesh, PoseFromStance(s), {kRigFootL, kRigFootR});
    s.rootOffset.y += kRigSoleHeight - lowest;
    return s;
}

// Hands on a weapon: the wrists reach their targets (model space) and the right hand turns so that
// the weapon table's grip rotation lines a weapon modelled along +Z (top +Y) up with `weaponAim`.
struct Grip {
    glm::vec3 rightWrist, rightPole, leftWrist, leftPole;
    glm::quat weaponAim;     // where the weapon points: identity = straight ahead
    glm::vec3 leftFingers;   // direction the supporting hand points
};

void ApplyGrip(RigPose& pose, const Grip& grip, const glm::quat& gripRotation) {
    RigReachArm(pose, -1, grip.rightWrist, grip.rightPole);
    RigSetWorldRotation(pose, kRigHandR, grip.weaponAim * glm::conjugate(gripRotation));
    RigReachArm(pose, 1, grip.leftWrist, grip.leftPole);
    RigAimBone(pose, kRigHandL, grip.leftFingers);
}

struct WeaponStyle {
    const char* holdName;
    const char* aimName;
    Stance body;   // torso set against the weapon
    Grip aim;
    Grip hold;
};

glm::quat GripRotationOfStyle(int style) {
    const tune::Tuning defaults{};
    for (const tune::WeaponTuning& weapon : defaults.weapons) {
        if (weapon.holdStyle == style) {
            const float* q = weapon.gripRotation;
            return glm::normalize(glm::quat(q[3], q[0], q[1], q[2]));
        }
    }
    return glm::quat(1, 0, 0, 0);
}

glm::quat Pitch(float degreesDown) { return glm::angleAxis(glm::radians(degreesDown), glm::vec3(1, 0, 0)); }
glm::quat Yaw(float degreesLeft) { return glm::angleAxis(glm::radians(degreesLeft), glm::vec3(0, 1, 0)); }

std::vector<WeaponStyle> WeaponStyles() {
    std::vector<WeaponStyle> styles(4);
    // Rifles, pistols and the rest: stock at the right shoulder, left hand under the barrel.
    WeaponStyle& general = styles[0];
    general.holdName = "hold_general";
    general.aimName = "aim_general";
    general.body.waist = {2.0f, -12.0f, 0.0f};
    general.body.chest = {3.0f, -10.0f, 0.0f};
    general.body.head = {-4.0f, 22.0f, 0.0f};
    general.aim = {{-0.085f, 0.165f, 0.115f}, {-0.4f, 0.0f, -0.2f}, {-0.005f, 0.135f, 0.175f}, {0.3f, -0.15f, 0.0f},
                   glm::quat(1, 0, 0, 0), {-0.45f, -0.3f, 0.84f}};
    general.hold = {{-0.1f, 0.095f, 0.1f}, {-0.4f, 0.0f, -0.2f}, {0.0f, 0.045f, 0.16f}, {0.3f, -0.2f, 0.0f},
                    Yaw(15.0f) * Pitch(32.0f), {-0.5f, -0.5f, 0.7f}};
    // The flamethrower: low at the hip, nozzle ahead.
    WeaponStyle& flamer = styles[1];
    flamer.holdName = "hold_flamethrower";
    flamer.aimName = "aim_flamethrower";
    flamer.body.waist = {-2.0f, -8.0f, 0.0f};
    flamer.body.chest = {-2.0f, -6.0f, 0.0f};
    flamer.body.head = {2.0f, 14.0f, 0.0f};
    flamer.aim = {{-0.11f, 0.05f, 0.11f}, {-0.4f, 0.1f, -0.2f}, {-0.01f, 0.035f, 0.19f}, {0.35f, -0.1f, -0.1f},
                  Pitch(4.0f), {-0.3f, -0.2f, 0.93f}};
    flamer.hold = {{-0.115f, 0.03f, 0.09f}, {-0.4f, 0.1f, -0.2f}, {0.0f, 0.0f, 0.16f}, {0.35f, -0.1f, -0.1f},
                   Yaw(10.0f) * Pitch(25.0f), {-0.3f, -0.4f, 0.86f}};
    // The LMG: heavy, braced at the hip, left hand on top.
    WeaponStyle& lmg = styles[2];
    lmg.holdName = "hold_LMG";
    lmg.aimName = "aim_LMG";
    lmg.body.waist = {-4.0f, -10.0f, 0.0f};
    lmg.body.chest = {-2.0f, -6.0f, 0.0f};
    lmg.body.head = {4.0f, 16.0f, 0.0f};
    lmg.body.legs[0].spread = 9.0f;
    lmg.body.legs[1].spread = 9.0f;
    lmg.aim = {{-0.12f, 0.08f, 0.09f}, {-0.4f, 0.1f, -0.2f}, {-0.03f, 0.11f, 0.19f}, {0.35f, 0.1f, -0.1f},
               glm::quat(1, 0, 0, 0), {-0.6f, -0.6f, 0.5f}};
    lmg.hold = {{-0.12f, 0.05f, 0.08f}, {-0.4f, 0.1f, -0.2f}, {-0.02f, 0.07f, 0.17f}, {0.35f, 0.1f, -0.1f},
                Yaw(10.0f) * Pitch(20.0f), {-0.6f, -0.6f, 0.5f}};
    // The RPG: the tube over the right shoulder.
    WeaponStyle& rpg = styles[3];
    rpg.holdName = "hold_RPG";
    rpg.aimName = "aim_RPG";
    rpg.body.waist = {0.0f, -14.0f, 0.0f};
    rpg.body.chest = {0.0f, -8.0f, 0.0f};
    rpg.body.head = {0.0f, 20.0f, -5.0f};
    rpg.aim = {{-0.11f, 0.2f, 0.12f}, {-0.4f, -0.1f, -0.1f}, {-0.07f, 0.22f, 0.2f}, {0.3f, -0.2f, 0.0f},
               glm::quat(1, 0, 0, 0), {-0.3f, 0.0f, 0.95f}};
    rpg.hold = {{-0.12f, 0.17f, 0.1f}, {-0.4f, -0.1f, -0.1f}, {-0.07f, 0.19f, 0.17f}, {0.3f, -0.2f, 0.0f},
                Pitch(-15.0f), {-0.3f, 0.0f, 0.95f}};
    return styles;
}

// Samples a pose function at every key and writes one rotation channel per joint (and a translation
// channel for the two roots). One-shot clips repeat their final key one frame after the last.
GlbAnimation Bake(const char* name, float duration, bool oneShot, int firstJointNode,
                  const std::function<RigPose(float)>& poseAt) {
    const int frames = static_cast<int>(std::lround(duration * kKeysPerSecond));
    std::vector<RigPose> poses;
    std::vector<float> times;
    for (int i = 0; i <= frames; ++i) {
        const float t = static_cast<float>(i) / kKeysPerSecond;
        times.push_back(t);
        poses.push_back(poseAt(t));
    }
    if (oneShot) {
        times.push_back(static_cast<float>(frames + 1) / kKeysPerSecond);
        poses.push_back(poses.back());
    }
    GlbAnimation clip;
    clip.name = name;
    for (int j = 0; j < kRigJointCount; ++j) {
        GlbChannel rotation;
        rotation.node = firstJointNode + j;
        rotation.path = GlbPath::Rotation;
        rotation.times = times;
        glm::quat previous(1, 0, 0, 0);
        for (size_t k = 0; k < poses.size(); ++k) {
            glm::quat q = glm::normalize(poses[k].rotation[j]);
            // Neighbouring keys on one hemisphere, so that linear readers take the short way too.
            if (k > 0 && glm::dot(q, previous) < 0.0f) q = -q;
            previous = q;
            rotation.values.insert(rotation.values.end(), {q.x, q.y, q.z, q.w});
        }
        clip.channels.push_back(rotation);
        if (RigJoints()[j].parent < 0) {
            GlbChannel translation;
            translation.node = firstJointNode + j;
            translation.path = GlbPath::Translation;
            translation.times = times;
            for (const RigPose& pose : poses) {
                const glm::vec3& p = pose.translation[j];
                translation.values.insert(translation.values.end(), {p.x, p.y, p.z});
            }
            clip.channels.push_back(translation);
        }
    }
    return clip;
}

// Standing at ease, breathing over `period` seconds.
Stance Breathing(Stance s, float t, float period) {
    const float b = std::sin(2.0f * kPi * t / period), c = std::cos(2.0f * kPi * t / period);
    s.chest.x += 1.5f * b;
    s.shrug[0] += 1.5f * b;
    s.shrug[1] += 1.5f * b;
    s.hips.z += 1.2f * c;
    s.waist.z -= 1.2f * c;
    s.rootOffset.x += 0.004f * c;
    s.head.x += 0.8f * c;
    s.legs[0].knee += 2.0f * c;
    s.legs[1].knee -= 2.0f * c;
    return s;
}

Stance RunStance(float t, float period) {
    const float phase = 2.0f * kPi * t / period;
    Stance s;
    for (int i = 0; i < 2; ++i) {
        const float p = phase + static_cast<float>(i) * kPi;
        LegStance& leg = s.legs[i];
        leg.swing = 8.0f + 36.0f * std::sin(p);
        leg.knee = 18.0f + 72.0f * std::pow(std::max(0.0f, std::cos(p + 0.35f)), 1.3f);
        leg.toe = 8.0f + 22.0f * std::max(0.0f, -std::sin(p));
        leg.spread = 3.0f;
        leg.splay = 4.0f;
        // Arms swing against the leg of their side.
        ArmStance& arm = s.arms[i];
        arm.raise = 10.0f - 38.0f * std::sin(p);
        arm.spread = 14.0f;
        arm.elbow = 80.0f + 15.0f * std::max(0.0f, -std::sin(p));
        arm.wrist = 10.0f;
    }
    s.rootOffset.y = -0.028f - 0.014f * std::cos(2.0f * phase);
    s.hips = {0.0f, -9.0f * std::sin(phase), 0.0f};
    s.waist = {12.0f, 7.0f * std::sin(phase), 0.0f};
    s.chest = {4.0f, 4.0f * std::sin(phase), 0.0f};
    s.head = {-14.0f, -11.0f * std::sin(phase), 0.0f};
    s.shrug[0] = 2.0f * std::sin(phase);
    s.shrug[1] = -2.0f * std::sin(phase);
    return s;
}

std::vector<std::pair<float, Stance>> JumpKeys() {
    Stance takeoff, tuck, apex, landing;
    for (int i = 0; i < 2; ++i) {
        takeoff.legs[i] = {0.0f, 4.0f, 10.0f, 25.0f, 6.0f};
        takeoff.arms[i] = {60.0f, 20.0f, 25.0f, 0.0f, 5.0f};
        apex.arms[i] = {20.0f, 65.0f, 40.0f, 0.0f, 10.0f};
        tuck.arms[i] = {30.0f, 55.0f, 45.0f, 0.0f, 10.0f};
        landing.legs[i] = {i == 0 ? 22.0f : 14.0f, 6.0f, i == 0 ? 30.0f : 24.0f, 10.0f, 6.0f};
        landing.arms[i] = {25.0f, 40.0f, 35.0f, 0.0f, 5.0f};
    }
    tuck.legs[0] = {55.0f, 6.0f, 95.0f, 20.0f, 6.0f};
    tuck.legs[1] = {35.0f, 6.0f, 70.0f, 15.0f, 6.0f};
    apex.legs[0] = {45.0f, 6.0f, 80.0f, 15.0f, 6.0f};
    apex.legs[1] = {30.0f, 6.0f, 60.0f, 12.0f, 6.0f};
    takeoff.waist = {6.0f, 0.0f, 0.0f};
    takeoff.head = {-6.0f, 0.0f, 0.0f};
    tuck.waist = {10.0f, 0.0f, 0.0f};
    tuck.chest = {4.0f, 0.0f, 0.0f};
    apex.waist = {8.0f, 0.0f, 0.0f};
    landing.waist = {8.0f, 0.0f, 0.0f};
    return {{0.0f, takeoff}, {0.2f, tuck}, {0.4f, apex}, {0.7f, landing}};
}

std::vector<std::pair<float, Stance>> DyingKeys(const GlbPrimitive& mesh) {
    const Stance stand = Planted(mesh, Stance{});
    Stance hit = stand, falling = stand, impact, bounce, rest;
    hit.waist = {-18.0f, 0.0f, 0.0f};
    hit.chest = {-10.0f, 0.0f, 0.0f};
    hit.head = {-25.0f, 0.0f, 0.0f};
    hit.rootOffset += glm::vec3(0.0f, -0.02f, -0.02f);
    falling.body = {-45.0f, 0.0f, 0.0f};
    falling.rootOffset = {0.0f, -0.16f, -0.12f};
    falling.head = {-10.0f, 0.0f, 0.0f};
    impact.body = {-88.0f, 0.0f, 0.0f};
    impact.rootOffset = {0.0f, 0.0f, -0.3f};
    impact.waist = {4.0f, 0.0f, 0.0f};
    impact.head = {10.0f, 20.0f, 0.0f};
    for (int i = 0; i < 2; ++i) {
        hit.legs[i].knee = 22.0f;
        hit.legs[i].swing = 8.0f;
        hit.arms[i] = {50.0f, 45.0f, 40.0f, 0.0f, 10.0f};
        falling.legs[i].swing = 35.0f;
        falling.legs[i].knee = 45.0f;
        falling.arms[i] = {80.0f, 60.0f, 35.0f, 0.0f, 10.0f};
        impact.legs[i] = {i == 0 ? 18.0f : 28.0f, 8.0f, i == 0 ? 25.0f : 40.0f, 10.0f, 14.0f};
        impact.arms[i] = {20.0f, 75.0f, 25.0f, 0.0f, 10.0f};
    }
    rest = impact;
    rest.head = {10.0f, 28.0f, 10.0f};
    rest.legs[0].knee = 20.0f;
    rest.legs[1].knee = 45.0f;
    for (int i = 0; i < 2; ++i) rest.arms[i] = {20.0f, 78.0f, 30.0f, 0.0f, 15.0f};
    // Rest the fallen body on the floor, then let it bounce once on the way.
    const float lift = kRigSoleHeight - LowestPoint(mesh, PoseFromStance(rest), {});
    impact.rootOffset.y += lift;
    rest.rootOffset.y += lift;
    bounce = impact;
    bounce.rootOffset.y += 0.015f;
    for (int i = 0; i < 2; ++i) bounce.arms[i].spread = 80.0f;
    return {{0.0f, stand}, {0.12f, hit}, {0.45f, falling}, {0.75f, impact}, {0.85f, bounce}, {1.1f, rest}};
}

std::vector<std::pair<float, Stance>> ThrowKeys() {
    Stance windUp, forward, release, follow;
    windUp.waist = {-4.0f, -25.0f, 0.0f};
    windUp.chest = {0.0f, -15.0f, 0.0f};
    windUp.head = {0.0f, 35.0f, 0.0f};
    windUp.arms[1] = {-20.0f, 80.0f, 110.0f, -30.0f, 10.0f};
    windUp.arms[0] = {70.0f, 25.0f, 15.0f, 0.0f, 5.0f};
    forward.waist = {2.0f, -5.0f, 0.0f};
    forward.chest = {2.0f, 0.0f, 0.0f};
    forward.head = {0.0f, 10.0f, 0.0f};
    forward.arms[1] = {60.0f, 70.0f, 90.0f, -15.0f, 5.0f};
    forward.arms[0] = {40.0f, 30.0f, 40.0f, 0.0f, 5.0f};
    release.waist = {10.0f, 15.0f, 0.0f};
    release.chest = {4.0f, 10.0f, 0.0f};
    release.head = {-6.0f, -20.0f, 0.0f};
    release.arms[1] = {130.0f, 25.0f, 25.0f, 0.0f, -10.0f};
    release.arms[0] = {5.0f, 25.0f, 70.0f, 0.0f, 5.0f};
    follow.waist = {16.0f, 25.0f, 0.0f};
    follow.chest = {6.0f, 12.0f, 0.0f};
    follow.head = {-10.0f, -25.0f, 0.0f};
    follow.arms[1] = {55.0f, -5.0f, 35.0f, 0.0f, 10.0f};
    follow.arms[0] = {-15.0f, 20.0f, 80.0f, 0.0f, 5.0f};
    return {{0.0f, windUp}, {0.1f, forward}, {1.0f / 6.0f, release}, {0.3f, follow}};
}

}  // namespace

std::vector<GlbAnimation> BuildCharacterClips(const GlbPrimitive& mesh, int firstJointNode) {
    std::vector<GlbAnimation> clips;
    const Stance stand{};

    clips.push_back(Bake("idle", 2.0f, false, firstJointNode,
                         [&](float t) { return PoseFromStance(Planted(mesh, Breathing(stand, t, 2.0f))); }));

    const float stride = 16.0f / kKeysPerSecond;
    clips.push_back(Bake("run", stride, false, firstJointNode, [&](float t) { return PoseFromStance(RunStance(t, stride)); }));

    const std::vector<std::pair<float, Stance>> jump = JumpKeys();
    clips.push_back(Bake("jumping", 0.7f, true, firstJointNode, [&](float t) { return PoseFromStance(Through(jump, t)); }));

    const std::vector<std::pair<float, Stance>> dying = DyingKeys(mesh);
    clips.push_back(Bake("dying", 1.1f, true, firstJointNode, [&](float t) { return PoseFromStance(Through(dying, t)); }));

    const std::vector<std::pair<float, Stance>> throwing = ThrowKeys();
    clips.push_back(Bake("throw", 0.3f, true, firstJointNode, [&](float t) { return PoseFromStance(Through(throwing, t)); }));

    const std::vector<WeaponStyle> styles = WeaponStyles();
    for (size_t i = 0; i < styles.size(); ++i) {
        const WeaponStyle& style = styles[i];
        const glm::quat grip = GripRotationOfStyle(static_cast<int>(i) + 1);
        // Posing: the whole body at ease with the weapon lowered, breathing.
        clips.push_back(Bake(style.holdName, 2.0f, false, firstJointNode, [&](float t) {
            RigPose pose = PoseFromStance(Planted(mesh, Breathing(style.body, t, 2.0f)));
            ApplyGrip(pose, style.hold, grip);
            return pose;
        }));
        // Aiming: a held upper-body pose, short enough to play at full weight whatever the speed.
        clips.push_back(Bake(style.aimName, 0.1f, false, firstJointNode, [&](float) {
            RigPose pose = PoseFromStance(style.body);
            ApplyGrip(pose, style.aim, grip);
            return pose;
        }));
    }
    return clips;
}
