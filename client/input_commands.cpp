#include "client/input_commands.h"

#include <algorithm>
#include <cmath>

namespace {

int8_t QuantizeAxis(float axis)
{
    return static_cast<int8_t>(std::lround(std::clamp(axis, -1.0f, 1.0f) * 127.0f));
}

uint16_t QuantizeYaw(double degrees)
{
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped < 0.0) {
        wrapped += 360.0;
    }
    const double units = std::trunc(wrapped * static_cast<double>(kDegreesToTurnUnits));
    return static_cast<uint16_t>(std::min(units, 65535.0));
}

}  // namespace

InputCommand QuantizeMoveCommand(uint32_t tick, const MoveIntent& intent)
{
    InputCommand command;
    command.tick = tick;
    command.claimedViewTick = kNoViewTick;
    float forward = intent.forward;
    float right = intent.right;
    const float squared = forward * forward + right * right;
    if (squared > 1.0f) {
        const float length = std::sqrt(squared);
        forward /= length;
        right /= length;
    }
    command.forward = QuantizeAxis(forward);
    command.side = QuantizeAxis(right);
    command.buttons = intent.buttons & kInputButtonMask;
    command.yaw = QuantizeYaw(intent.yaw);
    const float pitchUnits = std::clamp(std::trunc(intent.pitch * kDegreesToTurnUnits), -32768.0f, 32767.0f);
    command.pitch = static_cast<int16_t>(pitchUnits);
    return command;
}

InputCommand DemoInputCommand(uint64_t tick, float step, float phase)
{
    const double x = static_cast<double>(tick) * static_cast<double>(step) + static_cast<double>(phase);
    InputCommand command;
    command.tick = static_cast<uint32_t>(tick);
    command.claimedViewTick = kNoViewTick;
    command.weapon = 0;
    command.forward = 127;
    command.side = static_cast<int8_t>(std::trunc(std::sin(0.9 * x) * 60.0));

    const double m = std::fmod(x, 6.0);
    if (m < 4.0) {
        command.buttons = kButtonFire | kButtonSprint;
    } else if (m < 4.2) {
        command.buttons = kButtonReload | kButtonSprint;
    } else if (m > 4.6 && m < 5.3) {
        command.buttons = kButtonPower | kButtonSprint;
    } else {
        command.buttons = kButtonSprint;
    }
    if (std::fmod(x, 2.5) < 0.05) {
        command.buttons |= kButtonJump;
    }
    command.yaw = QuantizeYaw(std::sin(0.55 * x) * 55.0 + static_cast<double>(phase) * 37.0);
    command.pitch = static_cast<int16_t>(64444 - 65536);  // 6 degrees down
    return command;
}
