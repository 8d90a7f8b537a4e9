#pragma once

#include <cstdint>

// A small xorshift32 stream for looks only (the title menu's sparks, the vault's scattered props):
// never used by the shared simulation, so client and server need not agree on it. The caller owns
// the 32-bit state; a state of 0 stays 0 and always draws 0.

// Advances `state` (x ^= x << 13; x ^= x >> 17; x ^= x << 5) and returns its top 24 bits as a
// number in [0, 1), exact in a float.
float NextRand01(uint32_t& state);
