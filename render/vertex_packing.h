#pragma once

#include <cstdint>

// The compact vertex attributes shared by the skinned and static models.
namespace render {

// A normal as GL_INT_2_10_10_10_REV: each of x, y, z clamped to [-1, 1], times 511, rounded half
// away from zero, stored as 10-bit two's complement in bits 0-9, 10-19 and 20-29; bits 30-31 zero.
// A component that is not a number packs as 0.
uint32_t PackNormal(float x, float y, float z);

// Four skinning weights as normalised bytes: scaled to sum 1 (all zero when the sum is not above
// 1e-6), clamped, times 255, rounded half away from zero; when the bytes sum to anything but 0 or
// 255, the largest (the first of equal largest) takes the difference. A weight that is not a
// number counts as 0.
void QuantiseWeights(const float weights[4], uint8_t out[4]);

}  // namespace render
