#pragma once
// The walkable surface of one map as a graph for the server's bots: standing points on a grid of
// 1.5 m columns (up to four floors per column), joined to the eight neighbouring columns by walk
// links both ways and one-way drop links, each passage tested against the collision world.
//
// Built once per map on the tick thread, then shared read-only by every room on that map; only
// FindPath writes afterwards (its search scratch), so only one search may run on a graph at a
// time. Nearest, CellIndex and PickHashed only read and may run on any thread.
#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "game/collision_world.h"
#include "game/tuning.h"

namespace net {

constexpr int kNavMaxFloorsPerColumn = 4;
constexpr int kNavMaxColumns = 400000;
constexpr int kNavMaxSearchPops = 4000;
constexpr float kNavSpacing = 1.5f;

struct NavNode {
    float x = 0.0f;
    float y = 0.0f;  // the floor surface's height
    float z = 0.0f;
    int32_t firstLink = 0;
    int16_t linkCount = 0;
    int16_t floor = 0;  // rank in its column during the scan, 0 for the highest
};

struct NavLink {
    int32_t target = 0;
    float cost = 0.0f;
};

struct NavCell {
    int32_t firstNode = 0;
    int16_t nodeCount = 0;
};

struct NavGraph {
    std::vector<NavNode> nodes;  // sorted by cell, a column's nodes highest first
    std::vector<NavLink> links;  // grouped by source node
    std::vector<NavCell> cells;  // row-major: cell (cx, cz) is cz * columns + cx
    float originX = 0.0f;
    float minimumY = 0.0f;
    float originZ = 0.0f;
    float spacing = kNavSpacing;
    int32_t columns = 0;
    int32_t rows = 0;
    float bodyRadius = 0.0f;
    float bodyHeight = 0.0f;

    // Search scratch, one entry per node; an entry counts only when its stamp is the generation.
    std::vector<float> g;
    std::vector<float> f;
    std::vector<int32_t> parent;
    std::vector<uint32_t> stamp;
    uint32_t generation = 0;

    // Statistics of the last build.
    int32_t columnsWithNodes = 0;
    int32_t nodeCount = 0;
    int32_t linkCount = 0;
    int32_t columnsWithSeveralNodes = 0;
    int32_t unreachableRemoved = 0;
    int32_t dropLinks = 0;
    double buildSeconds = 0.0;

    // Replaces the whole graph. `seeds` are the map's spawn positions: nodes none of them reaches
    // are removed (none are when there are no seeds). A world without triangles, or a grid over
    // the column cap, leaves the graph empty.
    void Build(const CollisionWorld& world, const tune::Tuning& tuning, const std::vector<glm::vec3>& seeds);
    // Empties nodes, links, cells and statistics; the search scratch stays as it is.
    void Clear();
    bool CellIndex(int cx, int cz, int& index) const;
    // The node nearest to `point` within two cells of its own (height weighing four times), or -1.
    int Nearest(const glm::vec3& point) const;
    // A* from start to goal: writes the first min(maxLength, length) nodes after the start, in
    // walking order, and returns how many; 0 when there is no path or the search gives up.
    int FindPath(int start, int goal, int32_t* path, int maxLength);
};

// The 32-bit mixer that picks nodes and drives the bots' random decisions.
uint32_t HashMix(uint32_t x);
// A node chosen by a hash of `seed`; -1 for an empty graph.
int PickHashed(const NavGraph& graph, uint32_t seed);

}  // namespace net
