// One character's animation tick as the server runs it: advance the animator, build the joint
// matrices and pose the 13 damage volumes in the world (transform, inverse, reach).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "game/asset_paths.h"
#include "game/character_animator.h"
#include "game/hit_volumes.h"
#include "game/rig_loader.h"
#include "game/tuning.h"

namespace {

const char* const kArmours[] = {"blue", "green", "orange", "pink", "white"};

struct PosedVolume {
    glm::mat4 inverseWorld;
    glm::vec3 centre;
    float reach;
};

void AnimateAndPoseVolumes(benchmark::State& state) {
    const tune::Tuning tuning{};
    const std::string path = AssetPath(std::string("models/characters/character_") + kArmours[state.range(0)] + ".glb");
    anim::Rig rig;
    HitboxSet set;
    if (!anim::LoadRig(rig, path) || !BuildHitboxes(set, rig.skeleton)) {
        state.SkipWithError("character file missing");
        return;
    }
    anim::Animator animator;
    animator.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
    std::vector<glm::mat4> skin;
    std::vector<PosedVolume> volumes(set.boxes.size());
    const tune::ModelPoseTuning& pose = tuning.movement.pose;
    int tick = 0;
    for (auto _ : state) {
        animator.SetHoldStyle(static_cast<uint8_t>((tick / 256) % 5));
        animator.throwClock = (tick % 300) < 19 ? static_cast<float>(tick % 300) / 64.0f : -1.0f;
        animator.Advance(1.0f / 64.0f, 4.6f * static_cast<float>((tick / 128) % 2), (tick % 200) > 20);
        animator.ComputeJointMatrices(20.0f, 0.0f, skin);
        const glm::mat4 model = glm::scale(
            glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(1.0f, pose.modelHeightOffset + pose.modelScale * animator.rootBob, 2.0f)),
                        glm::radians(static_cast<float>(tick % 360) + pose.modelYawOffset), glm::vec3(0, 1, 0)),
            glm::vec3(pose.modelScale));
        for (size_t i = 0; i < set.boxes.size(); ++i) {
            const Hitbox& box = set.boxes[i];
            const glm::mat4 world = model * animator.JointMatrix(box.joint) * box.localMatrix;
            volumes[i].inverseWorld = glm::inverse(world);
            volumes[i].centre = glm::vec3(world[3]);
            volumes[i].reach = glm::length(glm::vec3(world[0])) * box.halfExtents.x +
                               glm::length(glm::vec3(world[1])) * box.halfExtents.y +
                               glm::length(glm::vec3(world[2])) * box.halfExtents.z;
        }
        benchmark::DoNotOptimize(volumes.data());
        ++tick;
    }
    state.SetLabel(kArmours[state.range(0)]);
}

BENCHMARK(AnimateAndPoseVolumes)->DenseRange(0, 4);

}  // namespace
