#include "tools/assetgen/cape_strip.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include <glm/geometric.hpp>

#include "tools/assetgen/character_mesh.h"
#include "tools/assetgen/humanoid_rig.h"

namespace {

// The clasp sits on the back of the collar, just behind the backpack.
constexpr glm::vec3 kCapeTop{0.0f, 0.255f, -0.192f};
constexpr float kCapeLength = kCapeSegmentLength * static_cast<float>(kCapeJointCount);

glm::mat4 FromParts(const glm::vec3& translation, const glm::quat& rotation) {
    glm::mat4 m = glm::mat4_cast(rotation);
    m[3] = glm::vec4(translation, 1.0f);
    return m;
}

std::array<CapeJoint, kCapeJointCount> MakeJoints() {
    const glm::quat hanging(0.0f, 1.0f, 0.0f, 0.0f);  // half a turn about X: +Y down, +Z out of the back
    const char* names[kCapeJointCount] = {"cape_upper", "cape_middle", "cape_lower"};
    std::array<CapeJoint, kCapeJointCount> joints{};
    for (int j = 0; j < kCapeJointCount; ++j) {
        joints[j] = {names[j], kCapeTop + hanging * glm::vec3(0.0f, kCapeSegmentLength * static_cast<float>(j), 0.0f),
                     hanging};
    }
    return joints;
}

// A flat box along the strip: from `top` to `bottom` (distances down the strip from the first joint),
// its half width growing linearly between the two ends, `depth` out of the back at its centre.
struct Slab {
    int swatch;
    float top, bottom;
    float halfWidthTop, halfWidthBottom;
    float depth, halfThickness;
    int rows, columns;
};

// The cloth widens from the collar to the hem.
float ClothHalfWidth(float along) { return 0.08f + (0.125f - 0.08f) * along / kCapeLength; }

// Each joint carries the stretch around its own segment's middle; between two middles a vertex blends
// linearly from the upper joint to the lower, so the strip bends smoothly where they turn.
void Weigh(float along, int firstJoint, glm::u16vec4& joints, glm::vec4& weights) {
    const float centres = along / kCapeSegmentLength - 0.5f;
    if (centres <= 0.0f) {
        joints = glm::u16vec4(firstJoint, 0, 0, 0);
        weights = glm::vec4(1.0f, 0.0f, 0.0f, 0.0f);
        return;
    }
    if (centres >= static_cast<float>(kCapeJointCount - 1)) {
        joints = glm::u16vec4(firstJoint + kCapeJointCount - 1, 0, 0, 0);
        weights = glm::vec4(1.0f, 0.0f, 0.0f, 0.0f);
        return;
    }
    const int upper = static_cast<int>(std::floor(centres));
    const float t = centres - static_cast<float>(upper);
    if (t <= 0.0f) {
        joints = glm::u16vec4(firstJoint + upper, 0, 0, 0);
        weights = glm::vec4(1.0f, 0.0f, 0.0f, 0.0f);
        return;
    }
    joints = glm::u16vec4(firstJoint + upper, firstJoint + upper + 1, 0, 0);
    weights = glm::vec4(1.0f - t, t, 0.0f, 0.0f);
}

// One face as a grid over u, v in 0..1; wound counter-clockwise seen from the side `normal` faces.
void AddFace(GlbPrimitive& out, int firstJoint, int swatch, int uCells, int vCells, const glm::vec3& normal,
             const std::function<glm::vec3(float, float)>& at) {
    const uint32_t base = static_cast<uint32_t>(out.positions.size());
    const glm::vec3 top = CapeJoints()[0].head;
    const glm::vec3 down = CapeJoints()[0].rotation * glm::vec3(0.0f, 1.0f, 0.0f);
    for (int iv = 0; iv <= vCells; ++iv) {
        for (int iu = 0; iu <= uCells; ++iu) {
            const float u = static_cast<float>(iu) / static_cast<float>(uCells);
            const float v = static_cast<float>(iv) / static_cast<float>(vCells);
            const glm::vec3 p = at(u, v);
            out.positions.push_back(p);
            out.normals.push_back(normal);
            out.uvs.push_back(CharacterSwatchUv(swatch, glm::vec2(u, v)));
            glm::u16vec4 joints;
            glm::vec4 weights;
            Weigh(glm::dot(p - top, down), firstJoint, joints, weights);
            out.joints.push_back(joints);
            out.weights.push_back(weights);
        }
    }
    const glm::vec3 du = at(1.0f, 0.0f) - at(0.0f, 0.0f);
    const glm::vec3 dv = at(0.0f, 1.0f) - at(0.0f, 0.0f);
    const bool flip = glm::dot(glm::cross(du, dv), normal) < 0.0f;
    for (int iv = 0; iv < vCells; ++iv) {
        for (int iu = 0; iu < uCells; ++iu) {
            const uint32_t i0 = base + static_cast<uint32_t>(iv * (uCells + 1) + iu);
            const uint32_t i1 = i0 + 1, i2 = i0 + static_cast<uint32_t>(uCells + 1), i3 = i2 + 1;
            if (!flip) {
                out.indices.insert(out.indices.end(), {i0, i1, i3, i0, i3, i2});
            } else {
                out.indices.insert(out.indices.end(), {i0, i3, i1, i0, i2, i3});
            }
        }
    }
}

void AddSlab(GlbPrimitive& out, int firstJoint, const Slab& slab) {
    const CapeJoint& first = CapeJoints()[0];
    const glm::vec3 right = first.rotation * glm::vec3(1.0f, 0.0f, 0.0f);
    const glm::vec3 down = first.rotation * glm::vec3(0.0f, 1.0f, 0.0f);
    const glm::vec3 outward = first.rotation * glm::vec3(0.0f, 0.0f, 1.0f);
    const auto point = [&](float across, float v, float depth) {
        const float along = slab.top + (slab.bottom - slab.top) * v;
        const float half = slab.halfWidthTop + (slab.halfWidthBottom - slab.halfWidthTop) * v;
        return first.head + right * (across * half) + down * along + outward * (slab.depth + depth);
    };
    const float h = slab.halfThickness;
    // The sides lean as the strip widens: their normals tilt away from the hem.
    const float widening = (slab.halfWidthBottom - slab.halfWidthTop) / std::max(slab.bottom - slab.top, 1e-6f);
    const glm::vec3 sideRight = glm::normalize(right - down * widening);
    const glm::vec3 sideLeft = glm::normalize(-right - down * widening);

    AddFace(out, firstJoint, slab.swatch, slab.columns, slab.rows, outward,
            [&](float u, float v) { return point(2.0f * u - 1.0f, v, h); });
    AddFace(out, firstJoint, slab.swatch, slab.columns, slab.rows, -outward,
            [&](float u, float v) { return point(1.0f - 2.0f * u, v, -h); });
    AddFace(out, firstJoint, slab.swatch, 1, slab.rows, sideRight,
            [&](float u, float v) { return point(1.0f, v, h - 2.0f * h * u); });
    AddFace(out, firstJoint, slab.swatch, 1, slab.rows, sideLeft,
            [&](float u, float v) { return point(-1.0f, v, 2.0f * h * u - h); });
    AddFace(out, firstJoint, slab.swatch, slab.columns, 1, -down,
            [&](float u, float v) { return point(2.0f * u - 1.0f, 0.0f, 2.0f * h * v - h); });
    AddFace(out, firstJoint, slab.swatch, slab.columns, 1, down,
            [&](float u, float v) { return point(2.0f * u - 1.0f, 1.0f, h - 2.0f * h * v); });
}

}  // namespace

const std::array<CapeJoint, kCapeJointCount>& CapeJoints() {
    static const std::array<CapeJoint, kCapeJointCount> joints = MakeJoints();
    return joints;
}

glm::mat4 CapeBindWorld(int joint) {
    const CapeJoint& j = CapeJoints()[joint];
    return FromParts(j.head, j.rotation);
}

glm::vec3 CapeLocalTranslation(int joint) {
    if (joint > 0) return glm::vec3(0.0f, kCapeSegmentLength, 0.0f);
    const RigJoint& parent = RigJoints()[kRigTorsoTop];
    return glm::conjugate(parent.rotation) * (CapeJoints()[0].head - parent.head);
}

glm::quat CapeLocalRotation(int joint) {
    if (joint > 0) return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    return glm::normalize(glm::conjugate(RigJoints()[kRigTorsoTop].rotation) * CapeJoints()[0].rotation);
}

GlbPrimitive BuildCapeStrip(int firstJoint) {
    const float hemTop = kCapeLength - 0.024f;
    const Slab slabs[] = {
        // The cloth, with rows enough to bend smoothly over both joints below the first.
        {kSwatchArmourDark, 0.0f, kCapeLength, ClothHalfWidth(0.0f), ClothHalfWidth(kCapeLength), 0.0f, 0.006f, 24, 4},
        // A glowing hem, a little wider and thicker than the cloth it wraps.
        {kSwatchGlow, hemTop, kCapeLength, ClothHalfWidth(hemTop) + 0.004f, ClothHalfWidth(kCapeLength) + 0.004f, 0.0f,
         0.009f, 2, 6},
        // The clasp bar bridging the cloth to the backpack.
        {kSwatchMetal, -0.012f, 0.02f, 0.095f, 0.095f, -0.012f, 0.014f, 1, 4},
    };
    GlbPrimitive strip;
    for (const Slab& slab : slabs) AddSlab(strip, firstJoint, slab);
    strip.material = 0;
    return strip;
}
