#pragma once

// Small tileable RGBA8 textures made from integer hashes (no randomness between runs, no libm), for
// the generated levels and props. Colours are sRGB bytes 0xRRGGBB.

#include <cstdint>
#include <string>

#include "tools/assetgen/glb_builder.h"

// Value noise in 0..1 that tiles over `period` texels; `seed` picks the pattern.
float TileNoise(int x, int y, int period, uint32_t seed);

// Square floor tiles with grout lines.
GlbImage TileTexture(const std::string& name, int size, uint32_t base, uint32_t grout, int tiles, uint32_t seed);
// Wall panels with seams and rivets.
GlbImage PanelTexture(const std::string& name, int size, uint32_t base, uint32_t seam, int panels, uint32_t seed);
// Diagonal warning stripes.
GlbImage StripeTexture(const std::string& name, int size, uint32_t a, uint32_t b, int stripes);
// A wooden or metal crate face: frame and cross brace.
GlbImage CrateTexture(const std::string& name, int size, uint32_t board, uint32_t frame, uint32_t seed);
// Horizontal rock strata (a mesa's cliffs): bands of the given colours, broken by noise.
GlbImage StrataTexture(const std::string& name, int size, uint32_t light, uint32_t dark, uint32_t seed);
// Fine speckled ground (sand, dirt).
GlbImage GrainTexture(const std::string& name, int size, uint32_t base, uint32_t speck, uint32_t seed);
// Running-bond bricks or blocks.
GlbImage BrickTexture(const std::string& name, int size, uint32_t brick, uint32_t mortar, int rows, uint32_t seed);
