// Many complete clients in one process: each connects like a player, the first bots create the
// rooms and host them, the others join their room, the hosts start the matches, and every bot then
// plays the scripted demo input with its own prediction. A status line every two seconds reports
// connections, traffic, players in view and prediction corrections.
#include "client/bots_harness.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "client/game_session.h"
#include "client/input_commands.h"
#include "game/asset_paths.h"
#include "game/collision_world.h"
#include "game/map_geometry.h"
#include "platform/clock.h"
#include "platform/stop_signal.h"

namespace {

constexpr int kMaxBots = 256;
constexpr int kMaxBotRooms = 32;
constexpr double kStartWithoutFullRoom = 15.0;
constexpr int kConnectSpread = 16;  // steps over which the bots' first polls are spread

struct Bot {
    GameSession session;
    uint64_t tickCounter = 0;
    float phase = 0.0f;
    int room = 0;
};

// The collision world every bot predicts against: the tuning's map, else the greybox.
void LoadPredictionWorld(const tune::Tuning& tuning, CollisionWorld& world)
{
    MapGeometry geometry;
    if (LoadMapGeometry(geometry, AssetPath(tuning.match.defaultMap), MapScale(tuning)) &&
        world.SetTriangles(std::move(geometry.triangles))) {
        return;
    }
    world.BuildGreybox();
}

// The harness does not draw: what the frame loop would take each frame is dropped here, keeping
// the lists' storage.
void DropEvents(GameSession& session)
{
    session.chatLines.clear();
    session.killEvents.clear();
    session.hitEvents.clear();
    session.shotEvents.clear();
    session.healingFields.clear();
    session.projectilesSpawned.clear();
    session.projectileDetonations.clear();
    session.dropsSpawned.clear();
    session.dropsTaken.clear();
}

bool Idle(const GameSession& session)
{
    return session.pendingAction == net::LobbyAction::KeepAlive;
}

struct Harness {
    int count = 0;
    int rooms = 0;
    std::unique_ptr<Bot[]> bots;
    std::array<int, kMaxBotRooms> roomIds{};  // the room each hosting bot created, 0 until seen
    CollisionWorld world;
    double start = 0.0;
    float step = 1.0f / 64.0f;

    // The lobby stage of bot `index`: create or join its room, have the host set the room up and
    // start it, or play one step of the match.
    void Act(int index, double now)
    {
        Bot& bot = bots[static_cast<size_t>(index)];
        GameSession& session = bot.session;
        if (!session.IsConnected() || !session.hasLobbyView) {
            return;
        }
        const net::LobbyStateMessage& lobby = session.lobby;
        switch (lobby.place) {
        case net::LobbyPlace::NoRoom:
            if (!Idle(session)) {
                return;
            }
            if (index < rooms) {
                session.QueueLobbyAction(net::LobbyAction::CreateRoom, 0);
                return;
            }
            for (const net::LobbyRoomEntry& entry : lobby.rooms) {
                if (entry.open && entry.id != 0 && entry.id == roomIds[static_cast<size_t>(bot.room)]) {
                    session.QueueLobbyAction(net::LobbyAction::JoinRoom, entry.id);
                    return;
                }
            }
            return;
        case net::LobbyPlace::RoomLobby:
            if (index < rooms) {
                roomIds[static_cast<size_t>(index)] = lobby.roomId;
            }
            if (index >= rooms || !lobby.isHost || !Idle(session)) {
                return;
            }
            if (lobby.settings.lives != 100 || lobby.settings.joiningAllowed != 1) {
                net::RoomSettings settings = lobby.settings;
                settings.lives = 100;
                settings.joiningAllowed = 1;
                session.RequestRoomSettings(settings);
                return;
            }
            // The lobby state lists at most 32 members, so a larger share counts as 32.
            if (static_cast<int>(lobby.members.size()) >= std::min<int>(RoomShare(index), net::kMaxLobbyMembers) ||
                now - start > kStartWithoutFullRoom) {
                session.QueueLobbyAction(net::LobbyAction::StartMatch, lobby.roomId);
            }
            return;
        case net::LobbyPlace::Match: {
            if (index < rooms) {
                roomIds[static_cast<size_t>(index)] = lobby.roomId;
            }
            bot.tickCounter += 1;
            // The others are placed first, so the command claims the view tick the bot sees now.
            session.InterpolateSnapshots(now);
            InputCommand command = DemoInputCommand(bot.tickCounter, step, bot.phase);
            command.weapon = session.primaryWeapon;
            command.power = session.power;
            session.PredictLocalMove(command, &world);
            session.SendInput(now);
            return;
        }
        }
    }

    // Bots room `room` waits for before its host starts: ceil((N - r) / R).
    int RoomShare(int room) const { return (count - room + rooms - 1) / rooms; }

    void Report()
    {
        int connected = 0;
        int inMatch = 0;
        int visible = 0;
        double download = 0.0;
        uint64_t corrections = 0;
        const double now = SecondsSinceStart();
        for (int i = 0; i < count; ++i) {
            GameSession& session = bots[static_cast<size_t>(i)].session;
            if (session.IsConnected()) {
                connected += 1;
                download += session.downloadKBps;
                if (session.hasLobbyView && session.lobby.place == net::LobbyPlace::Match) {
                    inMatch += 1;
                    session.InterpolateSnapshots(now);
                    visible += static_cast<int>(session.remotePlayers.size());
                }
            }
            corrections += session.corrections;
        }
        std::printf("[bots] %d/%d connected, %d in match | down %.1f KB/s total (%.2f KB/s each) | avg %.1f "
                    "visible | %llu corrections\n",
                    connected, count, inMatch, download, connected > 0 ? download / connected : 0.0,
                    inMatch > 0 ? static_cast<double>(visible) / inMatch : 0.0,
                    static_cast<unsigned long long>(corrections));
    }
};

double ProcessCpuSeconds()
{
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

}  // namespace

int RunBots(const tune::Tuning& tuning, const Options& options)
{
    InstallStopSignalHandlers();
    auto harness = std::make_unique<Harness>();
    Harness& h = *harness;
    h.count = std::clamp(options.bots, 1, kMaxBots);
    h.rooms = std::clamp(options.botRooms, 1, h.count);
    if (h.rooms > kMaxBotRooms) {
        std::printf("[bots] at most %d rooms; using %d\n", kMaxBotRooms, kMaxBotRooms);
        h.rooms = kMaxBotRooms;
    }
    const std::string target = options.connectAddress.empty() ? "127.0.0.1" : options.connectAddress;
    const net::Address address = net::ParseAddress(target.c_str(), tuning.network.port);
    LoadPredictionWorld(tuning, h.world);
    h.step = 1.0f / static_cast<float>(std::max(tuning.loop.tickRate, 1));

    h.bots = std::make_unique<Bot[]>(static_cast<size_t>(h.count));
    for (int i = 0; i < h.count; ++i) {
        Bot& bot = h.bots[static_cast<size_t>(i)];
        bot.phase = static_cast<float>(i) * 0.618f;
        bot.room = i % h.rooms;
        if (!bot.session.Connect(tuning, address)) {
            std::fprintf(stderr, "[bots] client %d failed to open a socket\n", i);
            return 1;  // nothing was sent yet: the sessions close without a leave message
        }
        bot.session.SetLoadout(static_cast<uint8_t>(i % 5), static_cast<uint8_t>(i % 9 + 1),
                               static_cast<uint8_t>((i + 1) % 9 + 1), static_cast<uint8_t>(i % 5));
        char name[16];
        std::snprintf(name, sizeof name, "BOT %d", i);
        bot.session.SetPlayerName(name);
    }
    std::printf("[bots] %d clients in %d room(s) -> %s\n", h.count, h.rooms, net::FormatAddress(address).c_str());

    const double dt = static_cast<double>(h.step);
    h.start = SecondsSinceStart();
    const double end = options.seconds > 0.0 ? h.start + options.seconds : 0.0;
    const double cpuStart = ProcessCpuSeconds();
    double nextStep = h.start;
    double lastReport = h.start;
    while (!StopSignalReceived()) {
        double now = SecondsSinceStart();
        if (end > 0.0 && now >= end) {
            break;
        }
        if (now < nextStep) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        nextStep += dt;
        if (now > nextStep + 0.25) {
            nextStep = now;  // after a stall, no burst of catch-up steps
        }
        for (int i = 0; i < h.count; ++i) {
            // The first polls are spread over a quarter second: the server takes a few new
            // connections per tick, and bots asking all at once would keep asking in step.
            if (now < h.start + static_cast<double>(i % kConnectSpread) * dt) {
                continue;
            }
            GameSession& session = h.bots[static_cast<size_t>(i)].session;
            session.PollNetwork(now, &h.world);
            h.Act(i, now);
            DropEvents(session);
        }
        now = SecondsSinceStart();
        if (now - lastReport >= 2.0) {
            lastReport = now;
            h.Report();
        }
    }

    const double seconds = SecondsSinceStart() - h.start;
    const double cpu = ProcessCpuSeconds() - cpuStart;
    std::printf("[bots] %.3f ms of CPU per session per second over %.1f s\n",
                seconds > 0.0 ? cpu * 1000.0 / seconds / h.count : 0.0, seconds);
    for (int i = 0; i < h.count; ++i) {
        h.bots[static_cast<size_t>(i)].session.Disconnect();
    }
    return 0;
}
