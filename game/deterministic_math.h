#pragma once

// Sine, cosine, exponential, arc tangent and arc cosine for the shared simulation.
//
// glibc picks a different implementation of sinf/expf/atan2f per processor, so two machines can
// disagree in the last bit and client prediction would drift from the server. These routines use
// only IEEE basic operations (+ - * / and sqrt, which IEEE requires to be correctly rounded) in a
// fixed order, evaluated in double precision and rounded once to float, so every x86-64 build gives
// the same bits. All angles are in radians. Accuracy: within 1 ulp of the true value for finite
// inputs (sin and cos of any float, exp over the whole float range).
float DetSin(float x);
float DetCos(float x);
float DetExp(float x);
float DetAtan2(float y, float x);
float DetAcos(float x);
