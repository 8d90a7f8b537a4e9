#include "game/collision_world.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr float kFloatMax = 3.4028235e38f;
// A grid beyond these is refused: a broken or hostile map must not make the loader allocate without
// bound. 4M cells of 4 m cover about 8 x 8 km; 64M listings are 256 MB of indices.
constexpr int64_t kMaxCells = int64_t(1) << 22;
constexpr uint64_t kMaxListings = uint64_t(1) << 26;

struct Vec3d {
    double x, y, z;
};

Vec3d ToDouble(const glm::vec3& v) { return {double(v.x), double(v.y), double(v.z)}; }
Vec3d Sub(const Vec3d& a, const Vec3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3d Cross(const Vec3d& a, const Vec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const glm::vec3& a, const glm::vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
glm::vec3 Cross(const glm::vec3& a, const glm::vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

glm::vec3 TriangleMin(const Triangle& t) {
    return {std::fmin(std::fmin(t.v[0].x, t.v[1].x), t.v[2].x), std::fmin(std::fmin(t.v[0].y, t.v[1].y), t.v[2].y),
            std::fmin(std::fmin(t.v[0].z, t.v[1].z), t.v[2].z)};
}

glm::vec3 TriangleMax(const Triangle& t) {
    return {std::fmax(std::fmax(t.v[0].x, t.v[1].x), t.v[2].x), std::fmax(std::fmax(t.v[0].y, t.v[1].y), t.v[2].y),
            std::fmax(std::fmax(t.v[0].z, t.v[1].z), t.v[2].z)};
}

// floor((value - origin) / size) clamped to 0..count-1, decided in float so that a far-away or
// non-finite point cannot overflow the conversion.
int32_t CellIndex(float value, float origin, float size, int32_t count) {
    const float cell = std::floor((value - origin) / size);
    if (!(cell >= 0.0f)) return 0;
    if (cell >= float(count - 1)) return count - 1;
    return int32_t(cell);
}

// The running state of the swept separating-axis test of one block or triangle.
struct SweptAxes {
    double tEnter = -std::numeric_limits<double>::infinity();
    double tExit = std::numeric_limits<double>::infinity();
    double minPenetration = std::numeric_limits<double>::infinity();
    Vec3d entryNormal{0, 0, 0};
    Vec3d penetrationNormal{0, 0, 0};
};

// One axis of the swept test; [lo, hi] is the surface's extent on the unit axis relative to the box
// centre. Returns false when this axis separates the surface from the whole motion.
bool SweepAxis(SweptAxes& s, const Vec3d& axis, double lo, double hi, const Vec3d& half, const Vec3d& motion) {
    const double r = std::fabs(axis.x) * half.x + std::fabs(axis.y) * half.y + std::fabs(axis.z) * half.z;
    const double v = Dot(axis, motion);
    const double pushMinus = r - lo;
    const double pushPlus = hi + r;
    const double push = pushMinus < pushPlus ? pushMinus : pushPlus;
    if (push < s.minPenetration) {
        s.minPenetration = push;
        s.penetrationNormal = pushPlus >= pushMinus ? Vec3d{-axis.x, -axis.y, -axis.z} : axis;
    }
    if (std::fabs(v) >= 1e-12) {
        const double t0 = (lo - r) / v;
        const double t1 = (hi + r) / v;
        double entry, exit;
        Vec3d normal;
        if (t0 <= t1) {
            entry = t0;
            exit = t1;
            normal = {-axis.x, -axis.y, -axis.z};
        } else {
            entry = t1;
            exit = t0;
            normal = axis;
        }
        if (entry > s.tEnter) {
            s.tEnter = entry;
            s.entryNormal = normal;
        }
        if (exit < s.tExit) s.tExit = exit;
        return !(s.tEnter >= s.tExit || s.tExit <= 0.0 || s.tEnter > 1.0);
    }
    return lo - r < -1e-8 && hi + r > 1e-8;
}

// After a surface was not separated: a hit only when the box moves into it.
void ApplyHitRule(const SweptAxes& s, const Vec3d& motion, SweepHit& result) {
    if (!(s.tExit > 0.0 && s.tEnter <= 1.0)) return;
    const Vec3d normal = s.tEnter >= -1e-8 ? s.entryNormal : s.penetrationNormal;
    if (!(Dot(motion, normal) < -1e-10)) return;
    const float t = float(s.tEnter > 0.0 ? s.tEnter : 0.0);
    if (result.hit && !(t < result.fraction)) return;
    result.fraction = t;
    result.normal = {float(normal.x), float(normal.y), float(normal.z)};
    result.hit = true;
}

void SweepShapeBlock(const Vec3d& centre, const Vec3d& half, const Vec3d& motion, const Aabb& block,
                     SweepHit& result) {
    SweptAxes s;
    const double mins[3] = {double(block.min.x), double(block.min.y), double(block.min.z)};
    const double maxs[3] = {double(block.max.x), double(block.max.y), double(block.max.z)};
    const double centres[3] = {centre.x, centre.y, centre.z};
    for (int i = 0; i < 3; ++i) {
        const Vec3d axis{i == 0 ? 1.0 : 0.0, i == 1 ? 1.0 : 0.0, i == 2 ? 1.0 : 0.0};
        if (!SweepAxis(s, axis, mins[i] - centres[i], maxs[i] - centres[i], half, motion)) return;
    }
    ApplyHitRule(s, motion, result);
}

bool SweepTriangleAxis(SweptAxes& s, const Vec3d& rawAxis, const Vec3d& a, const Vec3d& b, const Vec3d& c,
                       const Vec3d& half, const Vec3d& motion) {
    const double length = std::sqrt(Dot(rawAxis, rawAxis));
    if (length < 1e-12) return true;  // a degenerate axis never separates
    const Vec3d axis{rawAxis.x / length, rawAxis.y / length, rawAxis.z / length};
    const double pa = Dot(a, axis);
    const double pb = Dot(b, axis);
    const double pc = Dot(c, axis);
    const double lo = std::fmin(std::fmin(pa, pb), pc);
    const double hi = std::fmax(std::fmax(pa, pb), pc);
    return SweepAxis(s, axis, lo, hi, half, motion);
}

void SweepShapeTriangleAt(const Vec3d& centre, const Vec3d& half, const Vec3d& motion, const Triangle& triangle,
                          SweepHit& result) {
    const Vec3d a = Sub(ToDouble(triangle.v[0]), centre);
    const Vec3d b = Sub(ToDouble(triangle.v[1]), centre);
    const Vec3d c = Sub(ToDouble(triangle.v[2]), centre);
    const Vec3d e0 = Sub(b, a);
    const Vec3d e1 = Sub(c, b);
    const Vec3d e2 = Sub(a, c);
    const Vec3d n = Cross(e0, e1);
    if (Dot(n, n) < 1e-24) return;
    SweptAxes s;
    if (!SweepTriangleAxis(s, n, a, b, c, half, motion)) return;
    const Vec3d edges[3] = {e0, e1, e2};
    // World axis X, then X x e0, X x e1, X x e2; the same for Y and Z.
    if (!SweepTriangleAxis(s, {1, 0, 0}, a, b, c, half, motion)) return;
    for (const Vec3d& e : edges) {
        if (!SweepTriangleAxis(s, {0.0, -e.z, e.y}, a, b, c, half, motion)) return;
    }
    if (!SweepTriangleAxis(s, {0, 1, 0}, a, b, c, half, motion)) return;
    for (const Vec3d& e : edges) {
        if (!SweepTriangleAxis(s, {e.z, 0.0, -e.x}, a, b, c, half, motion)) return;
    }
    if (!SweepTriangleAxis(s, {0, 0, 1}, a, b, c, half, motion)) return;
    for (const Vec3d& e : edges) {
        if (!SweepTriangleAxis(s, {-e.y, e.x, 0.0}, a, b, c, half, motion)) return;
    }
    ApplyHitRule(s, motion, result);
}

bool StaticAxisSeparates(const glm::vec3& rawAxis, const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2,
                         const glm::vec3& half) {
    const float lengthSquared = Dot(rawAxis, rawAxis);
    if (lengthSquared < 1e-12f) return false;
    const float length = std::sqrt(lengthSquared);
    const glm::vec3 axis{rawAxis.x / length, rawAxis.y / length, rawAxis.z / length};
    const float r = std::fabs(axis.x) * half.x + std::fabs(axis.y) * half.y + std::fabs(axis.z) * half.z;
    const float a = Dot(p0, axis);
    const float b = Dot(p1, axis);
    const float c = Dot(p2, axis);
    const float lo = std::fmin(std::fmin(a, b), c);
    const float hi = std::fmax(std::fmax(a, b), c);
    return lo >= r || hi <= -r;
}

bool StrictlyOverlaps(const glm::vec3& aMin, const glm::vec3& aMax, const Aabb& b) {
    return aMax.x > b.min.x && aMin.x < b.max.x && aMax.y > b.min.y && aMin.y < b.max.y && aMax.z > b.min.z &&
           aMin.z < b.max.z;
}

// Calls visit(triangle index) for every triangle listed in the cells under the query box whose own
// bounds strictly overlap it: cells z outer, x inner, each list in order; a triangle listed in several
// of those cells is passed on once per cell. visit returns true to stop.
template <typename Visit>
void VisitTriangles(const CollisionWorld& world, const Aabb& query, Visit&& visit) {
    if (world.cellsX <= 0 || world.cellsZ <= 0) return;
    int32_t x0, z0, x1, z1;
    world.CellRange(query.min, query.max, x0, z0, x1, z1);
    for (int32_t z = z0; z <= z1; ++z) {
        for (int32_t x = x0; x <= x1; ++x) {
            const size_t cell = size_t(z) * size_t(world.cellsX) + size_t(x);
            for (int32_t i = world.cellStart[cell]; i < world.cellStart[cell + 1]; ++i) {
                const uint32_t index = world.cellTriangles[size_t(i)];
                const Triangle& t = world.triangles[index];
                if (!StrictlyOverlaps(TriangleMin(t), TriangleMax(t), query)) continue;
                if (visit(index)) return;
            }
        }
    }
}

}  // namespace

void CollisionWorld::Clear() {
    boxes.clear();
    triangles.clear();
    cellStart.clear();
    cellTriangles.clear();
    cellsX = 0;
    cellsZ = 0;
    hasFloor = true;
    floorY = 0.0f;
}

void CollisionWorld::AddBox(const glm::vec3& centre, const glm::vec3& halfExtents) {
    boxes.push_back(Aabb{centre - halfExtents, centre + halfExtents});
}

bool CollisionWorld::SetTriangles(std::vector<Triangle> input) {
    Clear();
    triangles = std::move(input);
    hasFloor = false;
    if (BuildGrid()) return true;
    Clear();
    return false;
}

bool CollisionWorld::BuildGrid() {
    cellStart.clear();
    cellTriangles.clear();
    cellsX = 0;
    cellsZ = 0;
    if (triangles.empty()) return true;

    float minX = kFloatMax, minY = kFloatMax, minZ = kFloatMax;
    float maxX = -kFloatMax, maxZ = -kFloatMax;
    for (const Triangle& t : triangles) {
        for (const glm::vec3& v : t.v) {
            // fmin and fmax pass over a NaN, and y takes no part in the extent: test every value.
            if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
                std::fprintf(stderr, "[collision] refusing a level with a non-finite vertex coordinate\n");
                return false;
            }
            minX = std::fmin(minX, v.x);
            minY = std::fmin(minY, v.y);
            minZ = std::fmin(minZ, v.z);
            maxX = std::fmax(maxX, v.x);
            maxZ = std::fmax(maxZ, v.z);
        }
    }
    originX = minX - cellSize;
    originY = minY - cellSize;
    originZ = minZ - cellSize;
    const float spanX = std::ceil((maxX + cellSize - originX) / cellSize);
    const float spanZ = std::ceil((maxZ + cellSize - originZ) / cellSize);
    const bool finite = std::isfinite(spanX) && std::isfinite(spanZ) && cellSize > 0.0f;
    if (!finite || spanX > float(kMaxCells) || spanZ > float(kMaxCells) ||
        int64_t(spanX < 1.0f ? 1.0f : spanX) * int64_t(spanZ < 1.0f ? 1.0f : spanZ) > kMaxCells) {
        std::fprintf(stderr, "[collision] refusing a grid over %.0f x %.0f m: the level is too large\n",
                     double(maxX - minX), double(maxZ - minZ));
        return false;
    }
    cellsX = spanX < 1.0f ? 1 : int32_t(spanX);
    cellsZ = spanZ < 1.0f ? 1 : int32_t(spanZ);
    const size_t cellCount = size_t(cellsX) * size_t(cellsZ);

    // Counting pass (in 64 bits first, so a level of huge triangles is refused before allocating).
    std::vector<uint32_t> counts(cellCount, 0);
    uint64_t total = 0;
    for (const Triangle& t : triangles) {
        int32_t x0, z0, x1, z1;
        CellRange(TriangleMin(t), TriangleMax(t), x0, z0, x1, z1);
        total += uint64_t(x1 - x0 + 1) * uint64_t(z1 - z0 + 1);
        if (total > kMaxListings) {
            std::fprintf(stderr, "[collision] refusing a grid of more than %llu triangle listings\n",
                         static_cast<unsigned long long>(kMaxListings));
            cellsX = 0;
            cellsZ = 0;
            return false;
        }
        for (int32_t z = z0; z <= z1; ++z) {
            for (int32_t x = x0; x <= x1; ++x) ++counts[size_t(z) * size_t(cellsX) + size_t(x)];
        }
    }
    cellStart.assign(cellCount + 1, 0);
    int32_t sum = 0;
    for (size_t c = 0; c < cellCount; ++c) {
        cellStart[c] = sum;
        sum += int32_t(counts[c]);
    }
    cellStart[cellCount] = sum;

    // Filling pass: the cursors reuse the counters.
    cellTriangles.assign(size_t(sum), 0);
    for (size_t c = 0; c < cellCount; ++c) counts[c] = uint32_t(cellStart[c]);
    for (size_t index = 0; index < triangles.size(); ++index) {
        int32_t x0, z0, x1, z1;
        CellRange(TriangleMin(triangles[index]), TriangleMax(triangles[index]), x0, z0, x1, z1);
        for (int32_t z = z0; z <= z1; ++z) {
            for (int32_t x = x0; x <= x1; ++x) {
                cellTriangles[counts[size_t(z) * size_t(cellsX) + size_t(x)]++] = uint32_t(index);
            }
        }
    }
    return true;
}

void CollisionWorld::CellRange(const glm::vec3& a, const glm::vec3& b, int32_t& x0, int32_t& z0, int32_t& x1,
                               int32_t& z1) const {
    x0 = CellIndex(a.x, originX, cellSize, cellsX);
    z0 = CellIndex(a.z, originZ, cellSize, cellsZ);
    x1 = CellIndex(b.x, originX, cellSize, cellsX);
    z1 = CellIndex(b.z, originZ, cellSize, cellsZ);
}

void CollisionWorld::BuildGreybox() {
    Clear();
    for (int i = 0; i < 5; ++i) {
        const float x = float(i) * 1.2f + 6.0f;
        const float h = float(i + 1) * 0.125f;
        AddBox({x, h, -4.0f}, {0.6f, h, 2.0f});
    }
    AddBox({-4.0f, 0.5f, 2.0f}, {1.0f, 0.5f, 1.0f});
    AddBox({-4.0f, 1.5f, 4.5f}, {1.0f, 1.5f, 1.0f});
    AddBox({2.0f, 0.35f, 5.0f}, {1.5f, 0.35f, 1.5f});
    AddBox({-8.0f, 1.0f, -6.0f}, {2.0f, 1.0f, 2.0f});
    AddBox({0.0f, 2.0f, -12.0f}, {12.0f, 2.0f, 0.5f});
    AddBox({-12.0f, 2.0f, 0.0f}, {0.5f, 2.0f, 12.0f});
    AddBox({4.0f, 1.5f, 0.0f}, {0.4f, 1.5f, 3.0f});
}

SweepHit CollisionWorld::SweepSphere(const glm::vec3& start, const glm::vec3& end, float radius) const {
    const glm::vec3 motion{end.x - start.x, end.y - start.y, end.z - start.z};
    SweepHit result;
    auto take = [&](float t, const glm::vec3& normal) {
        result.fraction = t;
        result.normal = normal;
        result.point = {start.x + motion.x * t, start.y + motion.y * t, start.z + motion.z * t};
        result.hit = true;
    };

    for (const Aabb& box : boxes) {
        const glm::vec3 grownMin{box.min.x - radius, box.min.y - radius, box.min.z - radius};
        const glm::vec3 grownMax{box.max.x + radius, box.max.y + radius, box.max.z + radius};
        glm::vec3 normal;
        const float t = SegmentBoxTest(start, motion, grownMin, grownMax, normal);
        if (t >= 0.0f && t < result.fraction) take(t, normal);
    }

    if (!triangles.empty() && cellsX > 0 && cellsZ > 0) {
        const float length = std::sqrt(motion.x * motion.x + motion.y * motion.y + motion.z * motion.z);
        const glm::vec3 direction =
            length > 1e-6f ? glm::vec3{motion.x / length, motion.y / length, motion.z / length}
                           : glm::vec3{0.0f, 0.0f, -1.0f};
        const float r = radius > 0.0f ? radius : 0.0f;
        int32_t cellX, cellZ, unusedX, unusedZ;
        CellRange(start, start, cellX, cellZ, unusedX, unusedZ);
        const int32_t stepX = motion.x > 0.0f ? 1 : (motion.x < 0.0f ? -1 : 0);
        const int32_t stepZ = motion.z > 0.0f ? 1 : (motion.z < 0.0f ? -1 : 0);
        // Each border crossing is worked out afresh from the cell index in 64-bit floats, where the cell
        // borders are exact: summing a step per cell in 32 bits drifts off the path on a long level and
        // ends the walk short of surfaces the segment reaches.
        const double size = double(cellSize);
        auto crossing = [size](int32_t cell, int32_t step, float origin, float from, float delta) -> double {
            if (step > 0) return (double(origin) + double(cell + 1) * size - double(from)) / double(delta);
            if (step < 0) return (double(origin) + double(cell) * size - double(from)) / double(delta);
            return double(kFloatMax);
        };
        double tMaxX = crossing(cellX, stepX, originX, start.x, motion.x);
        double tMaxZ = crossing(cellZ, stepZ, originZ, start.z, motion.z);
        const int32_t reach = r > 0.0f ? 1 : 0;
        const int32_t maxSteps = cellsX + cellsZ + 4;
        for (int32_t step = 0; step < maxSteps; ++step) {
            for (int32_t dz = -reach; dz <= reach; ++dz) {
                for (int32_t dx = -reach; dx <= reach; ++dx) {
                    const int32_t x = cellX + dx;
                    const int32_t z = cellZ + dz;
                    if (x < 0 || x >= cellsX || z < 0 || z >= cellsZ) continue;
                    const size_t cell = size_t(z) * size_t(cellsX) + size_t(x);
                    for (int32_t i = cellStart[cell]; i < cellStart[cell + 1]; ++i) {
                        const Triangle& tri = triangles[cellTriangles[size_t(i)]];
                        glm::vec3 normal;
                        float t;
                        if (r > 0.0f) {
                            const glm::vec3 lo = TriangleMin(tri);
                            const glm::vec3 hi = TriangleMax(tri);
                            t = SegmentBoxTest(start, motion, {lo.x - r, lo.y - r, lo.z - r},
                                               {hi.x + r, hi.y + r, hi.z + r}, normal);
                        } else {
                            const float distance = SegmentTriangleTest(start, direction, tri, normal);
                            if (!(distance >= 0.0f && length > 1e-6f)) continue;
                            t = distance / length;
                        }
                        if (t >= 0.0f && t <= 1.0f && t < result.fraction) take(t, normal);
                    }
                }
            }
            const double tNext = tMaxX < tMaxZ ? tMaxX : tMaxZ;
            if (tNext > 1.0 || tNext > double(result.fraction)) break;
            // Ties step z.
            if (tMaxX >= tMaxZ) {
                cellZ += stepZ;
                tMaxZ = crossing(cellZ, stepZ, originZ, start.z, motion.z);
            } else {
                cellX += stepX;
                tMaxX = crossing(cellX, stepX, originX, start.x, motion.x);
            }
            if (cellX < -1 || cellZ < -1 || cellX > cellsX || cellZ > cellsZ) break;
        }
    }

    if (hasFloor && motion.y < -1e-7f) {
        const float t = (radius + floorY - start.y) / motion.y;
        if (t >= 0.0f && t < result.fraction) take(t, glm::vec3{0.0f, 1.0f, 0.0f});
    }
    if (!result.hit) result.point = end;
    return result;
}

SweepHit CollisionWorld::SweepShape(const Aabb& box, const glm::vec3& motion) const {
    SweepHit result;
    const Vec3d lo = ToDouble(box.min);
    const Vec3d hi = ToDouble(box.max);
    const Vec3d centre{(lo.x + hi.x) / 2.0, (lo.y + hi.y) / 2.0, (lo.z + hi.z) / 2.0};
    const Vec3d half{(hi.x - lo.x) / 2.0, (hi.y - lo.y) / 2.0, (hi.z - lo.z) / 2.0};
    const Vec3d d = ToDouble(motion);

    for (const Aabb& block : boxes) SweepShapeBlock(centre, half, d, block, result);

    if (!triangles.empty()) {
        Aabb swept;
        swept.min = {std::fmin(box.min.x, box.min.x + motion.x) - 0.001f,
                     std::fmin(box.min.y, box.min.y + motion.y) - 0.001f,
                     std::fmin(box.min.z, box.min.z + motion.z) - 0.001f};
        swept.max = {std::fmax(box.max.x, box.max.x + motion.x) + 0.001f,
                     std::fmax(box.max.y, box.max.y + motion.y) + 0.001f,
                     std::fmax(box.max.z, box.max.z + motion.z) + 0.001f};
        VisitTriangles(*this, swept, [&](uint32_t index) {
            SweepShapeTriangleAt(centre, half, d, triangles[index], result);
            return false;
        });
    }

    if (hasFloor && motion.y < 0.0f) {
        float t = (floorY - box.min.y) / motion.y;
        if (t < 0.0f) t = 0.0f;
        if (t <= 1.0f && (!result.hit || t < result.fraction)) {
            result.fraction = t;
            result.normal = {0.0f, 1.0f, 0.0f};
            result.hit = true;
        }
    }
    const glm::vec3 middle{(box.min.x + box.max.x) / 2.0f, (box.min.y + box.max.y) / 2.0f,
                           (box.min.z + box.max.z) / 2.0f};
    result.point = {middle.x + motion.x * result.fraction, middle.y + motion.y * result.fraction,
                    middle.z + motion.z * result.fraction};
    return result;
}

bool CollisionWorld::OverlapsBox(const Aabb& box) const {
    for (const Aabb& block : boxes) {
        if (StrictlyOverlaps(box.min, box.max, block)) return true;
    }
    bool overlaps = false;
    VisitTriangles(*this, box, [&](uint32_t index) {
        overlaps = BoxOverlapsTriangle(box, triangles[index]);
        return overlaps;
    });
    return overlaps;
}

Aabb MakeBodyBox(const glm::vec3& position, float radius, float height) {
    return Aabb{{position.x - radius, position.y, position.z - radius},
                {position.x + radius, position.y + height, position.z + radius}};
}

float SegmentBoxTest(const glm::vec3& origin, const glm::vec3& motion, const glm::vec3& boxMin,
                     const glm::vec3& boxMax, glm::vec3& normal) {
    float tNear = 0.0f;
    float tFar = 1.0f;
    normal = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(motion[i]) >= 1e-7f) {
            const float t1 = (boxMin[i] - origin[i]) / motion[i];
            const float t2 = (boxMax[i] - origin[i]) / motion[i];
            float entry, exit, sign;
            if (t1 > t2) {
                entry = t2;
                exit = t1;
                sign = 1.0f;
            } else {
                entry = t1;
                exit = t2;
                sign = -1.0f;
            }
            if (entry > tNear) {
                tNear = entry;
                normal = {0.0f, 0.0f, 0.0f};
                normal[i] = sign;
            }
            if (exit < tFar) tFar = exit;
            if (tNear > tFar) return -1.0f;
        } else if (origin[i] < boxMin[i] || origin[i] > boxMax[i]) {
            return -1.0f;
        }
    }
    return tNear;
}

float SegmentTriangleTest(const glm::vec3& origin, const glm::vec3& direction, const Triangle& triangle,
                          glm::vec3& normal) {
    const glm::vec3& p0 = triangle.v[0];
    const glm::vec3 e1{triangle.v[1].x - p0.x, triangle.v[1].y - p0.y, triangle.v[1].z - p0.z};
    const glm::vec3 e2{triangle.v[2].x - p0.x, triangle.v[2].y - p0.y, triangle.v[2].z - p0.z};
    const glm::vec3 p = Cross(direction, e2);
    const float det = Dot(e1, p);
    if (std::fabs(det) < 1e-9f) return -1.0f;
    const glm::vec3 s{origin.x - p0.x, origin.y - p0.y, origin.z - p0.z};
    const float sp = Dot(s, p);
    const float u = sp / det;
    if (u < 0.0f || u > 1.0f) return -1.0f;
    const glm::vec3 q = Cross(s, e1);
    const float rq = Dot(direction, q);
    const float v = rq / det;
    if (v < 0.0f || (sp + rq) / det > 1.0f) return -1.0f;
    const float t = Dot(e2, q) / det;
    if (t < 0.0f) return -1.0f;
    glm::vec3 n = Cross(e1, e2);
    const float length = std::sqrt(Dot(n, n));
    n = length > 1e-9f ? glm::vec3{n.x / length, n.y / length, n.z / length} : glm::vec3{0.0f, 1.0f, 0.0f};
    if (Dot(direction, n) > 0.0f) n = {-n.x, -n.y, -n.z};
    normal = n;
    return t;
}

void SweepShapeTriangle(const Aabb& box, const glm::vec3& motion, const Triangle& triangle, SweepHit& result) {
    const Vec3d lo = ToDouble(box.min);
    const Vec3d hi = ToDouble(box.max);
    const Vec3d centre{(lo.x + hi.x) / 2.0, (lo.y + hi.y) / 2.0, (lo.z + hi.z) / 2.0};
    const Vec3d half{(hi.x - lo.x) / 2.0, (hi.y - lo.y) / 2.0, (hi.z - lo.z) / 2.0};
    SweepShapeTriangleAt(centre, half, ToDouble(motion), triangle, result);
}

bool BoxOverlapsTriangle(const Aabb& box, const Triangle& triangle) {
    const glm::vec3 centre{(box.min.x + box.max.x) / 2.0f, (box.min.y + box.max.y) / 2.0f,
                           (box.min.z + box.max.z) / 2.0f};
    const glm::vec3 half{(box.max.x - box.min.x) / 2.0f, (box.max.y - box.min.y) / 2.0f,
                         (box.max.z - box.min.z) / 2.0f};
    const glm::vec3 p0{triangle.v[0].x - centre.x, triangle.v[0].y - centre.y, triangle.v[0].z - centre.z};
    const glm::vec3 p1{triangle.v[1].x - centre.x, triangle.v[1].y - centre.y, triangle.v[1].z - centre.z};
    const glm::vec3 p2{triangle.v[2].x - centre.x, triangle.v[2].y - centre.y, triangle.v[2].z - centre.z};
    const glm::vec3 f0{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    const glm::vec3 f1{p2.x - p1.x, p2.y - p1.y, p2.z - p1.z};
    const glm::vec3 f2{p0.x - p2.x, p0.y - p2.y, p0.z - p2.z};
    const glm::vec3 n = Cross(f0, f1);
    if (Dot(n, n) < 1e-18f) return false;
    for (const glm::vec3& f : {f0, f1, f2}) {
        if (StaticAxisSeparates({0.0f, -f.z, f.y}, p0, p1, p2, half)) return false;
        if (StaticAxisSeparates({f.z, 0.0f, -f.x}, p0, p1, p2, half)) return false;
        if (StaticAxisSeparates({-f.y, f.x, 0.0f}, p0, p1, p2, half)) return false;
    }
    if (StaticAxisSeparates({1.0f, 0.0f, 0.0f}, p0, p1, p2, half)) return false;
    if (StaticAxisSeparates({0.0f, 1.0f, 0.0f}, p0, p1, p2, half)) return false;
    if (StaticAxisSeparates({0.0f, 0.0f, 1.0f}, p0, p1, p2, half)) return false;
    return !StaticAxisSeparates(n, p0, p1, p2, half);
}
