#include "render/model_image.h"

#include <stb/stb_image.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "game/gltf_document.h"

namespace render {

ImageRead DecodeEmbeddedImage(const GltfDocument& doc, int image, DecodedImage& out, const char* decodeFailure) {
    out = DecodedImage{};
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    if (!GltfImageBytes(doc, image, &bytes, &size)) return ImageRead::NotEmbedded;
    if (size == 0 || size > size_t(INT_MAX)) {
        std::fprintf(stderr, "%s\n", decodeFailure);
        return ImageRead::Failed;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(bytes, int(size), &width, &height, &channels)) {
        std::fprintf(stderr, "%s\n", decodeFailure);
        return ImageRead::Failed;
    }
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
        std::fprintf(stderr, "[model] embedded texture %dx%d is outside 1..%d pixels\n", width, height, kMaxImageSide);
        return ImageRead::Failed;
    }
    stbi_uc* pixels = stbi_load_from_memory(bytes, int(size), &width, &height, &channels, 4);
    if (!pixels || width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
        if (pixels) stbi_image_free(pixels);
        std::fprintf(stderr, "%s\n", decodeFailure);
        return ImageRead::Failed;
    }
    out.width = width;
    out.height = height;
    out.rgba.assign(pixels, pixels + size_t(width) * size_t(height) * 4);
    stbi_image_free(pixels);
    return ImageRead::Decoded;
}

void HalveToCap(DecodedImage& image, int cap) {
    if (cap < 1) return;
    while ((image.width > cap || image.height > cap) && image.width >= 2 && image.height >= 2) {
        const int width = image.width / 2;
        const int height = image.height / 2;
        std::vector<uint8_t> halved(size_t(width) * size_t(height) * 4);
        const size_t rowBytes = size_t(image.width) * 4;
        for (int y = 0; y < height; ++y) {
            const uint8_t* top = image.rgba.data() + size_t(2 * y) * rowBytes;
            const uint8_t* bottom = top + rowBytes;
            uint8_t* row = halved.data() + size_t(y) * size_t(width) * 4;
            for (int x = 0; x < width; ++x) {
                for (int c = 0; c < 4; ++c) {
                    const size_t left = size_t(2 * x) * 4 + size_t(c);
                    row[size_t(x) * 4 + size_t(c)] =
                        uint8_t((top[left] + top[left + 4] + bottom[left] + bottom[left + 4]) / 4);
                }
            }
        }
        image.width = width;
        image.height = height;
        image.rgba.swap(halved);
    }
}

int MipLevels(int width, int height) {
    int side = width > height ? width : height;
    int levels = 1;
    while (side > 1) {
        side >>= 1;
        ++levels;
    }
    return levels;
}

}  // namespace render
