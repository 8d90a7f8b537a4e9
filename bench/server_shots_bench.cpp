// Shot resolution at its worst: a 16-player free-for-all room on open ground where every player
// holds a full-auto weapon and fires in every tick (the rate of fire is raised to the tick rate and
// the magazines never empty, so all 16 shoot each tick), measured as one whole tick and as the
// trace-and-resolve steps alone; and one shotgun volley of 9 pellets traced against 15 posed
// players. The argument is the worker-thread request (-1: the server thread alone).
//
// The server has no socket here, so the hit and shot events are built but not put on the wire.

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "game/input_command.h"
#include "game/tuning.h"
#include "net/server.h"

namespace {

constexpr int kRoomPlayers = 16;
constexpr float kRingRadius = 6.0f;
constexpr uint16_t kEndlessHealth = 60000;

// Everyone on a circle facing its centre, slightly down onto the bodies across it.
InputCommand ShotsBenchCommand(uint32_t tick, int player, uint8_t weapon)
{
    InputCommand command;
    command.tick = tick;
    command.yaw = static_cast<uint16_t>(static_cast<uint32_t>(player) * (65536u / kRoomPlayers) +
                                        ((tick * 37u) % 600u));
    command.pitch = -600;
    command.buttons = kButtonFire;
    command.weapon = weapon;
    return command;
}

std::unique_ptr<net::Server> MakeShotsServer(int threadRequest, bool shotgunFirst, std::string& error)
{
    auto server = std::make_unique<net::Server>();
    server->tuning = tune::Tuning::CopyForServer(tune::Tuning{});
    const uint8_t fullAuto[3] = {kWeaponM4, kWeaponLmg, kWeaponSmg};
    for (uint8_t row : fullAuto) {
        server->tuning.weapons[row].automatic = 1;
        server->tuning.weapons[row].rateOfFire = 64.0f * 60.0f;
        server->tuning.weapons[row].magazineSize = 60000;
    }
    server->slots.resize(kRoomPlayers);
    server->workers = std::make_unique<net::WorkerPool>(threadRequest);
    server->now = 1.0;
    net::ServerMap& map = server->maps[0];
    map.world.Clear();  // open ground: only the players stop the rays
    map.geometry.Clear();
    map.loaded = true;
    if (!net::Server::LoadCombatRig(server->combatRig, server->tuning)) {
        error = "combat rig did not load";
        return nullptr;
    }
    net::Room& room = server->rooms[0];
    room.inUse = 1;
    room.id = 1;
    room.started = 1;
    room.settings.gameMode = 1;
    room.settings.lives = 100;
    for (int s = 0; s < kRoomPlayers; ++s) {
        net::ClientSlot& client = server->slots[static_cast<size_t>(s)];
        client.inUse = 1;
        client.room = 0;
        client.chosenTeam = 0;
        client.primaryWeapon = (shotgunFirst && s == 0) ? static_cast<uint8_t>(kWeaponShotgun) : fullAuto[s % 3];
        client.secondaryWeapon = client.primaryWeapon;
        server->SpawnPlayer(s);
    }
    return server;
}

// Places everyone back on the circle, alive and unprotected, with health that outlasts any volley.
void ResetShotsRoom(net::Server& server)
{
    for (int s = 0; s < kRoomPlayers; ++s) {
        PlayerState& state = server.slots[static_cast<size_t>(s)].state;
        const float angle = static_cast<float>(s) * (6.2831853f / kRoomPlayers);
        state.position = glm::vec3(std::sin(angle) * kRingRadius, 0.0f, std::cos(angle) * kRingRadius);
        state.velocity = glm::vec3(0.0f);
        state.respawnTicks = 0;
        state.spawnProtectionTicks = 0;
        state.maxHealth = kEndlessHealth;
        state.health = kEndlessHealth;
    }
}

void RunShotsTick(net::Server& server)
{
    const uint32_t next = server.tick + 1;
    for (int s = 0; s < kRoomPlayers; ++s) {
        net::ClientSlot& client = server.slots[static_cast<size_t>(s)];
        const int at = (client.queueHead + client.queueCount) % net::kInputQueueCapacity;
        client.inputQueue[static_cast<size_t>(at)] = ShotsBenchCommand(next, s, client.primaryWeapon);
        client.queueCount = std::min(client.queueCount + 1, net::kInputQueueCapacity);
        client.latestInputTick = next;
    }
    server.now += 1.0 / 64.0;
    server.SimulateTick();
}

// One whole tick of the room (movement, posing, then every shot traced and resolved).
void BM_ShotsRoomTick16FullAuto(benchmark::State& bench)
{
    std::string error;
    std::unique_ptr<net::Server> server = MakeShotsServer(static_cast<int>(bench.range(0)), false, error);
    if (!server) {
        bench.SkipWithError(error.c_str());
        return;
    }
    ResetShotsRoom(*server);
    for (int i = 0; i < 16; ++i) {
        RunShotsTick(*server);  // fills the rings the rewind reads
    }
    size_t shots = 0;
    int64_t ticks = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        ResetShotsRoom(*server);
        bench.ResumeTiming();
        RunShotsTick(*server);
        shots += server->shooters.size();
        ++ticks;
    }
    bench.counters["shots_per_tick"] = ticks > 0 ? static_cast<double>(shots) / static_cast<double>(ticks) : 0.0;
}
BENCHMARK(BM_ShotsRoomTick16FullAuto)->Arg(-1)->Arg(3)->Unit(benchmark::kMicrosecond);

// Steps 11 to 13 alone: 16 records traced (on the pool) and resolved.
void BM_ShotsTraceAndResolve16(benchmark::State& bench)
{
    std::string error;
    std::unique_ptr<net::Server> server = MakeShotsServer(static_cast<int>(bench.range(0)), false, error);
    if (!server) {
        bench.SkipWithError(error.c_str());
        return;
    }
    ResetShotsRoom(*server);
    for (int i = 0; i < 16; ++i) {
        RunShotsTick(*server);
    }
    std::vector<net::ShotTrace> records(kRoomPlayers);
    const std::function<void(int)> trace = [&](int index) { server->TraceShot(index, records[static_cast<size_t>(index)]); };
    int64_t hits = 0;
    int64_t volleys = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        ResetShotsRoom(*server);
        bench.ResumeTiming();
        server->workers->Run(kRoomPlayers, trace);
        for (const net::ShotTrace& record : records) {
            server->ResolveShot(record);
        }
        for (const net::ShotTrace& record : records) {
            hits += record.pellets[0].slot >= 0 ? 1 : 0;
        }
        ++volleys;
    }
    bench.counters["hits_per_tick"] = volleys > 0 ? static_cast<double>(hits) / static_cast<double>(volleys) : 0.0;
}
BENCHMARK(BM_ShotsTraceAndResolve16)->Arg(-1)->Arg(3)->Unit(benchmark::kMicrosecond);

// One shotgun volley: 9 pellets, each against the world and 15 posed players.
void BM_ShotgunTraceAgainst15(benchmark::State& bench)
{
    std::string error;
    std::unique_ptr<net::Server> server = MakeShotsServer(-1, true, error);
    if (!server) {
        bench.SkipWithError(error.c_str());
        return;
    }
    ResetShotsRoom(*server);
    for (int i = 0; i < 16; ++i) {
        RunShotsTick(*server);
    }
    net::ShotTrace record;
    int64_t pelletHits = 0;
    int64_t volleys = 0;
    for (auto _ : bench) {
        server->TraceShot(0, record);
        benchmark::DoNotOptimize(record);
        for (int k = 0; k < record.pelletCount; ++k) {
            pelletHits += record.pellets[static_cast<size_t>(k)].slot >= 0 ? 1 : 0;
        }
        ++volleys;
    }
    bench.counters["pellets"] = record.pelletCount;
    bench.counters["pellet_hits"] = volleys > 0 ? static_cast<double>(pelletHits) / static_cast<double>(volleys) : 0.0;
}
BENCHMARK(BM_ShotgunTraceAgainst15)->Unit(benchmark::kMicrosecond);

}  // namespace
