#pragma once

// The level the movement benchmarks run on: the larger of the generated maps.

#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "game/collision_world.h"

struct BenchLevel {
  std::string name;
  CollisionWorld world;
  std::vector<glm::vec3> spawns;  // feet points; at least one
  float killHeight = -25.0f;      // players below this have fallen out of the level
};

// The larger of the generated maps (by triangle count), loaded once; the greybox level when neither
// loads.
const BenchLevel& LargerGeneratedMap();
