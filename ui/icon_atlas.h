#pragma once
// The layout of the baked icon atlas and how one icon's two renders become its cell. Pure
// arithmetic on byte buffers: the GL side renders and uploads, this decides every pixel.
#include <cstdint>
#include <vector>

// Icons are square renders of this many pixels, packed this many to an atlas row.
inline constexpr int kIconSize = 128;
inline constexpr int kIconsPerRow = 8;
inline constexpr int kIconAtlasWidth = kIconSize * kIconsPerRow;

// Atlas rows of icons for n icons (0 for none).
int IconAtlasRows(int count);

// An RGBA8 pixel.
struct IconPixel {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

// A pixel rendered once over black and once over white (RGB bytes each): what changed with the
// background is see-through, and the colour over black is the object's colour times its coverage.
IconPixel RecoverIconPixel(const uint8_t overBlack[3], const uint8_t overWhite[3]);

// Writes icon `index`'s cell of an atlas of RGBA8 pixels, kIconAtlasWidth wide and top row first,
// from two kIconSize x kIconSize RGB renders read back bottom row first. Nothing when the atlas
// has no such cell.
void WriteIconCell(const uint8_t* overBlack, const uint8_t* overWhite, int index, std::vector<uint8_t>& atlas);
