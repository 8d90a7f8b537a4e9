#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The container the world keeps its id-keyed records in (shields, death drops, projectiles,
// sentries). A record's id is the counter at its creation; ids are never 0 and are not reused
// within a list. Records need a `uint32_t id` field. Lists are small, so lookups are linear.
template <typename T>
struct IdList {
  std::vector<T> items;
  uint32_t nextId = 1;
};

// Takes the next id for a new record. The counter skips 0 when it wraps, so 0 stays "none".
template <typename T>
uint32_t TakeNextId(IdList<T>& list) {
  uint32_t id = list.nextId;
  list.nextId = (id == 0xFFFFFFFFu) ? 1u : id + 1u;
  return id;
}

template <typename T>
T* FindById(IdList<T>& list, uint32_t id) {
  for (T& item : list.items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

template <typename T>
const T* FindById(const IdList<T>& list, uint32_t id) {
  for (const T& item : list.items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

// Adds a record another side announced, unless one with its id is already present; the counter
// is raised past the id so that records spawned here later do not collide with it. A record with
// id 0 is refused: no list ever hands out 0. Returns whether the record was added.
template <typename T>
bool AddIfMissing(IdList<T>& list, const T& record) {
  if (record.id == 0 || FindById(list, record.id) != nullptr) return false;
  list.items.push_back(record);
  if (record.id >= list.nextId) list.nextId = (record.id == 0xFFFFFFFFu) ? 1u : record.id + 1u;
  return true;
}

// Removes the first record with the id by moving the last record into its place.
template <typename T>
bool RemoveById(IdList<T>& list, uint32_t id) {
  for (size_t i = 0; i < list.items.size(); ++i) {
    if (list.items[i].id == id) {
      if (i + 1 != list.items.size()) list.items[i] = list.items.back();
      list.items.pop_back();
      return true;
    }
  }
  return false;
}
