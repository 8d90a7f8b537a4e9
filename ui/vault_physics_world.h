#pragma once
// The vault's small rigid-body simulation: every item lying in the vault is one oriented box that
// falls, bounces and slides on the floor and the four walls of a box-shaped room, pushes other
// boxes apart (as spheres) and falls asleep at rest. Stepped once per frame at a fixed internal
// step, in 32-bit floats with a fixed operation order, so a run repeats to the bit. Bodies are
// addressed by the index AddBox returned; a removed body keeps its index. Main thread only.
#include <cstdint>
#include <vector>

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

namespace vault {

struct PhysicsSettings {
    float gravity = 9.81f;           // m/s², on the y velocity
    float restitution = 0.42f;       // bounce of a fast floor or wall impact
    float friction = 0.55f;          // Coulomb coefficient: floor, walls and body pairs
    float bounceThreshold = 0.35f;   // approach speed (m/s) above which an impact bounces
    float linearDamping = 0.05f;     // per second, exponential
    float angularDamping = 0.35f;    // per second, exponential
    float fixedStep = 1.0f / 240.0f; // one sub-step, s
    int32_t iterations = 4;          // solver passes of the room contacts per sub-step
    float sleepSpeed = 0.06f;        // m/s
    float sleepSpin = 0.2f;          // rad/s
    float sleepTime = 0.45f;         // s below both before a body sleeps
};

// The room: walls at min/max x and z, the floor at min y. Max y takes part in no contact.
struct PhysicsBounds {
    glm::vec3 min{-5.0f, 0.0f, -3.5f};
    glm::vec3 max{5.0f, 4.0f, 3.5f};
};

struct PhysicsBody {
    glm::vec3 halfExtents{0.2f};                   // each at least 0.01
    glm::vec3 position{0.0f};                      // the box centre
    glm::quat orientation{1.0f, 0.0f, 0.0f, 0.0f}; // body frame to world frame
    glm::vec3 velocity{0.0f};
    glm::vec3 angularVelocity{0.0f};               // world frame, rad/s
    float inverseMass = 1.0f;
    glm::vec3 inverseInertia{1.0f};                // principal moments, body frame
    int32_t asleep = 0;
    float restTimer = 0.0f;
    uint8_t active = 1;                            // 0 once removed
};

// A body's contact with the floor or a wall in one sub-step: the fastest approach of its corners
// and where it was seen; once a body has touched anything, only impacts of 0.8 m/s or more. A
// body whose first touch is another body reports that touch too (first touch 1, the pair's
// approach speed, the point between the two centres), so that it still counts as landed.
struct PhysicsImpact {
    int32_t body = -1;
    float speed = 0.0f;      // m/s
    glm::vec3 point{0.0f};   // where it touched
    uint8_t firstTouch = 0;  // 1 for the body's first contact ever
};

struct PhysicsWorld {
    PhysicsSettings settings;
    PhysicsBounds bounds;
    std::vector<PhysicsBody> bodies;
    // Per body: set on its first touch of the floor, a wall or another body, never cleared.
    std::vector<uint8_t> touched;
    float accumulator = 0.0f;  // s of simulation not yet stepped
    uint8_t floor = 1;         // 0 while the pit is open: bodies fall freely

    explicit PhysicsWorld(const PhysicsSettings& settings = PhysicsSettings{},
                          const PhysicsBounds& bounds = PhysicsBounds{});

    // Returns the new body's index. Mass and half extents are clamped to at least 0.001 and 0.01;
    // a zero orientation becomes the identity.
    int AddBox(const glm::vec3& halfExtents, const glm::vec3& position, const glm::quat& orientation,
               const glm::vec3& velocity, const glm::vec3& angularVelocity, float mass);
    // Advances by min(frameSeconds, 0.1) in whole fixed steps; the rest of a step carries to the
    // next frame. Impacts are appended to `impacts` when given. Returns the sub-steps run.
    int Step(float frameSeconds, std::vector<PhysicsImpact>* impacts);
    // Runs trunc(seconds / fixed step) sub-steps without impacts, stopping as soon as every body
    // is asleep or inactive; the accumulator is untouched. Returns the sub-steps run.
    int Settle(float seconds);
    bool AllAsleep() const;
    void Clear();
    // Wakes an active body, sets its velocity and keeps 1 - clamp(spinDamping, 0, 1) of its spin.
    void SetVelocity(int index, const glm::vec3& velocity, float spinDamping);
    // The body stays in the list, keeps its index and takes no further part; every body wakes.
    void RemoveBody(int index);
    // Taking the floor away wakes every body.
    void SetFloor(bool present);

    // One sub-step of length h: forces, room contacts, body pairs, integration.
    void SubStep(float h, std::vector<PhysicsImpact>* impacts);
};

}  // namespace vault
