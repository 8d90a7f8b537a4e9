#pragma once

#include <cstdint>

// Stats a player buys levels of during a match, in the order of the player's five upgrade
// levels; each level makes the stat 8 % stronger. Levels run 0..20, and every function here
// clamps a level into that range first.
enum class UpgradeStat : uint8_t { Health = 0, Damage = 1, ShotSpeed = 2, Speed = 3, Ability = 4 };

int StatUpgradeCost(int level);  // 100 + 50 x level
// Cheapest next level among the stats still below the top; -1 when none is (or count < 1).
int CheapestUpgradeCost(const uint8_t* levels, int count);
float StatMultiplier(int level);  // 1.08 raised to the level
float InverseStatMultiplier(uint8_t level);

// "" / nullptr / "" for an index outside the stats. ABILITY has no key.
const char* StatLabel(uint8_t stat);
const char* StatKey(uint8_t stat);
const char* StatBlurb(uint8_t stat);

// Bonus for a player whose total leads the room's average by more than 400:
// floor((lead - 400) / 2), at most 1,500.
int LeadBonus(uint32_t playerTotal, int roomAverage);

// One-second ease in and out: 0 at 0 ms, 1 from 1000 ms on.
float SmoothStepMs(int ms);
