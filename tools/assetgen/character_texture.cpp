#include "tools/assetgen/character_texture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/assetgen/character_mesh.h"

namespace {

// Small deterministic value noise, 0..1.
float Hash(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFu) / 65535.0f;
}

float SmoothNoise(float x, float y, int seed) {
    const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(ix), fy = y - static_cast<float>(iy);
    const float sx = fx * fx * (3.0f - 2.0f * fx), sy = fy * fy * (3.0f - 2.0f * fy);
    const float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed), c = Hash(ix, iy + 1, seed),
                d = Hash(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// Colour of one texel of a cell; (u, v) run 0..1 across the cell, v downwards.
glm::vec3 CellTexel(int swatch, float u, float v, int px, int py, const CharacterLook& look) {
    const float grain = Hash(px, py, swatch) - 0.5f;
    // Distance to the cell edge: plates get a dark panel line and a lighter bevel inside it.
    const float edge = std::min({u, v, 1.0f - u, 1.0f - v});
    const float panelLine = edge < 0.045f ? 0.55f : (edge < 0.08f ? 1.12f : 1.0f);
    const float topLight = 1.08f - 0.16f * v;

    glm::vec3 plate = look.armour;
    glm::vec3 secondary = look.armourDark;
    if (look.pattern == kPatternGilded) {
        plate = glm::vec3(0.86f, 0.68f, 0.24f);
        const float sheen = 0.85f + 0.3f * std::pow(std::max(0.0f, std::sin((u * 0.7f + v) * 3.1f)), 6.0f);
        plate *= sheen;
        secondary = look.armour * 0.8f;
    } else if (look.pattern == kPatternCamo) {
        const float blot = SmoothNoise(static_cast<float>(px) / 9.0f, static_cast<float>(py) / 9.0f, 7);
        const float blot2 = SmoothNoise(static_cast<float>(px) / 5.0f, static_cast<float>(py) / 5.0f, 11);
        plate = blot > 0.55f ? glm::vec3(0.18f, 0.2f, 0.19f) : (blot2 > 0.5f ? glm::vec3(0.27f, 0.29f, 0.26f)
                                                                              : glm::vec3(0.36f, 0.37f, 0.33f));
        secondary = glm::vec3(0.14f, 0.15f, 0.15f);
    }

    switch (swatch) {
        case kSwatchArmour: {
            // Rivets near the corners of each plate.
            const float du = std::min(u, 1.0f - u) - 0.13f, dv = std::min(v, 1.0f - v) - 0.13f;
            const float rivet = du * du + dv * dv < 0.0012f ? 1.25f : 1.0f;
            return plate * (panelLine * topLight * rivet + grain * 0.05f);
        }
        case kSwatchArmourDark:
            return secondary * (panelLine * topLight + grain * 0.06f);
        case kSwatchSuit: {
            const float weave = ((px + py) % 4 < 2 ? 1.06f : 0.94f) * (py % 3 == 0 ? 0.95f : 1.0f);
            return glm::vec3(0.13f, 0.14f, 0.16f) * (weave + grain * 0.08f);
        }
        case kSwatchMetal: {
            const float brushed = 0.92f + 0.16f * Hash(0, py, 3);
            return glm::vec3(0.56f, 0.58f, 0.62f) * (brushed * topLight * (edge < 0.04f ? 0.7f : 1.0f));
        }
        case kSwatchVisor: {
            // Dark glass with a bright reflection band across its upper half.
            const float band = std::exp(-std::pow((v + 0.35f * u - 0.42f) * 9.0f, 2.0f));
            return glm::vec3(0.04f, 0.06f, 0.1f) + glm::vec3(0.35f, 0.6f, 0.85f) * (0.1f + 0.9f * band) * 0.8f +
                   look.glow * 0.12f * (1.0f - v);
        }
        case kSwatchGlow: {
            const float core = std::exp(-std::pow((v - 0.5f) * 4.0f, 2.0f));
            return glm::mix(look.glow, glm::vec3(1.0f), 0.55f * core);
        }
        case kSwatchSole:
        default: {
            const float tread = (py / 4) % 2 == 0 ? 0.7f : 1.0f;
            return glm::vec3(0.08f, 0.08f, 0.085f) * (tread + grain * 0.1f);
        }
    }
}

uint8_t ToByte(float value) { return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

GlbImage PaintCharacterAtlas(const CharacterLook& look) {
    GlbImage image;
    image.name = look.name;
    image.width = kCharacterAtlasSize;
    image.height = kCharacterAtlasSize;
    image.rgba.assign(static_cast<size_t>(kCharacterAtlasSize) * kCharacterAtlasSize * 4, 255);
    const int cellsPerRow = kCharacterAtlasSize / kCharacterAtlasCell;
    for (int y = 0; y < kCharacterAtlasSize; ++y) {
        for (int x = 0; x < kCharacterAtlasSize; ++x) {
            const int swatch = (y / kCharacterAtlasCell) * cellsPerRow + x / kCharacterAtlasCell;
            // The painted area of a cell is the part the mesh's coordinates reach (3-pixel margin).
            const float margin = 3.0f, span = static_cast<float>(kCharacterAtlasCell) - 2.0f * margin;
            const float u = std::clamp((static_cast<float>(x % kCharacterAtlasCell) + 0.5f - margin) / span, 0.0f, 1.0f);
            const float v = std::clamp((static_cast<float>(y % kCharacterAtlasCell) + 0.5f - margin) / span, 0.0f, 1.0f);
            const glm::vec3 c = swatch < kSwatchCount ? CellTexel(swatch, u, v, x, y, look) : glm::vec3(0.5f);
            uint8_t* texel = &image.rgba[(static_cast<size_t>(y) * kCharacterAtlasSize + x) * 4];
            texel[0] = ToByte(c.r);
            texel[1] = ToByte(c.g);
            texel[2] = ToByte(c.b);
        }
    }
    return image;
}
