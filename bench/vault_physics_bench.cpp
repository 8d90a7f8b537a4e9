// The vault's physics world with a full vault (100 items, the vault's capacity) and with a few
// dozen: the worst frame (0.1 s, 23 or 24 sub-steps) while every box is awake and tumbling over
// the others, a whole drop of every box from the air to sleep at 60 frames a second, and the
// settling of boxes made at rest, as the scene does when it opens on a full vault.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "ui/vault_physics_world.h"

namespace {

vault::PhysicsWorld VaultRoom()
{
    return vault::PhysicsWorld(vault::PhysicsSettings{},
                               vault::PhysicsBounds{glm::vec3(-6.0f, 0.0f, -4.0f), glm::vec3(6.0f, 4.5f, 4.0f)});
}

// Boxes of several sizes on a 10 x 10 grid over the floor, none touching another; `height` lifts
// them off the floor in three staggered rows of heights and `spin` sets them turning.
vault::PhysicsWorld Filled(int count, float height, float spin)
{
    vault::PhysicsWorld world = VaultRoom();
    for (int i = 0; i < count; ++i) {
        const glm::vec3 half(0.15f + 0.05f * float(i % 3), 0.1f + 0.05f * float(i % 4), 0.15f + 0.04f * float(i % 5));
        const glm::vec3 at(-4.95f + 1.1f * float(i % 10), half.y + 0.02f + height * float(1 + i % 3),
                           -3.15f + 0.7f * float(i / 10 % 10));
        const glm::quat turn = glm::angleAxis(0.37f * float(i), glm::normalize(glm::vec3(0.3f, 1.0f, 0.2f)));
        const glm::vec3 spinAxis(float(i % 7) - 3.0f, 1.0f, float(i % 5) - 2.0f);
        world.AddBox(half, at, turn, glm::vec3(0.0f, -2.0f, 0.0f), spinAxis * spin, 1.0f);
    }
    return world;
}

void BM_VaultWorstFrameAwake(benchmark::State& state)
{
    // One second into the drop: everything falls, lands or tumbles, nothing sleeps yet.
    vault::PhysicsWorld busy = Filled(int(state.range(0)), 2.0f, 2.0f);
    busy.Settle(1.0f);
    std::vector<vault::PhysicsImpact> impacts;
    impacts.reserve(4096);
    int64_t subSteps = 0;
    int64_t asleep = 0;
    for (auto _ : state) {
        vault::PhysicsWorld world = busy;
        impacts.clear();
        subSteps += world.Step(0.1f, &impacts);
        benchmark::DoNotOptimize(world.bodies.data());
        for (const vault::PhysicsBody& body : world.bodies) {
            asleep += body.asleep;
        }
    }
    const double frames = double(state.iterations());
    state.counters["sub_steps_per_frame"] = double(subSteps) / frames;
    state.counters["asleep_per_frame"] = double(asleep) / frames;
    state.counters["impacts_last_frame"] = double(impacts.size());
}
BENCHMARK(BM_VaultWorstFrameAwake)->Arg(24)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_VaultDropToSleep(benchmark::State& state)
{
    const vault::PhysicsWorld start = Filled(int(state.range(0)), 3.0f, 3.0f);
    std::vector<vault::PhysicsImpact> impacts;
    int64_t frames = 0;
    int64_t impactCount = 0;
    int64_t settled = 0;
    for (auto _ : state) {
        vault::PhysicsWorld world = start;
        for (int frame = 0; frame < 600 && !world.AllAsleep(); ++frame) {
            impacts.clear();
            world.Step(1.0f / 60.0f, &impacts);
            impactCount += int64_t(impacts.size());
            ++frames;
        }
        settled += world.AllAsleep() ? 1 : 0;
    }
    const double runs = double(state.iterations());
    state.counters["frames_to_sleep"] = double(frames) / runs;
    state.counters["frame_us"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["impacts_per_drop"] = double(impactCount) / runs;
    state.counters["all_asleep_share"] = double(settled) / runs;
}
BENCHMARK(BM_VaultDropToSleep)->Arg(24)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_VaultSettleAtRest(benchmark::State& state)
{
    const vault::PhysicsWorld start = Filled(int(state.range(0)), 0.0f, 0.0f);
    int64_t subSteps = 0;
    for (auto _ : state) {
        vault::PhysicsWorld world = start;
        subSteps += world.Settle(4.0f);
        benchmark::DoNotOptimize(world.bodies.data());
    }
    state.counters["sub_steps"] = double(subSteps) / double(state.iterations());
}
BENCHMARK(BM_VaultSettleAtRest)->Arg(24)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
