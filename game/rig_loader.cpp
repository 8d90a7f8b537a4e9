#include "game/rig_loader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include <glm/gtc/matrix_access.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/gtx/matrix_decompose.hpp>

namespace anim {
namespace {

bool IsTransformPath(const std::string& path) {
    return path == "translation" || path == "rotation" || path == "scale";
}

bool AllFinite(const float* values, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) return false;
    }
    return true;
}

bool IsFiniteMatrix(const glm::mat4& m) { return AllFinite(glm::value_ptr(m), 16); }

bool IsFinitePose(const JointPose& pose) {
    const float values[10] = {pose.translation.x, pose.translation.y, pose.translation.z, pose.rotation.x,
                              pose.rotation.y,    pose.rotation.z,    pose.rotation.w,    pose.scale.x,
                              pose.scale.y,       pose.scale.z};
    return AllFinite(values, 10);
}

const char* JointName(const Skeleton& skeleton, int32_t joint) {
    return joint >= 0 && static_cast<size_t>(joint) < skeleton.jointNames.size() ? skeleton.jointNames[joint].c_str()
                                                                                 : "?";
}

// Appends one animation of the document as a clip; channels that do not fit the skeleton, whose
// accessors do not match their keys, whose key times are not finite or go backwards, or whose values
// are not finite are left out (the sampler searches the times in order, and a number that is not
// finite would spread through every joint below).
Clip ReadClip(const GltfDocument& data, size_t index, const std::unordered_map<int, int32_t>& jointOfNode,
              const Skeleton& skeleton) {
    const tinygltf::Animation& animation = data.model.animations[index];
    Clip clip;
    clip.name = animation.name.empty() ? "clip" + std::to_string(index) : animation.name;

    std::vector<float> times;
    std::vector<float> output;
    for (const tinygltf::AnimationChannel& source : animation.channels) {
        const auto joint = jointOfNode.find(source.target_node);
        if (joint == jointOfNode.end()) continue;
        // Morph-target weights and any other property are not joint transforms.
        if (!IsTransformPath(source.target_path)) continue;
        if (source.sampler < 0 || static_cast<size_t>(source.sampler) >= animation.samplers.size()) continue;
        const tinygltf::AnimationSampler& sampler = animation.samplers[source.sampler];
        if (sampler.input < 0 || sampler.output < 0) continue;
        if (GltfAccessorCount(data, sampler.input) == 0) continue;

        ClipChannel channel;
        channel.joint = joint->second;
        channel.path = ToChannelPath(source.target_path);
        channel.interpolation = ToInterpolation(sampler.interpolation);
        const uint32_t components = ChannelComponents(channel);
        if (!ReadGltfFloats(data, sampler.input, times, 1) || !ReadGltfFloats(data, sampler.output, output,
                                                                             static_cast<int>(components))) {
            std::fprintf(stderr, "[model] clip '%s': unreadable %s keys on '%s', channel skipped\n", clip.name.c_str(),
                         source.target_path.c_str(), JointName(skeleton, channel.joint));
            continue;
        }
        // A cubic spline stores in-tangent, value and out-tangent per key; the value is the middle one.
        const size_t n = times.size();
        const size_t perKey = channel.interpolation == kInterpolationCubicSpline ? 3 : 1;
        const size_t valueIndex = perKey == 3 ? 1 : 0;
        if (output.size() != n * perKey * components) {
            std::fprintf(stderr, "[model] clip '%s': %zu %s values on '%s' for %zu keys, channel skipped\n",
                         clip.name.c_str(), output.size() / components, source.target_path.c_str(),
                         JointName(skeleton, channel.joint), n);
            continue;
        }
        const char* fault = nullptr;
        if (!AllFinite(times.data(), n)) fault = "times that are not finite";
        for (size_t k = 1; k < n && !fault; ++k) {
            if (times[k] < times[k - 1]) fault = "times that go backwards";
        }
        for (size_t k = 0; k < n && !fault; ++k) {
            if (!AllFinite(output.data() + (k * perKey + valueIndex) * components, components)) {
                fault = "values that are not finite";
            }
        }
        if (fault) {
            std::fprintf(stderr, "[model] clip '%s': %s keys on '%s' have %s, channel skipped\n", clip.name.c_str(),
                         source.target_path.c_str(), JointName(skeleton, channel.joint), fault);
            continue;
        }
        channel.firstTime = static_cast<uint32_t>(clip.times.size());
        channel.firstValue = static_cast<uint32_t>(clip.values.size());
        channel.keyCount = static_cast<uint32_t>(n);
        clip.times.resize(clip.times.size() + n);
        clip.values.resize(clip.values.size() + components * n);
        for (size_t k = 0; k < n; ++k) {
            clip.times[channel.firstTime + k] = times[k];
            if (times[k] > clip.duration) clip.duration = times[k];
            const float* value = output.data() + (k * perKey + valueIndex) * components;
            std::copy(value, value + components, clip.values.begin() + channel.firstValue + components * k);
        }
        clip.channels.push_back(channel);
    }
    std::stable_sort(clip.channels.begin(), clip.channels.end(),
                     [](const ClipChannel& a, const ClipChannel& b) { return a.joint < b.joint; });

    for (const ClipChannel& channel : clip.channels) {
        const uint32_t c = ChannelComponents(channel);
        const float* first = clip.values.data() + channel.firstValue;
        if (channel.path == kPathRotation) {
            const glm::quat& rest = skeleton.restPose[channel.joint].rotation;
            const float restXyzw[4] = {rest.x, rest.y, rest.z, rest.w};
            float largest = 0.0f;
            for (int i = 0; i < 4; ++i) largest = std::max(largest, std::fabs(first[i] - restXyzw[i]));
            clip.poseDistance += largest;
        }
        bool changes = false;
        for (uint32_t k = 1; k < channel.keyCount && !changes; ++k) {
            for (uint32_t i = 0; i < c; ++i) {
                if (std::fabs(first[c * k + i] - first[i]) > 1e-05f) {
                    changes = true;
                    break;
                }
            }
        }
        if (changes) ++clip.animatedChannels;
    }
    return clip;
}

}  // namespace

bool IsLegBoneName(const std::string& name) {
    std::string lower = name;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    for (const char* word : {"pelvis", "thigh", "shin", "foot", "toe", "leg"}) {
        if (lower.find(word) != std::string::npos) return true;
    }
    return false;
}

uint8_t ToChannelPath(const std::string& gltfPath) {
    if (gltfPath == "rotation") return kPathRotation;
    if (gltfPath == "scale") return kPathScale;
    return kPathTranslation;
}

uint8_t ToInterpolation(const std::string& gltfInterpolation) {
    if (gltfInterpolation == "STEP") return kInterpolationStep;
    if (gltfInterpolation == "CUBICSPLINE") return kInterpolationCubicSpline;
    return kInterpolationLinear;
}

JointPose NodeLocalPose(const tinygltf::Node& node) {
    JointPose pose;
    if (node.matrix.size() == 16) {
        glm::mat4 matrix;
        float* m = glm::value_ptr(matrix);
        for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(node.matrix[i]);
        glm::vec3 scale, translation, skew;
        glm::quat rotation;
        glm::vec4 perspective;
        if (glm::decompose(matrix, scale, rotation, translation, skew, perspective)) {
            pose.translation = translation;
            pose.rotation = rotation;
            pose.scale = scale;
        }
        return pose;
    }
    if (node.translation.size() == 3) {
        pose.translation = glm::vec3(static_cast<float>(node.translation[0]), static_cast<float>(node.translation[1]),
                                     static_cast<float>(node.translation[2]));
    }
    if (node.rotation.size() == 4) {
        pose.rotation = glm::quat(static_cast<float>(node.rotation[3]), static_cast<float>(node.rotation[0]),
                                  static_cast<float>(node.rotation[1]), static_cast<float>(node.rotation[2]));
    }
    if (node.scale.size() == 3) {
        pose.scale = glm::vec3(static_cast<float>(node.scale[0]), static_cast<float>(node.scale[1]),
                               static_cast<float>(node.scale[2]));
    }
    return pose;
}

const tinygltf::Skin* ChooseSkin(const GltfDocument& data) {
    const std::vector<tinygltf::Skin>& skins = data.model.skins;
    if (skins.empty()) return nullptr;
    size_t chosen = 0;
    size_t chosenMeshes = 0;
    for (size_t s = 0; s < skins.size(); ++s) {
        size_t meshes = 0;
        for (const tinygltf::Node& node : data.model.nodes) {
            if (node.mesh >= 0 && node.skin == static_cast<int>(s)) ++meshes;
        }
        if (meshes > chosenMeshes) {
            chosen = s;
            chosenMeshes = meshes;
        }
    }
    if (skins.size() >= 2) {
        const tinygltf::Skin& skin = skins[chosen];
        std::printf("[model] %zu skins present; using '%s' (%zu joints, %d meshes)\n", skins.size(),
                    skin.name.empty() ? "?" : skin.name.c_str(), skin.joints.size(), static_cast<int>(chosenMeshes));
    }
    return &skins[chosen];
}

bool LoadClips(const GltfDocument& data, const tinygltf::Skin* skin, Skeleton& skeleton, std::vector<Clip>& clips) {
    skeleton = Skeleton();
    if (skin == nullptr || skin->joints.empty()) return false;
    const size_t jointCount = skin->joints.size();
    const size_t nodeCount = data.model.nodes.size();
    const char* skinName = skin->name.empty() ? "?" : skin->name.c_str();

    std::unordered_map<int, int32_t> jointOfNode;
    for (size_t j = 0; j < jointCount; ++j) {
        const int node = skin->joints[j];
        if (node < 0 || static_cast<size_t>(node) >= nodeCount || data.parents.size() != nodeCount) {
            std::fprintf(stderr, "[model] skin '%s': joint %zu names no node\n", skinName, j);
            return false;
        }
        // A node listed twice would be evaluated twice; the first listing is the joint.
        jointOfNode.emplace(node, static_cast<int32_t>(j));
    }

    skeleton.jointNames.resize(jointCount);
    skeleton.parents.assign(jointCount, -1);
    skeleton.legFlags.assign(jointCount, 0);
    skeleton.inverseBindMatrices.assign(jointCount, glm::mat4(1.0f));
    skeleton.restPose.assign(jointCount, JointPose{});

    std::vector<float> binds;
    if (skin->inverseBindMatrices >= 0) {
        if (!ReadGltfFloats(data, skin->inverseBindMatrices, binds, 16) || binds.size() < 16 * jointCount) {
            std::fprintf(stderr, "[model] skin '%s': %zu inverse bind matrices for %zu joints\n", skinName,
                         binds.size() / 16, jointCount);
            skeleton = Skeleton();
            return false;
        }
    }

    for (size_t j = 0; j < jointCount; ++j) {
        const int node = skin->joints[j];
        const tinygltf::Node& source = data.model.nodes[node];
        skeleton.jointNames[j] = source.name.empty() ? "joint" + std::to_string(j) : source.name;
        skeleton.restPose[j] = NodeLocalPose(source);
        skeleton.legFlags[j] = IsLegBoneName(skeleton.jointNames[j]) ? 1 : 0;
        const int parentNode = data.parents[node];
        const auto parent = jointOfNode.find(parentNode);
        if (parentNode >= 0 && parent != jointOfNode.end() && parent->second != static_cast<int32_t>(j)) {
            skeleton.parents[j] = parent->second;
        }
        if (!binds.empty()) {
            skeleton.inverseBindMatrices[j] = glm::make_mat4(binds.data() + 16 * j);
        } else {
            skeleton.inverseBindMatrices[j] = glm::inverse(data.worldMatrices[node]);
        }
        // Every joint matrix the animator builds passes through these; one number that is not finite
        // would reach the whole skin.
        const char* fault = nullptr;
        if (!IsFinitePose(skeleton.restPose[j])) fault = "rest pose";
        if (!IsFiniteMatrix(skeleton.inverseBindMatrices[j])) fault = "inverse bind matrix";
        if (fault) {
            std::fprintf(stderr, "[model] skin '%s': the %s of joint %zu is not finite\n", skinName, fault, j);
            skeleton = Skeleton();
            return false;
        }
    }

    for (size_t j = 0; j < jointCount; ++j) {
        if (skeleton.parents[j] != -1) continue;
        const int parentNode = data.parents[skin->joints[j]];
        if (parentNode >= 0) {
            skeleton.rootMatrix = data.worldMatrices[parentNode];
            break;
        }
    }
    if (!IsFiniteMatrix(skeleton.rootMatrix)) {
        std::fprintf(stderr, "[model] skin '%s': the root matrix is not finite\n", skinName);
        skeleton = Skeleton();
        return false;
    }

    // Pre-order walk: roots, and the children of each joint, in ascending joint index.
    std::vector<std::vector<int32_t>> children(jointCount);
    std::vector<int32_t> stack;
    for (size_t j = 0; j < jointCount; ++j) {
        if (skeleton.parents[j] >= 0) children[skeleton.parents[j]].push_back(static_cast<int32_t>(j));
    }
    for (size_t j = jointCount; j-- > 0;) {
        if (skeleton.parents[j] < 0) stack.push_back(static_cast<int32_t>(j));
    }
    while (!stack.empty() && skeleton.evaluationOrder.size() <= jointCount) {
        const int32_t joint = stack.back();
        stack.pop_back();
        skeleton.evaluationOrder.push_back(joint);
        for (auto child = children[joint].rbegin(); child != children[joint].rend(); ++child) stack.push_back(*child);
    }

    clips.clear();
    clips.reserve(data.model.animations.size());
    for (size_t a = 0; a < data.model.animations.size(); ++a) {
        Clip clip = ReadClip(data, a, jointOfNode, skeleton);
        std::printf("[model] clip '%s' %.3fs, %zu channels, %d animated, pose %.2f\n", clip.name.c_str(),
                    clip.duration, clip.channels.size(), clip.animatedChannels, clip.poseDistance);
        clips.push_back(std::move(clip));
    }
    return skeleton.evaluationOrder.size() == jointCount;
}

bool LoadRig(Rig& rig, const std::string& path) {
    rig = Rig();
    GltfDocument document;
    // Buffers that do not hold what the file declares make the rig undecodable, like a missing skin.
    if (!LoadGltfDocument(document, path, "[animation]", "could not decode rig in")) return false;
    const tinygltf::Skin* skin = ChooseSkin(document);
    if (skin == nullptr || !LoadClips(document, skin, rig.skeleton, rig.clips)) {
        rig = Rig();
        std::fprintf(stderr, "[animation] could not decode rig in %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace anim
