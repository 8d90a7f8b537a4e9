#include "game/anim_rig.h"

namespace anim {

glm::mat4 JointLocalMatrix(const JointPose& pose) {
    glm::mat4 m = glm::mat4_cast(pose.rotation);
    m[0] *= pose.scale.x;
    m[1] *= pose.scale.y;
    m[2] *= pose.scale.z;
    m[3] = glm::vec4(pose.translation, 1.0f);
    return m;
}

bool IsValidSkeleton(const Skeleton& skeleton) {
    const size_t count = skeleton.jointNames.size();
    if (skeleton.parents.size() != count || skeleton.inverseBindMatrices.size() != count ||
        skeleton.legFlags.size() != count || skeleton.restPose.size() != count ||
        skeleton.evaluationOrder.size() != count) {
        return false;
    }
    std::vector<uint8_t> seen(count, 0);
    for (int32_t joint : skeleton.evaluationOrder) {
        if (joint < 0 || static_cast<size_t>(joint) >= count || seen[joint]) return false;
        seen[joint] = 1;
    }
    return true;
}

float Clip::KeyRate(const Clip& clip) {
    uint32_t mostKeys = 0;
    for (const ClipChannel& channel : clip.channels) {
        if (channel.keyCount > mostKeys) mostKeys = channel.keyCount;
    }
    if (!(clip.duration > 0.0001f) || mostKeys < 2) return 0.0f;
    return static_cast<float>(mostKeys - 1) / clip.duration;
}

}  // namespace anim
