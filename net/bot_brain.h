#pragma once
// The mind of a server-side bot: once a tick it turns what the bot perceives into one input
// command, exactly the record a human client would send. It chooses and remembers a target, turns
// toward it at a limited rate with an aim error, fires in bursts inside a cone and the held
// weapon's range band, switches weapons by range, keeps its distance, strafes, dodges, reloads,
// uses its power, follows navigation paths and frees itself when stuck.
//
// Every random decision is a hash of the bot's seed and the server time, so a bot is
// deterministic given the same inputs. Think runs on worker threads, one bot per job, and writes
// only its own brain and command.
#include <array>
#include <cstdint>

#include <glm/vec3.hpp>

#include "game/collision_world.h"
#include "game/input_command.h"
#include "game/player_state.h"
#include "game/tuning.h"
#include "net/nav_graph.h"

namespace net {

constexpr int kMaxBotTargets = 256;
constexpr int kBotPathCapacity = 32;

// One enemy as the bot perceives it this tick.
struct BotTarget {
    int32_t id = -1;                        // the other slot's player id
    glm::vec3 aimPoint = glm::vec3(0.0f);   // feet + 0.8 of its body height
    glm::vec3 feet = glm::vec3(0.0f);
    float distance = 0.0f;                  // from the bot's eye to the aim point
    uint8_t visible = 0;
    float health = 0.0f;
    uint8_t aimingAtMe = 0;
};

// What the bot job hands to Think.
struct BotContext {
    const CollisionWorld* world = nullptr;
    const NavGraph* graph = nullptr;        // may be absent or empty: no path following then
    const tune::Tuning* tuning = nullptr;   // without it the bot does nothing
    const BotTarget* targets = nullptr;
    int32_t targetCount = 0;
    double now = 0.0;                       // server time, seconds
    float dt = 0.0f;                        // one tick
    uint8_t primaryWeapon = 0;
    uint8_t secondaryWeapon = 0;
    uint8_t power = 0;
    uint8_t skill = 1;
};

// The bot's character, drawn once from its skill profile and seed.
struct BotPersonality {
    float turnRate = 320.0f;          // degrees per second
    float turnGain = 9.0f;            // per second
    float aimError = 2.0f;            // degrees
    float aimErrorTurning = 3.0f;     // degrees
    float wobbleInterval = 0.45f;     // seconds
    float reactionTime = 0.26f;
    float switchDelay = 0.18f;
    float memory = 2.6f;
    float burstTime = 0.55f;
    float pauseTime = 0.24f;
    float fireCone = 7.0f;            // degrees
    float strafeChance = 0.65f;
    float strafePeriod = 1.05f;
    float dodgeStrength = 0.5f;
    float dodgeDelay = 0.45f;
    float dodgeInterval = 0.55f;
    float dodgeJumpChance = 0.25f;
    float closeness = 0.5f;
    float powerChance = 0.5f;
    float reloadFraction = 0.5f;
};

// The bot's persistent state, part of its client slot and reset with it.
//
// The path block is shared with the server: Think asks for a path by setting the request fields
// and the pending flag; the server's tick clears the flag and writes the path, its length, index 0
// and its goal (or an empty path with its retry times). Think advances the index as nodes are
// reached and empties the path when the bot is dead or stuck.
struct BotBrain {
    BotPersonality personality;
    uint32_t seed = 0;
    uint8_t initialised = 0;

    int32_t targetId = -1;
    double targetAcquiredTime = 0.0;
    double targetLastSeenTime = 0.0;
    glm::vec3 lastSeenPoint = glm::vec3(0.0f);
    uint8_t hasLastSeenPoint = 0;
    uint8_t reacted = 0;

    float yaw = 0.0f;    // degrees, the bot's own smoothed view
    float pitch = 0.0f;

    float wobbleX = 0.0f;
    float wobbleY = 0.0f;
    double wobbleTime = -1.0;

    uint8_t firing = 0;  // the burst phase
    double nextBurstSwitchTime = 0.0;

    std::array<int32_t, kBotPathCapacity> path{};
    int32_t pathLength = 0;
    int32_t pathIndex = 0;
    int32_t pathGoal = -1;
    double repathTime = 0.0;
    double nextPathRequestTime = 0.0;
    uint8_t pathRequestPending = 0;
    int32_t requestStartNode = -1;
    int32_t requestGoalNode = -1;  // -1 asks the server for a wander goal

    float strafeDirection = 0.0f;
    double strafeUntil = 0.0;

    float lastHealth = -1.0f;  // the hurt test needs a health seen before

    double threatStart = -1.0;
    double nextDodgeTime = 0.0;
    float dodgeDirection = 0.0f;

    glm::vec3 stuckCheckPoint = glm::vec3(0.0f);
    double stuckCheckTime = 0.0;
    double unstuckUntil = 0.0;
    float unstuckAngle = 0.0f;  // degrees from the view

    uint8_t currentWeapon = 0;
    double lastWeaponSwitchTime = 0.0;
    double nextPowerCheckTime = 0.0;
};

// The nine numbers of a skill profile.
struct BotSkillProfile {
    float reaction;
    float aimError;
    float turnRate;
    float steadiness;
    float fireCone;
    float agility;
    float dodgeDelay;
    float memory;
    float discipline;
};

// A weapon row's range band in metres.
struct BotRange {
    float ideal;
    float maximum;
    float minimum;
};

namespace Bot {

void Think(InputCommand& command, BotBrain& brain, const PlayerState& state, const BotContext& context);
// 0 RECRUIT, 1 REGULAR, 2 VETERAN; any other value is REGULAR.
BotSkillProfile SkillProfile(uint8_t skill);
BotPersonality MakePersonality(uint32_t seed, uint8_t skill);
BotRange PreferredRange(uint8_t weaponRow);
// How well a weapon row suits a distance; higher is better.
float RangeScore(uint8_t weaponRow, float distance);
// One step of turning from `current` toward `target` (degrees); the result is not wrapped.
float TurnToward(float current, float target, float maxRate, float gain, float dt);

glm::vec3 EyePoint(const PlayerState& state);
float YawTo(const glm::vec3& from, const glm::vec3& to);
float PitchTo(const glm::vec3& from, const glm::vec3& to);
float WrapAngle(float degrees);  // into [-180, 180)
float Unit(uint32_t bits);        // the low 24 bits as a fraction in [0, 1)
float RandRange(uint32_t bits, float lo, float hi);

}  // namespace Bot

}  // namespace net
