#include "ui/icon_atlas.h"

#include <algorithm>
#include <cstddef>

int IconAtlasRows(int count) { return count > 0 ? (count + kIconsPerRow - 1) / kIconsPerRow : 0; }

IconPixel RecoverIconPixel(const uint8_t overBlack[3], const uint8_t overWhite[3]) {
    int change = 0;
    for (int c = 0; c < 3; ++c) change += int(overWhite[c]) - int(overBlack[c]);
    const float alpha = std::clamp(1.0f - float(change) / 765.0f, 0.0f, 1.0f);
    IconPixel pixel;
    pixel.a = uint8_t(alpha * 255.0f + 0.5f);
    // Below about one step of alpha the division would blow noise up into colour.
    if (alpha <= 0.004f) return pixel;
    uint8_t* channels[3] = {&pixel.r, &pixel.g, &pixel.b};
    for (int c = 0; c < 3; ++c) *channels[c] = uint8_t(std::clamp(float(overBlack[c]) / alpha, 0.0f, 255.0f));
    return pixel;
}

void WriteIconCell(const uint8_t* overBlack, const uint8_t* overWhite, int index, std::vector<uint8_t>& atlas) {
    const int left = (index % kIconsPerRow) * kIconSize;
    const int top = (index / kIconsPerRow) * kIconSize;
    if (index < 0 || atlas.size() < size_t(top + kIconSize) * kIconAtlasWidth * 4) return;
    for (int y = 0; y < kIconSize; ++y) {
        for (int x = 0; x < kIconSize; ++x) {
            const size_t read = (size_t(y) * kIconSize + size_t(x)) * 3;
            const IconPixel pixel = RecoverIconPixel(overBlack + read, overWhite + read);
            const size_t row = size_t(top + kIconSize - 1 - y);
            uint8_t* out = atlas.data() + (row * kIconAtlasWidth + size_t(left + x)) * 4;
            out[0] = pixel.r;
            out[1] = pixel.g;
            out[2] = pixel.b;
            out[3] = pixel.a;
        }
    }
}
