#include "game/player_movement.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "game/angles.h"
#include "game/collision_world.h"
#include "game/ticks.h"
#include "game/tuning.h"
#include "support/player_sim.h"

using testsim::Command;
using testsim::kDt;
using testsim::RunTicks;
using testsim::SpawnedPlayer;

namespace {

constexpr float kEast = 270.0f;   // looks along +x
constexpr float kWest = 90.0f;    // looks along -x
constexpr float kNorth = 0.0f;    // looks along -z
constexpr uint8_t kNone = 0;
constexpr uint8_t kM4 = 1;
constexpr uint8_t kShotgun = 2;
constexpr uint8_t kLaser = 3;
constexpr uint8_t kFlamer = 4;
constexpr uint8_t kSniper = 6;
constexpr uint8_t kLmg = 7;
constexpr uint8_t kSmg = 8;
constexpr uint8_t kPistol = 9;

CollisionWorld Greybox() {
  CollisionWorld world;
  world.BuildGreybox();
  return world;
}

// Ticks (from the start of a run) at which the shot counter rose.
std::vector<int> ShotTicks(PlayerState& state, int ticks, const std::function<InputCommand(int)>& script,
                           const tune::Tuning& tuning, const CollisionWorld& world) {
  std::vector<int> result;
  for (int i = 0; i < ticks; ++i) {
    const uint32_t before = state.shotsFired;
    InputCommand cmd = script(i);
    cmd.tick = static_cast<uint32_t>(i + 1);
    MovePlayer(state, cmd, kDt, tuning, world);
    for (uint32_t n = before; n != state.shotsFired; ++n) result.push_back(i);
  }
  return result;
}

}  // namespace

TEST(MovePlayer, WalkingUpTheStairsEndsOnTheTopStep) {
  const tune::Tuning tuning;
  const CollisionWorld world = Greybox();
  // The greybox staircase: five 1.2 m steps, 0.25 m each, from x = 5.4 to 11.4 around z = -4.
  PlayerState state = SpawnedPlayer(glm::vec3(4.9f, 0.0f, -4.0f), kNone, tuning);
  float highest = 0.0f;
  for (int i = 0; i < 64 * 3 && state.position.x < 11.0f; ++i) {
    RunTicks(state, 1, [&](int) { return Command(kEast, 127, 0, kNone); }, tuning, world);
    highest = std::max(highest, state.position.y);
  }
  RunTicks(state, 64, [&](int) { return Command(kEast, 0, 0, kNone); }, tuning, world);
  EXPECT_EQ(state.onGround, 1);
  EXPECT_NEAR(state.position.y, 1.25f, 0.0025f);
  EXPECT_GT(state.position.x, 10.2f);
  EXPECT_LT(state.position.x, 11.4f + 0.35f);
  EXPECT_LT(highest, 1.25f + 0.05f) << "climbing steps is not jumping";
}

TEST(MovePlayer, ABlockAboveStepHeightStopsTheBody) {
  const tune::Tuning tuning;
  const CollisionWorld world = Greybox();
  // Block 6: 1 m high, x from -5 to -3, z from 1 to 3.
  PlayerState state = SpawnedPlayer(glm::vec3(-1.0f, 0.0f, 2.0f), kNone, tuning);
  RunTicks(state, 128, [&](int) { return Command(kWest, 127, 0, kNone); }, tuning, world);
  EXPECT_NEAR(state.position.x, -3.0f + 0.35f, 0.01f);
  EXPECT_NEAR(state.position.y, 0.0f, 0.002f);
  EXPECT_EQ(state.onGround, 1);
  EXPECT_NEAR(state.velocity.x, 0.0f, 1e-4);
}

TEST(MovePlayer, AStepBelowStepHeightIsClimbedWhileWalking) {
  const tune::Tuning tuning;
  CollisionWorld world;
  world.AddBox(glm::vec3(0.0f, 0.22f, -5.0f), glm::vec3(3.0f, 0.22f, 2.0f));  // 0.44 m high
  world.AddBox(glm::vec3(10.0f, 0.23f, -5.0f), glm::vec3(3.0f, 0.23f, 2.0f));  // 0.46 m high
  PlayerState low = SpawnedPlayer(glm::vec3(0.0f, 0.0f, -1.0f), kNone, tuning);
  RunTicks(low, 64, [&](int) { return Command(kNorth, 127, 0, kNone); }, tuning, world);
  EXPECT_NEAR(low.position.y, 0.44f, 0.0025f);
  EXPECT_LT(low.position.z, -4.0f);
  PlayerState high = SpawnedPlayer(glm::vec3(10.0f, 0.0f, -1.0f), kNone, tuning);
  RunTicks(high, 64, [&](int) { return Command(kNorth, 127, 0, kNone); }, tuning, world);
  EXPECT_NEAR(high.position.y, 0.0f, 0.002f);
  EXPECT_NEAR(high.position.z, -3.0f + 0.35f, 0.01f);
}

TEST(MovePlayer, WalkingIntoAWallKeepsOnlyTheVelocityAlongIt) {
  const tune::Tuning tuning;
  const CollisionWorld world = Greybox();
  // Wall 12: x from 3.6 to 4.4, z from -3 to 3. Walk toward +x and -z at 45 degrees.
  PlayerState state = SpawnedPlayer(glm::vec3(3.0f, 0.0f, 2.0f), kNone, tuning);
  RunTicks(state, 40, [&](int) { return Command(kEast + 45.0f, 127, 0, kNone); }, tuning, world);
  EXPECT_NEAR(state.position.x, 3.6f - 0.35f, 0.01f);
  EXPECT_NEAR(state.velocity.x, 0.0f, 1e-3);
  EXPECT_LT(state.velocity.z, -2.0f) << "it keeps sliding along the wall";
}

TEST(MovePlayer, CrouchingUnderALowCeilingStaysCrouched) {
  const tune::Tuning tuning;
  CollisionWorld world;
  // A slab whose underside is 1.3 m up, from z = -2 to z = -6.
  world.AddBox(glm::vec3(0.0f, 1.45f, -4.0f), glm::vec3(3.0f, 0.15f, 2.0f));
  PlayerState state = SpawnedPlayer(glm::vec3(0.0f, 0.0f, 0.0f), kNone, tuning);
  RunTicks(state, 64, [&](int) { return Command(kNorth, 0, kButtonCrouch, kNone); }, tuning, world);
  EXPECT_EQ(state.crouching, 1);
  EXPECT_NEAR(state.height, tuning.movement.crouchHeight, 0.01f);
  // Crouch-walk under the slab, then let go of crouch there.
  RunTicks(state, 100, [&](int) { return Command(kNorth, 127, kButtonCrouch, kNone); }, tuning, world);
  ASSERT_LT(state.position.z, -3.0f);
  const float crouched = state.height;
  RunTicks(state, 64, [&](int) { return Command(kNorth, 0, 0, kNone); }, tuning, world);
  EXPECT_EQ(state.crouching, 0);
  EXPECT_EQ(state.height, crouched) << "no standing up into the ceiling";
  EXPECT_NEAR(state.position.y, 0.0f, 0.002f);
  // Walk out backwards and stand up.
  RunTicks(state, 160, [&](int) { return Command(kNorth, -127, 0, kNone); }, tuning, world);
  ASSERT_GT(state.position.z, -2.0f + 0.35f);
  RunTicks(state, 64, [&](int) { return Command(kNorth, 0, 0, kNone); }, tuning, world);
  EXPECT_NEAR(state.height, tuning.movement.standingHeight, 0.01f);
}

TEST(MovePlayer, CoyoteTimeLetsAJumpFireUpToItsLastTick) {
  const tune::Tuning tuning;
  const CollisionWorld world = Greybox();
  const int coyote = TicksFromSeconds(tuning.movement.coyoteTime, kDt);
  ASSERT_EQ(coyote, 6);
  // Block 9 is 2 m high (x from -10 to -6); walk off its +x edge.
  const PlayerState start = SpawnedPlayer(glm::vec3(-6.8f, 2.0f, -6.0f), kNone, tuning);
  // Find the tick at whose end the body has left the ground.
  PlayerState probe = start;
  int left = -1;
  for (int i = 0; i < 64 && left < 0; ++i) {
    RunTicks(probe, 1, [&](int) { return Command(kEast, 127, 0, kNone); }, tuning, world);
    if (probe.onGround == 0) left = i;
  }
  ASSERT_GE(left, 0);
  for (int k = 1; k <= coyote + 2; ++k) {
    PlayerState state = start;
    RunTicks(state, left + 1, [&](int) { return Command(kEast, 127, 0, kNone); }, tuning, world);
    RunTicks(state, k - 1, [&](int) { return Command(kEast, 127, 0, kNone); }, tuning, world);
    RunTicks(state, 1, [&](int) { return Command(kEast, 127, kButtonJump, kNone); }, tuning, world);
    EXPECT_EQ(state.airTicks == 65535, k <= coyote) << "jump pressed " << k << " ticks after leaving the edge";
    EXPECT_EQ(state.velocity.y > 5.0f, k <= coyote) << k;
  }
}

TEST(MovePlayer, TheJumpBufferFiresOnLandingUpToItsLastTick) {
  const tune::Tuning tuning;
  const CollisionWorld world;  // the floor plane
  const int buffer = TicksFromSeconds(tuning.movement.jumpBufferTime, kDt);
  ASSERT_EQ(buffer, 7);
  PlayerState start = SpawnedPlayer(glm::vec3(0.0f, 3.0f, 0.0f), kNone, tuning);
  start.onGround = 0;
  start.airTicks = 100;  // long past the coyote time
  // The tick at whose end the falling body is on the ground.
  PlayerState probe = start;
  int landed = -1;
  for (int i = 0; i < 200 && landed < 0; ++i) {
    RunTicks(probe, 1, [&](int) { return Command(kNorth, 0, 0, kNone); }, tuning, world);
    if (probe.onGround != 0) landed = i;
  }
  ASSERT_GT(landed, buffer + 2);
  ASSERT_EQ(start.onGround, 0);
  // A press at tick p arms the buffer; the jump fires in the tick after landing while it lasts.
  for (int p = landed - buffer - 1; p <= landed; ++p) {
    PlayerState state = start;
    RunTicks(state, landed + 2,
        [&](int i) { return Command(kNorth, 0, i == p ? kButtonJump : 0, kNone); }, tuning, world);
    const bool expected = (landed + 1) - p < buffer;
    EXPECT_EQ(state.velocity.y > 5.0f, expected) << "pressed " << (landed + 1 - p) << " ticks before";
  }
}

TEST(MovePlayer, HoldingJumpRejumpsOnlyWithTheHoldSetting) {
  const CollisionWorld world;
  for (uint8_t hold : {uint8_t{1}, uint8_t{0}}) {
    tune::Tuning tuning;
    tuning.movement.holdToRejump = hold;
    PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kNone, tuning);
    int jumps = 0;
    for (int i = 0; i < 64 * 3; ++i) {
      const float before = state.velocity.y;
      RunTicks(state, 1, [&](int) { return Command(kNorth, 0, kButtonJump, kNone); }, tuning, world);
      if (state.velocity.y > 5.0f && before <= 5.0f) ++jumps;
    }
    if (hold != 0) {
      EXPECT_GE(jumps, 3);
    } else {
      EXPECT_EQ(jumps, 1);
    }
  }
}

TEST(MovePlayer, AutomaticFireIntervalsInTicks) {
  const CollisionWorld world;
  struct Case {
    uint8_t weapon;
    uint8_t armor;
    uint8_t shotSpeedLevel;
    int interval;
    const char* why;
  };
  const Case cases[] = {
      {kM4, 0, 0, 6, "600 a minute: 6.4 ticks"},
      {kSmg, 0, 0, 4, "950 a minute: 4.04 ticks"},
      {kLmg, 0, 0, 5, "700 a minute: 5.49 ticks"},
      {kLaser, 0, 0, 3, "1200 a minute: 3.2 ticks"},
      {kFlamer, 0, 0, 3, "1000 a minute: 3.84 ticks"},
      {kM4, 4, 0, 5, "WHITE fires 0.85 times as slowly: 5.44 ticks"},
      {kM4, 0, 20, 1, "SHOT SPEED 20: 1.37 ticks"},
  };
  for (const Case& c : cases) {
    const tune::Tuning tuning;
    PlayerState state = SpawnedPlayer(glm::vec3(0.0f), c.weapon, tuning);
    state.armor = c.armor;
    state.upgradeLevels[kTrackShotSpeed] = c.shotSpeedLevel;
    const std::vector<int> shots =
        ShotTicks(state, 12 * c.interval, [&](int) { return Command(kNorth, 0, kButtonFire, c.weapon); }, tuning,
                  world);
    ASSERT_EQ(shots.size(), 12u) << c.why;
    for (size_t i = 0; i < shots.size(); ++i) EXPECT_EQ(shots[i], int(i) * c.interval) << c.why;
  }
}

TEST(MovePlayer, AShotCooldownIsAtLeastOneTick) {
  tune::Tuning tuning;
  tuning.weapons[kM4].rateOfFire = 1e9f;
  const CollisionWorld world;
  PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kM4, tuning);
  const std::vector<int> shots =
      ShotTicks(state, 10, [&](int) { return Command(kNorth, 0, kButtonFire, kM4); }, tuning, world);
  EXPECT_EQ(shots, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(MovePlayer, SemiAutomaticWeaponsNeedANewPress) {
  const tune::Tuning tuning;
  const CollisionWorld world;
  // PISTOL: 400 a minute, 9.6 ticks -> 9. Held fire gives one shot; presses every other tick fire
  // as soon as the cooldown allows.
  PlayerState held = SpawnedPlayer(glm::vec3(0.0f), kPistol, tuning);
  EXPECT_EQ(ShotTicks(held, 40, [&](int) { return Command(kNorth, 0, kButtonFire, kPistol); }, tuning, world),
            std::vector<int>{0});
  PlayerState tapped = SpawnedPlayer(glm::vec3(0.0f), kPistol, tuning);
  EXPECT_EQ(ShotTicks(tapped, 40,
                      [&](int i) { return Command(kNorth, 0, (i % 2 == 0) ? kButtonFire : 0, kPistol); },
                      tuning, world),
            (std::vector<int>{0, 10, 20, 30}));
  // SHOTGUN: 75 a minute, 51.2 ticks -> 51; a press at 50 is too early, at 51 fires.
  PlayerState shotgun = SpawnedPlayer(glm::vec3(0.0f), kShotgun, tuning);
  EXPECT_EQ(ShotTicks(shotgun, 52,
                      [&](int i) { return Command(kNorth, 0, (i == 0 || i == 50 || i == 51) ? kButtonFire : 0,
                                                  kShotgun); },
                      tuning, world),
            std::vector<int>{0});
  PlayerState shotgun2 = SpawnedPlayer(glm::vec3(0.0f), kShotgun, tuning);
  EXPECT_EQ(ShotTicks(shotgun2, 52,
                      [&](int i) { return Command(kNorth, 0, (i == 0 || i == 51) ? kButtonFire : 0, kShotgun); },
                      tuning, world),
            (std::vector<int>{0, 51}));
}

TEST(MovePlayer, AnEmptyMagazineReloadsByItselfInTheTableTime) {
  const tune::Tuning tuning;
  const CollisionWorld world;
  PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kM4, tuning);
  // 32 rounds at 6 ticks apart; the last leaves at tick 186, the reload (1.6 s = 102 ticks) starts in
  // the next tick, which first sees the empty magazine, and refills at tick 289, where the next shot
  // leaves.
  const std::vector<int> shots =
      ShotTicks(state, 291, [&](int) { return Command(kNorth, 0, kButtonFire, kM4); }, tuning, world);
  ASSERT_EQ(shots.size(), 33u);
  EXPECT_EQ(shots[31], 186);
  EXPECT_EQ(shots[32], 186 + 1 + 102);
}

TEST(MovePlayer, ReloadTicksFollowArmourAndSpeed) {
  const CollisionWorld world;
  struct Case {
    uint8_t weapon, armor, speedLevel;
    int ticks;
    const char* why;
  };
  const Case cases[] = {
      {kM4, 0, 0, 102, "1.6 s"},
      {kM4, 3, 0, 122, "PINK reloads 1.2 times as long: 1.92 s"},
      {kM4, 4, 0, 68, "WHITE: 1.0667 s"},
      {kLmg, 0, 0, 256, "4 s"},
      {kPistol, 0, 0, 64, "1 s"},
      {kM4, 0, 10, 47, "SPEED 10: 1.6 / 1.08^10 s"},
  };
  for (const Case& c : cases) {
    const tune::Tuning tuning;
    PlayerState state = SpawnedPlayer(glm::vec3(0.0f), c.weapon, tuning);
    state.armor = c.armor;
    state.upgradeLevels[kTrackSpeed] = c.speedLevel;
    state.ammo = 1;
    RunTicks(state, 1, [&](int) { return Command(kNorth, 0, kButtonReload, c.weapon); }, tuning, world);
    EXPECT_EQ(state.reloadTicks, c.ticks) << c.why;
    RunTicks(state, c.ticks - 1, [&](int) { return Command(kNorth, 0, kButtonFire, c.weapon); }, tuning, world);
    EXPECT_EQ(state.ammo, 1) << c.why << ": no shot while reloading";
    EXPECT_EQ(state.shotsFired, 0u) << c.why;
    RunTicks(state, 1, [&](int) { return Command(kNorth, 0, 0, c.weapon); }, tuning, world);
    EXPECT_EQ(state.ammo, tuning.Weapon(c.weapon).magazineSize) << c.why;
    EXPECT_EQ(state.reloadTicks, 0) << c.why;
  }
}

TEST(MovePlayer, APistolBurstFiresThreeShotsThenCoolsDown) {
  const tune::Tuning tuning;
  const CollisionWorld world;
  PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kPistol, tuning);
  // Interval 0.07 s = 4 ticks, cooldown 0.62 s = 39 ticks after the last shot. Holding the
  // secondary button does not start another burst; a new press after the cooldown does.
  std::vector<int> shots =
      ShotTicks(state, 60, [&](int) { return Command(kNorth, 0, kButtonSecondary, kPistol); }, tuning, world);
  EXPECT_EQ(shots, (std::vector<int>{0, 4, 8}));
  EXPECT_EQ(state.ammo, 9);
  PlayerState again = SpawnedPlayer(glm::vec3(0.0f), kPistol, tuning);
  shots = ShotTicks(again, 60,
                    [&](int i) { return Command(kNorth, 0, (i % 2 == 0) ? kButtonSecondary : 0, kPistol); }, tuning,
                    world);
  EXPECT_EQ(shots, (std::vector<int>{0, 4, 8, 48, 52, 56}));
  // With two rounds left a burst fires two.
  PlayerState low = SpawnedPlayer(glm::vec3(0.0f), kPistol, tuning);
  low.ammo = 2;
  shots = ShotTicks(low, 20, [&](int) { return Command(kNorth, 0, kButtonSecondary, kPistol); }, tuning, world);
  EXPECT_EQ(shots, (std::vector<int>{0, 4}));
  EXPECT_GT(low.reloadTicks, 0) << "the empty magazine reloads by itself";
}

TEST(MovePlayer, TheSniperChargesWhileScoped) {
  const tune::Tuning tuning;
  const CollisionWorld world;
  const int full = TicksFromSeconds(3.3f, kDt);
  ASSERT_EQ(full, 211);
  struct Case {
    int held;  // ticks of secondary before the shot tick
    int charge;
  };
  const Case cases[] = {{-1, 0}, {0, 1}, {103, 126}, {104, 127}, {209, 254}, {210, 255}, {400, 255}};
  for (const Case& c : cases) {
    PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kSniper, tuning);
    if (c.held > 0) {
      RunTicks(state, c.held, [&](int) { return Command(kNorth, 0, kButtonSecondary, kSniper); }, tuning, world);
    }
    const uint8_t buttons = c.held >= 0 ? (kButtonSecondary | kButtonFire) : kButtonFire;
    RunTicks(state, 1, [&](int) { return Command(kNorth, 0, buttons, kSniper); }, tuning, world);
    EXPECT_EQ(state.shotsFired, 1u) << c.held;
    EXPECT_EQ(state.shotCharge, c.charge) << c.held;
    EXPECT_EQ(state.chargeTicks, 0) << c.held;
  }
  // A charge count beyond the full charge (as a correction may carry) is held at the full charge.
  PlayerState corrected = SpawnedPlayer(glm::vec3(0.0f), kSniper, tuning);
  corrected.chargeTicks = 65535;
  RunTicks(corrected, 1, [&](int) { return Command(kNorth, 0, kButtonSecondary, kSniper); }, tuning, world);
  EXPECT_EQ(corrected.chargeTicks, full);
  // Weapons without charge always fire at 255.
  PlayerState m4 = SpawnedPlayer(glm::vec3(0.0f), kM4, tuning);
  RunTicks(m4, 1, [&](int) { return Command(kNorth, 0, kButtonFire | kButtonSecondary, kM4); }, tuning, world);
  EXPECT_EQ(m4.shotCharge, 255);
}

TEST(MovePlayer, SwitchingWeaponsKeepsEachMagazine) {
  const tune::Tuning tuning;
  const CollisionWorld world;
  PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kM4, tuning);
  state.ammo = 5;
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, kButtonReload, kM4); }, tuning, world);
  ASSERT_GT(state.reloadTicks, 0);
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, 0, kShotgun); }, tuning, world);
  EXPECT_EQ(state.weapon, kShotgun);
  EXPECT_EQ(state.ammo, 8) << "never held: a full magazine";
  EXPECT_EQ(state.reloadTicks, 0) << "switching cancels the reload";
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, kButtonFire, kShotgun); }, tuning, world);
  EXPECT_EQ(state.ammo, 7);
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, 0, kM4); }, tuning, world);
  EXPECT_EQ(state.ammo, 5);
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, 0, kShotgun); }, tuning, world);
  EXPECT_EQ(state.ammo, 7);
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, 0, 12); }, tuning, world);
  EXPECT_EQ(state.weapon, kNone) << "row 12 reads as NONE";
  EXPECT_EQ(state.ammo, 0);
  EXPECT_EQ(state.storedMask, (1u << kM4) | (1u << kShotgun));
}

TEST(MovePlayer, GrenadeCookThrowAndCookOffInTicks) {
  const tune::Tuning tuning;
  const CollisionWorld world;
  // Full cook 1.1 s = 70 ticks, maximum hold 2.4 s = 153, release 0.1667 s = 10, throw end 18;
  // cooldown 4 s = 256 ticks.
  struct Case {
    int cook;
    int fraction;
  };
  const Case cases[] = {{1, 4}, {35, 128}, {69, 251}, {70, 255}, {152, 255}};
  for (const Case& c : cases) {
    PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kM4, tuning);
    RunTicks(state, c.cook, [&](int) { return Command(kNorth, 0, kButtonPower, kM4, kPowerGrenade); }, tuning, world);
    EXPECT_EQ(state.cookTicks, c.cook);
    RunTicks(state, 1, [&](int) { return Command(kNorth, 0, 0, kM4, kPowerGrenade); }, tuning, world);
    EXPECT_EQ(state.throwTicks, 1);
    EXPECT_EQ(state.cookTicks, 0);
    EXPECT_EQ(state.cookFraction, c.fraction) << c.cook;
    // The grenade leaves the hand at the release tick of the throw.
    RunTicks(state, 8, [&](int) { return Command(kNorth, 0, 0, kM4, kPowerGrenade); }, tuning, world);
    EXPECT_EQ(state.powerUses, 0u);
    RunTicks(state, 1, [&](int) { return Command(kNorth, 0, 0, kM4, kPowerGrenade); }, tuning, world);
    EXPECT_EQ(state.throwTicks, 10);
    EXPECT_EQ(state.powerUses, 1u);
    EXPECT_EQ(state.cookedOff, 0);
    EXPECT_EQ(state.powerCooldown, 256);
    RunTicks(state, 8, [&](int) { return Command(kNorth, 0, 0, kM4, kPowerGrenade); }, tuning, world);
    EXPECT_EQ(state.throwTicks, 18);
    RunTicks(state, 1, [&](int) { return Command(kNorth, 0, 0, kM4, kPowerGrenade); }, tuning, world);
    EXPECT_EQ(state.throwTicks, 0);
  }

  // Held to the maximum it leaves the hand by itself at the 153rd tick, fully cooked.
  PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kM4, tuning);
  RunTicks(state, 152, [&](int) { return Command(kNorth, 0, kButtonPower, kM4, kPowerGrenade); }, tuning, world);
  EXPECT_EQ(state.powerUses, 0u);
  EXPECT_EQ(state.cookTicks, 152);
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, kButtonPower, kM4, kPowerGrenade); }, tuning, world);
  EXPECT_EQ(state.powerUses, 1u);
  EXPECT_EQ(state.cookedOff, 1);
  EXPECT_EQ(state.cookFraction, 255);
  EXPECT_EQ(state.cookTicks, 0);
  EXPECT_EQ(state.powerCooldown, 256);
  // Still holding, then letting go: no second grenade and no throw.
  RunTicks(state, 30, [&](int) { return Command(kNorth, 0, kButtonPower, kM4, kPowerGrenade); }, tuning, world);
  RunTicks(state, 30, [&](int) { return Command(kNorth, 0, 0, kM4, kPowerGrenade); }, tuning, world);
  EXPECT_EQ(state.powerUses, 1u);
  EXPECT_EQ(state.throwTicks, 0);
  // During the cooldown a press does not cook.
  RunTicks(state, 5, [&](int) { return Command(kNorth, 0, kButtonPower, kM4, kPowerGrenade); }, tuning, world);
  EXPECT_EQ(state.cookTicks, 0);
  EXPECT_EQ(state.powerCooldown, 256 - 65);
}

TEST(MovePlayer, InvisibilityLastsItsTimeUnlessAShotEndsIt) {
  const tune::Tuning tuning;
  const CollisionWorld world;
  PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kM4, tuning);
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, kButtonPower, kM4, kPowerInvisible); }, tuning, world);
  EXPECT_EQ(state.powerUses, 1u);
  EXPECT_EQ(state.powerActive, 512);
  EXPECT_EQ(state.powerCooldown, 1024);
  RunTicks(state, 100, [&](int) { return Command(kNorth, 0, 0, kM4, kPowerInvisible); }, tuning, world);
  EXPECT_EQ(state.powerActive, 412);
  EXPECT_EQ(state.powerCooldown, 1024) << "the cooldown waits for the effect to end";
  // The shot comes before the power step, so the cooldown already runs in the tick of the shot.
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, kButtonFire, kM4, kPowerInvisible); }, tuning, world);
  EXPECT_EQ(state.powerActive, 0);
  EXPECT_EQ(state.powerCooldown, 1023);
  RunTicks(state, 1, [&](int) { return Command(kNorth, 0, 0, kM4, kPowerInvisible); }, tuning, world);
  EXPECT_EQ(state.powerCooldown, 1022);
}

TEST(MovePlayer, DeadOrWaitingPlayersOnlyTurnTheirView) {
  const tune::Tuning tuning;
  const CollisionWorld world;
  for (int variant = 0; variant < 2; ++variant) {
    PlayerState state = SpawnedPlayer(glm::vec3(1.0f, 5.0f, 2.0f), kM4, tuning);
    state.velocity = glm::vec3(3.0f, -4.0f, 5.0f);
    state.onGround = 0;
    state.fireHeld = 1;
    if (variant == 0) state.health = 0;
    if (variant == 1) state.respawnTicks = 40;
    InputCommand cmd = Command(90.0f, 127, kButtonFire | kButtonJump, kShotgun);
    cmd.pitch = -0x0800;
    cmd.tick = 77;
    MovePlayer(state, cmd, kDt, tuning, world);
    EXPECT_EQ(state.position, glm::vec3(1.0f, 5.0f, 2.0f));
    EXPECT_EQ(state.velocity, glm::vec3(0.0f));
    EXPECT_EQ(state.onGround, 1);
    EXPECT_EQ(state.fireHeld, 0);
    EXPECT_EQ(state.lastCommandTick, 77u);
    EXPECT_EQ(state.yaw, 90.0f);
    EXPECT_EQ(state.pitch, -11.25f);
    EXPECT_EQ(state.weapon, kM4);
    EXPECT_EQ(state.shotsFired, 0u);
  }
}

TEST(MovePlayer, BodyYawNeverTwistsMoreThanTheLimit) {
  const tune::Tuning tuning;
  const CollisionWorld world = Greybox();
  PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kM4, tuning);
  uint32_t x = 12345;
  for (int i = 0; i < 64 * 20; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    InputCommand cmd;
    cmd.tick = uint32_t(i + 1);
    cmd.yaw = static_cast<uint16_t>(x);
    cmd.forward = static_cast<int8_t>((x >> 16) % 255 - 127);
    cmd.side = static_cast<int8_t>((x >> 8) % 255 - 127);
    cmd.buttons = static_cast<uint8_t>((x >> 24) & 0x07);
    cmd.weapon = kM4;
    MovePlayer(state, cmd, kDt, tuning, world);
    EXPECT_LE(std::fabs(AngleDelta(state.yaw, state.bodyYaw)), 62.001f) << i;
    EXPECT_GE(state.bodyYaw, -180.0f);
    EXPECT_LE(state.bodyYaw, 180.0f);
    ASSERT_GE(state.position.y, -0.01f) << "never through the floor";
  }
}

TEST(MovePlayer, TheBodyTurnsTowardItsMovement) {
  const tune::Tuning tuning;
  const CollisionWorld world;
  PlayerState state = SpawnedPlayer(glm::vec3(0.0f), kNone, tuning);
  // Strafing right while looking north: the body turns toward +x (yaw -90), limited by the twist.
  RunTicks(state, 64, [&](int) { return Command(kNorth, 0, 0, kNone); }, tuning, world);
  InputCommand cmd = Command(kNorth, 0, 0, kNone);
  cmd.side = 127;
  RunTicks(state, 64, [&](int) { return cmd; }, tuning, world);
  EXPECT_NEAR(state.bodyYaw, -62.0f, 1e-4);
  // Standing still it turns back to the view at the idle rate: 240 degrees a second.
  RunTicks(state, 16, [&](int) { return Command(kNorth, 0, 0, kNone); }, tuning, world);
  EXPECT_GT(state.bodyYaw, -62.0f);
  RunTicks(state, 64, [&](int) { return Command(kNorth, 0, 0, kNone); }, tuning, world);
  EXPECT_NEAR(state.bodyYaw, 0.0f, 1e-4);
}

TEST(MovePlayer, SpeedFollowsWeaponArmourRoomAndUpgrades) {
  const CollisionWorld world;
  struct Case {
    uint8_t weapon, armor, speedLevel;
    uint16_t percent;
    uint8_t buttons;
    float speed;
  };
  const Case cases[] = {
      {kNone, 0, 0, 100, 0, 4.6f * 1.06f},
      {kM4, 0, 0, 100, kButtonSprint, 7.2f * 0.94f},
      {kM4, 1, 0, 100, 0, 4.6f * 0.94f * 0.8f},
      {kM4, 0, 0, 50, 0, 4.6f * 0.94f * 0.5f},
      {kSniper, 0, 0, 100, kButtonSecondary, 4.6f * 0.86f * 0.4f},
      {kM4, 0, 5, 100, 0, 4.6f * 0.94f * 1.4693281f},
  };
  for (const Case& c : cases) {
    const tune::Tuning tuning;
    PlayerState state = SpawnedPlayer(glm::vec3(0.0f), c.weapon, tuning);
    state.armor = c.armor;
    state.speedPercent = c.percent;
    state.upgradeLevels[kTrackSpeed] = c.speedLevel;
    RunTicks(state, 64, [&](int) { return Command(kNorth, 127, c.buttons, c.weapon); }, tuning, world);
    EXPECT_NEAR(-state.velocity.z, c.speed, 1e-3) << int(c.weapon) << " " << int(c.armor);
    EXPECT_NEAR(state.velocity.x, 0.0f, 1e-5);
  }
}
