// Feeds arbitrary bytes as a character file to the rig loader and then drives an animator and the
// damage volumes over whatever it accepted: nothing may crash or read out of bounds, and an
// accepted skeleton is complete.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/character_animator.h"
#include "game/gltf_document.h"
#include "game/hit_volumes.h"
#include "game/rig_loader.h"
#include "game/tuning.h"
#include "silent_target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::SilenceTargetOutput(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GltfDocument document;
    if (!LoadGltfDocumentFromBytes(document, data, size, "fuzz", "", "[fuzz]")) return 0;
    const tinygltf::Skin* skin = anim::ChooseSkin(document);
    anim::Rig rig;
    if (!anim::LoadClips(document, skin, rig.skeleton, rig.clips)) return 0;
    if (!anim::IsValidSkeleton(rig.skeleton)) std::abort();

    HitboxSet set;
    BuildHitboxes(set, rig.skeleton);
    const tune::Tuning tuning{};
    anim::Animator animator;
    animator.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
    std::vector<glm::mat4> skinning;
    for (int tick = 0; tick < 24; ++tick) {
        animator.SetHoldStyle(static_cast<uint8_t>(tick % 6));
        animator.throwClock = tick % 5 == 0 ? 0.1f : -1.0f;
        animator.dead = tick > 20 ? 1 : 0;
        animator.posing = tick % 7 == 3 ? 1 : 0;
        animator.Advance(0.05f, static_cast<float>(tick % 4) * 2.0f, tick % 3 != 0);
        animator.ComputeJointMatrices(30.0f, -20.0f, skinning);
    }
    if (animator.jointMatrices.size() != rig.skeleton.jointNames.size()) std::abort();
    (void)RaycastHitboxes(set, animator.jointMatrices, glm::mat4(1.0f), glm::vec3(0, 0.5f, -3), glm::vec3(0, 0, 1), 10.0f);
    return 0;
}
