// The movement step on a real level: one call, and a whole tick of a full server (256 players).

#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_level.h"
#include "game/collision_world.h"
#include "game/input_command.h"
#include "game/player_movement.h"
#include "game/player_state.h"
#include "game/tuning.h"

namespace {

constexpr float kDt = 1.0f / 64.0f;

PlayerState Spawn(const glm::vec3& feet, const tune::Tuning& tuning, uint8_t weapon) {
  PlayerState state;
  state.position = feet;
  state.health = 100;
  state.weapon = weapon;
  state.ammo = static_cast<uint16_t>(tuning.Weapon(weapon).magazineSize);
  return state;
}

// A busy player: running, turning, strafing, jumping, crouching, firing and throwing, so that every
// path of the step is taken in turn.
InputCommand BusyInput(uint32_t tick, uint32_t player) {
  uint32_t x = tick * 0x9E3779B1u + player * 40503u + 1u;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  InputCommand cmd;
  cmd.tick = tick;
  cmd.yaw = static_cast<uint16_t>((tick + player * 977u) * 91u);
  cmd.pitch = static_cast<int16_t>(static_cast<int32_t>((tick * 37u + player) % 4096u) - 2048);
  cmd.forward = ((tick / 64u + player) % 5u == 4u) ? -90 : 127;
  cmd.side = static_cast<int8_t>(static_cast<int32_t>(x % 255u) - 127);
  cmd.buttons = static_cast<uint8_t>((x >> 8) & (kButtonJump | kButtonSprint | kButtonFire | kButtonSecondary));
  if ((tick + player) % 97u < 10u) cmd.buttons |= kButtonCrouch;
  if ((tick + player) % 301u < 60u) cmd.buttons |= kButtonPower;
  cmd.weapon = static_cast<uint8_t>(1u + (player + tick / 640u) % 9u);
  return cmd;
}

void Respawn(PlayerState& state, const BenchLevel& level, size_t index, const tune::Tuning& tuning) {
  // Players fall off a level now and then; the server would respawn them, so do the same.
  if (state.position.y > level.killHeight) return;
  state = Spawn(level.spawns[index % level.spawns.size()], tuning, state.weapon < 10 ? state.weapon : 1);
}

void BM_MovePlayerOnLargerMap(benchmark::State& bench) {
  const BenchLevel& level = LargerGeneratedMap();
  const tune::Tuning tuning;
  PlayerState player = Spawn(level.spawns[0], tuning, 1);
  uint32_t tick = 0;
  for (auto _ : bench) {
    MovePlayer(player, BusyInput(++tick, 0), kDt, tuning, level.world);
    benchmark::DoNotOptimize(player.position);
    if ((tick & 63u) == 0) Respawn(player, level, 0, tuning);
  }
  bench.SetItemsProcessed(bench.iterations());
}
BENCHMARK(BM_MovePlayerOnLargerMap);

void BM_MovementTickFor256Players(benchmark::State& bench) {
  const BenchLevel& level = LargerGeneratedMap();
  const tune::Tuning tuning;
  std::vector<PlayerState> players;
  for (size_t i = 0; i < 256; ++i) {
    // Spread around the spawn points the way the server pushes out crowded spawns.
    const float k = static_cast<float>(i / level.spawns.size());
    const float r = std::sqrt(k) * 1.6f;
    glm::vec3 feet = level.spawns[i % level.spawns.size()];
    feet.x += std::cos(k * 2.399963f) * r;
    feet.z += std::sin(k * 2.399963f) * r;
    players.push_back(Spawn(feet, tuning, static_cast<uint8_t>(1 + i % 9)));
  }
  uint32_t tick = 0;
  for (auto _ : bench) {
    ++tick;
    for (size_t i = 0; i < players.size(); ++i) {
      MovePlayer(players[i], BusyInput(tick, static_cast<uint32_t>(i)), kDt, tuning, level.world);
    }
    benchmark::DoNotOptimize(players.data());
    if ((tick & 63u) == 0) {
      for (size_t i = 0; i < players.size(); ++i) Respawn(players[i], level, i, tuning);
    }
  }
  bench.SetItemsProcessed(bench.iterations() * static_cast<int64_t>(players.size()));
  // Ticks a single thread could move everyone through per second; the server needs 64.
  bench.counters["ticks_per_second"] = benchmark::Counter(static_cast<double>(bench.iterations()),
                                                          benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MovementTickFor256Players)->Unit(benchmark::kMicrosecond);

}  // namespace
