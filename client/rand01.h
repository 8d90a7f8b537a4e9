#pragma once
// The effects' small randomness: xorshift32 on one process-wide state, main thread only.

// A float in [0, 1): the state's top 24 bits after one xorshift step.
float Rand01();
// Restarts the sequence from the initial state (0x2545F491).
void ResetRand01();
