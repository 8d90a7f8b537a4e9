#include "tools/assetgen/canvas.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/glb_builder.h"

namespace {

constexpr float kBig = 1e9f;

float Clamp01(float v) { return std::min(std::max(v, 0.0f), 1.0f); }

// 5 x 7 dots per glyph, one string per row, '#' lit.
struct Glyph {
    char letter;
    const char* rows[7];
};

const Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
};

const Glyph* FindGlyph(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.letter == letter) return &glyph;
    }
    return nullptr;
}

bool DotLit(const std::string& text, int column, int row) {
    if (column < 0 || row < 0 || row >= 7) return false;
    const size_t letter = static_cast<size_t>(column / 6);
    const int dot = column % 6;
    if (letter >= text.size() || dot == 5) return false;
    const Glyph* glyph = FindGlyph(text[letter]);
    return glyph && glyph->rows[row][dot] == '#';
}

float BoxDistance(float px, float py, float hx, float hy, float round) {
    const float qx = std::fabs(px) - (hx - round);
    const float qy = std::fabs(py) - (hy - round);
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - round;
}

void Cover(Colour& target, Colour source, float coverage) {
    const float a = source.a * coverage;
    if (a <= 0.0f) return;
    const float out = a + target.a * (1.0f - a);
    if (out <= 0.0f) return;
    const float keep = target.a * (1.0f - a);
    target.r = (source.r * a + target.r * keep) / out;
    target.g = (source.g * a + target.g * keep) / out;
    target.b = (source.b * a + target.b * keep) / out;
    target.a = out;
}

}  // namespace

Colour Hex(uint32_t rgb, float alpha) {
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha};
}

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour Scaled(Colour c, float brightness) {
    return {Clamp01(c.r * brightness), Clamp01(c.g * brightness), Clamp01(c.b * brightness), c.a};
}

Colour WithAlpha(Colour c, float alpha) { return {c.r, c.g, c.b, alpha}; }

Canvas MakeCanvas(int width, int height, Colour fill) {
    Canvas canvas;
    canvas.width = width;
    canvas.height = height;
    canvas.pixels.assign(static_cast<size_t>(width) * height, fill);
    return canvas;
}

Shape Circle(float cx, float cy, float radius) {
    return {[=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; }, cx - radius, cy - radius,
            cx + radius, cy + radius};
}

Shape Ellipse(float cx, float cy, float rx, float ry) {
    return {[=](float x, float y) {
                const float px = (x - cx) / rx, py = (y - cy) / ry;
                const float k0 = std::sqrt(px * px + py * py);
                const float k1 = std::sqrt(px * px / (rx * rx) + py * py / (ry * ry));
                return k1 > 0.0f ? k0 * (k0 - 1.0f) / k1 : -std::min(rx, ry);
            },
            cx - rx, cy - ry, cx + rx, cy + ry};
}

Shape Box(float cx, float cy, float hx, float hy, float round, float degrees) {
    const float a = degrees * 0.017453292f;
    const float c = std::cos(a), s = std::sin(a);
    const float reach = std::hypot(hx, hy);
    return {[=](float x, float y) {
                const float dx = x - cx, dy = y - cy;
                return BoxDistance(c * dx + s * dy, -s * dx + c * dy, hx, hy, round);
            },
            cx - reach, cy - reach, cx + reach, cy + reach};
}

Shape Capsule(float ax, float ay, float bx, float by, float radius) {
    return {[=](float x, float y) {
                const float ex = bx - ax, ey = by - ay;
                const float wx = x - ax, wy = y - ay;
                const float length2 = ex * ex + ey * ey;
                const float t = length2 > 0.0f ? Clamp01((wx * ex + wy * ey) / length2) : 0.0f;
                return std::hypot(wx - ex * t, wy - ey * t) - radius;
            },
            std::min(ax, bx) - radius, std::min(ay, by) - radius, std::max(ax, bx) + radius, std::max(ay, by) + radius};
}

Shape Polygon(std::vector<float> xy) {
    Shape shape;
    shape.x0 = shape.y0 = kBig;
    shape.x1 = shape.y1 = -kBig;
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
        shape.x0 = std::min(shape.x0, xy[i]);
        shape.x1 = std::max(shape.x1, xy[i]);
        shape.y0 = std::min(shape.y0, xy[i + 1]);
        shape.y1 = std::max(shape.y1, xy[i + 1]);
    }
    shape.distance = [points = std::move(xy)](float x, float y) {
        const size_t n = points.size() / 2;
        float nearest = kBig;
        bool inside = false;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const float vix = points[2 * i], viy = points[2 * i + 1];
            const float vjx = points[2 * j], vjy = points[2 * j + 1];
            const float ex = vjx - vix, ey = vjy - viy;
            const float wx = x - vix, wy = y - viy;
            const float length2 = ex * ex + ey * ey;
            const float t = length2 > 0.0f ? Clamp01((wx * ex + wy * ey) / length2) : 0.0f;
            const float bx = wx - ex * t, by = wy - ey * t;
            nearest = std::min(nearest, bx * bx + by * by);
            // Even-odd crossing test of a ray towards +x.
            if ((viy > y) != (vjy > y) && x < (vjx - vix) * (y - viy) / (vjy - viy) + vix) inside = !inside;
        }
        const float d = std::sqrt(nearest);
        return inside ? -d : d;
    };
    return shape;
}

Shape Ring(float cx, float cy, float radius, float halfWidth) {
    const float reach = radius + halfWidth;
    return {[=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - radius) - halfWidth; }, cx - reach,
            cy - reach, cx + reach, cy + reach};
}

Shape Union(Shape a, Shape b) {
    return {[da = a.distance, db = b.distance](float x, float y) { return std::min(da(x, y), db(x, y)); },
            std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

Shape Subtract(Shape a, Shape b) {
    return {[da = a.distance, db = b.distance](float x, float y) { return std::max(da(x, y), -db(x, y)); }, a.x0, a.y0,
            a.x1, a.y1};
}

Shape Intersect(Shape a, Shape b) {
    return {[da = a.distance, db = b.distance](float x, float y) { return std::max(da(x, y), db(x, y)); },
            std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

Shape Grow(Shape a, float pixels) {
    const float reach = std::max(pixels, 0.0f);
    return {[da = a.distance, pixels](float x, float y) { return da(x, y) - pixels; }, a.x0 - reach, a.y0 - reach,
            a.x1 + reach, a.y1 + reach};
}

Shape Moved(Shape a, float dx, float dy) {
    return {[da = a.distance, dx, dy](float x, float y) { return da(x - dx, y - dy); }, a.x0 + dx, a.y0 + dy, a.x1 + dx,
            a.y1 + dy};
}

float TextWidth(const std::string& text, float cell) {
    return text.empty() ? 0.0f : (static_cast<float>(text.size()) * 6.0f - 1.0f) * cell;
}

Shape Text(const std::string& text, float x, float y, float cell) {
    // Each dot is a square; only the dots around the sample can be nearest, so nine are examined.
    return {[=](float px, float py) {
                const float u = (px - x) / cell, v = (py - y) / cell;
                const int column = static_cast<int>(std::floor(u)), row = static_cast<int>(std::floor(v));
                float nearest = 2.0f * cell;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        if (!DotLit(text, column + dx, row + dy)) continue;
                        const float centreX = x + (column + dx + 0.5f) * cell;
                        const float centreY = y + (row + dy + 0.5f) * cell;
                        nearest = std::min(nearest, BoxDistance(px - centreX, py - centreY, 0.5f * cell, 0.5f * cell,
                                                                0.12f * cell));
                    }
                }
                return nearest;
            },
            x - cell, y - cell, x + TextWidth(text, cell) + cell, y + 8 * cell};
}

void Fill(Canvas& canvas, const Shape& shape, const std::function<Colour(float, float)>& paint) {
    const int x0 = std::max(0, static_cast<int>(std::floor(shape.x0)) - 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(shape.y0)) - 1);
    const int x1 = std::min(canvas.width - 1, static_cast<int>(std::ceil(shape.x1)) + 1);
    const int y1 = std::min(canvas.height - 1, static_cast<int>(std::ceil(shape.y1)) + 1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float coverage = Clamp01(0.5f - shape.distance(px, py));
            if (coverage <= 0.0f) continue;
            Cover(canvas.pixels[static_cast<size_t>(y) * canvas.width + x], paint(px, py), coverage);
        }
    }
}

void Fill(Canvas& canvas, const Shape& shape, Colour colour) {
    Fill(canvas, shape, [colour](float, float) { return colour; });
}

void FillVertical(Canvas& canvas, const Shape& shape, Colour top, Colour bottom) {
    const float y0 = shape.y0, span = std::max(shape.y1 - shape.y0, 1.0f);
    Fill(canvas, shape, [=](float, float y) { return Mix(top, bottom, Clamp01((y - y0) / span)); });
}

void FillLit(Canvas& canvas, const Shape& shape, Colour body, float outline, Colour outlineColour) {
    if (outline > 0.0f) Fill(canvas, Grow(shape, outline), outlineColour);
    FillVertical(canvas, shape, Scaled(body, 1.2f), Scaled(body, 0.72f));
    const float rim = std::max(1.5f, 0.05f * (shape.y1 - shape.y0));
    Fill(canvas, Subtract(shape, Moved(shape, 0, rim)), Colour{1, 1, 1, 0.35f});
}

void Blit(Canvas& target, const Canvas& source, int x, int y) {
    for (int sy = 0; sy < source.height; ++sy) {
        const int ty = y + sy;
        if (ty < 0 || ty >= target.height) continue;
        for (int sx = 0; sx < source.width; ++sx) {
            const int tx = x + sx;
            if (tx < 0 || tx >= target.width) continue;
            Cover(target.pixels[static_cast<size_t>(ty) * target.width + tx],
                  source.pixels[static_cast<size_t>(sy) * source.width + sx], 1.0f);
        }
    }
}

std::vector<uint8_t> ToRgba8(const Canvas& canvas) {
    std::vector<uint8_t> bytes(canvas.pixels.size() * 4);
    for (size_t i = 0; i < canvas.pixels.size(); ++i) {
        const Colour& c = canvas.pixels[i];
        bytes[4 * i + 0] = static_cast<uint8_t>(std::lround(Clamp01(c.r) * 255.0f));
        bytes[4 * i + 1] = static_cast<uint8_t>(std::lround(Clamp01(c.g) * 255.0f));
        bytes[4 * i + 2] = static_cast<uint8_t>(std::lround(Clamp01(c.b) * 255.0f));
        bytes[4 * i + 3] = static_cast<uint8_t>(std::lround(Clamp01(c.a) * 255.0f));
    }
    return bytes;
}

bool SaveCanvas(const Canvas& canvas, const std::string& path) {
    return WritePng(path, canvas.width, canvas.height, ToRgba8(canvas));
}
