// Building and decoding one full snapshot: 100 nearby players that all moved since a baseline that
// described 200, so the budget, the removal reserve and the removals all take part.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "net/protocol.h"
#include "net/snapshot_codec.h"

namespace {

struct SnapshotScene {
    PlayerState own;
    std::array<net::QuantizedPlayer, net::kMaxPlayers> baseline{};
    std::array<net::QuantizedPlayer, net::kMaxPlayers> current{};
    net::PlayerMask baselineMask;
    std::vector<int> candidates;

    SnapshotScene()
    {
        own.health = 100;
        for (int slot = 0; slot < 200; ++slot) {
            net::QuantizedPlayer& q = baseline[static_cast<size_t>(slot)];
            q.x = slot * 512;
            q.y = 256;
            q.z = -slot * 300;
            q.yaw = static_cast<uint16_t>(slot * 17 % 4096);
            q.flags = 0x11;
            baselineMask.set(static_cast<size_t>(slot));
            net::QuantizedPlayer& c = current[static_cast<size_t>(slot)];
            c = q;
            c.x += slot % 3 == 0 ? 4000 : 100;  // a mix of long and short forms
            c.yaw = static_cast<uint16_t>((q.yaw + 5) % 4096);
            c.speed = 20;
        }
        for (int slot = 0; slot < 100; ++slot) {
            candidates.push_back(slot);
        }
    }

    net::SnapshotSource Source() const
    {
        net::SnapshotSource source;
        source.header.serverTick = 1000;
        source.header.baselineTick = 995;
        source.own = &own;
        source.current = current.data();
        source.baseline = baseline.data();
        source.baselineMask = &baselineMask;
        source.candidates = candidates;
        return source;
    }
};

void BM_WriteSnapshot(benchmark::State& state)
{
    const auto scene = std::make_unique<SnapshotScene>();
    const net::SnapshotSource source = scene->Source();
    std::array<uint32_t, net::kDatagramWords> words{};
    net::PlayerMask mask;
    for (auto _ : state) {
        const int length = net::WriteSnapshot(source, words, mask);
        benchmark::DoNotOptimize(length);
        benchmark::DoNotOptimize(words.data());
    }
}
BENCHMARK(BM_WriteSnapshot);

void BM_ReadSnapshot(benchmark::State& state)
{
    const auto scene = std::make_unique<SnapshotScene>();
    std::array<uint32_t, net::kDatagramWords> words{};
    net::PlayerMask mask;
    const int length = net::WriteSnapshot(scene->Source(), words, mask);
    auto baseline = std::make_unique<net::SnapshotView>();
    baseline->records = scene->baseline;
    baseline->present = scene->baselineMask;
    auto body = std::make_unique<net::SnapshotBody>();
    for (auto _ : state) {
        net::OpenedDatagram opened;
        net::OpenClientDatagram(words.data(), length, opened);
        net::SnapshotHeader header;
        net::ReadSnapshotHeader(opened.reader, header);
        const bool ok = net::ReadSnapshotBody(opened.reader, baseline.get(), *body);
        benchmark::DoNotOptimize(ok);
    }
    state.counters["bytes"] = length;
}
BENCHMARK(BM_ReadSnapshot);

}  // namespace
