// Commands as the client quantises them, and the scripted demo input.
#include <gtest/gtest.h>

#include "client/input_commands.h"

namespace inputcommandstest {

TEST(InputCommands, MovementAndViewAreQuantisedToTheCommandsUnits)
{
    const struct {
        const char* what;
        MoveIntent intent;
        int8_t forward, side;
        uint16_t yaw;
        int16_t pitch;
    } cases[] = {
        {"W and D held: the diagonal is scaled to length 1", {1.0f, 1.0f, 0, 0.0f, 0.0f}, 90, 90, 0, 0},
        {"S and A held", {-1.0f, -1.0f, 0, 0.0f, 0.0f}, -90, -90, 0, 0},
        {"half forward rounds half away from zero", {0.5f, 0.0f, 0, 0.0f, 0.0f}, 64, 0, 0, 0},
        {"yaw -10 goes out as 350", {0.0f, 0.0f, 0, -10.0f, 0.0f}, 0, 0, 63715, 0},
        {"yaw above a turn wraps", {0.0f, 0.0f, 0, 370.0f, 0.0f}, 0, 0, 1820, 0},
        {"pitch down is negative", {0.0f, 0.0f, 0, 0.0f, -6.0f}, 0, 0, 0, -1092},
        {"pitch up", {0.0f, 0.0f, 0, 0.0f, 89.0f}, 0, 0, 0, 16201},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const InputCommand command = QuantizeMoveCommand(77, c.intent);
        EXPECT_EQ(command.tick, 77u);
        EXPECT_EQ(command.claimedViewTick, kNoViewTick);
        EXPECT_EQ(command.forward, c.forward);
        EXPECT_EQ(command.side, c.side);
        EXPECT_EQ(command.yaw, c.yaw);
        EXPECT_EQ(command.pitch, c.pitch);
    }
    MoveIntent firing;
    firing.buttons = 0xFF;
    EXPECT_EQ(QuantizeMoveCommand(1, firing).buttons, kInputButtonMask);
}

TEST(InputCommands, TheDemoScriptRunsFiresReloadsUsesThePowerAndJumps)
{
    const float step = 1.0f / 64.0f;
    int firing = 0, reloading = 0, powering = 0, jumping = 0;
    for (uint64_t tick = 0; tick < 64 * 12; ++tick) {
        const InputCommand command = DemoInputCommand(tick, step, 0.0f);
        EXPECT_EQ(command.forward, 127);
        EXPECT_LE(command.side, 60);
        EXPECT_GE(command.side, -60);
        EXPECT_EQ(command.pitch, -1092);  // 6 degrees down
        EXPECT_EQ(command.weapon, 0);
        EXPECT_NE(command.buttons & kButtonSprint, 0);
        firing += (command.buttons & kButtonFire) != 0;
        reloading += (command.buttons & kButtonReload) != 0;
        powering += (command.buttons & kButtonPower) != 0;
        jumping += (command.buttons & kButtonJump) != 0;
    }
    // Of each 6 s: 4 s firing, 0.2 s reloading, 0.7 s on the power; a jump every 2.5 s.
    EXPECT_NEAR(firing, 2 * 4 * 64, 4);
    EXPECT_NEAR(reloading, static_cast<int>(2 * 0.2 * 64), 2);
    EXPECT_NEAR(powering, static_cast<int>(2 * 0.7 * 64), 2);
    EXPECT_NEAR(jumping, 5 * 4, 6);
    // A bot's phase moves its script along and turns its view.
    EXPECT_NE(DemoInputCommand(10, step, 0.618f).yaw, DemoInputCommand(10, step, 0.0f).yaw);
}

}  // namespace inputcommandstest
