// The weapon keys and the switches of the frame.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/frame_key_actions.h"

namespace framekeyactionstest {

using testing::HasSubstr;

TEST(FrameKeys, WeaponKeysPickRowsAndSwapReturnsFromUnarmed)
{
    ClientLoadout loadout;
    loadout.primary = 2;
    loadout.secondary = 8;
    struct Step {
        WeaponKey key;
        uint8_t weapon;
        uint8_t slot;
    };
    // From the primary: swap to the secondary and back; unarmed keeps the slot, and swap then
    // takes that same slot up again.
    const Step steps[] = {
        {WeaponKey::Swap, 8, 1},    {WeaponKey::Swap, 2, 0},    {WeaponKey::Secondary, 8, 1},
        {WeaponKey::None, 0, 1},    {WeaponKey::Swap, 8, 1},    {WeaponKey::Primary, 2, 0},
        {WeaponKey::None, 0, 0},    {WeaponKey::Swap, 2, 0},    {WeaponKey::Primary, 2, 0},
    };
    FrameLoopState loop;
    loop.selectedWeapon = 2;
    loop.selectedSlot = 0;
    int index = 0;
    for (const Step& step : steps) {
        SelectWeapon(loop, loadout, step.key);
        EXPECT_EQ(loop.selectedWeapon, step.weapon) << "step " << index;
        EXPECT_EQ(loop.selectedSlot, step.slot) << "step " << index;
        ++index;
    }
}

TEST(FrameKeys, SwitchesFlipTheirSettingAndSaySo)
{
    tune::Tuning tuning;
    testing::internal::CaptureStdout();
    ToggleLightingMode(tuning);
    ToggleTracerMode(tuning);
    ToggleLightingMode(tuning);
    ToggleTracerMode(tuning);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "[light] fast\n[tracers] instant\n[light] rendered\n[tracers] travelling\n");
    EXPECT_EQ(tuning.lighting.lit, 1);
    EXPECT_EQ(tuning.shotFeedback.tracerTravelling, 1);
}

}  // namespace framekeyactionstest
