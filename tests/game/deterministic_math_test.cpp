#include "game/deterministic_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Distance in units in the last place between two finite floats of any sign.
int64_t UlpDistance(float a, float b) {
  auto key = [](float f) {
    int32_t i;
    std::memcpy(&i, &f, sizeof i);
    return i < 0 ? int64_t(int32_t(0x80000000u) - i) : int64_t(i);
  };
  int64_t d = key(a) - key(b);
  return d < 0 ? -d : d;
}

// Accuracy against libm in double precision, rounded to float. Near zero crossings the ulp of the
// result is tiny, so an absolute bound of a float ulp of the argument scale is accepted too.
void ExpectClose(float got, double want, float absoluteSlack, const char* what, float input) {
  float wantF = float(want);
  bool ok = UlpDistance(got, wantF) <= 2 || std::fabs(double(got) - want) <= absoluteSlack;
  EXPECT_TRUE(ok) << what << "(" << input << ") = " << got << ", want " << want;
}

std::vector<float> SampleAngles() {
  std::vector<float> xs = {0.0f, 1e-30f, 1e-8f, 0.5f, 0.7853982f, 1.0f, 1.5707964f, 2.0f,
                           3.1415927f, 4.712389f, 6.2831855f, 10.0f, 100.0f, 1000.0f, 12345.678f,
                           1e5f, 1e6f, 3e7f, 1e9f, 1e20f, 3.4e38f};
  uint32_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 1664525u + 1013904223u;
    xs.push_back((float(state >> 8) / 16777216.0f - 0.5f) * 200.0f);
  }
  size_t n = xs.size();
  for (size_t i = 0; i < n; ++i) xs.push_back(-xs[i]);
  return xs;
}

TEST(DeterministicMath, SinAndCosFollowLibm) {
  for (float x : SampleAngles()) {
    ExpectClose(DetSin(x), std::sin(double(x)), 1e-9f, "DetSin", x);
    ExpectClose(DetCos(x), std::cos(double(x)), 1e-9f, "DetCos", x);
  }
}

TEST(DeterministicMath, SinAndCosEdgeValues) {
  EXPECT_EQ(DetSin(0.0f), 0.0f);
  EXPECT_TRUE(std::signbit(DetSin(-0.0f)));
  EXPECT_EQ(DetCos(0.0f), 1.0f);
  // Float pi lies just above the true pi, so its sine is a small negative number.
  EXPECT_FLOAT_EQ(DetSin(3.1415927f), float(std::sin(double(3.1415927f))));
  EXPECT_LT(DetSin(3.1415927f), 0.0f);
  EXPECT_EQ(DetCos(3.1415927f), -1.0f);
  EXPECT_EQ(DetCos(-3.1415927f), -1.0f);
  EXPECT_TRUE(std::isnan(DetSin(std::numeric_limits<float>::infinity())));
  EXPECT_TRUE(std::isnan(DetCos(std::numeric_limits<float>::quiet_NaN())));
}

TEST(DeterministicMath, ExpFollowsLibm) {
  std::vector<float> xs = {0.0f, -0.0f, 1e-10f, 0.5f, 1.0f, -1.0f, 0.3465736f, 10.0f, -10.0f,
                           50.0f, -50.0f, 80.0f, 88.0f, -87.0f, -90.0f, -100.0f, -103.0f};
  for (int i = -8800; i <= 8800; i += 7) xs.push_back(float(i) * 0.01f);
  for (float x : xs) {
    ExpectClose(DetExp(x), std::exp(double(x)), 0.0f, "DetExp", x);
  }
}

TEST(DeterministicMath, ExpSaturatesAtTheEnds) {
  EXPECT_EQ(DetExp(0.0f), 1.0f);
  EXPECT_EQ(DetExp(89.0f), std::numeric_limits<float>::infinity());
  EXPECT_EQ(DetExp(1000.0f), std::numeric_limits<float>::infinity());
  EXPECT_EQ(DetExp(-200.0f), 0.0f);
  EXPECT_EQ(DetExp(-std::numeric_limits<float>::infinity()), 0.0f);
  EXPECT_TRUE(std::isnan(DetExp(std::numeric_limits<float>::quiet_NaN())));
}

TEST(DeterministicMath, Atan2FollowsLibmInEveryQuadrant) {
  uint32_t state = 777;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return (float(state >> 8) / 16777216.0f - 0.5f) * 20.0f;
  };
  for (int i = 0; i < 20000; ++i) {
    float y = next(), x = next();
    ExpectClose(DetAtan2(y, x), std::atan2(double(y), double(x)), 0.0f, "DetAtan2", y);
  }
  const float big = 3e38f, tiny = 1e-38f;
  const float pairs[][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}, {big, tiny}, {tiny, big},
                            {-tiny, -big}, {1e-20f, 1.0f}, {1.0f, 1e-20f}};
  for (auto& p : pairs) {
    ExpectClose(DetAtan2(p[0], p[1]), std::atan2(double(p[0]), double(p[1])), 0.0f, "DetAtan2",
                p[0]);
  }
}

TEST(DeterministicMath, Atan2ZerosAndInfinities) {
  const float inf = std::numeric_limits<float>::infinity();
  const float cases[][2] = {{0.0f, 1.0f},  {-0.0f, 1.0f},  {0.0f, -1.0f}, {-0.0f, -1.0f},
                            {0.0f, 0.0f},  {0.0f, -0.0f},  {-0.0f, -0.0f}, {1.0f, 0.0f},
                            {-1.0f, -0.0f}, {inf, inf},    {inf, -inf},   {-inf, 1.0f},
                            {1.0f, inf},   {1.0f, -inf},   {-1.0f, -inf}};
  for (auto& c : cases) {
    float got = DetAtan2(c[0], c[1]);
    float want = std::atan2(c[0], c[1]);
    EXPECT_EQ(got, want) << "atan2(" << c[0] << ", " << c[1] << ")";
    EXPECT_EQ(std::signbit(got), std::signbit(want)) << "atan2(" << c[0] << ", " << c[1] << ")";
  }
}

TEST(DeterministicMath, AcosFollowsLibm) {
  for (int i = -10000; i <= 10000; ++i) {
    float x = float(i) / 10000.0f;
    ExpectClose(DetAcos(x), std::acos(double(x)), 0.0f, "DetAcos", x);
  }
  const float nearOne[] = {0.99999994f, -0.99999994f, 1e-30f};
  for (float x : nearOne) ExpectClose(DetAcos(x), std::acos(double(x)), 0.0f, "DetAcos", x);
  EXPECT_EQ(DetAcos(1.0f), 0.0f);
  EXPECT_EQ(DetAcos(-1.0f), 3.1415927f);
  EXPECT_TRUE(std::isnan(DetAcos(1.0001f)));
}

}  // namespace
