// A whole match on the generated map between scripted players who use every weapon and every
// power, sixty seconds of server time through Update(now): everything the server sends them and
// every player's state each tick must be the same with the tick thread alone and with workers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/input_command.h"
#include "net/server.h"
#include "net/udp_socket.h"
#include "server_bare_setup.h"
#include "support/player_sim.h"

namespace wholematch {

constexpr int kWholePlayers = 12;
constexpr int kWholeTicks = 3840;  // sixty seconds at 64 ticks a second
constexpr int kFirstWeaponRow = 1;
constexpr int kLastWeaponRow = 9;
constexpr int kPowerRows = 5;

uint64_t Mix(uint64_t hash, const void* bytes, size_t length)
{
    const auto* p = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < length; ++i) {
        hash = (hash ^ p[i]) * 1099511628211ull;
    }
    return hash;
}

struct WholeRun {
    uint64_t datagramHash = 1469598103934665603ull;
    uint64_t stateHash = 1469598103934665603ull;
    uint64_t datagrams = 0;
    std::array<uint32_t, 10> shotsByWeapon{};
    std::array<uint32_t, kPowerRows> usesByPower{};
    uint32_t kills = 0;
};

uint8_t PrimaryOf(int slot) { return static_cast<uint8_t>(kFirstWeaponRow + slot % 9); }
uint8_t SecondaryOf(int slot) { return static_cast<uint8_t>(kFirstWeaponRow + (slot + 4) % 9); }

// The yaw, in degrees, that looks from the slot towards the nearest living enemy; 0 without one.
float FacingNearestEnemy(const net::Server& server, int slot)
{
    const PlayerState& self = server.slots[static_cast<size_t>(slot)].state;
    float best = 1.0e30f;
    float yaw = 0.0f;
    for (const net::ClientSlot& other : server.slots) {
        if (!other.inUse || other.state.health == 0 || other.state.team == self.team) {
            continue;
        }
        const glm::vec3 d = other.state.position - self.position;
        const float distance = d.x * d.x + d.z * d.z;
        if (distance < best && distance > 0.0f) {
            best = distance;
            yaw = std::atan2(-d.x, -d.z) * 57.29578f;  // a yaw Y looks along (-sin Y, 0, -cos Y)
        }
    }
    return yaw;
}

// Deterministic from the tick, the slot and the match so far: close in on the nearest enemy with
// a small sweep of the aim, hold fire most of the time, swap between the two loadout weapons and
// press the power button now and then.
InputCommand WholeCommand(const net::Server& server, uint32_t tick, int slot)
{
    const float sweep = static_cast<float>(static_cast<int>((tick * 3u + static_cast<uint32_t>(slot) * 37u) % 13u) - 6);
    InputCommand command = testsim::Command(FacingNearestEnemy(server, slot) + sweep);
    command.tick = tick;
    command.forward = ((tick / 96u + static_cast<uint32_t>(slot)) % 4u != 0u) ? 127 : 0;
    command.side = static_cast<int8_t>(((tick / 40u + static_cast<uint32_t>(slot)) % 2u == 0u) ? 60 : -60);
    command.pitch = static_cast<int16_t>(static_cast<int32_t>((tick * 13u + static_cast<uint32_t>(slot) * 7u) % 400u) - 200);
    const uint32_t phase = (tick + static_cast<uint32_t>(slot) * 29u) % 256u;
    command.weapon = ((tick / 192u + static_cast<uint32_t>(slot)) % 2u == 0u) ? PrimaryOf(slot) : SecondaryOf(slot);
    if (phase < 200u) {
        command.buttons |= kButtonFire;
    }
    if (phase >= 220u && phase < 224u) {
        command.buttons |= kButtonPower;
    }
    if ((tick + static_cast<uint32_t>(slot)) % 150u < 5u) {
        command.buttons |= kButtonJump;
    }
    command.power = static_cast<uint8_t>(slot % kPowerRows);
    return command;
}

// `threadRequest` as the worker pool takes it; `run` collects the logs and what was used.
void PlayWholeMatch(int threadRequest, WholeRun& run)
{
    std::unique_ptr<net::Server> server = baresrv::MakeBareServer(kWholePlayers, threadRequest);
    ASSERT_TRUE(server->socket.Open(0));
    ASSERT_TRUE(baresrv::UseGeneratedMap(*server, 0));
    ASSERT_TRUE(net::Server::LoadCombatRig(server->combatRig, server->tuning));
    baresrv::OpenRoom(*server, 0, true, 0, 100, 0);

    std::vector<std::unique_ptr<net::UdpSocket>> sockets;
    for (int slot = 0; slot < kWholePlayers; ++slot) {
        auto socket = std::make_unique<net::UdpSocket>();
        ASSERT_TRUE(socket->Open(0));
        net::ClientSlot& client = baresrv::Occupy(*server, slot, 0, static_cast<uint8_t>(slot % 2), PrimaryOf(slot), 0);
        client.secondaryWeapon = SecondaryOf(slot);
        client.power = static_cast<uint8_t>(slot % kPowerRows);
        client.address = net::LoopbackAddress(socket->Port());
        sockets.push_back(std::move(socket));
    }

    double now = server->now;
    std::array<uint32_t, 256> words{};
    for (uint32_t t = 1; t <= kWholeTicks; ++t) {
        std::array<PlayerState, kWholePlayers> before{};
        for (int slot = 0; slot < kWholePlayers; ++slot) {
            net::ClientSlot& client = server->slots[static_cast<size_t>(slot)];
            before[static_cast<size_t>(slot)] = client.state;
            client.lastHeard = now;  // these players speak only through the queue
            baresrv::Queue(client, WholeCommand(*server, t, slot));
        }
        now += 1.0 / 64.0;
        server->Update(now);

        for (int slot = 0; slot < kWholePlayers; ++slot) {
            const PlayerState& was = before[static_cast<size_t>(slot)];
            const net::ClientSlot& client = server->slots[static_cast<size_t>(slot)];
            ASSERT_TRUE(client.inUse) << "slot " << slot << " tick " << t;
            const PlayerState& is = client.state;
            if (is.shotsFired != was.shotsFired && is.weapon < run.shotsByWeapon.size()) {
                run.shotsByWeapon[is.weapon] += 1;
            }
            if (is.powerUses != was.powerUses && is.power < kPowerRows) {
                run.usesByPower[is.power] += 1;
            }
            const uint64_t stateHash = testsim::HashPlayerState(is);
            run.stateHash = Mix(run.stateHash, &stateHash, sizeof stateHash);
        }
        for (size_t slot = 0; slot < sockets.size(); ++slot) {
            net::Address from;
            for (;;) {
                const int length = sockets[slot]->ReceiveFrom(from, words.data(), static_cast<int>(words.size() * 4));
                if (length == net::UdpSocket::kDropped) {
                    continue;
                }
                if (length <= 0) {
                    break;
                }
                const uint32_t header[2] = {static_cast<uint32_t>(slot), static_cast<uint32_t>(length)};
                run.datagramHash = Mix(run.datagramHash, header, sizeof header);
                run.datagramHash = Mix(run.datagramHash, words.data(), static_cast<size_t>(length));
                run.datagrams += 1;
            }
        }
    }
    for (const net::ClientSlot& client : server->slots) {
        run.kills += client.kills;
    }
}

TEST(ServerWholeMatchThreaded, EveryWeaponAndPowerForSixtySecondsAlikeWithAndWithoutWorkers)
{
    WholeRun alone;
    WholeRun workers;
    ASSERT_NO_FATAL_FAILURE(PlayWholeMatch(-1, alone));
    ASSERT_NO_FATAL_FAILURE(PlayWholeMatch(3, workers));

    for (int row = kFirstWeaponRow; row <= kLastWeaponRow; ++row) {
        EXPECT_GT(alone.shotsByWeapon[static_cast<size_t>(row)], 0u) << "weapon row " << row;
    }
    for (int row = 0; row < kPowerRows; ++row) {
        EXPECT_GT(alone.usesByPower[static_cast<size_t>(row)], 0u) << "power row " << row;
    }
    EXPECT_GT(alone.kills, 0u);
    EXPECT_GT(alone.datagrams, static_cast<uint64_t>(kWholeTicks));

    EXPECT_EQ(alone.stateHash, workers.stateHash);
    EXPECT_EQ(alone.datagrams, workers.datagrams);
    EXPECT_EQ(alone.datagramHash, workers.datagramHash);
    EXPECT_EQ(alone.shotsByWeapon, workers.shotsByWeapon);
    EXPECT_EQ(alone.usesByPower, workers.usesByPower);
    EXPECT_EQ(alone.kills, workers.kills);
}

}  // namespace wholematch
