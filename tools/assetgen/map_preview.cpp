#include "tools/assetgen/map_preview.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/assetgen/level_builder.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

uint8_t ToSrgbByte(float linear) {
    const float clamped = linear < 0.0f ? 0.0f : (linear > 1.0f ? 1.0f : linear);
    return uint8_t(std::sqrt(clamped) * 255.0f + 0.5f);
}

}  // namespace

bool WriteMapPreview(const Level& level, const std::string& path) {
    const std::vector<LevelTriangle> triangles = SolidTriangles(level, true);
    glm::vec3 lo{1e30f}, hi{-1e30f};
    for (const LevelTriangle& t : triangles) {
        for (const glm::vec3& v : t.v) {
            lo = glm::vec3(std::fmin(lo.x, v.x), std::fmin(lo.y, v.y), std::fmin(lo.z, v.z));
            hi = glm::vec3(std::fmax(hi.x, v.x), std::fmax(hi.y, v.y), std::fmax(hi.z, v.z));
        }
    }
    // Fit the level's x-z extent into the picture with a margin, keeping its proportions.
    const float margin = 8.0f;
    const float spanX = hi.x - lo.x, spanZ = hi.z - lo.z;
    const float pixelsPerMetre = std::fmin((kWidth - 2 * margin) / spanX, (kHeight - 2 * margin) / spanZ);
    const float offsetX = (kWidth - spanX * pixelsPerMetre) * 0.5f;
    const float offsetY = (kHeight - spanZ * pixelsPerMetre) * 0.5f;
    auto toPixel = [&](const glm::vec3& p) {
        return glm::vec2(offsetX + (p.x - lo.x) * pixelsPerMetre, offsetY + (p.z - lo.z) * pixelsPerMetre);
    };

    std::vector<float> depth(size_t(kWidth) * kHeight, -1e30f);
    std::vector<glm::vec3> colour(size_t(kWidth) * kHeight, glm::vec3(0.012f, 0.014f, 0.02f));
    const float heightSpan = hi.y - lo.y > 0.01f ? hi.y - lo.y : 1.0f;
    for (const LevelTriangle& t : triangles) {
        const glm::vec3 e1 = t.v[1] - t.v[0], e2 = t.v[2] - t.v[0];
        glm::vec3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length <= 0.0f) continue;
        n = n / length;
        const float light = 0.35f + 0.65f * std::fabs(n.y) + 0.15f * (n.x - n.z);
        const glm::vec2 a = toPixel(t.v[0]), b = toPixel(t.v[1]), c = toPixel(t.v[2]);
        const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        if (std::fabs(area) < 1e-6f) continue;
        const int x0 = std::max(0, int(std::floor(std::fmin(std::fmin(a.x, b.x), c.x))));
        const int x1 = std::min(kWidth - 1, int(std::ceil(std::fmax(std::fmax(a.x, b.x), c.x))));
        const int y0 = std::max(0, int(std::floor(std::fmin(std::fmin(a.y, b.y), c.y))));
        const int y1 = std::min(kHeight - 1, int(std::ceil(std::fmax(std::fmax(a.y, b.y), c.y))));
        const glm::vec3 base = level.materials[size_t(t.material)].previewColour;
        for (int py = y0; py <= y1; ++py) {
            for (int px = x0; px <= x1; ++px) {
                const glm::vec2 p{float(px) + 0.5f, float(py) + 0.5f};
                const float w0 = ((b.x - p.x) * (c.y - p.y) - (b.y - p.y) * (c.x - p.x)) / area;
                const float w1 = ((c.x - p.x) * (a.y - p.y) - (c.y - p.y) * (a.x - p.x)) / area;
                const float w2 = 1.0f - w0 - w1;
                if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f) continue;
                const float y = w0 * t.v[0].y + w1 * t.v[1].y + w2 * t.v[2].y;
                const size_t index = size_t(py) * kWidth + size_t(px);
                if (y <= depth[index]) continue;
                depth[index] = y;
                const float heightShade = 0.6f + 0.4f * (y - lo.y) / heightSpan;
                colour[index] = base * (light * heightShade);
            }
        }
    }
    for (const LevelSpawn& spawn : level.spawns) {
        const glm::vec3 team = spawn.name.rfind("red", 0) == 0    ? glm::vec3(1.0f, 0.08f, 0.05f)
                               : spawn.name.rfind("blue", 0) == 0 ? glm::vec3(0.08f, 0.25f, 1.0f)
                                                                  : glm::vec3(1.0f, 0.8f, 0.1f);
        const glm::vec2 centre = toPixel(spawn.position);
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                if (dx * dx + dy * dy > 5) continue;
                const int px = int(centre.x) + dx, py = int(centre.y) + dy;
                if (px < 0 || py < 0 || px >= kWidth || py >= kHeight) continue;
                colour[size_t(py) * kWidth + size_t(px)] = (dx * dx + dy * dy > 2) ? glm::vec3(0.0f) : team;
            }
        }
    }
    std::vector<uint8_t> rgba;
    rgba.reserve(size_t(kWidth) * kHeight * 4);
    for (const glm::vec3& c : colour) rgba.insert(rgba.end(), {ToSrgbByte(c.r), ToSrgbByte(c.g), ToSrgbByte(c.b), 255});
    return WritePng(path, kWidth, kHeight, rgba);
}
