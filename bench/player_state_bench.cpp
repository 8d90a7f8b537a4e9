// Encoding one player state: the own-state block of every snapshot, and the client's prediction
// check, which encodes two states per received snapshot.
#include <array>
#include <cstdint>

#include <benchmark/benchmark.h>

#include "net/player_state_codec.h"
#include "net/quantized_player.h"

namespace {

PlayerState BusyState()
{
    PlayerState s;
    s.position = {12.5f, 3.0f, -40.25f};
    s.velocity = {4.0f, 0.0f, -2.0f};
    s.yaw = 123.0f;
    s.pitch = -12.0f;
    s.health = 87;
    s.weapon = 3;
    s.ammo = 24;
    s.shotsFired = 1234;
    for (int row = 0; row < kWeaponRowCount; ++row) {
        s.storedAmmo[row] = static_cast<uint16_t>(row * 7);
    }
    return s;
}

void BM_WritePlayerState(benchmark::State& state)
{
    const PlayerState player = BusyState();
    std::array<uint32_t, 40> words{};
    for (auto _ : state) {
        net::BitWriter writer(words.data(), static_cast<int>(words.size()));
        WritePlayerState(writer, player, false);
        writer.Flush();
        benchmark::DoNotOptimize(words.data());
    }
}
BENCHMARK(BM_WritePlayerState);

void BM_ReadPlayerState(benchmark::State& state)
{
    std::array<uint32_t, 40> words{};
    net::BitWriter writer(words.data(), static_cast<int>(words.size()));
    WritePlayerState(writer, BusyState(), true);
    writer.Flush();
    for (auto _ : state) {
        net::BitReader reader(words.data(), writer.WordsStored(), writer.TotalBits());
        PlayerState player;
        bool burning = false;
        benchmark::DoNotOptimize(ReadPlayerState(reader, player, burning));
    }
}
BENCHMARK(BM_ReadPlayerState);

void BM_QuantizePlayer(benchmark::State& state)
{
    const PlayerState player = BusyState();
    for (auto _ : state) {
        benchmark::DoNotOptimize(net::QuantizePlayer(player));
    }
}
BENCHMARK(BM_QuantizePlayer);

}  // namespace
