#include "net/player_state_codec.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Encoded {
    std::array<uint32_t, 64> words{};
    int bits = 0;
    bool operator==(const Encoded& other) const { return bits == other.bits && words == other.words; }
};

Encoded Encode(const PlayerState& state, bool burning)
{
    Encoded out;
    net::BitWriter writer(out.words.data(), static_cast<int>(out.words.size()));
    WritePlayerState(writer, state, burning);
    out.bits = writer.TotalBits();
    writer.Flush();
    EXPECT_FALSE(writer.Overflowed());
    return out;
}

bool DecodeStateBits(const Encoded& encoded, PlayerState& state, bool& burning)
{
    net::BitReader reader(encoded.words.data(), (encoded.bits + 31) / 32, encoded.bits);
    return ReadPlayerState(reader, state, burning);
}

// The bit at `offset` of an encoding.
uint32_t BitAt(const Encoded& encoded, int offset)
{
    return (encoded.words[static_cast<size_t>(offset / 32)] >> (offset % 32)) & 1u;
}

TEST(PlayerStateCodec, DefaultStateIs1167BitsAndRoundTrips)
{
    const PlayerState state;
    const Encoded encoded = Encode(state, false);
    EXPECT_EQ(encoded.bits, 1167);
    EXPECT_EQ(kPlayerStateBits, 1167);
    PlayerState back;
    back.health = 55;
    bool burning = true;
    ASSERT_TRUE(DecodeStateBits(encoded, back, burning));
    EXPECT_FALSE(burning);
    EXPECT_EQ(back.viewDistance, 3.0f);
    EXPECT_EQ(back.shoulderOffset, 0.5f);
    EXPECT_EQ(back.height, 1.8f);
    EXPECT_EQ(back.team, kTeamNone);
    EXPECT_EQ(back.maxHealth, 100);
    EXPECT_EQ(back.speedPercent, 100);
    EXPECT_EQ(back.health, 0);
    EXPECT_EQ(Encode(back, burning), encoded);
}

TEST(PlayerStateCodec, LastCommandTickLeadsAndTheBurningFlagSitsAfterTheServerTimers)
{
    PlayerState state;
    state.lastCommandTick = 0x89ABCDEF;
    const Encoded plain = Encode(state, false);
    EXPECT_EQ(plain.words[0], 0x89ABCDEFu);
    const Encoded burning = Encode(state, true);
    // 32 + 5x32 + 6x32 + 2x32 + 3 + 32 + 8 + 3 + 16 + 14 + 25 + 16 + 8 + 48 bits come first.
    const int burningOffset = 621;
    EXPECT_EQ(BitAt(plain, burningOffset), 0u);
    EXPECT_EQ(BitAt(burning, burningOffset), 1u);
    for (int bit = 0; bit < 1167; ++bit) {
        if (bit != burningOffset) {
            ASSERT_EQ(BitAt(plain, bit), BitAt(burning, bit)) << bit;
        }
    }
}

struct FieldCase {
    const char* name;
    std::function<void(PlayerState&)> set;
    std::function<double(const PlayerState&)> get;
    double expected;  // what the reader gives back
};

TEST(PlayerStateCodec, EveryFieldTravels)
{
    const std::vector<FieldCase> cases = {
        {"lastCommandTick", [](PlayerState& s) { s.lastCommandTick = 4000000000u; }, [](const PlayerState& s) { return s.lastCommandTick; }, 4000000000.0},
        {"yaw", [](PlayerState& s) { s.yaw = -179.25f; }, [](const PlayerState& s) { return s.yaw; }, -179.25},
        {"pitch", [](PlayerState& s) { s.pitch = 88.5f; }, [](const PlayerState& s) { return s.pitch; }, 88.5},
        {"aimBlend", [](PlayerState& s) { s.aimBlend = 0.75f; }, [](const PlayerState& s) { return s.aimBlend; }, 0.75},
        {"viewDistance", [](PlayerState& s) { s.viewDistance = 1.5f; }, [](const PlayerState& s) { return s.viewDistance; }, 1.5},
        {"shoulderOffset", [](PlayerState& s) { s.shoulderOffset = -0.5f; }, [](const PlayerState& s) { return s.shoulderOffset; }, -0.5},
        {"position.x", [](PlayerState& s) { s.position.x = 1e6f; }, [](const PlayerState& s) { return s.position.x; }, 1e6},
        {"position.y", [](PlayerState& s) { s.position.y = -3.5f; }, [](const PlayerState& s) { return s.position.y; }, -3.5},
        {"position.z", [](PlayerState& s) { s.position.z = 0.125f; }, [](const PlayerState& s) { return s.position.z; }, 0.125},
        {"velocity.x", [](PlayerState& s) { s.velocity.x = 7.0f; }, [](const PlayerState& s) { return s.velocity.x; }, 7.0},
        {"velocity.y", [](PlayerState& s) { s.velocity.y = -30.0f; }, [](const PlayerState& s) { return s.velocity.y; }, -30.0},
        {"velocity.z", [](PlayerState& s) { s.velocity.z = 2.0f; }, [](const PlayerState& s) { return s.velocity.z; }, 2.0},
        {"bodyYaw", [](PlayerState& s) { s.bodyYaw = 180.0f; }, [](const PlayerState& s) { return s.bodyYaw; }, 180.0},
        {"height", [](PlayerState& s) { s.height = 1.2f; }, [](const PlayerState& s) { return s.height; }, static_cast<double>(1.2f)},
        {"onGround", [](PlayerState& s) { s.onGround = 1; }, [](const PlayerState& s) { return s.onGround; }, 1},
        {"crouching", [](PlayerState& s) { s.crouching = 2; }, [](const PlayerState& s) { return s.crouching; }, 1},
        {"jumpHeld", [](PlayerState& s) { s.jumpHeld = 1; }, [](const PlayerState& s) { return s.jumpHeld; }, 1},
        {"airTicks", [](PlayerState& s) { s.airTicks = 65535; }, [](const PlayerState& s) { return s.airTicks; }, 65535},
        {"jumpBuffer", [](PlayerState& s) { s.jumpBuffer = 9; }, [](const PlayerState& s) { return s.jumpBuffer; }, 9},
        {"team", [](PlayerState& s) { s.team = 1; }, [](const PlayerState& s) { return s.team; }, 1},
        {"armor", [](PlayerState& s) { s.armor = 4; }, [](const PlayerState& s) { return s.armor; }, 4},
        {"maxHealth", [](PlayerState& s) { s.maxHealth = 65535; }, [](const PlayerState& s) { return s.maxHealth; }, 65535},
        {"speedPercent", [](PlayerState& s) { s.speedPercent = 10000; }, [](const PlayerState& s) { return s.speedPercent; }, 10000},
        {"upgrade 0", [](PlayerState& s) { s.upgradeLevels[0] = 20; }, [](const PlayerState& s) { return s.upgradeLevels[0]; }, 20},
        {"upgrade 4 clamped", [](PlayerState& s) { s.upgradeLevels[4] = 25; }, [](const PlayerState& s) { return s.upgradeLevels[4]; }, 20},
        {"health", [](PlayerState& s) { s.health = 4321; }, [](const PlayerState& s) { return s.health; }, 4321},
        {"lives", [](PlayerState& s) { s.lives = 99; }, [](const PlayerState& s) { return s.lives; }, 99},
        {"respawnTicks", [](PlayerState& s) { s.respawnTicks = 300; }, [](const PlayerState& s) { return s.respawnTicks; }, 300},
        {"spawnProtectionTicks", [](PlayerState& s) { s.spawnProtectionTicks = 64; }, [](const PlayerState& s) { return s.spawnProtectionTicks; }, 64},
        {"overhealHoldTicks", [](PlayerState& s) { s.overhealHoldTicks = 65000; }, [](const PlayerState& s) { return s.overhealHoldTicks; }, 65000},
        {"weapon", [](PlayerState& s) { s.weapon = 9; }, [](const PlayerState& s) { return s.weapon; }, 9},
        {"ammo", [](PlayerState& s) { s.ammo = 250; }, [](const PlayerState& s) { return s.ammo; }, 250},
        {"reloadTicks", [](PlayerState& s) { s.reloadTicks = 120; }, [](const PlayerState& s) { return s.reloadTicks; }, 120},
        {"fireHeld", [](PlayerState& s) { s.fireHeld = 1; }, [](const PlayerState& s) { return s.fireHeld; }, 1},
        {"burstLeft", [](PlayerState& s) { s.burstLeft = 15; }, [](const PlayerState& s) { return s.burstLeft; }, 15},
        {"burstTimer low 8 bits", [](PlayerState& s) { s.burstTimer = 0x1234; }, [](const PlayerState& s) { return s.burstTimer; }, 0x34},
        {"secondaryHeld", [](PlayerState& s) { s.secondaryHeld = 1; }, [](const PlayerState& s) { return s.secondaryHeld; }, 1},
        {"shotsFired", [](PlayerState& s) { s.shotsFired = 0xFFFFFFFF; }, [](const PlayerState& s) { return s.shotsFired; }, 4294967295.0},
        {"chargeTicks", [](PlayerState& s) { s.chargeTicks = 90; }, [](const PlayerState& s) { return s.chargeTicks; }, 90},
        {"shotCharge", [](PlayerState& s) { s.shotCharge = 255; }, [](const PlayerState& s) { return s.shotCharge; }, 255},
        {"power", [](PlayerState& s) { s.power = 4; }, [](const PlayerState& s) { return s.power; }, 4},
        {"powerCooldown", [](PlayerState& s) { s.powerCooldown = 640; }, [](const PlayerState& s) { return s.powerCooldown; }, 640},
        {"powerActive", [](PlayerState& s) { s.powerActive = 320; }, [](const PlayerState& s) { return s.powerActive; }, 320},
        {"cookTicks", [](PlayerState& s) { s.cookTicks = 100; }, [](const PlayerState& s) { return s.cookTicks; }, 100},
        {"throwTicks", [](PlayerState& s) { s.throwTicks = 12; }, [](const PlayerState& s) { return s.throwTicks; }, 12},
        {"cookFraction", [](PlayerState& s) { s.cookFraction = 200; }, [](const PlayerState& s) { return s.cookFraction; }, 200},
        {"powerHeld", [](PlayerState& s) { s.powerHeld = 1; }, [](const PlayerState& s) { return s.powerHeld; }, 1},
        {"powerUses", [](PlayerState& s) { s.powerUses = 123456789; }, [](const PlayerState& s) { return s.powerUses; }, 123456789},
        {"cookedOff", [](PlayerState& s) { s.cookedOff = 1; }, [](const PlayerState& s) { return s.cookedOff; }, 1},
        {"storedMask", [](PlayerState& s) { s.storedMask = 0x3FF; }, [](const PlayerState& s) { return s.storedMask; }, 0x3FF},
        {"storedAmmo 0", [](PlayerState& s) { s.storedAmmo[0] = 30; }, [](const PlayerState& s) { return s.storedAmmo[0]; }, 30},
        {"storedAmmo 9", [](PlayerState& s) { s.storedAmmo[9] = 65535; }, [](const PlayerState& s) { return s.storedAmmo[9]; }, 65535},
        {"shotCooldown 0", [](PlayerState& s) { s.shotCooldown[0] = 7; }, [](const PlayerState& s) { return s.shotCooldown[0]; }, 7},
        {"shotCooldown 9", [](PlayerState& s) { s.shotCooldown[9] = 40000; }, [](const PlayerState& s) { return s.shotCooldown[9]; }, 40000},
    };
    const Encoded defaults = Encode(PlayerState{}, false);
    for (const FieldCase& c : cases) {
        PlayerState state;
        c.set(state);
        const Encoded encoded = Encode(state, false);
        EXPECT_EQ(encoded.bits, 1167) << c.name;
        EXPECT_FALSE(encoded == defaults) << c.name << " does not reach the wire";
        PlayerState back;
        bool burning = true;
        ASSERT_TRUE(DecodeStateBits(encoded, back, burning)) << c.name;
        EXPECT_EQ(c.get(back), c.expected) << c.name;
        EXPECT_EQ(Encode(back, burning), encoded) << c.name;
    }
}

TEST(PlayerStateCodec, StoredAmmoAndCooldownPairsCloseTheEncoding)
{
    PlayerState state;
    state.storedAmmo[9] = 0xABCD;
    state.shotCooldown[9] = 0x1357;
    const Encoded encoded = Encode(state, false);
    uint32_t ammo = 0;
    uint32_t cooldown = 0;
    for (int i = 0; i < 16; ++i) {
        ammo |= BitAt(encoded, 1167 - 32 + i) << i;
        cooldown |= BitAt(encoded, 1167 - 16 + i) << i;
    }
    EXPECT_EQ(ammo, 0xABCDu);
    EXPECT_EQ(cooldown, 0x1357u);
}

TEST(PlayerStateCodec, ATruncatedStateIsRefusedAndLeavesTheOutputAlone)
{
    PlayerState state;
    state.health = 80;
    Encoded encoded = Encode(state, true);
    net::BitReader reader(encoded.words.data(), 36, 1166);
    PlayerState back;
    back.health = 3;
    bool burning = false;
    EXPECT_FALSE(ReadPlayerState(reader, back, burning));
    EXPECT_EQ(back.health, 3);
    EXPECT_FALSE(burning);
}

}  // namespace
