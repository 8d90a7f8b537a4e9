#include "tools/assetgen/map_levels.h"

#include "tools/assetgen/procedural_textures.h"

// SUBLEVEL: an underground facility, 48 x 64 m, 8 m high. Red's base is the north room, blue's the
// south room (point-symmetric about the centre, so neither side has the better half). Between them:
// a central hall with a second floor (two 5 m wide galleries along its long walls, joined by a bridge
// over the middle), each gallery reached by a staircase at one end and a ramp at the other; two side
// corridors parallel to the hall, with doors into it; a skylight over the middle of the hall.
//
// Heights against the movement limits (step 0.45 m, walkable slope 46 degrees): stair risers 0.3 m,
// the bases' daises 0.6 m (jump), ramps of 24 degrees, and 60-degree rubble wedges that cannot be
// walked up.
Level BuildMapOne() {
    Level level;
    LevelMaterial floor{"floor_tiles", TileTexture("floor_tiles", 128, 0x6a6e72, 0x2a2c30, 4, 1)};
    floor.tile = 2.0f;
    floor.previewColour = {0.32f, 0.34f, 0.36f};
    LevelMaterial wall{"wall_panels", PanelTexture("wall_panels", 128, 0x4d5a66, 0x1c2026, 2, 2)};
    wall.tile = 3.0f;
    wall.roughness = 0.7f;
    wall.metallic = 0.3f;
    wall.previewColour = {0.2f, 0.25f, 0.3f};
    LevelMaterial trim{"hazard_trim", StripeTexture("hazard_trim", 64, 0xd8a21c, 0x202020, 8)};
    trim.tile = 1.0f;
    trim.previewColour = {0.7f, 0.5f, 0.08f};
    LevelMaterial crate{"crate", CrateTexture("crate", 128, 0x9a6a3a, 0x4a3420, 3)};
    crate.tile = 1.2f;
    crate.previewColour = {0.45f, 0.3f, 0.15f};
    LevelMaterial red{"red_panels", PanelTexture("red_panels", 64, 0x9a2a22, 0x30100c, 2, 4)};
    red.tile = 2.0f;
    red.previewColour = {0.6f, 0.12f, 0.1f};
    LevelMaterial blue{"blue_panels", PanelTexture("blue_panels", 64, 0x2450a0, 0x0c1430, 2, 5)};
    blue.tile = 2.0f;
    blue.previewColour = {0.12f, 0.22f, 0.6f};
    LevelMaterial ceiling{"ceiling", TileTexture("ceiling", 64, 0x3a3c40, 0x18191b, 2, 6)};
    ceiling.tile = 4.0f;
    LevelMaterial lamp{"light_strip", PanelTexture("light_strip", 32, 0xfff4e0, 0xc8c0b0, 1, 8)};
    lamp.baseColor = {1.0f, 0.95f, 0.85f, 1.0f};
    lamp.emissive = {1.0f, 0.92f, 0.78f};
    lamp.previewColour = {1.0f, 0.95f, 0.8f};
    LevelMaterial rubble{"rubble", GrainTexture("rubble", 64, 0x5e5a54, 0x2e2c28, 7)};
    rubble.tile = 1.5f;
    rubble.previewColour = {0.3f, 0.29f, 0.27f};

    const int mFloor = AddMaterial(level, floor);
    const int mWall = AddMaterial(level, wall);
    const int mTrim = AddMaterial(level, trim);
    const int mCrate = AddMaterial(level, crate);
    const int mRed = AddMaterial(level, red);
    const int mBlue = AddMaterial(level, blue);
    const int mCeiling = AddMaterial(level, ceiling);
    const int mLamp = AddMaterial(level, lamp);
    const int mRubble = AddMaterial(level, rubble);

    const float height = 8.0f;
    const float halfX = 24.0f, halfZ = 32.0f;

    // Shell: floor, outer walls, ceiling with the skylight opening over the hall's middle.
    const int shell = AddPiece(level, "facility_shell");
    AddBox(level, shell, mFloor, {-halfX, -0.5f, -halfZ}, {halfX, 0.0f, halfZ}, 8u);
    AddBox(level, shell, mWall, {-halfX - 1, 0, -halfZ - 1}, {halfX + 1, height, -halfZ});
    AddBox(level, shell, mWall, {-halfX - 1, 0, halfZ}, {halfX + 1, height, halfZ + 1});
    AddBox(level, shell, mWall, {-halfX - 1, 0, -halfZ}, {-halfX, height, halfZ});
    AddBox(level, shell, mWall, {halfX, 0, -halfZ}, {halfX + 1, height, halfZ});
    const int roof = AddPiece(level, "facility_ceiling");
    level.pieces[size_t(roof)].inPreview = false;
    AddBox(level, roof, mCeiling, {-halfX, height, -halfZ}, {halfX, height + 0.5f, -8}, kAllFaces);
    AddBox(level, roof, mCeiling, {-halfX, height, 8}, {halfX, height + 0.5f, halfZ}, kAllFaces);
    AddBox(level, roof, mCeiling, {-halfX, height, -8}, {-8, height + 0.5f, 8}, kAllFaces);
    AddBox(level, roof, mCeiling, {8, height, -8}, {halfX, height + 0.5f, 8}, kAllFaces);

    // Everything below is built for the red (north) half and turned 180 degrees about the centre for
    // the blue half.
    for (int side = 0; side < 2; ++side) {
        const float s = side == 0 ? 1.0f : -1.0f;  // 1: as written (north, red); -1: turned
        // Adding 0 keeps a turned 0 from becoming -0 (it would print as "-0.0").
        auto P = [s](float x, float y, float z) { return glm::vec3(s * x + 0.0f, y, s * z + 0.0f); };
        auto Box = [&](int piece, int material, glm::vec3 a, glm::vec3 b, unsigned faces = kNoBottom) {
            const glm::vec3 pa = P(a.x, a.y, a.z), pb = P(b.x, b.y, b.z);
            AddBox(level, piece, material, glm::min(pa, pb), glm::max(pa, pb), faces);
        };
        const int team = side == 0 ? mRed : mBlue;
        const std::string half = side == 0 ? "north" : "south";

        // Base wall at z = -20 with three doorways (corridor, centre, corridor), lintels above them.
        const int walls = AddPiece(level, half + "_walls");
        const float wz0 = -20.3f, wz1 = -19.7f;
        Box(walls, mWall, {-24, 0, wz0}, {-21, height, wz1});
        Box(walls, mWall, {-18, 0, wz0}, {-3, height, wz1});
        Box(walls, mWall, {3, 0, wz0}, {18, height, wz1});
        Box(walls, mWall, {21, 0, wz0}, {24, height, wz1});
        for (float door : {-21.0f, -3.0f, 18.0f}) {
            const float w = door == -3.0f ? 6.0f : 3.0f;
            Box(walls, mWall, {door, 3.2f, wz0}, {door + w, height, wz1}, kAllFaces);
            Box(walls, mTrim, {door, 3.0f, wz0 - 0.05f}, {door + w, 3.2f, wz1 + 0.05f}, kAllFaces);
        }
        // Corridor walls (x = -16 on this half's west, x = +16 on its east) from the base wall to the
        // middle, with doors into the hall at z -8..-5 and -2..0 (the turned half adds 0..2).
        for (float wx : {-16.0f, 16.0f}) {
            Box(walls, mWall, {wx - 0.3f, 0, -19.7f}, {wx + 0.3f, height, -8});
            Box(walls, mWall, {wx - 0.3f, 0, -5}, {wx + 0.3f, height, -2});
            Box(walls, mWall, {wx - 0.3f, 3.0f, -8}, {wx + 0.3f, height, -5}, kAllFaces);
            Box(walls, mWall, {wx - 0.3f, 3.0f, -2}, {wx + 0.3f, height, 0}, kAllFaces);
        }

        // The base: team panels on the back wall, a 0.6 m dais with a 0.3 m step, crates by the doors,
        // 60-degree rubble piles in the corners.
        const int base = AddPiece(level, half + "_base");
        Box(base, team, {-10, 0.5f, -31.9f}, {10, 6, -31.7f}, kAllFaces);
        Box(base, team, {-6, 0, -31.7f}, {6, 0.6f, -27});
        Box(base, mTrim, {-3, 0, -27}, {3, 0.3f, -26.4f});
        Box(base, mCrate, {-8.2f, 0, -22.4f}, {-6.4f, 1.8f, -20.6f});
        Box(base, mCrate, {6.4f, 0, -22.4f}, {8.2f, 1.2f, -21.2f});
        Box(base, mCrate, {-15.5f, 0, -24}, {-14.3f, 1.2f, -22.8f});
        Box(base, mCrate, {14.3f, 0, -26}, {15.5f, 2.4f, -24.8f});
        const float pile = 2.0f / 1.7320508f;  // 2 m high over 1.15 m: 60 degrees
        if (side == 0) {
            AddRamp(level, base, mRubble, {-24, 0, -30}, {-24 + pile, 2, -26}, 1);
            AddRamp(level, base, mRubble, {24 - pile, 0, -30}, {24, 2, -26}, 0);
        } else {
            AddRamp(level, base, mRubble, {24 - pile, 0, 26}, {24, 2, 30}, 0);
            AddRamp(level, base, mRubble, {-24, 0, 26}, {-24 + pile, 2, 30}, 1);
        }

        // The hall's second floor on this half: the north parts of the west and east galleries
        // (x 10.7..15.7 either side, top at 3.6 m, reaching back to the base wall), the bridge's half,
        // railings, pillars. Along the base wall, a 27-degree ramp climbs west to the west gallery and
        // a staircase of 12 risers of 0.3 m climbs east to the east gallery; their low ends face the
        // centre door's lane.
        const int upper = AddPiece(level, half + "_gallery");
        Box(upper, mFloor, {-15.7f, 3.2f, -19.7f}, {-10.7f, 3.6f, 0}, kAllFaces);
        Box(upper, mFloor, {10.6f, 3.2f, -19.7f}, {15.7f, 3.6f, 0}, kAllFaces);
        Box(upper, mTrim, {-10.85f, 3.6f, -16.2f}, {-10.7f, 4.6f, -1.5f}, kAllFaces);
        Box(upper, mTrim, {10.7f, 3.6f, -16.2f}, {10.85f, 4.6f, -1.5f}, kAllFaces);
        Box(upper, mFloor, {-10.7f, 3.2f, -1.5f}, {0, 3.6f, 0}, kAllFaces);
        Box(upper, mFloor, {0, 3.2f, -1.5f}, {10.7f, 3.6f, 0}, kAllFaces);
        Box(upper, mTrim, {-10.7f, 3.6f, -1.5f}, {10.7f, 4.6f, -1.35f}, kAllFaces);
        if (side == 0) {
            AddRamp(level, upper, mFloor, {-10.7f, 0, -19.7f}, {-3.5f, 3.6f, -16.2f}, 1);
            AddStairs(level, upper, mTrim, {3.5f, 0, -19.7f}, 0, 12, 0.3f, 0.6f, 3.5f);
        } else {
            AddRamp(level, upper, mFloor, {3.5f, 0, 16.2f}, {10.7f, 3.6f, 19.7f}, 0);
            AddStairs(level, upper, mTrim, {-3.5f, 0, 19.7f}, 1, 12, 0.3f, 0.6f, 3.5f);
        }
        for (float z : {-16.0f, -10.0f, -4.0f}) {
            for (float x : {-11.2f, 11.2f}) {
                const glm::vec3 c = P(x, 0, z);
                AddPrism(level, upper, mWall, c, 0.45f, 8, 3.2f);
            }
        }

        // Cover on the hall floor: crates and low walls, none on the lanes to the doors.
        const int cover = AddPiece(level, half + "_cover");
        Box(cover, mCrate, {-6, 0, -15}, {-4.8f, 1.2f, -13.8f});
        Box(cover, mCrate, {-4.8f, 0, -15}, {-3.6f, 1.2f, -13.8f});
        Box(cover, mCrate, {-6, 1.2f, -15}, {-4.8f, 2.4f, -13.8f});
        Box(cover, mCrate, {4.5f, 0, -10}, {6.3f, 1.8f, -8.2f});
        Box(cover, mTrim, {-2.5f, 0, -6.2f}, {2.5f, 1.1f, -5.8f});
        Box(cover, mWall, {-9, 0, -15}, {-8.6f, 1.1f, -11});
        Box(cover, mWall, {8.6f, 0, -15}, {9, 1.1f, -11});
        // Corridors: staggered low walls and crates.
        Box(cover, mWall, {-24, 0, -12.2f}, {-20.5f, 1.1f, -11.8f});
        Box(cover, mWall, {-19.5f, 0, -4.2f}, {-16.3f, 1.1f, -3.8f});
        Box(cover, mCrate, {20, 0, -14}, {21.2f, 1.2f, -12.8f});
        Box(cover, mCrate, {18, 0, -6}, {19.8f, 1.8f, -4.2f});
        // 60-degree rubble against the corridor's outer wall.
        if (side == 0) {
            AddRamp(level, cover, mRubble, {-24, 0, -18}, {-24 + pile, 2, -15}, 1);
        } else {
            AddRamp(level, cover, mRubble, {24 - pile, 0, 15}, {24, 2, 18}, 0);
        }

        // Light strips along the corridors and the hall (decoration, not solid).
        const int strips = AddPiece(level, half + "_light_strips", false);
        Box(strips, mLamp, {-23.95f, 6.0f, -19}, {-23.85f, 6.2f, -1}, kAllFaces);
        Box(strips, mLamp, {23.85f, 6.0f, -19}, {23.95f, 6.2f, -1}, kAllFaces);
        Box(strips, mLamp, {-15.65f, 6.0f, -19}, {-15.55f, 6.2f, -1}, kAllFaces);
        Box(strips, mLamp, {15.55f, 6.0f, -19}, {15.65f, 6.2f, -1}, kAllFaces);
        Box(strips, mLamp, {-8, 7.9f, -30}, {8, 8.0f, -29.8f}, kAllFaces);

        // Spawns: the team's four in its base (facing left to the loader: toward the other team),
        // three free-for-all spawns on this half (one on the gallery).
        const std::string teamName = side == 0 ? "red_spawn." : "blue_spawn.";
        const glm::vec3 teamSpawns[4] = {{-12, 0, -27}, {12, 0, -27}, {-4, 0, -23.5f}, {4, 0, -23.5f}};
        for (int i = 0; i < 4; ++i) {
            LevelSpawn spawn;
            spawn.name = teamName + "00" + std::to_string(i + 1);
            spawn.position = P(teamSpawns[i].x, teamSpawns[i].y, teamSpawns[i].z);
            level.spawns.push_back(spawn);
        }
        const glm::vec3 freeSpawns[3] = {{-20, 0, -8}, {2, 0, -11}, {-13.2f, 3.6f, -6}};
        for (int i = 0; i < 3; ++i) {
            LevelSpawn spawn;
            spawn.name = "ffa_spawn.00" + std::to_string(side * 3 + i + 1);
            spawn.position = P(freeSpawns[i].x, freeSpawns[i].y, freeSpawns[i].z);
            if (i == 0) {
                spawn.hasFacing = true;
                spawn.facing = side == 0 ? 180.0f : 0.0f;  // down the corridor
            }
            level.spawns.push_back(spawn);
        }

        // Lights: the base in team colour, the corridor, the hall.
        const glm::vec3 teamColour = side == 0 ? glm::vec3(1.0f, 0.35f, 0.28f) : glm::vec3(0.3f, 0.45f, 1.0f);
        level.lights.push_back({P(0, 6.5f, -26), teamColour, 800.0f, 3.0f});
        level.lights.push_back({P(-20, 6.0f, -10), {1.0f, 0.9f, 0.75f}, 400.0f, 1.5f});
        level.lights.push_back({P(20, 6.0f, -10), {1.0f, 0.9f, 0.75f}, 400.0f, 1.5f});
        level.lights.push_back({P(0, 7.0f, -14), {0.85f, 0.92f, 1.0f}, 600.0f, 2.0f});
    }
    // The skylight's daylight over the middle.
    level.lights.push_back({{0, 7.8f, 0}, {0.9f, 0.95f, 1.0f}, 1500.0f, 6.0f});
    return level;
}
