#include "game/exp_smooth.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

TEST(ExpSmooth, NonPositiveRateJumpsToTheTarget) {
  EXPECT_EQ(ExpSmooth(2.0f, 5.0f, 0.0f, 0.016f), 5.0f);
  EXPECT_EQ(ExpSmooth(2.0f, 5.0f, -3.0f, 0.016f), 5.0f);
  EXPECT_EQ(ExpSmooth(2.0f, 5.0f, std::nanf(""), 0.016f), 5.0f);
}

TEST(ExpSmooth, MovesTheExponentialShareOfTheGap) {
  // Rate 1/s over 1 s closes 1 - 1/e of the gap.
  EXPECT_NEAR(ExpSmooth(0.0f, 1.0f, 1.0f, 1.0f), 0.63212056f, 1e-6f);
  EXPECT_NEAR(ExpSmooth(10.0f, 0.0f, 2.0f, 0.5f), 3.6787944f, 1e-5f);
  EXPECT_EQ(ExpSmooth(3.0f, 3.0f, 12.0f, 0.1f), 3.0f);
  EXPECT_EQ(ExpSmooth(3.0f, 7.0f, 12.0f, 0.0f), 3.0f);
  // A very long step lands on the target.
  EXPECT_EQ(ExpSmooth(0.0f, 1.0f, 1000.0f, 1.0f), 1.0f);
}

TEST(ExpSmooth, TwoHalfStepsEqualOneWholeStep) {
  float a = ExpSmooth(ExpSmooth(0.0f, 1.0f, 18.0f, 0.01f), 1.0f, 18.0f, 0.01f);
  float b = ExpSmooth(0.0f, 1.0f, 18.0f, 0.02f);
  EXPECT_NEAR(a, b, 1e-6f);
}

}  // namespace
