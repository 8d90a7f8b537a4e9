#include "tools/assetgen/level_builder.h"

#include <cmath>
#include <cstdio>

#include "game/deterministic_math.h"
#include "tools/assetgen/map_preview.h"

namespace {

glm::vec3 Cross(const glm::vec3& a, const glm::vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const glm::vec3& a, const glm::vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

glm::vec3 Normalise(const glm::vec3& v) {
    const float length = std::sqrt(Dot(v, v));
    return length > 0.0f ? glm::vec3(v.x / length, v.y / length, v.z / length) : glm::vec3(0.0f, 1.0f, 0.0f);
}

LevelSurface& SurfaceFor(LevelPiece& piece, int material) {
    for (LevelSurface& surface : piece.surfaces) {
        if (surface.material == material) return surface;
    }
    piece.surfaces.push_back(LevelSurface{});
    piece.surfaces.back().material = material;
    return piece.surfaces.back();
}

// Planar mapping along the two axes the face spans most, so textures keep their size on every face.
glm::vec2 PlanarUv(const glm::vec3& p, const glm::vec3& normal, float tile) {
    const float ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
    if (ay >= ax && ay >= az) return {p.x / tile, p.z / tile};
    if (ax >= az) return {p.z / tile, -p.y / tile};
    return {p.x / tile, -p.y / tile};
}

// Appends a convex polygon (3 or 4 corners in order around its edge) facing `outward`.
void AddPolygon(Level& level, int piece, int material, const glm::vec3* corners, int count, const glm::vec3& outward) {
    glm::vec3 normal = Normalise(Cross(corners[1] - corners[0], corners[2] - corners[0]));
    glm::vec3 ordered[4];
    for (int i = 0; i < count; ++i) ordered[i] = corners[i];
    if (Dot(normal, outward) < 0.0f) {
        for (int i = 0; i < count; ++i) ordered[i] = corners[count - 1 - i];
        normal = glm::vec3(-normal.x, -normal.y, -normal.z);
    }
    LevelSurface& surface = SurfaceFor(level.pieces[size_t(piece)], material);
    const float tile = level.materials[size_t(material)].tile;
    const uint32_t base = uint32_t(surface.positions.size());
    for (int i = 0; i < count; ++i) {
        surface.positions.push_back(ordered[i]);
        surface.normals.push_back(normal);
        surface.uvs.push_back(PlanarUv(ordered[i], normal, tile));
    }
    surface.indices.insert(surface.indices.end(), {base, base + 1, base + 2});
    if (count == 4) surface.indices.insert(surface.indices.end(), {base, base + 2, base + 3});
}

// The corners of a box from its centre, half extents and the unit vectors of its x and z axes.
void BoxCorners(const glm::vec3& centre, const glm::vec3& half, const glm::vec3& ax, const glm::vec3& az,
                glm::vec3 corners[8]) {
    for (int i = 0; i < 8; ++i) {
        const float sx = (i & 1) ? 1.0f : -1.0f;
        const float sy = (i & 2) ? 1.0f : -1.0f;
        const float sz = (i & 4) ? 1.0f : -1.0f;
        corners[i] = centre + ax * (sx * half.x) + glm::vec3(0.0f, sy * half.y, 0.0f) + az * (sz * half.z);
    }
}

void AddBoxFromCorners(Level& level, int piece, int material, const glm::vec3 c[8], const glm::vec3& ax,
                       const glm::vec3& az, unsigned faces) {
    const glm::vec3 up{0.0f, 1.0f, 0.0f};
    if (faces & 1u) AddQuad(level, piece, material, c[0], c[2], c[6], c[4], -ax);
    if (faces & 2u) AddQuad(level, piece, material, c[1], c[5], c[7], c[3], ax);
    if (faces & 4u) AddQuad(level, piece, material, c[0], c[4], c[5], c[1], -up);
    if (faces & 8u) AddQuad(level, piece, material, c[2], c[3], c[7], c[6], up);
    if (faces & 16u) AddQuad(level, piece, material, c[0], c[1], c[3], c[2], -az);
    if (faces & 32u) AddQuad(level, piece, material, c[4], c[6], c[7], c[5], az);
}

// Unit vectors along and across a direction code (0 +x, 1 -x, 2 +z, 3 -z); across points to the
// left-hand side seen walking along.
void DirectionAxes(int direction, glm::vec3& along, glm::vec3& across) {
    switch (direction) {
        case 0: along = {1, 0, 0}; across = {0, 0, -1}; break;
        case 1: along = {-1, 0, 0}; across = {0, 0, 1}; break;
        case 2: along = {0, 0, 1}; across = {1, 0, 0}; break;
        default: along = {0, 0, -1}; across = {-1, 0, 0}; break;
    }
}

}  // namespace

int AddMaterial(Level& level, const LevelMaterial& material) {
    level.materials.push_back(material);
    return int(level.materials.size()) - 1;
}

int AddPiece(Level& level, const std::string& name, bool collision) {
    LevelPiece piece;
    piece.name = name;
    piece.collision = collision;
    level.pieces.push_back(piece);
    return int(level.pieces.size()) - 1;
}

void AddQuad(Level& level, int piece, int material, const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2,
             const glm::vec3& p3, const glm::vec3& outward) {
    const glm::vec3 corners[4] = {p0, p1, p2, p3};
    AddPolygon(level, piece, material, corners, 4, outward);
}

void AddTriangle(Level& level, int piece, int material, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
                 const glm::vec3& outward) {
    const glm::vec3 corners[3] = {a, b, c};
    AddPolygon(level, piece, material, corners, 3, outward);
}

void AddBox(Level& level, int piece, int material, const glm::vec3& lo, const glm::vec3& hi, unsigned faces) {
    glm::vec3 c[8];
    BoxCorners((lo + hi) * 0.5f, (hi - lo) * 0.5f, {1, 0, 0}, {0, 0, 1}, c);
    AddBoxFromCorners(level, piece, material, c, {1, 0, 0}, {0, 0, 1}, faces);
}

void AddTurnedBox(Level& level, int piece, int material, const glm::vec3& centre, const glm::vec3& halfExtents,
                  float yawDegrees) {
    const float radians = yawDegrees * 0.017453292f;
    const float s = DetSin(radians);
    const float co = DetCos(radians);
    const glm::vec3 ax{co, 0.0f, -s};
    const glm::vec3 az{s, 0.0f, co};
    glm::vec3 c[8];
    BoxCorners(centre, halfExtents, ax, az, c);
    AddBoxFromCorners(level, piece, material, c, ax, az, kNoBottom);
}

void AddRamp(Level& level, int piece, int material, const glm::vec3& lo, const glm::vec3& hi, int direction) {
    // Corner heights: low along the start edge, high along the end edge.
    auto height = [&](float x, float z) {
        switch (direction) {
            case 0: return x == hi.x ? hi.y : lo.y;
            case 1: return x == lo.x ? hi.y : lo.y;
            case 2: return z == hi.z ? hi.y : lo.y;
            default: return z == lo.z ? hi.y : lo.y;
        }
    };
    const glm::vec3 b00{lo.x, lo.y, lo.z}, b10{hi.x, lo.y, lo.z}, b11{hi.x, lo.y, hi.z}, b01{lo.x, lo.y, hi.z};
    const glm::vec3 t00{lo.x, height(lo.x, lo.z), lo.z}, t10{hi.x, height(hi.x, lo.z), lo.z};
    const glm::vec3 t11{hi.x, height(hi.x, hi.z), hi.z}, t01{lo.x, height(lo.x, hi.z), hi.z};
    AddQuad(level, piece, material, t00, t10, t11, t01, {0, 1, 0});
    // Each side: a quad where both top corners are raised, a triangle where one is.
    auto side = [&](const glm::vec3& b0, const glm::vec3& b1, const glm::vec3& t1, const glm::vec3& t0,
                    const glm::vec3& outward) {
        const bool raised0 = t0.y > b0.y;
        const bool raised1 = t1.y > b1.y;
        if (raised0 && raised1) {
            AddQuad(level, piece, material, b0, b1, t1, t0, outward);
        } else if (raised0) {
            AddTriangle(level, piece, material, b0, b1, t0, outward);
        } else if (raised1) {
            AddTriangle(level, piece, material, b0, b1, t1, outward);
        }
    };
    side(b00, b10, t10, t00, {0, 0, -1});
    side(b01, b11, t11, t01, {0, 0, 1});
    side(b00, b01, t01, t00, {-1, 0, 0});
    side(b10, b11, t11, t10, {1, 0, 0});
}

void AddStairs(Level& level, int piece, int material, const glm::vec3& start, int direction, int count, float rise,
               float run, float width) {
    glm::vec3 along, across;
    DirectionAxes(direction, along, across);
    for (int i = 0; i < count; ++i) {
        const glm::vec3 a = start + along * (run * float(i));
        const glm::vec3 b = start + along * (run * float(i + 1)) - across * width;
        const glm::vec3 lo{std::fmin(a.x, b.x), start.y, std::fmin(a.z, b.z)};
        const glm::vec3 hi{std::fmax(a.x, b.x), start.y + rise * float(i + 1), std::fmax(a.z, b.z)};
        AddBox(level, piece, material, lo, hi);
    }
}

void AddPrism(Level& level, int piece, int material, const glm::vec3& centreBottom, float radius, int sides, float y1) {
    std::vector<glm::vec3> ring;
    for (int i = 0; i < sides; ++i) {
        const float angle = (float(i) + 0.5f) * 6.2831853f / float(sides);
        ring.push_back({centreBottom.x + radius * DetCos(angle), 0.0f, centreBottom.z + radius * DetSin(angle)});
    }
    const glm::vec3 topCentre{centreBottom.x, y1, centreBottom.z};
    for (int i = 0; i < sides; ++i) {
        const glm::vec3& a = ring[size_t(i)];
        const glm::vec3& b = ring[size_t((i + 1) % sides)];
        const glm::vec3 outward{(a.x + b.x) * 0.5f - centreBottom.x, 0.0f, (a.z + b.z) * 0.5f - centreBottom.z};
        AddQuad(level, piece, material, {a.x, centreBottom.y, a.z}, {b.x, centreBottom.y, b.z}, {b.x, y1, b.z},
                {a.x, y1, a.z}, outward);
        AddTriangle(level, piece, material, topCentre, {a.x, y1, a.z}, {b.x, y1, b.z}, {0, 1, 0});
    }
}

void AddHeightfield(Level& level, int piece, int material, float x0, float z0, float cell, int nx, int nz,
                    const std::vector<float>& heights) {
    auto corner = [&](int i, int k) {
        return glm::vec3(x0 + cell * float(i), heights[size_t(k) * size_t(nx + 1) + size_t(i)], z0 + cell * float(k));
    };
    for (int k = 0; k < nz; ++k) {
        for (int i = 0; i < nx; ++i) {
            const glm::vec3 a = corner(i, k), b = corner(i + 1, k), c = corner(i + 1, k + 1), d = corner(i, k + 1);
            // Alternate the diagonal so that slopes do not all crease the same way.
            if ((i + k) % 2 == 0) {
                AddTriangle(level, piece, material, a, b, c, {0, 1, 0});
                AddTriangle(level, piece, material, a, c, d, {0, 1, 0});
            } else {
                AddTriangle(level, piece, material, a, b, d, {0, 1, 0});
                AddTriangle(level, piece, material, b, c, d, {0, 1, 0});
            }
        }
    }
}

std::vector<LevelTriangle> SolidTriangles(const Level& level, bool previewOnly) {
    std::vector<LevelTriangle> out;
    for (const LevelPiece& piece : level.pieces) {
        if (previewOnly ? !piece.inPreview : !piece.collision) continue;
        for (const LevelSurface& surface : piece.surfaces) {
            for (size_t i = 0; i + 2 < surface.indices.size(); i += 3) {
                out.push_back({{surface.positions[surface.indices[i]], surface.positions[surface.indices[i + 1]],
                                surface.positions[surface.indices[i + 2]]},
                               surface.material});
            }
        }
    }
    return out;
}

bool WriteLevel(const Level& level, const std::string& root, const std::string& folder, const std::string& fileName,
                float scale) {
    const float toFile = 1.0f / scale;
    GlbModel model;
    for (const LevelMaterial& material : level.materials) {
        GlbMaterial written;
        written.name = material.name;
        written.baseColor = material.baseColor;
        written.emissive = material.emissive;
        written.roughness = material.roughness;
        written.metallic = material.metallic;
        if (!material.image.rgba.empty()) {
            model.images.push_back(material.image);
            written.image = int(model.images.size()) - 1;
        }
        model.materials.push_back(written);
    }
    for (const LevelPiece& piece : level.pieces) {
        GlbMesh mesh;
        mesh.name = piece.name;
        for (const LevelSurface& surface : piece.surfaces) {
            GlbPrimitive primitive;
            primitive.material = surface.material;
            for (const glm::vec3& p : surface.positions) primitive.positions.push_back(p * toFile);
            primitive.normals = surface.normals;
            primitive.uvs = surface.uvs;
            primitive.indices = surface.indices;
            mesh.primitives.push_back(primitive);
        }
        if (mesh.primitives.empty()) continue;
        model.meshes.push_back(mesh);
        GlbNode node;
        node.name = piece.name;
        node.mesh = int(model.meshes.size()) - 1;
        if (!piece.collision) node.extras["collision"] = tinygltf::Value(false);
        model.nodes.push_back(node);
    }
    for (const LevelSpawn& spawn : level.spawns) {
        GlbNode node;
        node.name = spawn.name;
        node.translation = spawn.position * toFile;
        if (spawn.hasFacing) node.extras["facing_degrees"] = tinygltf::Value(double(spawn.facing));
        model.nodes.push_back(node);
    }
    const std::string base = root + "/" + folder + "/";
    if (!WriteGlb(model, base + fileName)) return false;

    std::string json = "{\n  \"area_lights\": [";
    for (size_t i = 0; i < level.lights.size(); ++i) {
        const LevelLight& light = level.lights[i];
        const glm::vec3 p = light.position * toFile;
        char entry[512];
        std::snprintf(entry, sizeof entry,
                      "%s\n    {\"position\": [%.6f, %.6f, %.6f], \"color_linear\": [%.4f, %.4f, %.4f], "
                      "\"blender_energy_watts\": %.1f, \"size_metres\": %.6f}",
                      i ? "," : "", double(p.x), double(p.y), double(p.z), double(light.colour.r),
                      double(light.colour.g), double(light.colour.b), double(light.energy),
                      double(light.size * toFile));
        json += entry;
    }
    json += "\n  ]\n}\n";
    const size_t dot = fileName.rfind('.');
    const std::string sidecar = base + fileName.substr(0, dot) + ".gameplay.json";
    if (!WriteFileBytes(sidecar, json.data(), json.size())) return false;
    return WriteMapPreview(level, base + "preview.png");
}
