#include "game/tuning.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

namespace {

TEST(Tuning, ServerCopyDiffersOnlyInTheAccountFlag) {
  // Fill every byte of the source, padding included, with a pattern so that a member-wise copy or
  // a stray write would show.
  alignas(tune::Tuning) unsigned char raw[sizeof(tune::Tuning)];
  for (size_t i = 0; i < sizeof raw; ++i) raw[i] = static_cast<unsigned char>(i * 131 + 7);
  tune::Tuning source;
  std::memcpy(static_cast<void*>(&source), raw, sizeof raw);
  source.account.enabled = 1;

  tune::Tuning copy = tune::Tuning::CopyForServer(source);

  const size_t flag = offsetof(tune::Tuning, account) + offsetof(tune::AccountLinkTuning, enabled);
  const auto* a = reinterpret_cast<const unsigned char*>(&source);
  const auto* b = reinterpret_cast<const unsigned char*>(&copy);
  for (size_t i = 0; i < sizeof(tune::Tuning); ++i) {
    if (i == flag) continue;
    ASSERT_EQ(a[i], b[i]) << "byte " << i;
  }
  EXPECT_EQ(copy.account.enabled, 0);
  EXPECT_EQ(source.account.enabled, 1);
}

TEST(Tuning, ServerCopyOfTheDefaultsKeepsEveryOtherValue) {
  tune::Tuning copy = tune::Tuning::CopyForServer(tune::g_tuning);
  EXPECT_EQ(copy.account.enabled, 0);
  EXPECT_EQ(tune::g_tuning.account.enabled, 1);
  EXPECT_EQ(copy.loop.tickRate, 64);
  EXPECT_STREQ(copy.account.host, "127.0.0.1");
  EXPECT_EQ(copy.network.port, 27015);
}

TEST(Tuning, OutOfRangeRowsReadRowZero) {
  const tune::Tuning& t = tune::g_tuning;
  const int weaponIndices[] = {10, 200, -1, 1 << 30};
  for (int i : weaponIndices) EXPECT_EQ(&t.Weapon(i), &t.weapons[0]) << i;
  EXPECT_STREQ(t.Weapon(10).displayName, "NONE");
  EXPECT_EQ(&t.Armor(5), &t.armors[0]);
  EXPECT_EQ(&t.Armor(-3), &t.armors[0]);
  EXPECT_STREQ(t.Armor(5).displayName, "BLUE");
  EXPECT_EQ(&t.Power(9), &t.powers[0]);
  EXPECT_STREQ(t.Power(9).displayName, "GRENADE");
  for (int i = 0; i < tune::Tuning::kWeaponCount; ++i) EXPECT_EQ(&t.Weapon(i), &t.weapons[i]);
  for (int i = 0; i < tune::Tuning::kArmorCount; ++i) EXPECT_EQ(&t.Armor(i), &t.armors[i]);
  for (int i = 0; i < tune::Tuning::kPowerCount; ++i) EXPECT_EQ(&t.Power(i), &t.powers[i]);
}

TEST(Tuning, KeyBindingsAreSeventeenGlfwCodes) {
  const int expected[] = {87, 83, 65, 68, 32, 340, 341, 49, 50, 51, 81, 70, 82, 69, 258, 90, 256};
  static_assert(sizeof(tune::Tuning{}.keyBindings) / sizeof(int32_t) == 17);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(tune::g_tuning.keyBindings[i], expected[i]) << i;
  EXPECT_EQ(tune::g_tuning.keyBindings[tune::kKeyJump], 32);    // Space, not ' '
  EXPECT_EQ(tune::g_tuning.keyBindings[tune::kKeyMenu], 256);   // Escape
}

TEST(Tuning, NoneRowNeverFires) {
  EXPECT_EQ(tune::g_tuning.Weapon(0).magazineSize, 0);
}

}  // namespace
