#include "client/rand01.h"

#include <cstdint>

namespace {

constexpr uint32_t kInitialState = 0x2545F491u;
uint32_t g_state = kInitialState;

}  // namespace

float Rand01()
{
    g_state ^= g_state << 13;
    g_state ^= g_state >> 17;
    g_state ^= g_state << 5;
    return static_cast<float>(g_state >> 8) * (1.0f / 16777216.0f);
}

void ResetRand01()
{
    g_state = kInitialState;
}
