#include "client/joint_physics.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtx/quaternion.hpp>
#include <glm/matrix.hpp>

namespace anim {
namespace {

constexpr float kTwoPi = 6.28318530718f;

glm::mat4 RestLocal(const Skeleton& skeleton, int joint)
{
    return JointLocalMatrix(skeleton.restPose[static_cast<size_t>(joint)]);
}

glm::vec3 Translation(const glm::mat4& m)
{
    return glm::vec3(m[3]);
}

bool Mapped(const std::vector<int32_t>& jointMap, int joint)
{
    return joint >= 0 && static_cast<size_t>(joint) < jointMap.size() && jointMap[static_cast<size_t>(joint)] >= 0;
}

// The chain's attached points in world space: each joint rigidly posed down from the animated
// parent, then the tip along the last joint's y axis.
void AttachedPoints(const Skeleton& skeleton, const JointChain& chain, const glm::mat4& parentWorld,
                    std::vector<glm::vec3>& out)
{
    out.clear();
    glm::mat4 running = parentWorld;
    for (const int32_t joint : chain.joints) {
        running = running * RestLocal(skeleton, joint);
        out.push_back(Translation(running));
    }
    // The tip length is in the joint's own units: the y axis keeps the model's scale, so that the
    // tip lands where the joint's geometry ends in the world.
    out.push_back(out.back() + glm::vec3(running[1]) * chain.tipLength);
}

}  // namespace

glm::quat ShortestArc(const glm::vec3& a, const glm::vec3& b)
{
    const float d = glm::dot(a, b);
    if (d > 0.99999f) {
        return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    }
    if (d < -0.99999f) {
        glm::vec3 axis = a.y * a.y + a.z * a.z < 0.000001f ? glm::vec3(a.z, 0.0f, -a.x) : glm::vec3(0.0f, -a.z, a.y);
        axis = glm::normalize(axis);
        return glm::quat(0.0f, axis.x, axis.y, axis.z);
    }
    const glm::vec3 c = glm::cross(a, b);
    return glm::normalize(glm::quat(1.0f + d, c.x, c.y, c.z));
}

void JointPhysics::Build(const Skeleton& skeleton, const std::vector<ChainJointBox>& boxes,
                         const std::vector<int32_t>& jointMap)
{
    model = &skeleton;
    chains.clear();
    const int count = static_cast<int>(skeleton.parents.size());
    for (int j = 0; j < count; ++j) {
        const int parent = skeleton.parents[static_cast<size_t>(j)];
        if (Mapped(jointMap, j) || parent < 0 || !Mapped(jointMap, parent)) {
            continue;
        }
        JointChain chain;
        int current = j;
        while (current >= 0) {
            chain.joints.push_back(current);
            int next = -1;
            for (int k = 0; k < count; ++k) {
                if (skeleton.parents[static_cast<size_t>(k)] == current && !Mapped(jointMap, k)) {
                    next = k;
                    break;
                }
            }
            current = next;
        }
        const int last = chain.joints.back();
        float tip = 0.0f;
        if (static_cast<size_t>(last) < boxes.size() && boxes[static_cast<size_t>(last)].valid) {
            tip = boxes[static_cast<size_t>(last)].max.y;  // the box is in the joint's own space
        }
        if (!(tip > 0.0001f)) {
            tip = glm::length(skeleton.restPose[static_cast<size_t>(last)].translation);
        }
        chain.tipLength = std::max(tip, 0.01f);
        chain.phase = static_cast<float>(chains.size()) * 1.7f;
        chains.push_back(std::move(chain));
    }
}

void JointPhysics::Reset()
{
    for (JointChain& chain : chains) {
        chain.initialised = false;
    }
}

void JointPhysics::Step(std::vector<glm::mat4>& jointMatrices, const glm::mat4& modelMatrix, float dt, float time,
                        const JointPhysicsParameters& p)
{
    if (model == nullptr) {
        return;
    }
    const Skeleton& skeleton = *model;
    dt = std::clamp(dt, 0.0f, 0.1f);
    const glm::mat4 inverseModel = glm::inverse(modelMatrix);
    std::vector<glm::vec3>& attached = attachedScratch;
    for (JointChain& chain : chains) {
        const int parentJoint = skeleton.parents[static_cast<size_t>(chain.joints.front())];
        if (parentJoint < 0 || static_cast<size_t>(parentJoint) >= jointMatrices.size()) {
            continue;
        }
        const glm::mat4 parentWorld = modelMatrix * jointMatrices[static_cast<size_t>(parentJoint)];
        AttachedPoints(skeleton, chain, parentWorld, attached);
        const size_t points = attached.size();
        const glm::vec3 parent = attached[0];
        std::vector<float>& restLengths = restLengthScratch;
        restLengths.assign(points, 0.0f);
        for (size_t i = 1; i < points; ++i) {
            restLengths[i] = glm::length(attached[i] - attached[i - 1]);
        }

        if (!chain.initialised || chain.positions.size() != points ||
            glm::length(parent - chain.lastParentPosition) > p.resetDistance) {
            chain.positions.resize(points);
            chain.velocities.assign(points, glm::vec3(0.0f));
            for (size_t i = 0; i < points; ++i) {
                chain.positions[i] = attached[i] - parent;
            }
            chain.lastParentPosition = parent;
            chain.lastParentVelocity = glm::vec3(0.0f);
            chain.initialised = true;
        }

        glm::vec3 parentVelocity = chain.lastParentVelocity;
        glm::vec3 parentAcceleration(0.0f);
        if (dt > 0.00001f) {
            parentVelocity = (parent - chain.lastParentPosition) / dt;
            parentAcceleration = (parentVelocity - chain.lastParentVelocity) / dt;
        }
        const float accelerationLength = glm::length(parentAcceleration);
        if (accelerationLength > p.maxParentAcceleration) {
            parentAcceleration *= p.maxParentAcceleration / accelerationLength;
        }
        chain.lastParentPosition = parent;
        chain.lastParentVelocity = parentVelocity;

        const float speed = std::sqrt(parentVelocity.x * parentVelocity.x + parentVelocity.z * parentVelocity.z);
        const glm::vec3 side = speed > 0.05f ? glm::vec3(-parentVelocity.z / speed, 0.0f, parentVelocity.x / speed)
                                             : glm::vec3(0.0f);

        const int steps = std::max(1, static_cast<int>(std::ceil(dt / p.subStep)));
        const float h = dt / static_cast<float>(steps);
        std::vector<glm::vec3>& x = chain.positions;
        std::vector<glm::vec3>& v = chain.velocities;
        std::vector<glm::vec3>& before = previousScratch;
        for (int k = 1; k <= steps && h > 0.0f; ++k) {
            const float t = time - dt + static_cast<float>(k) * h;
            before = x;
            for (size_t i = 1; i < points; ++i) {
                const glm::vec3 target = attached[i] - parent;
                const float w = std::sin(kTwoPi * p.swayFrequency * t + chain.phase + 0.9f * static_cast<float>(i));
                glm::vec3 a = p.stiffness * (target - x[i]) - p.damping * v[i] - p.drag * (v[i] + parentVelocity) -
                              parentAcceleration;
                a += side * (p.swayAmplitude * speed * w);
                a.y += -p.gravity + 0.5f * p.swayAmplitude * speed * w * (speed > 0.05f ? 1.0f : 0.0f);
                v[i] += a * h;
                x[i] += v[i] * h;
            }
            for (size_t i = 1; i < points; ++i) {
                const glm::vec3 d = x[i] - x[i - 1];
                const float length = glm::length(d);
                const glm::vec3 direction = length > 0.000001f ? d / length : glm::vec3(0.0f, 1.0f, 0.0f);
                x[i] = x[i - 1] + direction * restLengths[i];
            }
            for (size_t i = 1; i < points; ++i) {
                v[i] = (x[i] - before[i]) / h;
            }
        }

        chain.worldPositions.resize(points);
        for (size_t i = 0; i < points; ++i) {
            chain.worldPositions[i] = parent + x[i];
        }

        glm::mat4 running = parentWorld;
        for (size_t i = 0; i < chain.joints.size(); ++i) {
            const int joint = chain.joints[i];
            const glm::mat4 candidate = running * RestLocal(skeleton, joint);
            const glm::vec3 position = Translation(candidate);
            const glm::vec3 a = glm::normalize(glm::vec3(candidate[1]));
            const glm::vec3 d = chain.worldPositions[i + 1] - position;
            glm::mat4 world = candidate;
            if (glm::length(d) > 0.000001f) {
                const glm::mat3 turn = glm::mat3_cast(ShortestArc(a, glm::normalize(d)));
                const glm::mat3 turned = turn * glm::mat3(candidate);
                world = glm::mat4(turned);
                world[3] = glm::vec4(position, 1.0f);
            }
            if (static_cast<size_t>(joint) < jointMatrices.size()) {
                jointMatrices[static_cast<size_t>(joint)] = inverseModel * world;
            }
            running = world;
        }
    }
}

}  // namespace anim
