#pragma once

#include <cstdint>

#include "render/model_image.h"

struct GltfDocument;

// Model textures on the GPU: sRGB with a full mip chain, trilinear, repeating.
namespace render {

// Makes the texture of a decoded image: immutable GL_SRGB8_ALPHA8 storage of MipLevels levels,
// mipmaps generated, anisotropy clamped to [1, the driver's maximum]. 0 for an empty image.
uint32_t CreateModelTexture(const DecodedImage& image, float anisotropy);

// The static models' texture of a glTF texture: decoded, halved down to `sizeCap`, uploaded, and
// reported ("[model] texture WxH (N mips)", with "-> wxh" when it was halved). 0 when the texture
// has no embedded image or its image does not decode.
uint32_t UploadModelTexture(const GltfDocument& doc, int texture, int sizeCap, float anisotropy);

}  // namespace render
