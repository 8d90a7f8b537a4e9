// Golden traces of the movement step: scripted inputs (walking, jumping, firing, reloading,
// switching weapons, throwing) on the greybox level, and runs, climbs and drops on the triangles of
// the two generated maps, hashed per tick over the whole player state. Client prediction and the
// server must produce these same bits; a change here means the two would disagree with an older
// build. The map traces also change when the asset generator changes a map. To rewrite the files
// after an intended change, run the tests with ZW_WRITE_GOLDEN=1 and commit the result.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "game/collision_world.h"
#include "game/player_movement.h"
#include "game/tuning.h"
#include "support/generated_map.h"
#include "support/player_sim.h"

namespace {

using testsim::Command;
using testsim::SpawnedPlayer;

constexpr const char* kGoldenFile = ZW_TEST_DATA_DIR "/movement_golden_trace.txt";
constexpr const char* kMapsGoldenFile = ZW_TEST_DATA_DIR "/movement_golden_trace_maps.txt";
const char* const kTraceMaps[] = {"maps/Map One/map_one.glb", "maps/Map Two/Map_Two.glb"};

struct Script {
  const char* name;
  int ticks;
  std::function<PlayerState(const tune::Tuning&)> start;
  std::function<InputCommand(int)> input;
};

// Turns a yaw and pitch in degrees into the command's 1/65536-turn fields.
InputCommand Look(InputCommand cmd, float yaw, float pitch) {
  const InputCommand turned = Command(yaw);
  cmd.yaw = turned.yaw;
  cmd.pitch = static_cast<int16_t>(pitch * (65536.0f / 360.0f));
  return cmd;
}

std::vector<Script> Scripts() {
  std::vector<Script> scripts;
  scripts.push_back({"walk", 640,
                     [](const tune::Tuning& t) { return SpawnedPlayer(glm::vec3(0.0f, 0.0f, 0.0f), 1, t); },
                     [](int i) {
                       InputCommand cmd = Command(0.0f, 0, 0, 1);
                       const float yaw = 90.0f + 0.9f * float(i);  // a slow turn to the left
                       if (i < 160) cmd.forward = 127;
                       else if (i < 240) { cmd.forward = 127; cmd.buttons = kButtonSprint; }
                       else if (i < 320) { cmd.side = -127; cmd.buttons = kButtonCrouch; }
                       else if (i < 400) { cmd.forward = -90; cmd.side = 60; }
                       else if (i < 520) { cmd.forward = 127; cmd.side = 127; cmd.buttons = kButtonSprint; }
                       return Look(cmd, yaw, 10.0f * float((i / 40) % 5) - 20.0f);
                     }});
  scripts.push_back({"stairs_and_jumps", 640,
                     [](const tune::Tuning& t) { return SpawnedPlayer(glm::vec3(4.9f, 0.0f, -4.0f), 0, t); },
                     [](int i) {
                       InputCommand cmd = Command(270.0f, 127, 0, 0);                 // up the stairs
                       if (i >= 76 && i < 79) cmd.buttons = kButtonJump;              // and off the top
                       if (i >= 79 && i < 400) {                                      // to the low platform,
                         cmd = Command(135.0f, 127, (i % 40) < 3 ? kButtonJump : 0, 0);  // hopping
                       }
                       if (i >= 400) cmd = Command(45.0f, 127, kButtonJump | kButtonSprint, 0);
                       return cmd;
                     }});
  scripts.push_back({"fire_and_reload", 520,
                     [](const tune::Tuning& t) {
                       PlayerState s = SpawnedPlayer(glm::vec3(-2.0f, 0.0f, -6.0f), 1, t);
                       s.armor = 4;                          // WHITE: quicker reloads and shots
                       s.upgradeLevels[kTrackShotSpeed] = 3;
                       return s;
                     },
                     [](int i) {
                       InputCommand cmd = Command(10.0f, 0, kButtonFire, 1);  // M4 held through a magazine
                       if (i >= 200 && i < 260) cmd = Command(10.0f, 40, (i % 6) < 3 ? kButtonFire : 0, 9);
                       if (i >= 260 && i < 330) cmd = Command(10.0f, 0, (i % 20) < 2 ? kButtonSecondary : 0, 9);
                       if (i >= 330 && i < 340) cmd = Command(10.0f, 0, kButtonReload, 9);
                       if (i >= 340 && i < 400) cmd = Command(10.0f, 0, kButtonFire, 1);
                       if (i >= 400 && i < 405) cmd = Command(10.0f, 0, kButtonReload, 1);
                       if (i >= 405) cmd = Command(10.0f, -127, (i % 9) == 0 ? kButtonFire : 0, 2);
                       return cmd;
                     }});
  scripts.push_back({"switch_and_charge", 600,
                     [](const tune::Tuning& t) {
                       PlayerState s = SpawnedPlayer(glm::vec3(1.0f, 0.0f, 8.0f), 6, t);
                       s.armor = 3;
                       s.speedPercent = 125;
                       s.upgradeLevels[kTrackSpeed] = 7;
                       return s;
                     },
                     [](int i) {
                       const uint8_t weapon = static_cast<uint8_t>((i / 30) % 11);  // 10 reads as NONE
                       uint8_t buttons = (i % 30) < 20 ? kButtonSecondary : 0;
                       if ((i % 30) == 25 || (i % 30) == 26) buttons |= kButtonFire;
                       if ((i % 90) == 28) buttons |= kButtonReload;
                       InputCommand cmd = Command(200.0f + float(i % 50), (i % 60) < 30 ? 127 : -127, buttons, weapon);
                       if (i >= 400) cmd = Command(0.0f, 0, (i < 480) ? kButtonSecondary : kButtonSecondary | kButtonFire, 6);
                       return Look(cmd, 0.0f, -30.0f + float(i % 60));
                     }});
  scripts.push_back({"powers", 760,
                     [](const tune::Tuning& t) {
                       PlayerState s = SpawnedPlayer(glm::vec3(-3.0f, 0.0f, -1.0f), 8, t);
                       s.upgradeLevels[kTrackAbility] = 12;
                       return s;
                     },
                     [](int i) {
                       InputCommand cmd = Command(300.0f, (i / 64) % 2 == 0 ? 127 : -127, 0, 8, kPowerGrenade);
                       if (i >= 10 && i < 50) cmd.buttons = kButtonPower;                // a short cook
                       if (i >= 120 && i < 130) cmd.buttons = kButtonPower;              // still cooling down
                       if (i >= 170 && i < 340) cmd.buttons = kButtonPower;              // a cook-off
                       if (i >= 340 && i < 360) cmd.buttons = kButtonPower | kButtonFire;  // no new cook
                       if (i >= 440 && i < 450) cmd.buttons = kButtonPower;              // thrown again
                       if (i >= 500) cmd.power = kPowerInvisible;
                       if (i >= 505 && i < 510) cmd.buttons = kButtonPower;              // still cooling down
                       if (i >= 570 && i < 575) cmd.buttons = kButtonPower;
                       if (i >= 600 && i < 606) cmd.buttons = kButtonFire;               // a shot ends it
                       if (i >= 650) cmd.power = static_cast<uint8_t>(1 + (i / 20) % 9);  // 5 and above read 0
                       if (i >= 650 && (i % 20) == 3) cmd.buttons = kButtonPower;
                       return cmd;
                     }});
  scripts.push_back({"dead_and_waiting", 120,
                     [](const tune::Tuning& t) {
                       PlayerState s = SpawnedPlayer(glm::vec3(0.0f, 0.0f, 3.0f), 1, t);
                       s.respawnTicks = 60;
                       return s;
                     },
                     [](int i) { return Look(Command(float(i) * 3.0f, 127, kButtonFire | kButtonJump, 2), 0.0f, 5.0f); }});
  return scripts;
}

// A climb on one map: walk from `start` along `yaw` for `ticks`, hopping at the top.
struct MapClimb {
  const char* map;
  const char* name;
  glm::vec3 start;
  float yaw;
};

// Where the maps' ways up stand (metres, at the tuning's map scale): Map One's staircase of 0.3 m
// risers and 27-degree ramp to its galleries; Map Two's staircase of 0.35 m risers and 22-degree road
// up the 7 m mesa. Starting points are clear of the geometry, some a little above the ground.
const MapClimb kMapClimbs[] = {
    {"maps/Map One/map_one.glb", "gallery_stairs", {2.0f, 0.0f, -18.0f}, 270.0f},
    {"maps/Map One/map_one.glb", "gallery_ramp", {-2.5f, 0.0f, -18.0f}, 90.0f},
    {"maps/Map Two/Map_Two.glb", "mesa_stairs", {-33.0f, 1.0f, 0.0f}, 270.0f},
    {"maps/Map Two/Map_Two.glb", "mesa_road", {-9.0f, 0.0f, -16.0f}, 270.0f},
};

// Scripts over a map's triangles: a long run from the first spawn and a strafing fight from the
// last, which meet walls, slopes, steps and cover, and the map's climbs.
std::vector<Script> MapScripts(const GeneratedMap& map) {
  std::vector<Script> scripts;
  if (map.spawns.empty()) return scripts;
  const GeneratedMapSpawn first = map.spawns.front();
  const GeneratedMapSpawn last = map.spawns.back();
  scripts.push_back({"run_and_hop", 768,
                     [first](const tune::Tuning& t) { return SpawnedPlayer(first.feet, 1, t); },
                     [first](int i) {
                       InputCommand cmd = Command(first.facing + 0.35f * float(i), 127, 0, 1);
                       if ((i / 128) % 2 == 0) cmd.buttons |= kButtonSprint;
                       if (i % 48 < 3) cmd.buttons |= kButtonJump;
                       if (i % 200 > 170) cmd.buttons |= kButtonCrouch;
                       if (i >= 600) cmd.side = 127;
                       return cmd;
                     }});
  scripts.push_back({"strafe_and_fire", 640,
                     [last](const tune::Tuning& t) { return SpawnedPlayer(last.feet, 1, t); },
                     [last](int i) {
                       InputCommand cmd = Command(last.facing - 0.5f * float(i), 60, 0, 1);
                       cmd.side = (i / 64) % 2 == 0 ? 127 : -127;
                       if (i % 40 < 25) cmd.buttons |= kButtonFire;
                       if (i % 160 == 100) cmd.buttons = kButtonReload;
                       if (i % 100 == 50) cmd.buttons |= kButtonJump;
                       return Look(cmd, last.facing - 0.5f * float(i), 15.0f * float((i / 32) % 3) - 15.0f);
                     }});
  for (const MapClimb& climb : kMapClimbs) {
    if (map.path != climb.map) continue;
    scripts.push_back({climb.name, 480,
                       [climb](const tune::Tuning& t) { return SpawnedPlayer(climb.start, 0, t); },
                       [climb](int i) {
                         InputCommand cmd = Command(climb.yaw, 127, 0, 0);
                         if (i >= 320) cmd = Command(climb.yaw + 90.0f, 127, kButtonSprint | ((i % 32) < 2 ? kButtonJump : 0), 0);
                         return cmd;
                       }});
  }
  return scripts;
}

// For each script a line "script <name> <ticks>", then one line per tick with the hash of the whole
// state after that tick.
std::string TraceText(const std::vector<Script>& scripts, const tune::Tuning& tuning, const CollisionWorld& world) {
  std::ostringstream out;
  for (const Script& script : scripts) {
    out << "script " << script.name << " " << script.ticks << "\n";
    PlayerState state = script.start(tuning);
    for (int i = 0; i < script.ticks; ++i) {
      InputCommand cmd = script.input(i);
      cmd.tick = static_cast<uint32_t>(1000 + i);
      MovePlayer(state, cmd, testsim::kDt, tuning, world);
      char line[32];
      std::snprintf(line, sizeof line, "%016llx\n", static_cast<unsigned long long>(testsim::HashPlayerState(state)));
      out << line;
    }
  }
  return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

CollisionWorld GreyboxWorld() {
  CollisionWorld world;
  world.BuildGreybox();
  return world;
}

// Both generated maps, each followed by its traces: a line "map <path>", then the scripts' text.
std::string MapTraceText(const std::vector<GeneratedMap>& maps, const tune::Tuning& tuning) {
  std::string text;
  for (const GeneratedMap& map : maps) {
    text += "map " + map.path + "\n";
    text += TraceText(MapScripts(map), tuning, map.world);
  }
  return text;
}

std::vector<GeneratedMap> LoadTraceMaps() {
  std::vector<GeneratedMap> maps;
  for (const char* path : kTraceMaps) {
    testing::internal::CaptureStdout();
    maps.push_back(LoadGeneratedMap(path));
    testing::internal::GetCapturedStdout();
  }
  return maps;
}

// Compares a trace with its golden file line by line (reporting the first few differences by script
// and tick), or rewrites the file when ZW_WRITE_GOLDEN is set.
void ExpectGoldenTrace(const std::string& trace, const char* path, const char* heading) {
  if (std::getenv("ZW_WRITE_GOLDEN") != nullptr) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary);
    file << heading << trace;
    ASSERT_TRUE(file.good()) << path;
    GTEST_SKIP() << "wrote " << path;
  }
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file.good()) << "missing " << path;
  std::stringstream golden;
  golden << file.rdbuf();
  const std::vector<std::string> expected = Lines(golden.str());
  const std::vector<std::string> actual = Lines(trace);
  ASSERT_EQ(actual.size(), expected.size());
  std::string script;
  int tick = 0;
  int reported = 0;
  for (size_t i = 0; i < actual.size() && reported < 5; ++i) {
    if (actual[i].rfind("script ", 0) == 0 || actual[i].rfind("map ", 0) == 0) {
      ASSERT_EQ(actual[i], expected[i]);
      if (actual[i].rfind("map ", 0) == 0) continue;
      script = actual[i];
      tick = 0;
      continue;
    }
    if (actual[i] != expected[i]) {
      ADD_FAILURE() << script << ", tick " << tick << ": expected " << expected[i] << ", got " << actual[i];
      ++reported;
    }
    ++tick;
  }
}

}  // namespace

TEST(MovementTrace, MatchesTheCommittedHashes) {
  const tune::Tuning tuning;
  const CollisionWorld world = GreyboxWorld();
  ExpectGoldenTrace(TraceText(Scripts(), tuning, world), kGoldenFile,
                    "# movement golden trace: per script, the hash of the whole player state after each tick\n");
}

TEST(MovementTrace, OnTheGeneratedMapsMatchesTheCommittedHashes) {
  const tune::Tuning tuning;
  const std::vector<GeneratedMap> maps = LoadTraceMaps();
  for (const GeneratedMap& map : maps) ASSERT_TRUE(map.loaded && !map.spawns.empty()) << map.path;
  ExpectGoldenTrace(MapTraceText(maps, tuning), kMapsGoldenFile,
                    "# movement golden trace on the generated maps: per map and script, the hash of the whole player "
                    "state after each tick\n");
}

TEST(MovementTrace, MapScriptsReachWhatTheyExercise) {
  // The map traces must really cover triangles: long runs that meet walls, and climbs that end up
  // on the galleries and the mesa.
  const tune::Tuning tuning;
  const std::vector<GeneratedMap> maps = LoadTraceMaps();
  for (const GeneratedMap& map : maps) {
    ASSERT_TRUE(map.loaded) << map.path;
    const std::vector<Script> scripts = MapScripts(map);
    ASSERT_EQ(scripts.size(), 4u) << map.path;
    for (const Script& script : scripts) {
      PlayerState state = script.start(tuning);
      const glm::vec3 start = state.position;
      float highest = state.position.y;
      float travelled = 0.0f;
      int blocked = 0;  // ticks on which the body moved much less than the input asked
      for (int i = 0; i < script.ticks; ++i) {
        const PlayerState before = state;
        InputCommand cmd = script.input(i);
        cmd.tick = static_cast<uint32_t>(1000 + i);
        MovePlayer(state, cmd, testsim::kDt, tuning, map.world);
        highest = std::max(highest, state.position.y);
        const glm::vec3 d = state.position - before.position;
        const float step = std::sqrt(d.x * d.x + d.z * d.z);
        travelled += step;
        if (state.onGround && step < 0.01f) ++blocked;
      }
      const std::string name = script.name;
      const std::string what = map.path + " " + name;
      EXPECT_GT(travelled, 10.0f) << what;
      if (name == "run_and_hop") {
        EXPECT_GT(travelled, 25.0f) << what;
        EXPECT_GT(blocked, 0) << what << ": never ran into anything";
      } else if (name == "gallery_stairs" || name == "gallery_ramp") {
        EXPECT_GT(highest, start.y + 3.4f) << what;
      } else if (name == "mesa_stairs" || name == "mesa_road") {
        EXPECT_GT(highest, 6.8f) << what;
      }
    }
  }
}

TEST(MovementTrace, ScriptsReachWhatTheyExercise) {
  // The golden hashes only guard bits; make sure the scripts really walk, climb, shoot, reload,
  // switch and throw, so that the trace covers those paths.
  const tune::Tuning tuning;
  const CollisionWorld world = GreyboxWorld();
  for (const Script& script : Scripts()) {
    PlayerState state = script.start(tuning);
    float highest = state.position.y;
    uint32_t switches = 0;
    int reloads = 0;
    float travelled = 0.0f;
    for (int i = 0; i < script.ticks; ++i) {
      const PlayerState before = state;
      InputCommand cmd = script.input(i);
      cmd.tick = static_cast<uint32_t>(1000 + i);
      MovePlayer(state, cmd, testsim::kDt, tuning, world);
      highest = std::max(highest, state.position.y);
      if (state.weapon != before.weapon) ++switches;
      if (state.reloadTicks > 0 && before.reloadTicks == 0) ++reloads;
      const glm::vec3 d = state.position - before.position;
      travelled += std::sqrt(d.x * d.x + d.z * d.z);
    }
    const std::string name = script.name;
    if (name == "walk") {
      EXPECT_GT(travelled, 20.0f);
    } else if (name == "stairs_and_jumps") {
      EXPECT_GT(highest, 2.5f);
    } else if (name == "fire_and_reload") {
      EXPECT_GT(state.shotsFired, 40u);
      EXPECT_GE(reloads, 3);
    } else if (name == "switch_and_charge") {
      EXPECT_GE(switches, 10u);
      EXPECT_GT(state.shotsFired, 5u);
    } else if (name == "powers") {
      EXPECT_GE(state.powerUses, 4u);
    } else if (name == "dead_and_waiting") {
      EXPECT_EQ(state.position, glm::vec3(0.0f, 0.0f, 3.0f));
    }
  }
}

TEST(MovementTraceThreaded, EightThreadsAtOnceGiveTheSameHashes) {
  // The server moves many players at once on its worker threads, sharing the tuning copy and the
  // level read-only. Every thread must reach the single-threaded bits.
  const tune::Tuning tuning;
  const CollisionWorld world = GreyboxWorld();
  const std::vector<Script> scripts = Scripts();
  const std::string reference = TraceText(scripts, tuning, world);
  std::vector<std::string> results(8);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round) results[t] = TraceText(scripts, tuning, world);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < results.size(); ++t) EXPECT_TRUE(results[t] == reference) << "thread " << t;
}

TEST(MovementTraceThreaded, MapTracesOnEightThreadsAtOnceGiveTheSameHashes) {
  // The same on the maps' triangles: every thread walks the grid of the same two worlds.
  const tune::Tuning tuning;
  const std::vector<GeneratedMap> maps = LoadTraceMaps();
  for (const GeneratedMap& map : maps) ASSERT_TRUE(map.loaded) << map.path;
  const std::string reference = MapTraceText(maps, tuning);
  std::vector<std::string> results(8);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&, t] { results[t] = MapTraceText(maps, tuning); });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < results.size(); ++t) EXPECT_TRUE(results[t] == reference) << "thread " << t;
}
