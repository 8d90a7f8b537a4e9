#include "game/progression.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kStatCount = 5;
constexpr int kMaxStatLevel = 20;

int ClampLevel(int level)
{
    return std::clamp(level, 0, kMaxStatLevel);
}

struct StatText {
    const char* label;
    const char* key;
    const char* blurb;
};

const StatText kStatTexts[kStatCount] = {
    {"HEALTH", "health", "more to spawn with, and more to lose"},
    {"DAMAGE", "damage", "everything you deal, from bullets to fire"},
    {"SHOT SPEED", "shot_speed", "your guns come back round sooner"},
    {"SPEED", "speed", "how fast you move -- and how fast you reload"},
    {"ABILITY", nullptr, "your power is ready again sooner"},
};

}  // namespace

int StatUpgradeCost(int level)
{
    return 100 + 50 * ClampLevel(level);
}

int CheapestUpgradeCost(const uint8_t* levels, int count)
{
    if (!levels || count < 1) {
        return -1;
    }
    int cheapest = -1;
    for (int i = 0; i < count; ++i) {
        if (levels[i] >= kMaxStatLevel) {
            continue;
        }
        const int cost = StatUpgradeCost(levels[i]);
        if (cheapest < 0 || cost < cheapest) {
            cheapest = cost;
        }
    }
    return cheapest;
}

float StatMultiplier(int level)
{
    // Movement speed depends on this, so client and server must get the same bits on every
    // processor; libm's powf picks per-processor variants. The product of up to 20 factors in
    // double is within 20 double rounding steps of the exact power, far below half a float step,
    // so the final rounding gives the correctly rounded power of 1.08f (a test checks each level).
    const int clamped = ClampLevel(level);
    const double base = static_cast<double>(1.08f);
    double power = 1.0;
    for (int i = 0; i < clamped; ++i) {
        power = power * base;
    }
    return static_cast<float>(power);
}

float InverseStatMultiplier(uint8_t level)
{
    return 1.0f / StatMultiplier(level);
}

const char* StatLabel(uint8_t stat)
{
    return stat < kStatCount ? kStatTexts[stat].label : "";
}

const char* StatKey(uint8_t stat)
{
    return stat < kStatCount ? kStatTexts[stat].key : nullptr;
}

const char* StatBlurb(uint8_t stat)
{
    return stat < kStatCount ? kStatTexts[stat].blurb : "";
}

int LeadBonus(uint32_t playerTotal, int roomAverage)
{
    // In 64 bits: a total above 2^31 must not wrap into a negative lead.
    const int64_t lead = static_cast<int64_t>(playerTotal) - static_cast<int64_t>(roomAverage);
    if (lead <= 400) {
        return 0;
    }
    return static_cast<int>(std::min<int64_t>((50 * lead - 20000) / 100, 1500));
}

float SmoothStepMs(int ms)
{
    if (ms < 1) {
        return 0.0f;
    }
    const float t = std::min(static_cast<float>(ms * 0.001), 1.0f);
    return t * t * (3.0f - 2.0f * t);
}
