#include "game/id_list.h"

#include <cstdint>

#include <gtest/gtest.h>

#include "game/death_drop.h"
#include "game/projectile.h"
#include "game/sentry.h"
#include "game/shield.h"

namespace {

struct Thing {
  uint32_t id = 0;
  int value = 0;
};

// Each list counts in the width its ids travel in; death drops travel whole.
static_assert(IdList<Sentry>::kIdBits == 12);
static_assert(IdList<Shield>::kIdBits == 12);
static_assert(IdList<Projectile>::kIdBits == 24);
static_assert(IdList<DeathDrop>::kIdBits == 32);
static_assert(IdList<Thing>::kIdMask == 0xFFFFFFFFu);
static_assert(IdList<Thing, 12>::kIdMask == 0xFFFu);

// Ids of a narrow list count modulo its width: past the top they come round to 1, never 0, and
// pass over ids that records still hold.
TEST(IdList, NarrowIdsWrapPastZeroAndSkipIdsStillHeld) {
  IdList<Thing, 4> list;  // ids 1..15
  for (uint32_t expected = 1; expected <= 15; ++expected) {
    const uint32_t id = TakeNextId(list);
    EXPECT_EQ(id, expected);
    if (id == 2 || id == 5) list.items.push_back({id, 0});  // long-lived records
  }
  const uint32_t afterWrap[] = {1, 3, 4, 6, 7};
  for (uint32_t expected : afterWrap) EXPECT_EQ(TakeNextId(list), expected);

  // A record announced at the top of the width sends the counter round to 1.
  IdList<Thing, 4> announced;
  EXPECT_TRUE(AddIfMissing(announced, Thing{15, 0}));
  EXPECT_EQ(announced.nextId, 1u);
  EXPECT_EQ(TakeNextId(announced), 1u);
  // An id wider than the list's could never have been handed out.
  EXPECT_FALSE(AddIfMissing(announced, Thing{16, 0}));

  // With every id held there is none to give: 0, which no record may take.
  IdList<Thing, 2> full;  // ids 1..3
  for (uint32_t id = 1; id <= 3; ++id) full.items.push_back({id, 0});
  EXPECT_EQ(TakeNextId(full), 0u);
  RemoveById(full, 2);
  EXPECT_EQ(TakeNextId(full), 2u);
}

TEST(IdList, SpawnedIdsStartAtOneAndNeverRepeat) {
  IdList<Thing> list;
  EXPECT_TRUE(list.items.empty());
  EXPECT_EQ(list.nextId, 1u);
  for (uint32_t expected = 1; expected <= 3; ++expected) {
    list.items.push_back({TakeNextId(list), 0});
    EXPECT_EQ(list.items.back().id, expected);
  }
  RemoveById(list, 3);
  EXPECT_EQ(TakeNextId(list), 4u);
}

TEST(IdList, AddIfMissingRaisesTheCounterPastTheId) {
  IdList<Thing> list;
  EXPECT_TRUE(AddIfMissing(list, Thing{7, 1}));
  EXPECT_EQ(list.nextId, 8u);
  // A lower id does not lower the counter.
  EXPECT_TRUE(AddIfMissing(list, Thing{3, 2}));
  EXPECT_EQ(list.nextId, 8u);
  // A repeated announcement keeps the first record.
  EXPECT_FALSE(AddIfMissing(list, Thing{7, 99}));
  ASSERT_EQ(list.items.size(), 2u);
  EXPECT_EQ(FindById(list, 7)->value, 1);
  EXPECT_EQ(TakeNextId(list), 8u);
}

TEST(IdList, ZeroIsNeverAnId) {
  IdList<Thing> list;
  EXPECT_FALSE(AddIfMissing(list, Thing{0, 1}));
  EXPECT_TRUE(list.items.empty());
  EXPECT_TRUE(AddIfMissing(list, Thing{0xFFFFFFFFu, 1}));
  EXPECT_EQ(list.nextId, 1u);  // wrapped past 0
  IdList<Thing> counter;
  counter.nextId = 0xFFFFFFFFu;
  EXPECT_EQ(TakeNextId(counter), 0xFFFFFFFFu);
  EXPECT_EQ(TakeNextId(counter), 1u);
}

TEST(IdList, RemoveMovesTheLastRecordIntoTheGap) {
  IdList<Thing> list;
  for (uint32_t id = 1; id <= 4; ++id) AddIfMissing(list, Thing{id, int(id) * 10});
  EXPECT_FALSE(RemoveById(list, 9));
  EXPECT_EQ(list.items.size(), 4u);
  EXPECT_TRUE(RemoveById(list, 2));
  ASSERT_EQ(list.items.size(), 3u);
  EXPECT_EQ(list.items[1].id, 4u);
  EXPECT_TRUE(RemoveById(list, 4));
  EXPECT_EQ(list.items.size(), 2u);
  EXPECT_EQ(FindById(list, 4), nullptr);
  const IdList<Thing>& view = list;
  EXPECT_EQ(FindById(view, 3)->value, 30);
}

}  // namespace
