// The server's per-player animation job (advance the animator and pose the 13 damage volumes) and
// the ray test the shot traces run against one posed set.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "game/player_state.h"
#include "game/tuning.h"
#include "net/server.h"

namespace {

const net::CombatRig* BenchCombatRig() {
    static const std::unique_ptr<net::CombatRig> rig = [] {
        auto loaded = std::make_unique<net::CombatRig>();
        if (!net::Server::LoadCombatRig(*loaded, tune::Tuning{})) loaded.reset();
        return loaded;
    }();
    return rig.get();
}

PlayerState BenchPlayer(int tick) {
    PlayerState s;
    s.health = 100;
    s.onGround = (tick % 200) > 20 ? 1 : 0;
    s.position = glm::vec3(4.0f, 0.0f, -3.0f);
    s.velocity = glm::vec3(4.6f * static_cast<float>((tick / 128) % 2), 0.0f, 0.0f);
    s.yaw = static_cast<float>(tick % 360) - 180.0f;
    s.bodyYaw = s.yaw - 20.0f;
    s.weapon = static_cast<uint8_t>((tick / 256) % 10);
    s.throwTicks = (tick % 300) < 19 ? static_cast<uint16_t>(tick % 300 + 1) : 0;
    return s;
}

void AdvanceOnePlayer(benchmark::State& state) {
    const net::CombatRig* rig = BenchCombatRig();
    if (rig == nullptr) {
        state.SkipWithError("combat rig missing");
        return;
    }
    const tune::Tuning tuning{};
    auto pose = std::make_unique<net::CombatPose>();
    net::Server::BindAnimator(*pose, rig, &tuning);
    net::Server::AdvanceAnimation(*pose, BenchPlayer(0), 0.0f);
    int tick = 1;
    for (auto _ : state) {
        net::Server::AdvanceAnimation(*pose, BenchPlayer(tick), 1.0f / 64.0f);
        benchmark::DoNotOptimize(pose->set.radius);
        ++tick;
    }
}

// range(0): 0 a ray through the head from the front, 1 a ray past the body that the bounding
// sphere turns away, 2 a ray from inside the sphere that misses every volume.
void RaycastOneSet(benchmark::State& state) {
    const net::CombatRig* rig = BenchCombatRig();
    if (rig == nullptr) {
        state.SkipWithError("combat rig missing");
        return;
    }
    const tune::Tuning tuning{};
    auto pose = std::make_unique<net::CombatPose>();
    PlayerState player = BenchPlayer(0);
    player.yaw = 0.0f;
    player.bodyYaw = 0.0f;
    player.velocity = glm::vec3(0.0f);
    net::Server::BindAnimator(*pose, rig, &tuning);
    for (int i = 0; i < 32; ++i) net::Server::AdvanceAnimation(*pose, player, 1.0f / 64.0f);

    const glm::vec3 feet = player.position;
    glm::vec3 origin(feet + glm::vec3(0.0f, 1.75f, -20.0f));
    glm::vec3 direction(0.0f, 0.0f, 1.0f);
    const char* label = "head";
    if (state.range(0) == 1) {
        origin = feet + glm::vec3(3.0f, 1.0f, -20.0f);
        label = "beside";
    } else if (state.range(0) == 2) {
        origin = feet + glm::vec3(0.0f, 2.6f, -0.5f);
        label = "inside sphere, above the head";
    }
    int hits = 0;
    for (auto _ : state) {
        const net::PosedVolumeHit hit = net::Server::RaycastPosedVolumes(pose->set, origin, direction, 100.0f);
        hits += hit.hit;
        benchmark::DoNotOptimize(hit.distance);
    }
    benchmark::DoNotOptimize(hits);
    state.SetLabel(label);
}

BENCHMARK(AdvanceOnePlayer);
BENCHMARK(RaycastOneSet)->DenseRange(0, 2);

}  // namespace
