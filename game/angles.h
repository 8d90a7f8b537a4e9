#pragma once

// Degrees become radians only at the maths calls, always with these factors, so that every
// caller on every machine rounds the same way.
inline constexpr float kDegToRad = 0.017453292f;
inline constexpr float kRadToDeg = 57.29578f;

// b - a wrapped into [-180, 180): the shorter turn from a to b, in degrees.
float AngleDelta(float a, float b);
