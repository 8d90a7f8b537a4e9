#include "game/map_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/gltf_document.h"
#include "game/tuning.h"
#include "support/gltf_text.h"
#include "support/temp_folder.h"

namespace {

using testsupport::BoxMesh;
using testsupport::FixtureGltf;
using testsupport::FixtureMesh;
using testsupport::FixtureNode;
using testsupport::QuadMesh;

struct LoadResult {
    bool ok = false;
    std::string out;
    std::string err;
};

LoadResult LoadFixture(MapGeometry& map, const std::string& text, float scale, const std::string& path = "fixture.gltf") {
    GltfDocument doc;
    EXPECT_TRUE(LoadGltfDocumentFromBytes(doc, reinterpret_cast<const unsigned char*>(text.data()), text.size(), path,
                                          "", "[map]"));
    LoadResult result;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    result.ok = LoadMapGeometryFromDocument(map, doc, path, scale);
    result.out = testing::internal::GetCapturedStdout();
    result.err = testing::internal::GetCapturedStderr();
    return result;
}

// A folder of its own under the test's temporary folder, removed at the end of the test.
struct MapFolder {
    testsupport::TempFolder folder;
    std::filesystem::path path{folder.Path()};
    std::string Write(const std::string& name, const std::string& text) const {
        const std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
};

std::string BasicLevel() {
    const std::vector<FixtureMesh> meshes = {
        QuadMesh(-10, -10, 10, 10, 0),
        BoxMesh({2, 0, 2}, {3, 1, 3}),
        BoxMesh({-0.5f, 0, -0.5f}, {0.5f, 2, 0.5f}),
    };
    std::vector<FixtureNode> nodes(10);
    nodes[0] = {"Floor", 0, {0, 0, 0}, "", false, {}};
    nodes[1] = {"Red_Spawn.001", -1, {1, 0, -8}, R"({"facing_degrees": 45})", false, {}};
    nodes[2] = {"BLUE_SPAWN", -1, {-1, 0, 8}, R"({"team": "red"})", false, {}};
    nodes[3] = {"Crate", 1, {0, 0, 0}, "", false, {}};
    nodes[4] = {"ffa_spawn_marker", 2, {5, 0, 5}, "", false, {}};
    nodes[5] = {"Ghost", 1, {0, 0, -5}, R"({"collision": false})", false, {}};
    nodes[6] = {"Rig", 1, {0, 0, 0}, "", true, {}};
    nodes[7] = {"Marker", -1, {0, 0, 5}, R"({"gameplay_type": "spawn", "team": "blue"})", false, {}};
    nodes[8] = {"red_spawn_hidden", 2, {0, 0, 0}, R"({"collision": false})", false, {}};
    nodes[9] = {"Empty", -1, {3, 3, 3}, "", false, {}};
    return FixtureGltf(meshes, nodes);
}

TEST(MapGeometry, ReadsTrianglesSpawnsAndReportsThem) {
    MapGeometry map;
    const LoadResult r = LoadFixture(map, BasicLevel(), 2.0f);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(map.triangles.size(), 14u) << "the floor and the crate; not the ghost, the rig or the markers";
    EXPECT_EQ(map.bounds.min, glm::vec3(-20, 0, -20));
    EXPECT_EQ(map.bounds.max, glm::vec3(20, 2, 20));
    ASSERT_EQ(map.spawns.size(), 4u);
    const struct {
        glm::vec3 position;
        uint8_t team;
    } expected[] = {
        {{2, 0, -16}, kTeamRed}, {{-2, 0, 16}, kTeamRed}, {{10, 0, 10}, kTeamNone}, {{0, 0, 10}, kTeamBlue}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(map.spawns[i].position, expected[i].position) << i;
        EXPECT_EQ(map.spawns[i].team, expected[i].team) << i;
    }
    EXPECT_EQ(map.spawns[0].facing, 45.0f) << "given by its extras";
    EXPECT_EQ(r.out,
              "[map] spawns: 2 red, 1 blue, 1 free-for-all\n"
              "[map] fixture.gltf: 14 triangles, 4 spawns, 0 lights, bounds 40.0 x 2.0 x 40.0 m\n"
              "[map]   RED  spawn at 2.0 0.0 -16.0 facing 45 deg\n"
              "[map]   RED  spawn at -2.0 0.0 16.0 facing -18 deg\n"
              "[map]   NONE spawn at 10.0 0.0 10.0 facing 45 deg\n"
              "[map]   BLUE spawn at 0.0 0.0 10.0 facing 0 deg\n");
}

TEST(MapGeometry, UnsetFacingsLookAtTheOtherTeamOrTheMiddle) {
    MapGeometry map;
    const LoadResult r = LoadFixture(map, BasicLevel(), 2.0f);
    ASSERT_TRUE(r.ok);
    // Red at (-2, 16) looks at the blue centroid (0, 10); blue at (0, 10) at the red centroid (0, 0);
    // free-for-all at (10, 10) at the middle (0, 0).
    EXPECT_NEAR(map.spawns[1].facing, std::atan2(-2.0f, 6.0f) * 57.29578f, 1e-4f);
    EXPECT_EQ(map.spawns[3].facing, 0.0f);
    EXPECT_NEAR(map.spawns[2].facing, 45.0f, 1e-4f);

    // A lone spawn standing exactly on the other team's centroid keeps 0; the other side faces 180.
    const std::vector<FixtureNode> nodes = {{"floor", 0, {0, 0, 0}, "", false, {}},
                                            {"red_spawn", -1, {0, 0, 4}, "", false, {}},
                                            {"blue_spawn", -1, {0, 0, 4}, "", false, {}},
                                            {"blue_spawn.001", -1, {0, 0, -4}, "", false, {}}};
    ASSERT_TRUE(LoadFixture(map, FixtureGltf({QuadMesh(-10, -10, 10, 10, 0)}, nodes), 1.0f).ok);
    EXPECT_EQ(map.spawns[0].facing, 0.0f) << "red at (0, 4) looks at the blue centroid (0, 0): straight along -z";
    EXPECT_EQ(map.spawns[1].facing, 0.0f) << "blue standing on the red centroid";
    EXPECT_NEAR(std::fabs(map.spawns[2].facing), 180.0f, 1e-4f);
}

TEST(MapGeometry, SpawnOutsideTheLevelIsReported) {
    const std::vector<FixtureNode> nodes = {{"floor", 0, {0, 0, 0}, "", false, {}},
                                            {"red_spawn", -1, {50, 0, 0}, "", false, {}}};
    MapGeometry map;
    const LoadResult r = LoadFixture(map, FixtureGltf({QuadMesh(-10, -10, 10, 10, 0)}, nodes), 1.0f);
    EXPECT_TRUE(r.ok) << "a warning does not fail the load";
    EXPECT_EQ(r.err,
              "[map] RED spawn at 50.0 0.0 0.0 is OUTSIDE the level (x -10.0..10.0, z -10.0..10.0) -- the marker has "
              "not moved with it\n");
    EXPECT_EQ(map.spawns.size(), 1u);
}

TEST(MapGeometry, SpawnOverAHoleIsReported) {
    const std::vector<FixtureNode> nodes = {{"left", 0, {0, 0, 0}, "", false, {}},
                                            {"right", 1, {0, 0, 0}, "", false, {}},
                                            {"blue_spawn", -1, {0, 0, 0}, "", false, {}},
                                            {"ffa_spawn", -1, {5, 0, 0}, "", false, {}}};
    MapGeometry map;
    const LoadResult r =
        LoadFixture(map, FixtureGltf({QuadMesh(-10, -10, -2, 10, 0), QuadMesh(2, -10, 10, 10, 0)}, nodes), 1.0f);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.err, "[map] BLUE spawn at 0.0 0.0 0.0 has no floor beneath it\n");
}

TEST(MapGeometry, MarkersAloneAreNoLevel) {
    const std::vector<FixtureNode> nodes = {{"red_spawn", -1, {1, 0, 0}, "", false, {}},
                                            {"blue_spawn_box", 0, {0, 0, 0}, "", false, {}}};
    MapGeometry map;
    const LoadResult r = LoadFixture(map, FixtureGltf({BoxMesh({0, 0, 0}, {1, 1, 1})}, nodes), 1.0f);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.err, "[map] fixture.gltf has no solid geometry\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(map.spawns.size(), 2u) << "what was read stays in the record";
    EXPECT_TRUE(map.triangles.empty());
}

TEST(MapGeometry, TeamOverrideByExtras) {
    const struct {
        const char* name;
        const char* extras;
        bool spawn;
        uint8_t team;
    } cases[] = {
        {"BLUE_SPAWN", R"({"team":"red"})", true, kTeamRed},
        {"red_spawn", R"({"team":"blue"})", true, kTeamBlue},
        {"ffa_spawn.004", R"({"team":"Red"})", true, kTeamNone},
        {"Blue_Spawn", R"({"team":"green"})", true, kTeamBlue},
        {"point", R"({"gameplay_type":"spawn"})", true, kTeamNone},
        {"point", R"({"gameplay_type":"spawn","team":"red"})", true, kTeamRed},
        {"point", R"({"team":"red"})", false, kTeamNone},
        {"point", R"({"gameplay_type":"Spawn"})", false, kTeamNone},
        {"my_red_spawn", "", false, kTeamNone},
    };
    for (const auto& c : cases) {
        const std::vector<FixtureNode> nodes = {{"floor", 0, {0, 0, 0}, "", false, {}},
                                                {c.name, -1, {0, 0, 0}, c.extras, false, {}}};
        MapGeometry map;
        ASSERT_TRUE(LoadFixture(map, FixtureGltf({QuadMesh(-1, -1, 1, 1, 0)}, nodes), 1.0f).ok);
        ASSERT_EQ(map.spawns.size(), c.spawn ? 1u : 0u) << c.name << " " << c.extras;
        if (c.spawn) {
            EXPECT_EQ(map.spawns[0].team, c.team) << c.name << " " << c.extras;
        }
    }
}

TEST(MapGeometry, IndicesModesAndDegenerateTriangles) {
    FixtureMesh mesh;
    mesh.positions = {{1, 0, 1}, {3, 0, 1}, {3, 0, 3}, {1, 0, 3}};
    // Two good triangles, one whose third index is past the vertices (reads (0, 0, 0)), a degenerate
    // one, then two trailing indices.
    mesh.indices = {0, 1, 2, 0, 2, 3, 0, 1, 9, 0, 0, 1, 2, 3};
    FixtureMesh lines = QuadMesh(0, 0, 1, 1, 5);
    lines.mode = 1;
    FixtureMesh unindexed;
    unindexed.positions = {{0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 2, 0}};
    const std::vector<FixtureNode> nodes = {{"a", 0, {0, 0, 0}, "", false, {}},
                                            {"b", 1, {0, 0, 0}, "", false, {}},
                                            {"c", 2, {0, 0, 0}, "", false, {}}};
    MapGeometry map;
    ASSERT_TRUE(LoadFixture(map, FixtureGltf({mesh, lines, unindexed}, nodes), 1.0f).ok);
    ASSERT_EQ(map.triangles.size(), 4u);
    EXPECT_EQ(map.triangles[2].v[2], glm::vec3(0, 0, 0));
    EXPECT_EQ(map.triangles[3].v[0], glm::vec3(0, 1, 0));
    EXPECT_EQ(map.bounds.max.y, 2.0f) << "every vertex widens the bounds, used or not";
}

TEST(MapGeometry, ScaleNotAboveZeroIsOne) {
    for (float scale : {0.0f, -3.0f, 1.0f}) {
        MapGeometry map;
        ASSERT_TRUE(LoadFixture(map, BasicLevel(), scale).ok) << scale;
        EXPECT_EQ(map.bounds.max, glm::vec3(10, 1, 10)) << scale;
        EXPECT_EQ(map.spawns[0].position, glm::vec3(1, 0, -8)) << scale;
    }
}

TEST(MapGeometry, NodeHierarchyPlacesMarkers) {
    std::vector<FixtureNode> nodes = {{"floor", 0, {0, 0, 0}, "", false, {}},
                                      {"group", -1, {4, 1, 0}, "", false, {2}},
                                      {"red_spawn", -1, {1, 0, 1}, "", false, {}}};
    MapGeometry map;
    ASSERT_TRUE(LoadFixture(map, FixtureGltf({QuadMesh(-10, -10, 10, 10, 0)}, nodes), 1.0f).ok);
    ASSERT_EQ(map.spawns.size(), 1u);
    EXPECT_EQ(map.spawns[0].position, glm::vec3(5, 1, 1));
}

TEST(MapGeometry, SidecarLights) {
    MapFolder folder;
    const std::string path = folder.Write("level.gltf", BasicLevel());
    folder.Write("level.gameplay.json", R"({"area_lights": [
        {"position": [1, 2, 3], "color_linear": [0.5, 0.25, 1], "blender_energy_watts": 250, "size_metres": 0.5},
        {"position": [1, 2], "color_linear": "red", "blender_energy_watts": "hot"},
        {},
        5]})");
    MapGeometry map;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(LoadMapGeometry(map, path, 2.0f));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(out.find("14 triangles, 4 spawns, 3 lights"), std::string::npos) << out;
    ASSERT_EQ(map.lights.size(), 3u);
    EXPECT_EQ(map.lights[0].position, glm::vec3(2, 4, 6));
    EXPECT_EQ(map.lights[0].colour, glm::vec3(0.5f, 0.25f, 1.0f));
    EXPECT_EQ(map.lights[0].energy, 250.0f) << "energies are not scaled";
    EXPECT_EQ(map.lights[0].size, 1.0f);
    EXPECT_EQ(map.lights[1].position, glm::vec3(0, 0, 0));
    EXPECT_EQ(map.lights[1].colour, glm::vec3(1, 1, 1));
    EXPECT_EQ(map.lights[1].energy, 100.0f);
    EXPECT_EQ(map.lights[2].size, 2.0f);
}

TEST(MapGeometry, SidecarIsReadBySearchAndNeverComplains) {
    const AreaLight plain;
    const struct {
        const char* what;
        const char* sidecar;  // null: no file
        std::vector<AreaLight> lights;
    } cases[] = {
        {"missing", nullptr, {}},
        {"no area_lights", R"({"other": [1, 2]})", {}},
        {"area_lights not a list", R"({"area_lights": {"position": [1, 2, 3]}})", {}},
        {"key without a colon", R"({"area_lights" [{"size_metres": 2}]})", {}},
        {"cut off before any light is closed", "{\"area_lights\": [{\"size_metres\": 2", {}},
        {"cut off after the first light",
         "{\"area_lights\": [{\"size_metres\": 2, \"position\": [1,2,3]}, {\"size_metres\": 3",
         {{{1, 2, 3}, plain.colour, plain.energy, 2.0f}}},
        {"trailing commas and a nested key", R"({"level": {"area_lights": [{"blender_energy_watts": 7,},],},})",
         {{plain.position, plain.colour, 7.0f, plain.size}}},
        {"first of a repeated key, numbers as strtof reads them",
         R"({"area_lights": [{"size_metres": 3, "size_metres": 4, "color_linear":[ 0.5 , 2e-1 ,+1 ]}]})",
         {{plain.position, {0.5f, 0.2f, 1.0f}, plain.energy, 3.0f}}},
        {"a missing comma or number keeps the whole default",
         R"({"area_lights": [{"position": [1 2 3], "color_linear": [1, 2], "size_metres": "big"}]})", {plain}},
        {"the end of the list ends the scan", R"({"area_lights": [], "more": [{"size_metres": 2}]})", {}},
    };
    for (const auto& c : cases) {
        MapFolder folder;
        const std::string path = folder.Write("level.gltf", BasicLevel());
        if (c.sidecar) folder.Write("level.gameplay.json", c.sidecar);
        std::vector<AreaLight> lights;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        LoadGameplayJson(path, 1.0f, lights);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.what;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.what;
        ASSERT_EQ(lights.size(), c.lights.size()) << c.what;
        for (size_t i = 0; i < lights.size(); ++i) {
            EXPECT_EQ(lights[i].position, c.lights[i].position) << c.what;
            EXPECT_EQ(lights[i].colour, c.lights[i].colour) << c.what;
            EXPECT_EQ(lights[i].energy, c.lights[i].energy) << c.what;
            EXPECT_EQ(lights[i].size, c.lights[i].size) << c.what;
        }
    }
}

TEST(MapGeometry, SidecarPath) {
    EXPECT_EQ(GameplayJsonPath("maps/Map One/map_one.glb"), "maps/Map One/map_one.gameplay.json");
    EXPECT_EQ(GameplayJsonPath("level.v2.glb"), "level.v2.gameplay.json");
    EXPECT_EQ(GameplayJsonPath("level"), "");
    EXPECT_EQ(GameplayJsonPath("maps.old/level"), "");
}

TEST(MapGeometry, MalformedFilesFailWithOneLine) {
    MapFolder folder;
    const std::string broken = folder.Write("broken.glb", "glTF\x02\x00\x00\x00");
    std::string pastBuffer = FixtureGltf({QuadMesh(-1, -1, 1, 1, 0)}, {{"floor", 0, {0, 0, 0}, "", false, {}}});
    const size_t count = pastBuffer.find("\"count\":4");
    ASSERT_NE(count, std::string::npos);
    pastBuffer.replace(count, 9, "\"count\":40");
    const std::string past = folder.Write("past.gltf", pastBuffer);
    const struct {
        std::string path;
        std::string err;
    } cases[] = {
        {broken, "[map] failed to parse " + broken + "\n"},
        {past, "[map] failed to load buffers for " + past + "\n"},
        {(folder.path / "missing.glb").string(), "[map] failed to parse " + (folder.path / "missing.glb").string() + "\n"},
    };
    for (const auto& c : cases) {
        MapGeometry map;
        map.spawns.push_back({});
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(LoadMapGeometry(map, c.path, 1.0f));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_TRUE(map.spawns.empty() && map.triangles.empty()) << "cleared first";
    }
}

TEST(MapGeometry, DistanceToFloorFindsTheHighestBelow) {
    MapGeometry map;
    map.triangles = {{{{-10, 0, -10}, {10, 0, -10}, {10, 0, 10}}}, {{{-10, 0, -10}, {10, 0, 10}, {-10, 0, 10}}},
                     {{{0, 1, 0}, {2, 1, 0}, {2, 1, 2}}}};
    const struct {
        glm::vec3 point;
        float limit;
        float expected;
    } cases[] = {
        {{1.5f, 5, 0.5f}, 100, 4.0f},  {{1.5f, 0.5f, 0.5f}, 100, 0.5f}, {{0.5f, 5, 1.5f}, 100, 5.0f},
        {{1.5f, 5, 0.5f}, 3, -1.0f},   {{50, 5, 0}, 100, -1.0f},        {{1.5f, 1, 0.5f}, 100, 0.0f},
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(map.DistanceToFloor(c.point, c.limit), c.expected)
            << c.point.x << " " << c.point.y << " " << c.point.z << " limit " << c.limit;
    }
}

TEST(MapGeometry, ExtrasReaders) {
    const std::string extras = R"({"team":"red","facing_degrees":90.5,"collision":false,"n":"7","t":true})";
    EXPECT_EQ(GetExtraString(extras, "team"), "red");
    EXPECT_EQ(GetExtraString(extras, "facing_degrees"), "");
    EXPECT_EQ(GetExtraString(extras, "missing"), "");
    EXPECT_EQ(GetExtraFloat(extras, "facing_degrees", -1e9f), 90.5f);
    EXPECT_EQ(GetExtraFloat(extras, "n", -1e9f), -1e9f);
    EXPECT_EQ(GetExtraFloat(extras, "missing", 3.0f), 3.0f);
    EXPECT_FALSE(GetExtraBool(extras, "collision", true));
    EXPECT_TRUE(GetExtraBool(extras, "t", false));
    EXPECT_TRUE(GetExtraBool(extras, "team", true));
    EXPECT_TRUE(GetExtraBool("", "collision", true));
    EXPECT_EQ(GetExtraString("not json", "team"), "");
}

TEST(MapGeometry, TeamsAndSpawnKinds) {
    const auto& kinds = GetSpawnKinds();
    EXPECT_STREQ(kinds[0].name, "red_spawn");
    EXPECT_EQ(kinds[0].team, 0);
    EXPECT_STREQ(kinds[1].name, "blue_spawn");
    EXPECT_EQ(kinds[1].team, 1);
    EXPECT_STREQ(kinds[2].name, "ffa_spawn");
    EXPECT_EQ(kinds[2].team, 255);
    const struct {
        uint8_t team;
        const char* name;
        uint8_t opposing;
    } cases[] = {{0, "RED", 1}, {1, "BLUE", 0}, {255, "NONE", 255}, {2, "NONE", 255}};
    for (const auto& c : cases) {
        EXPECT_STREQ(TeamName(c.team), c.name);
        EXPECT_EQ(OpposingTeam(c.team), c.opposing);
    }
    MapGeometry map;
    map.spawns = {{{0, 0, 0}, 0, 1}, {{1, 0, 0}, 0, 0}, {{2, 0, 0}, 0, 1}, {{3, 0, 0}, 0, 255}};
    std::vector<const SpawnPoint*> blue = {&map.spawns[3]};
    CollectTeamSpawns(map, 1, blue);
    ASSERT_EQ(blue.size(), 2u);
    EXPECT_EQ(blue[0], &map.spawns[0]);
    EXPECT_EQ(blue[1], &map.spawns[2]);
    CollectTeamSpawns(map, 7, blue);
    EXPECT_TRUE(blue.empty());
}

TEST(MapGeometry, MapScaleFromTheTuning) {
    tune::Tuning tuning;
    EXPECT_FLOAT_EQ(MapScale(tuning), 1.8f / 0.939453f * 1.18f);
    EXPECT_NEAR(MapScale(tuning), 2.2609f, 1e-4f);
    tuning.match.mapReferenceHeight = 0.0f;
    EXPECT_EQ(MapScale(tuning), 1.18f);
}

}  // namespace

namespace {

// A position that is not a finite number, read from the file or made by placing and scaling it,
// refuses the whole map with one line.
TEST(MapGeometry, PositionsThatAreNotFiniteRefuseTheMap) {
    const float nan = std::nanf("");
    const float inf = INFINITY;
    const FixtureMesh floor = QuadMesh(-10, -10, 10, 10, 0);
    FixtureMesh nanFloor = floor;
    nanFloor.positions[2].y = nan;
    FixtureMesh infFloor = floor;
    infFloor.positions[0].x = -inf;
    FixtureMesh hugeFloor = floor;
    hugeFloor.positions[1].z = 3e38f;
    FixtureMesh nanBox = BoxMesh({0, 0, 0}, {1, 1, 1});
    nanBox.positions[5].x = nan;
    const struct {
        const char* what;
        std::vector<FixtureMesh> meshes;
        std::vector<FixtureNode> nodes;
        float scale;
        const char* node;
    } cases[] = {
        {"NaN vertex", {nanFloor}, {{"floor", 0, {0, 0, 0}, "", false, {}}}, 1.0f, "floor"},
        {"infinite vertex", {floor, infFloor}, {{"a", 0, {0, 0, 0}, "", false, {}}, {"b", 1, {0, 0, 0}, "", false, {}}},
         1.0f, "b"},
        {"scaled past the float range", {hugeFloor}, {{"floor", 0, {0, 0, 0}, "", false, {}}}, 2.0f, "floor"},
        {"placed past the float range",
         {floor},
         {{"group", -1, {0, 3e38f, 0}, "", false, {1}}, {"floor", 0, {0, 3e38f, 0}, "", false, {}}},
         1.0f, "floor"},
        {"point spawn", {floor}, {{"floor", 0, {0, 0, 0}, "", false, {}}, {"red_spawn", -1, {3e38f, 0, 0}, "", false, {}}},
         2.0f, "red_spawn"},
        {"spawn marker mesh", {floor, nanBox},
         {{"floor", 0, {0, 0, 0}, "", false, {}}, {"blue_spawn", 1, {0, 0, 0}, "", false, {}}}, 1.0f, "blue_spawn"},
    };
    for (const auto& c : cases) {
        MapGeometry map;
        const LoadResult r = LoadFixture(map, FixtureGltf(c.meshes, c.nodes), c.scale);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.err, std::string("[map] fixture.gltf: node '") + c.node + "' has a position that is not finite\n")
            << c.what;
        EXPECT_EQ(r.out, "") << c.what;
        EXPECT_TRUE(map.triangles.empty() && map.spawns.empty()) << c.what;
    }
}

// Primitives may share their positions (each with its own indices) and nodes may place one mesh
// several times: every primitive of every node still gives its triangles, placed by its own node.
TEST(MapGeometry, SharedAccessorsServeEveryPrimitiveAndNode) {
    testsupport::ByteWriter w;
    for (float v : {0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1}) w.F32(v);
    for (uint16_t i : {0, 1, 2, 0, 2, 3}) w.U16(i);
    const std::string body = R"(,"bufferViews":[{"buffer":0,"byteLength":48},{"buffer":0,"byteOffset":48,"byteLength":12}],
        "accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3"},
                     {"bufferView":1,"componentType":5123,"count":3,"type":"SCALAR"},
                     {"bufferView":1,"byteOffset":6,"componentType":5123,"count":3,"type":"SCALAR"}],
        "meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1},{"attributes":{"POSITION":0},"indices":2},
                                 {"attributes":{"POSITION":0},"indices":1}]}],
        "nodes":[{"mesh":0},{"mesh":0,"translation":[5,1,0]}])";
    MapGeometry map;
    const LoadResult r = LoadFixture(map, testsupport::GltfText(w.bytes, body), 2.0f);
    ASSERT_TRUE(r.ok) << r.err;
    ASSERT_EQ(map.triangles.size(), 6u);
    EXPECT_EQ(map.triangles[0].v[2], glm::vec3(2, 0, 2));
    EXPECT_EQ(map.triangles[1].v[2], glm::vec3(0, 0, 2));
    EXPECT_EQ(map.triangles[2].v[2], glm::vec3(2, 0, 2));
    EXPECT_EQ(map.triangles[3].v[0], glm::vec3(10, 2, 0));
    EXPECT_EQ(map.triangles[4].v[2], glm::vec3(10, 2, 2));
    EXPECT_EQ(map.bounds.min, glm::vec3(0, 0, 0));
    EXPECT_EQ(map.bounds.max, glm::vec3(12, 2, 2));
}

// Files the parser throws on, or past the load budget, fail with one line and an empty record.
TEST(MapGeometry, FilesTheReaderRefusesFailWithOneLine) {
    const testsupport::TempFolder temp;
    testsupport::ByteWriter glb;
    const std::string json = R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":0}]})";
    for (char c : std::string("glTF")) glb.U8(uint8_t(c));
    glb.U32(2);
    glb.U32(uint32_t(12 + 8 + json.size() + 16));
    glb.U32(uint32_t(json.size()));
    glb.U32(0x4E4F534Au);
    for (char c : json) glb.U8(uint8_t(c));
    glb.U32(8);
    glb.U32(0x004E4942u);
    for (int i = 0; i < 8; ++i) glb.U8(0);
    const std::string thrown = temp.Path() + "/thrown.glb";
    testsupport::WriteTextFile(thrown, std::string(glb.bytes.begin(), glb.bytes.end()));
    std::string shared = R"({"asset":{"version":"2.0"},"nodes":[{"mesh":0}],"meshes":[{"primitives":[)";
    for (int i = 0; i < 20; ++i) shared += std::string(i ? "," : "") + R"({"attributes":{"POSITION":0}})";
    shared += R"(]}],"accessors":[{"componentType":5126,"count":2000000,"type":"VEC3"}]})";
    const std::string big = temp.Path() + "/shared.gltf";
    testsupport::WriteTextFile(big, shared);
    const struct {
        std::string path;
        std::string err;
    } cases[] = {
        {thrown, "[map] failed to parse " + thrown + "\n"},
        {big, "[map] " + big + " is too large to load (accessor values over 8388608)\n"},
    };
    for (const auto& c : cases) {
        MapGeometry map;
        map.spawns.push_back({});
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(LoadMapGeometry(map, c.path, 1.0f));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_TRUE(map.spawns.empty() && map.triangles.empty());
    }
}

}  // namespace
