#include "net/quantized_player.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace {

TEST(QuantizeAngle, WrapsScalesAndTruncates)
{
    const struct {
        float degrees;
        int bits;
        uint16_t expected;
    } cases[] = {
        {0.0f, 12, 0},
        {-0.001f, 12, 4095},         // wraps to 359.999
        {89.0f + 180.0f, 10, 765},   // 765.15
        {-89.0f + 180.0f, 10, 258},  // 91 x 1024 / 360 = 258.8
        {360.0f, 12, 0},
        {720.0f, 12, 0},
        {-360.0f, 12, 0},
        {-0.000001f, 12, 0},  // rounds up to a whole turn
        {90.0f, 12, 1024},
        {-90.0f, 12, 3072},
        {450.0f, 10, 256},
        {180.0f, 10, 512},
        {-180.0f, 10, 512},
        {1e7f, 12, 3185},  // fmod(1e7, 360) = 280
    };
    for (const auto& c : cases) {
        EXPECT_EQ(net::QuantizeAngle(c.degrees, c.bits), c.expected) << c.degrees << " in " << c.bits;
    }
}

TEST(QuantizeAngle, AnglesThatAreNotNumbersGiveZero)
{
    EXPECT_EQ(net::QuantizeAngle(std::numeric_limits<float>::quiet_NaN(), 12), 0);
    EXPECT_EQ(net::QuantizeAngle(std::numeric_limits<float>::infinity(), 12), 0);
    EXPECT_EQ(net::QuantizeAngle(-std::numeric_limits<float>::infinity(), 10), 0);
    EXPECT_LT(net::QuantizeAngle(3e38f, 12), 4096);
}

TEST(QuantizePlayer, PositionsRoundHalfAwayFromZeroAndClampAt2048Metres)
{
    const struct {
        float metres;
        int32_t expected;
    } cases[] = {
        {0.0f, 0},
        {1.0f, 256},
        {-1.0f, -256},
        {0.5f / 256.0f, 1},
        {-0.5f / 256.0f, -1},
        {1.4f / 256.0f, 1},
        {-1.6f / 256.0f, -2},
        {2048.0f, 524288},
        {3000.0f, 524288},
        {-3000.0f, -524288},
        {std::numeric_limits<float>::infinity(), 524288},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) {
        PlayerState state;
        state.position = {c.metres, c.metres, c.metres};
        const net::QuantizedPlayer q = net::QuantizePlayer(state);
        EXPECT_EQ(q.x, c.expected) << c.metres;
        EXPECT_EQ(q.y, c.expected) << c.metres;
        EXPECT_EQ(q.z, c.expected) << c.metres;
    }
}

TEST(QuantizePlayer, AnglesSpeedAndShots)
{
    PlayerState state;
    state.yaw = -0.001f;
    state.pitch = 89.0f;
    state.bodyYaw = -90.0f;
    state.velocity = {3.0f, -50.0f, 4.0f};  // 5 m/s horizontally
    state.shotsFired = 13;
    const net::QuantizedPlayer q = net::QuantizePlayer(state);
    EXPECT_EQ(q.yaw, 4095);
    EXPECT_EQ(q.pitch, 765);
    EXPECT_EQ(q.bodyYaw, 768);
    EXPECT_EQ(q.speed, 20);
    EXPECT_EQ(q.shotCount, 5);

    state.velocity = {100.0f, 0.0f, 0.0f};
    EXPECT_EQ(net::QuantizePlayer(state).speed, 63);
    state.velocity = {0.12f, 0.0f, 0.0f};  // 0.48 + 0.5 truncates to 0
    EXPECT_EQ(net::QuantizePlayer(state).speed, 0);
    state.velocity = {0.125f, 0.0f, 0.0f};
    EXPECT_EQ(net::QuantizePlayer(state).speed, 1);
}

TEST(QuantizePlayer, FlagBits)
{
    PlayerState state;
    EXPECT_EQ(net::QuantizePlayer(state).flags, 0u);

    state.onGround = 1;
    state.crouching = 1;
    state.weapon = 9;
    state.team = 1;
    state.spawnProtectionTicks = 5;
    state.armor = 4;
    EXPECT_EQ(net::QuantizePlayer(state).flags, 0x1u | 0x2u | (9u << 4) | 0x100u | 0x200u | (4u << 10));

    PlayerState firing;
    firing.fireHeld = 1;
    firing.ammo = 1;
    EXPECT_EQ(net::QuantizePlayer(firing).flags, 0x4u);
    const struct {
        const char* what;
        void (*spoil)(PlayerState&);
        uint32_t flags;
    } notFiring[] = {
        {"empty", [](PlayerState& s) { s.ammo = 0; }, 0u},
        {"reloading", [](PlayerState& s) { s.reloadTicks = 3; }, 1u << 17},
        {"cooking", [](PlayerState& s) { s.cookTicks = 3; }, 0u},
        {"throwing", [](PlayerState& s) { s.throwTicks = 3; }, 0u},
    };
    for (const auto& c : notFiring) {
        PlayerState s = firing;
        c.spoil(s);
        EXPECT_EQ(net::QuantizePlayer(s).flags, c.flags) << c.what;
    }

    PlayerState server;
    server.cookTicks = 1;
    server.throwTicks = 1;
    server.powerActive = 1;
    net::QuantizedPlayer q = net::QuantizePlayer(server);
    EXPECT_EQ(q.flags, 0u);  // bits 13-16 are the server's to add
    net::AddServerFlags(q, server, true);
    EXPECT_EQ(q.flags, (1u << 13) | (1u << 14) | (1u << 15) | (1u << 16));
    net::QuantizedPlayer quiet = net::QuantizePlayer(PlayerState{});
    net::AddServerFlags(quiet, PlayerState{}, false);
    EXPECT_EQ(quiet.flags, 0u);
}

}  // namespace
