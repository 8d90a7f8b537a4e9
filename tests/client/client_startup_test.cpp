// The loadout the command line gives the player.
#include <gtest/gtest.h>

#include "client/client_startup.h"

namespace clientstartuptest {

TEST(StartupLoadout, OptionsPickArmourAndWeapons)
{
    struct Case {
        int armor;
        int weapon;
        bool shotgun;
        uint8_t armour;
        uint8_t primary;
    };
    const Case cases[] = {
        {0, -1, false, 0, 1},  // the rifle by default
        {3, -1, true, 3, 2},   // --shotgun without --weapon
        {9, 5, true, 4, 5},    // --weapon wins over --shotgun; armour clamped to the last row
        {-2, 0, false, 0, 0},  // unarmed
        {1, 12, false, 1, 9},  // rows past 9 count as 9
    };
    for (const Case& c : cases) {
        Options options;
        options.armor = c.armor;
        options.weapon = c.weapon;
        options.shotgun = c.shotgun;
        const ClientLoadout loadout = LoadoutFromOptions(options);
        EXPECT_EQ(loadout.armour, c.armour) << c.armor;
        EXPECT_EQ(loadout.primary, c.primary) << c.weapon;
        EXPECT_EQ(loadout.secondary, 8);
        EXPECT_EQ(loadout.power, 0);
    }
}

}  // namespace clientstartuptest
