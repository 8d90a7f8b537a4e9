#include "tools/assetgen/character_mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include <glm/geometric.hpp>

#include "tools/assetgen/humanoid_rig.h"

namespace {

// One shaped piece in its bone's local space (+Y along the bone): a box with rounded edges,
// optionally narrowing towards either end, skinned rigidly to its bone or easing into the
// neighbouring joints at its ends so that the undersuit bends smoothly.
struct Piece {
    int bone;
    int swatch;
    glm::vec3 centre;
    glm::vec3 half;
    float radius;
    int segments;
    float taperLow = 1.0f;   // x and z scale at the -y end
    float taperHigh = 1.0f;  // x and z scale at the +y end
    int blendLowJoint = -1;  // joint the -y end eases into
    int blendHighJoint = -1; // joint the +y end eases into
    float blendFraction = 0.3f;
    bool mirrored = false;   // also build the mirror image (other side's bone, or x negated)
};

int OppositeJoint(int joint) {
    if (joint < 0) return joint;
    const int side = RigJoints()[joint].side;
    if (side == 0) return joint;
    if (joint >= kRigUpperLegL && joint <= kRigFootR) return side > 0 ? joint + 3 : joint - 3;
    return side > 0 ? joint + 4 : joint - 4;
}

std::vector<Piece> Pieces() {
    const int P = kRigPelvis, TB = kRigTorsoBottom, TT = kRigTorsoTop, H = kRigHead;
    const int UA = kRigUpperArmL, FA = kRigForearmL, HA = kRigHandL;
    const int UL = kRigUpperLegL, LL = kRigLowerLegL, FT = kRigFootL;
    const int A = kSwatchArmour, D = kSwatchArmourDark, S = kSwatchSuit, M = kSwatchMetal, V = kSwatchVisor,
              G = kSwatchGlow, O = kSwatchSole;
    std::vector<Piece> p = {
        // Hips and belt.
        {P, S, {0, -0.035f, 0}, {0.13f, 0.055f, 0.095f}, 0.05f, 6},
        {P, M, {0, 0.0f, 0}, {0.145f, 0.022f, 0.107f}, 0.02f, 5},
        {P, G, {0, 0.0f, 0.105f}, {0.035f, 0.018f, 0.01f}, 0.008f, 3},
        {P, D, {0, -0.05f, 0.088f}, {0.05f, 0.04f, 0.02f}, 0.015f, 4, 0.7f, 1.0f},
        {P, D, {0, -0.04f, -0.09f}, {0.1f, 0.04f, 0.02f}, 0.012f, 4},
        // Waist: the undersuit eases into the pelvis so the upper body can turn; three ab plates.
        {TB, S, {0, 0.04f, 0}, {0.115f, 0.062f, 0.085f}, 0.05f, 6, 1.0f, 1.0f, P, -1, 0.5f},
        {TB, A, {0, 0.025f, 0.008f}, {0.122f, 0.02f, 0.098f}, 0.018f, 5},
        {TB, A, {0, 0.062f, 0.008f}, {0.126f, 0.02f, 0.1f}, 0.018f, 5},
        {TB, A, {0, 0.099f, 0.008f}, {0.13f, 0.02f, 0.102f}, 0.018f, 5},
        // Chest, collar, backpack and its vents.
        {TT, A, {0, 0.06f, 0.008f}, {0.15f, 0.08f, 0.115f}, 0.045f, 8, 0.88f, 1.0f},
        {TT, D, {0, 0.04f, 0.118f}, {0.06f, 0.035f, 0.008f}, 0.008f, 4},
        {TT, G, {0, 0.078f, 0.123f}, {0.045f, 0.014f, 0.006f}, 0.005f, 3},
        {TT, M, {0, 0.13f, 0}, {0.09f, 0.022f, 0.08f}, 0.02f, 5},
        {TT, D, {0, 0.06f, -0.13f}, {0.11f, 0.08f, 0.045f}, 0.025f, 6},
        {TT, G, {0.05f, 0.06f, -0.177f}, {0.018f, 0.055f, 0.006f}, 0.005f, 3, 1, 1, -1, -1, 0.3f, true},
        {TT, S, {0, 0.15f, 0}, {0.05f, 0.035f, 0.05f}, 0.045f, 5, 1.0f, 1.0f, -1, H, 0.6f},
        // Helmet: shell, visor, brow, crest, ear pods with lights, jaw guard, antenna.
        {H, A, {0, 0.165f, -0.005f}, {0.185f, 0.17f, 0.195f}, 0.14f, 10},
        {H, V, {0, 0.155f, 0.15f}, {0.155f, 0.06f, 0.06f}, 0.05f, 8},
        {H, D, {0, 0.225f, 0.175f}, {0.16f, 0.018f, 0.03f}, 0.015f, 5},
        {H, D, {0, 0.335f, -0.02f}, {0.02f, 0.035f, 0.14f}, 0.015f, 5},
        {H, M, {0.19f, 0.14f, -0.01f}, {0.03f, 0.055f, 0.055f}, 0.025f, 5, 1, 1, -1, -1, 0.3f, true},
        {H, G, {0.222f, 0.14f, -0.01f}, {0.004f, 0.025f, 0.025f}, 0.004f, 3, 1, 1, -1, -1, 0.3f, true},
        {H, D, {0, 0.06f, 0.12f}, {0.11f, 0.045f, 0.06f}, 0.035f, 6},
        {H, M, {0.17f, 0.32f, -0.08f}, {0.006f, 0.08f, 0.006f}, 0.005f, 3},
        // Arm: pauldron with its rim, undersuit, biceps plate, elbow pad, vambrace, gauntlet.
        {UA, A, {-0.01f, 0.025f, 0}, {0.07f, 0.06f, 0.075f}, 0.055f, 8, 1, 1, -1, -1, 0.3f, true},
        {UA, D, {-0.005f, 0.07f, 0}, {0.068f, 0.012f, 0.073f}, 0.01f, 5, 1, 1, -1, -1, 0.3f, true},
        {UA, S, {0, 0.07f, 0}, {0.04f, 0.07f, 0.04f}, 0.038f, 6, 1, 1, -1, FA, 0.3f, true},
        {UA, D, {-0.008f, 0.095f, 0}, {0.044f, 0.035f, 0.046f}, 0.02f, 5, 1, 1, -1, -1, 0.3f, true},
        {FA, M, {0, 0.0f, -0.03f}, {0.035f, 0.03f, 0.03f}, 0.028f, 5, 1, 1, -1, -1, 0.3f, true},
        {FA, A, {0, 0.04f, 0}, {0.048f, 0.045f, 0.052f}, 0.028f, 6, 1.0f, 0.88f, -1, -1, 0.3f, true},
        {FA, G, {-0.049f, 0.04f, 0}, {0.004f, 0.03f, 0.012f}, 0.003f, 3, 1, 1, -1, -1, 0.3f, true},
        {HA, S, {0, 0.04f, 0}, {0.038f, 0.045f, 0.05f}, 0.025f, 5, 1, 1, FA, -1, 0.3f, true},
        {HA, D, {-0.032f, 0.04f, 0}, {0.012f, 0.04f, 0.045f}, 0.01f, 4, 1, 1, -1, -1, 0.3f, true},
        {HA, S, {0.006f, 0.092f, 0}, {0.03f, 0.025f, 0.045f}, 0.02f, 5, 1, 1, -1, -1, 0.3f, true},
        {HA, S, {0.01f, 0.045f, 0.052f}, {0.015f, 0.03f, 0.014f}, 0.013f, 4, 1, 1, -1, -1, 0.3f, true},
        // Leg: thigh undersuit and plates, knee pad, shin guard with its light, calf, boot.
        {UL, S, {0, 0.09f, 0}, {0.065f, 0.1f, 0.068f}, 0.06f, 6, 1, 1, P, LL, 0.25f, true},
        {UL, A, {0.003f, 0.085f, -0.035f}, {0.07f, 0.07f, 0.045f}, 0.035f, 6, 1, 1, -1, -1, 0.3f, true},
        {UL, D, {0.06f, 0.03f, 0}, {0.025f, 0.06f, 0.065f}, 0.02f, 5, 1, 1, -1, -1, 0.3f, true},
        {LL, M, {0, 0.005f, -0.045f}, {0.05f, 0.045f, 0.035f}, 0.03f, 5, 1, 1, -1, -1, 0.3f, true},
        {LL, A, {0, 0.1f, -0.018f}, {0.06f, 0.085f, 0.06f}, 0.035f, 6, 1.0f, 0.85f, -1, -1, 0.3f, true},
        {LL, G, {0, 0.1f, -0.079f}, {0.012f, 0.04f, 0.004f}, 0.003f, 3, 1, 1, -1, -1, 0.3f, true},
        {LL, S, {0, 0.1f, 0.012f}, {0.055f, 0.095f, 0.052f}, 0.05f, 6, 1, 1, UL, -1, 0.25f, true},
        {FT, D, {0, 0.03f, 0.025f}, {0.058f, 0.085f, 0.038f}, 0.03f, 6, 1, 1, -1, -1, 0.3f, true},
        {FT, O, {0, 0.032f, 0.054f}, {0.062f, 0.09f, 0.006f}, 0.005f, 4, 1, 1, -1, -1, 0.3f, true},
        {FT, M, {0, 0.085f, 0.02f}, {0.05f, 0.03f, 0.03f}, 0.022f, 5, 1, 1, -1, -1, 0.3f, true},
        {FT, D, {0, -0.005f, 0.0f}, {0.06f, 0.05f, 0.04f}, 0.035f, 5, 1, 1, -1, -1, 0.3f, true},
    };
    return p;
}

// Spreads grid lines towards the cube's edges, where the rounding needs them.
float EdgeDense(float t) { return std::sin(t * 1.5707964f); }

struct Face {
    glm::vec3 normal, u, v;
};

void AddPiece(const Piece& piece, bool mirror, GlbPrimitive& out) {
    static const Face kFaces[6] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
    };
    const int bone = mirror ? OppositeJoint(piece.bone) : piece.bone;
    const int lowJoint = mirror ? OppositeJoint(piece.blendLowJoint) : piece.blendLowJoint;
    const int highJoint = mirror ? OppositeJoint(piece.blendHighJoint) : piece.blendHighJoint;
    const glm::mat4 bind = RigBindWorld(bone);
    const glm::vec3 h = piece.half;
    const float r = std::min({piece.radius, h.x, h.y, h.z});
    const glm::vec3 inner = h - glm::vec3(r);
    const int n = std::max(piece.segments, 2);
    const size_t first = out.positions.size();

    for (const Face& face : kFaces) {
        const uint32_t base = static_cast<uint32_t>(out.positions.size());
        for (int iv = 0; iv <= n; ++iv) {
            for (int iu = 0; iu <= n; ++iu) {
                const float a = static_cast<float>(iu) / static_cast<float>(n);
                const float b = static_cast<float>(iv) / static_cast<float>(n);
                const glm::vec3 cube = face.normal + face.u * EdgeDense(2.0f * a - 1.0f) + face.v * EdgeDense(2.0f * b - 1.0f);
                const glm::vec3 q = cube * h;
                const glm::vec3 core = glm::clamp(q, -inner, inner);
                glm::vec3 offset = q - core;
                const float length = glm::length(offset);
                offset = length > 1e-7f ? offset / length : face.normal;
                glm::vec3 local = core + offset * r;
                // Narrow towards the ends, then place in the bone's space.
                const float along = h.y > 0.0f ? (local.y + h.y) / (2.0f * h.y) : 0.5f;
                const float taper = piece.taperLow + (piece.taperHigh - piece.taperLow) * along;
                local.x *= taper;
                local.z *= taper;
                local += piece.centre;
                if (mirror) local.x = -local.x;
                out.positions.push_back(glm::vec3(bind * glm::vec4(local, 1.0f)));
                out.uvs.push_back(CharacterSwatchUv(piece.swatch, glm::vec2(a, 1.0f - b)));

                // Weights: rigid on the bone, easing half-way into a neighbour over the end zones.
                const float f = std::max(piece.blendFraction, 0.01f);
                const float low = lowJoint >= 0 ? 0.5f * std::clamp(1.0f - along / f, 0.0f, 1.0f) : 0.0f;
                const float high = highJoint >= 0 ? 0.5f * std::clamp((along - (1.0f - f)) / f, 0.0f, 1.0f) : 0.0f;
                out.joints.push_back(glm::u16vec4(bone, std::max(lowJoint, 0), std::max(highJoint, 0), 0));
                out.weights.push_back(glm::vec4(1.0f - low - high, low, high, 0.0f));
            }
        }
        for (int iv = 0; iv < n; ++iv) {
            for (int iu = 0; iu < n; ++iu) {
                const uint32_t i0 = base + static_cast<uint32_t>(iv * (n + 1) + iu);
                const uint32_t i1 = i0 + 1, i2 = i0 + static_cast<uint32_t>(n + 1), i3 = i2 + 1;
                // Counter-clockwise seen from outside; a mirror image swaps the winding.
                if (!mirror) {
                    out.indices.insert(out.indices.end(), {i0, i1, i3, i0, i3, i2});
                } else {
                    out.indices.insert(out.indices.end(), {i0, i3, i1, i0, i2, i3});
                }
            }
        }
    }

    // Smooth normals over the whole piece: faces of the cube share positions along their seams.
    const size_t count = out.positions.size() - first;
    std::vector<glm::vec3> normals(count, glm::vec3(0.0f));
    std::map<std::tuple<int, int, int>, std::vector<size_t>> welded;
    for (size_t i = 0; i < count; ++i) {
        const glm::vec3 p = out.positions[first + i] * 100000.0f;
        welded[{static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)), static_cast<int>(std::lround(p.z))}]
            .push_back(i);
    }
    const size_t firstIndex = out.indices.size() - static_cast<size_t>(6 * n * n * 6);
    for (size_t t = firstIndex; t < out.indices.size(); t += 3) {
        const glm::vec3& a = out.positions[out.indices[t]];
        const glm::vec3& b = out.positions[out.indices[t + 1]];
        const glm::vec3& c = out.positions[out.indices[t + 2]];
        const glm::vec3 areaNormal = glm::cross(b - a, c - a);
        for (int k = 0; k < 3; ++k) normals[out.indices[t + k] - first] += areaNormal;
    }
    std::vector<glm::vec3> smooth(count, glm::vec3(0.0f));
    for (const auto& group : welded) {
        glm::vec3 sum(0.0f);
        for (size_t i : group.second) sum += normals[i];
        const float length = glm::length(sum);
        const glm::vec3 unit = length > 1e-12f ? sum / length : glm::vec3(0, 1, 0);
        for (size_t i : group.second) smooth[i] = unit;
    }
    out.normals.insert(out.normals.end(), smooth.begin(), smooth.end());
}

}  // namespace

glm::vec2 CharacterSwatchUv(int swatch, const glm::vec2& inCell) {
    const int cellsPerRow = kCharacterAtlasSize / kCharacterAtlasCell;
    const float cell = static_cast<float>(kCharacterAtlasCell) / static_cast<float>(kCharacterAtlasSize);
    const float margin = 3.0f / static_cast<float>(kCharacterAtlasSize);
    const glm::vec2 origin(static_cast<float>(swatch % cellsPerRow) * cell, static_cast<float>(swatch / cellsPerRow) * cell);
    return origin + glm::vec2(margin) + glm::clamp(inCell, 0.0f, 1.0f) * (cell - 2.0f * margin);
}

GlbPrimitive BuildCharacterMesh() {
    GlbPrimitive mesh;
    for (const Piece& piece : Pieces()) {
        AddPiece(piece, false, mesh);
        if (piece.mirrored) AddPiece(piece, true, mesh);
    }
    mesh.material = 0;
    return mesh;
}
