// The server object around the intake: start-up, the frame loop on its own thread, the in-process
// host, the dedicated run with its time limit and stop signal, and the statistics line.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "game/tuning.h"
#include "net/server.h"
#include "platform/stop_signal.h"
#include "support/net/scripted_client.h"

namespace {

tune::Tuning LoopTestTuning()
{
    tune::Tuning tuning = tune::Tuning::CopyForServer(tune::g_tuning);
    tuning.network.port = 0;
    tuning.network.maxClients = 4;
    tuning.network.serverStatistics = 0;
    tuning.loop.workerThreads = -1;
    return tuning;
}

// Sends Connect until an Accept comes back from a server that runs on another thread (or
// process); gives up after about ten seconds.
bool LoopTestConnect(testnet::ScriptedClient& client)
{
    for (int attempt = 0; attempt < 2000 && !client.accepted; ++attempt) {
        client.SendConnect();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        client.Poll();
    }
    return client.accepted;
}

// A port that was free a moment ago.
uint16_t LoopTestFreePort()
{
    net::UdpSocket probe;
    return probe.Open(0) ? probe.Port() : 0;
}

TEST(ServerStart, ClampsTheSlotsAndSizesTheGrid)
{
    const struct {
        int slots;
        float radius;
        size_t expectedSlots;
        float cellSize;
        int cellsPerSide;
    } cases[] = {
        {0, 140.0f, 1, 140.0f, 15},
        {-5, 4.0f, 1, 8.0f, 257},
        {1, 1000.0f, 1, 1000.0f, 3},
        {3, 140.0f, 3, 140.0f, 15},
        {256, 140.0f, 256, 140.0f, 15},
        {300, 140.0f, 256, 140.0f, 15},
    };
    for (const auto& c : cases) {
        tune::Tuning tuning = LoopTestTuning();
        tuning.network.maxClients = c.slots;
        tuning.network.interestRadius = c.radius;
        auto server = std::make_unique<net::Server>();
        testing::internal::CaptureStdout();
        ASSERT_TRUE(server->Start(tuning)) << c.slots;
        const std::string log = testing::internal::GetCapturedStdout();

        EXPECT_EQ(server->slots.size(), c.expectedSlots) << c.slots;
        EXPECT_EQ(server->gridCellSize, c.cellSize) << c.radius;
        EXPECT_EQ(server->gridCellsPerSide, c.cellsPerSide) << c.radius;
        EXPECT_EQ(server->gridCells.size(), static_cast<size_t>(c.cellsPerSide * c.cellsPerSide));
        EXPECT_EQ(server->gridNext.size(), c.expectedSlots);
        EXPECT_TRUE(server->running.load());
        for (const net::HistoryEntry& entry : server->history) {
            EXPECT_EQ(entry.tick, net::kNoTick);
        }
        const std::string listening = "[server] listening on port " + std::to_string(server->socket.Port()) + ", " +
                                      std::to_string(c.expectedSlots) + " slots, tick 64 Hz, snapshots 30 Hz\n";
        EXPECT_NE(server->socket.Port(), 0);
        EXPECT_NE(log.find(listening), std::string::npos) << log;
        EXPECT_NE(log.find("[server] 0 worker thread(s) for the tick\n"), std::string::npos) << log;
        server->Stop();
        EXPECT_FALSE(server->running.load());
        EXPECT_FALSE(server->socket.IsOpen());
    }
}

TEST(ServerStart, APortInUseFailsStartUp)
{
    net::UdpSocket holder;
    ASSERT_TRUE(holder.Open(0));
    tune::Tuning tuning = LoopTestTuning();
    tuning.network.port = holder.Port();
    auto server = std::make_unique<net::Server>();
    EXPECT_FALSE(server->Start(tuning));
    EXPECT_FALSE(server->running.load());
}

TEST(ServerObject, MapOfRoomFallsBackToMapZero)
{
    auto server = std::make_unique<net::Server>();
    server->rooms[1].inUse = 1;
    server->rooms[1].settings.mapIndex = 3;
    server->rooms[2].inUse = 1;
    server->rooms[2].settings.mapIndex = 16;
    server->rooms[4].settings.mapIndex = 5;  // not in use
    const struct {
        int room;
        int map;
    } cases[] = {{-1, 0}, {0, 0}, {1, 3}, {2, 0}, {4, 0}, {32, 0}, {1000, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(&server->MapOfRoom(c.room), &server->maps[static_cast<size_t>(c.map)]) << c.room;
    }
}

TEST(ServerObject, CountClientsLeavesBotsOut)
{
    auto server = std::make_unique<net::Server>();
    server->slots.resize(5);
    server->slots[0].inUse = 1;
    server->slots[2].inUse = 1;
    server->slots[3].inUse = 1;
    server->slots[3].bot = 1;
    server->slots[4].bot = 1;  // a free slot
    EXPECT_EQ(server->CountClients(), 2);
}

TEST(ServerObject, SendDatagramCountsTheBytesThatWentOut)
{
    auto server = std::make_unique<net::Server>();
    ASSERT_TRUE(server->Start(LoopTestTuning()));
    net::UdpSocket peer;
    ASSERT_TRUE(peer.Open(0));
    const uint32_t words[3] = {1, 2, 3};
    const uint64_t before = server->statsBytesSent;
    ASSERT_TRUE(server->SendDatagram(net::LoopbackAddress(peer.Port()), words, 12));
    EXPECT_EQ(server->statsBytesSent, before + 12);
    EXPECT_EQ(server->statsDatagramsSent, 1u);

    server->Stop();
    EXPECT_FALSE(server->SendDatagram(net::LoopbackAddress(peer.Port()), words, 12));
    EXPECT_EQ(server->statsBytesSent, before + 12);
}

TEST(ServerObject, UpdateStoresItsTimeAndCountsTheTick)
{
    auto server = std::make_unique<net::Server>();
    ASSERT_TRUE(server->Start(LoopTestTuning()));
    server->Update(42.5);
    EXPECT_EQ(server->now, 42.5);
    EXPECT_EQ(server->statsTicks, 1);
    server->Update(43.0);
    EXPECT_EQ(server->now, 43.0);
    EXPECT_EQ(server->statsTicks, 2);
    server->Stop();
}

// ---- the statistics line ----

TEST(ServerStatistics, LineEveryIntervalWithBehindWhenTicksFallShort)
{
    const struct {
        double spacing;
        int updates;
        const char* figures;
    } cases[] = {
        {1.0, 3, "1.5/64 ticks/s BEHIND"},  // 3 ticks in 2 s
        {1.0 / 64.0, 129, "64.5/64 ticks/s"},  // 129 ticks in 2 s
    };
    for (const auto& c : cases) {
        tune::Tuning tuning = LoopTestTuning();
        tuning.network.serverStatistics = 1;
        tuning.network.statisticsInterval = 2.0f;
        auto server = std::make_unique<net::Server>();
        ASSERT_TRUE(server->Start(tuning));
        testnet::ScriptedClient client;
        ASSERT_TRUE(client.Open(server->socket.Port()));
        client.SendConnect();

        testing::internal::CaptureStdout();
        for (int i = 0; i < c.updates; ++i) {
            server->Update(10.0 + i * c.spacing);
        }
        const std::string log = testing::internal::GetCapturedStdout();

        // Exactly one line; its timing figures come from the real clock, so only their form is
        // checked.
        const std::string prefix = "[server] tick " + std::to_string(server->tick) + " | 1 players | " + c.figures + " | out ";
        const size_t at = log.find(prefix);
        ASSERT_NE(at, std::string::npos) << log;
        EXPECT_EQ(log.find("[server] tick "), at) << log;
        EXPECT_EQ(log.find("[server] tick ", at + 1), std::string::npos) << log;
        const std::string rest = log.substr(at + prefix.size(), log.find('\n', at) + 1 - at - prefix.size());
        double out = -1.0;
        double each = -1.0;
        double sim = -1.0;
        double snap = -1.0;
        int consumed = 0;
        ASSERT_EQ(std::sscanf(rest.c_str(), "%lf KB/s (%lf KB/s each) | sim %lf ms snap %lf ms per tick\n%n", &out,
                              &each, &sim, &snap, &consumed),
                  4)
            << rest;
        EXPECT_EQ(static_cast<size_t>(consumed), rest.size()) << rest;
        EXPECT_GE(out, 0.0);
        EXPECT_NEAR(each, out, 0.06);  // one player
        EXPECT_GE(sim, 0.0);
        EXPECT_GE(snap, 0.0);
        // The window starts again at the line's time with empty counters.
        EXPECT_EQ(server->statsWindowStart, 12.0);
        EXPECT_EQ(server->statsTicks, 0);
        EXPECT_EQ(server->statsBytesSent, 0u);
        EXPECT_EQ(server->statsSimulateSeconds, 0.0);
        server->Stop();
    }
}

TEST(ServerStatistics, SwitchedOffPrintsNothingAndTheCountersGrow)
{
    auto server = std::make_unique<net::Server>();
    ASSERT_TRUE(server->Start(LoopTestTuning()));
    testnet::ScriptedClient client;
    ASSERT_TRUE(client.Open(server->socket.Port()));
    client.SendConnect();
    testing::internal::CaptureStdout();
    for (int i = 0; i <= 300; ++i) {
        server->Update(10.0 + i * 0.1);
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("[server] tick"), std::string::npos) << log;
    EXPECT_EQ(server->statsTicks, 301);
    EXPECT_GT(server->statsBytesSent, 0u);  // at least the Accept
    server->Stop();
}

// ---- loops on their own threads ----

TEST(ServerLoopThreaded, RunServesUntilTheRunningFlagIsCleared)
{
    auto server = std::make_unique<net::Server>();
    ASSERT_TRUE(server->Start(LoopTestTuning()));
    const uint16_t port = server->socket.Port();
    std::thread loop([&server] { server->Run(); });

    testnet::ScriptedClient client;
    ASSERT_TRUE(client.Open(port));
    EXPECT_TRUE(LoopTestConnect(client));
    server->running.exchange(false);
    loop.join();
    server->Stop();
}

TEST(ServerLoopThreaded, LocalServerStartsOnceAndStops)
{
    net::ServerHost host;
    net::LocalServer::Stop(host);  // nothing runs: nothing happens
    ASSERT_TRUE(net::LocalServer::Start(host, LoopTestTuning()));
    ASSERT_NE(host.port, 0);
    EXPECT_TRUE(host.thread.joinable());
    const net::Server* first = host.server.get();
    const uint16_t port = host.port;
    EXPECT_TRUE(net::LocalServer::Start(host, LoopTestTuning()));  // already runs
    EXPECT_EQ(host.server.get(), first);
    EXPECT_EQ(host.port, port);

    testnet::ScriptedClient client;
    ASSERT_TRUE(client.Open(port));
    EXPECT_TRUE(LoopTestConnect(client));

    net::LocalServer::Stop(host);
    EXPECT_EQ(host.port, 0);
    EXPECT_FALSE(host.thread.joinable());
    EXPECT_FALSE(host.server->running.load());
    EXPECT_FALSE(host.server->socket.IsOpen());
    net::LocalServer::Stop(host);
}

TEST(ServerLoopThreaded, LocalServerOnAPortInUseDoesNotStart)
{
    net::UdpSocket holder;
    ASSERT_TRUE(holder.Open(0));
    tune::Tuning tuning = LoopTestTuning();
    tuning.network.port = holder.Port();
    net::ServerHost host;
    EXPECT_FALSE(net::LocalServer::Start(host, tuning));
    EXPECT_FALSE(host.thread.joinable());
    EXPECT_EQ(host.port, 0);
}

// ---- the dedicated server ----

TEST(DedicatedServer, RunsForItsSecondsAndReturnsZero)
{
    EXPECT_EQ(net::RunDedicatedServer(LoopTestTuning(), 0.05), 0);
}

TEST(DedicatedServer, ASecondServerOnTheSamePortReturnsOne)
{
    net::UdpSocket holder;
    ASSERT_TRUE(holder.Open(0));
    tune::Tuning tuning = LoopTestTuning();
    tuning.network.port = holder.Port();
    EXPECT_EQ(net::RunDedicatedServer(tuning, 0.05), 1);
}

TEST(DedicatedServerThreaded, StopSignalEndsARunningServerWithExitZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // In a child process: once the server answers, SIGTERM arrives from another thread. The run
    // has no time limit, so only the signal can end it; it must end cleanly with code 0.
    EXPECT_EXIT(
        {
            InstallStopSignalHandlers();
            tune::Tuning tuning = LoopTestTuning();
            tuning.network.port = LoopTestFreePort();
            std::thread([port = tuning.network.port] {
                testnet::ScriptedClient client;
                if (!client.Open(port) || !LoopTestConnect(client)) {
                    std::_Exit(3);  // never answered: end the child instead of hanging
                }
                kill(getpid(), SIGTERM);
            }).detach();
            std::exit(net::RunDedicatedServer(tuning, 0.0));
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
