// One frame of a busy fight's effects and drop sprites built on the CPU: 5000 tracers, 2000
// particles, 50 beams and 2000 sprites aged, queued and turned into vertices, as the client does
// every frame before the upload. Reports the allocations of the first frame and per later frame
// (the scratch vectors keep their memory, so there should be none).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/allocation_count.h"
#include "render/effects.h"
#include "render/sprite_sheet.h"

namespace {

struct BusyFrame {
    Effects effects;
    SpriteSheet drops;
    uint32_t random = 0x9E3779B9u;

    float Random01() {
        random ^= random << 13;
        random ^= random >> 17;
        random ^= random << 5;
        return float(random >> 8) / 16777216.0f;
    }
    glm::vec3 Around(float radius) {
        return glm::vec3((Random01() * 2.0f - 1.0f) * radius, Random01() * 3.0f, -Random01() * radius * 2.0f);
    }

    // Records that outlive the run, so that every frame draws the same amount.
    BusyFrame() {
        effects.tracers.reserve(5000);
        effects.particles.reserve(2000);
        effects.beams.reserve(50);
        for (int i = 0; i < 5000; ++i) {
            effects.SpawnTracer(Around(20.0f), Around(40.0f), glm::vec3(1.0f, 0.86f, 0.45f), 1.15f, 0.035f, 1e6f,
                                i % 2 ? 0.0f : 1e-4f, 5.0f);
        }
        for (int i = 0; i < 2000; ++i) {
            effects.Spawn(Around(15.0f), Around(4.0f), glm::vec3(1.0f, 0.5f, 0.15f), 0.4f, 0.3f, 0.0f, 0.0f, 1e6f);
        }
        for (int i = 0; i < 50; ++i) {
            effects.SpawnBeam(Around(12.0f), Around(12.0f), glm::vec3(0.35f, 0.7f, 1.0f), 1.2f, 0.12f, 0.05f, 1e6f);
        }
        drops.columns = 6;
        drops.rows = 2;
    }

    void Frame(float dt) {
        effects.Update(dt);
        effects.BuildVertices(glm::vec3(0.0f, 2.0f, 6.0f), glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        drops.Clear();
        for (int i = 0; i < 2000; ++i) {
            const glm::vec3 at(float(i % 50) * 0.6f - 15.0f, 0.5f, -float(i / 50) * 0.6f);
            drops.Queue(at, 0.7f, i % 4, i % 3 == 2 ? 1 : 0, glm::vec3(1.0f, 0.82f, 0.32f), 1.0f);
        }
        drops.BuildVertices(glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    }
};

void BM_EffectsAndSpritesFrame(benchmark::State& state) {
    BusyFrame frame;
    const uint64_t beforeFirst = AllocationCount();
    frame.Frame(1.0f / 60.0f);
    const uint64_t firstFrame = AllocationCount() - beforeFirst;
    // Counted around the frame alone: the benchmark's own bookkeeping allocates now and then.
    uint64_t later = 0;
    for (auto _ : state) {
        const uint64_t before = AllocationCount();
        frame.Frame(1.0f / 60.0f);
        later += AllocationCount() - before;
        benchmark::DoNotOptimize(frame.effects.vertices.data());
        benchmark::DoNotOptimize(frame.drops.vertices.data());
    }
    const double frames = double(state.iterations());
    state.counters["allocs_first_frame"] = double(firstFrame);
    state.counters["allocs_per_frame"] = double(later) / frames;
    state.counters["effect_vertices"] = double(frame.effects.vertices.size());
    state.counters["sprite_vertices"] = double(frame.drops.vertices.size());
}
BENCHMARK(BM_EffectsAndSpritesFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
