#include "game/input_command.h"

#include <gtest/gtest.h>

#include "game/player_state.h"

namespace {

// Field by field: the record's padding bytes hold whatever the compiler left there.
TEST(InputCommand, DefaultIsZeroExceptTheViewTick) {
  const InputCommand cmd;
  EXPECT_EQ(cmd.claimedViewTick, 0xFFFFFFFFu);
  EXPECT_EQ(cmd.tick, 0u);
  EXPECT_EQ(cmd.forward, 0);
  EXPECT_EQ(cmd.side, 0);
  EXPECT_EQ(cmd.buttons, 0);
  EXPECT_EQ(cmd.weapon, 0);
  EXPECT_EQ(cmd.power, 0);
  EXPECT_EQ(cmd.yaw, 0);
  EXPECT_EQ(cmd.pitch, 0);
}

TEST(InputCommand, OutOfRangeSelectionsReadRowZero) {
  InputCommand cmd;
  cmd.weapon = 12;
  cmd.power = 7;
  EXPECT_EQ(CommandWeaponRow(cmd), 0);
  EXPECT_EQ(CommandPowerRow(cmd), 0);
  cmd.weapon = 9;
  cmd.power = 4;
  EXPECT_EQ(CommandWeaponRow(cmd), 9);
  EXPECT_EQ(CommandPowerRow(cmd), 4);
}

TEST(InputCommand, PitchIsSigned) {
  InputCommand cmd;
  cmd.pitch = static_cast<int16_t>(0xFFFF);
  EXPECT_FLOAT_EQ(CommandPitchDegrees(cmd), -360.0f / 65536.0f);
  cmd.yaw = 0xFFFF;
  EXPECT_FLOAT_EQ(CommandYawDegrees(cmd), 65535.0f * 360.0f / 65536.0f);
  cmd.yaw = 16384;
  EXPECT_EQ(CommandYawDegrees(cmd), 90.0f);
}

TEST(PlayerState, DefaultIsDeadUntilSpawned) {
  PlayerState s;
  EXPECT_EQ(s.health, 0);
  EXPECT_EQ(s.maxHealth, 100);
  EXPECT_EQ(s.viewDistance, 3.0f);
  EXPECT_EQ(s.shoulderOffset, 0.5f);
  EXPECT_EQ(s.height, 1.8f);
  EXPECT_EQ(s.team, kTeamNone);
  EXPECT_EQ(s.speedPercent, 100);
  EXPECT_EQ(s.position.x, 0.0f);
  EXPECT_EQ(s.velocity.y, 0.0f);
  for (uint16_t v : s.storedAmmo) EXPECT_EQ(v, 0);
  for (uint8_t v : s.upgradeLevels) EXPECT_EQ(v, 0);
}

TEST(PlayerState, OutOfRangeRowsReadRowZero) {
  PlayerState s;
  s.weapon = 10;
  s.armor = 5;
  s.power = 200;
  EXPECT_EQ(StateWeaponRow(s), 0);
  EXPECT_EQ(StateArmorRow(s), 0);
  EXPECT_EQ(StatePowerRow(s), 0);
}

}  // namespace
