// The server's tick and snapshot pass at full load: 256 moving players in 32 rooms on the
// generated maps (movement, animation and hit-volume posing), and one snapshot pass to all 256
// over loopback. The argument is the worker-thread request (-1: the server thread alone; 1: the
// server thread and one worker, i.e. two cores).

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "game/asset_paths.h"
#include "game/map_geometry.h"
#include "game/match_options.h"
#include "game/tuning.h"
#include "net/server.h"
#include "net/udp_socket.h"

namespace {

constexpr int kPlayers = 256;
constexpr int kRooms = 32;

InputCommand TickBenchCommand(uint32_t tick, uint32_t player, uint8_t weapon)
{
    uint32_t x = tick * 0x9E3779B1u + player * 40503u + 1u;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    InputCommand command;
    command.tick = tick;
    command.yaw = static_cast<uint16_t>((tick + player * 977u) * 91u);
    command.pitch = static_cast<int16_t>(static_cast<int32_t>((tick * 37u + player) % 4096u) - 2048);
    command.forward = ((tick / 64u + player) % 5u == 4u) ? -90 : 127;
    command.side = static_cast<int8_t>(static_cast<int32_t>(x % 255u) - 127);
    command.buttons = static_cast<uint8_t>((x >> 8) & (kButtonJump | kButtonSprint | kButtonFire | kButtonSecondary));
    if ((tick + player) % 97u < 10u) {
        command.buttons |= kButtonCrouch;
    }
    command.weapon = weapon;
    return command;
}

bool LoadBenchMap(net::Server& server, int index)
{
    net::ServerMap& map = server.maps[static_cast<size_t>(index)];
    if (!LoadMapGeometry(map.geometry, AssetPath(GetMapInfo(index).mapFile), MapScale(server.tuning))) {
        return false;
    }
    std::vector<Triangle> triangles = map.geometry.triangles;
    map.loaded = map.world.SetTriangles(std::move(triangles));
    map.floorHeight = map.geometry.bounds.min.y - server.tuning.match.killFloorDepth;
    return map.loaded;
}

// 256 players, 8 to a room, rooms alternating between the two maps and between two sides and
// free-for-all, each player with its own loadout.
std::unique_ptr<net::Server> MakeFullServer(int threadRequest, std::string& error)
{
    auto server = std::make_unique<net::Server>();
    server->tuning = tune::Tuning::CopyForServer(tune::Tuning{});
    server->tuning.network.maxClients = kPlayers;
    server->slots.resize(kPlayers);
    server->workers = std::make_unique<net::WorkerPool>(threadRequest);
    server->now = 1.0;
    if (!LoadBenchMap(*server, 0) || !LoadBenchMap(*server, 1)) {
        error = "generated maps did not load";
        return nullptr;
    }
    if (!net::Server::LoadCombatRig(server->combatRig, server->tuning)) {
        error = "combat rig did not load";
        return nullptr;
    }
    for (int r = 0; r < kRooms; ++r) {
        net::Room& room = server->rooms[static_cast<size_t>(r)];
        room.inUse = 1;
        room.id = static_cast<uint16_t>(r + 1);
        room.started = 1;
        room.settings.mapIndex = static_cast<uint8_t>(r % 2);
        room.settings.gameMode = static_cast<uint8_t>((r / 2) % 2);
        room.settings.lives = 100;
    }
    for (int s = 0; s < kPlayers; ++s) {
        net::ClientSlot& client = server->slots[static_cast<size_t>(s)];
        client.inUse = 1;
        client.room = s / (kPlayers / kRooms);
        client.chosenTeam = static_cast<uint8_t>(s % 2);
        client.primaryWeapon = static_cast<uint8_t>(1 + s % 9);
        client.secondaryWeapon = static_cast<uint8_t>(1 + (s + 4) % 9);
        client.armour = static_cast<uint8_t>(s % 5);
        client.power = static_cast<uint8_t>(s % 5);
        server->SpawnPlayer(s);
    }
    return server;
}

// Queues this tick's command for everyone and runs the tick; players who fell out of the level
// start again at a spawn, as the match rules would have them.
void RunBusyTick(net::Server& server)
{
    const uint32_t next = server.tick + 1;
    for (int s = 0; s < kPlayers; ++s) {
        net::ClientSlot& client = server.slots[static_cast<size_t>(s)];
        if (client.state.position.y < server.MapOfRoom(client.room).floorHeight) {
            server.SpawnPlayer(s);
        }
        const int at = (client.queueHead + client.queueCount) % net::kInputQueueCapacity;
        client.inputQueue[static_cast<size_t>(at)] =
            TickBenchCommand(next, static_cast<uint32_t>(s), client.primaryWeapon);
        client.queueCount = std::min(client.queueCount + 1, net::kInputQueueCapacity);
        client.latestInputTick = next;
    }
    server.now += 1.0 / 64.0;
    server.SimulateTick();
}

void SetPercentiles(benchmark::State& bench, std::vector<double>& millis)
{
    if (millis.empty()) {
        return;
    }
    std::sort(millis.begin(), millis.end());
    bench.counters["p99_ms"] = millis[std::min(millis.size() - 1, millis.size() * 99 / 100)];
    bench.counters["worst_ms"] = millis.back();
}

void BM_ServerTick256PlayersIn32Rooms(benchmark::State& bench)
{
    std::string error;
    std::unique_ptr<net::Server> server = MakeFullServer(static_cast<int>(bench.range(0)), error);
    if (!server) {
        bench.SkipWithError(error.c_str());
        return;
    }
    for (int i = 0; i < 64; ++i) {
        RunBusyTick(*server);  // past the spawn poses, into steady running
    }
    std::vector<double> millis;
    for (auto _ : bench) {
        const auto start = std::chrono::steady_clock::now();
        RunBusyTick(*server);
        millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    bench.counters["threads"] = server->workers->ThreadCount();
    SetPercentiles(bench, millis);
}
BENCHMARK(BM_ServerTick256PlayersIn32Rooms)->Arg(-1)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SnapshotPassTo256Players(benchmark::State& bench)
{
    std::string error;
    std::unique_ptr<net::Server> server = MakeFullServer(-1, error);
    net::UdpSocket sink;
    if (!server || !net::StartupSockets() || !server->socket.Open(0) || !sink.Open(0)) {
        bench.SkipWithError(server ? "no loopback socket" : error.c_str());
        return;
    }
    for (net::ClientSlot& client : server->slots) {
        client.address = net::LoopbackAddress(sink.Port());
    }
    for (int i = 0; i < 64; ++i) {
        RunBusyTick(*server);
        server->RecordHistory();
    }
    uint32_t lastSnapshot = net::kNoTick;
    uint64_t bytes = 0;
    uint64_t snapshots = 0;
    std::vector<double> millis;
    for (auto _ : bench) {
        // Two ticks of play between snapshots, each client acknowledging the one before.
        bench.PauseTiming();
        for (int i = 0; i < 2; ++i) {
            RunBusyTick(*server);
            server->RecordHistory();
        }
        for (net::ClientSlot& client : server->slots) {
            client.acknowledgedTick = lastSnapshot;
        }
        std::array<uint32_t, net::kDatagramWords> drain;
        net::Address from;
        while (sink.ReceiveFrom(from, drain.data(), net::kDatagramBytes) != net::UdpSocket::kNothingWaiting) {
        }
        uint64_t before = 0;
        for (const net::ClientSlot& client : server->slots) {
            before += client.snapshotBytes;
        }
        bench.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();
        server->BuildSnapshot(server->now);
        millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());

        bench.PauseTiming();
        uint64_t after = 0;
        uint64_t sent = 0;
        for (const net::ClientSlot& client : server->slots) {
            after += client.snapshotBytes;
            sent += client.snapshotsSent;
        }
        bytes += after - before;
        snapshots = sent;
        lastSnapshot = server->tick;
        bench.ResumeTiming();
    }
    bench.counters["bytes_per_snapshot"] =
        snapshots > 0 ? static_cast<double>(bytes) / static_cast<double>(snapshots) : 0.0;
    SetPercentiles(bench, millis);
}
BENCHMARK(BM_SnapshotPassTo256Players)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
