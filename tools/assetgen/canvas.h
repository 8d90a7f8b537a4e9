#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A floating-point RGBA picture to paint the generator's 2D art on (sprites, icons, menu layers).
// Shapes are signed distances in pixels (negative inside); filling one covers each pixel by how far it
// lies inside the edge, so every edge is anti-aliased over one pixel. Colours are straight (not
// premultiplied) alpha, composited "over".
struct Colour {
    float r = 0, g = 0, b = 0, a = 1;
};

Colour Hex(uint32_t rgb, float alpha = 1.0f);
Colour Mix(Colour a, Colour b, float t);
Colour Scaled(Colour c, float brightness);  // rgb times brightness, alpha kept
Colour WithAlpha(Colour c, float alpha);

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;  // rows top to bottom
};

Canvas MakeCanvas(int width, int height, Colour fill = {0, 0, 0, 0});

struct Shape {
    std::function<float(float, float)> distance;
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // pixels outside this box are left alone
};

Shape Circle(float cx, float cy, float radius);
Shape Ellipse(float cx, float cy, float rx, float ry);
// A box centred on (cx, cy) with half sizes hx, hy, corner radius `round`, turned by `degrees`.
Shape Box(float cx, float cy, float hx, float hy, float round = 0, float degrees = 0);
Shape Capsule(float ax, float ay, float bx, float by, float radius);
Shape Polygon(std::vector<float> xy);  // x0, y0, x1, y1, ... in order, either winding
Shape Ring(float cx, float cy, float radius, float halfWidth);
Shape Union(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);     // a without b
Shape Intersect(Shape a, Shape b);
Shape Grow(Shape a, float pixels);    // positive grows, negative shrinks
Shape Moved(Shape a, float dx, float dy);
// Text in the generator's block font: `cell` pixels per font dot, top-left corner at (x, y).
Shape Text(const std::string& text, float x, float y, float cell);
float TextWidth(const std::string& text, float cell);

void Fill(Canvas& canvas, const Shape& shape, Colour colour);
void Fill(Canvas& canvas, const Shape& shape, const std::function<Colour(float, float)>& paint);
// Fills the shape with a vertical gradient from `top` (at the shape's top) to `bottom`.
void FillVertical(Canvas& canvas, const Shape& shape, Colour top, Colour bottom);
// Paints a shape the usual way for icons: a dark outline, the body in a vertical gradient, and a
// lighter rim along its upper edge.
void FillLit(Canvas& canvas, const Shape& shape, Colour body, float outline = 0, Colour outlineColour = {0, 0, 0, 1});

// Composites `source` over `target` with its top-left corner at (x, y).
void Blit(Canvas& target, const Canvas& source, int x, int y);

std::vector<uint8_t> ToRgba8(const Canvas& canvas);
bool SaveCanvas(const Canvas& canvas, const std::string& path);
