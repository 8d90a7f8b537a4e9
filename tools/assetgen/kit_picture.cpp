#include "tools/assetgen/kit_picture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <glm/geometric.hpp>

namespace {

constexpr int kSupersample = 3;

Colour Shade(const KitMaterial& material, glm::vec3 normal, glm::vec3 towardViewer, glm::vec3 towardLight) {
    if (glm::dot(normal, towardViewer) < 0.0f) normal = -normal;
    const float diffuse = std::max(glm::dot(normal, towardLight), 0.0f);
    const glm::vec3 halfway = glm::normalize(towardLight + towardViewer);
    const float shininess = 8.0f + (1.0f - material.roughness) * 60.0f;
    const float specular = std::pow(std::max(glm::dot(normal, halfway), 0.0f), shininess) *
                           (0.15f + 0.6f * material.metallic) * (1.0f - 0.7f * material.roughness);
    // Linear material colours are shown roughly as the game would show them: lifted towards sRGB.
    const glm::vec3 base = glm::pow(glm::vec3(material.colour), glm::vec3(1.0f / 2.2f));
    const glm::vec3 lit = base * (0.35f + 0.75f * diffuse) + glm::vec3(specular) + material.emissive;
    return {std::min(lit.r, 1.0f), std::min(lit.g, 1.0f), std::min(lit.b, 1.0f), material.colour.a};
}

}  // namespace

void AddOutline(Canvas& canvas, float pixels, Colour colour) {
    if (pixels <= 0.0f) return;
    const int reach = static_cast<int>(std::ceil(pixels));
    Canvas band = MakeCanvas(canvas.width, canvas.height);
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            float strongest = 0.0f;
            for (int dy = -reach; dy <= reach; ++dy) {
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= canvas.width || sy >= canvas.height) continue;
                    const float fade = std::clamp(pixels + 0.5f - std::hypot(float(dx), float(dy)), 0.0f, 1.0f);
                    strongest = std::max(strongest, canvas.pixels[sy * canvas.width + sx].a * fade);
                }
            }
            band.pixels[y * canvas.width + x] = WithAlpha(colour, colour.a * strongest);
        }
    }
    Blit(band, canvas, 0, 0);
    canvas = std::move(band);
}

Canvas PictureOfKit(const Kit& kit, const KitView& view, int width, int height) {
    const glm::vec3 right = glm::normalize(view.right);
    const glm::vec3 up = glm::normalize(view.up);
    const glm::vec3 into = glm::cross(up, right);  // from the viewer into the picture
    const glm::vec3 towardViewer = -into;
    const glm::vec3 towardLight = glm::normalize(towardViewer * 0.7f + up * 0.8f - right * 0.35f);

    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const KitSolid& solid : kit.solids) {
        for (const glm::vec3& p : solid.positions) {
            minX = std::min(minX, glm::dot(p, right));
            maxX = std::max(maxX, glm::dot(p, right));
            minY = std::min(minY, glm::dot(p, up));
            maxY = std::max(maxY, glm::dot(p, up));
        }
    }
    const float room = view.margin + view.outline;
    const float scale = std::min((width - 2 * room) / std::max(maxX - minX, 1e-6f),
                                 (height - 2 * room) / std::max(maxY - minY, 1e-6f));
    const float offsetX = 0.5f * width - 0.5f * (minX + maxX) * scale;
    const float offsetY = 0.5f * height + 0.5f * (minY + maxY) * scale;

    const int bigW = width * kSupersample, bigH = height * kSupersample;
    std::vector<float> depth(static_cast<size_t>(bigW) * bigH, 1e30f);
    std::vector<Colour> colour(static_cast<size_t>(bigW) * bigH, Colour{0, 0, 0, 0});
    for (size_t m = 0; m < kit.solids.size() && m < kit.materials.size(); ++m) {
        const KitSolid& solid = kit.solids[m];
        for (size_t t = 0; t + 2 < solid.indices.size(); t += 3) {
            glm::vec3 screen[3];
            glm::vec3 normal(0.0f);
            for (int k = 0; k < 3; ++k) {
                const uint32_t index = solid.indices[t + k];
                const glm::vec3 p = solid.positions[index];
                screen[k] = {(offsetX + glm::dot(p, right) * scale) * kSupersample,
                             (offsetY - glm::dot(p, up) * scale) * kSupersample, glm::dot(p, into)};
                normal += solid.normals[index];
            }
            const Colour shade = Shade(kit.materials[m], glm::normalize(normal), towardViewer, towardLight);
            const float area = (screen[1].x - screen[0].x) * (screen[2].y - screen[0].y) -
                               (screen[2].x - screen[0].x) * (screen[1].y - screen[0].y);
            if (std::fabs(area) < 1e-9f) continue;
            const int x0 = std::max(0, static_cast<int>(std::floor(std::min({screen[0].x, screen[1].x, screen[2].x}))));
            const int x1 = std::min(bigW - 1, static_cast<int>(std::ceil(std::max({screen[0].x, screen[1].x, screen[2].x}))));
            const int y0 = std::max(0, static_cast<int>(std::floor(std::min({screen[0].y, screen[1].y, screen[2].y}))));
            const int y1 = std::min(bigH - 1, static_cast<int>(std::ceil(std::max({screen[0].y, screen[1].y, screen[2].y}))));
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) {
                    const float px = x + 0.5f, py = y + 0.5f;
                    const float w0 = ((screen[1].x - px) * (screen[2].y - py) - (screen[2].x - px) * (screen[1].y - py)) / area;
                    const float w1 = ((screen[2].x - px) * (screen[0].y - py) - (screen[0].x - px) * (screen[2].y - py)) / area;
                    const float w2 = 1.0f - w0 - w1;
                    if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f) continue;
                    const float z = w0 * screen[0].z + w1 * screen[1].z + w2 * screen[2].z;
                    const size_t at = static_cast<size_t>(y) * bigW + x;
                    if (z >= depth[at]) continue;
                    depth[at] = z;
                    colour[at] = shade;
                }
            }
        }
    }

    Canvas canvas = MakeCanvas(width, height);
    const float share = 1.0f / (kSupersample * kSupersample);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSupersample; ++sy) {
                for (int sx = 0; sx < kSupersample; ++sx) {
                    const Colour& c = colour[static_cast<size_t>(y * kSupersample + sy) * bigW + x * kSupersample + sx];
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            if (a > 0.0f) canvas.pixels[static_cast<size_t>(y) * width + x] = {r / a, g / a, b / a, a * share};
        }
    }
    AddOutline(canvas, view.outline, view.outlineColour);
    return canvas;
}
