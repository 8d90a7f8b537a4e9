#include "tools/assetgen/mesh_kit.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

namespace {

constexpr float kTwoPi = 6.28318530718f;

KitSolid& SolidOf(Kit& kit, int material) {
    if (static_cast<int>(kit.solids.size()) <= material) kit.solids.resize(material + 1);
    return kit.solids[material];
}

void Emit(KitSolid& solid, const glm::mat4& place, glm::vec3 position, glm::vec3 normal) {
    solid.positions.push_back(glm::vec3(place * glm::vec4(position, 1.0f)));
    solid.normals.push_back(glm::normalize(glm::vec3(place * glm::vec4(normal, 0.0f))));
}

void Quad(KitSolid& solid, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    solid.indices.insert(solid.indices.end(), {a, b, c, a, c, d});
}

}  // namespace

int AddMaterial(Kit& kit, const KitMaterial& material) {
    kit.materials.push_back(material);
    kit.solids.resize(kit.materials.size());
    return static_cast<int>(kit.materials.size()) - 1;
}

glm::mat4 Place(glm::vec3 centre, float pitchDegrees, float yawDegrees, float rollDegrees) {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), centre);
    m = glm::rotate(m, glm::radians(yawDegrees), glm::vec3(0, 1, 0));
    m = glm::rotate(m, glm::radians(pitchDegrees), glm::vec3(1, 0, 0));
    m = glm::rotate(m, glm::radians(rollDegrees), glm::vec3(0, 0, 1));
    return m;
}

glm::mat4 PlaceAlong(glm::vec3 from, glm::vec3 to) {
    const glm::vec3 z = glm::normalize(to - from);
    const glm::vec3 helper = std::fabs(z.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
    const glm::vec3 x = glm::normalize(glm::cross(helper, z));
    const glm::vec3 y = glm::cross(z, x);
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(x, 0.0f);
    m[1] = glm::vec4(y, 0.0f);
    m[2] = glm::vec4(z, 0.0f);
    m[3] = glm::vec4((from + to) * 0.5f, 1.0f);
    return m;
}

void AddBox(Kit& kit, int material, const glm::mat4& place, glm::vec3 half) {
    KitSolid& solid = SolidOf(kit, material);
    // Each face: its normal and two in-plane axes chosen so that u x v = normal (counter-clockwise outside).
    const glm::vec3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const glm::vec3& n : normals) {
        const glm::vec3 u = std::fabs(n.y) > 0.5f ? glm::vec3(0, 0, n.y) : glm::vec3(-n.z, 0, n.x);
        const glm::vec3 v = glm::cross(n, u);
        const uint32_t base = static_cast<uint32_t>(solid.positions.size());
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners) Emit(solid, place, (n + u * c[0] + v * c[1]) * half, n);
        Quad(solid, base, base + 1, base + 2, base + 3);
    }
}

void AddCylinder(Kit& kit, int material, const glm::mat4& place, float back, float front, float halfLength, int sides) {
    KitSolid& solid = SolidOf(kit, material);
    const float slope = (back - front) / (2.0f * halfLength);
    uint32_t base = static_cast<uint32_t>(solid.positions.size());
    for (int i = 0; i <= sides; ++i) {
        const float a = kTwoPi * i / sides;
        const float c = std::cos(a), s = std::sin(a);
        const glm::vec3 normal = glm::normalize(glm::vec3(c, s, slope));
        Emit(solid, place, {c * back, s * back, -halfLength}, normal);
        Emit(solid, place, {c * front, s * front, halfLength}, normal);
    }
    for (int i = 0; i < sides; ++i) {
        const uint32_t a = base + 2 * i;
        Quad(solid, a, a + 2, a + 3, a + 1);
    }
    for (int end = 0; end < 2; ++end) {
        const float radius = end == 0 ? back : front;
        if (radius <= 0.0f) continue;
        const float z = end == 0 ? -halfLength : halfLength;
        const glm::vec3 normal(0, 0, end == 0 ? -1.0f : 1.0f);
        base = static_cast<uint32_t>(solid.positions.size());
        Emit(solid, place, {0, 0, z}, normal);
        for (int i = 0; i <= sides; ++i) {
            const float a = kTwoPi * i / sides;
            Emit(solid, place, {std::cos(a) * radius, std::sin(a) * radius, z}, normal);
        }
        for (int i = 0; i < sides; ++i) {
            if (end == 1) solid.indices.insert(solid.indices.end(), {base, base + 1 + i, base + 2 + i});
            else solid.indices.insert(solid.indices.end(), {base, base + 2 + i, base + 1 + i});
        }
    }
}

void AddEllipsoid(Kit& kit, int material, const glm::mat4& place, glm::vec3 radii, int rings, int sides) {
    KitSolid& solid = SolidOf(kit, material);
    const uint32_t base = static_cast<uint32_t>(solid.positions.size());
    for (int r = 0; r <= rings; ++r) {
        const float polar = 3.14159265f * r / rings;
        for (int i = 0; i <= sides; ++i) {
            const float a = kTwoPi * i / sides;
            const glm::vec3 unit(std::sin(polar) * std::cos(a), std::cos(polar), std::sin(polar) * std::sin(a));
            Emit(solid, place, unit * radii, glm::normalize(unit / radii));
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int i = 0; i < sides; ++i) {
            const uint32_t a = base + r * (sides + 1) + i;
            const uint32_t b = a + sides + 1;
            Quad(solid, a, a + 1, b + 1, b);
        }
    }
}

void AddTorus(Kit& kit, int material, const glm::mat4& place, float radius, float tube, int sides, int tubeSides) {
    KitSolid& solid = SolidOf(kit, material);
    const uint32_t base = static_cast<uint32_t>(solid.positions.size());
    for (int i = 0; i <= sides; ++i) {
        const float a = kTwoPi * i / sides;
        const glm::vec3 out(std::cos(a), std::sin(a), 0.0f);
        for (int j = 0; j <= tubeSides; ++j) {
            const float b = kTwoPi * j / tubeSides;
            const glm::vec3 normal = out * std::cos(b) + glm::vec3(0, 0, std::sin(b));
            Emit(solid, place, out * radius + normal * tube, normal);
        }
    }
    for (int i = 0; i < sides; ++i) {
        for (int j = 0; j < tubeSides; ++j) {
            const uint32_t a = base + i * (tubeSides + 1) + j;
            const uint32_t b = a + tubeSides + 1;
            Quad(solid, a, b, b + 1, a + 1);
        }
    }
}

void KitBounds(const Kit& kit, glm::vec3& lo, glm::vec3& hi) {
    lo = glm::vec3(1e9f);
    hi = glm::vec3(-1e9f);
    for (const KitSolid& solid : kit.solids) {
        for (const glm::vec3& p : solid.positions) {
            lo = glm::min(lo, p);
            hi = glm::max(hi, p);
        }
    }
}
