#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The width in bits that the ids of a record travel in: the record's `kIdBits` when it declares
// one, else 32. Declaring it beside the record gives every list of that record the same width.
template <typename T>
constexpr int IdBitsOf() {
  if constexpr (requires { T::kIdBits; }) {
    return T::kIdBits;
  } else {
    return 32;
  }
}

// The container the world keeps its id-keyed records in (shields, death drops, projectiles,
// sentries). Records need a `uint32_t id` field. Ids count modulo 2^IdBits, the width they travel
// in, so that an id always reads back as itself; 0 means "none" and is never handed out, and
// neither is an id still held by a record of the list. Lists are small, so lookups are linear.
template <typename T, int IdBits = IdBitsOf<T>()>
struct IdList {
  static_assert(IdBits >= 2 && IdBits <= 32, "an id needs room for at least one value besides 0");
  static constexpr int kIdBits = IdBits;
  static constexpr uint32_t kIdMask = IdBits == 32 ? 0xFFFFFFFFu : (uint32_t{1} << IdBits) - 1u;
  std::vector<T> items;
  uint32_t nextId = 1;
};

template <typename T, int B>
T* FindById(IdList<T, B>& list, uint32_t id) {
  for (T& item : list.items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

template <typename T, int B>
const T* FindById(const IdList<T, B>& list, uint32_t id) {
  for (const T& item : list.items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

// The id after `id` in the list's width, skipping 0.
template <typename T, int B>
uint32_t FollowingId(const IdList<T, B>&, uint32_t id) {
  const uint32_t next = (id + 1u) & IdList<T, B>::kIdMask;
  return next == 0 ? 1u : next;
}

// Takes the next id for a new record: the counter, or the first id after it that is not 0 and not
// held by a record of the list (a long-lived record can still hold an id when the counter comes
// round again). Returns 0 only when every id of the width is held.
template <typename T, int B>
uint32_t TakeNextId(IdList<T, B>& list) {
  // Of any items.size() + 1 distinct non-zero ids at least one is free.
  const size_t tries = list.items.size() + 1;
  uint32_t id = list.nextId & IdList<T, B>::kIdMask;
  if (id == 0) id = 1;
  for (size_t i = 0; i < tries && i <= IdList<T, B>::kIdMask; ++i) {
    if (FindById(list, id) == nullptr) {
      list.nextId = FollowingId(list, id);
      return id;
    }
    id = FollowingId(list, id);
  }
  return 0;
}

// Adds a record another side announced, unless one with its id is already present; the counter
// is raised past the id so that records spawned here later do not collide with it. A record with
// id 0, or with an id wider than the list's ids, is refused: no list ever hands those out.
// Returns whether the record was added.
template <typename T, int B>
bool AddIfMissing(IdList<T, B>& list, const T& record) {
  if (record.id == 0 || record.id > IdList<T, B>::kIdMask || FindById(list, record.id) != nullptr) return false;
  list.items.push_back(record);
  if (record.id >= list.nextId) list.nextId = FollowingId(list, record.id);
  return true;
}

// Removes the first record with the id by moving the last record into its place.
template <typename T, int B>
bool RemoveById(IdList<T, B>& list, uint32_t id) {
  for (size_t i = 0; i < list.items.size(); ++i) {
    if (list.items[i].id == id) {
      if (i + 1 != list.items.size()) list.items[i] = list.items.back();
      list.items.pop_back();
      return true;
    }
  }
  return false;
}
