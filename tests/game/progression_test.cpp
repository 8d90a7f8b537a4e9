#include "game/progression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

TEST(Progression, UpgradeCostClampsTheLevel)
{
    const int cases[][2] = {{-3, 100}, {0, 100}, {1, 150}, {19, 1050}, {20, 1100}, {25, 1100},
                            {std::numeric_limits<int>::min(), 100}, {std::numeric_limits<int>::max(), 1100}};
    for (const auto& c : cases) {
        EXPECT_EQ(StatUpgradeCost(c[0]), c[1]) << c[0];
    }
}

TEST(Progression, CheapestUpgradeSkipsStatsAtTheTop)
{
    const uint8_t allTop[5] = {20, 20, 20, 20, 20};
    const uint8_t mixed[5] = {20, 3, 0, 20, 7};
    const uint8_t beyondTop[5] = {255, 21, 20, 200, 20};
    const uint8_t nearTop[5] = {19, 20, 18, 20, 20};
    EXPECT_EQ(CheapestUpgradeCost(allTop, 5), -1);
    EXPECT_EQ(CheapestUpgradeCost(mixed, 5), 100);
    EXPECT_EQ(CheapestUpgradeCost(beyondTop, 5), -1);
    EXPECT_EQ(CheapestUpgradeCost(nearTop, 5), 1000);
    EXPECT_EQ(CheapestUpgradeCost(mixed, 1), -1);
    EXPECT_EQ(CheapestUpgradeCost(mixed, 2), 250);
    EXPECT_EQ(CheapestUpgradeCost(mixed, 0), -1);
    EXPECT_EQ(CheapestUpgradeCost(mixed, -4), -1);
    EXPECT_EQ(CheapestUpgradeCost(nullptr, 5), -1);
}

TEST(Progression, MultiplierIsTheCorrectlyRoundedSinglePrecisionPower)
{
    // powl carries 64 significant bits, enough to round 1.08f^n to float correctly for n <= 20.
    for (int level = 0; level <= 20; ++level) {
        const float expected = static_cast<float>(std::pow(static_cast<long double>(1.08f), level));
        EXPECT_EQ(StatMultiplier(level), expected) << level;
        EXPECT_EQ(InverseStatMultiplier(static_cast<uint8_t>(level)), 1.0f / expected) << level;
    }
    EXPECT_EQ(StatMultiplier(0), 1.0f);
    EXPECT_EQ(StatMultiplier(-1), 1.0f);
    EXPECT_EQ(StatMultiplier(99), StatMultiplier(20));
    EXPECT_NEAR(StatMultiplier(20), 4.66f, 0.01f);
    EXPECT_EQ(InverseStatMultiplier(255), 1.0f / StatMultiplier(20));
}

TEST(Progression, StatTexts)
{
    struct Case {
        uint8_t stat;
        const char* label;
        const char* key;
        const char* blurb;
    };
    const Case cases[] = {
        {0, "HEALTH", "health", "more to spawn with, and more to lose"},
        {1, "DAMAGE", "damage", "everything you deal, from bullets to fire"},
        {2, "SHOT SPEED", "shot_speed", "your guns come back round sooner"},
        {3, "SPEED", "speed", "how fast you move -- and how fast you reload"},
        {4, "ABILITY", nullptr, "your power is ready again sooner"},
        {5, "", nullptr, ""},
        {255, "", nullptr, ""},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(StatLabel(c.stat), c.label) << int(c.stat);
        EXPECT_STREQ(StatBlurb(c.stat), c.blurb) << int(c.stat);
        if (c.key) {
            EXPECT_STREQ(StatKey(c.stat), c.key) << int(c.stat);
        } else {
            EXPECT_EQ(StatKey(c.stat), nullptr) << int(c.stat);
        }
    }
    EXPECT_STREQ(StatLabel(static_cast<uint8_t>(UpgradeStat::Speed)), "SPEED");
}

TEST(Progression, LeadBonus)
{
    struct Case {
        uint32_t total;
        int average;
        int bonus;
    };
    const Case cases[] = {
        {1000, 600, 0},   // lead of exactly 400
        {1001, 600, 0},
        {1002, 600, 1},
        {1003, 600, 1},
        {1100, 600, 50},
        {3400, 0, 1500},  // the cap is reached exactly
        {3398, 0, 1499},
        {10000, 0, 1500},
        {0, 5000, 0},     // behind the room
        {500, -1000, 550},
        // A total beyond the signed range is a huge lead, not a negative one.
        {4000000000u, 0, 1500},
        {4294967295u, 2147483647, 1500},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LeadBonus(c.total, c.average), c.bonus) << c.total << " vs " << c.average;
    }
}

TEST(Progression, SmoothStepMs)
{
    EXPECT_EQ(SmoothStepMs(-50), 0.0f);
    EXPECT_EQ(SmoothStepMs(0), 0.0f);
    EXPECT_EQ(SmoothStepMs(500), 0.5f);
    EXPECT_EQ(SmoothStepMs(1000), 1.0f);
    EXPECT_EQ(SmoothStepMs(2000), 1.0f);
    EXPECT_NEAR(SmoothStepMs(250), 0.15625f, 1e-6f);
    EXPECT_NEAR(SmoothStepMs(750), 0.84375f, 1e-6f);
    EXPECT_GT(SmoothStepMs(1), 0.0f);
}

}  // namespace
