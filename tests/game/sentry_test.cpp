#include "game/sentry.h"

#include <cmath>

#include <gtest/gtest.h>

#include "game/tuning.h"

TEST(SpawnSentry, StartsFacingThePlantedYaw) {
  IdList<Sentry> sentries;
  tune::SentryTuning tuning;
  const Sentry& sentry = SpawnSentry(sentries, 5, 0, glm::vec3(1, 2, 3), 45.0f, tuning);
  EXPECT_EQ(sentry.id, 1u);
  EXPECT_EQ(sentry.baseYaw, 45.0f);
  EXPECT_EQ(sentry.yaw, 45.0f);
  EXPECT_EQ(sentry.pitch, 0.0f);
  EXPECT_EQ(sentry.hitPoints, 75);
  EXPECT_EQ(sentry.target, -1);
  EXPECT_EQ(sentry.shotCount, 0u);
  tuning.hitPoints = 0;
  EXPECT_EQ(SpawnSentry(sentries, 5, 0, glm::vec3(0), 0.0f, tuning).hitPoints, 1);
  EXPECT_EQ(FindSentry(sentries, 2)->id, 2u);
  EXPECT_EQ(FindSentry(sentries, 3), nullptr);
}

TEST(SentryAimDirection, PositivePitchPointsDown) {
  Sentry sentry;
  sentry.yaw = 90.0f;
  sentry.pitch = 30.0f;
  const glm::vec3 d = SentryAimDirection(sentry);
  EXPECT_NEAR(d.x, -std::cos(30.0 * M_PI / 180.0), 1e-6);
  EXPECT_NEAR(d.y, -0.5f, 1e-6);
  EXPECT_NEAR(d.z, 0.0f, 1e-6);
}

TEST(SentryMuzzle, SitsABarrelLengthFromThePivot) {
  const tune::SentryTuning tuning;
  Sentry sentry;
  sentry.position = glm::vec3(2.0f, 1.0f, -4.0f);
  sentry.yaw = 0.0f;
  const glm::vec3 m = SentryMuzzle(sentry, tuning);
  EXPECT_NEAR(m.x, 2.0f, 1e-6);
  EXPECT_NEAR(m.y, 1.0f + tuning.modelScale * tuning.pivotHeight, 1e-6);
  EXPECT_NEAR(m.z, -4.0f - tuning.modelScale * tuning.barrelLength, 1e-6);
}

TEST(SentryTurnToward, TurnsTheShortWayThroughTheBackAndWraps) {
  tune::SentryTuning tuning;
  tuning.turnRate = 320.0f;  // 5 degrees a step at 64 Hz
  Sentry sentry;
  sentry.yaw = 170.0f;
  // A goal yaw of -170: a yaw Y looks along (-sin Y, 0, -cos Y).
  const float goal = -170.0f * 0.017453292f;
  const glm::vec3 target(-std::sin(goal) * 10.0f, tuning.pivotHeight * tuning.modelScale,
                         -std::cos(goal) * 10.0f);
  const float expected[] = {175.0f, 180.0f, -175.0f};
  for (float yaw : expected) {
    SentryTurnToward(sentry, target, 1.0f / 64.0f, tuning);
    EXPECT_NEAR(sentry.yaw, yaw, 1e-3);
    EXPECT_GE(sentry.yaw, -180.0f);
    EXPECT_LE(sentry.yaw, 180.0f);
  }
  SentryTurnToward(sentry, target, 1.0f / 64.0f, tuning);
  EXPECT_NEAR(sentry.yaw, -170.0f, 1e-3);
  SentryTurnToward(sentry, target, 1.0f / 64.0f, tuning);
  EXPECT_NEAR(sentry.yaw, -170.0f, 1e-3) << "it stays on the goal";
  EXPECT_NEAR(sentry.pitch, 0.0f, 1e-4);
}

TEST(SentryTurnToward, PitchIsLimitedAndMeasuredFromThePivot) {
  const tune::SentryTuning tuning;
  const float pivot = tuning.pivotHeight * tuning.modelScale;
  Sentry sentry;
  // A target exactly at the pivot changes nothing.
  sentry.yaw = 12.0f;
  sentry.pitch = 3.0f;
  SentryTurnToward(sentry, glm::vec3(0.0f, pivot, 0.0f), 1.0f, tuning);
  EXPECT_EQ(sentry.yaw, 12.0f);
  EXPECT_EQ(sentry.pitch, 3.0f);
  // Straight above: the pitch still turns, to the upward limit (the minimum pitch, -35).
  for (int i = 0; i < 64; ++i) SentryTurnToward(sentry, glm::vec3(0.0f, pivot + 5.0f, 0.0f), 1.0f / 64.0f, tuning);
  EXPECT_NEAR(sentry.pitch, tuning.minPitch, 1e-4);
  // Far below: the downward limit.
  for (int i = 0; i < 64; ++i) SentryTurnToward(sentry, glm::vec3(0.0f, -50.0f, -1.0f), 1.0f / 64.0f, tuning);
  EXPECT_NEAR(sentry.pitch, tuning.maxPitch, 1e-4);
  // One step turns at most the turn rate x dt.
  sentry.pitch = 0.0f;
  SentryTurnToward(sentry, glm::vec3(0.0f, -50.0f, -1.0f), 0.01f, tuning);
  EXPECT_NEAR(sentry.pitch, 2.2f, 1e-5);
}
