// A client frame's posing of 16 characters for drawing: advance each animator by one frame, build
// its skinning matrices and gather them with one hit-flash value per joint, as the renderer's
// instance upload takes them.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "game/asset_paths.h"
#include "game/character_animator.h"
#include "game/rig_loader.h"
#include "game/tuning.h"

namespace {

void PoseSixteenCharacters(benchmark::State& state) {
    const tune::Tuning tuning{};
    anim::Rig rig;
    if (!anim::LoadRig(rig, AssetPath("models/characters/character_blue.glb"))) {
        state.SkipWithError("character file missing");
        return;
    }
    constexpr int kCharacters = 16;
    std::vector<anim::Animator> animators(kCharacters);
    for (int i = 0; i < kCharacters; ++i) {
        animators[size_t(i)].Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
        animators[size_t(i)].dead = i % 8 == 7 ? 1 : 0;
        animators[size_t(i)].Advance(0.13f * float(i), 0.0f, true);
    }
    std::vector<glm::mat4> skin;
    std::vector<glm::mat4> transforms;
    std::vector<float> values;
    int frame = 0;
    for (auto _ : state) {
        transforms.clear();
        values.clear();
        for (int i = 0; i < kCharacters; ++i) {
            anim::Animator& animator = animators[size_t(i)];
            const float speed = (i + frame / 120) % 3 == 0 ? 0.0f : 5.2f;
            animator.Advance(1.0f / 60.0f, speed, true);
            animator.ComputeJointMatrices(0.0f, 0.0f, skin);
            transforms.insert(transforms.end(), skin.begin(), skin.end());
            values.resize(transforms.size(), i == 3 ? 1.0f : 0.0f);
        }
        benchmark::DoNotOptimize(transforms.data());
        benchmark::DoNotOptimize(values.data());
        ++frame;
    }
    state.SetItemsProcessed(state.iterations() * kCharacters);
}

BENCHMARK(PoseSixteenCharacters)->Unit(benchmark::kMicrosecond);

}  // namespace
