// The server's datagram intake with its whole dispatch behind it: handshakes, lobby requests,
// inputs, chat and leaving, from a few senders, with frames in between. Nothing may crash, and
// the slot records must stay consistent.
//
// One input is a list of records: a control byte (bits 0-1 the sender, bits 2-3 whether a frame
// follows: none, one tick later, a second later or eleven seconds later, past the time-out), a
// 16-bit little-endian length (up to 1299, so over-long datagrams occur), then that many bytes.
//
// The server is set up by hand rather than by Start: Start needs the authoritative combat rig
// from the generated data tree, which a fuzz build does not have, and its socket would send the
// replies to whatever addresses the input names. Replies are built in full and then dropped by
// the closed socket; the frames read the closed socket as empty.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "game/tuning.h"
#include "net/server.h"
#include "wire_fuzz_util.h"

namespace {

constexpr int kFuzzSlots = 4;

// One server for the whole run, made anew in place for every input. The slot storage and the
// loaded map worlds are carried over: allocating and faulting in fresh memory for them would
// otherwise cost more than the input itself, and a map loads the same every time.
net::Server& FreshFuzzServer()
{
    static net::Server* const server = new net::Server();
    std::vector<net::ClientSlot> slots = std::move(server->slots);
    std::array<net::ServerMap, net::kMaxMaps> maps = std::move(server->maps);
    std::destroy_at(server);
    std::construct_at(server);
    server->maps = std::move(maps);
    slots.resize(kFuzzSlots);
    for (net::ClientSlot& slot : slots) {
        slot = net::ClientSlot{};
    }
    server->slots = std::move(slots);

    // What Start sets up, apart from the combat rig, the catalogues and the socket.
    tune::Tuning tuning = tune::Tuning::CopyForServer(tune::g_tuning);
    tuning.network.maxClients = kFuzzSlots;
    tuning.network.serverStatistics = 0;
    tuning.loop.workerThreads = -1;
    server->tuning = tuning;
    server->workers = std::make_unique<net::WorkerPool>(-1);
    server->gridCellSize = std::max(tuning.network.interestRadius, 8.0f);
    server->gridOrigin = -1024.0f;
    server->gridCellsPerSide = 1 - static_cast<int32_t>(-2048.0 / static_cast<double>(server->gridCellSize));
    server->gridCells.assign(static_cast<size_t>(server->gridCellsPerSide * server->gridCellsPerSide), -1);
    server->gridNext.assign(kFuzzSlots, -1);
    server->running.store(true);
    return *server;
}

net::Address FuzzSender(int index)
{
    switch (index) {
    case 0: return net::LoopbackAddress(50001);
    case 1: return net::LoopbackAddress(50002);
    case 2: return net::LoopbackAddress(50003);
    default: return net::Address{0x0A000007u, 50001};  // another host, same port as sender 0
    }
}

void CheckSlots(const net::Server& server)
{
    using wirefuzz::Check;
    const int limit = std::clamp(server.tuning.network.inputQueueLimit, 1, net::kInputQueueCapacity);
    Check(server.slots.size() == static_cast<size_t>(kFuzzSlots));
    for (size_t i = 0; i < server.slots.size(); ++i) {
        const net::ClientSlot& slot = server.slots[i];
        if (!slot.inUse) {
            Check(slot.lastHeard == 0.0 && slot.queueCount == 0 && slot.address == net::Address{});
            continue;
        }
        Check(slot.queueCount >= 0 && slot.queueCount <= limit);
        Check(slot.queueHead >= 0 && slot.queueHead < net::kInputQueueCapacity);
        Check(slot.room >= -1 && slot.room < net::kMaxRooms);
        Check(slot.messagesThisTick >= 0 && slot.messagesThisTick <= net::kMaxMessagesPerClientTick);
        // Two clients never share an address; server bots have none, so they share the empty one.
        for (size_t j = i + 1; j < server.slots.size() && slot.bot == 0; ++j) {
            Check(!server.slots[j].inUse || server.slots[j].bot != 0 || !(server.slots[j].address == slot.address));
        }
    }
}

}  // namespace

// The server reports every connect, room and leave on standard output; at fuzzing speed that is
// only noise, while libFuzzer's own report goes to standard error.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::fflush(stdout);
    (void)std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    net::Server* const server = &FreshFuzzServer();
    double now = 100.0;
    int connectsLeft = net::kMaxConnectsPerPass;
    size_t at = 0;
    while (at + 3 <= size) {
        const uint8_t control = data[at];
        const size_t wanted = (static_cast<size_t>(data[at + 1]) | static_cast<size_t>(data[at + 2]) << 8) % 1300;
        at += 3;
        const size_t length = std::min(wanted, size - at);
        // Aligned, as the receive buffer is.
        uint32_t words[(1300 + 3) / 4] = {};
        std::copy(data + at, data + at + length, reinterpret_cast<uint8_t*>(words));
        at += length;

        server->HandleDatagram(FuzzSender(control & 3), words, static_cast<int>(length), now, connectsLeft);
        CheckSlots(*server);

        const int frame = (control >> 2) & 3;
        if (frame != 0) {
            now += frame == 1 ? 1.0 / 64.0 : (frame == 2 ? 1.0 : 11.0);
            server->Update(now);
            connectsLeft = net::kMaxConnectsPerPass;
            CheckSlots(*server);
        }
    }
    server->Update(now + 1.0 / 64.0);
    CheckSlots(*server);
    return 0;
}
