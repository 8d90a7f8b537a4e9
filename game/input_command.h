#pragma once

#include <cstdint>

// Button bits of an input command. Only the low 7 bits travel on the wire.
enum InputButton : uint8_t {
  kButtonJump = 0x01,       // a press arms the jump buffer
  kButtonSprint = 0x02,     // only while moving forward
  kButtonCrouch = 0x04,     // only takes effect on the ground
  kButtonFire = 0x08,       // held for automatic weapons, pressed for the others
  kButtonSecondary = 0x10,  // aim, the scoped weapon's charge, and bursts
  kButtonReload = 0x20,
  kButtonPower = 0x40,      // use the selected power
};

constexpr uint8_t kInputButtonMask = 0x7F;

// A claimed view tick of this value means the client showed no server tick.
constexpr uint32_t kNoViewTick = 0xFFFFFFFFu;

// What one client produces for one simulation tick.
struct InputCommand {
  uint32_t tick = 0;                    // simulation tick the command is for
  uint32_t claimedViewTick = kNoViewTick;  // server tick on screen when the command was made
  int8_t forward = 0;                   // -127..127, positive = forward
  int8_t side = 0;                      // -127..127, positive = right
  uint8_t buttons = 0;                  // InputButton bits
  uint8_t weapon = 0;                   // weapon row wanted; 10 or more reads as 0
  uint8_t power = 0;                    // power row selected; 5 or more reads as 0
  uint16_t yaw = 0;                     // 1/65536 of a turn
  int16_t pitch = 0;                    // 1/65536 of a turn, signed
};

// Angles of the command in degrees. Pitch is signed: 0xFFFF is a small negative pitch.
constexpr float kTurnUnitDegrees = 360.0f / 65536.0f;
inline float CommandYawDegrees(const InputCommand& cmd) { return float(cmd.yaw) * kTurnUnitDegrees; }
inline float CommandPitchDegrees(const InputCommand& cmd) { return float(cmd.pitch) * kTurnUnitDegrees; }

// The weapon and power rows a command selects, with the out-of-range rule applied.
inline uint8_t CommandWeaponRow(const InputCommand& cmd) { return cmd.weapon < 10 ? cmd.weapon : 0; }
inline uint8_t CommandPowerRow(const InputCommand& cmd) { return cmd.power < 5 ? cmd.power : 0; }
