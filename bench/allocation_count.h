#pragma once

#include <cstdint>

// Allocations made through operator new since the program started, so that a benchmark can say
// how many its loop made. The libraries' own C allocations are not counted.
uint64_t AllocationCount();
