// Collision queries on the larger generated map (MESA), through the grid and through a world whose
// grid is one cell holding every triangle (the brute-force walk), on the same queries.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/asset_paths.h"
#include "game/collision_world.h"
#include "game/map_geometry.h"
#include "game/tuning.h"

namespace {

struct Scene {
    CollisionWorld grid;
    CollisionWorld brute;
    Aabb bounds;
    std::vector<glm::vec3> starts, ends, motions;
};

uint32_t Next(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

float Uniform(uint32_t& state, float lo, float hi) { return lo + (hi - lo) * float(Next(state)) / 16777216.0f; }

const Scene& GetScene() {
    static const Scene* scene = [] {
        auto* s = new Scene;
        MapGeometry map;
        const std::string path = AssetPath("maps/Map Two/Map_Two.glb");
        const bool loaded = LoadMapGeometry(map, path, MapScale(tune::Tuning{}));
        if (!loaded) {
            std::fprintf(stderr, "[bench] cannot load %s\n", path.c_str());
            std::exit(1);
        }
        s->bounds = map.bounds;
        std::vector<Triangle> copy = map.triangles;
        s->grid.SetTriangles(std::move(map.triangles));
        s->brute.cellSize = 1e6f;  // one cell holds every triangle
        s->brute.SetTriangles(std::move(copy));
        uint32_t state = 12345;
        for (int i = 0; i < 1024; ++i) {
            const glm::vec3 start{Uniform(state, s->bounds.min.x, s->bounds.max.x), Uniform(state, 0.5f, 9.0f),
                                  Uniform(state, s->bounds.min.z, s->bounds.max.z)};
            // Mostly movement-sized steps and shots of up to 60 m.
            const float reach = (i % 4 == 0) ? 60.0f : 2.0f;
            const glm::vec3 motion{Uniform(state, -reach, reach), Uniform(state, -reach * 0.3f, reach * 0.1f),
                                   Uniform(state, -reach, reach)};
            s->starts.push_back(start);
            s->ends.push_back(start + motion);
            s->motions.push_back(motion * (1.0f / 32.0f));
        }
        return s;
    }();
    return *scene;
}

void Ray(benchmark::State& state, bool brute) {
    const Scene& s = GetScene();
    const CollisionWorld& world = brute ? s.brute : s.grid;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(world.SweepSphere(s.starts[i], s.ends[i], 0.0f));
        i = (i + 1) & 1023;
    }
}

void Sphere(benchmark::State& state, bool brute) {
    const Scene& s = GetScene();
    const CollisionWorld& world = brute ? s.brute : s.grid;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(world.SweepSphere(s.starts[i], s.ends[i], 0.3f));
        i = (i + 1) & 1023;
    }
}

void Shape(benchmark::State& state, bool brute) {
    const Scene& s = GetScene();
    const CollisionWorld& world = brute ? s.brute : s.grid;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(world.SweepShape(MakeBodyBox(s.starts[i], 0.35f, 1.8f), s.motions[i]));
        i = (i + 1) & 1023;
    }
}

void Overlap(benchmark::State& state, bool brute) {
    const Scene& s = GetScene();
    const CollisionWorld& world = brute ? s.brute : s.grid;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(world.OverlapsBox(MakeBodyBox(s.starts[i], 0.35f, 1.8f)));
        i = (i + 1) & 1023;
    }
}

}  // namespace

BENCHMARK_CAPTURE(Ray, Grid, false);
BENCHMARK_CAPTURE(Ray, BruteForce, true);
BENCHMARK_CAPTURE(Sphere, Grid, false);
BENCHMARK_CAPTURE(Sphere, BruteForce, true);
BENCHMARK_CAPTURE(Shape, Grid, false);
BENCHMARK_CAPTURE(Shape, BruteForce, true);
BENCHMARK_CAPTURE(Overlap, Grid, false);
BENCHMARK_CAPTURE(Overlap, BruteForce, true);
