#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/gtc/quaternion.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// The skeleton and clips of one character file. Loaded once, then read-only: several animators
// (and several threads) may read one rig at the same time, so nothing in here is a cache.
namespace anim {

// Local transform of one joint. glm stores the quaternion as x, y, z, w in memory.
struct JointPose {
    glm::vec3 translation = glm::vec3(0.0f);
    glm::quat rotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    glm::vec3 scale = glm::vec3(1.0f);
};

// The joints of one skin, numbered in the skin's joint order.
struct Skeleton {
    std::vector<std::string> jointNames;
    std::vector<int32_t> parents;  // -1 for a root joint
    std::vector<glm::mat4> inverseBindMatrices;
    std::vector<uint8_t> legFlags;
    std::vector<int32_t> evaluationOrder;  // every parent before its children
    std::vector<JointPose> restPose;
    glm::mat4 rootMatrix = glm::mat4(1.0f);  // places the root joints in model space
};

// True when every list has one entry per joint and the evaluation order names each joint once.
bool IsValidSkeleton(const Skeleton& skeleton);

// The joint's local matrix: translation x rotation x scale.
glm::mat4 JointLocalMatrix(const JointPose& pose);

enum ChannelPath : uint8_t { kPathTranslation = 0, kPathRotation = 1, kPathScale = 2 };
enum Interpolation : uint8_t { kInterpolationLinear = 0, kInterpolationStep = 1, kInterpolationCubicSpline = 2 };

struct ClipChannel {
    int32_t joint = -1;
    uint8_t path = kPathTranslation;
    uint8_t interpolation = kInterpolationLinear;
    uint32_t firstTime = 0;   // index into Clip::times
    uint32_t firstValue = 0;  // index into Clip::values
    uint32_t keyCount = 0;
};

// Components per key of a channel: 4 for rotation, 3 for translation and scale.
inline uint32_t ChannelComponents(const ClipChannel& channel) { return channel.path == kPathRotation ? 4u : 3u; }

struct Clip {
    std::string name;
    float duration = 0.0f;
    int32_t animatedChannels = 0;  // channels whose keys actually change
    float poseDistance = 0.0f;     // how far the first rotation keys lie from the rest pose
    std::vector<ClipChannel> channels;  // sorted by joint
    std::vector<float> times;
    std::vector<float> values;

    // Keys per second of the densest channel; 0 for a clip without motion in time.
    static float KeyRate(const Clip& clip);
};

struct Rig {
    Skeleton skeleton;
    std::vector<Clip> clips;
};

}  // namespace anim
