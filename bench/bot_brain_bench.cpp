// One bot's thinking for one tick, with sixteen enemies in view on a flat floor with a graph.
#include <vector>

#include <benchmark/benchmark.h>

#include "game/tuning.h"
#include "net/bot_brain.h"

namespace {

void BM_BotThink(benchmark::State& state)
{
    std::vector<Triangle> triangles;
    triangles.push_back({{glm::vec3(-40, 0, -40), glm::vec3(40, 0, -40), glm::vec3(40, 0, 40)}});
    triangles.push_back({{glm::vec3(-40, 0, -40), glm::vec3(40, 0, 40), glm::vec3(-40, 0, 40)}});
    CollisionWorld world;
    world.SetTriangles(std::move(triangles));
    const tune::Tuning tuning;
    net::NavGraph graph;
    graph.Build(world, tuning, {});

    std::vector<net::BotTarget> targets(16);
    for (int i = 0; i < 16; ++i) {
        net::BotTarget& t = targets[static_cast<size_t>(i)];
        t.id = i + 1;
        t.feet = glm::vec3(static_cast<float>(i * 3 - 24), 0.0f, -20.0f);
        t.aimPoint = t.feet + glm::vec3(0.0f, 1.44f, 0.0f);
        t.distance = 20.0f + static_cast<float>(i);
        t.visible = i % 3 != 0;
        t.health = 100.0f;
    }
    PlayerState player;
    player.health = 100;
    player.onGround = 1;
    player.ammo = 32;
    net::BotBrain brain;
    brain.seed = 99;
    net::BotContext context;
    context.world = &world;
    context.graph = &graph;
    context.tuning = &tuning;
    context.targets = targets.data();
    context.targetCount = 16;
    context.dt = 1.0f / 64.0f;
    context.primaryWeapon = 1;
    context.secondaryWeapon = 9;
    InputCommand command;
    double now = 10.0;
    for (auto _ : state) {
        context.now = now;
        net::Bot::Think(command, brain, player, context);
        brain.pathRequestPending = 0;
        now += 1.0 / 64.0;
        benchmark::DoNotOptimize(command);
    }
}
BENCHMARK(BM_BotThink);

}  // namespace
