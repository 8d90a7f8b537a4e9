#pragma once

#include <cstdint>
#include <vector>

struct GltfDocument;

// Embedded model images decoded to 8-bit RGBA on the CPU, before they become textures.
namespace render {

constexpr int kMaxImageSide = 8192;  // larger embedded images are refused, not decoded

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width x height x 4, rows top to bottom
};

enum class ImageRead {
    Decoded,     // `out` holds the pixels
    NotEmbedded, // no such image, or it lives in a file of its own: nothing to say
    Failed,      // the bytes did not decode, or the image is empty or too large: one line printed
};

// Decodes the image at `image` of the document. `decodeFailure` is the loader's own line for
// bytes that do not decode; an image whose header claims no pixels or a side past kMaxImageSide
// prints "[model] embedded texture <w>x<h> is outside 1..8192 pixels" instead.
ImageRead DecodeEmbeddedImage(const GltfDocument& doc, int image, DecodedImage& out, const char* decodeFailure);

// Halves the image (integer halves, each pixel the truncating average of its 2x2 block) while its
// width or height exceeds `cap` and both sides are at least 2. A cap below 1 changes nothing.
void HalveToCap(DecodedImage& image, int cap);

// floor(log2(max(width, height))) + 1.
int MipLevels(int width, int height);

}  // namespace render
