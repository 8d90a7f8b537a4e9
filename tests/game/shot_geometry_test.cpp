#include "game/shot_geometry.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "game/collision_world.h"
#include "game/tuning.h"

namespace {

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

bool SameBits(const glm::vec3& a, const glm::vec3& b) {
  return Bits(a.x) == Bits(b.x) && Bits(a.y) == Bits(b.y) && Bits(a.z) == Bits(b.z);
}

double AngleBetweenDegrees(const glm::vec3& a, const glm::vec3& b) {
  const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
  const double la = std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z);
  const double lb = std::sqrt(double(b.x) * b.x + double(b.y) * b.y + double(b.z) * b.z);
  return std::acos(std::clamp(dot / (la * lb), -1.0, 1.0)) * 180.0 / M_PI;
}

PlayerState Looking(float yaw, float pitch) {
  PlayerState state;
  state.yaw = yaw;
  state.pitch = pitch;
  return state;
}

}  // namespace

TEST(AimDirection, FollowsTheViewConvention) {
  struct Case {
    float yaw, pitch;
    glm::vec3 expected;
  };
  const float h = 0.70710678f;
  const Case cases[] = {
      {0.0f, 0.0f, {0.0f, 0.0f, -1.0f}},  {90.0f, 0.0f, {-1.0f, 0.0f, 0.0f}},
      {180.0f, 0.0f, {0.0f, 0.0f, 1.0f}}, {270.0f, 0.0f, {1.0f, 0.0f, 0.0f}},
      {0.0f, 45.0f, {0.0f, h, -h}},       {0.0f, -45.0f, {0.0f, -h, -h}},
  };
  for (const Case& c : cases) {
    const glm::vec3 d = AimDirection(Looking(c.yaw, c.pitch));
    EXPECT_NEAR(d.x, c.expected.x, 1e-6) << c.yaw << " " << c.pitch;
    EXPECT_NEAR(d.y, c.expected.y, 1e-6) << c.yaw << " " << c.pitch;
    EXPECT_NEAR(d.z, c.expected.z, 1e-6) << c.yaw << " " << c.pitch;
    EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 1.0f, 1e-6);
  }
}

TEST(UpdateAimView, EasesTowardTheAimStateOfTheCommandWeapon) {
  const tune::Tuning tuning = tune::Tuning{};
  const float dt = 1.0f / 64.0f;
  struct Case {
    uint8_t weapon;
    bool secondary;
    float blend, distance, shoulder;
  };
  const tune::CameraTuning& cam = tuning.camera;
  const Case cases[] = {
      {1, false, 0.0f, cam.hipViewDistance, cam.hipShoulderOffset},        // M4 at the hip
      {1, true, 0.0f, cam.aimedViewDistance, cam.aimedShoulderOffset},     // M4 shouldered
      {6, true, 1.0f, cam.scopedViewDistance, cam.scopedShoulderOffset},   // SNIPER scoped
      {9, true, 0.0f, cam.hipViewDistance, cam.hipShoulderOffset},         // PISTOL: secondary is its burst
      {2, true, 0.0f, cam.hipViewDistance, cam.hipShoulderOffset},         // SHOTGUN cannot aim
      {16, true, 0.0f, cam.hipViewDistance, cam.hipShoulderOffset},        // out of range reads NONE
  };
  for (const Case& c : cases) {
    PlayerState state;
    InputCommand cmd;
    cmd.weapon = c.weapon;
    cmd.buttons = c.secondary ? 0x10 : 0;
    for (int i = 0; i < 64 * 4; ++i) UpdateAimView(state, cmd, dt, tuning);
    EXPECT_NEAR(state.aimBlend, c.blend, 1e-4) << int(c.weapon);
    EXPECT_NEAR(state.viewDistance, c.distance, 1e-4) << int(c.weapon);
    EXPECT_NEAR(state.shoulderOffset, c.shoulder, 1e-4) << int(c.weapon);
  }
}

TEST(UpdateAimView, ARateOfZeroSetsTheTargetAtOnce) {
  tune::Tuning tuning = tune::Tuning{};
  tuning.camera.aimBlendRate = 0.0f;
  tuning.camera.viewEaseRate = -1.0f;
  PlayerState state;
  InputCommand cmd;
  cmd.weapon = 6;
  cmd.buttons = 0x10;
  UpdateAimView(state, cmd, 1.0f / 64.0f, tuning);
  EXPECT_EQ(state.aimBlend, 1.0f);
  EXPECT_EQ(state.viewDistance, tuning.camera.scopedViewDistance);
  EXPECT_EQ(state.shoulderOffset, tuning.camera.scopedShoulderOffset);
}

TEST(UpdateAimView, OneStepMovesPartOfTheWay) {
  const tune::Tuning tuning = tune::Tuning{};
  PlayerState state;  // view distance 3.0, shoulder 0.5
  InputCommand cmd;
  UpdateAimView(state, cmd, 1.0f / 64.0f, tuning);
  // 1 - exp(-12/64) is about 0.171 of the way from 3.0 toward 2.0.
  EXPECT_NEAR(state.viewDistance, 3.0f - 0.17097f, 1e-4);
  EXPECT_NEAR(state.shoulderOffset, 0.5f + 0.5f * 0.17097f, 1e-4);
}

TEST(ViewOrigin, SitsBehindThePivotAndToTheRight) {
  tune::Tuning tuning = tune::Tuning{};
  CollisionWorld world;  // only the floor
  PlayerState state = Looking(0.0f, 0.0f);
  state.position = glm::vec3(1.0f, 0.0f, 2.0f);
  state.viewDistance = 2.0f;
  state.shoulderOffset = 1.0f;
  const glm::vec3 origin = ViewOrigin(state, tuning, world);
  // Looking along -z: behind is +z, right is +x; the pivot is 0.5 + 1.55 above the feet.
  EXPECT_NEAR(origin.x, 2.0f, 1e-6);
  EXPECT_NEAR(origin.y, 2.05f, 1e-6);
  EXPECT_NEAR(origin.z, 4.0f, 1e-6);
}

TEST(ViewOrigin, StopsTheMarginShortOfAWallBehind) {
  tune::Tuning tuning = tune::Tuning{};
  CollisionWorld world;
  // A wall whose near face is 1 m behind the pivot (the view looks along -z, so behind is +z).
  world.AddBox(glm::vec3(0.0f, 2.0f, 1.5f), glm::vec3(5.0f, 2.0f, 0.5f));
  PlayerState state = Looking(0.0f, 0.0f);
  state.viewDistance = 3.0f;
  state.shoulderOffset = 0.0f;
  const glm::vec3 origin = ViewOrigin(state, tuning, world);
  // The sphere of radius 0.2 touches at z = 0.8; the margin 0.1 leaves the view at z = 0.7.
  EXPECT_NEAR(origin.z, 0.7f, 1e-5);
  EXPECT_NEAR(origin.x, 0.0f, 1e-6);
  EXPECT_NEAR(origin.y, 2.05f, 1e-6);

  tuning.camera.viewWallTest = 0;
  EXPECT_NEAR(ViewOrigin(state, tuning, world).z, 3.0f, 1e-6);
}

TEST(ApplyShotSpread, NoSpreadLeavesTheDirectionUntouched) {
  const tune::Tuning tuning = tune::Tuning{};
  tune::WeaponTuning row = tuning.Weapon(2);
  const glm::vec3 d(0.3f, 0.1f, -0.9f);
  row.spread = 0.0f;
  EXPECT_TRUE(SameBits(ApplyShotSpread(d, 7, 3, row), d));
  row.spread = -2.0f;
  EXPECT_TRUE(SameBits(ApplyShotSpread(d, 7, 3, row), d));
}

TEST(ApplyShotSpread, IsAFixedFunctionOfTheShotAndPellet) {
  const tune::Tuning tuning = tune::Tuning{};
  const tune::WeaponTuning& shotgun = tuning.Weapon(2);
  const glm::vec3 d = AimDirection(Looking(33.0f, 12.0f));
  const glm::vec3 first = ApplyShotSpread(d, 1234, 5, shotgun);
  EXPECT_TRUE(SameBits(first, ApplyShotSpread(d, 1234, 5, shotgun)));
  // The hash is shot x 0x9E3779B1 + pellet x 40503: these two pairs give the same number.
  EXPECT_TRUE(SameBits(first, ApplyShotSpread(d, 1234u + 40503u, 5u - 0x9E3779B1u, shotgun)));
  for (uint32_t pellet = 0; pellet < 9; ++pellet) {
    for (uint32_t other = pellet + 1; other < 9; ++other) {
      EXPECT_FALSE(SameBits(ApplyShotSpread(d, 77, pellet, shotgun), ApplyShotSpread(d, 77, other, shotgun)));
    }
  }
}

TEST(ApplyShotSpread, FillsADiscOfTheSpreadRadius) {
  const tune::Tuning tuning = tune::Tuning{};
  const tune::WeaponTuning& shotgun = tuning.Weapon(2);  // 5 degrees
  const glm::vec3 d = AimDirection(Looking(-140.0f, -20.0f));
  int inner = 0;
  int up = 0;
  int right = 0;
  const int kShots = 4000;
  const glm::vec3 rightAxis = glm::normalize(glm::vec3(-d.z, 0.0f, d.x));
  for (int n = 0; n < kShots; ++n) {
    const glm::vec3 s = ApplyShotSpread(d, uint32_t(n), uint32_t(n % 9), shotgun);
    EXPECT_NEAR(std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z), 1.0f, 1e-6);
    const double angle = AngleBetweenDegrees(d, s);
    EXPECT_LE(angle, 5.0 + 1e-2);
    if (angle < 5.0 / std::sqrt(2.0)) ++inner;  // half the area of the disc
    if (s.y > d.y) ++up;
    if (s.x * rightAxis.x + s.z * rightAxis.z > 0.0f) ++right;
  }
  EXPECT_NEAR(inner / double(kShots), 0.5, 0.04);
  EXPECT_NEAR(up / double(kShots), 0.5, 0.04);
  EXPECT_NEAR(right / double(kShots), 0.5, 0.04);
}

TEST(ChooseRewindTick, WeighsTheClaimAgainstTheEstimate) {
  const uint32_t kNone = 0xFFFFFFFFu;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    uint32_t now, claimed;
    int32_t rate;
    float maxSeconds, delay;
    int32_t tolerance;
    uint32_t expected;
    const char* why;
  };
  const Case cases[] = {
      {1000, kNone, 64, 0.25f, 0.1f, 3, 994, "no claim: now minus the delay rounded half up (6.4 -> 6)"},
      {1000, kNone, 64, 0.25f, 0.1016f, 3, 993, "6.5024 ticks round up to 7"},
      {1000, 991, 64, 0.25f, 0.1f, 3, 991, "age 9 within 3 of the estimate's 6"},
      {1000, 997, 64, 0.25f, 0.1f, 3, 997, "age 3 within 3 of 6"},
      {1000, 990, 64, 0.25f, 0.1f, 3, 994, "age 10 is 4 away"},
      {1000, 998, 64, 0.25f, 0.1f, 3, 994, "age 2 is 4 away"},
      {1000, 983, 64, 0.25f, 1.0f, 40, 984, "age 17 is past the 16-tick limit"},
      {1000, 984, 64, 0.25f, 1.0f, 40, 984, "the delay is clamped to the limit"},
      {1000, 1005, 64, 0.25f, 0.1f, 3, 994, "a claim from the future is refused"},
      {1000, kNone, 0, 0.25f, 0.6f, 3, 1000, "rate 0 counts as 1: limit 0"},
      {1000, kNone, 0, 3.0f, 1.6f, 3, 998, "rate 0 counts as 1: 1.6 rounds to 2"},
      {3, kNone, 64, 0.25f, 1.0f, 3, 0, "never before tick 0"},
      {3, 0, 64, 0.25f, 0.0f, 3, 0, "claim of tick 0 at age 3 within the tolerance"},
      {1000, kNone, 64, 10.0f, 5.0f, 3, 937, "never more than 63 ticks"},
      {1000, kNone, 64, nan, 0.1f, 3, 1000, "a NaN limit is 0"},
      {1000, kNone, 64, 0.25f, -1.0f, 3, 1000, "a negative delay is 0"},
      {1000, 994, 64, 0.25f, 0.1f, -5, 994, "a negative tolerance is 0: exact match"},
      {1000, 995, 64, 0.25f, 0.1f, -5, 994, "a negative tolerance is 0: off by one"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseRewindTick(c.now, c.claimed, c.rate, c.maxSeconds, c.delay, c.tolerance), c.expected) << c.why;
  }
}

TEST(IntersectRayBox, SlabTestWithALimit) {
  const glm::vec3 lo(-1.0f, -1.0f, -1.0f);
  const glm::vec3 hi(1.0f, 1.0f, 1.0f);
  struct Case {
    glm::vec3 origin, direction;
    float limit;
    bool hit;
    float distance;
    const char* why;
  };
  const Case cases[] = {
      {{-5, 0, 0}, {1, 0, 0}, 100.0f, true, 4.0f, "straight in"},
      {{-5, 0, 0}, {2, 0, 0}, 100.0f, true, 2.0f, "distance in units of the direction"},
      {{-5, 0, 0}, {1, 0, 0}, 4.0f, false, 4.0f, "the entry must lie before the limit"},
      {{-5, 0, 0}, {1, 0, 0}, 4.001f, true, 4.0f, "just inside the limit"},
      {{0, 0, 0}, {1, 0, 0}, 100.0f, true, 0.0f, "from inside: 0"},
      {{0, 0, 0}, {1, 0, 0}, 0.0f, false, 0.0f, "a limit of 0 never hits"},
      {{-5, 2, 0}, {1, 0, 0}, 100.0f, false, 100.0f, "parallel and outside"},
      {{-5, 1, 0}, {1, 0, 0}, 100.0f, true, 4.0f, "parallel on the face counts as inside"},
      {{5, 0, 0}, {1, 0, 0}, 100.0f, false, 100.0f, "pointing away"},
      {{-5, -5, 0}, {1, 1, 0}, 100.0f, true, 4.0f, "diagonal"},
  };
  for (const Case& c : cases) {
    float t = c.limit;
    EXPECT_EQ(IntersectRayBox(c.origin, c.direction, lo, hi, t), c.hit) << c.why;
    EXPECT_FLOAT_EQ(t, c.distance) << c.why;
  }
}
