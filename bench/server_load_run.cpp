// A bounded load run of the match server over loopback: scripted clients connect, fill a few
// rooms, start their matches and stream inputs at the tick rate while the server runs in this
// process. Prints tick-time figures and snapshot traffic at the end.
//
//   zw_server_load [--clients N] [--rooms R] [--seconds S] [--workers W] [--bots B]
//
// With --bots, each room's host adds its share of B server-side bots before the start.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "game/tuning.h"
#include "net/server.h"
#include "platform/clock.h"
#include "support/net/scripted_client.h"

namespace {

struct LoadOptions {
    int clients = 128;
    int rooms = 4;
    double seconds = 60.0;
    int workers = 0;
    int bots = 0;
};

LoadOptions ParseLoadOptions(int argc, char** argv)
{
    LoadOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--clients") == 0) options.clients = std::clamp(value, 1, 256);
        else if (std::strcmp(argv[i], "--rooms") == 0) options.rooms = std::clamp(value, 1, 32);
        else if (std::strcmp(argv[i], "--seconds") == 0) options.seconds = std::clamp(value, 1, 3600);
        else if (std::strcmp(argv[i], "--workers") == 0) options.workers = value;
        else if (std::strcmp(argv[i], "--bots") == 0) options.bots = std::clamp(value, 0, 255);
    }
    options.rooms = std::min(options.rooms, options.clients);
    return options;
}

void SleepUntil(double when)
{
    const double wait = when - SecondsSinceStart();
    if (wait > 0.0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const LoadOptions options = ParseLoadOptions(argc, argv);
    tune::Tuning tuning = tune::Tuning::CopyForServer(tune::g_tuning);
    tuning.network.port = 0;
    tuning.network.maxClients = std::min(options.clients + options.bots, 256);
    tuning.loop.workerThreads = options.workers;
    tuning.network.serverStatistics = 1;

    auto server = std::make_unique<net::Server>();
    if (!server->Start(tuning)) {
        std::fprintf(stderr, "[load] the server did not start\n");
        return 1;
    }
    const uint16_t port = server->socket.Port();
    const double step = 1.0 / tuning.loop.tickRate;
    double now = SecondsSinceStart();
    // Set-up frames run at the tick rate too: the lobby's timers read the server's clock.
    double nextSetupFrame = now;
    auto tickServer = [&] {
        nextSetupFrame += step;
        SleepUntil(nextSetupFrame);
        now = SecondsSinceStart();
        server->Update(now);
    };

    std::vector<std::unique_ptr<testnet::ScriptedClient>> clients;
    std::vector<testnet::ScriptedClient*> all;
    for (int i = 0; i < options.clients; ++i) {
        auto client = std::make_unique<testnet::ScriptedClient>();
        if (!client->Open(port)) {
            std::fprintf(stderr, "[load] client %d could not open a socket\n", i);
            return 1;
        }
        client->profile.name = "load" + std::to_string(i);
        client->profile.primaryWeapon = 1;
        client->profile.secondaryWeapon = 8;
        all.push_back(client.get());
        clients.push_back(std::move(client));
    }

    // Connect in groups of 4: the server takes at most 4 Connect messages a frame.
    for (size_t i = 0; i < clients.size(); ++i) {
        clients[i]->SendConnect();
        if (i % 4 == 3) tickServer();
    }
    const bool connected = testnet::PollUntil(
        all, [&] { return std::all_of(all.begin(), all.end(), [](auto* c) { return c->accepted; }); },
        tickServer, 400);
    if (!connected) {
        std::fprintf(stderr, "[load] not every client was accepted\n");
        return 1;
    }

    // The first client of each group creates a room, the others join it.
    const int perRoom = (options.clients + options.rooms - 1) / options.rooms;
    for (int r = 0; r < options.rooms; ++r) {
        clients[r * perRoom]->SendLobby(net::LobbyAction::CreateRoom);
    }
    tickServer();
    const bool roomsMade = testnet::PollUntil(
        all,
        [&] {
            for (int r = 0; r < options.rooms; ++r) {
                if (clients[r * perRoom]->lobby.roomId == 0) return false;
            }
            return true;
        },
        tickServer, 400);
    if (!roomsMade) {
        std::fprintf(stderr, "[load] the rooms were not created\n");
        return 1;
    }
    for (int i = 0; i < options.clients; ++i) {
        const int host = (i / perRoom) * perRoom;
        if (i != host) {
            clients[i]->SendLobby(net::LobbyAction::JoinRoom, clients[host]->lobby.roomId);
            if (i % 3 == 2) tickServer();
        }
    }
    testnet::PollUntil(
        all,
        [&] {
            return std::all_of(all.begin(), all.end(),
                               [](auto* c) { return c->lobby.place == net::LobbyPlace::RoomLobby; });
        },
        tickServer, 400);
    // Bots one request a frame per host: the server takes a few messages per client and tick.
    for (int b = 0; b < options.bots; ++b) {
        clients[(b % options.rooms) * perRoom]->SendLobby(net::LobbyAction::AddBot, 0, static_cast<uint8_t>(b % 2));
        tickServer();
        tickServer();
    }
    for (int r = 0; r < options.rooms; ++r) {
        clients[r * perRoom]->SendLobby(net::LobbyAction::StartMatch);
    }
    testnet::PollUntil(
        all,
        [&] {
            return std::all_of(all.begin(), all.end(),
                               [](auto* c) { return c->lobby.place == net::LobbyPlace::Match; });
        },
        tickServer, 400);
    for (auto* client : all) {
        client->keepSnapshots = false;
        client->snapshotBytes = 0;
        client->largestSnapshotBytes = 0;
    }
    int bots = 0;
    for (const net::ClientSlot& slot : server->slots) {
        bots += slot.inUse && slot.bot ? 1 : 0;
    }
    std::printf("[load] %d clients and %d bots in %d rooms, %d worker thread(s); running %.0f s\n", options.clients,
                bots, options.rooms, server->workers ? server->workers->ThreadCount() : 0, options.seconds);

    // The match: every client runs in a circle and fires now and then.
    std::vector<double> tickTimes;
    tickTimes.reserve(static_cast<size_t>(options.seconds / step) + 16);
    const double start = SecondsSinceStart();
    double next = start;
    int tickCount = 0;
    while (SecondsSinceStart() - start < options.seconds) {
        SleepUntil(next);
        next += step;
        if (SecondsSinceStart() > next + 0.25) next = SecondsSinceStart();
        for (size_t i = 0; i < clients.size(); ++i) {
            InputCommand& command = clients[i]->NextCommand();
            command.forward = 127;
            command.side = static_cast<int8_t>((tickCount / 64 + static_cast<int>(i)) % 3 * 60 - 60);
            command.yaw = static_cast<uint16_t>(tickCount * 180 + static_cast<int>(i) * 977);
            command.buttons = (tickCount + static_cast<int>(i)) % 48 < 6 ? kButtonFire : 0;
            command.claimedViewTick = clients[i]->newestSnapshotTick;
            clients[i]->SendInput();
        }
        const double before = SecondsSinceStart();
        server->Update(before);
        tickTimes.push_back((SecondsSinceStart() - before) * 1000.0);
        ++tickCount;
        for (auto* client : all) client->Poll();
    }
    const double elapsed = SecondsSinceStart() - start;

    std::vector<double> sorted = tickTimes;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0.0;
    for (const double t : sorted) sum += t;
    const double mean = sorted.empty() ? 0.0 : sum / static_cast<double>(sorted.size());
    const double p99 = sorted.empty() ? 0.0 : sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    const double worst = sorted.empty() ? 0.0 : sorted.back();
    uint64_t snapshotBytes = 0;
    int largest = 0;
    int undecodable = 0;
    for (auto* client : all) {
        snapshotBytes += client->snapshotBytes;
        largest = std::max(largest, client->largestSnapshotBytes);
        undecodable += client->undecodable;
    }
    std::printf("[load] %.1f ticks/s over %.1f s | tick mean %.3f ms  p99 %.3f ms  worst %.3f ms\n",
                tickCount / elapsed, elapsed, mean, p99, worst);
    std::printf("[load] snapshots %.0f bytes/s per client | largest %d bytes | %d undecodable\n",
                static_cast<double>(snapshotBytes) / elapsed / options.clients, largest, undecodable);
    server->Stop();
    return largest > net::kDatagramBytes || undecodable > 0 ? 1 : 0;
}
