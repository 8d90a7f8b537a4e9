#include "game/id_list.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace {

struct Thing {
  uint32_t id = 0;
  int value = 0;
};

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
  list.nextId = 0xFFFFFFFFu;
  EXPECT_EQ(TakeNextId(list), 0xFFFFFFFFu);
  EXPECT_EQ(TakeNextId(list), 1u);
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
