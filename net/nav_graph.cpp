#include "net/nav_graph.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <queue>
#include <utility>

#include "game/deterministic_math.h"

namespace net {
namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kThirdsOfSpacing = 0.6666667f;  // the float nearest 2/3: columns per metre
constexpr float kMinimumFloorGap = 0.6f;
constexpr float kHeadroomStart = 0.1f;
constexpr float kHeadroomEnd = 1.85f;
constexpr float kScanStepBelowHit = 0.05f;
constexpr float kProbeRadiusFactor = 0.92f;
constexpr float kMaximumDrop = 2.2f;
constexpr float kWalkHeightCost = 4.0f;
constexpr float kDropHeightCost = 3.0f;
constexpr float kPassageFraction = 0.999f;

float Distance3(const NavNode& a, float x, float y, float z)
{
    const float dx = x - a.x;
    const float dy = y - a.y;
    const float dz = z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool RayHitsNothing(const CollisionWorld& world, const glm::vec3& from, const glm::vec3& to)
{
    return !world.SweepSphere(from, to, 0.0f).hit;
}

// One column's standing points, highest first, appended to `nodes`.
void ScanColumn(const CollisionWorld& world, float x, float z, float maxY, float minY, float cosineLimit,
                float probeRadius, float step, float bodyHeight, std::vector<NavNode>& nodes, int16_t& count)
{
    float probe = maxY + 1.0f;
    float lastFloor = maxY + 1001.0f;
    while (count < kNavMaxFloorsPerColumn) {
        if (probe <= minY - 1.0f) {
            return;
        }
        const SweepHit hit = world.SweepSphere(glm::vec3(x, probe, z), glm::vec3(x, minY - 1.0f, z), 0.0f);
        if (!hit.hit) {
            return;
        }
        const float h = hit.point.y;
        const bool standable =
            hit.normal.y >= cosineLimit && lastFloor - h >= kMinimumFloorGap &&
            !world.OverlapsBox(MakeBodyBox(glm::vec3(x, h + step, z), probeRadius, bodyHeight - step)) &&
            RayHitsNothing(world, glm::vec3(x, h + kHeadroomStart, z), glm::vec3(x, h + kHeadroomEnd, z));
        if (standable) {
            NavNode node;
            node.x = x;
            node.y = h;
            node.z = z;
            node.floor = count;
            nodes.push_back(node);
            ++count;
            lastFloor = h;
        }
        probe = h - kScanStepBelowHit;
    }
}

// Marks every node an undirected walk reaches from a seed's nearest node; returns the marks.
std::vector<uint8_t> MarkReachable(const NavGraph& graph, const std::vector<std::vector<NavLink>>& lists,
                                   const std::vector<glm::vec3>& seeds)
{
    const size_t count = graph.nodes.size();
    std::vector<std::vector<int32_t>> neighbours(count);
    for (size_t a = 0; a < count; ++a) {
        for (const NavLink& link : lists[a]) {
            neighbours[a].push_back(link.target);
            neighbours[static_cast<size_t>(link.target)].push_back(static_cast<int32_t>(a));
        }
    }
    std::vector<uint8_t> marked(count, 0);
    std::vector<int32_t> stack;
    for (const glm::vec3& seed : seeds) {
        const int start = graph.Nearest(seed);
        if (start < 0 || marked[static_cast<size_t>(start)]) {
            continue;
        }
        marked[static_cast<size_t>(start)] = 1;
        stack.push_back(start);
        while (!stack.empty()) {
            const int32_t node = stack.back();
            stack.pop_back();
            for (const int32_t next : neighbours[static_cast<size_t>(node)]) {
                if (!marked[static_cast<size_t>(next)]) {
                    marked[static_cast<size_t>(next)] = 1;
                    stack.push_back(next);
                }
            }
        }
    }
    return marked;
}

// Deletes the unmarked nodes, keeping the survivors' order, and renumbers links and cells.
void RemoveUnmarked(NavGraph& graph, std::vector<std::vector<NavLink>>& lists, const std::vector<uint8_t>& marked)
{
    const size_t oldCount = graph.nodes.size();
    std::vector<int32_t> renumbered(oldCount, -1);
    std::vector<NavNode> nodes;
    std::vector<std::vector<NavLink>> keptLists;
    for (size_t i = 0; i < oldCount; ++i) {
        if (marked[i]) {
            renumbered[i] = static_cast<int32_t>(nodes.size());
            nodes.push_back(graph.nodes[i]);
            keptLists.push_back(std::move(lists[i]));
        }
    }
    for (std::vector<NavLink>& list : keptLists) {
        std::vector<NavLink> kept;
        for (const NavLink& link : list) {
            const int32_t target = renumbered[static_cast<size_t>(link.target)];
            if (target >= 0) {
                kept.push_back({target, link.cost});
            }
        }
        list = std::move(kept);
    }
    int32_t running = 0;
    graph.columnsWithNodes = 0;
    graph.columnsWithSeveralNodes = 0;
    for (NavCell& cell : graph.cells) {
        int16_t survivors = 0;
        for (int32_t i = cell.firstNode; i < cell.firstNode + cell.nodeCount; ++i) {
            survivors = static_cast<int16_t>(survivors + (marked[static_cast<size_t>(i)] ? 1 : 0));
        }
        cell.firstNode = running;
        cell.nodeCount = survivors;
        running += survivors;
        graph.columnsWithNodes += survivors >= 1 ? 1 : 0;
        graph.columnsWithSeveralNodes += survivors >= 2 ? 1 : 0;
    }
    graph.unreachableRemoved = static_cast<int32_t>(oldCount - nodes.size());
    graph.nodes = std::move(nodes);
    lists = std::move(keptLists);
}

}  // namespace

uint32_t HashMix(uint32_t x)
{
    uint32_t h = 0x9E3779B9u - x * 0x61C8864Fu;
    h = (h ^ (h >> 15)) * 0x2C1B3C6Du;
    h = (h ^ (h >> 12)) * 0x297A2D39u;
    h = h ^ (h >> 15);
    return h;
}

int PickHashed(const NavGraph& graph, uint32_t seed)
{
    if (graph.nodes.empty()) {
        return -1;
    }
    return static_cast<int>(HashMix(seed) % static_cast<uint32_t>(graph.nodes.size()));
}

void NavGraph::Clear()
{
    nodes.clear();
    links.clear();
    cells.clear();
    columns = 0;
    rows = 0;
    columnsWithNodes = 0;
    nodeCount = 0;
    linkCount = 0;
    columnsWithSeveralNodes = 0;
    unreachableRemoved = 0;
    dropLinks = 0;
    buildSeconds = 0.0;
}

bool NavGraph::CellIndex(int cx, int cz, int& index) const
{
    if (cx < 0 || cz < 0 || cx >= columns || cz >= rows) {
        return false;
    }
    index = cz * columns + cx;
    return true;
}

void NavGraph::Build(const CollisionWorld& world, const tune::Tuning& tuning, const std::vector<glm::vec3>& seeds)
{
    const auto started = std::chrono::steady_clock::now();
    Clear();
    if (world.triangles.empty()) {
        return;
    }

    glm::vec3 low = world.triangles[0].v[0];
    glm::vec3 high = low;
    for (const Triangle& triangle : world.triangles) {
        for (const glm::vec3& v : triangle.v) {
            low = glm::vec3(std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z));
            high = glm::vec3(std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z));
        }
    }
    originX = low.x - kNavSpacing;
    originZ = low.z - kNavSpacing;
    minimumY = low.y;
    spacing = kNavSpacing;
    bodyRadius = tuning.movement.bodyRadius;
    bodyHeight = tuning.movement.standingHeight;
    const double columnsWanted = std::max(1.0, std::ceil(static_cast<double>((high.x + kNavSpacing - originX) * kThirdsOfSpacing)));
    const double rowsWanted = std::max(1.0, std::ceil(static_cast<double>((high.z + kNavSpacing - originZ) * kThirdsOfSpacing)));
    if (!(columnsWanted * rowsWanted <= kNavMaxColumns)) {
        Clear();
        return;
    }
    columns = static_cast<int32_t>(columnsWanted);
    rows = static_cast<int32_t>(rowsWanted);
    cells.assign(static_cast<size_t>(columns) * static_cast<size_t>(rows), NavCell{});

    const float slope = tuning.movement.maxWalkableSlope * kDegreesToRadians;
    const float cosineLimit = DetCos(slope);
    const float tanLimit = DetSin(slope) / cosineLimit;
    const float probeRadius = bodyRadius * kProbeRadiusFactor;
    const float step = tuning.movement.stepHeight;

    for (int32_t cz = 0; cz < rows; ++cz) {
        for (int32_t cx = 0; cx < columns; ++cx) {
            const float x = (static_cast<float>(cx) + 0.5f) * kNavSpacing + originX;
            const float z = (static_cast<float>(cz) + 0.5f) * kNavSpacing + originZ;
            NavCell& cell = cells[static_cast<size_t>(cz * columns + cx)];
            cell.firstNode = static_cast<int32_t>(nodes.size());
            ScanColumn(world, x, z, high.y, low.y, cosineLimit, probeRadius, step, bodyHeight, nodes, cell.nodeCount);
            columnsWithNodes += cell.nodeCount >= 1 ? 1 : 0;
            columnsWithSeveralNodes += cell.nodeCount >= 2 ? 1 : 0;
        }
    }

    std::vector<std::vector<NavLink>> lists(nodes.size());
    for (int32_t cz = 0; cz < rows; ++cz) {
        for (int32_t cx = 0; cx < columns; ++cx) {
            const NavCell& cell = cells[static_cast<size_t>(cz * columns + cx)];
            for (int32_t ia = cell.firstNode; ia < cell.firstNode + cell.nodeCount; ++ia) {
                const NavNode& a = nodes[static_cast<size_t>(ia)];
                for (int dz = -1; dz <= 1; ++dz) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        int neighbourIndex = 0;
                        if ((dx == 0 && dz == 0) || !CellIndex(cx + dx, cz + dz, neighbourIndex)) {
                            continue;
                        }
                        const NavCell& neighbour = cells[static_cast<size_t>(neighbourIndex)];
                        for (int32_t ib = neighbour.firstNode; ib < neighbour.firstNode + neighbour.nodeCount; ++ib) {
                            const NavNode& b = nodes[static_cast<size_t>(ib)];
                            const float dy = b.y - a.y;
                            const float ex = b.x - a.x;
                            const float ez = b.z - a.z;
                            const float horizontal = std::sqrt(ex * ex + ez * ez);
                            const float allowedRise = std::max(horizontal * tanLimit, step);
                            const bool walk = std::fabs(dy) <= allowedRise;
                            const bool drop = !walk && dy > -kMaximumDrop && dy < 0.0f;
                            if (!walk && !drop) {
                                continue;
                            }
                            const float top = std::max(a.y, b.y);
                            const Aabb box = MakeBodyBox(glm::vec3(a.x, top + step, a.z), probeRadius, bodyHeight - step);
                            const SweepHit passage = world.SweepShape(box, glm::vec3(ex, 0.0f, ez));
                            if (passage.hit && passage.fraction < kPassageFraction) {
                                continue;
                            }
                            const float cost =
                                Distance3(a, b.x, b.y, b.z) + std::fabs(dy) * (walk ? kWalkHeightCost : kDropHeightCost);
                            lists[static_cast<size_t>(ia)].push_back({ib, cost});
                            dropLinks += drop ? 1 : 0;
                        }
                    }
                }
            }
        }
    }

    if (!seeds.empty() && !nodes.empty()) {
        RemoveUnmarked(*this, lists, MarkReachable(*this, lists, seeds));
    }

    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i].firstLink = static_cast<int32_t>(links.size());
        nodes[i].linkCount = static_cast<int16_t>(lists[i].size());
        links.insert(links.end(), lists[i].begin(), lists[i].end());
    }

    g.assign(nodes.size(), 0.0f);
    f.assign(nodes.size(), 0.0f);
    parent.assign(nodes.size(), -1);
    stamp.assign(nodes.size(), 0u);
    generation = 0;
    nodeCount = static_cast<int32_t>(nodes.size());
    linkCount = static_cast<int32_t>(links.size());
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - started);
    buildSeconds = static_cast<double>(elapsed.count()) * 1e-9;
}

int NavGraph::Nearest(const glm::vec3& point) const
{
    if (nodes.empty()) {
        return -1;
    }
    const float fx = std::floor((point.x - originX) / spacing);
    const float fz = std::floor((point.z - originZ) / spacing);
    // Far outside the grid no ring can reach it (and the float would not fit an int).
    if (!(std::fabs(fx) < 1.0e8f) || !(std::fabs(fz) < 1.0e8f)) {
        return -1;
    }
    const int cx = static_cast<int>(fx);
    const int cz = static_cast<int>(fz);
    int best = -1;
    float bestScore = 0.0f;
    for (int ring = 0; ring <= 2; ++ring) {
        if (ring == 2 && best >= 0) {
            break;
        }
        for (int dz = -ring; dz <= ring; ++dz) {
            for (int dx = -ring; dx <= ring; ++dx) {
                if (std::max(std::abs(dx), std::abs(dz)) != ring) {
                    continue;
                }
                int index = 0;
                if (!CellIndex(cx + dx, cz + dz, index)) {
                    continue;
                }
                const NavCell& cell = cells[static_cast<size_t>(index)];
                for (int32_t i = cell.firstNode; i < cell.firstNode + cell.nodeCount; ++i) {
                    const NavNode& node = nodes[static_cast<size_t>(i)];
                    const float ex = node.x - point.x;
                    const float ey = node.y - point.y;
                    const float ez = node.z - point.z;
                    const float score = ex * ex + ez * ez + 16.0f * ey * ey;
                    if (best < 0 || score < bestScore) {
                        best = i;
                        bestScore = score;
                    }
                }
            }
        }
    }
    return best;
}

int NavGraph::FindPath(int start, int goal, int32_t* path, int maxLength)
{
    const int count = static_cast<int>(nodes.size());
    if (start < 0 || goal < 0 || maxLength < 1 || start >= count || goal >= count || start == goal || path == nullptr) {
        return 0;
    }
    if (++generation == 0) {
        std::fill(stamp.begin(), stamp.end(), 0u);
        generation = 1;
    }
    const NavNode& goalNode = nodes[static_cast<size_t>(goal)];
    const auto estimate = [&](int node) {
        const NavNode& n = nodes[static_cast<size_t>(node)];
        return Distance3(n, goalNode.x, goalNode.y, goalNode.z);
    };
    const auto s = static_cast<size_t>(start);
    g[s] = 0.0f;
    f[s] = estimate(start);
    parent[s] = -1;
    stamp[s] = generation;

    using Entry = std::pair<float, int32_t>;
    const auto byCost = [](const Entry& a, const Entry& b) { return a.first > b.first; };
    std::priority_queue<Entry, std::vector<Entry>, decltype(byCost)> open(byCost);
    open.push({f[s], start});
    int pops = 0;
    bool reached = false;
    while (!open.empty()) {
        const Entry top = open.top();
        open.pop();
        const int32_t node = top.second;
        if (node == goal) {
            reached = true;
            break;
        }
        if (++pops > kNavMaxSearchPops) {
            return 0;
        }
        const auto n = static_cast<size_t>(node);
        if (top.first > f[n] + 0.0001f) {
            continue;
        }
        const NavNode& from = nodes[n];
        for (int32_t l = from.firstLink; l < from.firstLink + from.linkCount; ++l) {
            const NavLink& link = links[static_cast<size_t>(l)];
            const auto t = static_cast<size_t>(link.target);
            const float tentative = g[n] + link.cost;
            if (stamp[t] != generation || tentative < g[t]) {
                stamp[t] = generation;
                g[t] = tentative;
                f[t] = tentative + estimate(link.target);
                parent[t] = node;
                open.push({f[t], link.target});
            }
        }
    }
    if (!reached) {
        return 0;
    }
    int length = 0;
    for (int32_t node = goal; node != start; node = parent[static_cast<size_t>(node)]) {
        ++length;
    }
    const int result = std::min(maxLength, length);
    int position = length - 1;
    for (int32_t node = goal; node != start; node = parent[static_cast<size_t>(node)], --position) {
        if (position < result) {
            path[position] = node;
        }
    }
    return result;
}

}  // namespace net
