#include "game/angles.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "game/ticks.h"

TEST(AngleDelta, WrapsIntoMinus180To180) {
  struct Case {
    float a, b, expected;
  };
  const Case cases[] = {
      {0.0f, 10.0f, 10.0f},     {10.0f, 0.0f, -10.0f},   {170.0f, -170.0f, 20.0f}, {-170.0f, 170.0f, -20.0f},
      {0.0f, 180.0f, -180.0f},  {0.0f, -180.0f, -180.0f}, {350.0f, 10.0f, 20.0f},  {10.0f, 350.0f, -20.0f},
      {0.0f, 720.0f, 0.0f},     {-900.0f, 0.0f, -180.0f}, {359.0f, -359.0f, 2.0f},
  };
  for (const Case& c : cases) EXPECT_FLOAT_EQ(AngleDelta(c.a, c.b), c.expected) << c.a << " -> " << c.b;
}

TEST(AngleDelta, TurnsJustPastAHalfTurnStayBelow180) {
  // -180.00001 is 179.99998 to the left: the last float below 180, never 180 itself.
  const float below180 = std::nextafter(180.0f, 0.0f);
  const struct {
    float a, b, expected;
  } cases[] = {
      {0.0f, -180.00001f, below180},
      {180.00001f, 0.0f, below180},
      {10.0f, -170.00002f, below180},
      {-1e-6f, 180.0f, -180.0f},
  };
  for (const auto& c : cases) {
    const float delta = AngleDelta(c.a, c.b);
    EXPECT_EQ(delta, c.expected) << c.a << " -> " << c.b;
    EXPECT_TRUE(delta >= -180.0f && delta < 180.0f) << c.a << " -> " << c.b << " gave " << delta;
  }
}

TEST(TicksFromSeconds, TruncatesClampsAndSaturates) {
  const float dt = 1.0f / 64.0f;
  EXPECT_EQ(TicksFromSeconds(0.1f, dt), 6);       // 6.4
  EXPECT_EQ(TicksFromSeconds(0.12f, dt), 7);      // 7.68
  EXPECT_EQ(TicksFromSeconds(1.0f, dt), 64);
  EXPECT_EQ(TicksFromSeconds(-3.0f, dt), 0);
  EXPECT_EQ(TicksFromSeconds(2000.0f, dt), 65535) << "saturates instead of wrapping to 62464";
  EXPECT_EQ(TicksFromSeconds(1.0f, 0.0f), 65535) << "dt is at least 0.000001";
  EXPECT_EQ(TicksFromSeconds(std::numeric_limits<float>::quiet_NaN(), dt), 0);
}
