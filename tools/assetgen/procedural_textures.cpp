#include "tools/assetgen/procedural_textures.h"

namespace {

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

float Unit(uint32_t h) { return float(h >> 8) / 16777216.0f; }

struct Rgb {
    float r, g, b;
};

Rgb FromHex(uint32_t hex) {
    return {float((hex >> 16) & 0xFF), float((hex >> 8) & 0xFF), float(hex & 0xFF)};
}

Rgb Mix(const Rgb& a, const Rgb& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(const Rgb& c, float s) { return {c.r * s, c.g * s, c.b * s}; }

uint8_t Byte(float v) { return uint8_t(v < 0.0f ? 0.0f : (v > 255.0f ? 255.0f : v + 0.5f)); }

GlbImage MakeImage(const std::string& name, int size) {
    GlbImage image;
    image.name = name;
    image.width = size;
    image.height = size;
    image.rgba.resize(size_t(size) * size_t(size) * 4);
    return image;
}

void Put(GlbImage& image, int x, int y, const Rgb& c) {
    const size_t i = (size_t(y) * size_t(image.width) + size_t(x)) * 4;
    image.rgba[i] = Byte(c.r);
    image.rgba[i + 1] = Byte(c.g);
    image.rgba[i + 2] = Byte(c.b);
    image.rgba[i + 3] = 255;
}

// Two octaves of tileable noise, 0..1.
float Detail(int x, int y, int size, uint32_t seed) {
    return 0.65f * TileNoise(x, y, size / 8, seed) + 0.35f * TileNoise(x, y, size / 32 > 0 ? size / 32 : 1, seed + 7);
}

}  // namespace

float TileNoise(int x, int y, int period, uint32_t seed) {
    // Lattice every `cells` texels, wrapped so that the texture repeats seamlessly.
    const int cells = period > 0 ? period : 1;
    const int step = 8;
    const int gx = x / step, gy = y / step;
    const float fx = float(x % step) / step, fy = float(y % step) / step;
    auto corner = [&](int cx, int cy) {
        return Unit(Hash(uint32_t(((cx % cells) + cells) % cells), uint32_t(((cy % cells) + cells) % cells), seed));
    };
    const float sx = fx * fx * (3.0f - 2.0f * fx), sy = fy * fy * (3.0f - 2.0f * fy);
    const float top = corner(gx, gy) + (corner(gx + 1, gy) - corner(gx, gy)) * sx;
    const float bottom = corner(gx, gy + 1) + (corner(gx + 1, gy + 1) - corner(gx, gy + 1)) * sx;
    return top + (bottom - top) * sy;
}

GlbImage TileTexture(const std::string& name, int size, uint32_t base, uint32_t grout, int tiles, uint32_t seed) {
    GlbImage image = MakeImage(name, size);
    const int tile = size / tiles;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int tx = x / tile, ty = y / tile;
            const float tint = 0.9f + 0.2f * Unit(Hash(uint32_t(tx), uint32_t(ty), seed));
            Rgb c = Scale(FromHex(base), tint * (0.85f + 0.3f * Detail(x, y, size, seed)));
            const int lx = x % tile, ly = y % tile;
            if (lx < 2 || ly < 2) c = Scale(FromHex(grout), 0.9f + 0.2f * Unit(Hash(uint32_t(x), uint32_t(y), seed)));
            else if (lx == 2 || ly == 2) c = Scale(c, 1.12f);
            Put(image, x, y, c);
        }
    }
    return image;
}

GlbImage PanelTexture(const std::string& name, int size, uint32_t base, uint32_t seam, int panels, uint32_t seed) {
    GlbImage image = MakeImage(name, size);
    const int panel = size / panels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int lx = x % panel, ly = y % panel;
            const float wear = Detail(x, y, size, seed);
            Rgb c = Scale(FromHex(base), 0.8f + 0.35f * wear);
            // A slight gradient per panel reads as a bevel.
            c = Scale(c, 1.08f - 0.16f * float(ly) / float(panel));
            if (lx < 2 || ly < 2) c = FromHex(seam);
            const int rx = lx - 6, ry = ly - 6, rx2 = lx - (panel - 6), ry2 = ly - (panel - 6);
            for (int corner = 0; corner < 4; ++corner) {
                const int dx = (corner & 1) ? rx2 : rx, dy = (corner & 2) ? ry2 : ry;
                if (dx * dx + dy * dy <= 4) c = Scale(FromHex(base), 1.35f);
            }
            Put(image, x, y, c);
        }
    }
    return image;
}

GlbImage StripeTexture(const std::string& name, int size, uint32_t a, uint32_t b, int stripes) {
    GlbImage image = MakeImage(name, size);
    const int width = size / stripes;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool first = ((x + y) / width) % 2 == 0;
            const float grime = 0.82f + 0.25f * Detail(x, y, size, 91);
            Put(image, x, y, Scale(FromHex(first ? a : b), grime));
        }
    }
    return image;
}

GlbImage CrateTexture(const std::string& name, int size, uint32_t board, uint32_t frame, uint32_t seed) {
    GlbImage image = MakeImage(name, size);
    const int border = size / 10;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int plank = y / (size / 5);
            const float grain = 0.8f + 0.3f * TileNoise(x * 4 % size, y, size / 8, seed + uint32_t(plank));
            Rgb c = Scale(FromHex(board), grain);
            if (y % (size / 5) == 0) c = Scale(c, 0.6f);
            const bool edge = x < border || y < border || x >= size - border || y >= size - border;
            const int d1 = x - y, d2 = x + y - size;
            const bool brace = (d1 > -border / 2 && d1 < border / 2) || (d2 > -border / 2 && d2 < border / 2);
            if (edge || brace) c = Scale(FromHex(frame), 0.85f + 0.3f * Detail(x, y, size, seed));
            Put(image, x, y, c);
        }
    }
    return image;
}

GlbImage StrataTexture(const std::string& name, int size, uint32_t light, uint32_t dark, uint32_t seed) {
    GlbImage image = MakeImage(name, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float wobble = 6.0f * TileNoise(x, 0, size / 8, seed);
            const int band = (y + int(wobble)) / (size / 8);
            const float t = Unit(Hash(uint32_t(band % 8), 0, seed));
            Rgb c = Mix(FromHex(dark), FromHex(light), t);
            c = Scale(c, 0.75f + 0.4f * Detail(x, y, size, seed + 3));
            Put(image, x, y, c);
        }
    }
    return image;
}

GlbImage GrainTexture(const std::string& name, int size, uint32_t base, uint32_t speck, uint32_t seed) {
    GlbImage image = MakeImage(name, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgb c = Scale(FromHex(base), 0.85f + 0.25f * Detail(x, y, size, seed));
            const float s = Unit(Hash(uint32_t(x), uint32_t(y), seed + 11));
            if (s > 0.93f) c = Mix(c, FromHex(speck), 0.7f);
            Put(image, x, y, c);
        }
    }
    return image;
}

GlbImage BrickTexture(const std::string& name, int size, uint32_t brick, uint32_t mortar, int rows, uint32_t seed) {
    GlbImage image = MakeImage(name, size);
    const int rowHeight = size / rows;
    const int brickWidth = rowHeight * 2;
    for (int y = 0; y < size; ++y) {
        const int row = y / rowHeight;
        const int shift = (row % 2) * (brickWidth / 2);
        for (int x = 0; x < size; ++x) {
            const int bx = (x + shift) % size;
            const int column = bx / brickWidth;
            const float tint = 0.85f + 0.25f * Unit(Hash(uint32_t(column), uint32_t(row), seed));
            Rgb c = Scale(FromHex(brick), tint * (0.85f + 0.25f * Detail(x, y, size, seed)));
            if (y % rowHeight < 2 || bx % brickWidth < 2) c = FromHex(mortar);
            Put(image, x, y, c);
        }
    }
    return image;
}
