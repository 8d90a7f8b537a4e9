#include <cmath>

#include "game/deterministic_math.h"
#include "tools/assetgen/map_levels.h"
#include "tools/assetgen/procedural_textures.h"

// MESA: an open desert, 128 x 128 m inside cliff walls, with a flat-topped mesa 7 m high in the middle.
// Red's camp is in the west, blue's in the east (the level is point-symmetric about the centre). The
// mesa is reached by two road ramps of 22 degrees (north and south faces), two staircases of 0.35 m
// risers (west and east) and two ledge climbs of 0.7 m steps that need jumps; its 70-degree cliffs and
// two 55-degree scree slopes cannot be walked up. Each camp has a lookout reached by a 40-degree ramp
// (walkable) beside a 52-degree one (not). Rolling dunes outside the middle, rocks and ruined walls for
// cover, long open lanes between the camps north and south of the mesa.

namespace {

float SmoothStep(float a, float b, float v) {
    float t = (v - a) / (b - a);
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    return t * t * (3.0f - 2.0f * t);
}

constexpr float kHalf = 64.0f;
constexpr float kCampX = 48.0f;

// Ground height: flat in the middle (under the mesa and its approaches) and in the camps, dunes
// between, rising gently towards the outer cliffs.
float GroundHeight(float x, float z) {
    const float dunes = 2.2f * DetSin(x * 0.12f + 1.3f) * DetCos(z * 0.1f - 0.4f) + 1.2f * DetSin((x - z) * 0.07f + 2.0f);
    const float middle = SmoothStep(26.0f, 36.0f, std::sqrt(x * x + z * z));
    const float campDistance = std::fmax(std::fabs(std::fabs(x) - kCampX) - 10.0f, std::fabs(z) - 14.0f);
    const float camps = SmoothStep(0.0f, 8.0f, campDistance);
    const float edge = std::fmax(std::fabs(x), std::fabs(z)) - 58.0f;
    const float rise = edge > 0.0f ? edge * 0.6f : 0.0f;
    return std::fmax(dunes, -0.5f) * middle * camps + rise;
}

float TanDegrees(float degrees) {
    const float radians = degrees * 0.017453292f;
    return DetSin(radians) / DetCos(radians);
}

}  // namespace

Level BuildMapTwo() {
    Level level;
    LevelMaterial sand{"sand", GrainTexture("sand", 128, 0xc8a97a, 0x8a6a44, 21)};
    sand.tile = 4.0f;
    sand.previewColour = {0.62f, 0.45f, 0.26f};
    LevelMaterial rock{"mesa_rock", StrataTexture("mesa_rock", 128, 0xc87a50, 0x7a3c26, 22)};
    rock.tile = 6.0f;
    rock.previewColour = {0.55f, 0.26f, 0.15f};
    LevelMaterial road{"road_stone", TileTexture("road_stone", 128, 0x9a8e80, 0x5a5048, 2, 23)};
    road.tile = 2.0f;
    road.previewColour = {0.45f, 0.42f, 0.38f};
    LevelMaterial brick{"ruin_bricks", BrickTexture("ruin_bricks", 128, 0xa89a84, 0x6a5e50, 8, 24)};
    brick.tile = 2.0f;
    brick.previewColour = {0.5f, 0.46f, 0.4f};
    LevelMaterial red{"red_cloth", PanelTexture("red_cloth", 64, 0xa02a20, 0x401008, 1, 25)};
    red.previewColour = {0.7f, 0.1f, 0.08f};
    LevelMaterial blue{"blue_cloth", PanelTexture("blue_cloth", 64, 0x2048a8, 0x081440, 1, 26)};
    blue.previewColour = {0.1f, 0.2f, 0.7f};
    LevelMaterial crate{"crate", CrateTexture("crate", 128, 0x8a6a42, 0x3e2e1c, 27)};
    crate.tile = 1.2f;
    crate.previewColour = {0.42f, 0.3f, 0.16f};
    LevelMaterial lamp{"lamp", PanelTexture("lamp", 32, 0xffe8c0, 0xc0a070, 1, 28)};
    lamp.baseColor = {1.0f, 0.9f, 0.7f, 1.0f};
    lamp.emissive = {1.0f, 0.82f, 0.55f};
    lamp.previewColour = {1.0f, 0.9f, 0.6f};

    const int mSand = AddMaterial(level, sand);
    const int mRock = AddMaterial(level, rock);
    const int mRoad = AddMaterial(level, road);
    const int mBrick = AddMaterial(level, brick);
    const int mRed = AddMaterial(level, red);
    const int mBlue = AddMaterial(level, blue);
    const int mCrate = AddMaterial(level, crate);
    const int mLamp = AddMaterial(level, lamp);

    // Ground: 32 x 32 cells of 4 m.
    const int cells = 32;
    const float cell = 2.0f * kHalf / float(cells);
    std::vector<float> heights;
    for (int k = 0; k <= cells; ++k) {
        for (int i = 0; i <= cells; ++i) heights.push_back(GroundHeight(-kHalf + cell * float(i), -kHalf + cell * float(k)));
    }
    const int ground = AddPiece(level, "desert_ground");
    AddHeightfield(level, ground, mSand, -kHalf, -kHalf, cell, cells, cells, heights);

    // Outer cliffs.
    const int cliffs = AddPiece(level, "outer_cliffs");
    AddBox(level, cliffs, mRock, {-kHalf - 2, -1, -kHalf - 2}, {kHalf + 2, 14, -kHalf});
    AddBox(level, cliffs, mRock, {-kHalf - 2, -1, kHalf}, {kHalf + 2, 14, kHalf + 2});
    AddBox(level, cliffs, mRock, {-kHalf - 2, -1, -kHalf}, {-kHalf, 14, kHalf});
    AddBox(level, cliffs, mRock, {kHalf, -1, -kHalf}, {kHalf + 2, 14, kHalf});

    // The mesa: a 24 x 24 m top at 7 m on 70-degree cliffs.
    const float top = 7.0f;
    const float inner = 12.0f;
    const float outer = inner + top / TanDegrees(70.0f);
    const int mesa = AddPiece(level, "mesa");
    AddQuad(level, mesa, mRock, {-inner, top, -inner}, {inner, top, -inner}, {inner, top, inner}, {-inner, top, inner},
            {0, 1, 0});
    AddQuad(level, mesa, mRock, {-outer, 0, -outer}, {outer, 0, -outer}, {inner, top, -inner}, {-inner, top, -inner},
            {0, 0.4f, -1});
    AddQuad(level, mesa, mRock, {outer, 0, -outer}, {outer, 0, outer}, {inner, top, inner}, {inner, top, -inner},
            {1, 0.4f, 0});
    AddQuad(level, mesa, mRock, {outer, 0, outer}, {-outer, 0, outer}, {-inner, top, inner}, {inner, top, inner},
            {0, 0.4f, 1});
    AddQuad(level, mesa, mRock, {-outer, 0, outer}, {-outer, 0, -outer}, {-inner, top, -inner}, {-inner, top, inner},
            {-1, 0.4f, 0});

    const float roadRun = top / TanDegrees(22.0f);
    const float pile = 5.0f / TanDegrees(55.0f);
    const float gentle = 2.0f / TanDegrees(40.0f);
    const float steep = 2.0f / TanDegrees(52.0f);
    // Everything below is built for the west (red) half and turned 180 degrees for the east.
    for (int side = 0; side < 2; ++side) {
        const float s = side == 0 ? 1.0f : -1.0f;
        // Adding 0 keeps a turned 0 from becoming -0 (it would print as "-0.0").
        auto P = [s](float x, float y, float z) { return glm::vec3(s * x + 0.0f, y, s * z + 0.0f); };
        auto Box = [&](int piece, int material, glm::vec3 a, glm::vec3 b) {
            const glm::vec3 pa = P(a.x, a.y, a.z), pb = P(b.x, b.y, b.z);
            AddBox(level, piece, material, glm::min(pa, pb), glm::max(pa, pb));
        };
        // A ramp written for the west half; direction codes swap under the turn (+x <-> -x, +z <-> -z).
        auto Ramp = [&](int piece, int material, glm::vec3 a, glm::vec3 b, int direction) {
            const glm::vec3 pa = P(a.x, a.y, a.z), pb = P(b.x, b.y, b.z);
            const int turned = side == 0 ? direction : (direction ^ 1);
            AddRamp(level, piece, material, glm::min(pa, pb), glm::max(pa, pb), turned);
        };
        auto Stairs = [&](int piece, int material, glm::vec3 start, int direction, int count, float rise, float run,
                          float width) {
            const int turned = side == 0 ? direction : (direction ^ 1);
            AddStairs(level, piece, material, P(start.x, start.y, start.z), turned, count, rise, run, width);
        };
        const std::string half = side == 0 ? "west" : "east";
        const int team = side == 0 ? mRed : mBlue;

        // Ways up the mesa. The road and the climbs reach into the cliff, so that no gap opens between
        // them and the slope.
        const int ways = AddPiece(level, half + "_mesa_ways");
        Ramp(ways, mRoad, {-8, 0, -19.6f}, {-8 + roadRun, top, -12}, 0);
        Box(ways, mRoad, {-8 + roadRun, 0, -19.6f}, {-4 + roadRun, top, -12});
        Stairs(ways, mRoad, {-outer - 20 * 0.7f, 0, -2}, 0, 20, 0.35f, 0.7f, 4.0f);
        Box(ways, mRoad, {-outer, 0, -2}, {-inner, top, 2});
        Stairs(ways, mRock, {-10, 0, -outer - 10.0f}, 2, 10, 0.7f, 1.0f, 4.0f);
        Box(ways, mRock, {-14, 0, -outer}, {-10, top, -inner});
        Ramp(ways, mRock, {-outer - pile, 0, 4}, {-outer, 5, 10}, 0);
        // The scree's top meets the cliff where the cliff is 5 m high, not at its foot: a body that
        // slid into a crevice between the two could move no way at all.
        Box(ways, mRock, {-outer, 0, 4}, {-outer + 5.0f / TanDegrees(70.0f), 5, 10});

        // Cover on the mesa top: crates and a low parapet.
        const int summit = AddPiece(level, half + "_summit");
        Box(summit, mCrate, {-5, top, -5}, {-3.8f, top + 1.2f, -3.8f});
        Box(summit, mCrate, {-3.8f, top, -5}, {-2.6f, top + 1.2f, -3.8f});
        Box(summit, mCrate, {-8, top, 3}, {-6.2f, top + 1.8f, 4.8f});
        Box(summit, mBrick, {-11.6f, top, -9}, {-11.0f, top + 1.1f, -4});
        Box(summit, mBrick, {-11.6f, top, 4}, {-11.0f, top + 1.1f, 9});

        // The camp: a bunker wall behind, low side walls, a lookout with two ramps, a banner.
        const int camp = AddPiece(level, half + "_camp");
        Box(camp, mBrick, {-58.6f, 0, -14}, {-58, 3, 14});
        Box(camp, mBrick, {-58, 0, -14}, {-50, 2.2f, -13.4f});
        Box(camp, mBrick, {-58, 0, 13.4f}, {-50, 2.2f, 14});
        Box(camp, mBrick, {-46, 0, -12}, {-42, 2, -6});
        Ramp(camp, mRoad, {-42, 0, -12}, {-42 + gentle, 2, -9}, 1);
        Ramp(camp, mRock, {-42, 0, -9}, {-42 + steep, 2, -6}, 1);
        Box(camp, mCrate, {-44, 0, 5}, {-42.8f, 1.2f, 6.2f});
        Box(camp, mCrate, {-44, 0, 6.2f}, {-42.2f, 1.8f, 8});
        Box(camp, mCrate, {-40, 0, -2}, {-38.8f, 1.2f, -0.8f});
        Box(camp, team, {-57.95f, 0.6f, -4}, {-57.85f, 2.8f, 4});
        const int banners = AddPiece(level, half + "_lamps", false);
        Box(banners, mLamp, {-57.9f, 2.85f, -4}, {-57.7f, 3.0f, 4});
        Box(banners, mLamp, {-0.2f, top + 2.4f, -0.2f}, {0.2f, top + 2.6f, 0.2f});

        // Ruined walls around the foot of the mesa.
        const int ruins = AddPiece(level, half + "_ruins");
        Box(ruins, mBrick, {-22, 0, -9}, {-21.4f, 1.2f, -3});
        Box(ruins, mBrick, {-25, 0, 6}, {-19, 3, 6.6f});
        Box(ruins, mBrick, {-25, 0, 6.6f}, {-24.4f, 3, 9});
        Box(ruins, mBrick, {-4, 0, -25}, {2, 1.2f, -24.4f});
        Box(ruins, mBrick, {-20, 0, -22}, {-19.4f, 2.2f, -18});

        // Rocks on the dunes, half buried where they stand; the lanes at |z| 26..38 stay open.
        const struct {
            float x, z, yaw, hx, hy, hz;
        } rocks[] = {
            {-30, -44, 20, 2.5f, 1.6f, 1.8f}, {-22, -52, 45, 1.5f, 1.2f, 1.5f}, {-38, -22, 10, 3.0f, 2.2f, 2.0f},
            {-26, 42, 30, 2.0f, 1.4f, 2.5f},  {-42, 46, 60, 2.2f, 1.8f, 1.6f},  {-8, -44, 15, 1.8f, 1.1f, 1.4f},
            {-14, 48, 70, 3.0f, 2.5f, 2.0f},  {-34, 18, 35, 1.6f, 1.3f, 2.4f},  {-52, -40, 5, 3.5f, 3.0f, 2.5f},
            {-50, 44, 25, 2.8f, 2.4f, 3.0f},
        };
        const int stones = AddPiece(level, half + "_rocks");
        for (const auto& r : rocks) {
            const glm::vec3 c = P(r.x, 0, r.z);
            const float ground = GroundHeight(c.x, c.z);
            AddTurnedBox(level, stones, mRock, {c.x, ground + r.hy * 0.6f, c.z}, {r.hx, r.hy, r.hz}, r.yaw);
        }

        const std::string teamName = side == 0 ? "red_spawn." : "blue_spawn.";
        const glm::vec3 teamSpawns[4] = {{-53, 0, -8}, {-53, 0, 8}, {-55, 0, 0}, {-49, 0, 3}};
        for (int i = 0; i < 4; ++i) {
            LevelSpawn spawn;
            spawn.name = teamName + "00" + std::to_string(i + 1);
            spawn.position = P(teamSpawns[i].x, teamSpawns[i].y, teamSpawns[i].z);
            level.spawns.push_back(spawn);
        }
        const glm::vec3 freeSpawns[3] = {{-3, top, 5}, {-16, 0, -14}, {0, 0, -22.5f}};
        for (int i = 0; i < 3; ++i) {
            LevelSpawn spawn;
            spawn.name = "ffa_spawn.00" + std::to_string(side * 3 + i + 1);
            spawn.position = P(freeSpawns[i].x, freeSpawns[i].y, freeSpawns[i].z);
            level.spawns.push_back(spawn);
        }

        const glm::vec3 teamColour = side == 0 ? glm::vec3(1.0f, 0.4f, 0.3f) : glm::vec3(0.35f, 0.5f, 1.0f);
        level.lights.push_back({P(-56, 3.5f, 0), teamColour, 500.0f, 2.0f});
        level.lights.push_back({P(-44, 3.0f, -9), {1.0f, 0.8f, 0.55f}, 250.0f, 1.0f});
        level.lights.push_back({P(-21, 3.5f, 8), {1.0f, 0.75f, 0.5f}, 200.0f, 1.0f});
    }
    level.lights.push_back({{0, top + 2.5f, 0}, {1.0f, 0.85f, 0.6f}, 900.0f, 1.5f});
    return level;
}
