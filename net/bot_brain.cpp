#include "net/bot_brain.h"

#include <algorithm>
#include <cmath>

#include "game/deterministic_math.h"

namespace net {
namespace Bot {
namespace {

constexpr float kRadiansToDegrees = 57.29578f;
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kDegreesToTurnUnits = 182.04445f;  // 65536 / 360
constexpr float kEyeHeightFactor = 0.92f;
constexpr float kCurrentTargetWeight = 0.65f;
constexpr double kForgetfulSwitch = 1.0;  // a target lost this long ago is replaced without delay
constexpr double kThreatLinger = 1.2;
constexpr double kWeaponSwitchPause = 1.2;
constexpr float kSwitchAdvantage = 1.5f;
constexpr float kAimLowering = 0.12f;
constexpr float kReachedNode = 1.1f;
constexpr float kChaseRange = 32.0f;
constexpr double kPathRequestPause = 0.3;
constexpr double kChaseRepath = 1.5;
constexpr double kWanderRepath = 30.0;
constexpr float kStuckDistance = 0.05f;
constexpr double kStuckTime = 0.7;
constexpr double kUnstuckTime = 0.8;
constexpr float kUnstuckSpread = 140.0f;
constexpr float kSprintLength = 0.7f;

uint32_t Truncated(double value) { return static_cast<uint32_t>(static_cast<int64_t>(value)); }

float HorizontalDistance(const glm::vec3& a, const glm::vec3& b)
{
    const float dx = b.x - a.x;
    const float dz = b.z - a.z;
    return std::sqrt(dx * dx + dz * dz);
}

// Straight toward (or away from) a point on the x-z plane, as a unit direction.
glm::vec3 Heading(const glm::vec3& from, const glm::vec3& to)
{
    const float dx = to.x - from.x;
    const float dz = to.z - from.z;
    const float length = std::sqrt(dx * dx + dz * dz);
    return length > 0.0f ? glm::vec3(dx / length, 0.0f, dz / length) : glm::vec3(0.0f);
}

int8_t AxisByte(float value) { return static_cast<int8_t>(std::clamp(value, -1.0f, 1.0f) * 127.0f); }

uint16_t YawUnits(float degrees)
{
    float wrapped = std::fmod(degrees, 360.0f);
    if (wrapped < 0.0f) {
        wrapped += 360.0f;
    }
    return static_cast<uint16_t>(static_cast<int32_t>(wrapped * kDegreesToTurnUnits));
}

int16_t PitchUnits(float degrees) { return static_cast<int16_t>(static_cast<int32_t>(degrees * kDegreesToTurnUnits)); }

bool PowerWanted(uint8_t power, const BotTarget* chosen, const PlayerState& state)
{
    switch (power) {
    case kPowerGrenade:
        return chosen != nullptr && chosen->distance > 8.0f && chosen->distance < 30.0f;
    case kPowerSentry:
        return chosen == nullptr && state.onGround != 0;
    case kPowerInvisible:
        return state.health < 45;
    case kPowerShield:
        return chosen != nullptr && chosen->distance > 10.0f;
    case kPowerHealthBomb:
        return state.health < 60;
    default:
        return false;
    }
}

}  // namespace

float WrapAngle(float degrees)
{
    float a = std::fmod(degrees + 180.0f, 360.0f);
    if (a < 0.0f) {
        a += 360.0f;
    }
    return a - 180.0f;
}

float Unit(uint32_t bits) { return static_cast<float>(bits & 0xFFFFFFu) * 5.960465e-8f; }

float RandRange(uint32_t bits, float lo, float hi) { return lo + Unit(bits) * (hi - lo); }

glm::vec3 EyePoint(const PlayerState& state)
{
    return state.position + glm::vec3(0.0f, kEyeHeightFactor * state.height, 0.0f);
}

float YawTo(const glm::vec3& from, const glm::vec3& to)
{
    return DetAtan2(from.x - to.x, from.z - to.z) * kRadiansToDegrees;
}

float PitchTo(const glm::vec3& from, const glm::vec3& to)
{
    return DetAtan2(to.y - from.y, std::max(HorizontalDistance(from, to), 0.0001f)) * kRadiansToDegrees;
}

float TurnToward(float current, float target, float maxRate, float gain, float dt)
{
    const float limit = maxRate * dt;
    const float step = std::clamp(WrapAngle(target - current) * std::min(1.0f, gain * dt), -limit, limit);
    return current + step;
}

BotSkillProfile SkillProfile(uint8_t skill)
{
    static constexpr BotSkillProfile kProfiles[3] = {
        {0.46f, 4.6f, 185.0f, 0.3f, 10.5f, 0.15f, 0.9f, 1.3f, 0.2f},   // RECRUIT
        {0.26f, 2.1f, 310.0f, 0.6f, 7.0f, 0.5f, 0.45f, 2.6f, 0.55f},   // REGULAR
        {0.15f, 0.95f, 445.0f, 0.88f, 5.5f, 0.92f, 0.2f, 4.2f, 0.9f},  // VETERAN
    };
    return kProfiles[skill <= 2 ? skill : 1];
}

BotRange PreferredRange(uint8_t weaponRow)
{
    switch (weaponRow) {
    case kWeaponM4: return {20.0f, 55.0f, 0.0f};
    case kWeaponShotgun: return {5.0f, 14.0f, 0.0f};
    case kWeaponLaser: return {14.0f, 32.0f, 0.0f};
    case kWeaponFlamer: return {3.5f, 7.0f, 0.0f};
    case kWeaponRpg: return {16.0f, 38.0f, 9.0f};
    case kWeaponSniper: return {40.0f, 200.0f, 12.0f};
    case kWeaponLmg: return {16.0f, 38.0f, 0.0f};
    case kWeaponSmg: return {9.0f, 24.0f, 0.0f};
    case kWeaponPistol: return {11.0f, 30.0f, 0.0f};
    default: return {15.0f, 40.0f, 0.0f};
    }
}

float RangeScore(uint8_t weaponRow, float distance)
{
    if (weaponRow == kWeaponNone) {
        return -1000.0f;
    }
    const BotRange range = PreferredRange(weaponRow);
    if (distance > range.maximum) {
        return -100.0f - (distance - range.maximum);
    }
    if (distance >= range.minimum) {
        return 10.0f - std::fabs(distance - range.ideal) / std::max(range.maximum - range.minimum, 4.0f) * 10.0f;
    }
    return -50.0f - (range.minimum - distance);
}

BotPersonality MakePersonality(uint32_t seed, uint8_t skill)
{
    const uint32_t h = HashMix((static_cast<uint32_t>(skill) * 0x9E3779B9u) ^ seed);
    const BotSkillProfile p = SkillProfile(skill);
    BotPersonality out;
    out.turnRate = RandRange(h >> 9, 0.85f, 1.2f) * p.turnRate;
    out.turnGain = RandRange(h >> 11, 6.0f, 9.0f) * (p.steadiness * 0.8f + 0.8f);
    out.aimError = RandRange(h >> 5, 0.78f, 1.3f) * p.aimError;
    out.aimErrorTurning = RandRange(h >> 7, 1.4f, 2.2f) * out.aimError;
    out.wobbleInterval = RandRange(h >> 13, 0.3f, 0.65f);
    out.reactionTime = RandRange(h, 0.8f, 1.25f) * p.reaction;
    out.switchDelay = RandRange(h >> 3, 0.45f, 0.95f) * p.reaction;
    out.memory = RandRange(h >> 15, 0.8f, 1.3f) * p.memory;
    out.burstTime = RandRange(h >> 17, 0.35f, 0.8f);
    out.pauseTime = RandRange(h >> 19, 0.14f, 0.34f) * (1.8f - p.steadiness);
    out.fireCone = RandRange(h >> 21, 0.85f, 1.15f) * p.fireCone;
    out.strafeChance = std::min(1.0f, RandRange(h >> 23, 0.8f, 1.2f) * (p.agility * 0.8f + 0.25f));
    out.strafePeriod = RandRange(h >> 2, 0.7f, 1.6f) * (1.4f - p.agility * 0.6f);
    out.dodgeStrength = RandRange(h >> 4, 0.85f, 1.15f) * p.agility;
    out.dodgeDelay = RandRange(h >> 6, 0.8f, 1.25f) * p.dodgeDelay;
    out.dodgeInterval = RandRange(h >> 8, 0.35f, 0.75f);
    out.dodgeJumpChance = RandRange(h >> 10, 0.0f, 0.5f) * p.agility;
    out.closeness = RandRange(h >> 12, 0.15f, 0.9f);
    out.powerChance = RandRange(h >> 16, 0.8f, 1.2f) * (p.discipline * 0.7f + 0.2f);
    out.reloadFraction = RandRange(h >> 18, 0.85f, 1.2f) * (p.discipline * 0.32f + 0.12f);
    return out;
}

void Think(InputCommand& command, BotBrain& brain, const PlayerState& state, const BotContext& context)
{
    command = InputCommand{};
    command.tick = state.lastCommandTick;
    command.claimedViewTick = kNoViewTick;
    if (context.tuning == nullptr) {
        return;
    }
    const tune::Tuning& tuning = *context.tuning;
    const double now = context.now;
    const BotPersonality& me = brain.personality;

    if (!brain.initialised) {
        brain.personality = MakePersonality(brain.seed, context.skill);
        brain.yaw = state.yaw;
        brain.pitch = state.pitch;
        brain.currentWeapon = context.primaryWeapon != 0 ? context.primaryWeapon : uint8_t{kWeaponM4};
        brain.stuckCheckPoint = state.position;
        brain.stuckCheckTime = now;
        brain.initialised = 1;
    }

    if (state.respawnTicks > 0 || state.health == 0) {
        command.weapon = brain.currentWeapon;
        command.power = context.power;
        command.yaw = YawUnits(state.yaw);
        command.pitch = PitchUnits(state.pitch);
        brain.targetId = -1;
        brain.reacted = 0;
        brain.firing = 0;
        brain.pathLength = 0;
        brain.pathIndex = 0;
        brain.pathGoal = -1;
        return;
    }

    const float dt = std::max(context.dt, 0.0001f);
    const glm::vec3 eye = EyePoint(state);
    const glm::vec3 feet = state.position;
    const int count = context.targets != nullptr ? std::clamp(context.targetCount, 0, kMaxBotTargets) : 0;
    const BotTarget* targets = context.targets;

    // Target choice among the visible.
    const BotTarget* chosen = nullptr;
    float chosenScore = 0.0f;
    for (int i = 0; i < count; ++i) {
        const BotTarget& t = targets[i];
        if (!t.visible) {
            continue;
        }
        const float score =
            t.distance * (t.id == brain.targetId ? kCurrentTargetWeight : 1.0f) * (t.health * 0.0025f + 0.75f);
        if (chosen == nullptr || score < chosenScore) {
            chosen = &t;
            chosenScore = score;
        }
    }
    if (chosen == nullptr) {
        if (brain.targetId >= 0 && now - brain.targetLastSeenTime > me.memory) {
            brain.targetId = -1;
            brain.hasLastSeenPoint = 0;
            brain.reacted = 0;
        }
    } else {
        if (chosen->id != brain.targetId) {
            const bool fresh = brain.targetId < 0 || now - brain.targetLastSeenTime >= kForgetfulSwitch;
            brain.targetAcquiredTime = fresh ? now : now + me.switchDelay;
            brain.reacted = 0;
            brain.targetId = chosen->id;
        }
        brain.targetLastSeenTime = now;
        brain.lastSeenPoint = chosen->aimPoint;
        brain.hasLastSeenPoint = 1;
        if (!brain.reacted && now - brain.targetAcquiredTime >= me.reactionTime) {
            brain.reacted = 1;
        }
    }

    // Threat: hurt since the last tick, or somebody visible aims this way.
    const float health = static_cast<float>(state.health);
    bool threatened = brain.lastHealth >= 0.0f && health < brain.lastHealth - 0.01f;
    for (int i = 0; i < count && !threatened; ++i) {
        threatened = targets[i].visible && targets[i].aimingAtMe;
    }
    brain.lastHealth = health;
    if (threatened && brain.threatStart < 0.0) {
        brain.threatStart = now;
    }
    if (!threatened && now - brain.threatStart > kThreatLinger) {
        brain.threatStart = -1.0;
    }

    // Weapon choice by range.
    const BotTarget* tracked = nullptr;
    for (int i = 0; i < count && tracked == nullptr; ++i) {
        if (targets[i].id == brain.targetId) {
            tracked = &targets[i];
        }
    }
    float rangeToTarget = 1.0e9f;
    if (tracked != nullptr) {
        rangeToTarget = tracked->distance;
    } else if (brain.hasLastSeenPoint) {
        const glm::vec3 d = brain.lastSeenPoint - eye;
        rangeToTarget = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    }
    if (now - brain.lastWeaponSwitchTime > kWeaponSwitchPause && count > 0 && rangeToTarget < 1.0e8f) {
        const uint8_t other =
            brain.currentWeapon == context.primaryWeapon ? context.secondaryWeapon : context.primaryWeapon;
        if (RangeScore(other, rangeToTarget) > RangeScore(brain.currentWeapon, rangeToTarget) + kSwitchAdvantage) {
            brain.currentWeapon = other;
            brain.lastWeaponSwitchTime = now;
        }
    }
    const uint8_t row = brain.currentWeapon < kWeaponRowCount ? brain.currentWeapon : 0;
    const BotRange range = PreferredRange(row);

    // Aim.
    bool hasAim = false;
    glm::vec3 aimPoint(0.0f);
    if (brain.reacted && chosen != nullptr) {
        hasAim = true;
        aimPoint = chosen->aimPoint - glm::vec3(0.0f, kAimLowering, 0.0f);
    } else if (brain.hasLastSeenPoint && brain.targetId >= 0) {
        hasAim = true;
        aimPoint = brain.lastSeenPoint;
    }
    float desiredYaw = hasAim ? YawTo(eye, aimPoint) : brain.yaw;
    float desiredPitch = hasAim ? PitchTo(eye, aimPoint) : brain.pitch;

    if (brain.wobbleTime < 0.0 || now - brain.wobbleTime > me.wobbleInterval) {
        const uint32_t h = HashMix(Truncated(now * 1000.0) ^ brain.seed);
        brain.wobbleX = RandRange(h, -1.0f, 1.0f);
        brain.wobbleY = RandRange(h >> 12, -1.0f, 1.0f);
        brain.wobbleTime = now;
    }
    if (hasAim) {
        const float t = std::min(1.0f, std::fabs(WrapAngle(desiredYaw - brain.yaw)) * 0.04f);
        const float error = (1.0f - t) * me.aimError + t * me.aimErrorTurning;
        desiredYaw += error * brain.wobbleX;
        desiredPitch += error * brain.wobbleY * 0.6f - error * 0.15f;
    }
    brain.yaw = TurnToward(brain.yaw, desiredYaw, me.turnRate, me.turnGain, dt);
    brain.pitch = std::clamp(TurnToward(brain.pitch, desiredPitch, me.turnRate, me.turnGain, dt),
                             tuning.camera.minPitch, tuning.camera.maxPitch);

    // Fire inside the cone and the range band; automatic rows in bursts.
    bool fire = false;
    bool inCone = false;
    if (brain.reacted && chosen != nullptr) {
        const float yawError = std::fabs(WrapAngle(YawTo(eye, chosen->aimPoint) - brain.yaw));
        const bool inRange = range.minimum * 0.6f <= chosen->distance && chosen->distance <= range.maximum;
        inCone = yawError < me.fireCone && inRange;
    }
    if (inCone) {
        if (!tuning.weapons[row].automatic) {
            fire = true;
        } else {
            if (now >= brain.nextBurstSwitchTime) {
                brain.firing = brain.firing ? 0 : 1;
                brain.nextBurstSwitchTime = now + (brain.firing ? me.burstTime : me.pauseTime);
            }
            fire = brain.firing != 0;
        }
    } else {
        brain.firing = 0;
    }

    const int magazine = tuning.weapons[row].magazineSize;
    const bool reload = magazine > 0 && state.reloadTicks == 0 &&
                        (state.ammo == 0 || (static_cast<float>(state.ammo) / static_cast<float>(magazine) <
                                                 me.reloadFraction &&
                                             chosen == nullptr));

    // Distance keeping toward the tracked target or where it was last seen.
    bool moveIntent = false;
    glm::vec3 move(0.0f);
    if (tracked != nullptr && (chosen != nullptr || brain.hasLastSeenPoint)) {
        const glm::vec3 goal = chosen != nullptr ? chosen->feet : brain.lastSeenPoint;
        const float d = HorizontalDistance(feet, goal);
        if (d > 0.5f) {
            const float far = (1.0f - me.closeness) * range.ideal * 1.5f + range.ideal * 0.72f * me.closeness;
            const float near = (1.0f - me.closeness) * range.ideal * 0.875f + range.ideal * 0.42f * me.closeness;
            moveIntent = true;
            if (d > far) {
                move = Heading(feet, goal);
            } else if (d < near) {
                move = -Heading(feet, goal);
            }
        }
    }

    float strafe = 0.0f;
    if (chosen != nullptr && brain.reacted) {
        if (now >= brain.strafeUntil) {
            const uint32_t h = HashMix(brain.seed * 31u + Truncated(now * 7.0));
            brain.strafeDirection = Unit(h) < me.strafeChance ? (Unit(h >> 8) >= 0.5f ? 1.0f : -1.0f) : 0.0f;
            brain.strafeUntil = now + RandRange(h >> 16, 0.6f, 1.4f) * me.strafePeriod;
        }
        strafe = brain.strafeDirection;
    }

    float lateral = strafe;
    bool dodgeJump = false;
    if (brain.threatStart >= 0.0 && me.dodgeStrength > 0.01f && now - brain.threatStart >= me.dodgeDelay) {
        if (now >= brain.nextDodgeTime) {
            const uint32_t h = HashMix(brain.seed * 0x1E25u + Truncated(now * 11.0));
            const float flipped = brain.dodgeDirection < 0.0f ? 1.0f : -1.0f;
            brain.dodgeDirection = Unit(h) >= 0.75f ? -flipped : flipped;
            brain.nextDodgeTime = now + RandRange(h >> 9, 0.7f, 1.3f) * me.dodgeInterval;
            dodgeJump = Unit(h >> 18) < me.dodgeJumpChance * 0.35f;
        }
        lateral = std::clamp(me.dodgeStrength * brain.dodgeDirection + strafe, -1.0f, 1.0f);
    }

    // Path following when nothing else moves the bot.
    const NavGraph* graph = context.graph;
    if (!moveIntent && graph != nullptr && !graph->nodes.empty()) {
        const int current = graph->Nearest(feet);
        const BotTarget* chase = nullptr;
        for (int i = 0; i < count; ++i) {
            if (chase == nullptr || targets[i].distance < chase->distance) {
                chase = &targets[i];
            }
        }
        if (chase != nullptr && chase->distance > kChaseRange && !chase->visible) {
            chase = nullptr;
        }
        if (current >= 0 && (brain.pathIndex >= brain.pathLength || now > brain.repathTime) &&
            now >= brain.nextPathRequestTime && !brain.pathRequestPending) {
            brain.nextPathRequestTime = now + kPathRequestPause;
            int goal = -1;
            if (chase != nullptr) {
                goal = graph->Nearest(chase->feet);
                brain.repathTime = now + kChaseRepath;
            } else {
                brain.repathTime = now + kWanderRepath;
            }
            if (chase == nullptr || goal != current) {
                brain.pathRequestPending = 1;
                brain.requestStartNode = current;
                brain.requestGoalNode = goal;
            }
        }
        if (brain.pathIndex >= 0 && brain.pathIndex < brain.pathLength && brain.pathLength <= kBotPathCapacity) {
            const int node = brain.path[static_cast<size_t>(brain.pathIndex)];
            if (node >= 0 && node < static_cast<int>(graph->nodes.size())) {
                const NavNode& n = graph->nodes[static_cast<size_t>(node)];
                const glm::vec3 point(n.x, n.y, n.z);
                if (HorizontalDistance(feet, point) < kReachedNode) {
                    ++brain.pathIndex;
                } else {
                    moveIntent = true;
                    move = Heading(feet, point);
                    if (!hasAim) {
                        brain.yaw = TurnToward(brain.yaw, YawTo(feet, point), me.turnRate * 0.5f, me.turnGain * 0.4f, dt);
                        brain.pitch = TurnToward(brain.pitch, 0.0f, 60.0f, 2.0f, dt);
                    }
                }
            } else {
                ++brain.pathIndex;  // a node the graph does not hold: skip it
            }
        }
    }

    // Getting unstuck: meaning to move but not moving.
    const glm::vec3 moved = feet - brain.stuckCheckPoint;
    if (std::sqrt(moved.x * moved.x + moved.y * moved.y + moved.z * moved.z) > kStuckDistance || !moveIntent) {
        brain.stuckCheckPoint = feet;
        brain.stuckCheckTime = now;
    } else if (now - brain.stuckCheckTime > kStuckTime && now > brain.unstuckUntil) {
        brain.unstuckAngle = RandRange(HashMix(Truncated(now * 13.0) ^ brain.seed), -kUnstuckSpread, kUnstuckSpread);
        brain.pathLength = 0;
        brain.pathIndex = 0;
        brain.pathGoal = -1;
        brain.repathTime = 0.0;
        brain.unstuckUntil = now + kUnstuckTime;
        brain.stuckCheckPoint = feet;
        brain.stuckCheckTime = now;
    }

    // The command.
    command.weapon = brain.currentWeapon;
    command.power = context.power;
    command.yaw = YawUnits(brain.yaw);
    command.pitch = PitchUnits(brain.pitch);

    float forward = 0.0f;
    float side = lateral;
    if (moveIntent && std::sqrt(move.x * move.x + move.z * move.z) > 0.01f) {
        const float yawRadians = brain.yaw * kDegreesToRadians;
        const float s = DetSin(yawRadians);
        const float c = DetCos(yawRadians);
        forward = -(c * move.z + s * move.x);
        side = c * move.x - s * move.z + lateral;
    }
    if (now < brain.unstuckUntil) {
        const float angle = brain.unstuckAngle * kDegreesToRadians;
        forward = DetCos(angle);
        side = DetSin(angle);
    }
    const float length = std::sqrt(forward * forward + side * side);
    if (length > 1.0f) {
        forward /= length;
        side /= length;
    }
    command.forward = AxisByte(forward);
    command.side = AxisByte(side);

    if (reload) {
        command.buttons |= kButtonReload;
    } else if (fire) {
        command.buttons |= kButtonFire;
    }
    if (dodgeJump && state.onGround) {
        command.buttons |= kButtonJump;
    }
    if (chosen == nullptr && length > kSprintLength) {
        command.buttons |= kButtonSprint;
    }
    if (now > brain.nextPowerCheckTime && state.powerCooldown == 0 &&
        PowerWanted(context.power, chosen, state)) {
        const uint32_t h = HashMix(brain.seed * 0x13AFu + Truncated(now * 3.0));
        if (Unit(h) < me.powerChance) {
            command.buttons |= kButtonPower;
            brain.nextPowerCheckTime = now + 2.0;
        } else {
            brain.nextPowerCheckTime = now + 0.5;
        }
    }
}

}  // namespace Bot
}  // namespace net
