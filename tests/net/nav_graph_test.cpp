#include "net/nav_graph.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "net/server.h"
#include "server_bare_setup.h"

namespace {

// A horizontal rectangle at height y, as two triangles.
void AddQuad(std::vector<Triangle>& out, float x0, float z0, float x1, float z1, float y)
{
    out.push_back({{glm::vec3(x0, y, z0), glm::vec3(x1, y, z0), glm::vec3(x1, y, z1)}});
    out.push_back({{glm::vec3(x0, y, z0), glm::vec3(x1, y, z1), glm::vec3(x0, y, z1)}});
}

// A solid block: its six faces.
void AddBlock(std::vector<Triangle>& out, const glm::vec3& lo, const glm::vec3& hi)
{
    const glm::vec3 c[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z},
                            {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};
    for (const auto& face : faces) {
        out.push_back({{c[face[0]], c[face[1]], c[face[2]]}});
        out.push_back({{c[face[0]], c[face[2]], c[face[3]]}});
    }
}

struct Level {
    CollisionWorld world;
    net::NavGraph graph;
};

void BuildLevel(Level& level, std::vector<Triangle> triangles, const std::vector<glm::vec3>& seeds = {})
{
    ASSERT_TRUE(level.world.SetTriangles(std::move(triangles)));
    level.graph.Build(level.world, tune::Tuning{}, seeds);
}

int NodeAt(const net::NavGraph& graph, float x, float y, float z)
{
    for (size_t i = 0; i < graph.nodes.size(); ++i) {
        const net::NavNode& n = graph.nodes[i];
        if (std::fabs(n.x - x) < 0.01f && std::fabs(n.y - y) < 0.01f && std::fabs(n.z - z) < 0.01f) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const net::NavLink* LinkBetween(const net::NavGraph& graph, int a, int b)
{
    const net::NavNode& from = graph.nodes[static_cast<size_t>(a)];
    for (int l = from.firstLink; l < from.firstLink + from.linkCount; ++l) {
        if (graph.links[static_cast<size_t>(l)].target == b) {
            return &graph.links[static_cast<size_t>(l)];
        }
    }
    return nullptr;
}

// Column centres lie at odd multiples of 0.75 m when the level's corner is at the origin.
float Centre(int column) { return 0.75f + 1.5f * static_cast<float>(column); }

TEST(NavGraphTest, FlatFloorHasOneNodePerColumnOverItAndEightLinksInside)
{
    Level level;
    std::vector<Triangle> triangles;
    AddQuad(triangles, 0.0f, 0.0f, 30.0f, 30.0f, 0.0f);
    BuildLevel(level, triangles);
    const net::NavGraph& graph = level.graph;

    EXPECT_EQ(graph.nodeCount, 400);
    EXPECT_EQ(graph.columnsWithNodes, 400);
    EXPECT_EQ(graph.columnsWithSeveralNodes, 0);
    EXPECT_EQ(graph.dropLinks, 0);
    // 20 x 20 grid of nodes: 4 corners with 3 links, 72 edge nodes with 5, 324 inside with 8.
    EXPECT_EQ(graph.linkCount, 4 * 3 + 72 * 5 + 324 * 8);

    const int inside = NodeAt(graph, Centre(5), 0.0f, Centre(5));
    ASSERT_GE(inside, 0);
    ASSERT_EQ(graph.nodes[static_cast<size_t>(inside)].linkCount, 8);
    const net::NavLink* side = LinkBetween(graph, inside, NodeAt(graph, Centre(6), 0.0f, Centre(5)));
    const net::NavLink* diagonal = LinkBetween(graph, inside, NodeAt(graph, Centre(6), 0.0f, Centre(6)));
    ASSERT_NE(side, nullptr);
    ASSERT_NE(diagonal, nullptr);
    EXPECT_NEAR(side->cost, 1.5f, 1e-5f);
    EXPECT_NEAR(diagonal->cost, 2.1213f, 1e-4f);
}

TEST(NavGraphTest, BridgeGivesTwoFloorsAndLowCeilingOrSteepSlopeGiveNone)
{
    Level level;
    std::vector<Triangle> triangles;
    AddQuad(triangles, 0.0f, 0.0f, 30.0f, 30.0f, 0.0f);
    AddBlock(triangles, {3.0f, 2.4f, 3.0f}, {9.0f, 2.5f, 9.0f});        // bridge deck, 2.4 m free below
    AddBlock(triangles, {18.0f, 1.5f, 18.0f}, {24.0f, 1.6f, 24.0f});    // low ceiling, 1.5 m free below
    // A ramp rising 50 degrees along x, from (12, 0) to (15, 3.575).
    const float rise = 3.0f * std::tan(50.0f * 0.017453292f);
    triangles.push_back({{glm::vec3(12.0f, 0.01f, 21.0f), glm::vec3(15.0f, rise, 21.0f), glm::vec3(15.0f, rise, 27.0f)}});
    triangles.push_back({{glm::vec3(12.0f, 0.01f, 21.0f), glm::vec3(15.0f, rise, 27.0f), glm::vec3(12.0f, 0.01f, 27.0f)}});
    BuildLevel(level, triangles);
    const net::NavGraph& graph = level.graph;

    // Under the middle of the deck: the deck's top (floor 0) and the ground (floor 1), not its underside.
    int cell = 0;
    ASSERT_TRUE(graph.CellIndex(5, 5, cell));  // centre (6.75, 6.75) with the corner at -1.5
    const net::NavCell& bridge = graph.cells[static_cast<size_t>(cell)];
    ASSERT_EQ(bridge.nodeCount, 2);
    EXPECT_NEAR(graph.nodes[static_cast<size_t>(bridge.firstNode)].y, 2.5f, 1e-4f);
    EXPECT_EQ(graph.nodes[static_cast<size_t>(bridge.firstNode)].floor, 0);
    EXPECT_NEAR(graph.nodes[static_cast<size_t>(bridge.firstNode + 1)].y, 0.0f, 1e-4f);
    EXPECT_EQ(graph.nodes[static_cast<size_t>(bridge.firstNode + 1)].floor, 1);
    EXPECT_GT(graph.columnsWithSeveralNodes, 0);

    // Under the low ceiling only its top stands; no node on the ground below.
    EXPECT_GE(NodeAt(graph, Centre(13), 1.6f, Centre(13)), 0);
    EXPECT_LT(NodeAt(graph, Centre(13), 0.0f, Centre(13)), 0);

    // Nothing stands on the steep ramp.
    for (const net::NavNode& node : graph.nodes) {
        const bool overRamp = node.x > 12.1f && node.x < 14.9f && node.z > 21.0f && node.z < 27.0f;
        EXPECT_FALSE(overRamp && node.y > 0.2f) << node.x << " " << node.y << " " << node.z;
    }
}

TEST(NavGraphTest, LedgesAndStepsLinkByHeight)
{
    struct Case {
        float height;
        bool dropToSide;     // ledge top -> the floor column beside it
        bool climbFromSide;  // floor column beside it -> ledge top
        bool diagonalBothWays;
    };
    const Case cases[] = {
        {0.4f, true, true, true},    // a step: walk links both ways everywhere
        {2.0f, true, false, true},   // above the side walk limit, below the diagonal one
        {2.3f, false, false, false}, // beyond the drop limit: no link at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        Level level;
        std::vector<Triangle> triangles;
        AddQuad(triangles, 0.0f, 0.0f, 30.0f, 30.0f, 0.0f);
        AddBlock(triangles, {0.0f, 0.0f, 0.0f}, {15.0f, c.height, 30.0f});
        BuildLevel(level, triangles);
        const net::NavGraph& graph = level.graph;

        // Columns 9 (x 13.5..15) stand on the ledge, column 10 (x 15..16.5) on the floor.
        const int top = NodeAt(graph, Centre(9), c.height, Centre(10));
        const int side = NodeAt(graph, Centre(10), 0.0f, Centre(10));
        const int diagonal = NodeAt(graph, Centre(10), 0.0f, Centre(11));
        ASSERT_GE(top, 0);
        ASSERT_GE(side, 0);
        ASSERT_GE(diagonal, 0);
        EXPECT_EQ(LinkBetween(graph, top, side) != nullptr, c.dropToSide);
        EXPECT_EQ(LinkBetween(graph, side, top) != nullptr, c.climbFromSide);
        EXPECT_EQ(LinkBetween(graph, top, diagonal) != nullptr, c.diagonalBothWays);
        EXPECT_EQ(LinkBetween(graph, diagonal, top) != nullptr, c.diagonalBothWays);
        if (c.height == 0.4f) {
            EXPECT_NEAR(LinkBetween(graph, side, top)->cost, std::sqrt(1.5f * 1.5f + 0.16f) + 0.4f * 4.0f, 1e-4f);
            EXPECT_EQ(graph.dropLinks, 0);
        }
        if (c.height == 2.0f) {
            EXPECT_NEAR(LinkBetween(graph, top, side)->cost, std::sqrt(1.5f * 1.5f + 4.0f) + 2.0f * 3.0f, 1e-4f);
            EXPECT_GT(graph.dropLinks, 0);
        }
    }
}

TEST(NavGraphTest, IslandNoSpawnReachesIsPrunedAndKeptWithoutSpawns)
{
    std::vector<Triangle> triangles;
    AddQuad(triangles, 0.0f, 0.0f, 9.0f, 9.0f, 0.0f);
    AddQuad(triangles, 21.0f, 0.0f, 30.0f, 9.0f, 0.0f);

    Level withoutSpawns;
    BuildLevel(withoutSpawns, triangles);
    EXPECT_EQ(withoutSpawns.graph.nodeCount, 72);
    EXPECT_EQ(withoutSpawns.graph.unreachableRemoved, 0);

    Level withSpawn;
    BuildLevel(withSpawn, triangles, {glm::vec3(4.0f, 0.0f, 4.0f)});
    const net::NavGraph& graph = withSpawn.graph;
    EXPECT_EQ(graph.nodeCount, 36);
    EXPECT_EQ(graph.unreachableRemoved, 36);
    EXPECT_EQ(graph.columnsWithNodes, 36);
    int total = 0;
    for (const net::NavCell& cell : graph.cells) {
        EXPECT_EQ(cell.firstNode, total);
        total += cell.nodeCount;
    }
    EXPECT_EQ(total, 36);
    for (const net::NavNode& node : graph.nodes) {
        EXPECT_LT(node.x, 9.0f);
        for (int l = node.firstLink; l < node.firstLink + node.linkCount; ++l) {
            EXPECT_LT(graph.links[static_cast<size_t>(l)].target, 36);
        }
    }
    EXPECT_EQ(static_cast<int>(graph.links.size()), graph.linkCount);
}

TEST(NavGraphTest, FindPathCutsLongPathsAndGivesUpOnUnreachableGoals)
{
    // A corridor one column wide: 41 nodes in a row along z.
    Level corridor;
    std::vector<Triangle> triangles;
    AddQuad(triangles, 0.0f, 0.0f, 1.5f, 61.5f, 0.0f);
    BuildLevel(corridor, triangles);
    net::NavGraph& graph = corridor.graph;
    ASSERT_EQ(graph.nodeCount, 41);

    int32_t path[32] = {};
    EXPECT_EQ(graph.FindPath(0, 0, path, 32), 0);
    EXPECT_EQ(graph.FindPath(-1, 3, path, 32), 0);
    EXPECT_EQ(graph.FindPath(0, 41, path, 32), 0);
    EXPECT_EQ(graph.FindPath(0, 3, path, 0), 0);
    ASSERT_EQ(graph.FindPath(0, 40, path, 32), 32);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(path[i], i + 1);
    }
    ASSERT_EQ(graph.FindPath(40, 37, path, 32), 3);
    EXPECT_EQ(path[0], 39);
    EXPECT_EQ(path[2], 37);

    // A floor of more than 4000 nodes and a goal on an island off it: the search gives up.
    Level large;
    std::vector<Triangle> level;
    AddQuad(level, 0.0f, 0.0f, 99.0f, 99.0f, 0.0f);
    AddQuad(level, 105.0f, 0.0f, 108.0f, 3.0f, 0.0f);
    BuildLevel(large, level);
    ASSERT_GT(large.graph.nodeCount, 4000);
    const int island = large.graph.Nearest(glm::vec3(106.0f, 0.0f, 1.0f));
    const int start = large.graph.Nearest(glm::vec3(1.0f, 0.0f, 1.0f));
    ASSERT_GE(island, 0);
    ASSERT_GE(start, 0);
    EXPECT_EQ(large.graph.FindPath(start, island, path, 32), 0);
    // A later search on the same scratch still works.
    EXPECT_GT(large.graph.FindPath(start, large.graph.Nearest(glm::vec3(50.0f, 0.0f, 50.0f)), path, 32), 0);
}

TEST(NavGraphTest, NearestSearchesTwoRingsAndWeighsHeight)
{
    Level level;
    std::vector<Triangle> triangles;
    AddQuad(triangles, 0.0f, 0.0f, 30.0f, 30.0f, 0.0f);
    AddBlock(triangles, {3.0f, 2.4f, 3.0f}, {9.0f, 2.5f, 9.0f});
    BuildLevel(level, triangles);
    const net::NavGraph& graph = level.graph;

    EXPECT_EQ(graph.Nearest(glm::vec3(Centre(5), 0.0f, Centre(5))), NodeAt(graph, Centre(5), 0.0f, Centre(5)));
    EXPECT_EQ(graph.Nearest(glm::vec3(Centre(5), 2.6f, Centre(5))), NodeAt(graph, Centre(5), 2.5f, Centre(5)));
    // Just past the floor's edge the border columns hold nothing; the nearest floor column is found.
    EXPECT_EQ(graph.Nearest(glm::vec3(-0.5f, 0.0f, Centre(3))), NodeAt(graph, Centre(0), 0.0f, Centre(3)));
    EXPECT_EQ(graph.Nearest(glm::vec3(-4.0f, 0.0f, Centre(3))), -1);
    EXPECT_EQ(graph.Nearest(glm::vec3(1.0e30f, 0.0f, 0.0f)), -1);
    EXPECT_EQ(net::NavGraph{}.Nearest(glm::vec3(0.0f)), -1);
}

TEST(NavGraphTest, HashMixAndPickHashed)
{
    EXPECT_EQ(net::HashMix(0), 0x3dab4527u);
    EXPECT_EQ(net::HashMix(1), 0xa9804c97u);
    EXPECT_EQ(net::HashMix(12345), 0x61eafd26u);
    EXPECT_EQ(net::HashMix(0xffffffffu), 0x36191ef4u);

    Level level;
    std::vector<Triangle> triangles;
    AddQuad(triangles, 0.0f, 0.0f, 30.0f, 30.0f, 0.0f);
    BuildLevel(level, triangles);
    EXPECT_EQ(net::PickHashed(level.graph, 0), 135);
    EXPECT_EQ(net::PickHashed(level.graph, 12345), 182);
    EXPECT_EQ(net::PickHashed(net::NavGraph{}, 7), -1);
}

TEST(NavGraphTest, WorldWithoutTrianglesLeavesTheGraphEmpty)
{
    CollisionWorld greybox;
    greybox.BuildGreybox();
    net::NavGraph graph;
    graph.Build(greybox, tune::Tuning{}, {glm::vec3(0.0f)});
    EXPECT_EQ(graph.nodeCount, 0);
    EXPECT_EQ(graph.Nearest(glm::vec3(0.0f)), -1);
    int32_t path[4] = {};
    EXPECT_EQ(graph.FindPath(0, 1, path, 4), 0);
}

TEST(NavGraphTest, GeneratedMapsPrintTheirNavLine)
{
    for (int mapIndex = 0; mapIndex < 2; ++mapIndex) {
        auto server = baresrv::MakeBareServer(4);
        testing::internal::CaptureStdout();
        const net::ServerMap& map = server->LoadRoomMap(mapIndex);
        const std::string out = testing::internal::GetCapturedStdout();
        const net::NavGraph& nav = map.nav;
        EXPECT_GT(nav.nodeCount, 100);
        EXPECT_GT(nav.linkCount, nav.nodeCount);
        EXPECT_EQ(nav.nodeCount, static_cast<int>(nav.nodes.size()));
        char expected[96];
        std::snprintf(expected, sizeof expected, "[server] map %d nav: %d nodes, %d links, ", mapIndex, nav.nodeCount,
                      nav.linkCount);
        EXPECT_NE(out.find(expected), std::string::npos) << out;
        // Every spawn stands near a node the bots can reach.
        for (const SpawnPoint& spawn : map.geometry.spawns) {
            EXPECT_GE(nav.Nearest(spawn.position), 0);
        }
    }
}

}  // namespace
