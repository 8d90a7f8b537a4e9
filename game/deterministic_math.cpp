#include "game/deterministic_math.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr double kPi = 3.141592653589793238;
constexpr double kHalfPi = 1.570796326794896619;

double FromBits(uint64_t bits) { return std::bit_cast<double>(bits); }

// IEEE 754 requires sqrt to be correctly rounded, so the SSE2 instruction gives identical bits on
// every processor; this is the only operation beyond + - * / used here.
double Sqrt(double x) { return __builtin_sqrt(x); }

bool IsNan(float x) { return x != x; }

// Bits of 2/pi after the binary point, 24 to an entry; enough for the largest float exponent.
constexpr uint32_t kTwoOverPiBits[] = {
    0xA2F983, 0x6E4E44, 0x1529FC, 0x2757D1, 0xF534DD, 0xC0DB62, 0x95993C, 0x439041,
    0xFE5163, 0xABDEBB, 0xC561B7, 0x246E3A, 0x424DD2, 0xE00649, 0x2EEA09, 0xD1921C,
};

// Bit i (1-based, after the binary point) of 2/pi; bits before the point are 0.
unsigned TwoOverPiBit(int i) {
  if (i < 1) return 0;
  int word = (i - 1) / 24;
  int shift = 23 - (i - 1) % 24;
  if (word >= int(sizeof(kTwoOverPiBits) / sizeof(kTwoOverPiBits[0]))) return 0;
  return (kTwoOverPiBits[word] >> shift) & 1u;
}

// Reduces x to r in about [-pi/4, pi/4] with x = r + q * pi/2; returns q mod 4.
int ReduceQuadrant(float x, double& r) {
  double d = x;
  double ad = d < 0 ? -d : d;
  if (ad <= 0.7853981633974483) {
    r = d;
    return 0;
  }
  if (ad < 1048576.0) {
    // Cody-Waite: pi/2 split so that k times each of the first two parts is exact for k < 2^20.
    const double kInvHalfPi = FromBits(0x3FE45F306DC9C883ull);
    const double kPart1 = FromBits(0x3FF921FB54400000ull);
    const double kPart2 = FromBits(0x3DD0B4611A600000ull);
    const double kPart3 = FromBits(0x3BA3198A2E037073ull);
    double t = d * kInvHalfPi;
    int64_t k = int64_t(t < 0 ? t - 0.5 : t + 0.5);
    double kd = double(k);
    r = ((d - kd * kPart1) - kd * kPart2) - kd * kPart3;
    return int(k & 3);
  }
  // Large arguments: exact product of the float's integer mantissa with a window of 2/pi
  // (Payne-Hanek). |x| = m * 2^e with m < 2^24; bits of 2/pi far enough left only add multiples
  // of 4 quarter turns and are skipped.
  uint32_t bits = std::bit_cast<uint32_t>(x);
  uint32_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
  int exponent = int((bits >> 23) & 0xFF) - 150;
  int first = exponent - 1;
  unsigned __int128 window = 0;
  for (int i = 0; i < 128; ++i) window = (window << 1) | TwoOverPiBit(first + i);
  unsigned __int128 product = window * mantissa;  // modulo 2^128: value mod 4 in units of 2^-126
  int q = int(product >> 126);
  uint64_t fraction = uint64_t(product >> 62);  // the next 64 bits after the quadrant bits
  double f = double(fraction) * 5.421010862427522e-20;  // 2^-64
  if (f >= 0.5) {
    f -= 1.0;
    q += 1;
  }
  r = f * kHalfPi;
  if (x < 0) {
    r = -r;
    q = -q;
  }
  return q & 3;
}

// Taylor series on |r| <= pi/4 (terms through r^13 and r^14), far below float resolution.
double SinKernel(double r) {
  double z = r * r;
  double p = -1.0 / 6227020800.0;
  p = p * z + 1.0 / 39916800.0;
  p = p * z - 1.0 / 362880.0;
  p = p * z + 1.0 / 5040.0;
  p = p * z - 1.0 / 120.0;
  p = p * z + 1.0 / 6.0;
  return r - r * z * p;
}

double CosKernel(double r) {
  double z = r * r;
  double p = -1.0 / 87178291200.0;
  p = p * z + 1.0 / 479001600.0;
  p = p * z - 1.0 / 3628800.0;
  p = p * z + 1.0 / 40320.0;
  p = p * z - 1.0 / 720.0;
  p = p * z + 1.0 / 24.0;
  return (1.0 - 0.5 * z) + z * z * p;
}

// atan(t) for 0 <= t <= 1: two half-angle steps bring t below tan(pi/16), where the series
// converges quickly.
double AtanUnit(double t) {
  double u = t / (1.0 + Sqrt(1.0 + t * t));
  u = u / (1.0 + Sqrt(1.0 + u * u));
  double z = u * u;
  double p = 1.0 / 19.0;
  p = 1.0 / 17.0 - z * p;
  p = 1.0 / 15.0 - z * p;
  p = 1.0 / 13.0 - z * p;
  p = 1.0 / 11.0 - z * p;
  p = 1.0 / 9.0 - z * p;
  p = 1.0 / 7.0 - z * p;
  p = 1.0 / 5.0 - z * p;
  p = 1.0 / 3.0 - z * p;
  return 4.0 * (u - u * z * p);
}

// atan2 on doubles that hold floats; zero and infinity cases are resolved by the caller.
double Atan2Finite(double y, double x) {
  double ay = y < 0 ? -y : y;
  double ax = x < 0 ? -x : x;
  double a = ay <= ax ? AtanUnit(ay / ax) : kHalfPi - AtanUnit(ax / ay);
  if (x < 0) a = kPi - a;
  return y < 0 ? -a : a;
}

}  // namespace

float DetSin(float x) {
  if (IsNan(x) || x - x != 0.0f) return std::numeric_limits<float>::quiet_NaN();
  if (x == 0.0f) return x;  // keeps the sign of zero
  double r;
  int q = ReduceQuadrant(x, r);
  switch (q) {
    case 0: return float(SinKernel(r));
    case 1: return float(CosKernel(r));
    case 2: return float(-SinKernel(r));
    default: return float(-CosKernel(r));
  }
}

float DetCos(float x) {
  if (IsNan(x) || x - x != 0.0f) return std::numeric_limits<float>::quiet_NaN();
  double r;
  int q = ReduceQuadrant(x, r);
  switch (q) {
    case 0: return float(CosKernel(r));
    case 1: return float(-SinKernel(r));
    case 2: return float(-CosKernel(r));
    default: return float(SinKernel(r));
  }
}

float DetExp(float x) {
  if (IsNan(x)) return x;
  if (x > 88.72284f) return std::numeric_limits<float>::infinity();
  if (x < -103.97209f) return 0.0f;
  // x = k ln2 + r with |r| <= ln2 / 2; the high part of ln2 has trailing zero bits so k times it
  // is exact.
  const double kInvLn2 = 1.4426950408889634;
  const double kLn2Hi = FromBits(0x3FE62E42FEE00000ull);
  const double kLn2Lo = FromBits(0x3DEA39EF35793C76ull);
  double d = x;
  double t = d * kInvLn2;
  int k = int(t < 0 ? t - 0.5 : t + 0.5);
  double r = (d - k * kLn2Hi) - k * kLn2Lo;
  double p = 1.0 / 39916800.0;
  p = p * r + 1.0 / 3628800.0;
  p = p * r + 1.0 / 362880.0;
  p = p * r + 1.0 / 40320.0;
  p = p * r + 1.0 / 5040.0;
  p = p * r + 1.0 / 720.0;
  p = p * r + 1.0 / 120.0;
  p = p * r + 1.0 / 24.0;
  p = p * r + 1.0 / 6.0;
  p = p * r + 0.5;
  p = p * r + 1.0;
  p = p * r + 1.0;
  // k is within [-150, 128]: 2^k is a normal double; the single rounding to float below also
  // produces the correct subnormal or infinity.
  double scale = FromBits(uint64_t(k + 1023) << 52);
  return float(p * scale);
}

float DetAtan2(float y, float x) {
  if (IsNan(x) || IsNan(y)) return std::numeric_limits<float>::quiet_NaN();
  bool yNegative = std::signbit(y);
  bool xNegative = std::signbit(x);
  if (y == 0.0f) {
    if (!xNegative) return y;  // +-0
    return yNegative ? float(-kPi) : float(kPi);
  }
  if (x == 0.0f) return yNegative ? float(-kHalfPi) : float(kHalfPi);
  bool yInf = y - y != 0.0f;
  bool xInf = x - x != 0.0f;
  if (yInf || xInf) {
    double a;
    if (yInf && xInf) {
      a = xNegative ? 0.75 * kPi : 0.25 * kPi;
    } else if (xInf) {
      a = xNegative ? kPi : 0.0;
    } else {
      a = kHalfPi;
    }
    return float(yNegative ? -a : a);
  }
  return float(Atan2Finite(y, x));
}

float DetAcos(float x) {
  if (IsNan(x) || x > 1.0f || x < -1.0f) return std::numeric_limits<float>::quiet_NaN();
  double d = x;
  // (1 - x)(1 + x) is exact in double for a float x, so the angle keeps full precision near +-1.
  double s = Sqrt((1.0 - d) * (1.0 + d));
  if (s == 0.0) return d > 0 ? 0.0f : float(kPi);
  return float(Atan2Finite(s, d));
}
