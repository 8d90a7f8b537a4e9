#include "ui/vault_physics_world.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>

#include "game/deterministic_math.h"

namespace vault {
namespace {

constexpr float kMaxFrameSeconds = 0.1f;
constexpr float kMinHalfExtent = 0.01f;
constexpr float kMinMass = 0.001f;
constexpr float kQuietImpactSpeed = 0.8f;  // a body that has touched before reports only faster impacts
constexpr float kPairSlop = 0.004f;        // sphere overlap left in place, so resting pairs stay in contact
constexpr float kPairWakeSpeed = 0.5f;
constexpr float kPairBounce = 1.2f;

struct Plane {
    glm::vec3 normal;
    float offset;  // a point p is inside when dot(p, normal) >= offset
};

// The four walls, then the floor while there is one: the order in which contacts are solved.
int RoomPlanes(const PhysicsBounds& bounds, bool floor, Plane planes[5])
{
    planes[0] = {glm::vec3(1.0f, 0.0f, 0.0f), bounds.min.x};
    planes[1] = {glm::vec3(-1.0f, 0.0f, 0.0f), -bounds.max.x};
    planes[2] = {glm::vec3(0.0f, 0.0f, 1.0f), bounds.min.z};
    planes[3] = {glm::vec3(0.0f, 0.0f, -1.0f), -bounds.max.z};
    if (!floor) {
        return 4;
    }
    planes[4] = {glm::vec3(0.0f, 1.0f, 0.0f), bounds.min.y};
    return 5;
}

// Corner k has the sign of +x for bit 0, +y for bit 1 and +z for bit 2.
void CornerOffsets(const glm::mat3& rotation, const glm::vec3& half, glm::vec3 offsets[8])
{
    for (int k = 0; k < 8; ++k) {
        const glm::vec3 local((k & 1) ? half.x : -half.x, (k & 2) ? half.y : -half.y, (k & 4) ? half.z : -half.z);
        offsets[k] = rotation * local;
    }
}

glm::quat NormalisedOrIdentity(const glm::quat& q)
{
    const float lengthSquared = q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z;
    const float length = std::sqrt(lengthSquared);
    if (!(length > 0.0f) || !std::isfinite(length)) {
        return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    }
    return glm::quat(q.w / length, q.x / length, q.y / length, q.z / length);
}

// Inverse mass plus the rotational part of the effective mass along unit direction u at offset r.
float EffectiveMassTerm(const PhysicsBody& body, const glm::mat3& worldInverseInertia, const glm::vec3& r,
                        const glm::vec3& u)
{
    return body.inverseMass + glm::dot(u, glm::cross(worldInverseInertia * glm::cross(r, u), r));
}

void ApplyImpulse(PhysicsBody& body, const glm::mat3& worldInverseInertia, const glm::vec3& r, const glm::vec3& impulse)
{
    body.velocity += impulse * body.inverseMass;
    body.angularVelocity += worldInverseInertia * glm::cross(r, impulse);
}

void Wake(PhysicsBody& body)
{
    body.asleep = 0;
    body.restTimer = 0.0f;
}

// Sequential impulses on the corners that reach a wall or the floor within this sub-step. Returns
// whether any corner was in contact; `impactSpeed` and `impactPoint` are the fastest approach of
// the first pass and where it was seen.
bool SolveRoomContacts(PhysicsBody& body, const PhysicsSettings& settings, const Plane* planes, int planeCount,
                       float h, float& impactSpeed, glm::vec3& impactPoint)
{
    const glm::mat3 rotation = glm::mat3_cast(body.orientation);
    glm::vec3 offsets[8];
    CornerOffsets(rotation, body.halfExtents, offsets);
    const glm::mat3 inverseMoments(glm::vec3(body.inverseInertia.x, 0.0f, 0.0f),
                                   glm::vec3(0.0f, body.inverseInertia.y, 0.0f),
                                   glm::vec3(0.0f, 0.0f, body.inverseInertia.z));
    const glm::mat3 worldInverseInertia = rotation * inverseMoments * glm::transpose(rotation);
    const float cornerReach = glm::length(body.halfExtents);
    bool inContact = false;
    impactSpeed = 0.0f;
    impactPoint = body.position;
    for (int iteration = 0; iteration < settings.iterations; ++iteration) {
        for (int p = 0; p < planeCount; ++p) {
            const glm::vec3 n = planes[p].normal;
            // No corner can reach a plane that lies further than the corners' reach plus what the
            // fastest of them travels in one sub-step: such a plane would skip every corner below,
            // so passing it over changes no result. The margin dwarfs any rounding.
            const float fastest = glm::length(body.velocity) + glm::length(body.angularVelocity) * cornerReach;
            if ((glm::dot(body.position, n) - planes[p].offset) - cornerReach - fastest * h > 1e-3f) {
                continue;
            }
            for (int corner = 0; corner < 8; ++corner) {
                const glm::vec3 r = offsets[corner];
                const glm::vec3 point = body.position + r;
                glm::vec3 cornerVelocity = body.velocity + glm::cross(body.angularVelocity, r);
                const float vn = glm::dot(cornerVelocity, n);
                const float separation = (glm::dot(point, n) - planes[p].offset) + vn * h;
                if (separation > 0.0f || vn >= 0.0f) {
                    continue;
                }
                if (!inContact) {
                    impactPoint = point;
                }
                inContact = true;
                float restitution = 0.0f;
                if (iteration == 0) {
                    if (-vn > settings.bounceThreshold) {
                        restitution = settings.restitution;
                    }
                    if (-vn > impactSpeed) {
                        impactSpeed = -vn;
                        impactPoint = point;
                    }
                }
                float j = 0.0f;
                const float k = EffectiveMassTerm(body, worldInverseInertia, r, n);
                if (k > 1e-8f) {
                    j = (1.0f + restitution) * vn / k;
                    ApplyImpulse(body, worldInverseInertia, r, -j * n);
                }
                cornerVelocity = body.velocity + glm::cross(body.angularVelocity, r);
                const glm::vec3 tangential = cornerVelocity - glm::dot(cornerVelocity, n) * n;
                const float tangentialSpeed = glm::length(tangential);
                if (tangentialSpeed > 1e-5f) {
                    const glm::vec3 t = tangential / tangentialSpeed;
                    const float kt = EffectiveMassTerm(body, worldInverseInertia, r, t);
                    if (kt > 1e-8f) {
                        ApplyImpulse(body, worldInverseInertia, r, -t * std::min(-j * settings.friction, tangentialSpeed / kt));
                    }
                }
            }
        }
    }
    return inContact;
}

}  // namespace

PhysicsWorld::PhysicsWorld(const PhysicsSettings& settingsIn, const PhysicsBounds& boundsIn)
    : settings(settingsIn), bounds(boundsIn)
{
    if (!(settings.fixedStep > 0.0f) || !std::isfinite(settings.fixedStep)) {
        std::printf("[vault] physics step %g is not a positive time; the world will not move\n",
                    double(settings.fixedStep));
    }
}

int PhysicsWorld::AddBox(const glm::vec3& halfExtents, const glm::vec3& position, const glm::quat& orientation,
                         const glm::vec3& velocity, const glm::vec3& angularVelocity, float mass)
{
    PhysicsBody body;
    // Written so that a NaN also takes the minimum.
    for (int axis = 0; axis < 3; ++axis) {
        body.halfExtents[axis] = halfExtents[axis] >= kMinHalfExtent ? halfExtents[axis] : kMinHalfExtent;
    }
    const float m = mass >= kMinMass ? mass : kMinMass;
    body.position = position;
    body.orientation = NormalisedOrIdentity(orientation);
    body.velocity = velocity;
    body.angularVelocity = angularVelocity;
    body.inverseMass = 1.0f / m;
    const float a = body.halfExtents.x;
    const float b = body.halfExtents.y;
    const float c = body.halfExtents.z;
    body.inverseInertia = glm::vec3(1.0f / (m * (b * b + c * c) / 3.0f), 1.0f / (m * (a * a + c * c) / 3.0f),
                                    1.0f / (m * (a * a + b * b) / 3.0f));
    body.asleep = 0;
    body.restTimer = 0.0f;
    body.active = 1;
    bodies.push_back(body);
    touched.push_back(0);
    return int(bodies.size()) - 1;
}

int PhysicsWorld::Step(float frameSeconds, std::vector<PhysicsImpact>* impacts)
{
    const float h = settings.fixedStep;
    if (!(h > 0.0f) || !std::isfinite(h)) {
        return 0;
    }
    // A frame time that is negative or not a number counts as none, so it cannot stall the world.
    if (!(frameSeconds > 0.0f)) {
        frameSeconds = 0.0f;
    }
    accumulator += std::min(frameSeconds, kMaxFrameSeconds);
    int steps = 0;
    while (accumulator >= h) {
        accumulator -= h;
        SubStep(h, impacts);
        ++steps;
    }
    return steps;
}

int PhysicsWorld::Settle(float seconds)
{
    const float h = settings.fixedStep;
    if (!(h > 0.0f) || !std::isfinite(h)) {
        return 0;
    }
    const float quotient = seconds / h;
    // Guards the conversion: a negative, NaN or absurd time runs nothing or stops at the int range.
    const int count = quotient >= 1.0f ? (quotient < 2147483520.0f ? int(quotient) : 2147483520) : 0;
    int steps = 0;
    while (steps < count && !AllAsleep()) {
        SubStep(h, nullptr);
        ++steps;
    }
    return steps;
}

bool PhysicsWorld::AllAsleep() const
{
    for (const PhysicsBody& body : bodies) {
        if (body.active && !body.asleep) {
            return false;
        }
    }
    return true;
}

void PhysicsWorld::Clear()
{
    bodies.clear();
    touched.clear();
    accumulator = 0.0f;
}

void PhysicsWorld::SetVelocity(int index, const glm::vec3& velocity, float spinDamping)
{
    if (index < 0 || index >= int(bodies.size()) || !bodies[size_t(index)].active) {
        return;
    }
    PhysicsBody& body = bodies[size_t(index)];
    Wake(body);
    body.velocity = velocity;
    const float damping = spinDamping > 0.0f ? (spinDamping < 1.0f ? spinDamping : 1.0f) : 0.0f;
    body.angularVelocity *= 1.0f - damping;
}

void PhysicsWorld::RemoveBody(int index)
{
    if (index < 0 || index >= int(bodies.size())) {
        return;
    }
    bodies[size_t(index)].active = 0;
    for (PhysicsBody& body : bodies) {
        Wake(body);
    }
}

void PhysicsWorld::SetFloor(bool present)
{
    const uint8_t value = present ? 1 : 0;
    if (value == floor) {
        return;
    }
    floor = value;
    if (!present) {
        for (PhysicsBody& body : bodies) {
            Wake(body);
        }
    }
}

void PhysicsWorld::SubStep(float h, std::vector<PhysicsImpact>* impacts)
{
    const size_t count = bodies.size();

    const float linearKeep = DetExp(-(h * settings.linearDamping));
    const float angularKeep = DetExp(-(h * settings.angularDamping));
    for (PhysicsBody& body : bodies) {
        if (!body.active || body.asleep) {
            continue;
        }
        body.velocity.y -= h * settings.gravity;
        body.velocity *= linearKeep;
        body.angularVelocity *= angularKeep;
    }

    Plane planes[5];
    const int planeCount = RoomPlanes(bounds, floor != 0, planes);
    for (size_t i = 0; i < count; ++i) {
        PhysicsBody& body = bodies[i];
        if (!body.active || body.asleep) {
            continue;
        }
        float impactSpeed = 0.0f;
        glm::vec3 impactPoint(0.0f);
        if (!SolveRoomContacts(body, settings, planes, planeCount, h, impactSpeed, impactPoint)) {
            continue;
        }
        const uint8_t touchedBefore = touched[i];
        touched[i] = 1;
        if (impacts && !(touchedBefore && impactSpeed < kQuietImpactSpeed)) {
            impacts->push_back(PhysicsImpact{int32_t(i), impactSpeed, impactPoint, uint8_t(touchedBefore ? 0 : 1)});
        }
    }

    // Body pairs, as spheres of the mean half extent: cheap, and enough to push items apart.
    for (size_t i = 0; i < count; ++i) {
        for (size_t j = i + 1; j < count; ++j) {
            PhysicsBody& a = bodies[i];
            PhysicsBody& b = bodies[j];
            if (!a.active || !b.active || (a.asleep && b.asleep)) {
                continue;
            }
            const float radiusA = (a.halfExtents.x + a.halfExtents.y + a.halfExtents.z) / 3.0f;
            const float radiusB = (b.halfExtents.x + b.halfExtents.y + b.halfExtents.z) / 3.0f;
            const glm::vec3 d = b.position - a.position;
            const float reach = radiusA + radiusB;
            const float distanceSquared = glm::dot(d, d);
            if (distanceSquared >= reach * reach) {
                continue;
            }
            const float distance = std::sqrt(distanceSquared);
            const glm::vec3 n = distance > 1e-5f ? d / distance : glm::vec3(1.0f, 0.0f, 0.0f);

            // A body whose first touch is another body lands all the same, so it reports that touch.
            if (impacts && (!touched[i] || !touched[j])) {
                const float approach = glm::dot(a.velocity - b.velocity, n);
                const PhysicsImpact impact{-1, approach > 0.0f ? approach : 0.0f, a.position + d * (radiusA / reach), 1};
                if (!touched[i]) {
                    impacts->push_back(impact);
                    impacts->back().body = int32_t(i);
                }
                if (!touched[j]) {
                    impacts->push_back(impact);
                    impacts->back().body = int32_t(j);
                }
            }
            touched[i] = 1;
            touched[j] = 1;

            if (a.asleep && glm::length(b.velocity) > kPairWakeSpeed) {
                Wake(a);
            }
            if (b.asleep && glm::length(a.velocity) > kPairWakeSpeed) {
                Wake(b);
            }
            const float ma = a.asleep ? 0.0f : a.inverseMass;
            const float mb = b.asleep ? 0.0f : b.inverseMass;
            const float massSum = ma + mb;
            if (massSum == 0.0f) {
                continue;
            }

            const float penetration = reach - distance;
            if (penetration > kPairSlop) {
                const float excess = penetration - kPairSlop;
                a.position -= n * excess * ma / massSum;
                b.position += n * excess * mb / massSum;
            }

            float impulse = 0.0f;
            if (glm::dot(b.velocity - a.velocity, n) < 0.0f) {
                const float approach = glm::dot(a.velocity - b.velocity, n);
                impulse = approach * (approach > settings.bounceThreshold ? kPairBounce : 1.0f) / massSum;
                a.velocity -= n * impulse * ma;
                b.velocity += n * impulse * mb;
            }

            const glm::vec3 relative = b.velocity - a.velocity;
            const glm::vec3 tangential = relative - glm::dot(relative, n) * n;
            const float tangentialSpeed = glm::length(tangential);
            if (tangentialSpeed > 1e-6f) {
                const float jt = std::min(impulse * settings.friction, tangentialSpeed / massSum);
                a.velocity += tangential / tangentialSpeed * jt * ma;
                b.velocity -= tangential / tangentialSpeed * jt * mb;
            }
        }
    }

    for (size_t i = 0; i < count; ++i) {
        PhysicsBody& body = bodies[i];
        if (!body.active || body.asleep) {
            continue;
        }
        body.position += body.velocity * h;
        const glm::quat spin(0.0f, body.angularVelocity.x, body.angularVelocity.y, body.angularVelocity.z);
        const glm::quat turn = spin * body.orientation;
        const float halfStep = 0.5f * h;
        body.orientation = NormalisedOrIdentity(glm::quat(body.orientation.w + halfStep * turn.w,
                                                          body.orientation.x + halfStep * turn.x,
                                                          body.orientation.y + halfStep * turn.y,
                                                          body.orientation.z + halfStep * turn.z));

        const glm::mat3 rotation = glm::mat3_cast(body.orientation);
        glm::vec3 offsets[8];
        CornerOffsets(rotation, body.halfExtents, offsets);
        for (int p = 0; p < planeCount; ++p) {
            float deepest = 0.0f;
            for (int k = 0; k < 8; ++k) {
                const float depth = planes[p].offset - glm::dot(body.position + offsets[k], planes[p].normal);
                if (depth > deepest) {
                    deepest = depth;
                }
            }
            body.position += planes[p].normal * deepest;
        }

        if (touched[i] && glm::length(body.velocity) < settings.sleepSpeed &&
            glm::length(body.angularVelocity) < settings.sleepSpin) {
            body.restTimer += h;
            if (body.restTimer >= settings.sleepTime) {
                body.asleep = 1;
                body.velocity = glm::vec3(0.0f);
                body.angularVelocity = glm::vec3(0.0f);
            }
        } else {
            body.restTimer = 0.0f;
        }
    }
}

}  // namespace vault
