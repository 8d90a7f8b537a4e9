#include "render/next_rand01.h"

float NextRand01(uint32_t& state) {
    uint32_t x = state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state = x;
    return float(x >> 8) * (1.0f / 16777216.0f);
}
