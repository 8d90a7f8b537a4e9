#include "net/server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "game/asset_paths.h"
#include "platform/stop_signal.h"

namespace net {
namespace {

std::string LowerCase(const char* text)
{
    std::string out = text != nullptr ? text : "";
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace

Server::Server() = default;
Server::~Server() = default;

bool Server::Start(const tune::Tuning& settings)
{
    tuning = settings;

    moderators = LoadModerators(AssetPath("../moderators.txt"));
    if (moderators.empty()) {
        moderators = LoadModerators("moderators.txt");
    }
    std::printf("[mod] %zu ranked account(s) loaded\n", moderators.size());
    for (const RankedAccount& entry : moderators) {
        std::printf("[mod]   %-5s %s\n", RoleTag(entry.role), entry.account.c_str());
    }

    workers = std::make_unique<WorkerPool>(tuning.loop.workerThreads);
    std::printf("[server] %d worker thread(s) for the tick\n", workers->ThreadCount());

    LoadAccessoryCatalogue(accessoryCatalogue, AssetsDir());
    std::printf("[server] %d skin(s)\n", static_cast<int>(ScanSkins(skinCatalogue, AssetsDir())));

    armourNames.clear();
    for (int row = 0; row < tune::Tuning::kArmorCount; ++row) {
        armourNames.push_back(LowerCase(tuning.armors[row].displayName));
    }
    const int accessories = static_cast<int>(accessoryCatalogue.size());
    std::printf("[server] %d accessor%s in the catalog\n", accessories, accessories == 1 ? "y" : "ies");

    if (!LoadCombatRig(combatRig, tuning)) {
        std::fprintf(stderr, "[server] cannot load authoritative combat rig\n");
        return false;
    }
    LoadRoomMap(0);

    if (!StartupSockets()) {
        std::fprintf(stderr, "[server] socket init failed\n");
        return false;
    }
    if (!socket.Open(tuning.network.port)) {
        return false;
    }

    const int slotCount = std::clamp(tuning.network.maxClients, 1, kMaxPlayers);
    slots.clear();
    slots.resize(static_cast<size_t>(slotCount));

    // The grid covers -1024..+1024 on both horizontal axes; a NaN radius falls back to the floor.
    const float radius = tuning.network.interestRadius;
    gridCellSize = radius > 8.0f ? radius : 8.0f;
    gridOrigin = -1024.0f;
    gridCellsPerSide = 1 - static_cast<int32_t>(-2048.0 / static_cast<double>(gridCellSize));
    gridCells.assign(static_cast<size_t>(gridCellsPerSide) * static_cast<size_t>(gridCellsPerSide), -1);
    gridNext.assign(static_cast<size_t>(slotCount), -1);

    for (HistoryEntry& entry : history) {
        entry.tick = kNoTick;
        entry.alive.reset();
    }

    running.exchange(true);
    std::printf("[server] listening on port %u, %d slots, tick %d Hz, snapshots %d Hz\n",
                static_cast<unsigned>(socket.Port()), slotCount, tuning.loop.tickRate,
                tuning.network.snapshotRate);
    return true;
}

void Server::Run()
{
    const double step = 1.0 / static_cast<double>(std::max(tuning.loop.tickRate, 1));
    double next = Clock();
    while (running.load() && !StopSignalReceived()) {
        const double time = Clock();
        if (time >= next) {
            Update(time);
            next += step;
            // A loop that fell far behind resumes from the present rather than running the
            // missed ticks back to back.
            const double after = Clock();
            if (after > next + 0.25) {
                next = after;
            }
        } else {
            // Sleeping is coarse: the last 2 ms are spun so the tick period stays even.
            const double wait = next - time;
            if (wait > 0.002) {
                std::this_thread::sleep_for(std::chrono::duration<double>(wait - 0.002));
            }
        }
    }
}

void Server::Update(double time)
{
    now = time;
    ReceivePackets(now);

    const double t0 = Clock();
    SimulateTick();
    RecordHistory();
    const double t1 = Clock();
    BuildSnapshot(now);
    BroadcastLobbyState(now);
    const double t2 = Clock();

    statsTicks += 1;
    statsSimulateSeconds += t1 - t0;
    statsSendSeconds += t2 - t1;

    const double timeout = tuning.network.connectionTimeout;
    for (size_t i = 0; i < slots.size(); ++i) {
        const ClientSlot& slot = slots[i];
        if (slot.inUse && !slot.bot && now - slot.lastHeard > timeout) {
            DisconnectClient(static_cast<int>(i), "timeout");
        }
    }

    EconomyStep(now);
    PrintTickStats(now);
}

void Server::Stop()
{
    running.exchange(false);
    socket.Close();
    CleanupSockets();
}

void Server::PrintTickStats(double time)
{
    if (!tuning.network.serverStatistics) {
        return;
    }
    if (statsWindowStart == 0.0) {
        statsWindowStart = time;
    }
    const double elapsed = time - statsWindowStart;
    if (!(elapsed >= static_cast<double>(tuning.network.statisticsInterval))) {
        return;
    }
    const int players = CountClients();
    const double out = elapsed > 0.0 ? static_cast<double>(statsBytesSent) / elapsed / 1024.0 : 0.0;
    const double each = players >= 1 ? out / players : 0.0;
    const double simMs = statsTicks > 0 ? statsSimulateSeconds / statsTicks * 1000.0 : 0.0;
    const double snapMs = statsTicks > 0 ? statsSendSeconds / statsTicks * 1000.0 : 0.0;
    const double ticksPerSecond = elapsed > 0.0 ? statsTicks / elapsed : 0.0;
    const int tickRate = tuning.loop.tickRate;
    std::printf("[server] tick %u | %d players | %.1f/%.0f ticks/s%s | out %.1f KB/s (%.2f KB/s each) | "
                "sim %.3f ms snap %.3f ms per tick\n",
                static_cast<unsigned>(tick), players, ticksPerSecond, static_cast<double>(tickRate),
                tickRate * 0.97 > ticksPerSecond ? " BEHIND" : "", out, each, simMs, snapMs);
    statsBytesSent = 0;
    statsDatagramsSent = 0;
    statsSimulateSeconds = 0.0;
    statsSendSeconds = 0.0;
    statsTicks = 0;
    statsWindowStart = time;
}

double Server::Clock()
{
    using SteadyClock = std::chrono::steady_clock;
    static const SteadyClock::time_point start = SteadyClock::now();  // thread-safe, once
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now() - start);
    return static_cast<double>(elapsed.count()) * 1e-9;
}

int Server::CountClients() const
{
    int count = 0;
    for (const ClientSlot& slot : slots) {
        if (slot.inUse && !slot.bot) {
            ++count;
        }
    }
    return count;
}

int Server::RoomOfPlayer(int slot) const
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return -1;
    }
    const ClientSlot& client = slots[static_cast<size_t>(slot)];
    const int room = client.room;
    if (!client.inUse || room < 0 || room >= kMaxRooms || !rooms[static_cast<size_t>(room)].inUse) {
        return -1;
    }
    return room;
}

ServerMap& Server::MapOfRoom(int room)
{
    if (room < 0 || room >= kMaxRooms || !rooms[static_cast<size_t>(room)].inUse) {
        return maps[0];
    }
    const int map = rooms[static_cast<size_t>(room)].settings.mapIndex;
    return map < kMaxMaps ? maps[static_cast<size_t>(map)] : maps[0];
}

bool Server::SendDatagram(const Address& to, const void* bytes, int length)
{
    if (!socket.SendTo(to, bytes, length)) {
        return false;
    }
    statsBytesSent += static_cast<uint64_t>(length);
    statsDatagramsSent += 1;
    return true;
}

}  // namespace net
