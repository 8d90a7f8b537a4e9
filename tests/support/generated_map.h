#pragma once

// A generated map loaded into a collision world for tests that walk on it.

#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "game/collision_world.h"

struct GeneratedMapSpawn {
  glm::vec3 feet{0.0f};
  float facing = 0.0f;  // degrees
};

struct GeneratedMap {
  std::string path;  // relative to the assets folder
  bool loaded = false;
  CollisionWorld world;
  std::vector<GeneratedMapSpawn> spawns;
  Aabb bounds;
};

// Loads "assets/<relative>" at the tuning's map scale, as the client and server do.
GeneratedMap LoadGeneratedMap(const std::string& relative);
