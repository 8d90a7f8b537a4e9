#pragma once
// Input commands as the client builds them for one fixed step: the player's movement and view
// quantised to the command's bytes and turn units, and the scripted input of the demo mode and
// the bots harness.
#include <cstdint>

#include "game/input_command.h"

// What the sampled keys and mouse ask for in one step, before quantising.
struct MoveIntent {
    float forward = 0.0f;  // -1..1
    float right = 0.0f;    // -1..1
    uint8_t buttons = 0;   // InputButton bits
    float yaw = 0.0f;      // degrees
    float pitch = 0.0f;    // degrees
};

// 65536 / 360: degrees to 1/65536 of a turn.
constexpr float kDegreesToTurnUnits = 182.04445f;

// The command of `tick`: axes scaled down to length 1 when longer and rounded to steps of 1/127,
// yaw wrapped into [0, 360), pitch signed. The view tick is left unset and weapon and power at 0.
InputCommand QuantizeMoveCommand(uint32_t tick, const MoveIntent& intent);

// The scripted input of `tick` for a player whose script runs `phase` seconds ahead: running
// forward with a weaving strafe, firing most of the time with sprint held, reloading and using
// the power now and then, jumping every 2.5 s, sweeping the view left and right 6 degrees down.
InputCommand DemoInputCommand(uint64_t tick, float step, float phase);
