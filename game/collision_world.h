#pragma once

// The static level every moving thing collides with: either a loaded map's triangles, bucketed in a
// uniform grid over the x-z plane, or the built-in greybox level of axis-aligned blocks on an infinite
// floor. Client and server run these queries on the same data and must get the same bits, so the
// order in which surfaces are visited and the tie rules below are part of the contract: a new hit
// replaces the current one only when strictly nearer, and surfaces are met blocks first, then
// triangles (in grid walking order, each cell's list ascending), then the floor plane.
//
// Filled once while a map loads, then read-only: any number of threads may query one world.
// Queries allocate nothing. Units are metres, y is up.

#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

// Both faces are solid; no winding is assumed.
struct Triangle {
    glm::vec3 v[3] = {};
};

struct Aabb {
    glm::vec3 min{0.0f, 0.0f, 0.0f};
    glm::vec3 max{0.0f, 0.0f, 0.0f};
};

struct SweepHit {
    float fraction = 1.0f;                // of the motion at first contact; 1 when nothing is hit
    glm::vec3 point{0.0f, 0.0f, 0.0f};    // sphere: centre at contact (end point on a miss); box: centre at fraction
    glm::vec3 normal{0.0f, 0.0f, 0.0f};   // against the motion; zero on a miss
    bool hit = false;
};

struct CollisionWorld {
    std::vector<Aabb> boxes;              // solid blocks (greybox level only)
    std::vector<Triangle> triangles;
    std::vector<int32_t> cellStart;       // cellsX * cellsZ + 1 prefix offsets into cellTriangles
    std::vector<uint32_t> cellTriangles;  // per cell, ascending triangle indices
    float cellSize = 4.0f;
    float originX = 0.0f;
    float originY = 0.0f;
    float originZ = 0.0f;
    int32_t cellsX = 0;                   // 0 while there is no grid; cell (x, z) has index z * cellsX + x
    int32_t cellsZ = 0;
    bool hasFloor = true;                 // the plane y = floorY is solid
    float floorY = 0.0f;

    // Empties blocks, triangles and grid; the floor plane at 0 becomes solid again. Keeps the cell
    // size and the origin.
    void Clear();
    void AddBox(const glm::vec3& centre, const glm::vec3& halfExtents);
    // Replaces everything by these triangles (moved in): no floor plane, no blocks, a new grid.
    // Returns false, after one "[collision]" line, when the level is too large for a grid (or its
    // coordinates are not finite); the world is then cleared and the caller falls back to the greybox.
    bool SetTriangles(std::vector<Triangle> triangles);
    // The fallback test level: blocks on the floor plane y = 0.
    void BuildGreybox();
    // Rebuilds the grid over `triangles` (run by SetTriangles). False, after one line, when refused.
    bool BuildGrid();
    // The clamped cell range covered by the x-z rectangle from corner a (low) to corner b (high).
    void CellRange(const glm::vec3& a, const glm::vec3& b, int32_t& x0, int32_t& z0, int32_t& x1, int32_t& z1) const;

    // A sphere of `radius` moved from start to end (a ray when the radius is 0). Against triangles a
    // sphere is approximated by each triangle's bounding box grown by the radius.
    SweepHit SweepSphere(const glm::vec3& start, const glm::vec3& end, float radius) const;
    // An axis-aligned box moved by `motion`, in 64-bit floats. A box that starts overlapping a surface
    // is stopped at 0 only when it moves into it; moving away from it or along it is not stopped.
    SweepHit SweepShape(const Aabb& box, const glm::vec3& motion) const;
    // True when the box overlaps a block or a triangle; touching is not overlapping; the floor plane
    // is not considered.
    bool OverlapsBox(const Aabb& box) const;
};

// The box of a standing body whose feet are at `position`.
Aabb MakeBodyBox(const glm::vec3& position, float radius, float height);

// The per-surface tests the queries are made of, exposed so that tests can check the grid against a
// walk over every triangle.
//
// Slab test of the segment origin + motion x t, t in 0..1, against a box: the entry t (0 with a zero
// normal when the origin is inside), or -1 on a miss.
float SegmentBoxTest(const glm::vec3& origin, const glm::vec3& motion, const glm::vec3& boxMin,
                     const glm::vec3& boxMax, glm::vec3& normal);
// Ray (unit direction) against a triangle: the distance along the ray, or -1.
float SegmentTriangleTest(const glm::vec3& origin, const glm::vec3& direction, const Triangle& triangle,
                          glm::vec3& normal);
// The swept box test against one triangle, applying the hit rule to `result`.
void SweepShapeTriangle(const Aabb& box, const glm::vec3& motion, const Triangle& triangle, SweepHit& result);
// Static overlap of a box and a triangle (touching counts as separated).
bool BoxOverlapsTriangle(const Aabb& box, const Triangle& triangle);
